#pragma once

#include "engine/EG.h"

// Exponential ADSR: each sample moves a fixed fraction of the distance to a target placed beyond the
// stage's end (10/9 for the attack, −1/9 for the release), so a stage ends after nine tenths of the
// distance. The decay approaches the sustain level and holds there.
class ExpEG final : public EG {
public:
    enum State { kOff = 0, kAttack = 1, kDecay = 2, kRelease = 3 };

    ExpEG();

    void start() override;
    void stop() override;
    void setSampleRate(double fs) override;
    void update() override {
        if (state == kOff) return;
        level += (target - level) * coefficient;
        if (state == kAttack) {
            if (level >= 1.0) endAttack();
        } else if (level <= 0.0) {
            level = 0.0;
            state = kOff;
        }
    }
    void setAttack(double x) override;
    void setDecay(double x) override;
    void setSustain(double x) override;
    void setRelease(double x) override;

    double getCoefficient() const { return coefficient; }

private:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    // Per-sample coefficient of a stage with time parameter x: (5^(3.3 − 7.5x) + 0.05) decades per second.
    double rate(double x) const;
    void endAttack();

    double target = 0.0;
    double coefficient = 0.0;
};
