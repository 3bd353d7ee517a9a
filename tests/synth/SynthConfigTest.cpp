#include "synth/IniStore.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

// Each test gets a home of its own.
class SynthConfig : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvanta-home-XXXXXX";
        home = mkdtemp(pattern);
        const char* old = std::getenv("HOME");
        savedHome = old ? old : "";
        hadHome = old != nullptr;
        setenv("HOME", home.c_str(), 1);
        IniStore::instance().clearCache();
    }
    void TearDown() override {
        if (hadHome)
            setenv("HOME", savedHome.c_str(), 1);
        else
            unsetenv("HOME");
        std::system(("rm -rf '" + home + "'").c_str());
    }

    static std::unique_ptr<Synth> makeSynth() { return std::make_unique<Synth>(IPlugInstanceInfo{}); }
    std::string iniPath() const { return home + "/Music/MarrowLaneAudio/korvanta.ini"; }
    static void writeText(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string readText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void makeFolder(const std::string& relative) const {
        std::system(("mkdir -p '" + home + "/" + relative + "'").c_str());
    }

    std::string home;
    std::string savedHome;
    bool hadHome = false;
};

} // namespace

TEST_F(SynthConfig, FirstRunCreatesTheFolderAndAnEmptyFileAndKeepsTheDefaults) {
    auto synth = makeSynth();
    struct stat info {};
    ASSERT_EQ(stat((home + "/Music/MarrowLaneAudio").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & (S_IFMT | 0777), S_IFDIR | 0774u);
    ASSERT_EQ(stat(iniPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(std::tie(synth->iniFile, synth->homePath, synth->programPath, synth->startupFxb,
                       synth->midiThru, synth->ignoreProgramChange),
              std::tuple(iniPath(), home, home, "", false, false));
    for (const int entry : synth->midiCC) EXPECT_EQ(entry, -1);
}

TEST_F(SynthConfig, AnOlderFileIsCopiedToTheNewPlaceAndRead) {
    makeFolder("Library/Application Support/MarrowLaneAudio");
    const std::string older = home + "/Library/Application Support/MarrowLaneAudio/korvanta.ini";
    const std::string content = "[MIDI Global]\nMIDI Thru=TRUE\n[MIDI Control]\nCC20=12\n";
    writeText(older, content);
    auto synth = makeSynth();
    EXPECT_EQ(std::tuple(readText(iniPath()), synth->midiThru, synth->midiCC[20]),
              std::tuple(content, true, 12));
}

TEST_F(SynthConfig, AnOlderFileThatCannotBeReadIsCopiedOnALaterStart) {
    const std::string older = home + "/Library/Application Support/MarrowLaneAudio/korvanta.ini";
    makeFolder("Library/Application Support/MarrowLaneAudio/korvanta.ini"); // a folder: reading fails
    auto first = makeSynth();
    struct stat info {};
    EXPECT_NE(stat(iniPath().c_str(), &info), 0);
    EXPECT_FALSE(first->midiThru);

    std::system(("rmdir '" + older + "'").c_str());
    writeText(older, "[MIDI Global]\nMIDI Thru=TRUE\n");
    IniStore::instance().clearCache();
    auto second = makeSynth();
    EXPECT_EQ(std::tuple(readText(iniPath()), second->midiThru),
              std::tuple("[MIDI Global]\nMIDI Thru=TRUE\n", true));
}

TEST_F(SynthConfig, KeysAreReadByTheirRules) {
    makeFolder("Music/MarrowLaneAudio");
    const std::string longPath =
        "/a/program/folder/whose/path/is/clearly/longer/than/sixty-three/characters/x";
    writeText(iniPath(), "[startup bank]\nFile =x\nfile=  \" /banks/My Bank.fxb \"  \n"
                         "[Global]\nPath to Program Files=" +
                             longPath +
                             "\nVersionCheckURL=http://127.0.0.1:8080\nWebsiteURL= https://x.example \n"
                             "[MIDI Global]\nMIDI Thru=yes\nIgnore Program Change=True\n"
                             "[MIDI Control]\nCC0=0\nCC1=007\nCC2=abc\nCC3=12x\nCC4=200\nCC5=-4\nCC6=\n");
    auto synth = makeSynth();
    EXPECT_EQ(std::tie(synth->startupFxb, synth->programPath, synth->versionCheck.serverUrl,
                       synth->versionCheck.websiteUrl, synth->midiThru, synth->ignoreProgramChange),
              std::tuple(" /banks/My Bank.fxb ", longPath, "http://127.0.0.1:8080", "https://x.example",
                         false, true));
    EXPECT_EQ(std::vector<int>(synth->midiCC.begin(), synth->midiCC.begin() + 8),
              std::vector<int>({0, 7, -1, 12, 200, -4, -1, -1}));
}

TEST_F(SynthConfig, SavingEverythingWritesTheMapSortedAsText) {
    auto synth = makeSynth();
    std::tie(synth->midiCC[7], synth->midiCC[20], synth->midiThru) = std::tuple(3, 12, true);
    synth->saveConfig(Synth::kSaveAll);
    EXPECT_EQ(readText(iniPath()), "[MIDI Control]\nCC20=12\nCC7=3\n\n"
                                   "[MIDI Global]\nIgnore Program Change=false\nMIDI Thru=true\n\n"
                                   "[Startup Bank]\nFile=\n\n");
    auto second = makeSynth();
    EXPECT_EQ(std::tie(second->midiCC[7], second->midiCC[20], second->midiThru), std::tuple(3, 12, true));
}

TEST_F(SynthConfig, StartupBankAndProgramPathAreStoredAndUnset) {
    auto synth = makeSynth();
    EXPECT_EQ(synth->setStartupFxb("/banks/a.fxb"), 0);
    const std::string folder = "/music/programs";
    synth->storeProgramPath(&folder);
    const auto reread = makeSynth();
    EXPECT_EQ(std::tie(reread->startupFxb, reread->programPath), std::tuple("/banks/a.fxb", folder));
    synth->unsetStartupFxb();
    EXPECT_EQ(synth->startupFxb, "");
    EXPECT_EQ(readText(iniPath()), "[Global]\nPath to Program Files=/music/programs\n\n[Startup Bank]\n\n");
}
