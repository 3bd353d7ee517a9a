// The user's configuration file: where it lives, what it holds, when it is read and written.

#include "synth/IniStore.h"
#include "synth/Synth.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char kVendorFolder[] = "MarrowLaneAudio";
constexpr char kIniName[] = "/korvanta.ini";
constexpr char kInitBank[] = "Korvanta.vst/Contents/Resources/init.fxb";
constexpr int kPathSize = 1024;
constexpr mode_t kFolderMode = 0774;
constexpr mode_t kFileMode = 0666;

constexpr char kStartupSection[] = "Startup Bank";
constexpr char kStartupKey[] = "File";
constexpr char kGlobalSection[] = "Global";
constexpr char kProgramPathKey[] = "Path to Program Files";
constexpr char kVersionCheckUrlKey[] = "VersionCheckURL";
constexpr char kWebsiteUrlKey[] = "WebsiteURL";
constexpr char kMidiSection[] = "MIDI Global";
constexpr char kMidiThruKey[] = "MIDI Thru";
constexpr char kIgnoreProgramChangeKey[] = "Ignore Program Change";
constexpr char kControlSection[] = "MIDI Control";

std::string formatted(const char* format, const std::string& home) {
    char path[kPathSize];
    std::snprintf(path, sizeof path, format, home.c_str(), kVendorFolder);
    return path;
}

// The mode is set explicitly rather than by clearing the process's creation mask, which other
// threads share.
bool makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), kFolderMode) != 0) return errno == EEXIST;
    ::chmod(path.c_str(), kFolderMode);
    return true;
}

bool copyInto(int fd, const std::string& from) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    char block[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (::write(fd, block, static_cast<size_t>(n)) != n) {
            ok = false;
            break;
        }
    }
    ::close(in);
    return ok;
}

const char* onOff(bool on) {
    return on ? "true" : "false";
}

IniStore& store() {
    return IniStore::instance();
}

} // namespace

bool Synth::fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::string Synth::getInitBankPath() const {
    return pluginPath + kInitBank;
}

void Synth::setupConfig() {
    const char* home = std::getenv("HOME");
    homePath = home ? home : "";
    programPath = homePath;
    // Without a home there is no place of the user's own; nothing is created anywhere else.
    if (homePath.empty()) return;
    const std::string folder = formatted("%s/Music/%s", homePath);
    iniFile = folder + kIniName;
    if (!fileExists(folder)) {
        makeFolder(homePath + "/Music");
        makeFolder(folder);
    }
    if (fileExists(iniFile)) {
        loadConfig();
        return;
    }
    const int fd = ::open(iniFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
    if (fd < 0) return;
    ::fchmod(fd, kFileMode);
    const std::string older = formatted("%s/Library/Application Support/%s", homePath) + kIniName;
    const bool copied = !fileExists(older) || copyInto(fd, older);
    ::close(fd);
    // An empty or cut copy would hide the older settings for good; without it, the next start tries again.
    if (!copied) ::unlink(iniFile.c_str());
    loadConfig();
}

int Synth::loadConfig() {
    char value[kPathSize];
    const char* file = iniFile.c_str();
    startupFxb.clear();
    if (store().GetPrivateProfileString(kStartupSection, kStartupKey, "", value, sizeof value, file) > 0)
        startupFxb = value;
    if (store().GetPrivateProfileString(kGlobalSection, kProgramPathKey, "", value, sizeof value, file) > 0)
        programPath = value;
    // The update server and the maker's web page are the user's to name; there is no built-in one.
    store().GetPrivateProfileString(kGlobalSection, kVersionCheckUrlKey, "", value, sizeof value, file);
    versionCheck.serverUrl = value;
    store().GetPrivateProfileString(kGlobalSection, kWebsiteUrlKey, "", value, sizeof value, file);
    versionCheck.websiteUrl = value;
    store().GetPrivateProfileString(kMidiSection, kMidiThruKey, onOff(midiThru), value, sizeof value, file);
    midiThru = strcasecmp(value, "true") == 0;
    store().GetPrivateProfileString(kMidiSection, kIgnoreProgramChangeKey, onOff(ignoreProgramChange), value,
                                    sizeof value, file);
    ignoreProgramChange = strcasecmp(value, "true") == 0;
    for (int n = 0; n < kNumLearnableCCs; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "CC%i", n);
        store().GetPrivateProfileString(kControlSection, key, "-1", value, sizeof value, file);
        const int number = std::atoi(value);
        midiCC[n] = number != 0 || value[0] == '0' ? number : -1;
    }
    return fileExists(iniFile) ? kConfigDone : kConfigMissing;
}

void Synth::saveConfig(int which) {
    const char* file = iniFile.c_str();
    saveStartupFxb();
    if (which == kSaveAll || which == kSaveMidiThru)
        store().WritePrivateProfileString(kMidiSection, kMidiThruKey, onOff(midiThru), file);
    if (which == kSaveAll || which == kSaveIgnoreProgramChange)
        store().WritePrivateProfileString(kMidiSection, kIgnoreProgramChangeKey, onOff(ignoreProgramChange),
                                          file);
    if (which != kSaveAll) return;
    std::string entries;
    for (int n = 0; n < kNumLearnableCCs; ++n) {
        if (midiCC[n] == -1) continue;
        char entry[48];
        std::snprintf(entry, sizeof entry, "CC%i=%i", n, midiCC[n]);
        entries.append(entry);
        entries.push_back('\0');
    }
    entries.push_back('\0');
    store().WritePrivateProfileSection(kControlSection, entries.c_str(), file);
}

void Synth::storeProgramPath(const std::string* path) {
    if (path) programPath = *path;
    store().WritePrivateProfileString(kGlobalSection, kProgramPathKey, programPath.c_str(), iniFile.c_str());
}

int Synth::setStartupFxb(const char* path) {
    startupFxb = path ? path : "";
    saveStartupFxb();
    return kConfigDone;
}

void Synth::saveStartupFxb() {
    store().WritePrivateProfileSection(kStartupSection, "\0", iniFile.c_str());
    store().WritePrivateProfileString(kStartupSection, kStartupKey, startupFxb.c_str(), iniFile.c_str());
}

void Synth::unsetStartupFxb() {
    startupFxb.clear();
    store().WritePrivateProfileSection(kStartupSection, "\0", iniFile.c_str());
}
