#pragma once

#include <atomic>
#include <cstdint>

class Clock;

// A low-frequency modulation generator advanced once per control tick, either free-running with a
// period in ticks or following the host's tempo through the Clock.
class MG {
public:
    enum Waveform { eSine = 0, eTriangle, eSawDown, eSawUp, eRectangle, eSampleHold, eNumWaveforms };

    MG() = default;

    // The clock that a synced generator follows (the tick length comes from the clock's rate).
    void setClock(const Clock* c) { clock = c; }
    // p in control ticks per cycle; keeps the phase when free-running.
    void setPeriod(int p);
    void setSync(bool on);
    void update();

    int getPeriod() const { return period; }
    int getCounter() const { return counter; }
    bool isSynced() const { return sync; }

    // Reseeds the random sequence that every generator shares (for reproducible tests).
    static void setSeed(int32_t s) { seed.store(s, std::memory_order_relaxed); }

    double output = 0.0;  // −1..1, read by the voices
    int waveform = eSine; // written by the owner
    int syncRate = 9;     // note value index when synced ("1/4"), written by the owner

private:
    void rescale(int p);
    static double random();

    // Generators of instances on different threads draw from it at once: each draw reads and writes it
    // whole, and a draw two generators happen to share harms nothing.
    static std::atomic<int32_t> seed;

    const Clock* clock = nullptr;
    int period = 1;
    int requestedPeriod = 1;
    int counter = 0;
    double inverse = 0.0;
    double heldValue = 0.0;
    double previousRamp = 0.0;
    bool sync = false;
};
