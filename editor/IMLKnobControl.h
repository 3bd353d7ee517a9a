#pragma once

#include "editor/IKnobMultiControl.h"

// The instrument's knob: placed in double-resolution pixels, and while the mouse rests on it (and it
// turns smoothly, gearing above 1) it shows the parameter's value as the host would write it.
class IMLKnobControl : public IKnobMultiControl {
public:
    IMLKnobControl(IPlugBase* plug, int x2, int y2, int paramIdx, const IBitmap& bitmap,
                   double gearing = kDefaultGearing);
    void OnMouseOver(int x, int y, const IMouseMod& mod) override;
    void OnMouseOut() override;
    bool Draw(IGraphics* graphics) override;
    void SetAuxParamValueFromPlug(int auxParamIdx, double normalized) override;

    // Shows the knob only while the switch parameter is on (showWhenOn) or only while it is off.
    void ShowOnlyWhen(int switchParamIdx, bool showWhenOn);
    bool IsHovered() const { return hover; }
    const IRECT& GetValueBox() const { return valueBox; }

private:
    bool hover = false;
    IRECT valueBox;
    int showSwitch = -1;
    bool showWhenOn = false;
};
