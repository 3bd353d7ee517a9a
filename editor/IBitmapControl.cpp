#include "editor/IBitmapControl.h"

#include "editor/IGraphics.h"

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IControl(plug, IRECT(x, y, x + bitmap.W, y + bitmap.FrameHeight()), paramIdx, blendMethod),
      bitmap(bitmap) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(bitmap, rect, FrameForValue(value, bitmap.N), &blend);
}
