#pragma once

// The arithmetic of the voice lanes for any width. Only the files that compile it for an instruction
// set include it (VoiceLanes.cpp for AVX2, VoiceLanesAVX512.cpp), after every other header and under
// their target pragma: everything here is a member of the width's own class template, so no copy made
// for one instruction set can stand in for another's at link time.

#include "engine/VoiceLanes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <optional>
#include <utility>

// The vectors of one width (a vector size cannot depend on a template parameter).
template <int kLanes>
struct VoiceLaneTypes;

template <>
struct VoiceLaneTypes<4> {
    using D = double __attribute__((vector_size(32)));
    using M = int64_t __attribute__((vector_size(32))); // a comparison of D
    using U = uint32_t __attribute__((vector_size(16)));
    using I = int32_t __attribute__((vector_size(16))); // a comparison of U
    using F = float __attribute__((vector_size(16)));
};

template <>
struct VoiceLaneTypes<8> {
    using D = double __attribute__((vector_size(64)));
    using M = int64_t __attribute__((vector_size(64)));
    using U = uint32_t __attribute__((vector_size(32)));
    using I = int32_t __attribute__((vector_size(32)));
    using F = float __attribute__((vector_size(32)));
};

// Each member mirrors the scalar member of the same name; the expressions keep the scalar order of
// operations so that every lane rounds alike.
template <int kLanes>
struct VoiceLanes::Kernel {
    using D = typename VoiceLaneTypes<kLanes>::D;
    using M = typename VoiceLaneTypes<kLanes>::M;
    using U = typename VoiceLaneTypes<kLanes>::U;
    using I = typename VoiceLaneTypes<kLanes>::I;
    using F = typename VoiceLaneTypes<kLanes>::F;

    static constexpr uint32_t kPhaseMask = Oscillator::kCycle - 1;
    static constexpr int kCycleBits = 27; // Oscillator::kCycle is 2^27
    static_assert(Oscillator::kCycle == 1 << kCycleBits);
    static constexpr uint32_t kWaveMask = MipMap::kWaveLength - 1;
    static constexpr int kPhaseToIndex = 16; // phase units per table sample: 2^16
    // Below this magnitude a double truncates to a 32-bit lane exactly; beyond it the scalar rules decide.
    static constexpr double kLaneIntLimit = 2147483648.0;

    // a where the mask is set, b elsewhere. AVX-512 makes one instruction of the plain bit operations.
    [[gnu::always_inline]] static D select(M mask, D a, D b) {
        if constexpr (kLanes == 4) {
            return reinterpret_cast<D>(_mm256_blendv_pd(
                reinterpret_cast<__m256d>(b), reinterpret_cast<__m256d>(a), reinterpret_cast<__m256d>(mask)));
        } else {
            return reinterpret_cast<D>((reinterpret_cast<M>(a) & mask) | (reinterpret_cast<M>(b) & ~mask));
        }
    }

    template <typename V>
    [[gnu::always_inline]] static V select(I mask, V a, V b) {
        if constexpr (kLanes == 4) {
            return reinterpret_cast<V>(_mm_blendv_epi8(
                reinterpret_cast<__m128i>(b), reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(mask)));
        } else {
            const auto m = reinterpret_cast<V>(mask);
            return (a & m) | (b & ~m);
        }
    }

    // One bit per lane, set where the mask is.
    [[gnu::always_inline]] static unsigned bits(M mask) {
        if constexpr (kLanes == 4) {
            return static_cast<unsigned>(_mm256_movemask_pd(reinterpret_cast<__m256d>(mask)));
        } else {
            return _mm512_movepi64_mask(reinterpret_cast<__m512i>(mask));
        }
    }
    [[gnu::always_inline]] static bool any(M mask) { return bits(mask) != 0; }
    [[gnu::always_inline]] static bool all(M mask) { return bits(mask) == (1u << kLanes) - 1; }

    [[gnu::always_inline]] static M widen(I mask) { return __builtin_convertvector(mask, M); }

    static constexpr int64_t truth(bool b) { return b ? -1 : 0; }

    // 0 where the value is not finite (x − x is 0 only for finite x).
    [[gnu::always_inline]] static D finiteOrZero(D v) {
        return reinterpret_cast<D>(reinterpret_cast<M>(v) & ((v - v) == 0.0));
    }

    [[gnu::always_inline]] static bool inLaneRange(D v) {
        return all((v > -kLaneIntLimit) & (v < kLaneIntLimit));
    }

    using Envelopes = std::array<D, Voice::kNumEnvelopes>;

    // One modulation destination: the scalar Mod, with the source read from the lanes where it is one
    // of the voice's envelopes (they move every sample) and from memory once per run otherwise.
    struct Mod {
        M has{};
        M nonNegative{};
        D amount{};
        D constant{};
        std::array<M, Voice::kNumEnvelopes> fromEnvelope{};
        // What the lanes have in common, decided once per run.
        bool hasAny = false;
        bool hasAll = false;
        bool allNonNegative = false;
        bool allNegative = false;
        int followedEnvelope = kNone; // the one envelope every lane's source is, kNone, or kSeveral
        static constexpr int kNone = -1;
        static constexpr int kSeveral = -2;

        void load(int j, const Voice& voice, const Voice::Mod& mod) {
            has[j] = truth(mod.source != nullptr);
            nonNegative[j] = truth(mod.amount >= 0.0);
            amount[j] = mod.amount;
            constant[j] = mod.source != nullptr ? *mod.source : 0.0;
            for (int e = 0; e < Voice::kNumEnvelopes; ++e) {
                if (mod.source == &voice.envelopeOutput[e]) fromEnvelope[e][j] = -1;
            }
        }

        void finish() {
            hasAny = any(has);
            hasAll = all(has);
            allNonNegative = all(nonNegative);
            allNegative = !any(nonNegative);
            for (int e = 0; e < Voice::kNumEnvelopes; ++e) {
                if (!any(fromEnvelope[e])) continue;
                followedEnvelope = followedEnvelope == kNone && all(fromEnvelope[e]) ? e : kSeveral;
            }
        }

        [[gnu::always_inline]] D source(const Envelopes& env) const {
            if (followedEnvelope == kNone) return constant;
            if (followedEnvelope >= 0) return env[followedEnvelope];
            D s = constant;
            for (int e = 0; e < Voice::kNumEnvelopes; ++e) s = select(fromEnvelope[e], env[e], s);
            return s;
        }
        // x · scale(), or x where there is no source.
        [[gnu::always_inline]] D scaled(D x, const Envelopes& env) const {
            if (!hasAny) return x;
            const D s = source(env);
            D scale;
            if (allNonNegative) {
                scale = 1.0 - amount * (1.0 - s);
            } else if (allNegative) {
                scale = 1.0 + amount * s;
            } else {
                scale = select(nonNegative, 1.0 - amount * (1.0 - s), 1.0 + amount * s);
            }
            return hasAll ? x * scale : select(has, x * scale, x);
        }
        [[gnu::always_inline]] D offset(const Envelopes& env) const {
            if (!hasAny) return D{};
            const D product = amount * source(env);
            return hasAll ? product : select(has, product, D{});
        }
    };

    // An envelope's level and rate in lanes; a lane whose stage ends is stepped again by its own
    // envelope and reloaded.
    struct Envelope {
        std::array<EG*, kLanes> eg{};
        bool linear = false;
        D level{};
        D rate{};   // exponential: coefficient; linear: slope
        D target{}; // exponential: target; linear: sustain level
        M moving{};
        M attack{};
        M decay{};   // linear only
        M release{}; // linear only
        M inverted{};
        D scale{};
        // Which stages some lane is in, so that a sample tests only for the ends that can come.
        bool allMoving = false;
        bool anyAttack = false;
        bool anyDecay = false;
        bool anyRelease = false;
        bool anyInverted = false;
        bool allInverted = false;

        void load(int j) {
            level[j] = eg[j]->level;
            const int state = eg[j]->state;
            if (linear) {
                const auto& lin = static_cast<const LinearEG&>(*eg[j]);
                rate[j] = lin.slope;
                target[j] = lin.sustain;
                attack[j] = truth(state == LinearEG::kAttack);
                decay[j] = truth(state == LinearEG::kDecay);
                release[j] = truth(state == LinearEG::kRelease);
                moving[j] = attack[j] | decay[j] | release[j];
            } else {
                const auto& exp = static_cast<const ExpEG&>(*eg[j]);
                rate[j] = exp.coefficient;
                target[j] = exp.target;
                attack[j] = truth(state == ExpEG::kAttack);
                moving[j] = truth(state != ExpEG::kOff);
                // Decay and release both end at zero.
                release[j] = moving[j] & ~attack[j];
            }
        }

        void finish() {
            allMoving = all(moving);
            anyAttack = any(attack);
            anyDecay = any(decay);
            anyRelease = any(release);
            anyInverted = any(inverted);
            allInverted = all(inverted);
        }

        template <bool kLinear>
        [[gnu::always_inline]] D update() {
            const D before = level;
            const D next = kLinear ? level + rate : level + (target - level) * rate;
            level = allMoving ? next : select(moving, next, level);
            M ended{};
            if (anyAttack) ended |= attack & (kLinear ? level > 1.0 : level >= 1.0);
            if (kLinear && anyDecay) ended |= decay & (target >= level);
            if (anyRelease) ended |= release & (level <= 0.0);
            if (any(ended)) [[unlikely]] {
                for (int j = 0; j < kLanes; ++j) {
                    if (ended[j] == 0) continue;
                    eg[j]->level = before[j];
                    eg[j]->update();
                    load(j);
                }
                finish();
            }
            if (!anyInverted) return level * scale;
            if (allInverted) return (1.0 - level) * scale;
            return select(inverted, 1.0 - level, level) * scale;
        }
    };

    // How an oscillator reads its table (Oscillator::read), the same for all sounding lanes or not.
    enum class Reading { Saw, Difference, Interpolate, Plain, Mixed };

    static Reading readingOf(const Oscillator& o) {
        switch (o.tableId) {
        case eSaw:
            return Reading::Saw;
        case ePulse:
        case eFullPWM:
            return Reading::Difference;
        default:
            return o.interpolate ? Reading::Interpolate : Reading::Plain;
        }
    }

    struct Osc {
        std::array<Oscillator*, kLanes> osc{};
        U phase{};
        U increment{};
        I wrapped{};
        I enabled{};
        M enabledWide{};
        M sounding{}; // enabled and not muted
        bool anyEnabled = false;
        bool anySounding = false;
        bool allEnabled = false;
        bool allSounding = false;
        std::array<I, Voice::kNumOscillators> syncFrom{}; // the oscillator a lane syncs to, as masks
        std::array<int, kLanes> syncIndex{};              // and as an index
        bool synced = false;
        std::optional<Reading> reading;
        std::array<const int16_t*, kLanes> samplesA{};
        std::array<const int16_t*, kLanes> samplesB{};
        U readOffset{};
        D weightA{};
        D fraction{};
        // The phase-modulation smoothing filter.
        D b0{}, b1{}, a1{}, a2{}, x1{}, x2{}, y1{}, y2{};
        M idle{};

        void load(int j, Oscillator& o, const Voice& voice, bool on) {
            osc[j] = &o;
            phase[j] = static_cast<uint32_t>(o.phase);
            increment[j] = static_cast<uint32_t>(o.increment);
            wrapped[j] = o.wrapped ? -1 : 0;
            enabled[j] = on ? -1 : 0;
            enabledWide[j] = truth(on);
            const bool sounds = on && !o.muted;
            sounding[j] = truth(sounds);
            for (int from = 0; from < Voice::kNumOscillators; ++from) {
                if (o.syncSource != &voice.osc[from]) continue;
                syncFrom[from][j] = -1;
                syncIndex[j] = from;
            }
            // A silent lane reads whatever the others read: its result is thrown away.
            if (sounds) reading = !reading || *reading == readingOf(o) ? readingOf(o) : Reading::Mixed;
            samplesA[j] = o.samplesA;
            samplesB[j] = o.samplesB;
            readOffset[j] = static_cast<uint32_t>(o.readOffset);
            weightA[j] = o.weightA;
            fraction[j] = o.fraction;
            const Filter& f = o.fmFilter;
            b0[j] = f.b0;
            b1[j] = f.b1;
            a1[j] = f.a1;
            a2[j] = f.a2;
            x1[j] = f.x1;
            x2[j] = f.x2;
            y1[j] = f.y1;
            y2[j] = f.y2;
            idle[j] = truth(o.fmIdle);
        }

        void finish() {
            anyEnabled = any(enabledWide);
            allEnabled = all(enabledWide);
            anySounding = any(sounding);
            allSounding = all(sounding);
            synced = any(widen(syncFrom[0] | syncFrom[1] | syncFrom[2]));
        }

        void store(int j) const {
            Oscillator& o = *osc[j];
            o.phase = static_cast<int32_t>(phase[j]);
            o.wrapped = wrapped[j] != 0;
            Filter& f = o.fmFilter;
            f.x1 = x1[j];
            f.x2 = x2[j];
            f.y1 = y1[j];
            f.y2 = y2[j];
            o.fmIdle = idle[j] != 0;
        }

        // MipMap::toSample and the widening Oscillator::read applies, for a stored sample in every lane.
        [[gnu::always_inline]] static D toSamples(I stored) {
            const D scaled = __builtin_convertvector(stored, D) * (1.0 / 32767.0);
            return __builtin_convertvector(__builtin_convertvector(scaled, F), D);
        }

        template <size_t... j>
        [[gnu::always_inline]] static D gather(const std::array<const int16_t*, kLanes>& waves, U at,
                                               std::index_sequence<j...>) {
            return toSamples(I{waves[j][at[j]]...});
        }
        [[gnu::always_inline]] static D gather(const std::array<const int16_t*, kLanes>& waves, U at) {
            return gather(waves, at, std::make_index_sequence<kLanes>{});
        }

        // Each lane through its own oscillator's code, where the lanes read their tables in different ways.
        template <size_t... j>
        [[gnu::always_inline]] D readEach(U position, std::index_sequence<j...>) const {
            return D{osc[j]->read(position[j])...};
        }

        // Oscillator::read in every lane; silent lanes give 0.
        [[gnu::always_inline]] D read(U position) const {
            if (!anySounding) return D{};
            D out{};
            switch (*reading) {
            case Reading::Saw:
                out = 0.5 *
                      (gather(samplesA, position) + gather(samplesA, (position + readOffset) & kWaveMask));
                break;
            case Reading::Difference:
                out = gather(samplesA, position) - gather(samplesA, (position + readOffset) & kWaveMask);
                break;
            case Reading::Interpolate:
                out = weightA * gather(samplesA, position) + fraction * gather(samplesB, position);
                break;
            case Reading::Plain:
                out = gather(samplesA, position);
                break;
            case Reading::Mixed:
                out = readEach(position, std::make_index_sequence<kLanes>{});
                break;
            }
            return allSounding ? out : select(sounding, out, D{});
        }
    };

    std::array<Voice*, kLanes> voice{};
    std::array<Envelope, Voice::kNumEnvelopes> envelopes;
    std::array<Osc, Voice::kNumOscillators> osc;
    std::array<D, Voice::kNumOscillators> lastOutput{};
    std::array<Mod, Voice::kNumOscillators> amplitudeMod;
    Mod cutoffMod;
    D am2{}, am3{}, linearFM2{}, linearFM3{};
    M linearFM2FromOsc3{}, linearFM3FromOsc1{};
    std::array<D, 4> levels{}, panLeft{}, panRight{};
    M hasNoise{};
    bool allNoise = false;
    M xMode{};
    bool anyXMode = false;
    std::array<M, Voice::kNumOscillators> xModeOsc{};
    D xLevel{}, xPanLeft{}, xPanRight{};
    D egIntensity{}, keyTrackOffset{}, ampFactor{};

    void load(const std::array<Voice*, kLanes>& voices) {
        voice = voices;
        for (int e = 0; e < Voice::kNumEnvelopes; ++e) envelopes[e].linear = e >= Voice::eLinearEG1;
        for (int j = 0; j < kLanes; ++j) {
            Voice& v = *voices[j];
            for (int e = 0; e < Voice::kNumEnvelopes; ++e) {
                Envelope& env = envelopes[e];
                env.eg[j] = v.eg[e];
                env.load(j);
                env.inverted[j] = truth(v.envelopeMod[e].amount < 0.0);
                env.scale[j] = v.envelopeScale[e];
            }
            for (int k = 0; k < Voice::kNumOscillators; ++k) {
                osc[k].load(j, v.osc[k], v, v.enabled[k]);
                lastOutput[k][j] = v.lastOutput[k];
                amplitudeMod[k].load(j, v, v.amplitudeMod[k]);
            }
            cutoffMod.load(j, v, v.cutoffMod);
            am2[j] = v.am2;
            am3[j] = v.am3;
            linearFM2[j] = v.linearFM2;
            linearFM3[j] = v.linearFM3;
            linearFM2FromOsc3[j] = truth(v.linearFM2FromOsc3);
            linearFM3FromOsc1[j] = truth(v.linearFM3FromOsc1);
            for (int c = 0; c < 4; ++c) {
                levels[c][j] = v.levels[c];
                panLeft[c][j] = v.panLeft[c];
                panRight[c][j] = v.panRight[c];
            }
            hasNoise[j] = truth(v.noiseSource != nullptr);
            xMode[j] = truth(v.xMode);
            for (int k = 0; k < Voice::kNumOscillators; ++k) xModeOsc[k][j] = truth(v.xModeOsc == k);
            xLevel[j] = v.levels[v.xModeOsc];
            xPanLeft[j] = v.panLeft[v.xModeOsc];
            xPanRight[j] = v.panRight[v.xModeOsc];
            egIntensity[j] = v.egIntensity;
            keyTrackOffset[j] = v.keyTrackOffset;
            ampFactor[j] = v.ampFactor;
        }
        for (Envelope& e : envelopes) e.finish();
        for (int k = 0; k < Voice::kNumOscillators; ++k) {
            osc[k].finish();
            amplitudeMod[k].finish();
        }
        cutoffMod.finish();
        allNoise = all(hasNoise);
        anyXMode = any(xMode);
    }

    void store(const Envelopes& env) const {
        for (int j = 0; j < kLanes; ++j) {
            Voice& v = *voice[j];
            for (int e = 0; e < Voice::kNumEnvelopes; ++e) {
                v.eg[e]->level = envelopes[e].level[j];
                v.envelopeOutput[e] = env[e][j];
            }
            for (int k = 0; k < Voice::kNumOscillators; ++k) {
                osc[k].store(j);
                v.lastOutput[k] = lastOutput[k][j];
            }
        }
    }

    // The low 32 bits of Oscillator::roundToInt, lane by lane where a value is too large for a lane.
    [[gnu::always_inline]] static U roundedLow32(D x) {
        if (!inLaneRange(x)) [[unlikely]] {
            U r{};
            for (int j = 0; j < kLanes; ++j) r[j] = static_cast<uint32_t>(Oscillator::roundToInt(x[j]));
            return r;
        }
        const I whole = __builtin_convertvector(x, I);
        const D rest = x - __builtin_convertvector(whole, D);
        // Exact in doubles; the one sum that leaves the lane range (2^31) converts to the same low bits.
        const D one = D{} + 1.0;
        const D rounded = __builtin_convertvector(whole, D) +
                          reinterpret_cast<D>(reinterpret_cast<M>(one) & (rest >= 0.5)) -
                          reinterpret_cast<D>(reinterpret_cast<M>(one) & (rest <= -0.5));
        return reinterpret_cast<U>(__builtin_convertvector(rounded, I));
    }

    // Oscillator::process for oscillator k of every lane; fm: whether a modulation input can arrive.
    [[gnu::always_inline]] D process(int k, D fm, bool fmPossible) {
        Osc& o = osc[k];
        if (o.synced) {
            const I wrappedSource = (o.syncFrom[0] & osc[0].wrapped) | (o.syncFrom[1] & osc[1].wrapped) |
                                    (o.syncFrom[2] & osc[2].wrapped);
            const M restart = widen(wrappedSource) & o.sounding;
            if (any(restart)) [[unlikely]] {
                for (int j = 0; j < kLanes; ++j) {
                    if (restart[j] == 0) continue;
                    const Osc& from = osc[o.syncIndex[j]];
                    o.phase[j] = static_cast<uint32_t>(Oscillator::syncedPhase(
                        o.osc[j]->startPhase, static_cast<int32_t>(o.increment[j]),
                        static_cast<int32_t>(from.phase[j]), static_cast<int32_t>(from.increment[j])));
                }
            }
        }
        U position = (o.phase >> kPhaseToIndex) & kWaveMask;
        if (fmPossible) {
            // An idle filter given exact zeros would return exact zeros: the scalar code skips it then.
            const M run = o.sounding & ~(o.idle & (fm == 0.0));
            if (any(run)) {
                const D x = finiteOrZero(fm);
                const D y = finiteOrZero((o.x2 + x) * o.b0 + o.b1 * o.x1 + o.a1 * o.y1 + o.a2 * o.y2);
                o.x2 = select(run, o.x1, o.x2);
                o.x1 = select(run, x, o.x1);
                o.y2 = select(run, o.y1, o.y2);
                o.y1 = select(run, y, o.y1);
                o.idle &= ~run;
                const D scaled = y * static_cast<double>(Oscillator::kCycle);
                const U offset = roundedLow32(all(run) ? scaled : select(run, scaled, D{}));
                const U modulated = ((offset + o.phase) >> kPhaseToIndex) & kWaveMask;
                position =
                    all(run) ? modulated : select(__builtin_convertvector(run, I), modulated, position);
            }
        }
        const D out = o.read(position);
        const U next = o.phase + o.increment;
        // next > kPhaseMask as unsigned numbers, without the sign flips an unsigned comparison takes.
        const I wrapped = reinterpret_cast<I>(next >> kCycleBits) != 0;
        if (o.allEnabled) {
            o.wrapped = wrapped;
            o.phase = next & kPhaseMask;
        } else {
            o.wrapped = select(o.enabled, wrapped, o.wrapped);
            o.phase = select(o.enabled, next & kPhaseMask, o.phase);
        }
        return out;
    }

    [[gnu::always_inline]] D mix(D o1, D o2, D o3, const std::array<D, 4>& pan, D xPan) const {
        const D each = levels[0] * o1 * pan[0] + levels[1] * o2 * pan[1] + levels[2] * o3 * pan[2];
        if (!anyXMode) return each;
        const D o = select(xModeOsc[0], o1, select(xModeOsc[1], o2, o3));
        return select(xMode, xLevel * o * xPan, each);
    }

    // Voice::toInt lane by lane where a value is too large for a lane.
    [[gnu::always_inline]] static I toInt(D x) {
        if (!inLaneRange(x)) [[unlikely]] {
            I r{};
            for (int j = 0; j < kLanes; ++j) r[j] = Voice::toInt(x[j]);
            return r;
        }
        return __builtin_convertvector(x, I);
    }

    // Voice::sourceSample, kLanes voices wide.
    [[gnu::always_inline]] void sample(const double* noiseDraw, double* left, double* right, int* filterMod,
                                       double* amp, Envelopes& env) {
        env[Voice::eFilterEG] = envelopes[Voice::eFilterEG].template update<false>();
        env[Voice::eAmpEG] = envelopes[Voice::eAmpEG].template update<false>();
        env[Voice::eLinearEG1] = envelopes[Voice::eLinearEG1].template update<true>();
        env[Voice::eLinearEG2] = envelopes[Voice::eLinearEG2].template update<true>();

        D o1{};
        D o2{};
        D o3{};
        if (osc[0].anyEnabled) o1 = process(0, D{}, false);
        if (osc[1].anyEnabled) {
            o2 = process(1, linearFM2 * select(linearFM2FromOsc3, lastOutput[2], lastOutput[0]), true);
            const D ringed = o1 * ((o2 - 1.0) * am2 + 1.0);
            o1 = osc[1].allEnabled ? ringed : select(osc[1].enabledWide, ringed, o1);
        }
        if (osc[2].anyEnabled) {
            o3 = process(2, linearFM3 * select(linearFM3FromOsc1, lastOutput[0], lastOutput[1]), true);
            const D ringed = o1 * ((o3 - 1.0) * am3 + 1.0);
            o1 = osc[2].allEnabled ? ringed : select(osc[2].enabledWide, ringed, o1);
        }
        lastOutput = {o1, o2, o3};
        o1 = amplitudeMod[0].scaled(o1, env);
        o2 = amplitudeMod[1].scaled(o2, env);
        o3 = amplitudeMod[2].scaled(o3, env);

        D draw;
        std::memcpy(&draw, noiseDraw, sizeof draw);
        const D noise = allNoise ? draw * levels[3] : select(hasNoise, draw * levels[3], D{});
        const D l = mix(o1, o2, o3, panLeft, xPanLeft) + noise * panLeft[3];
        const D r = mix(o1, o2, o3, panRight, xPanRight) + noise * panRight[3];
        const I cutoff = toInt(egIntensity * env[Voice::eFilterEG] + keyTrackOffset + cutoffMod.offset(env));
        const D a = env[Voice::eAmpEG] * ampFactor;
        std::memcpy(left, &l, sizeof l);
        std::memcpy(right, &r, sizeof r);
        std::memcpy(filterMod, &cutoff, sizeof cutoff);
        std::memcpy(amp, &a, sizeof a);
    }

    static void render(const std::array<Voice*, kLanes>& voices, const Voice::Sources& out, int frames) {
        Kernel kernel;
        kernel.load(voices);
        Envelopes env{};
        for (int s = 0; s < frames; ++s) {
            const int at = s * out.stride;
            kernel.sample(out.noise + s * out.noiseStride, out.left + at, out.right + at, out.cutoffMod + at,
                          out.amp + at, env);
        }
        if (frames > 0) kernel.store(env);
    }
};
