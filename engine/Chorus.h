#pragma once

#include "engine/LowPass.h"
#include "engine/MG.h"

#include <array>
#include <vector>

// Stereo chorus on the voice mix: per channel a delay line of a fixed number of stages (20 ms at the
// current rate) clocked at a rate that the LFO (the MG this class is built on) sweeps, so the delay
// time and with it the pitch wander. Band-limiting low-passes sit before and after each line.
class Chorus : public MG {
public:
    Chorus();

    // Builds the lines for a new rate (only when it changes) and recomputes the clock step.
    void init(double fs);
    // Empties the lines, filters and histories without moving the write positions.
    void clear();
    // Once per control tick: advances the LFO and recomputes the line clock step.
    void update();
    // One stereo sample in place.
    void process(double* left, double* right);

    int getStages() const { return stages; }
    double getStep() const { return step; }

    // Written by the owner from the chorus parameters.
    double delay = 0.04;   // centre of the clock sweep, 0..1
    double depth = 0.15;   // width of the clock sweep, 0..1
    double feedback = 0.0; // −1..1
    double dryGain = 1.0;
    double wetGain = 0.0;

private:
    using History = std::array<double, 4>;

    // Catmull-Rom style cubic through a history (oldest first) at t in 0..1 between entries 1 and 2.
    static double interpolate(const History& a, double t);
    static void push(History& history, double value);
    double processChannel(double input, int c);

    std::array<LowPass, 2> inputFilters;
    std::array<LowPass, 2> outputFilters;
    std::array<History, 2> inputHistory{};
    std::array<History, 2> outputHistory{};
    std::array<std::vector<double>, 2> lines;
    int stages = 0;
    std::array<int, 2> writePositions{};
    std::array<double, 2> fractions{};
    double step = 1.0;
    double inverseStep = 1.0;
    double sampleRate = 0.0;
};
