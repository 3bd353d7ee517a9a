// Programs and state as hosts and users meet them: creating the plug-in through its entry point (with
// whatever factory bank the build has put into the bundle), loading a bank file, program changes and
// state chunks through the dispatcher.

#include "instrument/Korvanta.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using EntryProc = AEffect* (*)(audioMasterCallback);

constexpr char kModule[] = KORVANTA_BUNDLE_DIR "/Contents/x86_64-linux/Korvanta.so";
constexpr char kInitBank[] = KORVANTA_BUNDLE_DIR "/Contents/Resources/init.fxb";

VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A home of its own, so that no user's startup bank takes the place of the factory bank.
const std::string& benchHome() {
    static const std::string home = [] {
        char pattern[] = "/tmp/korvanta-bench-home-XXXXXX";
        std::string path = mkdtemp(pattern);
        setenv("HOME", path.c_str(), 1);
        return path;
    }();
    return home;
}

EntryProc entryPoint() {
    static EntryProc entry = [] {
        benchHome();
        void* module = dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
        return module ? reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
    }();
    return entry;
}

const char* bankLabel() {
    return access(kInitBank, R_OK) == 0 ? "with factory bank" : "no factory bank in the bundle";
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
}

AEffect* openEffect() {
    EntryProc entry = entryPoint();
    if (!entry) return nullptr;
    AEffect* effect = entry(silentHost);
    dispatch(effect, effOpen);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(effect, effSetBlockSize, 0, 256);
    dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

void BM_InstantiateThroughEntryPoint(benchmark::State& state) {
    EntryProc entry = entryPoint();
    if (!entry) {
        state.SkipWithError("plug-in module not built");
        return;
    }
    for (auto _ : state) {
        AEffect* effect = entry(silentHost);
        benchmark::DoNotOptimize(effect);
        state.PauseTiming();
        dispatch(effect, effClose);
        state.ResumeTiming();
    }
    state.SetLabel(bankLabel());
}
BENCHMARK(BM_InstantiateThroughEntryPoint)->Unit(benchmark::kMillisecond);

void BM_LoadBankFromFile(benchmark::State& state) {
    benchHome();
    IPlugInstanceInfo info;
    info.VSTHostCallback = silentHost;
    auto plug = std::make_unique<Korvanta>(info);
    plug->EnsureDefaultPreset();
    const std::string path = benchHome() + "/bench.fxb";
    if (!plug->SaveBankAsFXB(path.c_str())) {
        state.SkipWithError("cannot save the bank");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(plug->LoadBankFromFXB(path.c_str()));
    state.SetLabel(bankLabel());
}
BENCHMARK(BM_LoadBankFromFile)->Unit(benchmark::kMillisecond);

void BM_ProgramChangeThroughHost(benchmark::State& state) {
    AEffect* effect = openEffect();
    if (!effect) {
        state.SkipWithError("plug-in module not built");
        return;
    }
    int program = 0;
    for (auto _ : state) {
        program = (program + 1) % 64;
        dispatch(effect, effSetProgram, 0, program);
    }
    dispatch(effect, effClose);
    state.SetLabel(bankLabel());
}
BENCHMARK(BM_ProgramChangeThroughHost)->Unit(benchmark::kMicrosecond);

// Argument 0: the bank chunk; 1: a program chunk.
void BM_GetChunk(benchmark::State& state) {
    AEffect* effect = openEffect();
    if (!effect) {
        state.SkipWithError("plug-in module not built");
        return;
    }
    const auto index = static_cast<VstInt32>(state.range(0));
    VstIntPtr size = 0;
    for (auto _ : state) {
        void* data = nullptr;
        size = dispatch(effect, effGetChunk, index, 0, &data);
        benchmark::DoNotOptimize(data);
    }
    state.counters["bytes"] = static_cast<double>(size);
    dispatch(effect, effClose);
}
BENCHMARK(BM_GetChunk)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SetChunk(benchmark::State& state) {
    AEffect* effect = openEffect();
    if (!effect) {
        state.SkipWithError("plug-in module not built");
        return;
    }
    const auto index = static_cast<VstInt32>(state.range(0));
    void* data = nullptr;
    const VstIntPtr size = dispatch(effect, effGetChunk, index, 0, &data);
    std::vector<unsigned char> chunk(static_cast<const unsigned char*>(data),
                                     static_cast<const unsigned char*>(data) + size);
    for (auto _ : state) benchmark::DoNotOptimize(dispatch(effect, effSetChunk, index, size, chunk.data()));
    state.counters["bytes"] = static_cast<double>(size);
    dispatch(effect, effClose);
}
BENCHMARK(BM_SetChunk)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
