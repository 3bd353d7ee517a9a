#include "engine/MipMap.h"
#include "instrument/Wave.h"
#include "instrument/WaveImport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <unistd.h>

namespace {

void putLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

double tableValue(int wave, int i) {
    const double phase = 2.0 * std::numbers::pi * i / 2048.0;
    return 0.7 * std::sin(phase) + 0.2 * std::sin((1 + wave % 16) * phase);
}

// A mono 16-bit WAV of 64 waves and a Blofeld dump of 64 messages, written once per run.
class ImportFiles {
public:
    ImportFiles() {
        folder =
            std::filesystem::temp_directory_path() / ("korvanta-import-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        wavPath = (folder / "table.wav").string();
        syxPath = (folder / "table.syx").string();
        std::ofstream(wavPath, std::ios::binary) << makeWav();
        std::ofstream(syxPath, std::ios::binary) << makeSyx();
    }
    ~ImportFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string wavPath;
    std::string syxPath;

private:
    static std::string makeWav() {
        std::string data;
        for (int w = 0; w < 64; ++w)
            for (int i = 0; i < 2048; ++i)
                putLE(data,
                      static_cast<uint16_t>(static_cast<int16_t>(std::lround(tableValue(w, i) * 32767))), 2);
        std::string file = "RIFF";
        putLE(file, static_cast<uint32_t>(36 + data.size()), 4);
        file += "WAVEfmt ";
        putLE(file, 16, 4);
        putLE(file, 1, 2);
        putLE(file, 1, 2);
        putLE(file, 44100, 4);
        putLE(file, 88200, 4);
        putLE(file, 2, 2);
        putLE(file, 16, 2);
        file += "data";
        putLE(file, static_cast<uint32_t>(data.size()), 4);
        return file + data;
    }

    static std::string makeSyx() {
        std::string file;
        for (int w = 0; w < 64; ++w) {
            std::string message(410, '\0');
            message[0] = '\xF0';
            message[1] = '\x3E';
            message[2] = '\x13';
            message[4] = '\x12';
            for (int i = 0; i < 128; ++i) {
                const auto raw =
                    static_cast<uint32_t>(std::lround(tableValue(w, i * 16) * 1048575.0)) & 0x1FFFFF;
                message[8 + 3 * i] = static_cast<char>(raw >> 14);
                message[9 + 3 * i] = static_cast<char>((raw >> 7) & 0x7F);
                message[10 + 3 * i] = static_cast<char>(raw & 0x7F);
            }
            file += message;
        }
        return file;
    }

    std::filesystem::path folder;
};

const ImportFiles& files() {
    static const ImportFiles instance;
    return instance;
}

// What the editor's load does: read the file, replace the user wave, which builds its table.
void loadAndBuild(benchmark::State& state, const std::string& path) {
    Wave wave;
    for (auto _ : state) {
        WaveImport::ImportedWaveTable table;
        if (!WaveImport::loadWaveTable(path, &table)) {
            state.SkipWithError("the file did not load");
            break;
        }
        table.storeInto(wave);
        benchmark::DoNotOptimize(wave.getTable());
    }
}

void readOnly(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        WaveImport::ImportedWaveTable table;
        benchmark::DoNotOptimize(WaveImport::loadWaveTable(path, &table));
        benchmark::DoNotOptimize(table.samples.data());
    }
}

void BM_LoadWav64WavesWithMipMap(benchmark::State& state) {
    loadAndBuild(state, files().wavPath);
}
void BM_LoadBlofeld64MessagesWithMipMap(benchmark::State& state) {
    loadAndBuild(state, files().syxPath);
}
void BM_ReadWav64Waves(benchmark::State& state) {
    readOnly(state, files().wavPath);
}
void BM_ReadBlofeld64Messages(benchmark::State& state) {
    readOnly(state, files().syxPath);
}

} // namespace

BENCHMARK(BM_LoadWav64WavesWithMipMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBlofeld64MessagesWithMipMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWav64Waves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBlofeld64Messages)->Unit(benchmark::kMillisecond);
