#include "editor/IMLSourceControl.h"

#include "editor/IGraphics.h"
#include "engine/Properties.h"

#include <algorithm>
#include <cmath>

IMLSourceControl::IMLSourceControl(IPlugBase* plug, int x2, int y2, int paramIdx, bool dim)
    : IControl(plug, IRECT(x2 / 2, y2 / 2, x2 / 2 + 32, y2 / 2 + 12), paramIdx),
      dimText(14, IColor(128, 160, 128, 96), "Monaco"), dim(dim) {
    SetText(IText(14, IColor(192, 255, 128, 0), "Monaco"));
}

int IMLSourceControl::GetSource() const {
    return std::clamp(static_cast<int>(std::lround(value * (kNumSources - 1))), 0, kNumSources - 1);
}

bool IMLSourceControl::Draw(IGraphics* graphics) {
    const int source = GetSource();
    return graphics->DrawIText(dim && source == 0 ? dimText : text,
                               Properties::labelModSources[static_cast<size_t>(source)], rect);
}

void IMLSourceControl::OnMouseDown(int, int, const IMouseMod&) {
    IPopupMenu menu;
    for (int i = 0; i < kNumSources; ++i) menu.AddItem(Properties::labelModSrcDesc[static_cast<size_t>(i)]);
    menu.CheckItemAlone(GetSource());
    if (!graphics || graphics->CreateIPopupMenu(&menu, rect) != &menu) return;
    const int chosen = menu.GetChosenItemIdx();
    if (chosen < 0 || chosen >= kNumSources) return;
    SetValueFromUserInput(chosen / double(kNumSources - 1));
    SetDirty(false);
}
