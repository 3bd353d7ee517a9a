#pragma once

#include <array>

// What the clock needs of the host's transport for one audio block (the owner copies it from the
// host's time information).
struct ClockTime {
    double tempo = 120.0;    // beats per minute
    double samplePos = -1.0; // samples since the song start, negative when unknown
    double ppqPos = -1.0;    // song position in quarter notes, negative when unknown
    bool transportRunning = false;
};

// Turns the host's tempo and song position into a countdown (in samples) for each of 20 note values,
// restarting on the host's musical grid, so that tempo-synced generators can derive their phase.
class Clock {
public:
    static constexpr int kNumRates = 20;
    // Length of each note value in quarter notes ("4/1" … "1/64").
    static constexpr std::array<double, kNumRates> syncRate = {
        16.0, 12.0,      8.0, 6.0,   4.0,       3.0,  2.0,    1.5,       4.0 / 3.0, 1.0,
        0.75, 2.0 / 3.0, 0.5, 0.375, 1.0 / 3.0, 0.25, 0.1875, 1.0 / 6.0, 0.125,     0.0625};

    Clock() = default;

    // Called at the start of every audio block.
    void synchronize(const ClockTime* time);
    // Restarts every countdown at the song start; called when the transport starts.
    void reset();
    // Once per output sample.
    void tick() {
        position += 1.0;
        for (int i = 0; i < kNumRates; ++i) {
            if (countdown[i] > 0) --countdown[i];
            if (position >= nextBoundary[i]) {
                nextBoundary[i] = position + exactPeriod[i];
                countdown[i] = roundedPeriod[i];
            }
        }
    }
    // Once per control tick, before the generators.
    void update();

    // Samples per second; the owner sets it to the sample rate.
    void setRate(double fs);
    double getRate() const { return rate; }
    // Samples per control tick at the current rate (the whole part of the rate over 1000).
    int samplesPerTick() const;

    int getRoundedPeriod(int i) const { return roundedPeriod[index(i)]; }
    int getCountdown(int i) const { return countdown[index(i)]; }
    double getExactPeriod(int i) const { return exactPeriod[index(i)]; }
    double getPosition() const { return position; }
    double getSamplesPerBeat() const { return samplesPerBeat; }

private:
    static int index(int i) { return i < 0 ? 0 : i >= kNumRates ? kNumRates - 1 : i; }

    std::array<int, kNumRates> roundedPeriod{};
    std::array<int, kNumRates> countdown{};
    const ClockTime* timeInfo = nullptr;
    std::array<int, kNumRates> countdownCopy{};
    std::array<double, kNumRates> nextBoundary{};
    std::array<double, kNumRates> exactPeriod{};
    double position = 0.0;
    double rate = 44100.0;
    double samplesPerBeat = 0.0;
    double lastSongPos = -1.0;
};

// The tempo as the clock uses it: rounded to 1/1000 BPM, so that hosts reporting 119.99951 run at 120.
double roundTempo(double t);
