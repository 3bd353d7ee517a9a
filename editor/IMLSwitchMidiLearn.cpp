#include "editor/IMLSwitchMidiLearn.h"

#include "synth/Synth.h"

IMLSwitchMidiLearn::IMLSwitchMidiLearn(Synth* plug, int x, int y, int tag, const IBitmap& learnBitmap,
                                       const IBitmap& unlearnBitmap)
    : ISwitchControl(plug, x, y, tag, learnBitmap), synth(plug), learnBitmap(learnBitmap),
      unlearnBitmap(unlearnBitmap) {}

void IMLSwitchMidiLearn::OnMouseDown(int x, int y, const IMouseMod& mod) {
    if (mod.R) {
        // A pending request keeps the mode it was made in.
        if (value > 0.0) return;
        learnMode = !learnMode;
        bitmap = learnMode ? learnBitmap : unlearnBitmap;
        SetDirty(false);
        return;
    }
    ISwitchControl::OnMouseDown(x, y, mod);
    if (learnMode)
        synth->doMidiLearn(value > 0.0);
    else
        synth->doMidiUnlearn(value > 0.0);
}
