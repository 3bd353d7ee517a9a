#pragma once

#include <cstdint>
#include <vector>

namespace TUN {

// One operand of a functional-tuning formula: a plain value in Hz, or the frequency of another note,
// named absolutely or relative to the note being written.
struct SRVParam {
    enum Type : int { eValue = 0, eAbsoluteNote = 1, eRelativeNote = 2 };

    int type = eValue;
    int64_t noteIndex = 0;
    double value = 0.0;

    static SRVParam Value(double hz) { return {eValue, 0, hz}; }
    static SRVParam AbsoluteNote(int64_t index) { return {eAbsoluteNote, index, 0.0}; }
    static SRVParam RelativeNote(int64_t offset) { return {eRelativeNote, offset, 0.0}; }

    // The note this operand reads when note `note` is written, or -1 for a plain value.
    int64_t ReferencedNote(int64_t note) const;
    // False when the operand names a note outside the table; the value is then left untouched.
    bool Resolve(const std::vector<double>& frequencies, int64_t note, double& result) const;
};

} // namespace TUN
