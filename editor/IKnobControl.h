#pragma once

#include "editor/IControl.h"

// A knob turned by dragging along one axis or by the wheel. The gearing slows the drag: the whole
// range takes gearing times the control's size; Shift or Control slow it ten times more.
class IKnobControl : public IControl {
public:
    enum EDirection { kVertical, kHorizontal };
    static constexpr double kDefaultGearing = 4.0;

    IKnobControl(IPlugBase* plug, const IRECT& rect, int paramIdx, EDirection direction = kVertical,
                 double gearing = kDefaultGearing);
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) override;
    void OnMouseWheel(int x, int y, const IMouseMod& mod, int delta) override;
    double GetGearing() const { return gearing; }
    void SetGearing(double newGearing) { gearing = newGearing; }

protected:
    EDirection direction;
    double gearing;
};
