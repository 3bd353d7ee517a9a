#include "SongClock.h"

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

double SongClock::secondsToQuarters(double seconds) const {
    const TempoSegment* segment = &tempos.front();
    for (const TempoSegment& t : tempos) {
        if (t.seconds > seconds) break;
        segment = &t;
    }
    return segment->quarters + (seconds - segment->seconds) * segment->quartersPerSecond;
}

SongClock::Position SongClock::at(double seconds) const {
    Position position;
    position.quarters = secondsToQuarters(seconds);
    for (const TempoSegment& t : tempos) {
        if (t.seconds > seconds) break;
        position.tempo = t.quartersPerSecond * 60.0;
    }
    const BarSegment* bar = &bars.front();
    for (const BarSegment& b : bars) {
        if (b.quarters > position.quarters) break;
        bar = &b;
    }
    const double barLength = bar->numerator * 4.0 / bar->denominator;
    position.barStart =
        bar->quarters + std::floor((position.quarters - bar->quarters) / barLength + 1e-9) * barLength;
    position.numerator = bar->numerator;
    position.denominator = bar->denominator;
    return position;
}
