#pragma once

#include "tuning/SRVParam.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace TUN {

// One functional-tuning statement: note n = P1 * multiplier / divisor * 2^(cents/1200) + P2, written for
// one note or a run of notes (loop count, signed direction), or a fixed frequency that rescales the
// whole table around note n.
class CFormula {
public:
    explicit CFormula(int64_t note = 0) : noteIndex(note) {}

    // Parses the formula text (blanks are ignored); false on a syntax error. The note index is kept.
    bool SetFromStr(std::string_view text);
    // Writes the frequencies; operands that point outside the table leave their note unwritten.
    void Apply(std::vector<double>& frequencies) const;
    // False when an operand reads a note outside 0..127 for any note the formula writes.
    bool RefersToValidNotes() const;

    int64_t noteIndex = 0;
    double absoluteFrequency = 0.0;
    SRVParam parameter1 = SRVParam::RelativeNote(0);
    double multiplier = 1.0;
    double divisor = 1.0;
    double cents = 0.0;
    SRVParam parameter2;
    int64_t loopCount = 0;

private:
    void writeNote(std::vector<double>& frequencies, int64_t note) const;
};

} // namespace TUN
