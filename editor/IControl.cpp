#include "editor/IControl.h"

#include "editor/IGraphics.h"

#include "plugin/IPlugBase.h"

#include <algorithm>

IControl::IControl(IPlugBase* plug, const IRECT& rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
    : plug(plug), rect(rect), targetRect(rect), paramIdx(paramIdx) {
    blend.method = blendMethod;
}

void IControl::OnMouseDown(int, int, const IMouseMod&) {}

void IControl::OnMouseDblClick(int, int, const IMouseMod&) {
    if (defaultValue < 0.0) return;
    value = defaultValue;
    SetDirty();
}

void IControl::SetValueFromPlug(double normalized) {
    if (value == normalized) return;
    value = normalized;
    SetDirty(false);
}

void IControl::SetValueFromUserInput(double normalized) {
    if (value == normalized) return;
    value = normalized;
    SetDirty();
}

void IControl::Hide(bool hide) {
    if (hidden == hide) return;
    hidden = hide;
    dirty = true;
}

void IControl::GrayOut(bool gray) {
    if (grayed == gray) return;
    grayed = gray;
    dirty = true;
}

void IControl::SetDirty(bool pushParamToPlug) {
    value = std::clamp(value, clampLo, clampHi);
    dirty = true;
    if (!pushParamToPlug || paramIdx < 0 || !plug) return;
    plug->SetParameterFromGUI(paramIdx, value);
    const IParam* param = plug->GetParam(paramIdx);
    if (!param) return;
    if (valueDisplay) {
        char display[IParam::kTextSize] = "";
        param->GetDisplayForHost(value, true, display);
        valueDisplay->SetTextFromPlug(display);
    }
    if (nameDisplay) nameDisplay->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double normalized) {
    if (auxParamIdx < 0 || auxParamIdx >= NAuxParams()) return;
    auxParams[static_cast<size_t>(auxParamIdx)].value = normalized;
    dirty = true;
}

void IControl::AddAuxParam(int auxParamIdx) {
    auxParams.push_back(AuxParam{auxParamIdx, 0.0});
    if (graphics != nullptr) graphics->BindAuxParam(this, NAuxParams() - 1);
}

int IControl::AuxParamIdx(int auxIdx) const {
    return auxIdx >= 0 && auxIdx < NAuxParams() ? auxParams[static_cast<size_t>(auxIdx)].paramIdx : -1;
}

double IControl::GetAuxParamValue(int auxIdx) const {
    return auxIdx >= 0 && auxIdx < NAuxParams() ? auxParams[static_cast<size_t>(auxIdx)].value : 0.0;
}

bool IControl::HasAuxParam(int auxParamIdx) const {
    return std::any_of(auxParams.begin(), auxParams.end(),
                       [auxParamIdx](const AuxParam& aux) { return aux.paramIdx == auxParamIdx; });
}

void IControl::Clamp(double lo, double hi) {
    clampLo = lo;
    clampHi = hi;
}
