#include "editor/IMLButtonKick.h"

#include "editor/IGraphics.h"
#include "plugin/IPlugBase.h"

IMLButtonKick::IMLButtonKick(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& offBitmap,
                             const IBitmap& onBitmap)
    : ISwitchControl(plug, x2 / 2, y2 / 2, paramIdx, offBitmap), onBitmap(onBitmap), target(paramIdx) {}

void IMLButtonKick::SetsParameter(int targetParamIdx, double value) {
    target = targetParamIdx;
    targetValue = value;
    AddAuxParam(targetParamIdx);
}

bool IMLButtonKick::IsOn() const {
    if (target == paramIdx) return value >= 0.5;
    const double current = GetAuxParamValue(0);
    return targetValue >= 0.5 ? current >= 0.5 : current < 0.5;
}

// Pressing only shows the button held; the release does the one change, so a click toggles once.
void IMLButtonKick::OnMouseDown(int, int, const IMouseMod&) {
    pressed = true;
    SetDirty(false);
}

void IMLButtonKick::OnMouseUp(int, int, const IMouseMod&) {
    pressed = false;
    const double sent = target == paramIdx ? (value < 0.5 ? 1.0 : 0.0) : targetValue;
    if (target == paramIdx) value = sent;
    if (target >= 0) plug->SetParameterFromGUI(target, sent);
    SetDirty(false);
}

bool IMLButtonKick::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(IsOn() ? onBitmap : bitmap, rect, pressed ? 2 : 1, &blend);
}
