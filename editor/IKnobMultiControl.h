#pragma once

#include "editor/IBitmap.h"
#include "editor/IKnobControl.h"

// A knob drawn as one frame of a strip of N frames.
class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap,
                      EDirection direction = kVertical, double gearing = kDefaultGearing);
    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap bitmap;
};
