#pragma once

#include <cstdint>

// The 32-bit multiplicative sequence that the voices' noise and the sample-and-hold generators draw
// from: each value is the previous one times 16807, wrapping, read as about −1..1.
namespace RandomSequence {

inline int32_t next(int32_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) * 16807u);
}

inline double toUnit(int32_t value) {
    return value * 4.6566129e-10;
}

} // namespace RandomSequence
