#include "editor/IKnobMultiControl.h"

#include "editor/IGraphics.h"

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + bitmap.W, y + bitmap.FrameHeight()), paramIdx, direction, gearing),
      bitmap(bitmap) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(bitmap, rect, FrameForValue(value, bitmap.N), &blend);
}
