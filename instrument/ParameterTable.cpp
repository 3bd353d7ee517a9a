#include "instrument/ParameterTable.h"

#include "engine/Properties.h"
#include "tuning/Pitch.h"

#include <cmath>
#include <cstdio>

const char* const labelOffOn[2] = {"Off", "On"};
const char* const labelPolyphonyModes[8] = {"1", "2", "4", "8", "16", "32", "64", nullptr};
const char* const labelWaveMode[2] = {"Interpolate", "Raw"};
const char* const labelRestartMode[2] = {"Continuous", "Restarting"};
const char* const labelOctave[4] = {"16'", "8'", "4'", "2'"};
const char* const labelHardSync2[4] = {"Off", "Osc 1", "Osc 3", nullptr};
const char* const labelHardSync3[4] = {"Off", "Osc 1", "Osc 2", nullptr};
const char* const labelLinFM2[2] = {"Osc 1", "Osc 3"};
const char* const labelLinFM3[2] = {"Osc 2", "Osc 1"};
const char* const labelEGTrigger[2] = {"Multiple", "Single"};
const char* const labelMGWaveform[6] = {"Sine", "Triangle", "Saw down", "Saw up", "Rectangle", "Sample/Hold"};
const char* const labelSyncRates[20] = {"4/1",  "2/1.", "2/1",   "1/1.",  "1/1",  "1/2.", "1/2",
                                        "1/4.", "1/2T", "1/4",   "1/8.",  "1/4T", "1/8",  "1/16.",
                                        "1/8T", "1/16", "1/32.", "1/16T", "1/32", "1/64"};

namespace ParameterTable {

void setDisplayTextForDB(double value, char* text) {
    if (value <= 0.0)
        std::snprintf(text, 8, "-oo");
    else
        std::snprintf(text, 8, "%.1f", 20.0 * std::log10(value));
}

void setDisplayTextForCent(double value, char* text) {
    std::snprintf(text, 12, "%.0f", value * 100.0);
}

void setDisplayTextForPitch(double value, char* text) {
    if (value < 0.0)
        std::snprintf(text, 12, "-%.0f", std::floor(std::fabs(value)));
    else
        std::snprintf(text, 12, "+%.0f", std::floor(value));
}

void setDisplayTextForFM(double value, char* text) {
    std::snprintf(text, 8, "%.2f", value * std::fabs(value) * 12.0 * 4.0);
}

void setDisplayTextForFrequency(double value, char* text) {
    const double steps = std::floor(value * 17281.0 + 0.5);
    // Values outside 0..1 only come from callers that bypass the parameter's bounds; keep them in the
    // pitch range so the conversion to int stays defined.
    const int pitch =
        std::isnan(steps) ? 0 : static_cast<int>(std::fmax(-17281.0, std::fmin(17281.0, steps)));
    std::snprintf(text, 12, "%d", static_cast<int>(Pitch::convert2Hz(pitch)));
}

void setDisplayTextForPan(double value, char* text) {
    std::snprintf(text, 8, "%.0f:%.0f", 100.0 - value * 100.0, value * 100.0);
}

void setDisplayTextForOctave(double, char*) {}

namespace {

constexpr Row dbl(const char* name, double min, double max, double def, double step, double shape = 1.0,
                  DisplayFunc display = nullptr) {
    return {name, Kind::Double, min, max, def, step, shape, nullptr, 0, display};
}

constexpr Row integer(const char* name, int min, int max, int def) {
    return {name, Kind::Int, double(min), double(max), double(def), 1.0, 1.0, nullptr, 0, nullptr};
}

template <int N>
constexpr Row list(const char* name, const char* const (&labels)[N], int def, int count = N) {
    return {name, Kind::Enum, 0.0, double(count - 1), double(def), 1.0, 1.0, labels, count, nullptr};
}

template <size_t N>
constexpr Row list(const char* name, const std::array<const char*, N>& labels, int def, int count) {
    return {name, Kind::Enum, 0.0, double(count - 1), double(def), 1.0, 1.0, labels.data(), count, nullptr};
}

// Amount (-1..1) followed by its modulation source: both carry the same name.
constexpr Row amount(const char* name, double def = 0.0, double step = 0.01, DisplayFunc display = nullptr) {
    return dbl(name, -1.0, 1.0, def, step, 1.0, display);
}
constexpr Row source(const char* name, int def = 0) {
    return list(name, Properties::labelModSources, def, Properties::eNumModSources);
}

constexpr Row unit(const char* name, double def) {
    return dbl(name, 0.0, 1.0, def, 0.01);
}
constexpr Row level(const char* name, double def) {
    return dbl(name, 0.0, 2.0, def, 0.01, 1.0, setDisplayTextForDB);
}
constexpr Row pan(const char* name) {
    return dbl(name, 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForPan);
}
constexpr Row pitch(const char* name) {
    return dbl(name, -12.0, 12.0, 0.0, 1.0, 1.0, setDisplayTextForPitch);
}
constexpr Row tune(const char* name) {
    return dbl(name, -1.0, 1.0, 0.0, 0.01, 1.0, setDisplayTextForCent);
}
constexpr Row phase(const char* name) {
    return dbl(name, 0.0, 360.0, 0.0, 1.0);
}
constexpr Row hertz(const char* name, double max, double def) {
    return dbl(name, 0.01, max, def, 0.01, 4.0);
}
constexpr Row reserved() {
    return integer("reserved", 0, 1, 0);
}

constexpr std::array<Row, kNumParams> kRows = {
    dbl("Volume", 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForDB),
    tune("Master Tune"),
    list("Number of Voices", labelPolyphonyModes, 0, 7),
    list("Unison Mode", labelOffOn, 0),
    unit("Unison Detune", 0.1),
    unit("Unison Spread", 0.5),
    list("X-Mode", labelOffOn, 0),
    integer("Pitch Bend", -12, 12, 2),
    dbl("Portamento", 0.0, 1.0, 0.0, 0.01, 2.0),
    list("Portamento Legato", labelOffOn, 0),
    // Oscillator 1
    list("Osc 1 Off/On", labelOffOn, 1),
    integer("Wave Table 1", 0, 65535, 0),
    unit("Wave Shape 1", 0.0),
    list("Wave Mode 1", labelWaveMode, 0),
    amount("Wave Shape Mod 1"),
    source("Wave Shape Mod 1"),
    phase("Start Phase 1"),
    list("Restart Mode 1", labelRestartMode, 0),
    unit("AM by Osc 2", 0.0),
    unit("AM Osc 3", 0.0),
    amount("AM Mod"),
    source("AM Mod"),
    list("Octave 1", labelOctave, 1),
    pitch("Pitch 1"),
    tune("Tune 1"),
    amount("Frequency Mod 1", 0.0, 0.005, setDisplayTextForFM),
    source("Frequency Mod 1"),
    amount("Amplitude Mod 1"),
    source("Amplitude Mod 1"),
    // Oscillator 2
    list("Osc 2 Off/On", labelOffOn, 1),
    integer("Wave Table 2", 0, 65535, 0),
    unit("Wave Shape 2", 0.0),
    list("Wave Mode 2", labelWaveMode, 0),
    amount("Wave Shape Mod 2"),
    source("Wave Shape Mod 2"),
    list("Restart Mode 2", labelRestartMode, 0),
    phase("Start Phase 2"),
    list("Hard Sync 2", labelHardSync2, 0, 3),
    unit("Linear FM 2", 0.0),
    list("Linear FM 2", labelLinFM2, 0),
    amount("Linear FM Mod 2"),
    source("Linear FM Mod 2"),
    list("Octave 2", labelOctave, 1),
    pitch("Pitch 2"),
    tune("Tune 2"),
    amount("Frequency Mod 2", 0.0, 0.005, setDisplayTextForFM),
    source("Frequency Mod 2"),
    amount("Amplitude Mod 2"),
    source("Amplitude Mod 2"),
    // Oscillator 3
    list("Osc 3 Off/On", labelOffOn, 1),
    integer("Wave Table 3", 0, 65535, 0),
    unit("Wave Shape 3", 0.0),
    list("Wave Mode 3", labelWaveMode, 0),
    amount("Wave Shape Mod 3"),
    source("Wave Shape Mod 3"),
    list("Restart Mode 3", labelRestartMode, 0),
    phase("Start Phase 3"),
    list("Hard Sync 3", labelHardSync3, 0, 3),
    unit("Linear FM 3", 0.0),
    list("Linear FM 3", labelLinFM3, 0),
    amount("Linear FM Mod 3"),
    source("Linear FM Mod 3"),
    list("Octave 3", labelOctave, 1),
    pitch("Pitch 3"),
    tune("Tune 3"),
    amount("Frequency Mod 3", 0.0, 0.005, setDisplayTextForFM),
    source("Frequency Mod 3"),
    amount("Amplitude Mod 3"),
    source("Amplitude Mod 3"),
    // Mixer
    level("Level Osc 1", 1.0),
    level("Level Osc 2", 1.0),
    level("Level Osc 3", 1.0),
    level("Level Noise", 0.0),
    pan("Pan Osc 1"),
    pan("Pan Osc 2"),
    pan("Pan Osc 3"),
    pan("Pan Noise"),
    // Filter and amplifier
    list("Filter Type", Properties::labelDCFType, 0, Properties::eNumDCFTypes),
    dbl("Filter Cutoff", 0.0, 1.0, 1.0, 0.001, 0.5, setDisplayTextForFrequency),
    unit("Filter Resonance", 0.0),
    unit("Filter Keyboard Track", 0.0),
    amount("Filter EG Intensity"),
    amount("Filter cFM"),
    source("Filter cFM"),
    unit("Amp Velocity", 0.0),
    amount("Amp AM"),
    source("Amp AM"),
    // Chorus
    list("Chorus", labelOffOn, 0),
    unit("Chorus Delay", 0.5),
    hertz("Chorus Speed", 25.0, 0.3),
    unit("Chorus Depth", 0.15),
    amount("Chorus Feedback"),
    dbl("Chorus Mix", 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForPan),
    // Envelopes
    list("Filter EG Trigger", labelEGTrigger, 0),
    amount("Filter EG Mod", 1.0),
    source("Filter EG Mod", 1),
    unit("Filter EG Attack", 0.0),
    unit("Filter EG Decay", 0.0),
    unit("Filter EG Sustain", 0.0),
    unit("Filter EG Release", 0.1),
    list("Amp EG Trigger", labelEGTrigger, 0),
    amount("Amp EG Mod", 1.0),
    source("Amp EG Mod", 1),
    unit("Amp EG Attack", 0.0),
    unit("Amp EG Decay", 0.0),
    unit("Amp EG Sustain", 1.0),
    unit("Amp EG Release", 0.1),
    list("Lin EG 1 Trigger", labelEGTrigger, 0),
    amount("Lin EG 1 Mod", 1.0),
    source("Lin EG 1 Mod", 1),
    unit("Lin EG 1 Attack", 0.0),
    unit("Lin EG 1 Decay", 0.0),
    unit("Lin EG 1 Sustain", 0.0),
    unit("Lin EG 1 Release", 0.1),
    list("Lin EG 2 Trigger", labelEGTrigger, 0),
    amount("Lin EG 2 Mod", 1.0),
    source("Lin EG 2 Mod", 1),
    unit("Lin EG 2 Attack", 0.0),
    unit("Lin EG 2 Decay", 0.0),
    unit("Lin EG 2 Sustain", 0.0),
    unit("Lin EG 2 Release", 0.1),
    // Modulation generators and vibrato
    hertz("MG 1 Frequency", 100.0, 0.3),
    list("MG 1 Waveform", labelMGWaveform, 0),
    list("MG 1 Sync to Host", labelOffOn, 0),
    list("MG 1 Sync Rate", labelSyncRates, 9),
    amount("MG 1 Mod", 1.0),
    source("MG 1 Mod", 1),
    hertz("MG 2 Frequency", 100.0, 0.3),
    list("MG 2 Waveform", labelMGWaveform, 0),
    list("MG 2 Sync to Host", labelOffOn, 0),
    list("MG 2 Sync Rate", labelSyncRates, 9),
    amount("MG 2 Mod", 1.0),
    source("MG 2 Mod", 1),
    hertz("Vibrato Frequency", 100.0, 5.8),
    list("Vibrato Sync to Host", labelOffOn, 0),
    list("Vibrato Sync Rate", labelSyncRates, 9),
    amount("Vibrato Mod", 0.1),
    source("Vibrato Mod", 8),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
    reserved(),
};

} // namespace

const Row& row(int index) {
    return kRows[index];
}

} // namespace ParameterTable
