#include "editor/ISwitchControl.h"

void ISwitchControl::OnMouseDown(int, int, const IMouseMod&) {
    value += bitmap.N > 1 ? 1.0 / (bitmap.N - 1) : 1.0;
    // The margin absorbs the rounding of repeated thirds and fifths.
    if (value > 1.001) value = 0.0;
    SetDirty();
}

void ISwitchControl::OnMouseDblClick(int x, int y, const IMouseMod& mod) {
    OnMouseDown(x, y, mod);
}
