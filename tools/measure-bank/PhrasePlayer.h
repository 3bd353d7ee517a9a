#pragma once

#include "tools/measure-bank/SignalMeasures.h"

#include <cstdint>
#include <string>
#include <vector>

// One MIDI message of a phrase, at its time from the phrase's start.
struct PhraseEvent {
    double seconds;
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
};

// Plays phrases into fresh instances of a VST 2.4 module, one instance per phrase, each on the program
// asked for, with a running transport at a fixed tempo so that tempo-locked generators move.
class PhrasePlayer {
public:
    static constexpr double kSampleRate = signalmeasures::kSampleRate;
    static constexpr int kBlockSize = 512;
    static constexpr double kTempo = 120.0;

    explicit PhrasePlayer(std::string modulePath) : modulePath(std::move(modulePath)) {}

    // The names of the bank a fresh instance holds. False (with the reason) if the module fails to load.
    bool programNames(std::vector<std::string>* names, std::string* error) const;

    // Renders `seconds` of the phrase on `program` of a fresh instance; the events must be in time order.
    bool play(int program, const std::vector<PhraseEvent>& events, double seconds, StereoSignal* out,
              std::string* error) const;

private:
    std::string modulePath;
};
