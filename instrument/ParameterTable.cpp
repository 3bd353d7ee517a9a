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

constexpr Row dbl(int id, const char* name, double min, double max, double def, double step,
                  double shape = 1.0, DisplayFunc display = nullptr) {
    return {id, name, Kind::Double, min, max, def, step, shape, nullptr, 0, display};
}

constexpr Row integer(int id, const char* name, int min, int max, int def) {
    return {id, name, Kind::Int, double(min), double(max), double(def), 1.0, 1.0, nullptr, 0, nullptr};
}

template <int N>
constexpr Row list(int id, const char* name, const char* const (&labels)[N], int def, int count = N) {
    return {id, name, Kind::Enum, 0.0, double(count - 1), double(def), 1.0, 1.0, labels, count, nullptr};
}

template <size_t N>
constexpr Row list(int id, const char* name, const std::array<const char*, N>& labels, int def, int count) {
    return {id,  name,          Kind::Enum, 0.0,    double(count - 1), double(def), 1.0,
            1.0, labels.data(), count,      nullptr};
}

// Amount (-1..1) followed by its modulation source: both carry the same name.
constexpr Row amount(int id, const char* name, double def = 0.0, double step = 0.01,
                     DisplayFunc display = nullptr) {
    return dbl(id, name, -1.0, 1.0, def, step, 1.0, display);
}
constexpr Row source(int id, const char* name, int def = 0) {
    return list(id, name, Properties::labelModSources, def, Properties::eNumModSources);
}

constexpr Row unit(int id, const char* name, double def) {
    return dbl(id, name, 0.0, 1.0, def, 0.01);
}
constexpr Row level(int id, const char* name, double def) {
    return dbl(id, name, 0.0, 2.0, def, 0.01, 1.0, setDisplayTextForDB);
}
constexpr Row pan(int id, const char* name) {
    return dbl(id, name, 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForPan);
}
constexpr Row pitch(int id, const char* name) {
    return dbl(id, name, -12.0, 12.0, 0.0, 1.0, 1.0, setDisplayTextForPitch);
}
constexpr Row tune(int id, const char* name) {
    return dbl(id, name, -1.0, 1.0, 0.0, 0.01, 1.0, setDisplayTextForCent);
}
constexpr Row phase(int id, const char* name) {
    return dbl(id, name, 0.0, 360.0, 0.0, 1.0);
}
constexpr Row hertz(int id, const char* name, double max, double def) {
    return dbl(id, name, 0.01, max, def, 0.01, 4.0);
}
constexpr Row reserved(int id) {
    return integer(id, "reserved", 0, 1, 0);
}

constexpr std::array<Row, kNumParams> kRows = {
    dbl(kVolume, "Volume", 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForDB),
    tune(kMasterTune, "Master Tune"),
    list(kNumberOfVoices, "Number of Voices", labelPolyphonyModes, 0, 7),
    list(kUnisonMode, "Unison Mode", labelOffOn, 0),
    unit(kUnisonDetune, "Unison Detune", 0.1),
    unit(kUnisonSpread, "Unison Spread", 0.5),
    list(kXMode, "X-Mode", labelOffOn, 0),
    integer(kPitchBend, "Pitch Bend", -12, 12, 2),
    dbl(kPortamento, "Portamento", 0.0, 1.0, 0.0, 0.01, 2.0),
    list(kPortamentoLegato, "Portamento Legato", labelOffOn, 0),
    // Oscillator 1
    list(kOsc1OffOn, "Osc 1 Off/On", labelOffOn, 1),
    integer(kWaveTable1, "Wave Table 1", 0, 65535, 0),
    unit(kWaveShape1, "Wave Shape 1", 0.0),
    list(kWaveMode1, "Wave Mode 1", labelWaveMode, 0),
    amount(kWaveShapeMod1, "Wave Shape Mod 1"),
    source(kWaveShapeMod1Source, "Wave Shape Mod 1"),
    phase(kStartPhase1, "Start Phase 1"),
    list(kRestartMode1, "Restart Mode 1", labelRestartMode, 0),
    unit(kAMByOsc2, "AM by Osc 2", 0.0),
    unit(kAMOsc3, "AM Osc 3", 0.0),
    amount(kAMMod, "AM Mod"),
    source(kAMModSource, "AM Mod"),
    list(kOctave1, "Octave 1", labelOctave, 1),
    pitch(kPitch1, "Pitch 1"),
    tune(kTune1, "Tune 1"),
    amount(kFrequencyMod1, "Frequency Mod 1", 0.0, 0.005, setDisplayTextForFM),
    source(kFrequencyMod1Source, "Frequency Mod 1"),
    amount(kAmplitudeMod1, "Amplitude Mod 1"),
    source(kAmplitudeMod1Source, "Amplitude Mod 1"),
    // Oscillator 2
    list(kOsc2OffOn, "Osc 2 Off/On", labelOffOn, 1),
    integer(kWaveTable2, "Wave Table 2", 0, 65535, 0),
    unit(kWaveShape2, "Wave Shape 2", 0.0),
    list(kWaveMode2, "Wave Mode 2", labelWaveMode, 0),
    amount(kWaveShapeMod2, "Wave Shape Mod 2"),
    source(kWaveShapeMod2Source, "Wave Shape Mod 2"),
    list(kRestartMode2, "Restart Mode 2", labelRestartMode, 0),
    phase(kStartPhase2, "Start Phase 2"),
    list(kHardSync2, "Hard Sync 2", labelHardSync2, 0, 3),
    unit(kLinearFM2, "Linear FM 2", 0.0),
    list(kLinearFM2Source, "Linear FM 2", labelLinFM2, 0),
    amount(kLinearFMMod2, "Linear FM Mod 2"),
    source(kLinearFMMod2Source, "Linear FM Mod 2"),
    list(kOctave2, "Octave 2", labelOctave, 1),
    pitch(kPitch2, "Pitch 2"),
    tune(kTune2, "Tune 2"),
    amount(kFrequencyMod2, "Frequency Mod 2", 0.0, 0.005, setDisplayTextForFM),
    source(kFrequencyMod2Source, "Frequency Mod 2"),
    amount(kAmplitudeMod2, "Amplitude Mod 2"),
    source(kAmplitudeMod2Source, "Amplitude Mod 2"),
    // Oscillator 3
    list(kOsc3OffOn, "Osc 3 Off/On", labelOffOn, 1),
    integer(kWaveTable3, "Wave Table 3", 0, 65535, 0),
    unit(kWaveShape3, "Wave Shape 3", 0.0),
    list(kWaveMode3, "Wave Mode 3", labelWaveMode, 0),
    amount(kWaveShapeMod3, "Wave Shape Mod 3"),
    source(kWaveShapeMod3Source, "Wave Shape Mod 3"),
    list(kRestartMode3, "Restart Mode 3", labelRestartMode, 0),
    phase(kStartPhase3, "Start Phase 3"),
    list(kHardSync3, "Hard Sync 3", labelHardSync3, 0, 3),
    unit(kLinearFM3, "Linear FM 3", 0.0),
    list(kLinearFM3Source, "Linear FM 3", labelLinFM3, 0),
    amount(kLinearFMMod3, "Linear FM Mod 3"),
    source(kLinearFMMod3Source, "Linear FM Mod 3"),
    list(kOctave3, "Octave 3", labelOctave, 1),
    pitch(kPitch3, "Pitch 3"),
    tune(kTune3, "Tune 3"),
    amount(kFrequencyMod3, "Frequency Mod 3", 0.0, 0.005, setDisplayTextForFM),
    source(kFrequencyMod3Source, "Frequency Mod 3"),
    amount(kAmplitudeMod3, "Amplitude Mod 3"),
    source(kAmplitudeMod3Source, "Amplitude Mod 3"),
    // Mixer
    level(kLevelOsc1, "Level Osc 1", 1.0),
    level(kLevelOsc2, "Level Osc 2", 1.0),
    level(kLevelOsc3, "Level Osc 3", 1.0),
    level(kLevelNoise, "Level Noise", 0.0),
    pan(kPanOsc1, "Pan Osc 1"),
    pan(kPanOsc2, "Pan Osc 2"),
    pan(kPanOsc3, "Pan Osc 3"),
    pan(kPanNoise, "Pan Noise"),
    // Filter and amplifier
    list(kFilterType, "Filter Type", Properties::labelDCFType, 0, Properties::eNumDCFTypes),
    dbl(kFilterCutoff, "Filter Cutoff", 0.0, 1.0, 1.0, 0.001, 0.5, setDisplayTextForFrequency),
    unit(kFilterResonance, "Filter Resonance", 0.0),
    unit(kFilterKeyboardTrack, "Filter Keyboard Track", 0.0),
    amount(kFilterEGIntensity, "Filter EG Intensity"),
    amount(kFilterCFM, "Filter cFM"),
    source(kFilterCFMSource, "Filter cFM"),
    unit(kAmpVelocity, "Amp Velocity", 0.0),
    amount(kAmpAM, "Amp AM"),
    source(kAmpAMSource, "Amp AM"),
    // Chorus
    list(kChorus, "Chorus", labelOffOn, 0),
    unit(kChorusDelay, "Chorus Delay", 0.5),
    hertz(kChorusSpeed, "Chorus Speed", 25.0, 0.3),
    unit(kChorusDepth, "Chorus Depth", 0.15),
    amount(kChorusFeedback, "Chorus Feedback"),
    dbl(kChorusMix, "Chorus Mix", 0.0, 1.0, 0.5, 0.01, 1.0, setDisplayTextForPan),
    // Envelopes
    list(kFilterEGTrigger, "Filter EG Trigger", labelEGTrigger, 0),
    amount(kFilterEGMod, "Filter EG Mod", 1.0),
    source(kFilterEGModSource, "Filter EG Mod", 1),
    unit(kFilterEGAttack, "Filter EG Attack", 0.0),
    unit(kFilterEGDecay, "Filter EG Decay", 0.0),
    unit(kFilterEGSustain, "Filter EG Sustain", 0.0),
    unit(kFilterEGRelease, "Filter EG Release", 0.1),
    list(kAmpEGTrigger, "Amp EG Trigger", labelEGTrigger, 0),
    amount(kAmpEGMod, "Amp EG Mod", 1.0),
    source(kAmpEGModSource, "Amp EG Mod", 1),
    unit(kAmpEGAttack, "Amp EG Attack", 0.0),
    unit(kAmpEGDecay, "Amp EG Decay", 0.0),
    unit(kAmpEGSustain, "Amp EG Sustain", 1.0),
    unit(kAmpEGRelease, "Amp EG Release", 0.1),
    list(kLinEG1Trigger, "Lin EG 1 Trigger", labelEGTrigger, 0),
    amount(kLinEG1Mod, "Lin EG 1 Mod", 1.0),
    source(kLinEG1ModSource, "Lin EG 1 Mod", 1),
    unit(kLinEG1Attack, "Lin EG 1 Attack", 0.0),
    unit(kLinEG1Decay, "Lin EG 1 Decay", 0.0),
    unit(kLinEG1Sustain, "Lin EG 1 Sustain", 0.0),
    unit(kLinEG1Release, "Lin EG 1 Release", 0.1),
    list(kLinEG2Trigger, "Lin EG 2 Trigger", labelEGTrigger, 0),
    amount(kLinEG2Mod, "Lin EG 2 Mod", 1.0),
    source(kLinEG2ModSource, "Lin EG 2 Mod", 1),
    unit(kLinEG2Attack, "Lin EG 2 Attack", 0.0),
    unit(kLinEG2Decay, "Lin EG 2 Decay", 0.0),
    unit(kLinEG2Sustain, "Lin EG 2 Sustain", 0.0),
    unit(kLinEG2Release, "Lin EG 2 Release", 0.1),
    // Modulation generators and vibrato
    hertz(kMG1Frequency, "MG 1 Frequency", 100.0, 0.3),
    list(kMG1Waveform, "MG 1 Waveform", labelMGWaveform, 0),
    list(kMG1SyncToHost, "MG 1 Sync to Host", labelOffOn, 0),
    list(kMG1SyncRate, "MG 1 Sync Rate", labelSyncRates, 9),
    amount(kMG1Mod, "MG 1 Mod", 1.0),
    source(kMG1ModSource, "MG 1 Mod", 1),
    hertz(kMG2Frequency, "MG 2 Frequency", 100.0, 0.3),
    list(kMG2Waveform, "MG 2 Waveform", labelMGWaveform, 0),
    list(kMG2SyncToHost, "MG 2 Sync to Host", labelOffOn, 0),
    list(kMG2SyncRate, "MG 2 Sync Rate", labelSyncRates, 9),
    amount(kMG2Mod, "MG 2 Mod", 1.0),
    source(kMG2ModSource, "MG 2 Mod", 1),
    hertz(kVibratoFrequency, "Vibrato Frequency", 100.0, 5.8),
    list(kVibratoSyncToHost, "Vibrato Sync to Host", labelOffOn, 0),
    list(kVibratoSyncRate, "Vibrato Sync Rate", labelSyncRates, 9),
    amount(kVibratoMod, "Vibrato Mod", 0.1),
    source(kVibratoModSource, "Vibrato Mod", 8),
    reserved(kFirstReserved + 0),
    reserved(kFirstReserved + 1),
    reserved(kFirstReserved + 2),
    reserved(kFirstReserved + 3),
    reserved(kFirstReserved + 4),
    reserved(kFirstReserved + 5),
    reserved(kFirstReserved + 6),
    reserved(kFirstReserved + 7),
    reserved(kFirstReserved + 8),
    reserved(kFirstReserved + 9),
    reserved(kFirstReserved + 10),
    reserved(kFirstReserved + 11),
    reserved(kFirstReserved + 12),
    reserved(kFirstReserved + 13),
    reserved(kFirstReserved + 14),
};

constexpr bool rowsFollowTheirIds() {
    for (int i = 0; i < kNumParams; ++i)
        if (kRows[i].id != i) return false;
    return true;
}
static_assert(rowsFollowTheirIds(), "every parameter row sits at the index its id names");

} // namespace

const Row& row(int index) {
    return kRows[index];
}

} // namespace ParameterTable
