#pragma once

#include "editor/IBitmapControl.h"

// The instrument's plain bitmap (the oscillator lamps), placed in points.
class IMLBitmapControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
};
