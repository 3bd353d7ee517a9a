#include "editor/IContactControl.h"

void IContactControl::OnMouseUp(int, int, const IMouseMod&) {
    value = 0.0;
    SetDirty();
}
