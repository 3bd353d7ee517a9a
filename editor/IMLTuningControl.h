#pragma once

#include "editor/IControl.h"

class Synth;

// The tuning selector: shows the current tuning's name and offers the built-in tunings, the user
// tuning and loading a tuning file; while an MTS-ESP master tunes the instrument it offers nothing.
class IMLTuningControl : public IControl {
public:
    IMLTuningControl(Synth* plug, const IRECT& area);
    bool Draw(IGraphics* graphics) override;
    void OnMouseOver(int x, int y, const IMouseMod& mod) override;
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;

    // A TUN file's exact tuning against its functional one is asked once per process.
    static bool bAskForPrioritizingExactTuning;
    static bool bPrioritizeExactTuning;

private:
    void loadTuningFile();

    Synth* synth;
};
