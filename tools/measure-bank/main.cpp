// measure-bank: plays every program of the module's bank through fixed phrases, as a host would, and
// prints the figures a sound designer balances a bank by, with a summary against the bank's targets.

#include "tools/measure-bank/PhrasePlayer.h"
#include "tools/measure-bank/ProgramMeter.h"
#include "tools/measure-bank/SignalMeasures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The targets a shipped bank holds.
constexpr double kLoudnessRange = 3.0;       // LU around the bank median
constexpr double kEffectLoudnessRange = 6.0; // LU, for the effect programs
constexpr int kFirstEffect = 56;             // the last category holds the sweeps and effects
constexpr double kVelocityLevel = 6.0;       // dB from velocity 40 to 127 ...
constexpr double kVelocityBright = 300.0;    // ... or cents of centroid: a clear brightening
constexpr double kControlSpectrum = 4.0;     // dB of spectral change from the wheel or aftertouch ...
constexpr double kControlBright = 200.0;     // ... or cents of centroid (vibrato alone moves neither)
constexpr double kStereo = -20.0;            // side against mid, dB
constexpr double kTwinSpectrum = 6.0;        // dB; programs closer than this ...
constexpr double kTwinEnvelope = 3.0;        // ... and this are twins
constexpr double kChordPeak = -1.0;          // dBFS
constexpr double kGainStep = 0.8;            // most of the local level, gained or lost within 4 ms
constexpr double kRepeatSpread = 3.0;        // dB
constexpr double kDc = -40.0;                // dB against RMS
constexpr size_t kNameLength = 23;           // what hosts show of a program name

struct Nearest {
    int program = -1;
    double spectrum = 0.0;
    double envelope = 0.0;
};

// Twins are close in both: the nearest is the one closest in the worse of the two, each against its limit.
Nearest nearestOf(const std::vector<ProgramFigures>& bank, size_t i) {
    Nearest best;
    double bestScore = 1e9;
    for (size_t j = 0; j < bank.size(); ++j) {
        if (j == i) continue;
        const double spectrum = signalmeasures::distanceDb(bank[i].spectrum, bank[j].spectrum);
        const double envelope = signalmeasures::distanceDb(bank[i].envelope, bank[j].envelope);
        const double score = std::max(spectrum / kTwinSpectrum, envelope / kTwinEnvelope);
        if (score < bestScore) {
            bestScore = score;
            best = {bank[j].program, spectrum, envelope};
        }
    }
    return best;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

int usage() {
    std::fputs("usage: measure-bank [--module <Korvanta.so>] [--programs <first>-<last>]\n"
               "Renders each program of the module's bank through fixed phrases and prints its figures\n"
               "and a summary against the bank's targets. Exit status 0, 1 on a failed target, 2 on bad\n"
               "options, 3 if the module cannot be loaded.\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string module = KORVANTA_BUILD_PLUGIN;
    int first = 0;
    int last = -1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--module") && i + 1 < argc) {
            module = argv[++i];
        } else if (!std::strcmp(argv[i], "--programs") && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%d-%d", &first, &last) != 2) return usage();
        } else {
            return usage();
        }
    }

    const PhrasePlayer player(module);
    std::vector<std::string> names;
    std::string error;
    if (!player.programNames(&names, &error)) {
        std::fprintf(stderr, "measure-bank: %s\n", error.c_str());
        return 3;
    }
    const int count = static_cast<int>(names.size());
    if (count == 0) {
        std::fprintf(stderr, "measure-bank: %s holds no programs\n", module.c_str());
        return 3;
    }
    if (last < 0 || last >= count) last = count - 1;
    first = std::clamp(first, 0, last);

    const ProgramMeter meter(player);
    std::vector<ProgramFigures> bank;
    std::printf("%-3s %-24s %6s %6s %6s %6s %6s %6s %5s %5s %6s %5s %5s %6s %6s  %s\n", "#", "name", "LUFS",
                "dLU", "chord", "peak", "velDb", "velCt", "ctlDb", "ctlCt", "S/M", "step", "rep", "DC",
                "tilt", "nearest (spectrum/envelope dB)");
    for (int p = first; p <= last; ++p) {
        ProgramFigures figures;
        if (!meter.measure(p, &figures, &error)) {
            std::fprintf(stderr, "measure-bank: %s\n", error.c_str());
            return 3;
        }
        figures.name = names[p];
        bank.push_back(figures);
        std::fprintf(stderr, "\rmeasured %d of %d", p - first + 1, last - first + 1);
    }
    std::fputs("\n", stderr);

    std::vector<double> loudness;
    for (const ProgramFigures& f : bank) loudness.push_back(f.loudness);
    const double bankMedian = median(loudness);

    int outOfLoudness = 0, velocity = 0, controllers = 0, stereo = 0, twins = 0, loudChords = 0, steps = 0,
        dips = 0, offsets = 0, longNames = 0;
    std::set<std::string> unique;
    for (size_t i = 0; i < bank.size(); ++i) {
        const ProgramFigures& f = bank[i];
        const Nearest near = nearestOf(bank, i);
        const double range = f.program >= kFirstEffect ? kEffectLoudnessRange : kLoudnessRange;
        const bool twin = near.program >= 0 && near.spectrum < kTwinSpectrum && near.envelope < kTwinEnvelope;
        outOfLoudness += std::fabs(f.loudness - bankMedian) > range;
        velocity += f.velocityLevel >= kVelocityLevel || f.velocityBright >= kVelocityBright;
        controllers += f.controlSpectrum >= kControlSpectrum || f.controlBright >= kControlBright;
        stereo += f.sideToMid > kStereo;
        twins += twin;
        loudChords += std::max(f.chordPeak, f.phrasePeak) > kChordPeak;
        steps += f.gainStep > kGainStep;
        dips += f.repeatSpread > kRepeatSpread;
        offsets += f.dc > kDc;
        longNames += f.name.size() > kNameLength;
        unique.insert(f.name);
        std::printf(
            "%-3d %-24s %6.1f %+6.1f %6.1f %6.1f %6.1f %6.0f %5.1f %5.0f %6.1f %5.2f %5.1f %6.0f %+6.1f  %s "
            "(%.1f/%.1f)%s\n",
            f.program, f.name.c_str(), f.loudness, f.loudness - bankMedian, f.chordPeak, f.phrasePeak,
            f.velocityLevel, f.velocityBright, f.controlSpectrum, f.controlBright, f.sideToMid, f.gainStep,
            f.repeatSpread, f.dc, f.runTilt, near.program >= 0 ? names[near.program].c_str() : "-",
            near.spectrum, near.envelope, twin ? " TWIN" : "");
    }
    const auto [quietest, loudest] = std::minmax_element(loudness.begin(), loudness.end());
    const int n = static_cast<int>(bank.size());
    std::printf("\nSummary of %d programs (targets in brackets)\n", n);
    std::printf(
        "  loudness median %.1f LUFS, span %.1f LU (%.1f to %.1f); outside +-%.0f LU (effects +-%.0f): "
        "%d [0]\n",
        bankMedian, *loudest - *quietest, *quietest, *loudest, kLoudnessRange, kEffectLoudnessRange,
        outOfLoudness);
    std::printf("  respond to velocity (>= %.0f dB or >= %.0f cents brighter): %d [>= 48]\n", kVelocityLevel,
                kVelocityBright, velocity);
    std::printf("  mod wheel or aftertouch change the timbre (>= %.0f dB or >= %.0f cents): %d [>= 24]\n",
                kControlSpectrum, kControlBright, controllers);
    std::printf("  real stereo (side/mid > %.0f dB): %d [>= 40]\n", kStereo, stereo);
    std::printf("  near twins (< %.0f dB spectrum and < %.0f dB envelope): %d [0]\n", kTwinSpectrum,
                kTwinEnvelope, twins);
    std::printf("  ten-note chord or phrase above %.0f dBFS: %d [0]\n", kChordPeak, loudChords);
    std::printf("  gain steps above %.2f: %d [0]\n", kGainStep, steps);
    std::printf("  repeated notes spread above %.0f dB: %d [0]\n", kRepeatSpread, dips);
    std::printf("  DC above %.0f dB re RMS: %d [0]\n", kDc, offsets);
    std::printf("  names longer than %zu characters: %d, repeated names: %d [0, 0]\n", kNameLength, longNames,
                n - static_cast<int>(unique.size()));
    const bool met = outOfLoudness == 0 &&
                     (n < 64 || (velocity >= 48 && controllers >= 24 && stereo >= 40)) && twins == 0 &&
                     loudChords == 0 && steps == 0 && dips == 0 && offsets == 0 && longNames == 0 &&
                     unique.size() == bank.size();
    return met ? 0 : 1;
}
