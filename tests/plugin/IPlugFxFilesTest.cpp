#include "plugin/WholeFile.h"
#include "tests/plugin/IPlugTestPlugs.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <bit>
#include <csignal>
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
    void set(double cutoff, int voices, const char* name = nullptr) {
        GetParam(0)->Set(cutoff);
        GetParam(1)->Set(voices);
        ModifyCurrentPreset(name);
    }
    Bytes bank() {
        ByteChunk chunk;
        SerializePresets(&chunk);
        return Bytes(chunk.GetData(), chunk.GetData() + chunk.Size());
    }
    Bytes fxp() { return made(&IPlugBase::MakeFXP); }
    Bytes fxb() { return made(&IPlugBase::MakeFXB); }
    Bytes made(bool (IPlugBase::*make)(Bytes*)) {
        Bytes file;
        EXPECT_TRUE((this->*make)(&file));
        return file;
    }
    void setCurrent(int idx) { currentPresetIdx = idx; }
};

uint32_t be(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

std::string text(const Bytes& b, size_t at, size_t n = 4) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

} // namespace

TEST(IPlugFxFiles, OpaqueFilesHaveTheHeaderFieldsBigEndianAndTheChunkAt60Or160) {
    FxPlug plug;
    plug.ModifyCurrentPreset("Warm Pad");
    const Bytes program = plug.fxp();
    const uint32_t chunkSize = 8 + 4 * 8; // version header and four doubles
    ASSERT_EQ(program.size(), 60 + chunkSize);
    EXPECT_EQ(text(program, 0) + text(program, 8) + text(program, 16), "CcnKFPChkorv");
    for (const auto& [at, value] :
         {std::pair{4, 60 + chunkSize}, {12, 1u}, {20, 10105u}, {24, 4u}, {56, chunkSize}})
        EXPECT_EQ(be(program, at), value) << at;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&program[28])), "Warm Pad");
    EXPECT_EQ(program[55], 0);
    EXPECT_EQ(Bytes(program.begin() + 60, program.begin() + 68), (Bytes{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));

    plug.setCurrent(2);
    const Bytes bank = plug.fxb();
    const uint32_t n = 8 + static_cast<uint32_t>(plug.bank().size());
    ASSERT_EQ(bank.size(), 160 + n);
    EXPECT_EQ(text(bank, 0) + text(bank, 8) + text(bank, 16), "CcnKFBChkorv");
    for (const auto& [at, value] :
         {std::pair{4, n + 160}, {12, 2u}, {20, 10105u}, {24, 3u}, {28, 2u}, {156, n}})
        EXPECT_EQ(be(bank, at), value) << at;
    EXPECT_EQ(Bytes(bank.begin() + 32, bank.begin() + 156), Bytes(124, 0));

    FxPlug other;
    other.setCurrent(1);
    ASSERT_TRUE(other.ReadFXB(bank));
    EXPECT_EQ(other.GetCurrentPresetIdx(), 1);
}

TEST(IPlugFxFiles, ParameterVariantsHoldNormalisedFloats) {
    FxPlug plug(false);
    plug.set(50.0, 10);
    const Bytes program = plug.fxp();
    ASSERT_EQ(program.size(), 56u + 4 * 4);
    EXPECT_EQ(be(program, 4), 0u);
    EXPECT_EQ(text(program, 8), "FxCk");
    EXPECT_EQ(be(program, 56), std::bit_cast<uint32_t>(0.5f));

    const Bytes bank = plug.fxb();
    EXPECT_EQ(text(bank, 8), "FxBk");
    EXPECT_EQ(be(bank, 4), 0u);
    ASSERT_EQ(bank.size(), 156u + 3 * (56 + 16));
    EXPECT_EQ(text(bank, 156) + text(bank, 164), "CcnKFxCk");
    EXPECT_EQ(be(bank, 156 + 60), be(program, 60)); // program 0's voices, 1.0
}

TEST(IPlugFxFiles, FilesLoadWhatTheySaveInBothVariants) {
    for (const bool chunks : {true, false}) {
        ScratchFolder dir;
        const std::string fxp = dir.file("a.fxp"), fxb = dir.file("a.fxb");
        FxPlug plug(chunks);
        for (int i = 0; i < 3; ++i) {
            plug.setCurrent(i);
            plug.set(10.0 * (i + 1), i + 1, ("Program " + std::to_string(i)).c_str());
        }
        ASSERT_TRUE(plug.SaveProgramAsFXP(fxp.c_str()));
        ASSERT_TRUE(plug.SaveBankAsFXB(fxb.c_str()));
        struct stat info {};
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(stat(fxp.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u,
                  0666u & ~mask); // as any user file

        FxPlug program(chunks);
        program.setCurrent(1);
        ASSERT_TRUE(program.LoadProgramFromFXP(fxp.c_str()));
        EXPECT_NEAR(program.GetParam(0)->Value(), 30.0, 1e-4);
        EXPECT_EQ(program.GetParam(1)->Int(), 3);
        EXPECT_EQ(std::string(program.GetPresetName(0)) + "|" + program.GetPresetName(1), "Empty|Program 2");
        EXPECT_EQ(program.log.back(), "program change");

        FxPlug bank(chunks);
        ASSERT_TRUE(bank.LoadBankFromFXB(fxb.c_str()));
        for (int i = 0; i < 3; ++i) {
            EXPECT_STREQ(bank.GetPresetName(i), ("Program " + std::to_string(i)).c_str());
            ASSERT_TRUE(bank.RestorePreset(i));
            EXPECT_NEAR(bank.GetParam(0)->Value(), 10.0 * (i + 1), 1e-4);
            EXPECT_EQ(bank.GetParam(1)->Int(), i + 1);
        }
    }
}

TEST(IPlugFxFiles, WrongIdMagicOrLengthChangesNothing) {
    FxPlug plug;
    plug.set(70.0, 7);
    const Bytes program = plug.fxp(), bank = plug.fxb();
    constexpr size_t kCutShort = 1000;
    for (const size_t field : {size_t{0}, size_t{8}, size_t{16}, kCutShort}) {
        const auto damaged = [field](Bytes file) {
            field == kCutShort ? file.resize(file.size() - 5) : void(file[field] ^= 0x20);
            return file;
        };
        FxPlug other;
        const Bytes before = other.bank();
        other.log.clear();
        EXPECT_FALSE(other.ReadFXP(damaged(program))) << field;
        EXPECT_FALSE(other.ReadFXB(damaged(bank))) << field;
        EXPECT_EQ(other.bank(), before);
        EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 25.0);
        EXPECT_TRUE(field == kCutShort || other.log.empty()) << field;
    }
}

TEST(IPlugFxFiles, UnreachableFilesFail) {
    FxPlug plug;
    EXPECT_FALSE(plug.SaveBankAsFXB("/no/such/folder/bank.fxb"));
    ScratchFolder dir;
    EXPECT_FALSE(plug.LoadBankFromFXB(dir.path.c_str())); // a folder is not a file
}

TEST(IPlugFxFiles, AWriteThatFailsHalfWayLeavesTheOldFileAndNoLeftovers) {
    ScratchFolder dir;
    const std::string path = dir.file("keep.fxb");
    FxPlug plug;
    ASSERT_TRUE(plug.SaveBankAsFXB(path.c_str()));
    Bytes old, now;
    ASSERT_TRUE(WholeFile::read(path.c_str(), &old));

    plug.set(99.0, 9);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{100, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = plug.SaveBankAsFXB(path.c_str());
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    ASSERT_TRUE(WholeFile::read(path.c_str(), &now));
    EXPECT_EQ(now, old);
    EXPECT_EQ(dir.entries(), 1);
}
