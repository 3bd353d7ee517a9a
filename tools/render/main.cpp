// korvanta-render: drives the Korvanta plug-in through its VST 2.4 entry point, as a host would.

#include "tools/midifile/MidiFile.h"
#include "tools/render/InstrumentFiles.h"
#include "tools/render/PluginHost.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Renderer.h"
#include "tools/render/WavWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

// Exit codes, as --help lists them.
constexpr int kExitUsage = 2;
constexpr int kExitPlugin = 3;
constexpr int kExitMidi = 4;
constexpr int kExitOutput = 5;
constexpr int kExitRefusedFile = 6;

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "korvanta-render: %s\n", message.c_str());
    if (code == kExitUsage) std::fputs("Try 'korvanta-render --help' for the options.\n", stderr);
    return code;
}

int exitCodeOf(InstrumentFiles::Result result) {
    switch (result) {
    case InstrumentFiles::Result::done:
        return 0;
    case InstrumentFiles::Result::refused:
        return kExitRefusedFile;
    case InstrumentFiles::Result::unsupported:
        return kExitPlugin;
    case InstrumentFiles::Result::notWritten:
        return kExitOutput;
    }
    return kExitPlugin;
}

// Loading or saving the instrument's own files; 0 when done, else the exit code after the message.
int checked(InstrumentFiles::Result result, const std::string& error) {
    return result == InstrumentFiles::Result::done ? 0 : fail(exitCodeOf(result), error);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string defaultPluginPath() {
    const std::string built = KORVANTA_BUILD_PLUGIN;
    if (fileExists(built)) return built;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.vst/Korvanta.vst/Contents/x86_64-linux/Korvanta.so";
}

std::string fourCC(VstInt32 code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

std::string flagNames(VstInt32 flags) {
    constexpr std::array<std::pair<VstInt32, const char*>, 7> kFlags{{
        {effFlagsHasEditor, "editor"},
        {effFlagsCanMono, "mono"},
        {effFlagsCanReplacing, "replacing"},
        {effFlagsProgramChunks, "chunks"},
        {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "no-sound-in-stop"},
        {effFlagsCanDoubleReplacing, "double-replacing"},
    }};
    std::string names;
    for (const auto& [flag, name] : kFlags)
        if (flags & flag) names += (names.empty() ? "" : " ") + std::string(name);
    return names;
}

const char* categoryName(VstIntPtr category) {
    switch (category) {
    case kPlugCategEffect:
        return "effect";
    case kPlugCategSynth:
        return "instrument";
    default:
        return "unknown";
    }
}

bool isIndex(const std::string& key) {
    return !key.empty() && key.size() < 6 && key.find_first_not_of("0123456789") == std::string::npos;
}

// Program first, then the overrides in the order given, as a user would turn the knobs after choosing.
int applySettings(PluginHost& host, const RenderOptions& options) {
    AEffect* effect = host.Effect();
    if (options.program >= 0) {
        if (options.program >= effect->numPrograms)
            return fail(kExitUsage, "--program " + std::to_string(options.program) + ": the plug-in has " +
                                        std::to_string(effect->numPrograms) + " programs (0.." +
                                        std::to_string(effect->numPrograms - 1) + ")");
    }
    std::string error;
    if (const int code = checked(InstrumentFiles::load(host, options, &error), error)) return code;
    for (const RenderOptions::ParamOverride& param : options.params) {
        const int index = isIndex(param.key) ? std::atoi(param.key.c_str()) : host.FindParameter(param.key);
        if (index < 0 || index >= effect->numParams)
            return fail(kExitUsage, isIndex(param.key) ? "--param: index " + param.key + " is outside 0.." +
                                                             std::to_string(effect->numParams - 1)
                                                       : "--param: the plug-in has no parameter named \"" +
                                                             param.key + "\"");
        effect->setParameter(effect, index, static_cast<float>(param.value));
    }
    return 0;
}

void printProgramNames(const PluginHost& host) {
    for (int i = 0; i < host.Effect()->numPrograms; ++i) {
        char name[256] = "";
        host.Dispatch(effGetProgramNameIndexed, i, 0, name);
        name[sizeof name - 1] = '\0';
        std::printf("  %3d  %s\n", i, name);
    }
}

// What a host sees of the plug-in, after the program and parameter overrides a render would apply.
int printInfo(const std::string& pluginPath, const RenderOptions& options) {
    PluginHost host;
    if (!host.Load(pluginPath)) return fail(kExitPlugin, host.Error());
    host.Dispatch(effOpen);
    if (const int code = applySettings(host, options)) return code;
    const AEffect* effect = host.Effect();
    const VstIntPtr version = host.Dispatch(effGetVendorVersion);

    std::printf("Plug-in:     %s\n", pluginPath.c_str());
    std::printf("Name:        %s\n", host.DispatchText(effGetEffectName).c_str());
    std::printf("Vendor:      %s\n", host.DispatchText(effGetVendorString).c_str());
    std::printf("Product:     %s\n", host.DispatchText(effGetProductString).c_str());
    std::printf("Version:     %d.%d.%d (%ld)\n", static_cast<int>(version / 10000),
                static_cast<int>(version / 100 % 100), static_cast<int>(version % 100),
                static_cast<long>(version));
    std::printf("Unique id:   %s (0x%08X)\n", fourCC(effect->uniqueID).c_str(),
                static_cast<unsigned>(effect->uniqueID));
    std::printf("Flags:       0x%X (%s)\n", static_cast<unsigned>(effect->flags),
                flagNames(effect->flags).c_str());
    std::printf("Category:    %s\n", categoryName(host.Dispatch(effGetPlugCategory)));
    std::printf("VST version: %ld\n", static_cast<long>(host.Dispatch(effGetVstVersion)));
    std::printf("Inputs:      %d\n", effect->numInputs);
    std::printf("Outputs:     %d\n", effect->numOutputs);
    std::printf("Latency:     %d samples\n", effect->initialDelay);
    std::printf("Programs:    %d\n", effect->numPrograms);

    constexpr std::array<const char*, 8> kCanDos{
        "receiveVstTimeInfo",  "sendVstEvents",       "sendVstMidiEvent",      "receiveVstEvents",
        "receiveVstMidiEvent", "hasCockosExtensions", "hasCockosViewAsConfig", "offline",
    };
    std::printf("Can do:     ");
    for (const char* canDo : kCanDos) {
        const VstIntPtr answer = host.Dispatch(effCanDo, 0, 0, const_cast<char*>(canDo));
        if (answer > 0) std::printf(" %s", canDo);
    }
    std::printf("\n");

    std::printf("Program names:\n");
    printProgramNames(host);
    std::printf("Parameters:  %d\n", effect->numParams);
    for (int i = 0; i < effect->numParams; ++i) {
        const std::string name = host.DispatchText(effGetParamName, i);
        const std::string display = host.DispatchText(effGetParamDisplay, i);
        const std::string label = host.DispatchText(effGetParamLabel, i);
        std::printf("  %3d  %-24s %s%s%s\n", i, name.empty() ? "(unnamed)" : name.c_str(), display.c_str(),
                    label.empty() ? "" : " ", label.c_str());
    }
    host.Close();
    return 0;
}

// --list-programs, or saving program and bank files without rendering a song.
int runWithoutSong(const std::string& pluginPath, const RenderOptions& options, bool list) {
    PluginHost host;
    if (!host.Load(pluginPath)) return fail(kExitPlugin, host.Error());
    host.Dispatch(effOpen);
    if (const int code = applySettings(host, options)) return code;
    if (list) printProgramNames(host);
    std::string error;
    if (const int code = checked(InstrumentFiles::save(host, options, &error), error)) return code;
    host.Close();
    return 0;
}

const char* formatName(RenderOptions::Format format) {
    switch (format) {
    case RenderOptions::Format::s16:
        return "16-bit";
    case RenderOptions::Format::s24:
        return "24-bit";
    case RenderOptions::Format::f32:
        return "32-bit float";
    }
    return "";
}

int renderSong(const RenderOptions& options, const std::string& pluginPath) {
    MidiFile song;
    std::string error;
    if (!song.read(options.songPath, &error)) return fail(kExitMidi, options.songPath + ": " + error);
    for (const std::string& warning : song.warnings())
        std::fprintf(stderr, "korvanta-render: warning: %s: %s\n", options.songPath.c_str(), warning.c_str());
    // A corrupt delta time can put the end of a small file days away; refuse before rendering for hours.
    const double length = song.tickToSeconds(song.lastTick());
    if (length > options.maxLengthSeconds) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "%s: the song lasts %.0f s (up to tick %lld), more than --max-length %.0f s; "
                      "its delta times may be corrupt",
                      options.songPath.c_str(), length, static_cast<long long>(song.lastTick()),
                      options.maxLengthSeconds);
        return fail(kExitMidi, text);
    }

    PluginHost host;
    if (!host.Load(pluginPath)) return fail(kExitPlugin, host.Error());
    if (host.Effect()->numOutputs < 1) return fail(kExitPlugin, pluginPath + " has no outputs");
    host.Start(options.sampleRate, options.blockSize);
    if (const int code = applySettings(host, options)) return code;
    if (const int code = checked(InstrumentFiles::save(host, options, &error), error)) return code;

    WavWriter writer;
    if (!writer.open(options.outputPath, static_cast<int>(options.sampleRate), options.format, &error))
        return fail(kExitOutput, error);
    Renderer renderer(host, song, options);
    Renderer::Summary summary;
    if (!renderer.render(writer, &summary, &error) || !writer.finish(&error)) return fail(kExitOutput, error);
    host.Close();

    if (!options.quiet) {
        const double seconds = static_cast<double>(summary.frames) / options.sampleRate;
        const double peakDb = summary.peak > 0.0 ? 20.0 * std::log10(summary.peak) : -999.0;
        std::fprintf(stderr,
                     "korvanta-render: wrote %s: %.2f s at %.0f Hz, %s, peak %.1f dBFS; rendered in %.2f s "
                     "(%.1fx real time)\n",
                     options.outputPath.c_str(), seconds, options.sampleRate, formatName(options.format),
                     peakDb, summary.wallSeconds, seconds / std::max(summary.wallSeconds, 1e-9));
        if (summary.peak > 1.0 && options.format != RenderOptions::Format::f32)
            std::fprintf(stderr, "korvanta-render: warning: the output clipped; lower it with --gain\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    const RenderOptions::Outcome outcome = options.parse(argc, argv, &error);
    if (outcome == RenderOptions::Outcome::help) {
        std::fputs(RenderOptions::usage().c_str(), stdout);
        return 0;
    }
    if (outcome == RenderOptions::Outcome::error) return fail(kExitUsage, error);
    const std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    if (!fileExists(pluginPath)) return fail(kExitPlugin, "plug-in not found: " + pluginPath);
    switch (outcome) {
    case RenderOptions::Outcome::info:
        return printInfo(pluginPath, options);
    case RenderOptions::Outcome::programs:
        return runWithoutSong(pluginPath, options, true);
    case RenderOptions::Outcome::save:
        return runWithoutSong(pluginPath, options, false);
    default:
        return renderSong(options, pluginPath);
    }
}
