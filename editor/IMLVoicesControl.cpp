#include "editor/IMLVoicesControl.h"

#include "editor/IGraphics.h"

#include <cmath>
#include <string>

IMLVoicesControl::IMLVoicesControl(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& bitmap)
    : IBitmapControl(plug, x2 / 2, y2 / 2, paramIdx, bitmap) {
    for (int i = 0; i < kNumChoices; ++i) menu.AddItem(std::to_string(1 << i).c_str());
}

void IMLVoicesControl::OnMouseDown(int x, int y, const IMouseMod&) {
    menu.CheckItemAlone(static_cast<int>(std::lround(value * (kNumChoices - 1))));
    menu.SetChosenItemIdx(-1);
    if (!graphics || graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y)) != &menu) return;
    const int chosen = menu.GetChosenItemIdx();
    if (chosen < 0 || chosen >= kNumChoices) return;
    SetValueFromUserInput(chosen / double(kNumChoices - 1));
    SetDirty(false);
}
