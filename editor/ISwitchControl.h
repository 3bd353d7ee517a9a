#pragma once

#include "editor/IBitmapControl.h"

// A switch of N positions: each press moves it one step and the last step wraps to the first.
class ISwitchControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    void OnMouseDblClick(int x, int y, const IMouseMod& mod) override;
};
