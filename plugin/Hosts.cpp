#include "plugin/Hosts.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// Order matters: the first key found decides, so "cubase" wins over "nuendo" in a string holding both.
constexpr std::array<std::pair<const char*, EHost>, 26> kHostKeys{{
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostAbletonLive},
    {"melodyne", kHostMelodyneStudio},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
}};

// Indexed by host id 0..30; an empty entry shows as "Unknown".
constexpr std::array<const char*, 31> kHostNames{
    "",           "Reaper",     "ProTools",   "Cubase",
    "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
    "Samplitude", "Live",       "",           "",
    "",           "VSTScanner", "AULab",      "Forte",
    "Chainer",    "Audition",   "Orion",      "",
    "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
    "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
    "Ardour",     "Renoise",    "OpenMPT",
};

} // namespace

EHost LookUpHost(const char* productString) {
    if (!productString) return kHostUnknown;
    std::string lower(productString);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [key, host] : kHostKeys)
        if (lower.find(key) != std::string::npos) return host;
    return kHostUnknown;
}

void GetHostNameStr(EHost host, char* text, int textSize) {
    if (!text || textSize <= 0) return;
    const bool known = host >= 1 && host < static_cast<int>(kHostNames.size()) && kHostNames[host][0];
    std::snprintf(text, static_cast<size_t>(textSize), "%s", known ? kHostNames[host] : "Unknown");
}
