#include "instrument/Korvanta.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char kResourceFolder[] = "Korvanta.vst/Contents/Resources/";

// Indices of the parameters that only some dispatch rows treat specially.
enum Param {
    kVolume = 0,
    kMasterTune = 1,
    kNumberOfVoices = 2,
    kUnisonMode = 3,
    kUnisonDetune = 4,
    kUnisonSpread = 5,
    kXMode = 6,
    kChorus = 87,
    kChorusDelay = 88,
    kChorusSpeed = 89,
    kChorusDepth = 90,
    kChorusFeedback = 91,
    kChorusMix = 92,
    kVibratoModAmount = 136,
};

// Per oscillator: "Off/On", "Wave Table" and the three parameters the wave display shows.
constexpr std::array<int, 3> kOscOn = {10, 29, 49};
constexpr std::array<int, 3> kWaveTable = {11, 30, 50};
constexpr std::array<std::array<int, 3>, 3> kWaveDisplayParams = {{{12, 13, 16}, {31, 32, 36}, {51, 52, 56}}};
constexpr std::array<int, 6> kLinearEGTimes = {110, 111, 113, 117, 118, 120};
// Per generator (MG 1, MG 2, vibrato): frequency, sync switch and sync rate; MG 1 and 2 have a waveform.
constexpr std::array<int, 3> kGeneratorFrequency = {121, 127, 133};
constexpr std::array<int, 3> kGeneratorSync = {123, 129, 134};
constexpr std::array<int, 3> kGeneratorSyncRate = {124, 130, 135};
constexpr std::array<int, 2> kGeneratorWaveform = {122, 128};

// Voice-bound parameters whose value is converted on the way: x = v · |v| · scale.
struct SquaredScale {
    int idx;
    double scale;
};
constexpr std::array<SquaredScale, 6> kSquaredScales = {{
    {25, 6145.0},  // frequency modulation, 1/128 semitone
    {45, 6145.0},  //
    {65, 6145.0},  //
    {81, 15361.0}, // filter envelope intensity
    {82, 12289.0}, // filter cFM
    {136, 1.0},    // vibrato depth
}};
constexpr int kFilterCutoff = 78;
constexpr int kFilterKeyboardTrack = 80;
constexpr double kCutoffScale = 17281.0;

// Oscillator 1's fifteen shared parameters, and where oscillators 2 and 3 keep the same ones.
constexpr std::array<int, 15> kSharedOsc1 = {10, 11, 12, 13, 14, 15, 16, 17, 22, 23, 24, 25, 26, 27, 28};
constexpr std::array<int, 15> kSharedOsc2 = {29, 30, 31, 32, 33, 34, 36, 35, 42, 43, 44, 45, 46, 47, 48};
constexpr std::array<int, 15> kSharedOsc3 = {49, 50, 51, 52, 53, 54, 56, 55, 62, 63, 64, 65, 66, 67, 68};
constexpr int kFirstOsc2 = 29;
constexpr int kFirstOsc3 = 49;
constexpr int kOsc2To3Count = 20;

template <size_t N>
int indexOf(const std::array<int, N>& list, int idx) {
    const auto it = std::find(list.begin(), list.end(), idx);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// A period in control ticks (milliseconds) for a frequency in Hz.
int periodOf(double hz) {
    return static_cast<int>(1000.0 / hz);
}

} // namespace

Korvanta::Korvanta(IPlugInstanceInfo instanceInfo) : Synth(instanceInfo) {
    transportRunning = false;
    sampleRate = -1.0;
    numVoices = kMaxVoices;
    xModeOsc = -1;
    loading = true;
    subBlockLength = 0;
    loadConfig();

    for (Voice& voice : voices) {
        voice.setPitchSource(this);
        voice.setNoiseSource(this);
        for (int k = 0; k < kNumOscillators; ++k) voice.setMipMap(k, &mipMaps[k]);
    }
    for (MG& generator : generators) generator.setClock(&clock);
    chorus.setClock(&clock);
    generators[kVibrato].waveform = MG::eSine;

    const std::string resources = pluginPath + kResourceFolder;
    for (MipMap& mipMap : mipMaps) mipMap.setResourcePath(resources.c_str());
    tableDefs.setUserWaves(userWaves.data());

    // Room for the notes of one sub-block, so the audio thread never grows the list.
    noteEvents.resize(static_cast<size_t>(midiQueue.GetSize()));

    initParameters();
    createGraphics();
    // Every member takes its parameter's value; the tables are built once loading is over.
    OnParamReset();
    if (!LoadBankFromFXB(startupFxb.c_str())) {
        startupFxb.clear();
        initPresets();
    }
    loading = false;
    RestorePreset(0);
    // A program that was still empty took the current state without applying it.
    for (int k = 0; k < kNumOscillators; ++k) {
        if (!mipMaps[k].isValid()) buildWaveTable(k);
    }
}

void Korvanta::setVoiceParam(int idx, double value, double normalized) {
    for (Voice& voice : voices) voice.setParam(idx, value, normalized);
}

void Korvanta::buildWaveTable(int osc) {
    const int id = waveTableId[osc];
    if (id >= TableDefs::kFirstUserTableId && id < TableDefs::kFirstUserTableId + kNumOscillators) {
        const Wave& wave = userWaves[id - TableDefs::kFirstUserTableId];
        // An empty user slot keeps whatever the oscillator played before.
        if (wave.isValid()) mipMaps[osc].createMipMap(&wave);
        return;
    }
    mipMaps[osc].createMipMap(static_cast<uint32_t>(id));
}

void Korvanta::setGeneratorPeriod(int generator, double hz) {
    generators[generator].setPeriod(periodOf(hz));
}

void Korvanta::OnParamChange(int idx) {
    Synth::OnParamChange(idx);
    const IParam* param = GetParam(idx);
    if (!param) return;
    const double v = param->Value();
    const double n = param->GetNormalized();

    switch (idx) {
    case kVolume:
        volume = n;
        return;
    case kMasterTune:
        tune = v * 128.0;
        setTune();
        return;
    case kNumberOfVoices:
        setSoundOff();
        numVoices =
            kVoiceCounts[std::clamp(static_cast<int>(v), 0, static_cast<int>(kVoiceCounts.size()) - 1)];
        unisonGain = 1.0 / std::sqrt(static_cast<double>(numVoices));
        setTune();
        setSpread();
        return;
    case kUnisonMode:
        setSoundOff();
        unison = v >= 0.5;
        setTune();
        setSpread();
        updateUI(kUnisonMode, false);
        return;
    case kUnisonDetune:
        detune = n * 128.0;
        setTune();
        return;
    case kUnisonSpread:
        spread = n;
        setSpread();
        return;
    case kXMode:
        xMode = n >= 0.5;
        if (xMode) xModeOsc = -1;
        break;
    case kChorus:
        chorusOn = n >= 0.5;
        chorus.clear();
        return;
    case kChorusDelay:
        chorus.delay = v;
        return;
    case kChorusSpeed:
        chorus.setPeriod(periodOf(v));
        return;
    case kChorusDepth:
        chorus.depth = v;
        return;
    case kChorusFeedback:
        chorus.feedback = v;
        return;
    case kChorusMix:
        chorus.dryGain = std::sqrt(1.0 - v);
        chorus.wetGain = std::sqrt(v);
        return;
    case kFilterCutoff:
        setVoiceParam(idx, n * kCutoffScale, n);
        return;
    case kFilterKeyboardTrack:
        setVoiceParam(idx, v * 128.0, n);
        return;
    default:
        break;
    }

    if (const int k = indexOf(kOscOn, idx); k >= 0) {
        oscOn[k] = n >= 0.5;
        updateUI(kWaveTable[k], false);
    } else if (const int k = indexOf(kWaveTable, idx); k >= 0) {
        waveTableId[k] = static_cast<int>(v);
        if (!loading) buildWaveTable(k);
    } else if (const int g = indexOf(kGeneratorFrequency, idx); g >= 0) {
        setGeneratorPeriod(g, v);
        return;
    } else if (const int g = indexOf(kGeneratorWaveform, idx); g >= 0) {
        generators[g].waveform = static_cast<int>(v);
        return;
    } else if (const int g = indexOf(kGeneratorSync, idx); g >= 0) {
        mgSync[g] = n >= 0.5;
        generators[g].setSync(mgSync[g]);
        updateUI(idx, false);
        return;
    } else if (const int g = indexOf(kGeneratorSyncRate, idx); g >= 0) {
        generators[g].syncRate = static_cast<int>(v);
        return;
    } else {
        for (int k = 0; k < kNumOscillators; ++k) {
            if (indexOf(kWaveDisplayParams[k], idx) >= 0) updateUI(kWaveTable[k], false);
        }
    }

    double x = v;
    for (const SquaredScale& s : kSquaredScales) {
        if (s.idx == idx) x = v * std::abs(v) * s.scale;
    }
    if (indexOf(kLinearEGTimes, idx) >= 0) x = v * v;
    setVoiceParam(idx, x, n);
}

void Korvanta::Reset() {
    IMutexLock lock(mutex);
    Synth::Reset();
    // The note-event list holds one sub-block of the inbox; sized here, never on the audio thread.
    if (noteEvents.size() < static_cast<size_t>(midiQueue.GetSize()))
        noteEvents.resize(static_cast<size_t>(midiQueue.GetSize()));

    const double rate = GetSampleRate();
    if (rate == sampleRate) return;
    sampleRate = rate;
    clock.setRate(sampleRate);
    noteCounter = 0;
    modWheel = 0.0;
    pitchBend = 0.0;
    for (Voice& voice : voices) {
        voice.setSharedSources(&generators[0].output, &generators[1].output, &generators[kVibrato].output,
                               &modWheel, &pitchBend, &channelAfterTouch);
        voice.setSampleRate(sampleRate);
    }
    chorus.init(sampleRate);
}

void Korvanta::copyOsc(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= kNumOscillators || to >= kNumOscillators) return;
    const auto copy = [this](int target, int source) {
        SetParameterFromGUI(target, GetParam(source)->GetNormalized());
    };
    if (from != 0 && to != 0) {
        const int source = from == 1 ? kFirstOsc2 : kFirstOsc3;
        const int target = to == 1 ? kFirstOsc2 : kFirstOsc3;
        for (int i = 0; i < kOsc2To3Count; ++i) copy(target + i, source + i);
    } else {
        static constexpr std::array<const std::array<int, 15>*, 3> shared = {&kSharedOsc1, &kSharedOsc2,
                                                                             &kSharedOsc3};
        for (size_t i = 0; i < kSharedOsc1.size(); ++i) copy((*shared[to])[i], (*shared[from])[i]);
    }
    RedrawParamControls();
}
