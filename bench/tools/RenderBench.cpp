// Real-time factor of korvanta-render on the demo song: seconds of audio written per second of wall time,
// the whole run included (loading the plug-in, reading the song, writing the file).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The demo's sound from examples/README.md, without its line continuations.
std::string demoOptions() {
    std::ifstream in(KORVANTA_SOURCE_DIR "/examples/README.md");
    std::string line, options;
    bool inCommand = false;
    while (std::getline(in, line)) {
        if (!inCommand && line.find("korvanta-render examples/demo.mid -o demo.wav") == std::string::npos)
            continue;
        const bool continues = !line.empty() && line.back() == '\\';
        if (continues) line.pop_back();
        options += inCommand ? line : line.substr(line.find("demo.wav") + 8);
        inCommand = true;
        if (!continues) break;
    }
    return options;
}

double wavSeconds(const std::string& path, int sampleRate) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    // 24-bit stereo frames after a header of a few dozen bytes.
    return in ? (static_cast<double>(in.tellg()) - 44.0) / (6.0 * sampleRate) : 0.0;
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

void renderDemo(benchmark::State& state) {
    const int blockSize = static_cast<int>(state.range(0));
    const std::string output = "/tmp/korvanta-render-bench-" + std::to_string(getpid()) + ".wav";
    const std::string command = std::string("'") + KORVANTA_RENDER +
                                "' '" KORVANTA_SOURCE_DIR "/examples/demo.mid' -q -r 48000 -f s24 -b " +
                                std::to_string(blockSize) + " -o '" + output + "'" + demoOptions();
    double audioSeconds = 0.0;
    const double cpuBefore = childCpuSeconds();
    for (auto _ : state) {
        const int status = std::system(command.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("korvanta-render failed");
            break;
        }
        audioSeconds += wavSeconds(output, 48000);
    }
    std::remove(output.c_str());
    // Wall time counts whatever else the machine runs; the tool's own processor time does not.
    state.counters["realtime_factor"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    const double cpu = childCpuSeconds() - cpuBefore;
    state.counters["cpu_realtime_factor"] = cpu > 0.0 ? audioSeconds / cpu : 0.0;
}

} // namespace

BENCHMARK(renderDemo)
    ->Arg(64)
    ->Arg(512)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
