#include "engine/LinearEG.h"

LinearEG::LinearEG() {
    rateConstant = 10.0 * 1000.0;
}

double LinearEG::slopeFor(double distance, double x) const {
    const double samples = stageLength(x);
    return samples == 0.0 ? distance : distance / samples;
}

void LinearEG::setSampleRate(double fs) {
    if (isUsableRate(fs)) rateConstant = 10.0 * fs;
    reset();
}

void LinearEG::start() {
    if (singleTrigger && (state == kAttack || state == kDecay || state == kSustain)) return;
    state = kAttack;
    slope = slopeFor(1.0, attack);
}

void LinearEG::stop() {
    if (level > 0.0) {
        state = kRelease;
        slope = slopeFor(0.0 - level, release);
    } else {
        state = kOff;
        level = 0.0;
    }
}

void LinearEG::endAttack() {
    level = 1.0;
    state = kDecay;
    slope = slopeFor(sustain - 1.0, decay);
}

void LinearEG::setAttack(double x) {
    attack = finiteOr(x, 0.0);
    if (state == kAttack) slope = slopeFor(1.0, attack);
}

void LinearEG::setDecay(double x) {
    decay = finiteOr(x, 0.0);
    if (state == kDecay) slope = slopeFor(sustain - 1.0, decay);
}

void LinearEG::setSustain(double x) {
    sustain = finiteOr(x, 0.0);
}

void LinearEG::setRelease(double x) {
    release = finiteOr(x, 0.0);
    // Taken from the sustain level rather than the current level, as the envelope always has.
    if (state == kRelease) slope = slopeFor(0.0 - sustain, release);
}
