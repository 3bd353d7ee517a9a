#pragma once

#include "engine/DCF.h"
#include "engine/ExpEG.h"
#include "engine/LinearEG.h"
#include "engine/MipMap.h"
#include "engine/NoiseSource.h"
#include "engine/Oscillator.h"
#include "engine/Properties.h"
#include "tuning/PitchSource.h"

#include <array>
#include <cstdint>

// One note: three oscillators with ring/amplitude modulation, linear FM and hard sync between them,
// noise, a stereo mixer, the resonant filter, four envelopes and a modulation matrix in which each
// destination has an amount and a source bound by pointer. Pitches are in 1/128 semitone.
//
// update() runs once per control tick (sample rate / 1000 samples), process() once per sample.
class Voice {
public:
    static constexpr int kNumOscillators = 3;
    static constexpr int kNumEnvelopes = 4;
    enum Envelope { eFilterEG = 0, eAmpEG, eLinearEG1, eLinearEG2 };

    Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // The instrument's links: the tuning, the shared noise, and the six values every voice reads
    // (generator outputs, mod wheel 0..1, pitch bend −1..1, channel aftertouch 0..1). Null pointers
    // read as 0.
    void setPitchSource(PitchSource* source) { pitchSource = source; }
    void setNoiseSource(NoiseSource* source) { noiseSource = source; }
    void setSharedSources(const double* mg1, const double* mg2, const double* vibrato, const double* modWheel,
                          const double* pitchBend, const double* channelAfterTouch);

    void setMipMap(int osc, const MipMap* mipMap);
    // Swaps the table of a sounding oscillator (see Oscillator::setTable).
    void setTable(int osc, const MipMap* mipMap, int32_t id);
    void setSampleRate(double fs);
    void setNoteOn(int note, int velocity, int serial, int xModeOsc);
    void setNoteOff(bool force);
    void setSustain(bool on);
    void setSoundOff();
    // p −1..1: the voice's place in the stereo field (unison spread).
    void setPan(double p);
    const double* getModSource(int source) const;
    void setParam(int id, double value, double normalized);
    void update(bool noteOn);
    // Adds one stereo sample to *left and *right.
    void process(double* left, double* right);

    // process() in two halves, for rendering many voices side by side: renderSources() makes an active
    // voice's samples up to its filter, the owner runs the filter (getFilter()) and scales each sample
    // by the amplitude and the voice's pan. Sample k of a run sits at [k * stride], its noise draw (one
    // per sample from the voice's noise source, or 0 without one) at noise[k * noiseStride].
    struct Sources {
        double* left = nullptr;
        double* right = nullptr;
        int* cutoffMod = nullptr;
        double* amp = nullptr;
        int stride = 1;
        const double* noise = nullptr;
        int noiseStride = 1;
    };
    void renderSources(const Sources& out, int frames);

    bool isActive() const { return active; }
    bool isGateOn() const { return gate; }
    int getNote() const { return note; }
    int getSerial() const { return serial; }
    double getCurrentPitch() const { return currentPitch; }
    double getKeyTrackOffset() const { return keyTrackOffset; }
    double getAmpFactor() const { return ampFactor; }
    double getEnvelopeOutput(int e) const { return envelopeOutput[e]; }
    double getPanLeft() const { return voicePanLeft; }
    double getPanRight() const { return voicePanRight; }
    const Oscillator& getOscillator(int k) const { return osc[k]; }
    const DCF& getFilter() const { return dcf; }
    DCF& getFilter() { return dcf; }
    NoiseSource* getNoiseSource() const { return noiseSource; }
    const EG& getEnvelope(int e) const { return *eg[e]; }

    // Written by the instrument: master tune and unison detune (pitch steps), and the key's pressure.
    double detune = 0.0;
    double polyAfterTouch = 0.0;

private:
    // Runs this arithmetic for several voices at once, on this state, sample for sample alike.
    friend class VoiceLanes;

    // Amount and source of one modulation destination.
    struct Mod {
        double amount = 0.0;
        const double* source = nullptr;
        // Scaling rule: 1 − a(1 − s) for a ≥ 0, 1 + a·s for a < 0; 1 without a source.
        double scale() const {
            if (source == nullptr) return 1.0;
            return amount >= 0.0 ? 1.0 - amount * (1.0 - *source) : 1.0 + amount * *source;
        }
        // Gated rule: |a|·s·x for a ≥ 0, |a|·(1 − s)·x for a < 0; 0 without a source.
        double gated(double x) const {
            if (source == nullptr) return 0.0;
            return amount >= 0.0 ? amount * *source * x : -amount * (1.0 - *source) * x;
        }
        // amount · source, 0 without a source.
        double offset() const { return source == nullptr ? 0.0 : amount * *source; }
    };

    void startGlide();
    void stopEnvelopes();
    double mix(double o1, double o2, double o3, const std::array<double, 4>& pan) const;
    void sourceSample(double noiseDraw, double& left, double& right, int& filterMod, double& amp);
    static int toInt(double v);

    PitchSource* pitchSource = nullptr;
    NoiseSource* noiseSource = nullptr;

    std::array<Oscillator, kNumOscillators> osc;
    DCF dcf;
    ExpEG filterEG;
    ExpEG ampEG;
    LinearEG linearEG1;
    LinearEG linearEG2;
    std::array<EG*, kNumEnvelopes> eg{};

    // The instrument's values; never null (a zero stands in until they are set).
    std::array<const double*, 3> generatorOutputs{};
    const double* modWheel = nullptr;
    const double* pitchBend = nullptr;
    const double* channelAfterTouch = nullptr;

    // Values the source pointers point at. The instrument's controller values are mirrored once per
    // tick, so that a source bound before the instrument hands over its addresses still follows them.
    double modWheelValue = 0.0;
    double pitchBendValue = 0.0;
    double channelAfterTouchValue = 0.0;
    double modWheelBipolar = 0.0;
    double pitchBendPositive = 0.0;
    double noteBipolar = 0.0;
    double notePositive = 0.0;
    double velocityValue = 0.0;
    std::array<double, 3> generatorValue{};         // MG 1, MG 2, vibrato after modulation
    std::array<double, 3> generatorValuePositive{}; // likewise, 0..1
    std::array<double, kNumEnvelopes> envelopeOutput{};

    bool legato = false;
    bool xMode = false;
    std::array<bool, kNumOscillators> enabled{};
    std::array<bool, kNumOscillators> restart{};
    bool linearFM2FromOsc3 = false;
    bool linearFM3FromOsc1 = false;

    double bendRange = 0.0;
    double portamentoTime = 0.0;
    std::array<Mod, kNumOscillators> frequencyMod{};
    std::array<Mod, kNumOscillators> amplitudeMod{};
    std::array<double, kNumOscillators> shapeBase{};
    std::array<Mod, kNumOscillators> shapeMod{};
    std::array<double, 2> linearFMBase{};
    std::array<Mod, 2> linearFMMod{};
    std::array<double, 4> levels{};
    std::array<double, 4> panLeft{};
    std::array<double, 4> panRight{};
    double keyboardTrack = 0.0;
    double egIntensity = 0.0;
    Mod cutoffMod{};
    double ampVelocity = 0.0;
    Mod ampAM{};
    double am2Base = 0.0;
    double am3Base = 0.0;
    Mod amMod{};
    std::array<Mod, 3> generatorMod{};
    std::array<Mod, kNumEnvelopes> envelopeMod{};

    std::array<double, kNumOscillators> lastOutput{};
    double currentPitch = 6144.0;
    double voicePanLeft = 1.0;
    double voicePanRight = 1.0;
    double glideStep = 0.0;
    double am2 = 0.0;
    double am3 = 0.0;
    double linearFM2 = 0.0;
    double linearFM3 = 0.0;
    double keyTrackOffset = 0.0;
    double ampFactor = 1.0;
    std::array<double, kNumEnvelopes> envelopeScale{};
    bool active = false;
    bool gate = false;
    bool sustain = false;
    bool portamentoOn = false;
    int note = 48;
    int velocity = 0;
    int serial = 0;
    int xModeOsc = 0;
    int targetPitch = 0;
    int glideTicks = 0;
};
