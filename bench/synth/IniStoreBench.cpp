// Reading configuration files of about 700 KB in the shapes that used to cost quadratic time: many
// sections, one huge section, long lines. Each iteration parses the file afresh and asks for every key
// the instrument reads at start-up.

#include "synth/IniStore.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

constexpr size_t kFileSize = 700 * 1024;

std::string manyEmptySections() {
    std::string text;
    for (int i = 0; text.size() < kFileSize; ++i) text += "[s" + std::to_string(i) + "]\n";
    return text + "[MIDI Control]\nCC7=0\n";
}

std::string oneHugeSection() {
    std::string text = "[MIDI Control]\n";
    for (int i = 0; text.size() < kFileSize; ++i)
        text += "CC" + std::to_string(i) + "=" + std::to_string(i % 153) + "\n";
    return text;
}

std::string longLines() {
    std::string text;
    for (int i = 0; text.size() < kFileSize; ++i)
        text += "[S" + std::to_string(i) + "]\nk=" + std::string(64 * 1024, 'v') + "\n";
    return text;
}

void readConfiguration(benchmark::State& state, std::string (*shape)()) {
    const std::string path = "/tmp/korvanta-ini-bench-" + std::to_string(getpid()) + ".ini";
    const std::string text = shape();
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    IniStore& store = IniStore::instance();
    char value[1024];
    for (auto _ : state) {
        store.clearCache();
        store.GetPrivateProfileString("Startup Bank", "File", "", value, sizeof value, path.c_str());
        store.GetPrivateProfileString("MIDI Global", "MIDI Thru", "false", value, sizeof value, path.c_str());
        for (int cc = 0; cc < 120; ++cc) {
            const std::string key = "CC" + std::to_string(cc);
            store.GetPrivateProfileString("MIDI Control", key.c_str(), "-1", value, sizeof value,
                                          path.c_str());
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::remove(path.c_str());
}

} // namespace

BENCHMARK_CAPTURE(readConfiguration, ManyEmptySections, manyEmptySections)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readConfiguration, OneHugeSection, oneHugeSection)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readConfiguration, LongLines, longLines)->Unit(benchmark::kMillisecond);
