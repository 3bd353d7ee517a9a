#include "tests/instrument/TempHome.h"
#include "tests/instrument/WaveTestFiles.h"
#include "tests/support/KorvantaTestHost.h"
#include "tests/support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

using namespace testhost;

namespace {

// Oscillator 1 alone, so that what sounds is the table it reads.
void soloOscillator1(Korvanta& plug) {
    setParam(plug, kOsc2OffOn, 0);
    setParam(plug, kOsc3OffOn, 0);
}

// Strength of harmonic h of a 440 Hz tone, relative to the fundamental.
double harmonicRatio(const std::vector<double>& x, double rate, int h) {
    const std::vector<double> tail(x.begin() + 2048, x.end());
    const std::vector<double> mag = testsupport::magnitudeSpectrum(tail);
    auto peakNear = [&](double hz) {
        const int bin = static_cast<int>(std::lround(hz * tail.size() / rate));
        return *std::max_element(mag.begin() + bin - 3, mag.begin() + bin + 4);
    };
    return peakNear(440.0 * h) / peakNear(440.0);
}

class KorvantaUserWave : public ::testing::Test {
protected:
    TempHome home;
};

} // namespace

TEST_F(KorvantaUserWave, AnImportedTablePlaysItsHarmonics) {
    // One cycle of a sine with a strong third harmonic, which no default table has.
    std::vector<double> cycle(2048);
    for (int i = 0; i < 2048; ++i) {
        const double phase = 2.0 * M_PI * i / 2048.0;
        cycle[i] = 0.6 * std::sin(phase) + 0.3 * std::sin(3.0 * phase);
    }
    const std::string path = home.file("third.wav");
    std::ofstream(path, std::ios::binary) << WaveTestFiles::wav(WaveTestFiles::Format{}, cycle);

    auto plug = makeInstrument();
    soloOscillator1(*plug);
    ASSERT_TRUE(plug->loadWaveTable(0, path));
    setParam(*plug, kWaveTable1, 65531);
    sendMidi(*plug, 0, 0x90, 69, 127);
    const Stereo played = render(*plug, 8192, 512);
    EXPECT_GT(testsupport::rms(played.left), 0.01);
    EXPECT_NEAR(harmonicRatio(played.left, 44100.0, 3), 0.5, 0.05);
    EXPECT_LT(harmonicRatio(played.left, 44100.0, 2), 0.01);
}
