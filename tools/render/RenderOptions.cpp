#include "tools/render/RenderOptions.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using Apply = bool (*)(RenderOptions&, const char* value, std::string* error);

struct OptionRow {
    const char* longName;
    const char* shortName; // "" when there is none
    const char* argument;  // nullptr for a switch
    const char* help;
    Apply apply;
};

bool readNumber(const char* text, double low, double high, double* value, std::string* error) {
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
        *error = std::string("'") + text + "' is not a number";
        return false;
    }
    if (v < low || v > high) {
        char range[96];
        std::snprintf(range, sizeof range, " is outside %g..%g", low, high);
        *error = std::string("'") + text + "'" + range;
        return false;
    }
    *value = v;
    return true;
}

bool readInt(const char* text, int low, int high, int* value, std::string* error) {
    double v = 0.0;
    if (!readNumber(text, low, high, &v, error)) return false;
    if (v != std::floor(v)) {
        *error = std::string("'") + text + "' is not a whole number";
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool readParam(RenderOptions& o, const char* text, std::string* error) {
    const char* equals = std::strrchr(text, '=');
    if (!equals || equals == text) {
        *error = std::string("'") + text + "' is not INDEX_OR_NAME=VALUE";
        return false;
    }
    RenderOptions::ParamOverride param;
    param.key.assign(text, equals);
    if (!readNumber(equals + 1, 0.0, 1.0, &param.value, error)) return false;
    o.params.push_back(param);
    return true;
}

bool readFormat(RenderOptions& o, const char* text, std::string* error) {
    constexpr std::array<std::pair<const char*, RenderOptions::Format>, 3> kFormats{{
        {"s16", RenderOptions::Format::s16},
        {"s24", RenderOptions::Format::s24},
        {"f32", RenderOptions::Format::f32},
    }};
    for (const auto& [name, format] : kFormats)
        if (std::strcmp(text, name) == 0) {
            o.format = format;
            return true;
        }
    *error = std::string("unknown format '") + text + "' (s16, s24 or f32)";
    return false;
}

bool readTuningPreference(RenderOptions& o, const char* text, std::string* error) {
    if (std::strcmp(text, "exact") != 0 && std::strcmp(text, "functional") != 0) {
        *error = std::string("unknown preference '") + text + "' (exact or functional)";
        return false;
    }
    o.exactTuning = std::strcmp(text, "exact") == 0;
    return true;
}

bool readWaveTable(RenderOptions& o, const char* text, std::string* error) {
    RenderOptions::WaveTableLoad load;
    if (text[0] < '1' || text[0] > '3' || text[1] != '=' || text[2] == '\0') {
        *error = std::string("'") + text + "' is not OSC=FILE with OSC 1, 2 or 3";
        return false;
    }
    load.oscillator = text[0] - '0';
    load.path = text + 2;
    o.waveTables.push_back(load);
    return true;
}

// clang-format off
const std::array<OptionRow, 22> kOptions{{
    {"--output", "-o", "FILE", "the WAV file to write (default: the song's name with .wav)",
     [](RenderOptions& o, const char* v, std::string*) { o.outputPath = v; return true; }},
    {"--sample-rate", "-r", "HZ", "sample rate in whole hertz, 8000..384000 (default 48000)",
     [](RenderOptions& o, const char* v, std::string* e) {
         int rate = 0;
         if (!readInt(v, static_cast<int>(RenderOptions::kMinSampleRate),
                      static_cast<int>(RenderOptions::kMaxSampleRate), &rate, e))
             return false;
         o.sampleRate = rate;
         return true;
     }},
    {"--block-size", "-b", "FRAMES", "frames per process call, 1..65536 (default 512)",
     [](RenderOptions& o, const char* v, std::string* e) {
         return readInt(v, 1, RenderOptions::kMaxBlockSize, &o.blockSize, e); }},
    {"--format", "-f", "s16|s24|f32", "16-bit or 24-bit PCM, or 32-bit float (default s24)", readFormat},
    {"--program", "-p", "N", "start from program N, 0..63 (default: the plug-in's startup program)",
     [](RenderOptions& o, const char* v, std::string* e) { return readInt(v, 0, 127, &o.program, e); }},
    {"--param", "", "INDEX_OR_NAME=VALUE",
     "set a parameter to a normalised value 0..1 after the program is\n"
     "                     chosen; a name is the exact name the plug-in reports (a name two\n"
     "                     parameters share means the first); repeatable, applied in order", readParam},
    {"--tail", "-t", "SECONDS", "after the last event, render until 100 ms stay below -90 dBFS, at most\n"
     "                     this long (default 10)",
     [](RenderOptions& o, const char* v, std::string* e) { return readNumber(v, 0.0, 600.0, &o.tailSeconds, e); }},
    {"--gain", "-g", "DB", "gain applied to the plug-in's output, -96..+48 dB (default 0)",
     [](RenderOptions& o, const char* v, std::string* e) { return readNumber(v, -96.0, 48.0, &o.gainDb, e); }},
    {"--max-length", "", "SECONDS", "refuse songs longer than this (default 3600)",
     [](RenderOptions& o, const char* v, std::string* e) {
         return readNumber(v, 1.0, 86400.0, &o.maxLengthSeconds, e); }},
    {"--quiet", "-q", nullptr, "no progress line and no summary",
     [](RenderOptions& o, const char*, std::string*) { o.quiet = true; return true; }},
    {"--plugin", "", "PATH", "the plug-in module to load (default: the one built with this tool,\n"
     "                     else ~/.vst/Korvanta.vst/Contents/x86_64-linux/Korvanta.so)",
     [](RenderOptions& o, const char* v, std::string*) { o.pluginPath = v; return true; }},
    {"--fxb", "", "FILE", "load a bank file (FXB) before the program is chosen",
     [](RenderOptions& o, const char* v, std::string*) { o.fxbPath = v; return true; }},
    {"--fxp", "", "FILE", "load a program file (FXP) into the chosen program",
     [](RenderOptions& o, const char* v, std::string*) { o.fxpPath = v; return true; }},
    {"--tuning", "", "FILE", "load a tuning file (.tun, .scl or .kbm) and select it as the user tuning;\n"
     "                     repeatable, read in order (a .kbm after a .scl maps that scale)",
     [](RenderOptions& o, const char* v, std::string*) { o.tuningPaths.push_back(v); return true; }},
    {"--tuning-preference", "", "exact|functional",
     "which tuning of a TUN file holding both to use (default exact);\n"
     "                     a TUN file without the preferred one is refused", readTuningPreference},
    {"--wavetable", "", "OSC=FILE", "load a wave table (.wav or Blofeld .syx) into user wave OSC (1..3) and\n"
     "                     select it on oscillator OSC; repeatable", readWaveTable},
    {"--save-fxp", "", "FILE", "after all settings, save the current program as an FXP file",
     [](RenderOptions& o, const char* v, std::string*) { o.saveFxpPath = v; return true; }},
    {"--save-fxb", "", "FILE", "after all settings, save the whole bank as an FXB file",
     [](RenderOptions& o, const char* v, std::string*) { o.saveFxbPath = v; return true; }},
    {"--list-programs", "", nullptr, "print the program names (after --fxb) and render nothing",
     [](RenderOptions& o, const char*, std::string*) { o.listPrograms = true; return true; }},
    {"--info", "", nullptr, "print what the plug-in reports to a host (after --program and --param),\n"
     "                     and render nothing", nullptr},
    {"--help", "-h", nullptr, "show this text", nullptr},
    {"--", "", nullptr, "end of options: the next argument is the song even if it starts with '-'", nullptr},
}};
// clang-format on

// Where the option texts start in --help; continuation lines in the table are indented to it.
constexpr size_t kHelpColumn = 21;

const OptionRow* findOption(const std::string& name) {
    for (const OptionRow& option : kOptions)
        if (name == option.longName || (option.shortName[0] && name == option.shortName)) return &option;
    return nullptr;
}

} // namespace

std::string RenderOptions::usage() {
    std::string text = "Usage: korvanta-render [OPTIONS] SONG.mid\n"
                       "       korvanta-render [--plugin PATH] [--program N] [--param ...] --info\n"
                       "\n"
                       "Renders a Standard MIDI File (format 0 or 1) to a WAV file through the Korvanta\n"
                       "plug-in, driven as a VST 2.4 host drives it: offline, with the song's tempo and\n"
                       "position as transport, events at their exact frame, output through\n"
                       "processDoubleReplacing. Notes still held at the end of the song are released.\n"
                       "Program changes in the song switch programs when they come, replacing what\n"
                       "--program and --param set.\n"
                       "\nOptions:\n";
    for (const OptionRow& option : kOptions) {
        std::string left = std::string("  ") +
                           (option.shortName[0] ? std::string(option.shortName) + ", " : "") +
                           option.longName + (option.argument ? std::string(" ") + option.argument : "");
        if (left.size() < kHelpColumn - 1)
            left.resize(kHelpColumn, ' ');
        else
            left += "\n" + std::string(kHelpColumn, ' ');
        text += left + option.help + "\n";
    }
    text += "\nExit status: 0 done, 2 bad options, 3 plug-in cannot be loaded or refuses a request,\n"
            "4 missing or malformed MIDI file (or a song longer than --max-length), 5 output cannot be\n"
            "written (no partial file is left in its place), 6 a bank, program, tuning or wave-table\n"
            "file is refused (the message says why).\n";
    return text;
}

RenderOptions::Outcome RenderOptions::parse(int argc, const char* const* argv, std::string* error) {
    bool info = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!songPath.empty()) {
                *error = "more than one song given ('" + songPath + "' and '" + arg + "')";
                return Outcome::error;
            }
            songPath = arg;
            continue;
        }
        // --name=value is read like --name value.
        const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        const OptionRow* option = findOption(name);
        if (!option) {
            *error = "unknown option '" + arg + "'";
            return Outcome::error;
        }
        if (name == "--help" || name == "-h") return Outcome::help;
        if (name == "--info") {
            info = true;
            continue;
        }
        if (name == "--") {
            optionsEnded = true;
            continue;
        }
        const char* value = nullptr;
        if (option->argument) {
            if (equals != std::string::npos) {
                value = argv[i] + equals + 1;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                *error = name + " needs " + option->argument;
                return Outcome::error;
            }
        } else if (equals != std::string::npos) {
            *error = name + " takes no value";
            return Outcome::error;
        }
        std::string why;
        if (!option->apply(*this, value, &why)) {
            *error = name + ": " + why;
            return Outcome::error;
        }
    }
    if (info) return Outcome::info;
    if (listPrograms) return Outcome::programs;
    if (songPath.empty() && (!saveFxpPath.empty() || !saveFxbPath.empty())) return Outcome::save;
    if (songPath.empty()) {
        *error = "no MIDI file given";
        return Outcome::error;
    }
    if (outputPath.empty()) {
        const size_t slash = songPath.rfind('/');
        const size_t dot = songPath.rfind('.');
        const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        outputPath = (hasExtension ? songPath.substr(0, dot) : songPath) + ".wav";
    }
    return Outcome::render;
}
