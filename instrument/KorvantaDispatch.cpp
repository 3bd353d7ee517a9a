#include "instrument/Korvanta.h"

#include "editor/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

// What an oscillator plays before its first table is chosen: silence.
const MipMap& silentTable() {
    static const MipMap table;
    return table;
}

// Per oscillator: "Off/On", "Wave Table" and the three parameters the wave display shows.
constexpr std::array<int, 3> kOscOn = {kOsc1OffOn, kOsc2OffOn, kOsc3OffOn};
constexpr std::array<std::array<int, 3>, 3> kWaveDisplayParams = {{{kWaveShape1, kWaveMode1, kStartPhase1},
                                                                   {kWaveShape2, kWaveMode2, kStartPhase2},
                                                                   {kWaveShape3, kWaveMode3, kStartPhase3}}};
constexpr std::array<int, 6> kLinearEGTimes = {kLinEG1Attack, kLinEG1Decay, kLinEG1Release,
                                               kLinEG2Attack, kLinEG2Decay, kLinEG2Release};
// Per generator (MG 1, MG 2, vibrato): frequency, sync switch and sync rate; MG 1 and 2 have a waveform.
constexpr std::array<int, 3> kGeneratorFrequency = {kMG1Frequency, kMG2Frequency, kVibratoFrequency};
constexpr std::array<int, 3> kGeneratorSync = {kMG1SyncToHost, kMG2SyncToHost, kVibratoSyncToHost};
constexpr std::array<int, 3> kGeneratorSyncRate = {kMG1SyncRate, kMG2SyncRate, kVibratoSyncRate};
constexpr std::array<int, 2> kGeneratorWaveform = {kMG1Waveform, kMG2Waveform};

// Voice-bound parameters whose value is converted on the way: x = v · |v| · scale.
struct SquaredScale {
    int idx;
    double scale;
};
constexpr std::array<SquaredScale, 6> kSquaredScales = {{
    {kFrequencyMod1, 6145.0}, // frequency modulation, 1/128 semitone
    {kFrequencyMod2, 6145.0},
    {kFrequencyMod3, 6145.0},
    {kFilterEGIntensity, 15361.0},
    {kFilterCFM, 12289.0},
    {kVibratoMod, 1.0}, // vibrato depth
}};
constexpr double kCutoffScale = 17281.0;

// Oscillator 1's fifteen shared parameters, and where oscillators 2 and 3 keep the same ones.
constexpr std::array<int, 15> kSharedOsc1 = {kOsc1OffOn,
                                             kWaveTable1,
                                             kWaveShape1,
                                             kWaveMode1,
                                             kWaveShapeMod1,
                                             kWaveShapeMod1Source,
                                             kStartPhase1,
                                             kRestartMode1,
                                             kOctave1,
                                             kPitch1,
                                             kTune1,
                                             kFrequencyMod1,
                                             kFrequencyMod1Source,
                                             kAmplitudeMod1,
                                             kAmplitudeMod1Source};
constexpr std::array<int, 15> kSharedOsc2 = {kOsc2OffOn,
                                             kWaveTable2,
                                             kWaveShape2,
                                             kWaveMode2,
                                             kWaveShapeMod2,
                                             kWaveShapeMod2Source,
                                             kStartPhase2,
                                             kRestartMode2,
                                             kOctave2,
                                             kPitch2,
                                             kTune2,
                                             kFrequencyMod2,
                                             kFrequencyMod2Source,
                                             kAmplitudeMod2,
                                             kAmplitudeMod2Source};
constexpr std::array<int, 15> kSharedOsc3 = {kOsc3OffOn,
                                             kWaveTable3,
                                             kWaveShape3,
                                             kWaveMode3,
                                             kWaveShapeMod3,
                                             kWaveShapeMod3Source,
                                             kStartPhase3,
                                             kRestartMode3,
                                             kOctave3,
                                             kPitch3,
                                             kTune3,
                                             kFrequencyMod3,
                                             kFrequencyMod3Source,
                                             kAmplitudeMod3,
                                             kAmplitudeMod3Source};
// Oscillators 2 and 3 share the same layout of twenty parameters, from "Osc n Off/On" on.
constexpr int kFirstOsc2 = kOsc2OffOn;
constexpr int kFirstOsc3 = kOsc3OffOn;
constexpr int kOsc2To3Count = kOsc3OffOn - kOsc2OffOn;

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
        for (int k = 0; k < kNumOscillators; ++k) voice.setMipMap(k, &silentTable());
    }
    oscTables.fill(&silentTable());
    for (MG& generator : generators) generator.setClock(&clock);
    chorus.setClock(&clock);
    generators[kVibrato].waveform = MG::eSine;

    builtInTables = &BuiltInTables::forFolder(pluginPath + kResourceFolder);
    tableDefs.setUserWaves(userWaves.data());

    // Room for the notes of one sub-block, so the audio thread never grows the list.
    noteEvents.resize(static_cast<size_t>(midiQueue.GetSize()));

    initParameters();
    createGraphics();
    AttachGraphics(gui);
    // Every member takes its parameter's value; the tables are built once loading is over.
    OnParamReset();
    // The bank's programs pass through the parameters on their way into the program list; voices that
    // have never played need only the program that is restored at the end.
    voicesFollowParameters = false;
    if (!LoadBankFromFXB(startupFxb.c_str())) {
        startupFxb.clear();
        initPresets();
    }
    voicesFollowParameters = true;
    loading = false;
    const IPreset* first = GetPreset(0);
    const bool firstApplies = first != nullptr && first->initialized;
    RestorePreset(0);
    // A program that was still empty took the current state without applying it.
    if (!firstApplies) OnParamReset();
    for (int k = 0; k < kNumOscillators; ++k) {
        if (!oscTables[k]->isValid()) buildWaveTable(k);
    }
}

void Korvanta::setVoiceParam(int idx, double value, double normalized) {
    if (!voicesFollowParameters) return;
    for (Voice& voice : voices) voice.setParam(idx, value, normalized);
}

void Korvanta::buildWaveTable(int osc) {
    const int id = waveTableId[osc];
    const MipMap* table = oscTables[osc];
    int32_t readAs = id;
    if (id >= kFirstUserTable && id < kFirstUserTable + kNumOscillators) {
        const Wave& wave = userWaves[id - kFirstUserTable];
        // An empty user slot keeps whatever the oscillator played before.
        if (!wave.isValid()) return;
        oscUserWaves[osc] = wave;
        table = wave.getTable();
        readAs = table->getTableId();
    } else if (const MipMap* builtIn = builtInTables->get(static_cast<uint32_t>(id))) {
        table = builtIn;
    }
    // An id that names no table keeps the waves played before, read the way that id is read.
    oscTables[osc] = table;
    for (Voice& voice : voices) voice.setTable(osc, table, readAs);
}

const MipMap& Korvanta::getMipMap(int osc) const {
    return *oscTables[std::clamp(osc, 0, kNumOscillators - 1)];
}

void Korvanta::setResourceFolder(const std::string& folder) {
    const BuiltInTables& tables = BuiltInTables::forFolder(folder);
    IMutexLock lock(mutex);
    builtInTables = &tables;
    for (int k = 0; k < kNumOscillators; ++k) buildWaveTable(k);
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
        updateUI(kWaveTableParams[k], false);
    } else if (const int k = indexOf(kWaveTableParams, idx); k >= 0) {
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
            if (indexOf(kWaveDisplayParams[k], idx) >= 0) updateUI(kWaveTableParams[k], false);
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
