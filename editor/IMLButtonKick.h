#pragma once

#include "editor/ISwitchControl.h"

// A latching button drawn from an "off" and an "on" bitmap, the second frame while held down. The
// release flips its parameter. The two unison buttons share one parameter instead of owning one: each
// carries a tag, sets the parameter to its own value and lights while the parameter has it.
class IMLButtonKick : public ISwitchControl {
public:
    IMLButtonKick(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& offBitmap,
                  const IBitmap& onBitmap);
    // A button of a group: the parameter it sets and the value it sets it to.
    void SetsParameter(int targetParamIdx, double targetValue);
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    void OnMouseUp(int x, int y, const IMouseMod& mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsOn() const;

private:
    IBitmap onBitmap;
    bool pressed = false;
    int target = -1;
    double targetValue = 1.0;
};
