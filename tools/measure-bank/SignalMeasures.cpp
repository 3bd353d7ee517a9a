#include "tools/measure-bank/SignalMeasures.h"

#include <ebur128.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

namespace signalmeasures {

namespace {

constexpr double kRate = kSampleRate;
constexpr int kFftSize = 4096;

size_t frameAt(const StereoSignal& signal, double seconds) {
    const double frame = std::max(0.0, seconds * kRate);
    return std::min(signal.left.size(), static_cast<size_t>(frame));
}

// Power spectrum (bins 0..n/2) of both channels, averaged over Hann-windowed frames overlapping by half.
std::vector<double> powerSpectrum(const StereoSignal& signal) {
    std::vector<double> power(kFftSize / 2 + 1, 0.0);
    std::vector<double> window(kFftSize);
    for (int i = 0; i < kFftSize; ++i) window[i] = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFftSize);
    float* input = fftwf_alloc_real(kFftSize);
    fftwf_complex* output = fftwf_alloc_complex(kFftSize / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFftSize, input, output, FFTW_ESTIMATE);
    for (const std::vector<double>* channel : {&signal.left, &signal.right}) {
        for (size_t start = 0; start + kFftSize <= channel->size(); start += kFftSize / 2) {
            for (int i = 0; i < kFftSize; ++i)
                input[i] = static_cast<float>((*channel)[start + i] * window[i]);
            fftwf_execute(plan);
            for (int k = 0; k <= kFftSize / 2; ++k)
                power[k] += static_cast<double>(output[k][0]) * output[k][0] +
                            static_cast<double>(output[k][1]) * output[k][1];
        }
    }
    fftwf_destroy_plan(plan);
    fftwf_free(output);
    fftwf_free(input);
    return power;
}

} // namespace

double toDb(double gain) {
    return gain > 0.0 ? std::max(kSilentDb, 20.0 * std::log10(gain)) : kSilentDb;
}

double integratedLoudness(const StereoSignal& signal) {
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(2, static_cast<unsigned long>(kRate), EBUR128_MODE_I),
        [](ebur128_state* s) { ebur128_destroy(&s); });
    std::vector<double> interleaved(2 * signal.left.size());
    for (size_t i = 0; i < signal.left.size(); ++i) {
        interleaved[2 * i] = signal.left[i];
        interleaved[2 * i + 1] = signal.right[i];
    }
    ebur128_add_frames_double(state.get(), interleaved.data(), signal.left.size());
    double loudness = kSilentDb;
    if (ebur128_loudness_global(state.get(), &loudness) != EBUR128_SUCCESS || !std::isfinite(loudness))
        return kSilentDb;
    return loudness;
}

double peakDb(const StereoSignal& signal, double fromSeconds, double toSeconds) {
    double peak = 0.0;
    for (size_t i = frameAt(signal, fromSeconds); i < frameAt(signal, toSeconds); ++i)
        peak = std::max({peak, std::fabs(signal.left[i]), std::fabs(signal.right[i])});
    return toDb(peak);
}

double rmsDb(const StereoSignal& signal, double fromSeconds, double toSeconds) {
    const size_t from = frameAt(signal, fromSeconds);
    const size_t to = frameAt(signal, toSeconds);
    if (to <= from) return kSilentDb;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += signal.left[i] * signal.left[i] + signal.right[i] * signal.right[i];
    return toDb(std::sqrt(sum / (2.0 * static_cast<double>(to - from))));
}

std::vector<double> thirdOctaveSpectrum(const StereoSignal& signal) {
    const std::vector<double> power = powerSpectrum(signal);
    const double binHz = kRate / kFftSize;
    std::vector<double> bands;
    double total = 0.0;
    // Centres 1 kHz * 2^(k/3): 25 Hz (k = -16) to 20 kHz (k = 13).
    for (int k = -16; k <= 13; ++k) {
        const double centre = 1000.0 * std::pow(2.0, k / 3.0);
        const double low = centre * std::pow(2.0, -1.0 / 6.0);
        const double high = std::min(centre * std::pow(2.0, 1.0 / 6.0), kRate / 2.0);
        double sum = 0.0;
        for (size_t bin = 1; bin < power.size(); ++bin) {
            const double hz = static_cast<double>(bin) * binHz;
            if (hz >= low && hz < high) sum += power[bin];
        }
        bands.push_back(sum);
        total += sum;
    }
    for (double& band : bands)
        band = total > 0.0 && band > 0.0 ? std::max(-70.0, 10.0 * std::log10(band / total)) : -70.0;
    return bands;
}

double spectralCentroid(const StereoSignal& signal) {
    const std::vector<double> power = powerSpectrum(signal);
    double weighted = 0.0;
    double sum = 0.0;
    for (size_t bin = 1; bin < power.size(); ++bin) {
        weighted += power[bin] * static_cast<double>(bin) * kRate / kFftSize;
        sum += power[bin];
    }
    return sum > 0.0 ? weighted / sum : 0.0;
}

std::vector<double> envelope(const StereoSignal& signal) {
    const size_t frame = static_cast<size_t>(0.05 * kRate);
    std::vector<double> levels;
    for (size_t start = 0; start + frame <= signal.left.size(); start += frame) {
        double sum = 0.0;
        for (size_t i = start; i < start + frame; ++i)
            sum += signal.left[i] * signal.left[i] + signal.right[i] * signal.right[i];
        levels.push_back(sum > 0.0 ? 10.0 * std::log10(sum / static_cast<double>(frame)) : kSilentDb);
    }
    const double loudest = levels.empty() ? 0.0 : *std::max_element(levels.begin(), levels.end());
    for (double& level : levels) level = std::max(-60.0, level - loudest);
    return levels;
}

double distanceDb(const std::vector<double>& a, const std::vector<double>& b) {
    const size_t n = std::min(a.size(), b.size());
    if (n == 0) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(n));
}

double sideToMidDb(const StereoSignal& signal) {
    double side = 0.0;
    double mid = 0.0;
    for (size_t i = 0; i < signal.left.size(); ++i) {
        side += (signal.left[i] - signal.right[i]) * (signal.left[i] - signal.right[i]);
        mid += (signal.left[i] + signal.right[i]) * (signal.left[i] + signal.right[i]);
    }
    if (mid <= 0.0) return kSilentDb;
    return side > 0.0 ? std::max(kSilentDb, 10.0 * std::log10(side / mid)) : kSilentDb;
}

double dcToRmsDb(const StereoSignal& signal) {
    double worst = kSilentDb;
    for (const std::vector<double>* channel : {&signal.left, &signal.right}) {
        if (channel->empty()) continue;
        double sum = 0.0;
        double squares = 0.0;
        for (double x : *channel) {
            sum += x;
            squares += x * x;
        }
        const double n = static_cast<double>(channel->size());
        if (squares > 0.0) worst = std::max(worst, toDb(std::fabs(sum / n) / std::sqrt(squares / n)));
    }
    return worst;
}

double largestGainStep(const StereoSignal& signal, double windowSamples, double fromSeconds,
                       double toSeconds) {
    const auto window = static_cast<size_t>(std::max(1.0, std::round(windowSamples)));
    const size_t n = signal.left.size();
    // Running sums of the power of both channels give any stretch's level in one subtraction.
    std::vector<double> sums(n + 1, 0.0);
    for (size_t i = 0; i < n; ++i)
        sums[i + 1] = sums[i] + signal.left[i] * signal.left[i] + signal.right[i] * signal.right[i];
    auto level = [&](size_t from) { return std::sqrt((sums[from + window] - sums[from]) / window); };
    if (n < 2 * window + 1) return 0.0;
    std::vector<double> levels(n - window + 1);
    for (size_t i = 0; i + window <= n; ++i) levels[i] = level(i);

    // The loudest level of each 5 ms block, so that the loudest within 25 ms is a short search.
    const size_t block = static_cast<size_t>(0.005 * kRate);
    std::vector<double> blockMax((levels.size() + block - 1) / block, 0.0);
    for (size_t i = 0; i < levels.size(); ++i) blockMax[i / block] = std::max(blockMax[i / block], levels[i]);

    const size_t from = std::max(window, frameAt(signal, fromSeconds));
    const size_t to = std::min(n - window, frameAt(signal, toSeconds));
    // Steps more than 40 dB under the loudest level of the stretch are inaudible, whatever their ratio.
    double floor = 0.0;
    for (size_t i = from; i < to; ++i) floor = std::max(floor, 0.01 * levels[i]);
    double largest = 0.0;
    for (size_t i = from; i < to; ++i) {
        const size_t b = i / block;
        double local = floor;
        for (size_t k = b >= 5 ? b - 5 : 0; k <= std::min(blockMax.size() - 1, b + 5); ++k)
            local = std::max(local, blockMax[k]);
        if (local <= 0.0) continue;
        largest = std::max(largest, std::fabs(levels[i] - levels[i - window]) / local);
    }
    return largest;
}

} // namespace signalmeasures
