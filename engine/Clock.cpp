#include "engine/Clock.h"

#include <cmath>
#include <limits>

namespace {

// Periods are kept as 32-bit sample counts; absurdly slow tempi saturate instead of overflowing.
int toSamples(double exact) {
    const double rounded = std::floor(exact + 0.5);
    if (!(rounded >= 0.0)) return 0;
    if (rounded >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

double finiteOr(double v, double fallback) {
    return std::isfinite(v) ? v : fallback;
}

} // namespace

double roundTempo(double t) {
    return std::round(t * 1000.0) * 0.001;
}

void Clock::setRate(double fs) {
    if (std::isfinite(fs) && fs > 0.0) rate = fs;
}

int Clock::samplesPerTick() const {
    if (rate >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max() / 1000;
    return static_cast<int>(rate) / 1000;
}

void Clock::synchronize(const ClockTime* time) {
    if (time == nullptr) return;
    timeInfo = time;
    const double tempo = roundTempo(time->tempo);
    // Hosts without a tempo (or with a broken one) get 120 BPM.
    const double secondsPerBeat = (tempo > 0.0 && std::isfinite(tempo)) ? 60.0 / tempo : 0.5;
    samplesPerBeat = secondsPerBeat * rate;
    for (int i = 0; i < kNumRates; ++i) {
        exactPeriod[i] = samplesPerBeat * syncRate[i];
        roundedPeriod[i] = toSamples(exactPeriod[i]);
    }

    const double samplePos = finiteOr(time->samplePos, -1.0);
    const double songPos = finiteOr(time->ppqPos, -1.0);
    if (time->transportRunning) position = samplePos >= 0.0 ? samplesPerBeat * songPos : samplePos;

    if (songPos == lastSongPos) return;
    if (lastSongPos > songPos) {
        position = 0.0;
        countdown = roundedPeriod;
    }
    for (int i = 0; i < kNumRates; ++i) {
        const double exact = exactPeriod[i];
        const double multiple = std::floor(position / exact) * exact;
        nextBoundary[i] = position > multiple ? multiple + exact : multiple;
    }
    lastSongPos = songPos;
}

void Clock::reset() {
    position = 0.0;
    countdown = roundedPeriod;
}

void Clock::update() {
    if (position >= 0.0) countdownCopy = countdown;
}
