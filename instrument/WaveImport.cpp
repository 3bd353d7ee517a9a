#include "instrument/WaveImport.h"

#include "instrument/BinaryFile.h"
#include "instrument/Wave.h"
#include "instrument/WaveReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>

namespace WaveImport {

namespace {

// 127 / 2047, accumulated by repeated addition so that the last point stays just below sample 127.
constexpr double kBlofeldStep = 0.06204201270151441;

bool isBlofeldHeader(const unsigned char* bytes) {
    return bytes[0] == 0xF0 && bytes[1] == 0x3E && bytes[2] == 0x13 && bytes[4] == 0x12;
}

// Float files may hold NaN or infinities; they would spread through the interpolation into their
// neighbours, so they are made silence or full scale before anything else sees them.
void makeFinite(std::vector<double>& values) {
    for (double& v : values) {
        if (std::isnan(v))
            v = 0.0;
        else if (std::isinf(v))
            v = v > 0 ? 1.0 : -1.0;
    }
}

// Stretches one cycle of n samples over kWaveLength points, reading it as periodic.
void resampleCycle(const double* cycle, int n, double step, double* out) {
    const auto at = [cycle, n](long i) { return cycle[((i % n) + n) % n]; };
    out[0] = cycle[0];
    double x = 0.0;
    for (int i = 1; i < kWaveLength; ++i) {
        x += step;
        const long k = static_cast<long>(std::floor(x));
        const double f = x - static_cast<double>(k);
        // Only the points near either end need the wrap (and its divisions).
        if (k >= 1 && k + 2 < n) {
            const double* p = cycle + (k - 1);
            out[i] = CubicInterpolate(p[0], p[1], p[2], p[3], f);
        } else {
            out[i] = CubicInterpolate(at(k - 1), at(k), at(k + 1), at(k + 2), f);
        }
    }
}

// How many samples of a file of n frames become the table: a single cycle is stretched to one wave,
// longer files keep their whole waves up to the most a table plays.
int keptSamples(uint32_t n) {
    if (n < static_cast<uint32_t>(kWaveLength)) return kWaveLength;
    return static_cast<int>(std::min<uint32_t>(n / kWaveLength, kMaxWaves)) * kWaveLength;
}

std::string wavMessage(uint32_t n) {
    const std::string waveLength = std::to_string(kWaveLength);
    if (n <= static_cast<uint32_t>(kWaveLength))
        return "This is a single cycle waveform file\nwith " + std::to_string(n) + " samples.";
    if (n % kWaveLength == 0)
        return "This is assumed to be a wave table file\nwith " + std::to_string(n / kWaveLength) +
               " waves of " + waveLength + " samples.";
    const uint32_t waves =
        n >= static_cast<uint32_t>(kMaxSamples + kWaveLength) ? kMaxWaves : n / kWaveLength;
    return "This file does not have the correct Korvanta wave table format.\nHowever, it is treated as a "
           "wave table with " +
           std::to_string(waves) + " waves of " + waveLength + " samples.";
}

ImportVerdict checkWAV(const std::string& path) {
    WaveReader reader;
    reader.Open(path.c_str());
    // A mono file without a single whole frame has nothing to make a wave from.
    if (!reader.hasFormat() || reader.getChannels() != 1 || reader.getFrames() == 0) return {};
    return {true, wavMessage(reader.getFrames())};
}

ImportVerdict checkBlofeldSYX(const std::string& path) {
    BinaryFile file(path.c_str());
    std::array<unsigned char, 5> head{};
    if (file.isOpen() && file.size() % kBlofeldMessageSize == 0 &&
        file.readExactly(head.data(), head.size()) && isBlofeldHeader(head.data()))
        return {true, "This is assumed to be a Blofield\nwave table file with 64 waves."};
    return {false, "Invalid file format! Cannot load\n\"" + fileNameOf(path) + "\"."};
}

} // namespace

double CubicInterpolate(double y0, double y1, double y2, double y3, double mu) {
    const double mu2 = mu * mu;
    const double mu3 = mu2 * mu;
    return 0.5 * (y2 - y0) * mu + (2.0 * y2 + (-2.5 * y1 + y0) - 0.5 * y3) * mu2 +
           (0.5 * (y3 - y0) + 1.5 * (y1 - y2)) * mu3 + y1;
}

double getFromTriple(const unsigned char* message, int i) {
    const unsigned char* triple = message + 8 + 3 * i;
    const int high = triple[0] & 0x7F;
    const int raw = high * 16384 + (triple[1] & 0x7F) * 128 + (triple[2] & 0x7F);
    const double value = raw / 1048575.0;
    return high > 63 ? value - 2.0 : value;
}

std::string fileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

FileKind fileKindOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return FileKind::eUnknown;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "wav") return FileKind::eWAV;
    if (extension == "syx") return FileKind::eBlofeldSYX;
    return FileKind::eUnknown;
}

ImportVerdict checkSelectedFile(const std::string& path) {
    if (path.empty()) return {};
    switch (fileKindOf(path)) {
    case FileKind::eWAV:
        return checkWAV(path);
    case FileKind::eBlofeldSYX:
        return checkBlofeldSYX(path);
    case FileKind::eUnknown:
        break;
    }
    return {};
}

bool readWAV(const std::string& path, ImportedWaveTable* table) {
    WaveReader reader;
    if (!reader.Open(path.c_str()) || reader.getChannels() != 1 || reader.getFrames() == 0) return false;

    const uint32_t n = reader.getFrames();
    const int kept = keptSamples(n);
    // A single cycle is read whole; a longer file only up to the waves that are kept.
    const unsigned wanted = n < static_cast<uint32_t>(kWaveLength) ? n : static_cast<unsigned>(kept);
    std::vector<double> values(wanted);
    if (reader.ReadDoubles(values.data(), wanted) != wanted) return false;
    makeFinite(values);

    if (wanted < static_cast<unsigned>(kWaveLength)) {
        std::vector<double> wave(kWaveLength);
        const double step = static_cast<double>(n - 1) / (kWaveLength - 1);
        resampleCycle(values.data(), static_cast<int>(n), step, wave.data());
        values = std::move(wave);
    }
    table->samples = std::move(values);
    table->name = fileNameOf(path);
    return true;
}

bool readBlofeldSYX(const std::string& path, ImportedWaveTable* table) {
    BinaryFile file(path.c_str());
    if (!file.isOpen()) return false;
    // Only the first waves a table can play are read, so a huge dump costs neither memory nor space in
    // every saved project.
    const int messages = static_cast<int>(std::min<uint64_t>(file.size() / kBlofeldMessageSize, kMaxWaves));
    if (messages == 0) return false;

    std::vector<double> samples(static_cast<size_t>(messages) * kWaveLength);
    std::array<unsigned char, kBlofeldMessageSize> message{};
    std::array<double, kBlofeldWaveLength> cycle{};
    for (int m = 0; m < messages; ++m) {
        if (!file.readExactly(message.data(), message.size()) || !isBlofeldHeader(message.data()))
            return false;
        for (int i = 0; i < kBlofeldWaveLength; ++i) cycle[i] = getFromTriple(message.data(), i);
        resampleCycle(cycle.data(), kBlofeldWaveLength, kBlofeldStep, samples.data() + m * kWaveLength);
    }
    table->samples = std::move(samples);
    table->name = fileNameOf(path);
    return true;
}

bool loadWaveTable(const std::string& path, ImportedWaveTable* table) {
    switch (fileKindOf(path)) {
    case FileKind::eWAV:
        return readWAV(path, table);
    case FileKind::eBlofeldSYX:
        return readBlofeldSYX(path, table);
    case FileKind::eUnknown:
        break;
    }
    return false;
}

void ImportedWaveTable::storeInto(Wave& wave) const {
    wave.putFrom(samples.data(), static_cast<int>(samples.size()), name);
}

} // namespace WaveImport
