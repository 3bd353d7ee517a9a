#pragma once

#include <cmath>

class BitmapPixels;

// A loaded image: N frames of equal height stacked top to bottom. The pixels belong to the bitmap
// cache; a bitmap without pixels (a missing file) draws nothing but keeps its size.
struct IBitmap {
    const BitmapPixels* data = nullptr;
    int W = 0;
    int H = 0;
    int N = 1;

    int FrameHeight() const { return N > 0 ? H / N : H; }
};

// The frame (counted from 1) that shows a normalised value on a bitmap of n frames.
inline int FrameForValue(double value, int n) {
    const int frame = static_cast<int>(std::floor((n - 1) * value + 0.5)) + 1;
    return frame < 1 ? 1 : (frame > n ? n : frame);
}
