#pragma once

#include "editor/IControl.h"

// The modulation source of an amount knob: its short name, and a menu of all sources on a click.
// Dim controls write "OFF" faintly, for sources that are normally off.
class IMLSourceControl : public IControl {
public:
    static constexpr int kNumSources = 21;

    IMLSourceControl(IPlugBase* plug, int x2, int y2, int paramIdx, bool dim);
    bool Draw(IGraphics* graphics) override;
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    int GetSource() const;

private:
    IText dimText;
    bool dim;
};
