#pragma once

#include "editor/IControl.h"

// Shows one frame of a multi-frame bitmap, chosen by the value.
class IBitmapControl : public IControl {
public:
    IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, const IBitmap& bitmap,
                   IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    bool Draw(IGraphics* graphics) override;
    const IBitmap& GetBitmap() const { return bitmap; }
    void SetBitmap(const IBitmap& newBitmap) { bitmap = newBitmap; }

protected:
    IBitmap bitmap;
};
