#pragma once

#include "engine/WaveSource.h"

#include <cstdint>
#include <memory>
#include <string>

class ByteChunk;

// A user wave table: whole waves of 2048 samples each, imported from a file or restored from a state
// chunk, kept as 16-bit integers (full scale 32767) together with the name the user sees in the menus.
class Wave final : public WaveSource {
public:
    static constexpr double kFullScale = 32767.0;

    Wave() = default;
    Wave(const Wave&) = delete;
    Wave& operator=(const Wave&) = delete;

    bool isValid() const { return count != 0 && samples != nullptr; }
    uint32_t getSize() const override { return count; }
    // The name when the record is valid, else "". The text lives until the record next changes.
    const char* getName() const { return isValid() ? name.c_str() : ""; }
    // Null while the record is empty.
    const int16_t* getSamples() const { return samples.get(); }

    void clear();
    // Stores n values of -1..1 (clamped; NaN is stored as silence). n <= 0 leaves an empty record
    // that still carries the name.
    void putFrom(const double* x, int n, const std::string& newName);
    // Writes getSize() values of -1..1 into y.
    void putInto(double* y) const override;

    // Appends int32 count, the samples as 16-bit little-endian integers, then the name as a string.
    bool serialize(ByteChunk* chunk) const;
    // Reads the layout serialize() writes, starting at pos, into this record and returns the position
    // after it, or -1. A failed read leaves the record empty.
    int unserialize(const ByteChunk* chunk, int pos);
    // The position after a readable record at pos, or -1; reads nothing into any record.
    static int recordEnd(const ByteChunk* chunk, int pos);

private:
    uint32_t count = 0;
    std::unique_ptr<int16_t[]> samples;
    std::string name;
};
