#pragma once

#include "editor/IControl.h"

class Synth;

// The option button: a click offers the program, bank, configuration and online commands. The
// button itself is part of the background.
class IMLOptionMenu : public IControl {
public:
    IMLOptionMenu(Synth* plug, const IRECT& area);
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    bool Draw(IGraphics*) override { return true; }

private:
    Synth* synth;
};
