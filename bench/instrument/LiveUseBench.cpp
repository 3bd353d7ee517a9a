// What a musician playing live meets, measured through the built module as a host loads it: the worst
// process call while programs change under a chord, the cost of the first and of later instances in a
// process, and the memory that one and eight instances keep resident. Instantiation and memory are taken
// in a fresh child process each time, so that nothing an earlier benchmark built is counted as free.

#include "plugin/vst2/Vst2.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using EntryProc = AEffect* (*)(audioMasterCallback);

constexpr char kModule[] = KORVANTA_BUNDLE_DIR "/Contents/x86_64-linux/Korvanta.so";
constexpr float kRate = 48000.0f;
constexpr int kBlock = 64;
constexpr int kPrograms = 64;
constexpr double kDeadlineMs = 1000.0 * kBlock / kRate;

VstIntPtr silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// A home of its own, so that no user's startup bank or settings take part.
void useBenchHome() {
    static const bool done = [] {
        char pattern[] = "/tmp/korvanta-live-bench-XXXXXX";
        const char* home = mkdtemp(pattern);
        return home != nullptr && setenv("HOME", home, 1) == 0;
    }();
    benchmark::DoNotOptimize(done);
}

EntryProc loadModule() {
    useBenchHome();
    void* module = dlopen(kModule, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain")) : nullptr;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) {
    return effect->dispatcher(effect, opcode, index, value, nullptr, 0.0f);
}

AEffect* openEffect(EntryProc entry) {
    AEffect* effect = entry(silentHost);
    if (effect == nullptr) return nullptr;
    dispatch(effect, effOpen);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kRate);
    dispatch(effect, effSetBlockSize, 0, kBlock);
    dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

double wallMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

// Every thread of the process counts: a shared machine's load does not, work handed to a helper does.
double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

// MIDI for one block, handed over the way a host does before it calls process.
class EventBlock {
public:
    void add(int offset, int status, int data1, int data2) {
        VstMidiEvent& e = midi[count];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = offset;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(data1);
        e.midiData[2] = static_cast<char>(data2);
        pointers[count] = reinterpret_cast<VstEvent*>(&midi[count]);
        ++count;
    }
    void sendTo(AEffect* effect) {
        auto* events = reinterpret_cast<VstEvents*>(storage.data());
        events->numEvents = count;
        events->reserved = 0;
        std::copy_n(pointers.begin(), count, events->events);
        effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
        count = 0;
    }

private:
    static constexpr int kMax = 16;
    std::array<VstMidiEvent, kMax> midi{};
    std::array<VstEvent*, kMax> pointers{};
    alignas(VstEvents) std::array<unsigned char, sizeof(VstEvents) + kMax * sizeof(VstEvent*)> storage{};
    int count = 0;
};

// Per program: the program change with a four-note chord in the same block, half a second held, then
// the notes released. The CPU time of every process call is kept.
std::vector<double> programSweep(AEffect* effect, int blocksPerProgram) {
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    std::vector<double> calls;
    calls.reserve(static_cast<size_t>(kPrograms * blocksPerProgram));
    EventBlock events;
    constexpr std::array<int, 4> chord{48, 55, 60, 64};
    for (int program = 0; program < kPrograms; ++program) {
        for (int block = 0; block < blocksPerProgram; ++block) {
            if (block == 0) {
                events.add(0, 0xC0, program, 0);
                for (const int note : chord) events.add(1, 0x90, note, 100);
            } else if (block == blocksPerProgram - 1) {
                for (const int note : chord) events.add(0, 0x80, note, 0);
            }
            const double start = threadCpuMs();
            events.sendTo(effect);
            effect->processReplacing(effect, nullptr, outputs, kBlock);
            calls.push_back(threadCpuMs() - start);
        }
    }
    return calls;
}

constexpr int kSweepBlocksPerProgram = static_cast<int>(kRate / 2) / kBlock;
constexpr int kSweepCalls = kPrograms * kSweepBlocksPerProgram;

struct SweepCalls {
    std::array<double, kSweepCalls> ms{};
    bool measured = false;
};

SweepCalls sweepInFreshProcess() {
    SweepCalls sweep;
    const EntryProc entry = loadModule();
    AEffect* effect = entry ? openEffect(entry) : nullptr;
    if (effect == nullptr) return sweep;
    const std::vector<double> calls = programSweep(effect, kSweepBlocksPerProgram);
    dispatch(effect, effClose);
    std::copy_n(calls.begin(), kSweepCalls, sweep.ms.begin());
    sweep.measured = true;
    return sweep;
}

// Resident memory of this process in MiB.
double residentMiB() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0.0;
    long size = 0;
    long resident = 0;
    const int read = std::fscanf(f, "%ld %ld", &size, &resident);
    std::fclose(f);
    return read == 2 ? static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0
                     : 0.0;
}

// Every program once, with a block rendered after each change, so that each instance holds what a
// session that went through the bank holds.
void visitEveryProgram(AEffect* effect) {
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    for (int program = 0; program < kPrograms; ++program) {
        dispatch(effect, effSetProgram, 0, program);
        effect->processReplacing(effect, nullptr, outputs, kBlock);
    }
}

struct FreshProcessFigures {
    double firstWallMs = 0.0;
    double firstMs = 0.0;
    double laterMs = 0.0;
    double oneInstanceMiB = 0.0;
    double eightInstancesMiB = 0.0;
};

// Runs in the child: the module is loaded once, then instances are made and taken through the bank.
FreshProcessFigures measureInFreshProcess() {
    FreshProcessFigures figures;
    const double baseMiB = residentMiB();
    const EntryProc entry = loadModule();
    if (entry == nullptr) return figures;
    const double moduleMiB = residentMiB();
    std::vector<AEffect*> effects;
    for (int i = 0; i < 8; ++i) {
        const double start = processCpuMs();
        const double wallStart = wallMs();
        effects.push_back(openEffect(entry));
        const double ms = processCpuMs() - start;
        if (i == 0) figures.firstWallMs = wallMs() - wallStart;
        if (i == 0) figures.firstMs = ms;
        if (i > 0) figures.laterMs = std::max(figures.laterMs, ms);
        visitEveryProgram(effects.back());
        if (i == 0) figures.oneInstanceMiB = residentMiB() - moduleMiB;
    }
    figures.eightInstancesMiB = residentMiB() - moduleMiB;
    benchmark::DoNotOptimize(baseMiB);
    for (AEffect* effect : effects) dispatch(effect, effClose);
    return figures;
}

// Runs measure() in a child process (a module loaded there starts from nothing) and hands back its
// figures; false when the child could not measure.
template <typename Figures>
bool runInChild(Figures (*measure)(), Figures* figures) {
    int channel[2];
    if (pipe(channel) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const auto measured = std::make_unique<Figures>(measure());
        const auto* bytes = reinterpret_cast<const char*>(measured.get());
        size_t sent = 0;
        while (sent < sizeof(Figures)) {
            const ssize_t n = write(channel[1], bytes + sent, sizeof(Figures) - sent);
            if (n <= 0) _exit(1);
            sent += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(channel[1]);
    size_t received = 0;
    auto* bytes = reinterpret_cast<char*>(figures);
    while (child > 0 && received < sizeof(Figures)) {
        const ssize_t n = read(channel[0], bytes + received, sizeof(Figures) - received);
        if (n <= 0) break;
        received += static_cast<size_t>(n);
    }
    close(channel[0]);
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    return received == sizeof(Figures);
}

// The sweep runs in three fresh processes. A call's own cost is its least over the three (the work is the
// same each time; what a shared machine adds at random is not); worst_ms is the worst of those, while
// worst_single_ms is the worst call of any one sweep, whatever disturbed it.
void BM_ProgramChangeSweepWorstCall(benchmark::State& state) {
    constexpr int kSweeps = 3;
    for (auto _ : state) {
        auto least = std::make_unique<SweepCalls>();
        least->ms.fill(std::numeric_limits<double>::infinity());
        double worstSingle = 0.0;
        for (int sweep = 0; sweep < kSweeps; ++sweep) {
            auto calls = std::make_unique<SweepCalls>();
            if (!runInChild(sweepInFreshProcess, calls.get()) || !calls->measured) {
                state.SkipWithError("plug-in module not built");
                return;
            }
            for (int i = 0; i < kSweepCalls; ++i) {
                least->ms[i] = std::min(least->ms[i], calls->ms[i]);
                worstSingle = std::max(worstSingle, calls->ms[i]);
            }
        }
        state.counters["worst_ms"] = *std::max_element(least->ms.begin(), least->ms.end());
        state.counters["calls_over_deadline"] = static_cast<double>(
            std::count_if(least->ms.begin(), least->ms.end(), [](double ms) { return ms > kDeadlineMs; }));
        state.counters["worst_single_ms"] = worstSingle;
        state.counters["calls"] = kSweepCalls;
    }
}
BENCHMARK(BM_ProgramChangeSweepWorstCall)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_InstancesInFreshProcess(benchmark::State& state) {
    FreshProcessFigures worst;
    for (auto _ : state) {
        FreshProcessFigures figures;
        if (!runInChild(measureInFreshProcess, &figures) || figures.firstMs <= 0.0) {
            state.SkipWithError("plug-in module not built");
            return;
        }
        worst.firstMs = std::max(worst.firstMs, figures.firstMs);
        worst.firstWallMs = std::max(worst.firstWallMs, figures.firstWallMs);
        worst.laterMs = std::max(worst.laterMs, figures.laterMs);
        worst.oneInstanceMiB = std::max(worst.oneInstanceMiB, figures.oneInstanceMiB);
        worst.eightInstancesMiB = std::max(worst.eightInstancesMiB, figures.eightInstancesMiB);
    }
    state.counters["first_instance_cpu_ms"] = worst.firstMs;
    // The first instance builds the shared tables on every core: on an idle machine its wall time is
    // what a host waits for.
    state.counters["first_instance_wall_ms"] = worst.firstWallMs;
    state.counters["later_instance_cpu_ms"] = worst.laterMs;
    state.counters["resident_1_MiB"] = worst.oneInstanceMiB;
    state.counters["resident_8_MiB"] = worst.eightInstancesMiB;
}
BENCHMARK(BM_InstancesInFreshProcess)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
