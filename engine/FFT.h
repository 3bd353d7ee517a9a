#pragma once

// Real FFT of the one size the wave tables use, over FFTW in single precision.
//
// A spectrum is 2048 floats: bin k (1..1023) has its real part at index(k) and its imaginary part at
// index(k) + 1; the pair of bin 0 holds the DC term and then the Nyquist term. The forward transform is
// scaled by 1/4096, so a sine of amplitude 1 at harmonic h reads -0.25 in the imaginary part of bin h,
// and inverse() exactly undoes forward().
//
// The plans are made once per process, under a lock (the FFTW planner is not thread-safe); executing
// them afterwards is safe from any thread.
class FFT {
public:
    static constexpr int kSize = 2048;
    static constexpr int kBins = kSize / 2;

    // Makes the plans if no one has yet. forward() and inverse() call it too.
    static void init();

    static constexpr int index(int bin) { return 2 * bin; }

    // time -> spectrum; the two arrays may not overlap.
    static void forward(const float* time, float* spectrum);
    // spectrum -> time; the two arrays may not overlap.
    static void inverse(const float* spectrum, float* time);
};
