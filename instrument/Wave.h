#pragma once

#include "engine/MipMap.h"

#include <cstdint>
#include <memory>
#include <string>

class ByteChunk;

// A user wave table: whole waves of 2048 samples each, imported from a file or restored from a state
// chunk, kept as 16-bit integers (full scale 32767) together with the name the user sees in the menus
// and the band-limited table the oscillators play.
//
// A record is a handle to content that never changes once made: storing builds new content (and its
// table) where the data arrives, off the audio thread; copying or clearing a record only moves the handle,
// so the audio thread can swap records without allocating, and never sees a table half built.
class Wave {
public:
    static constexpr double kFullScale = 32767.0;

    bool isValid() const { return content != nullptr && content->count != 0; }
    uint32_t getSize() const { return content != nullptr ? content->count : 0; }
    // The name when the record is valid, else "". The text lives until the record next changes.
    const char* getName() const { return isValid() ? content->name.c_str() : ""; }
    // Null while the record is empty.
    const int16_t* getSamples() const { return isValid() ? content->samples.get() : nullptr; }
    // The band-limited table of the samples; null while the record is empty.
    const MipMap* getTable() const { return isValid() ? &content->table : nullptr; }
    // True when both records hold the very same content.
    bool sharesContentWith(const Wave& other) const { return content == other.content; }

    void clear() { content.reset(); }
    // Stores n values of -1..1 (clamped; NaN is stored as silence) and builds the table. n <= 0 leaves an
    // empty record.
    void putFrom(const double* x, int n, const std::string& newName);
    // Writes getSize() values of -1..1 into y.
    void putInto(double* y) const;

    // Appends int32 count, the samples as 16-bit little-endian integers, then the name as a string.
    bool serialize(ByteChunk* chunk) const;
    // Reads the layout serialize() writes, starting at pos, into this record and returns the position
    // after it, or -1. A failed read leaves the record empty.
    int unserialize(const ByteChunk* chunk, int pos);
    // The position after a readable record at pos, or -1; reads nothing into any record.
    static int recordEnd(const ByteChunk* chunk, int pos);
    // The position after the layout at pos when it holds exactly this record's samples and name, else -1.
    // Reads in place: nothing is allocated.
    int matches(const ByteChunk* chunk, int pos) const;

private:
    struct Content final : WaveSource {
        uint32_t count = 0;
        std::unique_ptr<int16_t[]> samples;
        std::string name;
        MipMap table;

        uint32_t getSize() const override { return count; }
        void putInto(double* y) const override;
    };
    // Builds the table of freshly filled content and makes it this record's.
    void adopt(std::unique_ptr<Content> filled);

    std::shared_ptr<const Content> content;
};
