// korvanta-render: drives the Korvanta plug-in through its VST 2.4 entry point, as a host would.

#include "PluginHost.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr const char* kUsage =
    "Usage: korvanta-render [--plugin PATH] --info\n"
    "\n"
    "  --info         load the plug-in and print what it reports to a host\n"
    "  --plugin PATH  the plug-in module (Korvanta.so) to load; default: the one built with this tool,\n"
    "                 else ~/.vst/Korvanta.vst/Contents/x86_64-linux/Korvanta.so\n"
    "  --help         show this text\n";

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

int printInfo(const std::string& pluginPath) {
    PluginHost host;
    if (!host.Load(pluginPath)) {
        std::fprintf(stderr, "korvanta-render: %s\n", host.Error().c_str());
        return 1;
    }
    host.Dispatch(effOpen);
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

} // namespace

int main(int argc, char** argv) {
    std::string pluginPath;
    bool info = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--info") {
            info = true;
        } else if (arg == "--plugin") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "korvanta-render: --plugin needs a path\n%s", kUsage);
                return 2;
            }
            pluginPath = argv[++i];
        } else {
            std::fprintf(stderr, "korvanta-render: unknown option '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (!info) {
        std::fprintf(stderr, "korvanta-render: nothing to do\n%s", kUsage);
        return 2;
    }
    if (pluginPath.empty()) pluginPath = defaultPluginPath();
    if (!fileExists(pluginPath)) {
        std::fprintf(stderr, "korvanta-render: plug-in not found: %s\n", pluginPath.c_str());
        return 1;
    }
    return printInfo(pluginPath);
}
