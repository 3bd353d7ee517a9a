#pragma once

#include "editor/ISwitchControl.h"

// The instrument's multi-position switch, placed in points.
class IMLSwitchControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
};
