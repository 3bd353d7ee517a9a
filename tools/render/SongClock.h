#pragma once

#include "tools/midifile/MidiFile.h"

#include <vector>

// The song's musical position at any time: quarter notes, tempo, the start of the current bar and the
// time signature, as a host's transport reports them to the plug-in.
class SongClock {
public:
    struct Position {
        double quarters = 0.0;
        double tempo = 120.0;
        double barStart = 0.0;
        int numerator = 4;
        int denominator = 4;
    };

    explicit SongClock(const MidiFile& song);

    Position at(double seconds) const;
    double secondsToQuarters(double seconds) const;

private:
    struct TempoSegment {
        double seconds;
        double quarters;
        double quartersPerSecond;
    };
    struct BarSegment {
        double quarters; // where the signature takes effect; bars count afresh from here
        int numerator;
        int denominator;
    };

    const TempoSegment& tempoAt(double seconds) const;

    std::vector<TempoSegment> tempos;
    std::vector<BarSegment> bars;
};
