#include "engine/DCF.h"

#include "tuning/Pitch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// No reachable effective cutoff equals this, so it always forces a coefficient update. (−1 would not:
// a cutoff modulated down to exactly −1 would then keep stale coefficients.)
constexpr int kNoCutoff = std::numeric_limits<int>::min();

constexpr double kFrequencyScale = 2.0 * std::numbers::pi;

double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

bool isUsableRate(double fs) {
    return std::isfinite(fs) && fs > 0.0;
}

std::unique_ptr<DCF::Tables> buildTables(double fs) {
    auto tables = std::make_unique<DCF::Tables>();
    tables->sampleRate = fs;
    for (int i = 0; i < DCF::kTableSize; ++i) {
        const double f = Pitch::convert2Hz(i);
        tables->freq2rad[i] = f * kFrequencyScale / fs;
        if (f < 500.0) {
            tables->resoScaler[i] = 4.1;
        } else if (f > 2000.0) {
            tables->resoScaler[i] = 4.005;
        } else {
            tables->resoScaler[i] = 4.1 + (f - 500.0) * (-0.09499999999999975) / 1500.0;
        }
    }
    return tables;
}

int saturatingAdd(int a, int b) {
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int>(std::clamp<int64_t>(sum, kNoCutoff + 1, std::numeric_limits<int>::max()));
}

} // namespace

const DCF::Tables& DCF::tablesFor(double fs) {
    static std::mutex lock;
    static std::vector<std::unique_ptr<Tables>> sets;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& set : sets) {
        if (set->sampleRate == fs) return *set;
    }
    sets.push_back(buildTables(fs));
    return *sets.back();
}

DCF::DCF() : tables(&tablesFor(44100.0)) {
    resetState();
    currentCutoff = 0;
}

void DCF::setSampleRate(double fs) {
    // A rate that cannot make a table keeps the previous one rather than filling it with non-numbers.
    if (isUsableRate(fs) && fs != sampleRate) {
        sampleRate = fs;
        tables = &tablesFor(fs);
    }
    resetState();
    currentCutoff = 0;
}

void DCF::setCutoff(int cutoff, bool slide) {
    targetCutoff = cutoff;
    slideDirection = 0;
    if (slide) {
        if (currentCutoff < cutoff) slideDirection = 1;
        if (cutoff < currentCutoff) slideDirection = -1;
    } else {
        currentCutoff = cutoff;
    }
}

void DCF::setResonance(double r) {
    resonance = std::clamp(finiteOrZero(r), 0.0, 1.0);
    lastCutoff = kNoCutoff;
}

void DCF::setType(int t) {
    t = std::clamp(t, 0, Properties::eNumDCFTypes - 1);
    if (t == type) return;
    type = t;
    resetState();
}

void DCF::resetState() {
    stages = {Stereo{0.0, 0.0}, Stereo{0.01, 0.01}, Stereo{0.0, 0.0}, Stereo{-0.01, -0.01}};
    coefficients = {};
    lastCutoff = kNoCutoff;
}

double DCF::resonanceGain() const {
    const double spread = 2.0 * std::abs(resonance - 0.5);
    return 2.0 - spread * spread;
}

// The wider instances live only inside the AVX2 and AVX-512 kernels, into which they are always inlined, so
// the note that such vectors would be passed differently without AVX concerns no call that exists.
#pragma GCC diagnostic ignored "-Wpsabi"

// The filter arithmetic on any number of lanes. Every operation is one exactly rounded IEEE operation
// per lane, in the same order whatever the width, so a lane's result never depends on its neighbours.
template <typename V>
struct DCF::Lanes {
    using Mask = decltype(V{} < V{});
    static constexpr int kCount = sizeof(V) / sizeof(double);

    [[gnu::always_inline]] static V splat(double x) {
        V v{};
        for (int j = 0; j < kCount; ++j) v[j] = x;
        return v;
    }

    [[gnu::always_inline]] static Mask maskOf(bool on) {
        const V zero{};
        return on ? zero == zero : zero != zero;
    }

    // One table column at each lane's cutoff, built in registers (lane by lane through memory, the
    // vector would wait for every store to reach the load).
    template <size_t... lane>
    [[gnu::always_inline]] static V column(const std::array<const Tables*, kCount>& tables, const int* cutoff,
                                           const std::array<double, kTableSize> Tables::*member,
                                           std::index_sequence<lane...>) {
        return V{(tables[lane]->*member)[std::clamp(cutoff[lane], 0, kTableSize - 1)]...};
    }

    // 0 where the value is not finite (x − x is 0 only for finite x).
    [[gnu::always_inline]] static V finiteOrZero(const V& v) {
        const Mask finite = (v - v) == 0.0;
        return reinterpret_cast<V>(reinterpret_cast<Mask>(v) & finite);
    }

    [[gnu::always_inline]] static V select(const Mask& mask, const V& a, const V& b) {
        return reinterpret_cast<V>((reinterpret_cast<Mask>(a) & mask) | (reinterpret_cast<Mask>(b) & ~mask));
    }

    // omega in radians per sample, scaler the feedback for full resonance, amount the resonance as
    // feedback takes it.
    [[gnu::always_inline]] static Coefficients<V>
    coefficientsFor(const V& omega, const V& scaler, const V& amount, const V& gain, const Mask& highpass) {
        const V d = 1.0 / (omega + 2.0);
        const V pole = (omega - 2.0) * d;
        const V feedback = amount * scaler;
        const V stage = select(highpass, 2.0 * d, omega * d);
        const V stage4 = stage * stage * stage * stage;
        const V norm = 1.0 / (1.0 + feedback * stage4);
        return {stage4, stage, pole, feedback, gain, norm, select(highpass, -stage, stage)};
    }

    [[gnu::always_inline]] static V step(const V& input, Stages<V>& s, const Coefficients<V>& c,
                                         const V& offset, const Mask& lowpass12) {
        const V x = finiteOrZero(input) + offset;
        const V a = s.s1 = finiteOrZero(s.s1) + offset;
        const V b = s.s2 = finiteOrZero(s.s2) + offset;
        const V e = s.s3 = finiteOrZero(s.s3) + offset;
        const V h = s.s4 = finiteOrZero(s.s4) + offset;

        const V u = (c.g4 * x + ((a * c.g + b) * c.g + e) * c.g + h) * c.normaliser;

        // The feedback saturation: a rational tanh-like curve reaching ±5, flat beyond ±15.
        const V t = u / 5.0;
        const V curve = 5.0 * t * (27.0 + t * t) / (27.0 + 9.0 * t * t);
        const V f = select(t < -3.0, splat(-5.0), select(t > 3.0, splat(5.0), curve));
        const V xk = x - c.k * f;

        const V ff = c.feedForward;
        const V y1 = a + c.g * xk;
        s.s1 = ff * xk - c.p * y1;
        const V y2 = b + c.g * y1;
        s.s2 = ff * y1 - c.p * y2;
        const V y3 = e + c.g * y2;
        s.s3 = ff * y2 - c.p * y3;
        const V y4 = h + c.g * y3;
        s.s4 = ff * y3 - c.p * y4;

        return select(lowpass12, y2, u) * c.outputGain;
    }
};

void DCF::calcCoeffs(int effectiveCutoff) {
    using L = Lanes<Stereo>;
    lastCutoff = effectiveCutoff;
    const int i = std::clamp(effectiveCutoff, 0, kTableSize - 1);
    coefficients = L::coefficientsFor(L::splat(tables->freq2rad[i]), L::splat(tables->resoScaler[i]),
                                      L::splat(feedbackAmount()), L::splat(resonanceGain()),
                                      L::maskOf(type == Properties::eHighpass24));
}

int DCF::nextCutoff(int cutoffMod) {
    if (currentCutoff != targetCutoff) {
        currentCutoff += slideDirection;
        if ((slideDirection >= 0 && currentCutoff > targetCutoff) ||
            (slideDirection < 0 && currentCutoff < targetCutoff)) {
            currentCutoff = targetCutoff;
        }
    }
    return saturatingAdd(currentCutoff, cutoffMod);
}

void DCF::process(double* left, double* right, int cutoffMod) {
    using L = Lanes<Stereo>;
    const int effective = nextCutoff(cutoffMod);
    if (effective != lastCutoff) calcCoeffs(effective);

    const Stereo out = L::step(Stereo{*left, *right}, stages, coefficients, L::splat(denormalOffset),
                               L::maskOf(type == Properties::eLowpass12));
    *left = out[0];
    *right = out[1];
    denormalOffset = -denormalOffset;
}

[[gnu::always_inline]] inline void DCF::slideCutoffs(const Block& block, int frames, CutoffRows& cutoffs) {
    // nextCutoff() for four lanes at a time (a vector every x86-64 processor has); the sums wrap as
    // unsigned numbers, where the scalar code widens them, and are then saturated alike.
    constexpr int kWidth = 4;
    using Ints = int32_t __attribute__((vector_size(kWidth * sizeof(int32_t))));
    using Unsigned = uint32_t __attribute__((vector_size(kWidth * sizeof(int32_t))));
    constexpr int kLowest = kNoCutoff + 1;
    constexpr int kHighest = std::numeric_limits<int>::max();
    for (int j = 0; j < kBlockLanes; ++j) {
        // An unused lane keeps lane 0's last cutoff, which never moves a group.
        const DCF* filter = block.filters[j];
        cutoffs[0][j] = (filter != nullptr ? filter : block.filters[0])->lastCutoff;
    }
    for (int first = 0; first < kBlockLanes; first += kWidth) {
        Ints current{};
        Ints target{};
        Ints direction{};
        Ints used{};
        for (int lane = 0; lane < kWidth; ++lane) {
            const DCF* filter = block.filters[first + lane];
            if (filter == nullptr) continue;
            current[lane] = filter->currentCutoff;
            target[lane] = filter->targetCutoff;
            direction[lane] = filter->slideDirection;
            used[lane] = -1;
        }
        Ints unused;
        std::memcpy(&unused, &cutoffs[0][first], sizeof unused);
        for (int s = 0; s < frames; ++s) {
            Ints mod;
            std::memcpy(&mod, block.cutoffMod + s * kBlockLanes + first, sizeof mod);
            const Ints stepped = reinterpret_cast<Ints>(reinterpret_cast<Unsigned>(current) +
                                                        reinterpret_cast<Unsigned>(direction));
            const Ints overshot =
                ((direction >= 0) & (stepped > target)) | ((direction < 0) & (stepped < target));
            current = current != target ? (overshot ? target : stepped) : current;
            const Ints sum =
                reinterpret_cast<Ints>(reinterpret_cast<Unsigned>(current) + reinterpret_cast<Unsigned>(mod));
            const Ints overflowed = ((current ^ sum) & (mod ^ sum)) < 0;
            Ints effective = overflowed ? (mod < 0 ? Ints{} + kLowest : Ints{} + kHighest) : sum;
            effective = effective == kNoCutoff ? Ints{} + kLowest : effective;
            effective = used ? effective : unused;
            std::memcpy(&cutoffs[s + 1][first], &effective, sizeof effective);
        }
        for (int lane = 0; lane < kWidth; ++lane) {
            if (block.filters[first + lane] != nullptr)
                block.filters[first + lane]->currentCutoff = current[lane];
        }
    }
}

// Groups of kCount filters share vectors, one channel per vector; several groups run in one sample
// loop so that the latency of one group's long dependent chain hides behind the others' work.
template <typename V, int Groups>
[[gnu::always_inline]] inline void DCF::processLanes(const Block& block) {
    using L = Lanes<V>;
    constexpr int kWidth = L::kCount;
    constexpr int kUsed = kWidth * Groups; // lanes from kUsed on are empty
    static_assert(kUsed <= kBlockLanes);
    struct Group {
        Stages<V> left;
        Stages<V> right;
        Coefficients<V> c;
        V offset{};
        V amount{};
        V gain{};
        typename L::Mask highpass{};
        typename L::Mask lowpass12{};
        std::array<const Tables*, kWidth> tables{};
    };
    std::array<Group, Groups> groups;
    const int frames = std::clamp(block.frames, 0, kMaxBlockFrames);
    // The cutoffs depend on no filter state: slide them first.
    CutoffRows cutoffs;
    slideCutoffs(block, frames, cutoffs);

    for (int j = 0; j < kUsed; ++j) {
        DCF* filter = block.filters[j];
        // An unused lane computes lane 0's numbers and is never stored.
        const DCF& f = filter != nullptr ? *filter : *block.filters[0];
        Group& group = groups[j / kWidth];
        const int lane = j % kWidth;
        const auto load = [lane](Stages<V>& left, Stages<V>& right, const Stages<Stereo>& from) {
            left.s1[lane] = from.s1[0];
            left.s2[lane] = from.s2[0];
            left.s3[lane] = from.s3[0];
            left.s4[lane] = from.s4[0];
            right.s1[lane] = from.s1[1];
            right.s2[lane] = from.s2[1];
            right.s3[lane] = from.s3[1];
            right.s4[lane] = from.s4[1];
        };
        load(group.left, group.right, f.stages);
        group.c.g4[lane] = f.coefficients.g4[0];
        group.c.g[lane] = f.coefficients.g[0];
        group.c.p[lane] = f.coefficients.p[0];
        group.c.k[lane] = f.coefficients.k[0];
        group.c.outputGain[lane] = f.coefficients.outputGain[0];
        group.c.normaliser[lane] = f.coefficients.normaliser[0];
        group.c.feedForward[lane] = f.coefficients.feedForward[0];
        group.offset[lane] = f.denormalOffset;
        group.amount[lane] = f.feedbackAmount();
        group.gain[lane] = f.resonanceGain();
        group.highpass[lane] = f.type == Properties::eHighpass24 ? -1 : 0;
        group.lowpass12[lane] = f.type == Properties::eLowpass12 ? -1 : 0;
        group.tables[lane] = f.tables;
    }

    for (int s = 0; s < frames; ++s) {
        for (int gi = 0; gi < Groups; ++gi) {
            Group& group = groups[gi];
            const int* now = &cutoffs[s + 1][gi * kWidth];
            if (std::memcmp(now, &cutoffs[s][gi * kWidth], kWidth * sizeof(int)) != 0) {
                // The coefficients are a function of the cutoff alone: lanes that did not move get
                // exactly the values they had.
                const auto lanes = std::make_index_sequence<kWidth>{};
                group.c = L::coefficientsFor(L::column(group.tables, now, &Tables::freq2rad, lanes),
                                             L::column(group.tables, now, &Tables::resoScaler, lanes),
                                             group.amount, group.gain, group.highpass);
            }
            double* left = block.left + s * kBlockLanes + gi * kWidth;
            double* right = block.right + s * kBlockLanes + gi * kWidth;
            V x;
            std::memcpy(&x, left, sizeof x);
            x = L::step(x, group.left, group.c, group.offset, group.lowpass12);
            std::memcpy(left, &x, sizeof x);
            std::memcpy(&x, right, sizeof x);
            x = L::step(x, group.right, group.c, group.offset, group.lowpass12);
            std::memcpy(right, &x, sizeof x);
            group.offset = -group.offset;
        }
    }

    for (int j = 0; j < kUsed; ++j) {
        DCF* f = block.filters[j];
        if (f == nullptr) continue;
        const Group& group = groups[j / kWidth];
        const int lane = j % kWidth;
        const auto pair = [lane](const V& left, const V& right) { return Stereo{left[lane], right[lane]}; };
        const auto both = [lane](const V& v) { return Stereo{v[lane], v[lane]}; };
        f->stages = {pair(group.left.s1, group.right.s1), pair(group.left.s2, group.right.s2),
                     pair(group.left.s3, group.right.s3), pair(group.left.s4, group.right.s4)};
        f->coefficients = {both(group.c.g4),         both(group.c.g),          both(group.c.p),
                           both(group.c.k),          both(group.c.outputGain), both(group.c.normaliser),
                           both(group.c.feedForward)};
        f->denormalOffset = group.offset[lane];
        f->lastCutoff = cutoffs[frames][j];
    }
}

namespace {

// Lanes up to the last filter of a block.
int usedLanes(const DCF::Block& block) {
    int used = 0;
    for (int j = 0; j < DCF::kBlockLanes; ++j) {
        if (block.filters[j] != nullptr) used = j + 1;
    }
    return used;
}

} // namespace

// As few vectors as the block's filters fill: a lane without a filter costs as much as one with.
void DCF::processBlockSSE2(const Block& block) {
    const int used = usedLanes(block);
    if (used <= 2) {
        processLanes<Stereo, 1>(block);
    } else if (used <= 4) {
        processLanes<Stereo, 2>(block);
    } else {
        processLanes<Stereo, kBlockLanes / 2>(block);
    }
}

[[gnu::target("avx2")]] void DCF::processBlockAVX2(const Block& block) {
    using Quad = double __attribute__((vector_size(32)));
    if (usedLanes(block) <= 4) {
        processLanes<Quad, 1>(block);
    } else {
        processLanes<Quad, kBlockLanes / 4>(block);
    }
}

[[gnu::target("avx2,avx512f,avx512dq,avx512vl,avx512bw")]] void DCF::processBlockAVX512(const Block& block) {
    using Octet = double __attribute__((vector_size(64)));
    using Quad = double __attribute__((vector_size(32)));
    if (usedLanes(block) <= 4) {
        processLanes<Quad, 1>(block);
    } else {
        processLanes<Octet, 1>(block);
    }
}

void DCF::processBlock(const Block& block, SimdKernel kernel) {
    if (block.filters[0] == nullptr || block.frames <= 0) return;
    // A single filter runs fastest on its own, its two channels in one vector.
    if (kernel == SimdKernel::Scalar || usedLanes(block) == 1) {
        const int frames = std::min(block.frames, kMaxBlockFrames);
        for (int j = 0; j < kBlockLanes; ++j) {
            DCF* f = block.filters[j];
            if (f == nullptr) continue;
            for (int s = 0; s < frames; ++s) {
                const int at = s * kBlockLanes + j;
                f->process(&block.left[at], &block.right[at], block.cutoffMod[at]);
            }
        }
    } else if (kernel == SimdKernel::AVX512 && isSimdKernelAvailable(kernel)) {
        processBlockAVX512(block);
    } else if (kernel >= SimdKernel::AVX2 && isSimdKernelAvailable(SimdKernel::AVX2)) {
        processBlockAVX2(block);
    } else {
        processBlockSSE2(block);
    }
}

double DCF::getStageState(int stage, int channel) const {
    const int c = channel == 0 ? 0 : 1;
    switch (stage) {
    case 0:
        return stages.s1[c];
    case 1:
        return stages.s2[c];
    case 2:
        return stages.s3[c];
    default:
        return stages.s4[c];
    }
}
