#include "tests/support/SignalAnalysis.h"

#include <cmath>
#include <fftw3.h>
#include <mutex>
#include <numbers>

namespace testsupport {

std::vector<double> magnitudeSpectrum(const std::vector<double>& signal, bool window) {
    const int n = static_cast<int>(signal.size());
    std::vector<double> magnitudes(n / 2 + 1, 0.0);
    if (n < 2) return magnitudes;
    // fftw's planner is not thread-safe; tests may run spectra from several threads.
    static std::mutex plannerLock;
    float* in = fftwf_alloc_real(n);
    fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
    fftwf_plan plan;
    {
        std::lock_guard<std::mutex> lock(plannerLock);
        plan = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    }
    for (int i = 0; i < n; ++i) {
        const double w = window ? 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n) : 1.0;
        in[i] = static_cast<float>(signal[i] * w);
    }
    fftwf_execute(plan);
    for (int k = 0; k <= n / 2; ++k) magnitudes[k] = std::hypot(out[k][0], out[k][1]);
    {
        std::lock_guard<std::mutex> lock(plannerLock);
        fftwf_destroy_plan(plan);
    }
    fftwf_free(in);
    fftwf_free(out);
    return magnitudes;
}

double measurePitch(const std::vector<double>& signal, double sampleRate) {
    const std::vector<double> mag = magnitudeSpectrum(signal);
    int peak = 1;
    for (int k = 2; k + 1 < static_cast<int>(mag.size()); ++k)
        if (mag[k] > mag[peak]) peak = k;
    if (peak + 1 >= static_cast<int>(mag.size())) return peak * sampleRate / signal.size();
    const double a = std::log(mag[peak - 1] + 1e-30);
    const double b = std::log(mag[peak] + 1e-30);
    const double c = std::log(mag[peak + 1] + 1e-30);
    const double denominator = a - 2.0 * b + c;
    const double offset = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
    return (peak + offset) * sampleRate / signal.size();
}

double rms(const std::vector<double>& signal) {
    if (signal.empty()) return 0.0;
    double sum = 0.0;
    for (double s : signal) sum += s * s;
    return std::sqrt(sum / signal.size());
}

} // namespace testsupport
