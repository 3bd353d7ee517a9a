#include "tools/render/SongClock.h"

#include <algorithm>
#include <cmath>

SongClock::SongClock(const MidiFile& song) {
    // Quarters accumulate from tempo to tempo, so files timed in SMPTE frames get a position too.
    tempos.push_back({0.0, 0.0, song.tempoAt(0) / 60.0});
    for (const MidiFile::Tempo& tempo : song.tempoMap()) {
        if (tempo.tick == 0) continue;
        const double seconds = song.tickToSeconds(tempo.tick);
        const TempoSegment& last = tempos.back();
        tempos.push_back({seconds, last.quarters + (seconds - last.seconds) * last.quartersPerSecond,
                          1e6 / tempo.microsPerQuarter});
    }
    bars.push_back({0.0, 4, 4});
    for (const MidiFile::TimeSignature& signature : song.timeSignatures()) {
        const double quarters = secondsToQuarters(song.tickToSeconds(signature.tick));
        if (quarters <= bars.back().quarters)
            bars.back() = {bars.back().quarters, signature.numerator, signature.denominator};
        else
            bars.push_back({quarters, signature.numerator, signature.denominator});
    }
}

namespace {
// The last entry that starts at or before the key; tables are sorted and never empty.
template <typename Table, typename Key, typename StartOf>
const typename Table::value_type& lastAtOrBefore(const Table& table, Key key, StartOf startOf) {
    const auto after =
        std::upper_bound(table.begin(), table.end(), key,
                         [&](Key k, const typename Table::value_type& e) { return k < startOf(e); });
    return after == table.begin() ? table.front() : *(after - 1);
}
} // namespace

const SongClock::TempoSegment& SongClock::tempoAt(double seconds) const {
    return lastAtOrBefore(tempos, seconds, [](const TempoSegment& t) { return t.seconds; });
}

double SongClock::secondsToQuarters(double seconds) const {
    const TempoSegment& segment = tempoAt(seconds);
    return segment.quarters + (seconds - segment.seconds) * segment.quartersPerSecond;
}

SongClock::Position SongClock::at(double seconds) const {
    Position position;
    const TempoSegment& segment = tempoAt(seconds);
    position.quarters = segment.quarters + (seconds - segment.seconds) * segment.quartersPerSecond;
    position.tempo = segment.quartersPerSecond * 60.0;
    const BarSegment& bar =
        lastAtOrBefore(bars, position.quarters, [](const BarSegment& b) { return b.quarters; });
    const double barLength = bar.numerator * 4.0 / bar.denominator;
    position.barStart =
        bar.quarters + std::floor((position.quarters - bar.quarters) / barLength + 1e-9) * barLength;
    position.numerator = bar.numerator;
    position.denominator = bar.denominator;
    return position;
}
