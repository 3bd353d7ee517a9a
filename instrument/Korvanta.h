#pragma once

#include "Synth.h"

// The plug-in class the entry point creates. It renders silence until the voices are built.
class Korvanta : public Synth {
public:
    explicit Korvanta(IPlugInstanceInfo instanceInfo) : Synth(instanceInfo) {}
};
