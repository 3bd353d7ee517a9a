#include "tuning/CFormula.h"

#include "tuning/TunConversions.h"
#include "tuning/TunNumbers.h"

#include <algorithm>
#include <string>

namespace TUN {
namespace {

constexpr int64_t kNotes = 128;
// Loop counts that run past either end of the table are kept as these markers.
constexpr int64_t kLoopDown = -999;
constexpr int64_t kLoopUp = 999;

bool readFloat(std::string_view text, std::size_t& pos, double& value) {
    return ScanDecimal(text, pos, value);
}

// '#' and '+' take "=index", ">offset" or a plain value.
bool readParameter(std::string_view text, std::size_t& pos, SRVParam& parameter) {
    if (pos < text.size() && (text[pos] == '=' || text[pos] == '>')) {
        const bool absolute = text[pos++] == '=';
        int64_t index = 0;
        if (!ScanInteger(text, pos, index)) return false;
        parameter = absolute ? SRVParam::AbsoluteNote(index) : SRVParam::RelativeNote(index);
        return true;
    }
    double value = 0.0;
    if (!readFloat(text, pos, value)) return false;
    parameter = SRVParam::Value(value);
    return true;
}

uint64_t magnitude(int64_t value) {
    return value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

} // namespace

bool CFormula::SetFromStr(std::string_view source) {
    std::string text;
    for (char c : source)
        if (c != ' ' && c != '\t') text.push_back(c);
    *this = CFormula(noteIndex);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char op = text[pos++];
        bool ok = false;
        switch (op) {
        case '!': {
            double frequency = 0.0;
            if (!readFloat(text, pos, frequency)) return false;
            *this = CFormula(noteIndex);
            absoluteFrequency = frequency;
            return true;
        }
        case '#':
            ok = readParameter(text, pos, parameter1);
            break;
        case '+':
            ok = readParameter(text, pos, parameter2);
            break;
        case '%':
            ok = readFloat(text, pos, cents);
            break;
        case '*':
            ok = readFloat(text, pos, multiplier);
            break;
        case '/':
            ok = readFloat(text, pos, divisor);
            break;
        case '~': {
            int64_t count = 0;
            ok = ScanInteger(text, pos, count);
            if (count < -noteIndex)
                count = kLoopDown;
            else if (count > kNotes - 1 - noteIndex)
                count = kLoopUp;
            loopCount = count;
            break;
        }
        default:
            return false;
        }
        if (!ok) return false;
    }
    return true;
}

void CFormula::writeNote(std::vector<double>& frequencies, int64_t note) const {
    if (absoluteFrequency > 0.0) {
        const double ratio = absoluteFrequency / frequencies[static_cast<std::size_t>(note)];
        for (double& f : frequencies) f *= ratio;
        // The rescaled note gets the given frequency exactly, whatever the rounding did.
        frequencies[static_cast<std::size_t>(note)] = absoluteFrequency;
        return;
    }
    double base = 0.0;
    double added = 0.0;
    if (!parameter1.Resolve(frequencies, note, base) || !parameter2.Resolve(frequencies, note, added)) return;
    frequencies[static_cast<std::size_t>(note)] = base * multiplier / divisor * Cents2Factor(cents) + added;
}

void CFormula::Apply(std::vector<double>& frequencies) const {
    const auto size = static_cast<int64_t>(frequencies.size());
    const int64_t step = loopCount >= 0 ? 1 : -1;
    // The run ends at the table's edge, so at most `size` notes are ever written.
    const uint64_t count = std::clamp<uint64_t>(magnitude(loopCount), 1, static_cast<uint64_t>(size));
    for (uint64_t k = 0; k < count; ++k) {
        const int64_t note = noteIndex + step * static_cast<int64_t>(k);
        if (note < 0 || note >= size) return;
        writeNote(frequencies, note);
    }
}

bool CFormula::RefersToValidNotes() const {
    if (absoluteFrequency > 0.0) return true;
    if (noteIndex < 0 || noteIndex >= kNotes) return true; // writes nothing
    const uint64_t span = std::min<uint64_t>(std::max<uint64_t>(magnitude(loopCount), 1) - 1, kNotes);
    const int64_t first =
        loopCount >= 0 ? noteIndex : std::max<int64_t>(0, noteIndex - static_cast<int64_t>(span));
    const int64_t last =
        loopCount >= 0 ? std::min<int64_t>(kNotes - 1, noteIndex + static_cast<int64_t>(span)) : noteIndex;
    for (const SRVParam* parameter : {&parameter1, &parameter2}) {
        if (parameter->type == SRVParam::eValue) continue;
        for (int64_t note : {first, last}) {
            const int64_t index = parameter->ReferencedNote(note);
            if (index < 0 || index >= kNotes) return false;
        }
    }
    return true;
}

} // namespace TUN
