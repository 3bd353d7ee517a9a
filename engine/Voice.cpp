#include "engine/Voice.h"

#include "engine/ParameterIds.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kOn = 1.0;
constexpr double kZero = 0.0;
constexpr double kVibratoDepth = 6145.0; // pitch steps for a full vibrato swing
constexpr int kCentreNote = 48;          // keyboard tracking pivots here
constexpr double kTicksPerSecond = 1000.0;

// What a parameter id does to a voice; `index` picks the oscillator, envelope, mixer channel …
enum class Target : uint8_t {
    None,
    XMode,
    BendRange,
    Portamento,
    Legato,
    OscEnabled,
    OscTable,
    OscShape,
    OscWaveMode,
    OscShapeModAmount,
    OscShapeModSource,
    OscStartPhase,
    OscRestart,
    OscOctave,
    OscPitch,
    OscTune,
    OscFreqModAmount,
    OscFreqModSource,
    OscAmpModAmount,
    OscAmpModSource,
    AM2Base,
    AM3Base,
    AMModAmount,
    AMModSource,
    HardSync,
    LinearFMBase,
    LinearFMSource,
    LinearFMModAmount,
    LinearFMModSource,
    Level,
    Pan,
    FilterType,
    FilterCutoff,
    FilterResonance,
    KeyboardTrack,
    EGIntensity,
    CutoffModAmount,
    CutoffModSource,
    AmpVelocity,
    AmpAMAmount,
    AmpAMSource,
    EGTrigger,
    EGModAmount,
    EGModSource,
    EGAttack,
    EGDecay,
    EGSustain,
    EGRelease,
    GeneratorModAmount,
    GeneratorModSource,
};

struct ParamTarget {
    Target target = Target::None;
    uint8_t index = 0;
};

constexpr int kNumParamIds = kFirstReserved;

constexpr std::array<ParamTarget, kNumParamIds> makeParamMap() {
    std::array<ParamTarget, kNumParamIds> map{};
    const auto set = [&map](int id, Target target, int index) {
        map[id] = {target, static_cast<uint8_t>(index)};
    };
    set(kXMode, Target::XMode, 0);
    set(kPitchBend, Target::BendRange, 0);
    set(kPortamento, Target::Portamento, 0);
    set(kPortamentoLegato, Target::Legato, 0);

    struct OscIds {
        int enabled, table, shape, mode, shapeModAmount, shapeModSource, startPhase, restart, octave, pitch,
            tune, freqModAmount, freqModSource, ampModAmount, ampModSource;
    };
    constexpr OscIds oscIds[] = {
        {kOsc1OffOn, kWaveTable1, kWaveShape1, kWaveMode1, kWaveShapeMod1, kWaveShapeMod1Source, kStartPhase1,
         kRestartMode1, kOctave1, kPitch1, kTune1, kFrequencyMod1, kFrequencyMod1Source, kAmplitudeMod1,
         kAmplitudeMod1Source},
        {kOsc2OffOn, kWaveTable2, kWaveShape2, kWaveMode2, kWaveShapeMod2, kWaveShapeMod2Source, kStartPhase2,
         kRestartMode2, kOctave2, kPitch2, kTune2, kFrequencyMod2, kFrequencyMod2Source, kAmplitudeMod2,
         kAmplitudeMod2Source},
        {kOsc3OffOn, kWaveTable3, kWaveShape3, kWaveMode3, kWaveShapeMod3, kWaveShapeMod3Source, kStartPhase3,
         kRestartMode3, kOctave3, kPitch3, kTune3, kFrequencyMod3, kFrequencyMod3Source, kAmplitudeMod3,
         kAmplitudeMod3Source}};
    for (int k = 0; k < 3; ++k) {
        const OscIds& ids = oscIds[k];
        set(ids.enabled, Target::OscEnabled, k);
        set(ids.table, Target::OscTable, k);
        set(ids.shape, Target::OscShape, k);
        set(ids.mode, Target::OscWaveMode, k);
        set(ids.shapeModAmount, Target::OscShapeModAmount, k);
        set(ids.shapeModSource, Target::OscShapeModSource, k);
        set(ids.startPhase, Target::OscStartPhase, k);
        set(ids.restart, Target::OscRestart, k);
        set(ids.octave, Target::OscOctave, k);
        set(ids.pitch, Target::OscPitch, k);
        set(ids.tune, Target::OscTune, k);
        set(ids.freqModAmount, Target::OscFreqModAmount, k);
        set(ids.freqModSource, Target::OscFreqModSource, k);
        set(ids.ampModAmount, Target::OscAmpModAmount, k);
        set(ids.ampModSource, Target::OscAmpModSource, k);
    }

    set(kAMByOsc2, Target::AM2Base, 0);
    set(kAMOsc3, Target::AM3Base, 0);
    set(kAMMod, Target::AMModAmount, 0);
    set(kAMModSource, Target::AMModSource, 0);
    set(kHardSync2, Target::HardSync, 1);
    set(kHardSync3, Target::HardSync, 2);
    struct LinearFMIds {
        int base, source, modAmount, modSource;
    };
    constexpr LinearFMIds linearFMIds[] = {
        {kLinearFM2, kLinearFM2Source, kLinearFMMod2, kLinearFMMod2Source},
        {kLinearFM3, kLinearFM3Source, kLinearFMMod3, kLinearFMMod3Source}};
    for (int f = 0; f < 2; ++f) {
        set(linearFMIds[f].base, Target::LinearFMBase, f);
        set(linearFMIds[f].source, Target::LinearFMSource, f);
        set(linearFMIds[f].modAmount, Target::LinearFMModAmount, f);
        set(linearFMIds[f].modSource, Target::LinearFMModSource, f);
    }
    constexpr int levelIds[] = {kLevelOsc1, kLevelOsc2, kLevelOsc3, kLevelNoise};
    constexpr int panIds[] = {kPanOsc1, kPanOsc2, kPanOsc3, kPanNoise};
    for (int c = 0; c < 4; ++c) {
        set(levelIds[c], Target::Level, c);
        set(panIds[c], Target::Pan, c);
    }
    set(kFilterType, Target::FilterType, 0);
    set(kFilterCutoff, Target::FilterCutoff, 0);
    set(kFilterResonance, Target::FilterResonance, 0);
    set(kFilterKeyboardTrack, Target::KeyboardTrack, 0);
    set(kFilterEGIntensity, Target::EGIntensity, 0);
    set(kFilterCFM, Target::CutoffModAmount, 0);
    set(kFilterCFMSource, Target::CutoffModSource, 0);
    set(kAmpVelocity, Target::AmpVelocity, 0);
    set(kAmpAM, Target::AmpAMAmount, 0);
    set(kAmpAMSource, Target::AmpAMSource, 0);

    constexpr Target envelopeTargets[] = {Target::EGTrigger, Target::EGModAmount, Target::EGModSource,
                                          Target::EGAttack,  Target::EGDecay,     Target::EGSustain,
                                          Target::EGRelease};
    // Each envelope's seven parameters follow one another, from its "Trigger" on.
    constexpr int envelopeIds[] = {kFilterEGTrigger, kAmpEGTrigger, kLinEG1Trigger, kLinEG2Trigger};
    for (int e = 0; e < 4; ++e) {
        for (int offset = 0; offset < 7; ++offset) set(envelopeIds[e] + offset, envelopeTargets[offset], e);
    }

    constexpr int generatorIds[3][2] = {
        {kMG1Mod, kMG1ModSource}, {kMG2Mod, kMG2ModSource}, {kVibratoMod, kVibratoModSource}};
    for (int g = 0; g < 3; ++g) {
        set(generatorIds[g][0], Target::GeneratorModAmount, g);
        set(generatorIds[g][1], Target::GeneratorModSource, g);
    }
    return map;
}

constexpr std::array<ParamTarget, kNumParamIds> kParamMap = makeParamMap();

double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

int Voice::toInt(double v) {
    // Truncation towards zero, saturating instead of overflowing; not-a-number reads as 0.
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

Voice::Voice() {
    eg = {&filterEG, &ampEG, &linearEG1, &linearEG2};
    setSharedSources(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void Voice::setSharedSources(const double* mg1, const double* mg2, const double* vibrato, const double* wheel,
                             const double* bend, const double* pressure) {
    const auto orZero = [](const double* p) { return p != nullptr ? p : &kZero; };
    generatorOutputs = {orZero(mg1), orZero(mg2), orZero(vibrato)};
    modWheel = orZero(wheel);
    pitchBend = orZero(bend);
    channelAfterTouch = orZero(pressure);
}

void Voice::setMipMap(int k, const MipMap* mipMap) {
    osc[(k >= 0 && k < kNumOscillators) ? k : 0].setMipMap(mipMap);
}

void Voice::setTable(int k, const MipMap* mipMap, int32_t id) {
    osc[(k >= 0 && k < kNumOscillators) ? k : 0].setTable(mipMap, id);
}

void Voice::setSampleRate(double fs) {
    active = gate = sustain = false;
    currentPitch = 6144.0;
    note = kCentreNote;
    serial = 0;
    for (Oscillator& o : osc) o.init(fs);
    dcf.setSampleRate(fs);
    for (EG* e : eg) e->setSampleRate(fs);
}

void Voice::startGlide() {
    glideTicks = 0;
    glideStep = 0.0;
    if (portamentoOn && (!legato || gate)) {
        const double ticks = std::floor(portamentoTime * kTicksPerSecond);
        if (ticks >= 1.0) {
            glideTicks = toInt(ticks);
            glideStep = (targetPitch - currentPitch) / (portamentoTime * kTicksPerSecond);
            return;
        }
    }
    currentPitch = targetPitch;
}

void Voice::setNoteOn(int newNote, int newVelocity, int newSerial, int newXModeOsc) {
    // Without a tuning the note plays in equal temperament.
    targetPitch = pitchSource != nullptr ? pitchSource->getFrequency(newNote) : newNote * 128;
    startGlide();
    note = newNote;
    velocity = newVelocity;
    serial = newSerial;
    // Only oscillators 1 to 3 exist to be picked.
    xModeOsc = std::clamp(newXModeOsc, 0, kNumOscillators - 1);

    notePositive = 0.007874015748031496 * note;
    noteBipolar = 2.0 * notePositive - 1.0;
    velocityValue = velocity / 127.0;

    const bool legatoGlide = portamentoOn && gate;
    if (!legatoGlide) {
        for (int k = 0; k < kNumOscillators; ++k) {
            if (restart[k]) osc[k].restart();
        }
    }
    for (EG* e : eg) e->start();
    active = gate = true;
    update(true);
}

void Voice::stopEnvelopes() {
    for (EG* e : eg) e->stop();
}

void Voice::setNoteOff(bool force) {
    gate = false;
    if (!sustain || force) stopEnvelopes();
}

void Voice::setSustain(bool on) {
    sustain = on;
    if (!gate && !on) stopEnvelopes();
}

void Voice::setSoundOff() {
    active = gate = false;
    for (EG* e : eg) e->reset();
}

void Voice::setPan(double p) {
    // Outside −1..1 the square roots would give non-numbers.
    p = std::clamp(finiteOrZero(p), -1.0, 1.0);
    voicePanLeft = p < 0.0 ? 1.0 : std::sqrt(1.0 - p);
    voicePanRight = p < 0.0 ? std::sqrt(1.0 + p) : 1.0;
}

const double* Voice::getModSource(int source) const {
    switch (source) {
    case Properties::eModOn:
        return &kOn;
    case Properties::eModWheel:
        return &modWheelBipolar;
    case Properties::eModPitchBend:
        return &pitchBendValue;
    case Properties::eModNote:
        return &noteBipolar;
    case Properties::eModMG1:
    case Properties::eModMG2:
    case Properties::eModVibrato:
        return &generatorValue[source - Properties::eModMG1];
    case Properties::eModWheelPositive:
        return &modWheelValue;
    case Properties::eModPitchBendPositive:
        return &pitchBendPositive;
    case Properties::eModNotePositive:
        return &notePositive;
    case Properties::eModVelocity:
        return &velocityValue;
    case Properties::eModPolyAfterTouch:
        return &polyAfterTouch;
    case Properties::eModChannelAfterTouch:
        return &channelAfterTouchValue;
    case Properties::eModMG1Positive:
    case Properties::eModMG2Positive:
    case Properties::eModVibratoPositive:
        return &generatorValuePositive[source - Properties::eModMG1Positive];
    case Properties::eModFilterEG:
    case Properties::eModAmpEG:
    case Properties::eModLinearEG1:
    case Properties::eModLinearEG2:
        return &envelopeOutput[source - Properties::eModFilterEG];
    default:
        return nullptr;
    }
}

void Voice::setParam(int id, double value, double normalized) {
    if (id < 0 || id >= kNumParamIds) return;
    const double v = finiteOrZero(value);
    const double n = finiteOrZero(normalized);
    const int i = kParamMap[id].index;
    const auto source = [this, v]() { return getModSource(toInt(std::round(v))); };

    switch (kParamMap[id].target) {
    case Target::None:
        break;
    case Target::XMode:
        xMode = n >= 0.5;
        break;
    case Target::BendRange:
        bendRange = v * 128.0;
        break;
    case Target::Portamento:
        portamentoTime = v;
        portamentoOn = v > 0.0;
        break;
    case Target::Legato:
        legato = n >= 0.5;
        break;
    case Target::OscEnabled:
        enabled[i] = n >= 0.5;
        break;
    case Target::OscTable:
        osc[i].dirty = true;
        break;
    case Target::OscShape:
        shapeBase[i] = v;
        break;
    case Target::OscWaveMode:
        osc[i].interpolate = toInt(v) == 0;
        break;
    case Target::OscShapeModAmount:
        shapeMod[i].amount = v;
        break;
    case Target::OscShapeModSource:
        shapeMod[i].source = source();
        break;
    case Target::OscStartPhase:
        osc[i].startPhase = n;
        break;
    case Target::OscRestart:
        restart[i] = n >= 0.5;
        break;
    case Target::OscOctave:
        osc[i].setOctave(toInt(v));
        break;
    case Target::OscPitch:
        osc[i].setPitch(toInt(v));
        break;
    case Target::OscTune:
        osc[i].setTune(v);
        break;
    case Target::OscFreqModAmount:
        frequencyMod[i].amount = v;
        break;
    case Target::OscFreqModSource:
        frequencyMod[i].source = source();
        break;
    case Target::OscAmpModAmount:
        amplitudeMod[i].amount = v;
        break;
    case Target::OscAmpModSource:
        amplitudeMod[i].source = source();
        break;
    case Target::AM2Base:
        am2Base = v;
        break;
    case Target::AM3Base:
        am3Base = v;
        break;
    case Target::AMModAmount:
        amMod.amount = v;
        break;
    case Target::AMModSource:
        amMod.source = source();
        break;
    case Target::HardSync: {
        // Oscillator 2 syncs to 1 or 3, oscillator 3 to 1 or 2.
        Oscillator* other = i == 1 ? &osc[2] : &osc[1];
        osc[i].syncSource = v == 1.0 ? &osc[0] : v == 2.0 ? other : nullptr;
        break;
    }
    case Target::LinearFMBase:
        linearFMBase[i] = n;
        break;
    case Target::LinearFMSource:
        if (i == 0) {
            linearFM2FromOsc3 = n >= 0.5;
        } else {
            linearFM3FromOsc1 = n >= 0.5;
        }
        break;
    case Target::LinearFMModAmount:
        linearFMMod[i].amount = v;
        break;
    case Target::LinearFMModSource:
        linearFMMod[i].source = source();
        break;
    case Target::Level:
        levels[i] = n;
        break;
    case Target::Pan:
        panLeft[i] = n <= 0.5 ? 1.0 : 2.0 * (1.0 - n);
        panRight[i] = n <= 0.5 ? 2.0 * n : 1.0;
        break;
    case Target::FilterType:
        dcf.setType(toInt(std::round(v)));
        break;
    case Target::FilterCutoff:
        dcf.setCutoff(toInt(v), ampEG.isOn());
        break;
    case Target::FilterResonance:
        dcf.setResonance(n);
        break;
    case Target::KeyboardTrack:
        keyboardTrack = v;
        break;
    case Target::EGIntensity:
        egIntensity = v;
        break;
    case Target::CutoffModAmount:
        cutoffMod.amount = v;
        break;
    case Target::CutoffModSource:
        cutoffMod.source = source();
        break;
    case Target::AmpVelocity:
        ampVelocity = v;
        break;
    case Target::AmpAMAmount:
        ampAM.amount = v;
        break;
    case Target::AmpAMSource:
        ampAM.source = source();
        break;
    case Target::EGTrigger:
        eg[i]->setTrigger(n >= 0.5);
        break;
    case Target::EGModAmount:
        envelopeMod[i].amount = v;
        break;
    case Target::EGModSource:
        envelopeMod[i].source = source();
        break;
    case Target::EGAttack:
        eg[i]->setAttack(v);
        break;
    case Target::EGDecay:
        eg[i]->setDecay(v);
        break;
    case Target::EGSustain:
        eg[i]->setSustain(v);
        break;
    case Target::EGRelease:
        eg[i]->setRelease(v);
        break;
    case Target::GeneratorModAmount:
        generatorMod[i].amount = v;
        break;
    case Target::GeneratorModSource:
        generatorMod[i].source = source();
        break;
    }
}

void Voice::update(bool noteOn) {
    if (!active && !noteOn) return;

    modWheelValue = *modWheel;
    pitchBendValue = *pitchBend;
    channelAfterTouchValue = *channelAfterTouch;
    modWheelBipolar = 2.0 * modWheelValue - 1.0;
    pitchBendPositive = 0.5 * pitchBendValue + 0.5;

    for (int g = 0; g < 3; ++g) {
        const Mod& mod = generatorMod[g];
        generatorValue[g] = mod.gated(*generatorOutputs[g]);
        generatorValuePositive[g] = mod.source != nullptr ? 0.5 * generatorValue[g] + 0.5 : 0.0;
    }
    for (int e = 0; e < kNumEnvelopes; ++e) {
        const Mod& mod = envelopeMod[e];
        envelopeScale[e] = mod.source != nullptr ? std::abs(mod.amount) * *mod.source : 0.0;
    }

    if (glideTicks > 0 && !noteOn) {
        currentPitch = glideTicks == 1 ? static_cast<double>(targetPitch) : currentPitch + glideStep;
        --glideTicks;
    }
    const double pitch = currentPitch + detune + bendRange * pitchBendValue;
    const double vibrato = generatorValue[2] * kVibratoDepth;
    for (int k = 0; k < kNumOscillators; ++k) osc[k].update(pitch, frequencyMod[k].offset() + vibrato);
    for (int k = 0; k < kNumOscillators; ++k) {
        if (enabled[k]) osc[k].setWaveShape(shapeBase[k] + shapeMod[k].offset());
    }

    const double amScale = amMod.scale();
    am2 = am2Base * amScale;
    am3 = am3Base * amScale;
    linearFM2 = linearFMBase[0] + linearFMMod[0].offset();
    linearFM3 = linearFMBase[1] + linearFMMod[1].offset();
    keyTrackOffset = (note - kCentreNote) * keyboardTrack;
    ampFactor = 1.0 + (velocityValue - 1.0) * ampVelocity;
    if (ampAM.source != nullptr) ampFactor *= ampAM.scale();

    active = ampEG.isOn();
}

inline double Voice::mix(double o1, double o2, double o3, const std::array<double, 4>& pan) const {
    if (xMode) {
        const double o = xModeOsc == 0 ? o1 : xModeOsc == 1 ? o2 : o3;
        return levels[xModeOsc] * o * pan[xModeOsc];
    }
    return levels[0] * o1 * pan[0] + levels[1] * o2 * pan[1] + levels[2] * o3 * pan[2];
}

[[gnu::always_inline]] inline void Voice::sourceSample(double noiseDraw, double& left, double& right,
                                                       int& filterMod, double& amp) {
    filterEG.update();
    ampEG.update();
    linearEG1.update();
    linearEG2.update();
    for (int e = 0; e < kNumEnvelopes; ++e) {
        const double level = eg[e]->getLevel();
        envelopeOutput[e] = (envelopeMod[e].amount < 0.0 ? 1.0 - level : level) * envelopeScale[e];
    }

    // Scalars rather than an array: the outputs are stored one by one and must not be read back as a
    // block (a stalled store-to-load forward on every sample).
    double o1 = enabled[0] ? osc[0].process(0.0) : 0.0;
    double o2 = 0.0;
    double o3 = 0.0;
    if (enabled[1]) {
        o2 = osc[1].process(linearFM2 * lastOutput[linearFM2FromOsc3 ? 2 : 0]);
        o1 *= (o2 - 1.0) * am2 + 1.0;
    }
    if (enabled[2]) {
        o3 = osc[2].process(linearFM3 * lastOutput[linearFM3FromOsc1 ? 0 : 1]);
        o1 *= (o3 - 1.0) * am3 + 1.0;
    }
    lastOutput[0] = o1;
    lastOutput[1] = o2;
    lastOutput[2] = o3;
    if (amplitudeMod[0].source != nullptr) o1 *= amplitudeMod[0].scale();
    if (amplitudeMod[1].source != nullptr) o2 *= amplitudeMod[1].scale();
    if (amplitudeMod[2].source != nullptr) o3 *= amplitudeMod[2].scale();

    const double noise = noiseSource != nullptr ? noiseDraw * levels[3] : 0.0;
    left = mix(o1, o2, o3, panLeft) + noise * panLeft[3];
    right = mix(o1, o2, o3, panRight) + noise * panRight[3];

    const double cutoff = egIntensity * envelopeOutput[eFilterEG] + keyTrackOffset + cutoffMod.offset();
    filterMod = toInt(cutoff);
    amp = envelopeOutput[eAmpEG] * ampFactor;
}

void Voice::process(double* left, double* right) {
    if (!active) {
        lastOutput = {0.0, 0.0, 0.0};
        return;
    }
    const double noiseDraw = noiseSource != nullptr ? noiseSource->getNoise() : 0.0;
    double l = 0.0;
    double r = 0.0;
    int cutoff = 0;
    double amp = 0.0;
    sourceSample(noiseDraw, l, r, cutoff, amp);
    dcf.process(&l, &r, cutoff);
    *left += voicePanLeft * amp * l;
    *right += voicePanRight * amp * r;
}

void Voice::renderSources(const Sources& out, int frames) {
    for (int s = 0; s < frames; ++s) {
        const int at = s * out.stride;
        sourceSample(out.noise[s * out.noiseStride], out.left[at], out.right[at], out.cutoffMod[at],
                     out.amp[at]);
    }
}
