#pragma once

#include "engine/EG.h"

// Linear ADSR: each stage runs at a constant slope so that a full stage lasts x · 10 seconds.
class LinearEG final : public EG {
public:
    enum State { kOff = 0, kAttack = 1, kDecay = 2, kSustain = 3, kRelease = 4 };

    LinearEG();

    void start() override;
    void stop() override;
    void setSampleRate(double fs) override;
    void update() override {
        switch (state) {
        case kAttack:
            level += slope;
            if (level > 1.0) endAttack();
            break;
        case kDecay:
            level += slope;
            if (sustain >= level) {
                level = sustain;
                state = kSustain;
            }
            break;
        case kRelease:
            level += slope;
            if (level <= 0.0) {
                level = 0.0;
                state = kOff;
            }
            break;
        default:
            break;
        }
    }
    void setAttack(double x) override;
    void setDecay(double x) override;
    void setSustain(double x) override;
    void setRelease(double x) override;

    double getSlope() const { return slope; }

private:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    // Samples of a stage with time parameter x.
    double stageLength(double x) const { return x * rateConstant; }
    // distance / stageLength(x), or the whole distance in one sample for a zero-length stage.
    double slopeFor(double distance, double x) const;
    void endAttack();

    double slope = 0.0;
};
