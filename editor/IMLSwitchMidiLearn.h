#pragma once

#include "editor/ISwitchControl.h"

class Synth;

// The MIDI learn switch. On, it waits for a controller and a parameter and binds them (learn mode) or
// frees them (unlearn mode); a right click while it is off changes the mode and its bitmap.
class IMLSwitchMidiLearn : public ISwitchControl {
public:
    IMLSwitchMidiLearn(Synth* plug, int x, int y, int tag, const IBitmap& learnBitmap,
                       const IBitmap& unlearnBitmap);
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    bool IsLearnMode() const { return learnMode; }

private:
    Synth* synth;
    IBitmap learnBitmap;
    IBitmap unlearnBitmap;
    bool learnMode = true;
};
