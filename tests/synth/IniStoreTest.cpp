#include "synth/IniStore.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string get(const char* section, const char* key, const std::string& file, const char* fallback = "-") {
    char value[256];
    IniStore::instance().GetPrivateProfileString(section, key, fallback, value, sizeof value, file.c_str());
    return value;
}

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_ino;
}

IniStore& store() {
    return IniStore::instance();
}

// A file of the given text in dir, with nothing of it cached yet.
std::string freshFile(const ScratchFolder& dir, const std::string& text) {
    const std::string file = dir.file("a.ini");
    writeText(file, text);
    store().clearCache();
    return file;
}

// Every line of a file the store wrote is a section head, a key line or the blank after a section.
bool wellFormed(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && !(line.front() == '[' && line.back() == ']') &&
            line.find('=') == std::string::npos)
            return false;
    return text.empty() || text.ends_with("\n\n");
}

} // namespace

TEST(IniStore, ParsesSectionsKeysAndValuesByTheLineRules) {
    ScratchFolder dir;
    const std::string file =
        freshFile(dir, "orphan=1\n  [Startup Bank]  \r\n\tFile =  \"/my banks/a b.fxb\"  \n"
                       "File=  'quoted'  \n[Broken\nno equals sign\n=empty key\n[midi global]\n"
                       "MIDI Thru=TRUE\n[MIDI Global]\nIgnore Program Change=true\n");
    // A section met again starts over.
    EXPECT_EQ(std::vector<std::string>({get("STARTUP BANK", "file", file), get("Startup Bank", "File ", file),
                                        get("MIDI Global", "MIDI Thru", file),
                                        get("MIDI Global", "Ignore Program Change", file),
                                        get("Broken", "no equals sign", file), get("", "orphan", file)}),
              std::vector<std::string>({"quoted", "/my banks/a b.fxb", "-", "true", "-", "-"}));
}

TEST(IniStore, ValuesAndDefaultsAreCutToTheBufferAndTheLengthIsReturned) {
    ScratchFolder dir;
    const std::string file = freshFile(dir, "[S]\nk= abcdef \n");
    using Case = std::tuple<const char*, const char*, int, std::string>;
    for (const auto& [key, fallback, length, expected] :
         {Case{"k", "", 3, "abc"}, Case{"missing", nullptr, 0, ""}, Case{"missing", " 'd' ", 1, "d"}}) {
        char value[4] = "xyz";
        EXPECT_EQ(store().GetPrivateProfileString("S", key, fallback, value, sizeof value, file.c_str()),
                  length);
        EXPECT_EQ(value, expected) << key;
    }
}

TEST(IniStore, RewritesSortedAsTextWithoutWhatItDidNotParse) {
    ScratchFolder dir;
    const std::string file = freshFile(dir, "; comment\n[b]\nx=1\n\n[A]\ny=2\n");
    for (const char* key : {"CC7", "CC20", "CC10", "cc2"})
        EXPECT_TRUE(store().WritePrivateProfileString("MIDI Control", key, "5", file.c_str()));
    EXPECT_EQ(readText(file), "[A]\ny=2\n\n[b]\nx=1\n\n[MIDI Control]\nCC10=5\ncc2=5\nCC20=5\nCC7=5\n\n");
}

TEST(IniStore, AnUnchangedValueDoesNotRewrite) {
    ScratchFolder dir;
    const std::string file = dir.file("a.ini");
    store().clearCache();
    ASSERT_TRUE(store().WritePrivateProfileString("MIDI Global", "MIDI Thru", "true", file.c_str()));
    const ino_t written = inodeOf(file);
    EXPECT_FALSE(store().WritePrivateProfileString("MIDI Global", "MIDI Thru", "true", file.c_str()) ||
                 inodeOf(file) != written);
    EXPECT_TRUE(store().WritePrivateProfileString("MIDI Global", "MIDI Thru", "TRUE", file.c_str()));
    EXPECT_NE(inodeOf(file), written);
}

TEST(IniStore, DeletesKeysAndSectionsAndReplacesSections) {
    ScratchFolder dir;
    const std::string file = freshFile(dir, "[A]\na=1\nb=2\n[B]\nc=3\n");
    EXPECT_TRUE(store().WritePrivateProfileString("A", "a", nullptr, file.c_str()));
    EXPECT_TRUE(store().WritePrivateProfileString("B", nullptr, nullptr, file.c_str()));
    EXPECT_FALSE(store().WritePrivateProfileString(nullptr, "a", "1", file.c_str()));
    EXPECT_FALSE(store().WritePrivateProfileString("A", "", "1", file.c_str()));
    EXPECT_EQ(readText(file), "[A]\nb=2\n\n");
    EXPECT_TRUE(store().WritePrivateProfileSection("A", "x=1\0y=2\0\0", file.c_str()));
    EXPECT_EQ(readText(file), "[A]\nx=1\ny=2\n\n");
    EXPECT_TRUE(store().WritePrivateProfileSection("A", "\0", file.c_str()));
    EXPECT_EQ(readText(file), "[A]\n\n");
    EXPECT_FALSE(store().WritePrivateProfileSection("C", "\0", file.c_str()));
    EXPECT_FALSE(store().WritePrivateProfileSection("C", "x=1\0\0", nullptr));
    EXPECT_EQ(readText(file), "[A]\n\n");
}

TEST(IniStore, AFileChangedOnDiskIsReadAgain) {
    ScratchFolder dir;
    const std::string file = freshFile(dir, "[S]\nk=1\n");
    EXPECT_EQ(get("S", "k", file), "1");
    writeText(file, "[S]\nk=22\n");
    EXPECT_EQ(get("S", "k", file), "22");
    std::remove(file.c_str());
    EXPECT_EQ(get("S", "k", file), "-");
}

TEST(IniStore, MoreFilesThanTheCacheHoldsAllStayCorrect) {
    ScratchFolder dir;
    store().clearCache();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < IniStore::kCacheSize + 8; ++i) {
            const std::string file = dir.file(("f" + std::to_string(i) + ".ini").c_str());
            if (round == 0)
                store().WritePrivateProfileString("S", "k", std::to_string(i).c_str(), file.c_str());
            else
                EXPECT_EQ(get("S", "k", file), std::to_string(i));
        }
    }
}

TEST(IniStore, AMissingFolderGivesDefaultsAndWritesNothing) {
    store().clearCache();
    const std::string file = "/tmp/korvanta-no-such-folder/deeper/a.ini";
    EXPECT_FALSE(store().WritePrivateProfileString("S", "k", "v", file.c_str()));
    // The change stays in the cache for the rest of the process.
    EXPECT_EQ(get("S", "k", file), "v");
    struct stat info {};
    EXPECT_NE(stat("/tmp/korvanta-no-such-folder", &info), 0);
}

TEST(IniStore, ThreadsOfOneProcessNeverLoseEachOthersKeys) {
    ScratchFolder dir;
    const std::string file = dir.file("a.ini");
    store().clearCache();
    auto writer = [&file](const char* section) {
        for (int i = 0; i < 100; ++i)
            store().WritePrivateProfileString(section, ("CC" + std::to_string(i)).c_str(), "1", file.c_str());
    };
    std::thread a(writer, "A"), b(writer, "B");
    a.join();
    b.join();
    store().clearCache();
    EXPECT_EQ(get("A", "CC99", file) + get("B", "CC99", file), "11");
    EXPECT_TRUE(wellFormed(readText(file)));
}

TEST(IniStore, TwoProcessesWritingAtOnceLeaveAWholeFile) {
    ScratchFolder dir;
    const std::string file = dir.file("a.ini");
    store().clearCache();
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        if (children[c] == 0) {
            for (int i = 0; i < 200; ++i)
                store().WritePrivateProfileString(c ? "B" : "A", ("k" + std::to_string(i)).c_str(),
                                                  std::string(50 + i, 'v').c_str(), file.c_str());
            _exit(0);
        }
    }
    // A reader meanwhile never sees a partial file.
    int status = 0;
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(wellFormed(readText(file)));
    for (const pid_t child : children) waitpid(child, &status, 0);
    const std::string text = readText(file);
    EXPECT_TRUE(wellFormed(text));
    EXPECT_NE(text.find("k199=" + std::string(249, 'v') + "\n"), std::string::npos);
}
