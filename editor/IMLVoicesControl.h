#pragma once

#include "editor/IBitmapControl.h"
#include "editor/IPopupMenu.h"

// The number of voices: a display of the current count, and a menu of the seven counts on a click.
class IMLVoicesControl : public IBitmapControl {
public:
    static constexpr int kNumChoices = 7;

    IMLVoicesControl(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& bitmap);
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;

private:
    IPopupMenu menu;
};
