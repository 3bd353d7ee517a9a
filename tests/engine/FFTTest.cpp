#include "engine/FFT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int N = FFT::kSize;

std::vector<float> spectrumOf(const std::vector<float>& time) {
    std::vector<float> bins(N);
    FFT::forward(time.data(), bins.data());
    return bins;
}

std::vector<float> tone(double harmonic, double amplitude, bool cosine) {
    std::vector<float> x(N);
    for (int i = 0; i < N; ++i) {
        const double angle = 2.0 * std::numbers::pi * harmonic * i / N;
        x[i] = static_cast<float>(amplitude * (cosine ? std::cos(angle) : std::sin(angle)));
    }
    return x;
}

} // namespace

TEST(FFT, InverseUndoesForward) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> x(N);
    for (float& v : x) v = noise(random);
    std::vector<float> back(N);
    FFT::inverse(spectrumOf(x).data(), back.data());
    for (int i = 0; i < N; ++i) EXPECT_NEAR(back[i], x[i], 2e-6) << i;
}

TEST(FFT, TransformsFromSeveralThreadsAgree) {
    const std::vector<float> x = tone(3, 0.5, false);
    const std::vector<float> expected = spectrumOf(x);
    std::vector<std::vector<float>> results(4, std::vector<float>(N));
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&x, &result] {
            for (int round = 0; round < 200; ++round) FFT::forward(x.data(), result.data());
        });
    for (auto& t : threads) t.join();
    for (const auto& result : results) EXPECT_EQ(result, expected);
}
