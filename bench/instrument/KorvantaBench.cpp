#include "engine/Properties.h"
#include "instrument/Korvanta.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::unique_ptr<Korvanta> makeInstrument() {
    IPlugInstanceInfo info;
    info.VSTHostCallback = silentHost;
    auto plug = std::make_unique<Korvanta>(info);
    plug->SetSampleRate(kRate);
    plug->SetBlockSize(kBlock);
    plug->Reset();
    plug->OnActivate(true);
    return plug;
}

void set(Korvanta& plug, int idx, double value) {
    plug.SetParameterFromGUI(idx, plug.GetParam(idx)->GetNormalized(value));
}

// The four parameters after an envelope's trigger: amount, source "ON", then attack to release.
void setEnvelope(Korvanta& plug, int trigger, double a, double d, double s, double r) {
    set(plug, trigger + 1, 1.0);
    set(plug, trigger + 2, Properties::eModOn);
    set(plug, trigger + 3, a);
    set(plug, trigger + 4, d);
    set(plug, trigger + 5, s);
    set(plug, trigger + 6, r);
}

// A filter cutoff parameter value for a cutoff pitch (1/128 semitone): the voice gets value² · 17281.
double cutoffFor(double pitch) {
    return std::sqrt(pitch / 17281.0);
}

// "Saw" into "Lowpass 24" at a fixed cutoff, amp envelope only (the engine benchmark's plain patch).
void plainPatch(Korvanta& plug) {
    set(plug, 29, 0);
    set(plug, 49, 0);
    set(plug, 11, eSaw);
    set(plug, 69, 1.0);
    set(plug, 77, 0);
    set(plug, 78, cutoffFor(9000.0));
    set(plug, 79, 0.0);
    setEnvelope(plug, 100, 0.1, 0.5, 0.8, 0.3);
}

// Everything on, as in the engine benchmark's dense patch: a morphing 64-wave table, hard sync with
// linear FM, ring modulation, noise, a resonant filter swept by its envelope, all four envelopes.
void densePatch(Korvanta& plug) {
    set(plug, 11, eSawTri);
    set(plug, 30, eSaw);
    set(plug, 50, eSaw);
    for (const int idx : {10, 29, 49}) set(plug, idx, 1);
    set(plug, 13, 0);
    set(plug, 12, 0.3);
    set(plug, 14, 0.5);
    set(plug, 15, Properties::eModMG1);
    set(plug, 37, 1);
    set(plug, 43, 7.0);
    set(plug, 38, 0.3);
    set(plug, 39, 1);
    set(plug, 40, 0.2);
    set(plug, 41, Properties::eModLinearEG1);
    set(plug, 19, 1.0);
    set(plug, 62, 2);
    set(plug, 47, 0.5);
    set(plug, 48, Properties::eModLinearEG2);
    for (int k = 0; k < 4; ++k) {
        set(plug, 69 + k, 1.0);
        set(plug, 73 + k, 0.3 + 0.1 * k);
    }
    set(plug, 77, 0);
    set(plug, 78, cutoffFor(4000.0));
    set(plug, 79, 0.7);
    set(plug, 80, 0.5);
    set(plug, 81, std::sqrt(8000.0 / 15361.0));
    setEnvelope(plug, 93, 0.4, 0.7, 0.2, 0.3);
    setEnvelope(plug, 100, 0.1, 0.5, 0.8, 0.3);
    setEnvelope(plug, 107, 0.2, 0.3, 0.5, 0.2);
    setEnvelope(plug, 114, 0.3, 0.2, 0.4, 0.2);
    set(plug, 121, 4.0);
    set(plug, 122, MG::eTriangle);
}

// Renders block after block; "realtime" is seconds of audio per second of processing (100 / realtime is
// the share of a core in percent).
void renderBlocks(benchmark::State& state, Korvanta& plug) {
    std::vector<double> left(kBlock), right(kBlock);
    double* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        plug.ProcessDoubleReplacing(nullptr, outputs, kBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.counters["realtime"] =
        benchmark::Counter(kBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void holdNotes(Korvanta& plug, int count) {
    for (int i = 0; i < count; ++i) {
        IMidiMsg msg(i, 0x90, static_cast<uint8_t>(24 + i), 100);
        plug.ProcessMidiMsg(&msg);
    }
}

void BM_Instrument64DenseVoicesWithChorus(benchmark::State& state) {
    auto plug = makeInstrument();
    set(*plug, 2, 6); // 64 voices
    densePatch(*plug);
    set(*plug, 87, 1);
    holdNotes(*plug, 64);
    renderBlocks(state, *plug);
}

void BM_Instrument8PlainVoices(benchmark::State& state) {
    auto plug = makeInstrument();
    set(*plug, 2, 3); // 8 voices
    plainPatch(*plug);
    holdNotes(*plug, 8);
    renderBlocks(state, *plug);
}

void BM_InstrumentIdle(benchmark::State& state) {
    auto plug = makeInstrument();
    renderBlocks(state, *plug);
}

} // namespace

BENCHMARK(BM_Instrument64DenseVoicesWithChorus);
BENCHMARK(BM_Instrument8PlainVoices);
BENCHMARK(BM_InstrumentIdle);
