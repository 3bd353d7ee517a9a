#pragma once

#include <cstdint>

// What a mip-map needs of a user wave record: its sample count and its samples as doubles in -1..1.
// The instrument's wave record implements it, so the engine depends on nothing above it.
class WaveSource {
public:
    virtual uint32_t getSize() const = 0;
    // Writes getSize() samples into y.
    virtual void putInto(double* y) const = 0;

protected:
    ~WaveSource() = default;
};
