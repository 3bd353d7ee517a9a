#include "engine/ExpEG.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kLn10 = 2.302585092994046;
constexpr double kAttackTarget = 10.0 / 9.0;
constexpr double kReleaseTarget = -1.0 / 9.0;
} // namespace

ExpEG::ExpEG() {
    rateConstant = kLn10 / 1000.0;
}

double ExpEG::rate(double x) const {
    // Above 1 the recursion would overshoot, and above 2 diverge, at very low sample rates.
    return std::min((std::pow(5.0, 3.3 - 7.5 * x) + 0.05) * rateConstant, 1.0);
}

void ExpEG::setSampleRate(double fs) {
    if (isUsableRate(fs)) rateConstant = kLn10 / fs;
    reset();
}

void ExpEG::start() {
    if (singleTrigger && (state == kAttack || state == kDecay)) return;
    state = kAttack;
    target = kAttackTarget;
    coefficient = rate(attack);
}

void ExpEG::stop() {
    if (level > 0.0) {
        state = kRelease;
        target = kReleaseTarget;
        coefficient = rate(release);
    } else {
        state = kOff;
        level = 0.0;
    }
}

void ExpEG::endAttack() {
    level = 1.0;
    state = kDecay;
    coefficient = rate(decay);
    target = sustain;
}

void ExpEG::setAttack(double x) {
    attack = finiteOr(x, 0.0);
    if (state == kAttack) coefficient = rate(attack);
}

void ExpEG::setDecay(double x) {
    decay = finiteOr(x, 0.0);
    if (state == kDecay) coefficient = rate(decay);
}

void ExpEG::setSustain(double x) {
    sustain = finiteOr(x, 0.0);
    if (state == kDecay) target = sustain;
}

void ExpEG::setRelease(double x) {
    release = finiteOr(x, 0.0);
    if (state == kRelease) coefficient = rate(release);
}
