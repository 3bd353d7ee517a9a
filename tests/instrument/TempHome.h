#pragma once

#include "synth/IniStore.h"
#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <string>

// A home folder of the test's own for the instrument's configuration file, removed afterwards.
class TempHome : public ScratchFolder {
public:
    TempHome() {
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
    }

    std::string iniFile() const { return path + "/Music/MarrowLaneAudio/korvanta.ini"; }

private:
    std::string savedHome;
    bool hadHome = false;
};
