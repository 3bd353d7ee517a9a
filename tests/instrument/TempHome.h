#pragma once

#include "synth/IniStore.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

// A home folder of the test's own for the instrument's configuration file, removed afterwards.
class TempHome {
public:
    TempHome() {
        char pattern[] = "/tmp/korvanta-home-XXXXXX";
        path = mkdtemp(pattern);
        const char* old = std::getenv("HOME");
        hadHome = old != nullptr;
        savedHome = old ? old : "";
        setenv("HOME", path.c_str(), 1);
        IniStore::instance().clearCache();
    }
    ~TempHome() {
        if (hadHome)
            setenv("HOME", savedHome.c_str(), 1);
        else
            unsetenv("HOME");
        std::system(("rm -rf '" + path + "'").c_str());
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string iniFile() const { return path + "/Music/MarrowLaneAudio/korvanta.ini"; }

    std::string path;

private:
    std::string savedHome;
    bool hadHome = false;
};
