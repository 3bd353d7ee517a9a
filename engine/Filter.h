#pragma once

#include <cmath>

// A biquad section. Subclasses choose the response in calcCoeffs(); the recursion itself is shared.
// The transfer function is y = b0·x + b1·x1 + b0·x2 + a1·y1 + a2·y2 (b2 equals b0 for the designs used).
class Filter {
public:
    Filter() = default;
    virtual void calcCoeffs() {}
    virtual ~Filter() = default;

    // Clears the state and the coefficients; the coefficients come back with the next setCutoff/setQ.
    void setSampleRate(double fs);
    // fc in Hz.
    void setCutoff(double fc);
    void setQ(double newQ);
    void clear() { x1 = x2 = y1 = y2 = 0.0; }

    double process(double x) {
        // A single bad sample (or a blown-up state) must not poison the recursion for good.
        if (!std::isfinite(x)) x = 0.0;
        double y = (x2 + x) * b0 + b1 * x1 + a1 * y1 + a2 * y2;
        if (!std::isfinite(y)) y = 0.0;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y1;
    }

    double getQ() const { return q; }

protected:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    // Leaves a silent filter instead of non-finite coefficients (zero rate, zero Q, …).
    void discardNonFiniteCoeffs();

    double omega = 0.0; // radians per sample
    double q = 0.7071067811865476;
    double sampleRate = 44100.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double b0 = 0.0;
    double b1 = 0.0;
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
};
