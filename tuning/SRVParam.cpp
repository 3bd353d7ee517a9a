#include "tuning/SRVParam.h"

#include <limits>

namespace TUN {

int64_t SRVParam::ReferencedNote(int64_t note) const {
    if (type == eAbsoluteNote) return noteIndex;
    if (type != eRelativeNote) return -1;
    // A file can hold any offset; an overflowing sum can only point outside the table.
    if (noteIndex > 0 && note > std::numeric_limits<int64_t>::max() - noteIndex) return -2;
    if (noteIndex < 0 && note < std::numeric_limits<int64_t>::min() - noteIndex) return -2;
    return note + noteIndex;
}

bool SRVParam::Resolve(const std::vector<double>& frequencies, int64_t note, double& result) const {
    if (type != eAbsoluteNote && type != eRelativeNote) {
        result = value;
        return true;
    }
    const int64_t index = ReferencedNote(note);
    if (index < 0 || index >= static_cast<int64_t>(frequencies.size())) return false;
    result = frequencies[static_cast<std::size_t>(index)];
    return true;
}

} // namespace TUN
