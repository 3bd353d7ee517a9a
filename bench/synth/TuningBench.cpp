#include "synth/TuningEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Tuning files written once for the whole run and removed at exit.
class BenchFiles {
public:
    BenchFiles() {
        const std::string base = "/tmp/korvanta-tuning-bench-" + std::to_string(getpid());
        tun = base + ".tun";
        scl = base + ".scl";
        kbm = base + ".kbm";
        std::string text =
            "[Scale Begin]\nFormat = \"AnaMark-TUN\"\nFormatVersion = 200\n"
            "[Info]\nDescription = \"128 notes of 19-EDO\"\n[Exact Tuning]\nBaseFreq = 8.1757989156\n";
        for (int n = 0; n < 128; ++n)
            text += "Note " + std::to_string(n) + " = " + std::to_string(n * 1200.0 / 19) + "\n";
        write(tun, text + "[Scale End]\n");
        write(scl, "! Werckmeister\nWerckmeister III\n 12\n 90.225\n 192.180\n 294.135\n 390.225\n 498.045\n "
                   "588.270\n"
                   " 696.090\n 792.180\n 888.270\n 996.09\n 1092.180\n 2/1\n");
        write(kbm, "12\n0\n127\n60\n69\n442.0\n12\n0\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n");
    }
    ~BenchFiles() {
        std::remove(tun.c_str());
        std::remove(scl.c_str());
        std::remove(kbm.c_str());
    }

    std::string tun, scl, kbm;

private:
    static void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
};

const BenchFiles& files() {
    static const BenchFiles instance;
    return instance;
}

const MTSLibrary& noLibrary() {
    static const MTSLibrary library;
    return library;
}

void SetTuning(benchmark::State& state) {
    TuningEngine engine(noLibrary());
    const auto tuning = static_cast<MicroTuning>(state.range(0));
    for (auto _ : state) {
        engine.setTuning(tuning);
        benchmark::DoNotOptimize(engine.tuningTable.data());
    }
    state.SetLabel(TuningEngine::labelMicroTuning[tuning]);
}
BENCHMARK(SetTuning)->DenseRange(0, 13)->Unit(benchmark::kMicrosecond);

void LoadTun128Notes(benchmark::State& state) {
    TuningEngine engine(noLibrary());
    for (auto _ : state) {
        if (engine.loadTuning(files().tun.c_str(), true) != TuningEngine::kLoadDone)
            state.SkipWithError("load failed");
    }
}
BENCHMARK(LoadTun128Notes)->Unit(benchmark::kMicrosecond);

void LoadSclThenKbm(benchmark::State& state) {
    TuningEngine engine(noLibrary());
    for (auto _ : state) {
        if (engine.loadTuning(files().scl.c_str(), false) != TuningEngine::kLoadDone ||
            engine.loadTuning(files().kbm.c_str(), false) != TuningEngine::kLoadDone)
            state.SkipWithError("load failed");
    }
}
BENCHMARK(LoadSclThenKbm)->Unit(benchmark::kMicrosecond);

void GetFrequencyWithoutMaster(benchmark::State& state) {
    TuningEngine engine(noLibrary());
    engine.setTuning(eJust);
    int note = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.getFrequency(note));
        note = (note + 1) & 127;
    }
}
BENCHMARK(GetFrequencyWithoutMaster);

#ifdef KORVANTA_MTS_STANDIN
void GetFrequencyWithMaster(benchmark::State& state) {
    MTSLibrary library;
    if (!library.bind({KORVANTA_MTS_STANDIN})) {
        state.SkipWithError("stand-in libMTS not found");
        return;
    }
    void* control = dlopen(KORVANTA_MTS_STANDIN, RTLD_NOW | RTLD_NOLOAD);
    auto setMaster = reinterpret_cast<void (*)(bool)>(dlsym(control, "MTSStandin_SetMaster"));
    setMaster(true);
    {
        TuningEngine engine(library);
        int note = 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(engine.getFrequency(note));
            note = (note + 1) & 127;
        }
    }
    setMaster(false);
    dlclose(control);
}
BENCHMARK(GetFrequencyWithMaster);
#endif

} // namespace
