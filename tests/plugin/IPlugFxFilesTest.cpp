#include "plugin/WholeFile.h"
#include "tests/plugin/IPlugTestPlugs.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

using Bytes = std::vector<unsigned char>;

class FxPlug : public TestPlug {
public:
    explicit FxPlug(bool chunks = true) : TestPlug("0-2", 4, 3) {
        stateChunks = chunks;
        GetParam(0)->InitDouble("Cutoff", 25.0, 0.0, 100.0, 0.01, "Hz");
        GetParam(1)->InitInt("Voices", 5, 0, 10);
        GetParam(2)->InitBool("Sync", false);
        GetParam(3)->InitEnum("Mode", 1, 3);
        EnsureDefaultPreset();
    }
    void set(double cutoff, int voices) {
        GetParam(0)->Set(cutoff);
        GetParam(1)->Set(voices);
        ModifyCurrentPreset();
    }
    Bytes bank() {
        ByteChunk chunk;
        SerializePresets(&chunk);
        return Bytes(chunk.GetData(), chunk.GetData() + chunk.Size());
    }
    void setCurrent(int idx) { currentPresetIdx = idx; }
};

uint32_t be(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

std::string text(const Bytes& b, size_t at, size_t n) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

void putBE(Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

} // namespace

TEST(IPlugFxFiles, OpaqueProgramFileHasTheHeaderFieldsBigEndianAndTheChunkAt60) {
    FxPlug plug;
    plug.ModifyCurrentPreset("Warm Pad");
    Bytes file;
    ASSERT_TRUE(plug.MakeFXP(&file));
    // Version header 8 + four doubles.
    const uint32_t chunkSize = 8 + 4 * 8;
    ASSERT_EQ(file.size(), 60 + chunkSize);
    EXPECT_EQ(text(file, 0, 4), "CcnK");
    EXPECT_EQ(be(file, 4), 60 + chunkSize);
    EXPECT_EQ(text(file, 8, 4), "FPCh");
    EXPECT_EQ(be(file, 12), 1u);
    EXPECT_EQ(text(file, 16, 4), "korv");
    EXPECT_EQ(be(file, 20), 10105u);
    EXPECT_EQ(be(file, 24), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[28])), "Warm Pad");
    EXPECT_EQ(file[55], 0);
    EXPECT_EQ(be(file, 56), chunkSize);
    EXPECT_EQ(Bytes(file.begin() + 60, file.begin() + 68), (Bytes{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));
}

TEST(IPlugFxFiles, OpaqueBankFileCountsA160ByteHeaderAndHoldsTheCurrentIndex) {
    FxPlug plug;
    plug.setCurrent(2);
    Bytes file;
    ASSERT_TRUE(plug.MakeFXB(&file));
    const uint32_t n = 8 + static_cast<uint32_t>(plug.bank().size());
    ASSERT_EQ(file.size(), 160 + n);
    EXPECT_EQ(text(file, 0, 4), "CcnK");
    EXPECT_EQ(be(file, 4), n + 160);
    EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 12), (Bytes{0x46, 0x42, 0x43, 0x68}));
    EXPECT_EQ(be(file, 12), 2u);
    EXPECT_EQ(text(file, 16, 4), "korv");
    EXPECT_EQ(be(file, 20), 10105u);
    EXPECT_EQ(be(file, 24), 3u);
    EXPECT_EQ(be(file, 28), 2u);
    EXPECT_EQ(Bytes(file.begin() + 32, file.begin() + 156), Bytes(124, 0));
    EXPECT_EQ(be(file, 156), n);
}

TEST(IPlugFxFiles, ParameterVariantsHoldNormalisedFloats) {
    FxPlug plug(false);
    plug.set(50.0, 10);
    Bytes program;
    ASSERT_TRUE(plug.MakeFXP(&program));
    ASSERT_EQ(program.size(), 56u + 4 * 4);
    EXPECT_EQ(be(program, 4), 0u);
    EXPECT_EQ(text(program, 8, 4), "FxCk");
    float first = 0.0f;
    const uint32_t bits = be(program, 56);
    std::memcpy(&first, &bits, 4);
    EXPECT_FLOAT_EQ(first, 0.5f);

    Bytes bank;
    ASSERT_TRUE(plug.MakeFXB(&bank));
    EXPECT_EQ(text(bank, 8, 4), "FxBk");
    EXPECT_EQ(be(bank, 4), 0u);
    ASSERT_EQ(bank.size(), 156u + 3 * (56 + 16));
    EXPECT_EQ(text(bank, 156, 4), "CcnK");
    EXPECT_EQ(text(bank, 156 + 8, 4), "FxCk");
    EXPECT_EQ(be(bank, 156 + 60), be(program, 60)); // program 0's voices, 1.0
}

TEST(IPlugFxFiles, ProgramFilesLoadWhatTheySaveInBothVariants) {
    for (const bool chunks : {true, false}) {
        ScratchFolder dir;
        const std::string path = dir.file("a.fxp");
        FxPlug plug(chunks);
        plug.set(80.0, 3);
        plug.ModifyCurrentPreset("Saved");
        ASSERT_TRUE(plug.SaveProgramAsFXP(path.c_str()));
        struct stat info {};
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u,
                  0666u & ~mask); // as any file a user saves

        FxPlug other(chunks);
        other.setCurrent(1);
        other.log.clear();
        ASSERT_TRUE(other.LoadProgramFromFXP(path.c_str()));
        EXPECT_NEAR(other.GetParam(0)->Value(), 80.0, 1e-4);
        EXPECT_EQ(other.GetParam(1)->Int(), 3);
        EXPECT_STREQ(other.GetPresetName(1), "Saved");
        EXPECT_STREQ(other.GetPresetName(0), "Empty");
        EXPECT_EQ(other.log.back(), "program change");
    }
}

TEST(IPlugFxFiles, BankFilesLoadWhatTheySaveInBothVariants) {
    for (const bool chunks : {true, false}) {
        ScratchFolder dir;
        const std::string path = dir.file("a.fxb");
        FxPlug plug(chunks);
        for (int i = 0; i < 3; ++i) {
            plug.setCurrent(i);
            plug.set(10.0 * (i + 1), i + 1);
            plug.ModifyCurrentPreset(("Program " + std::to_string(i)).c_str());
        }
        ASSERT_TRUE(plug.SaveBankAsFXB(path.c_str()));

        FxPlug other(chunks);
        ASSERT_TRUE(other.LoadBankFromFXB(path.c_str()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_STREQ(other.GetPresetName(i), ("Program " + std::to_string(i)).c_str());
            ASSERT_TRUE(other.RestorePreset(i));
            EXPECT_NEAR(other.GetParam(0)->Value(), 10.0 * (i + 1), 1e-4);
            EXPECT_EQ(other.GetParam(1)->Int(), i + 1);
        }
    }
}

TEST(IPlugFxFiles, OpaqueBankKeepsTheCurrentProgramIndex) {
    FxPlug plug;
    plug.setCurrent(2);
    Bytes file;
    ASSERT_TRUE(plug.MakeFXB(&file));
    FxPlug other;
    other.setCurrent(1);
    ASSERT_TRUE(other.ReadFXB(file));
    EXPECT_EQ(other.GetCurrentPresetIdx(), 1);
}

TEST(IPlugFxFiles, ParameterBankIgnoresRecordsBeyondTheProgramsAndToleratesMissingFloats) {
    FxPlug plug(false);
    plug.set(40.0, 4);
    Bytes file;
    ASSERT_TRUE(plug.MakeFXB(&file));
    const Bytes record(file.end() - 72, file.end());
    for (int extra = 0; extra < 2; ++extra) file.insert(file.end(), record.begin(), record.end());
    putBE(&file, 24, 5);
    FxPlug other(false);
    EXPECT_TRUE(other.ReadFXB(file));
    EXPECT_TRUE(other.RestorePreset(0));
    EXPECT_NEAR(other.GetParam(0)->Value(), 40.0, 1e-4);

    // Only the first two floats of the last record are present.
    Bytes cut(file.begin(), file.begin() + 156 + 2 * 72 + 56 + 8);
    putBE(&cut, 24, 3);
    FxPlug third(false);
    third.GetParam(3)->Set(2.0);
    EXPECT_TRUE(third.ReadFXB(cut));
}

TEST(IPlugFxFiles, WrongIdOrMagicChangesNothing) {
    FxPlug plug;
    plug.set(70.0, 7);
    Bytes program, bank;
    ASSERT_TRUE(plug.MakeFXP(&program));
    ASSERT_TRUE(plug.MakeFXB(&bank));
    for (const size_t field : {0, 8, 16}) {
        Bytes badProgram = program, badBank = bank;
        badProgram[field] ^= 0x20;
        badBank[field] ^= 0x20;
        FxPlug other;
        const Bytes before = other.bank();
        other.log.clear();
        EXPECT_FALSE(other.ReadFXP(badProgram)) << field;
        EXPECT_FALSE(other.ReadFXB(badBank)) << field;
        EXPECT_EQ(other.bank(), before);
        EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 25.0);
        EXPECT_TRUE(other.log.empty());
    }
}

TEST(IPlugFxFiles, FilesCutAtAnyLengthFailWithoutDamage) {
    FxPlug plug;
    plug.set(70.0, 7);
    Bytes program, bank;
    ASSERT_TRUE(plug.MakeFXP(&program));
    ASSERT_TRUE(plug.MakeFXB(&bank));
    FxPlug other;
    const Bytes before = other.bank();
    for (const Bytes* file : {&program, &bank}) {
        for (size_t n = 0; n < file->size(); ++n) {
            const Bytes cut(file->begin(), file->begin() + static_cast<long>(n));
            EXPECT_FALSE(file == &program ? other.ReadFXP(cut) : other.ReadFXB(cut)) << n;
            ASSERT_EQ(other.bank(), before) << n;
            EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 25.0);
        }
    }
}

TEST(IPlugFxFiles, AbsurdCountsInAParameterBankReadOnlyWhatIsThere) {
    FxPlug plug(false);
    Bytes file;
    ASSERT_TRUE(plug.MakeFXB(&file));
    for (const uint32_t count : {0xFFFFFFFFu, 0x7FFFFFFFu, 64u}) {
        putBE(&file, 24, count);
        FxPlug other(false);
        EXPECT_TRUE(other.ReadFXB(file));
    }
    putBE(&file, 24, 3);
    putBE(&file, 156 + 24, 0xFFFFFFFFu); // parameter count of the first record
    FxPlug other(false);
    EXPECT_FALSE(other.ReadFXB(file));
}

TEST(IPlugFxFiles, EmptyOrUnreachableNamesFail) {
    FxPlug plug;
    EXPECT_FALSE(plug.SaveProgramAsFXP(""));
    EXPECT_FALSE(plug.SaveBankAsFXB(nullptr));
    EXPECT_FALSE(plug.LoadProgramFromFXP(""));
    EXPECT_FALSE(plug.LoadBankFromFXB("/no/such/folder/bank.fxb"));
    EXPECT_FALSE(plug.SaveBankAsFXB("/no/such/folder/bank.fxb"));
    ScratchFolder dir;
    EXPECT_FALSE(plug.LoadBankFromFXB(dir.path.c_str())); // a folder is not a file
}

TEST(IPlugFxFiles, AWriteThatFailsHalfWayLeavesTheOldFileAndNoLeftovers) {
    ScratchFolder dir;
    const std::string path = dir.file("keep.fxb");
    FxPlug plug;
    ASSERT_TRUE(plug.SaveBankAsFXB(path.c_str()));
    Bytes old;
    ASSERT_TRUE(WholeFile::read(path.c_str(), &old));

    plug.set(99.0, 9);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit small = limit;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = plug.SaveBankAsFXB(path.c_str());
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    Bytes now;
    ASSERT_TRUE(WholeFile::read(path.c_str(), &now));
    EXPECT_EQ(now, old);
    EXPECT_EQ(dir.entries(), 1);
}
