#pragma once

#include "editor/ISwitchControl.h"

// A switch that springs back to its first position when the mouse is released.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void OnMouseUp(int x, int y, const IMouseMod& mod) override;
};
