#include "editor/IMLKnobControl.h"

#include "editor/IGraphics.h"
#include "plugin/IPlugBase.h"

namespace {

const IText kValueText(12, IColor(255, 64, 255, 64), "Monaco");
constexpr IColor kValueBox(160, 64, 64, 64);

} // namespace

IMLKnobControl::IMLKnobControl(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& bitmap,
                               double gearing)
    : IKnobMultiControl(plug, x2 / 2, y2 / 2, paramIdx, bitmap, kVertical, gearing),
      valueBox(rect.GetPadded(4, 12, -4, -12)) {}

void IMLKnobControl::OnMouseOver(int, int, const IMouseMod&) {
    hover = true;
    SetDirty(false);
}

void IMLKnobControl::OnMouseOut() {
    hover = false;
    SetDirty(false);
}

bool IMLKnobControl::Draw(IGraphics* graphics) {
    IKnobMultiControl::Draw(graphics);
    const IParam* param = plug->GetParam(paramIdx);
    if (gearing <= 1.0 || !hover || !param) return true;
    graphics->FillRoundRect(kValueBox, valueBox, 2.0);
    char display[IParam::kTextSize] = "";
    param->GetDisplayForHost(value, true, display);
    // Long values may run past the box onto the knob, never past the knob.
    graphics->DrawIText(kValueText, display, IRECT(rect.L, valueBox.T, rect.R, valueBox.B));
    return true;
}

void IMLKnobControl::SetAuxParamValueFromPlug(int auxParamIdx, double normalized) {
    IKnobMultiControl::SetAuxParamValueFromPlug(auxParamIdx, normalized);
    if (AuxParamIdx(auxParamIdx) == showSwitch) Hide((normalized >= 0.5) != showWhenOn);
}

void IMLKnobControl::ShowOnlyWhen(int switchParamIdx, bool whenOn) {
    showSwitch = switchParamIdx;
    showWhenOn = whenOn;
    AddAuxParam(switchParamIdx);
}
