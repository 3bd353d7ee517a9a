#pragma once

// Where a voice draws its white noise: one sequence shared by all voices of the instrument, drawn in
// the order in which they render. The instrument implements it.
class NoiseSource {
public:
    // The next noise sample, about −1..1.
    virtual double getNoise() = 0;
    // The next count samples of the sequence, in order.
    virtual void fillNoise(double* out, int count) {
        for (int i = 0; i < count; ++i) out[i] = getNoise();
    }

protected:
    ~NoiseSource() = default;
};
