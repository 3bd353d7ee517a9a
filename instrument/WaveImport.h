#pragma once

#include "engine/MipMap.h"

#include <string>
#include <vector>

class Wave;

// Reading user wave tables from WAV files and from Waldorf Blofeld wave-table SysEx dumps. The readers
// only produce samples and a name; the owner of the Wave record stores them (under its own lock) with
// ImportedWaveTable::storeInto, so that a file that fails to load never touches the record.
namespace WaveImport {

// A table is made of whole waves, and no more than a mip-map plays.
constexpr int kWaveLength = static_cast<int>(MipMap::kWaveLength);
constexpr int kMaxWaves = static_cast<int>(MipMap::kMaxWaves);
constexpr int kMaxSamples = kWaveLength * kMaxWaves;
constexpr int kBlofeldMessageSize = 410;
constexpr int kBlofeldWaveLength = 128;

// Whole waves of kWaveLength samples, at most kMaxWaves of them, and the file name the menus show.
struct ImportedWaveTable {
    std::vector<double> samples;
    std::string name;

    int numberOfWaves() const { return static_cast<int>(samples.size()) / kWaveLength; }
    void storeInto(Wave& wave) const;
};

// What the editor shows after the user has picked a file: whether to go on loading it, and the text
// for the message box ("Load Wave Table"); an empty message means no box.
struct ImportVerdict {
    bool accepted = false;
    std::string message;
};

enum class FileKind { eUnknown, eWAV, eBlofeldSYX };

// Four-point (Catmull-Rom) interpolation between y1 (mu = 0) and y2 (mu = 1).
double CubicInterpolate(double y0, double y1, double y2, double y3, double mu);
// Sample i (0..127) of a Blofeld wave-table message: three 7-bit groups, high first, 21-bit two's
// complement, positive full scale exactly 1.0.
double getFromTriple(const unsigned char* message, int i);

// The last path component; both separators end it, so names from either kind of system read the same.
std::string fileNameOf(const std::string& path);
// By the text after the last "." of the file name, in any letter case.
FileKind fileKindOf(const std::string& path);

ImportVerdict checkSelectedFile(const std::string& path);

// Each gives true and fills table only when the file was read completely.
bool readWAV(const std::string& path, ImportedWaveTable* table);
bool readBlofeldSYX(const std::string& path, ImportedWaveTable* table);
// Chooses the reader by the extension; false for any other extension.
bool loadWaveTable(const std::string& path, ImportedWaveTable* table);

} // namespace WaveImport
