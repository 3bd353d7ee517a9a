#pragma once

#include "tools/measure-bank/PhrasePlayer.h"

#include <string>
#include <vector>

// What one program measures on the fixed phrases.
struct ProgramFigures {
    int program = 0;
    std::string name;
    double loudness = 0.0;        // LUFS of the phrase
    double chordPeak = 0.0;       // dBFS, ten-note chord at velocity 110 on a fresh instance
    double phrasePeak = 0.0;      // dBFS, the phrase (its last chord is struck at full velocity)
    double velocityLevel = 0.0;   // dB from velocity 40 to 127
    double velocityBright = 0.0;  // cents the spectral centroid moves from velocity 40 to 127
    double controlSpectrum = 0.0; // dB of spectral change with the mod wheel up or full aftertouch
    double controlBright = 0.0;   // cents the centroid moves with the mod wheel up or full aftertouch
    double sideToMid = 0.0;       // dB over the phrase
    double gainStep = 0.0;        // largest level step on a held note, relative to the level
    double repeatSpread = 0.0;    // dB between the loudest and the quietest of eight repeated notes
    double dc = 0.0;              // dB of DC against RMS over the phrase
    double runTilt = 0.0;         // dB from the bottom octave of the run to its top octave
    std::vector<double> spectrum; // third-octave spectrum of the phrase
    std::vector<double> envelope; // 50 ms envelope of the phrase
};

// Renders the fixed phrases on one program and measures them.
class ProgramMeter {
public:
    explicit ProgramMeter(const PhrasePlayer& player) : player(player) {}

    bool measure(int program, ProgramFigures* figures, std::string* error) const;

    // The musician's phrase: E1; a C-major chord at velocity 100; a 16th-note run over four octaves;
    // C7; A4 held 4 s; a four-note chord at velocity 127.
    static std::vector<PhraseEvent> phrase();
    static constexpr double kPhraseSeconds = 16.5;
    // Ten notes from C2 to E5 at velocity 110, held 2 s.
    static std::vector<PhraseEvent> tenNoteChord();
    static constexpr double kChordSeconds = 3.0;
    // Eight eighth notes of C3.
    static std::vector<PhraseEvent> repeatedNotes();
    static constexpr double kRepeatSeconds = 2.5;
    static constexpr double kRepeatStep = 0.25;

private:
    const PhrasePlayer& player;
};
