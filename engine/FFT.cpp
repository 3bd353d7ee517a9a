#include "engine/FFT.h"

#include <fftw3.h>

#include <mutex>

namespace {

constexpr float kForwardScale = 1.0f / 4096.0f;
// The unnormalised inverse returns kSize times the input; the spectrum was scaled by 1/4096.
constexpr float kInverseScale = 4096.0f / FFT::kSize;

// FFTW plans with the new-array interface want buffers aligned like the ones they were made with.
struct alignas(64) TimeBuffer {
    float data[FFT::kSize];
};
struct alignas(64) BinBuffer {
    fftwf_complex data[FFT::kBins + 1];
};

struct Plans {
    fftwf_plan forward = nullptr;
    fftwf_plan inverse = nullptr;

    // FFTW itself stays loaded with the host, so the plans must go with this module, not with FFTW.
    ~Plans() {
        if (forward != nullptr) fftwf_destroy_plan(forward);
        if (inverse != nullptr) fftwf_destroy_plan(inverse);
    }
};

Plans& plans() {
    static Plans shared;
    return shared;
}

void makePlans() {
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    Plans& p = plans();
    if (p.forward != nullptr) return;
    // Planning overwrites the arrays, so plan on scratch buffers. FFTW_ESTIMATE picks the same plan in
    // every process, which keeps the built tables bit-identical from run to run.
    static TimeBuffer time;
    static BinBuffer bins;
    p.inverse = fftwf_plan_dft_c2r_1d(FFT::kSize, bins.data, time.data, FFTW_ESTIMATE);
    p.forward = fftwf_plan_dft_r2c_1d(FFT::kSize, time.data, bins.data, FFTW_ESTIMATE);
}

} // namespace

void FFT::init() {
    static std::once_flag once;
    std::call_once(once, makePlans);
}

void FFT::forward(const float* time, float* spectrum) {
    init();
    TimeBuffer in;
    BinBuffer out;
    for (int i = 0; i < kSize; ++i) in.data[i] = time[i];
    fftwf_execute_dft_r2c(plans().forward, in.data, out.data);
    spectrum[0] = out.data[0][0] * kForwardScale;
    spectrum[1] = out.data[kBins][0] * kForwardScale;
    for (int k = 1; k < kBins; ++k) {
        spectrum[index(k)] = out.data[k][0] * kForwardScale;
        spectrum[index(k) + 1] = out.data[k][1] * kForwardScale;
    }
}

void FFT::inverse(const float* spectrum, float* time) {
    init();
    BinBuffer in;
    TimeBuffer out;
    in.data[0][0] = spectrum[0];
    in.data[0][1] = 0.0f;
    in.data[kBins][0] = spectrum[1];
    in.data[kBins][1] = 0.0f;
    for (int k = 1; k < kBins; ++k) {
        in.data[k][0] = spectrum[index(k)];
        in.data[k][1] = spectrum[index(k) + 1];
    }
    fftwf_execute_dft_c2r(plans().inverse, in.data, out.data);
    for (int i = 0; i < kSize; ++i) time[i] = out.data[i] * kInverseScale;
}
