#include "engine/MG.h"

#include "engine/Clock.h"
#include "engine/RandomSequence.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

std::atomic<int32_t> MG::seed{1};

namespace {

double inverseOf(int period) {
    return period >= 2 ? 1.0 / (period - 1.0) : 0.0;
}

int saturate(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, std::numeric_limits<int>::max()));
}

} // namespace

double MG::random() {
    const int32_t next = RandomSequence::next(seed.load(std::memory_order_relaxed));
    seed.store(next, std::memory_order_relaxed);
    return RandomSequence::toUnit(next);
}

void MG::rescale(int p) {
    // Guarded against a zero or negative period as well as the documented cases.
    if (p >= 1 && period >= 1 && counter < period) {
        counter = static_cast<int>(static_cast<int64_t>(counter) * p / period);
    } else {
        counter = 0;
    }
    period = p;
    inverse = inverseOf(p);
}

void MG::setPeriod(int p) {
    if (!sync) rescale(p);
    requestedPeriod = p;
}

void MG::setSync(bool on) {
    const bool wasSynced = sync;
    sync = on;
    if (wasSynced && !on) rescale(requestedPeriod);
}

void MG::update() {
    if (sync && clock != nullptr) {
        const int64_t ticks = 2 * static_cast<int64_t>(clock->samplesPerTick());
        period = saturate(ticks * clock->getRoundedPeriod(syncRate));
        counter = saturate(ticks * clock->getCountdown(syncRate));
        inverse = inverseOf(period);
    }
    if (counter >= period) counter = 0;
    const double r = period >= 2 ? 1.0 - 2.0 * counter * inverse : 0.0;

    switch (waveform) {
    case eSine:
        output = std::sin((r + 1.0) * std::numbers::pi);
        break;
    case eTriangle:
        output = r < 0.0 ? 2.0 * r + 1.0 : 1.0 - 2.0 * r;
        break;
    case eSawDown:
        output = -r;
        break;
    case eSawUp:
        output = r;
        break;
    case eRectangle:
        output = r < 0.0 ? 1.0 : -1.0;
        break;
    case eSampleHold:
        if (previousRamp > r) heldValue = random();
        output = heldValue;
        previousRamp = r;
        break;
    default:
        break;
    }

    const int before = counter;
    counter = counter - 1;
    if (before <= 0) counter = sync ? 0 : period - 1;
}
