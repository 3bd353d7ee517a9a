#include "editor/IKnobControl.h"

IKnobControl::IKnobControl(IPlugBase* plug, const IRECT& rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx), direction(direction), gearing(gearing) {}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, const IMouseMod& mod) {
    const double gear = (mod.S || mod.C) ? gearing * 10.0 : gearing;
    if (direction == kVertical) {
        value += static_cast<double>(dY) / static_cast<double>(rect.T - rect.B) / gear;
    } else {
        value += static_cast<double>(dX) / static_cast<double>(rect.R - rect.L) / gear;
    }
    SetDirty();
}

void IKnobControl::OnMouseWheel(int, int, const IMouseMod& mod, int delta) {
    value += delta * ((mod.S || mod.C) ? 0.001 : 0.01);
    SetDirty();
}
