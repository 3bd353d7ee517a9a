#pragma once

#include <string>
#include <vector>

// What one korvanta-render run is asked to do, read from its command line. The options are one table:
// a new option is one more row and one more field.
class RenderOptions {
public:
    enum class Format { s16, s24, f32 };

    struct ParamOverride {
        std::string key; // a parameter index in decimal, or a parameter name as the plug-in reports it
        double value = 0.0;
    };

    enum class Outcome { render, info, programs, save, help, error };

    struct WaveTableLoad {
        int oscillator = 1; // 1..3
        std::string path;
    };

    // Reads argv; on Outcome::error, error says what is wrong.
    Outcome parse(int argc, const char* const* argv, std::string* error);
    static std::string usage();

    std::string songPath;
    std::string outputPath;
    std::string pluginPath;
    double sampleRate = 48000.0;
    int blockSize = 512;
    Format format = Format::s24;
    int program = -1; // -1: the plug-in's own startup program
    std::vector<ParamOverride> params;
    double tailSeconds = 10.0;
    double gainDb = 0.0;
    double maxLengthSeconds = 3600.0;
    bool quiet = false;
    std::string fxbPath;                  // bank loaded before the program is chosen
    std::string fxpPath;                  // program loaded into the chosen program
    std::vector<std::string> tuningPaths; // TUN, SCL or KBM files, read in order into the user tuning
    bool exactTuning = true;              // a TUN file's exact tuning wins over its functional one
    std::vector<WaveTableLoad> waveTables;
    std::string saveFxpPath; // the current program, after all settings
    std::string saveFxbPath; // the whole bank, after all settings
    bool listPrograms = false;

    static constexpr double kMinSampleRate = 8000.0;
    static constexpr double kMaxSampleRate = 384000.0;
    static constexpr int kMaxBlockSize = 65536;
};
