// Programs and banks as a host stores them in its projects, through the built module's entry point.

#include "plugin/vst2/Vst2.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using EntryProc = AEffect* (*)(audioMasterCallback);
using Bytes = std::vector<unsigned char>;

const char* vendorString = "Test Bench";

VstIntPtr chunkHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetVendorString:
        std::snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "%s", vendorString);
        return 1;
    default:
        return 0;
    }
}

constexpr int kFilterCutoff = 78;
constexpr int kBlock = 256;

class ProgramChunks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/korvanta-host-home-XXXXXX";
        home = mkdtemp(pattern);
        const char* old = std::getenv("HOME");
        savedHome = old ? old : "";
        setenv("HOME", home.c_str(), 1);
        module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
        entry = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"));
    }
    static void TearDownTestSuite() {
        if (module) dlclose(module);
        module = nullptr;
        setenv("HOME", savedHome.c_str(), 1);
        std::system(("rm -rf '" + home + "'").c_str());
    }
    void TearDown() override {
        for (AEffect* effect : open) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        vendorString = "Test Bench";
    }

    AEffect* create() {
        AEffect* effect = entry(chunkHostCallback);
        open.push_back(effect);
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 0, kBlock);
        return effect;
    }
    static VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    static Bytes getChunk(AEffect* effect, int index) {
        void* data = nullptr;
        const VstIntPtr size = dispatch(effect, effGetChunk, index, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return size > 0 ? Bytes(bytes, bytes + size) : Bytes{};
    }
    static VstIntPtr setChunk(AEffect* effect, int index, Bytes bytes) {
        return dispatch(effect, effSetChunk, index, static_cast<VstIntPtr>(bytes.size()), bytes.data());
    }
    static std::string programName(AEffect* effect, int index) {
        char name[kVstMaxProgNameLen + 8] = {};
        dispatch(effect, effGetProgramNameIndexed, index, 0, name);
        return name;
    }
    // A chord held for a while, then released.
    static std::vector<float> render(AEffect* effect) {
        dispatch(effect, effMainsChanged, 0, 1);
        VstMidiEvent notes[3]{};
        VstEvents events{};
        events.numEvents = 2;
        for (int i = 0; i < 3; ++i) {
            notes[i].type = kVstMidiType;
            notes[i].byteSize = sizeof(VstMidiEvent);
            notes[i].midiData[0] = static_cast<char>(0x90);
            notes[i].midiData[1] = static_cast<char>(60 + 4 * i);
            notes[i].midiData[2] = 100;
        }
        events.events[0] = reinterpret_cast<VstEvent*>(&notes[0]);
        events.events[1] = reinterpret_cast<VstEvent*>(&notes[1]);
        dispatch(effect, effProcessEvents, 0, 0, &events);
        std::vector<float> out;
        std::vector<float> left(kBlock), right(kBlock);
        for (int block = 0; block < 40; ++block) {
            float* outputs[2] = {left.data(), right.data()};
            effect->processReplacing(effect, nullptr, outputs, kBlock);
            out.insert(out.end(), left.begin(), left.end());
            out.insert(out.end(), right.begin(), right.end());
        }
        return out;
    }

    static void* module;
    static EntryProc entry;
    static std::string home;
    static std::string savedHome;
    std::vector<AEffect*> open;
};

void* ProgramChunks::module = nullptr;
EntryProc ProgramChunks::entry = nullptr;
std::string ProgramChunks::home;
std::string ProgramChunks::savedHome;

// Sets a few parameters far from their defaults in the current program.
void shape(AEffect* effect, float amount) {
    effect->setParameter(effect, kFilterCutoff, amount);
    effect->setParameter(effect, 79, 0.6f);
    effect->setParameter(effect, 11, 5.0f / 65535.0f);
}

} // namespace

TEST_F(ProgramChunks, AProjectSavedByTheHostRestoresIntoANewInstanceAndSoundsTheSame) {
    AEffect* saved = create();
    dispatch(saved, effSetProgram, 0, 3);
    shape(saved, 0.35f);
    dispatch(saved, effSetProgramName, 0, 0, const_cast<char*>("Project Sound"));
    dispatch(saved, effSetProgram, 0, 5);
    shape(saved, 0.55f);
    const Bytes bank = getChunk(saved, 0);
    const Bytes program = getChunk(saved, 1);
    ASSERT_FALSE(bank.empty());
    ASSERT_FALSE(program.empty());

    AEffect* restored = create();
    ASSERT_EQ(setChunk(restored, 0, bank), 1);
    dispatch(restored, effSetProgram, 0, 5);
    ASSERT_EQ(setChunk(restored, 1, program), 1);
    EXPECT_EQ(programName(restored, 3), "Project Sound");
    EXPECT_EQ(getChunk(restored, 1), program);
    const std::vector<float> expected = render(saved);
    const std::vector<float> actual = render(restored);
    EXPECT_EQ(actual, expected);
    float peak = 0.0f;
    for (const float s : actual) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 0.001f);
}

TEST_F(ProgramChunks, ProgramChangeThroughTheHostKeepsTheEditsOfTheProgramLeft) {
    AEffect* effect = create();
    dispatch(effect, effSetProgram, 0, 0);
    effect->setParameter(effect, kFilterCutoff, 0.3f);
    dispatch(effect, effSetProgram, 0, 1);
    EXPECT_EQ(dispatch(effect, effGetProgram), 1);
    effect->setParameter(effect, kFilterCutoff, 0.7f);
    dispatch(effect, effSetProgram, 0, 0);
    EXPECT_NEAR(effect->getParameter(effect, kFilterCutoff), 0.3f, 1e-6);
    dispatch(effect, effSetProgram, 0, 1);
    EXPECT_NEAR(effect->getParameter(effect, kFilterCutoff), 0.7f, 1e-6);
}

TEST_F(ProgramChunks, NativeInstrumentsHostsGetProgramChunksAndTheirBankChunksReadAsBanks) {
    AEffect* plain = create();
    dispatch(plain, effSetProgram, 0, 2);
    dispatch(plain, effSetProgramName, 0, 0, const_cast<char*>("Banked"));
    const Bytes bank = getChunk(plain, 0);
    const Bytes program = getChunk(plain, 1);

    for (const char* vendor : {"Native Instruments", "NATIVE INSTRUMENTS", "native instruments"}) {
        vendorString = vendor;
        AEffect* ni = create();
        const Bytes asked = getChunk(ni, 0);
        ASSERT_GT(asked.size(), 4u);
        // A program chunk ends with the current program's name.
        const std::string name = programName(ni, 0);
        EXPECT_EQ(std::string(asked.end() - static_cast<long>(name.size()), asked.end()), name) << vendor;
        EXPECT_LT(asked.size(), bank.size() / 8);

        EXPECT_EQ(setChunk(ni, 0, bank), 1) << vendor;
        EXPECT_EQ(programName(ni, 2), "Banked") << vendor;
        EXPECT_EQ(setChunk(ni, 0, program), 1) << vendor;
    }
}

TEST_F(ProgramChunks, CutAndNoisyChunksFailOrApplyWithoutHarm) {
    AEffect* source = create();
    shape(source, 0.45f);
    const Bytes program = getChunk(source, 1);
    const Bytes bank = getChunk(source, 0);
    AEffect* effect = create();
    const int stateEnd =
        static_cast<int>(program.size()) - 4 - static_cast<int>(programName(source, 0).size());
    for (size_t n = 1; n < program.size(); n += n < 1300 ? 1 : 13) {
        const VstIntPtr result =
            setChunk(effect, 1, Bytes(program.begin(), program.begin() + static_cast<long>(n)));
        // Whole state: taken, with the name when its length field is there as well.
        const int end = static_cast<int>(n);
        EXPECT_EQ(result, end == stateEnd || end >= stateEnd + 4 ? 1 : 0) << n;
    }
    for (size_t n = 1; n < bank.size(); n += 997)
        EXPECT_EQ(setChunk(effect, 0, Bytes(bank.begin(), bank.begin() + static_cast<long>(n))), 0) << n;
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        Bytes noise(random() % 4000);
        for (auto& b : noise) b = static_cast<unsigned char>(random());
        if (round % 2) std::memcpy(noise.data(), program.data(), std::min<size_t>(noise.size(), 30));
        setChunk(effect, round % 3 == 0 ? 0 : 1, noise);
        for (int i = 0; i < effect->numParams; i += 7) {
            const float v = effect->getParameter(effect, i);
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << i;
        }
    }
    EXPECT_EQ(setChunk(effect, 1, program), 1);
    EXPECT_NEAR(effect->getParameter(effect, kFilterCutoff), 0.45f, 1e-6);
}

TEST_F(ProgramChunks, ANewInstanceWithoutStartupBankTakesTheBankShippedInTheBundle) {
    const std::string module = KORVANTA_MODULE;
    const std::string bundle = module.substr(0, module.rfind("/Contents/"));
    FILE* shipped = std::fopen((bundle + "/Contents/Resources/init.fxb").c_str(), "rb");
    if (!shipped) GTEST_SKIP() << "the build has not written the factory bank";
    unsigned char header[160] = {};
    const size_t got = std::fread(header, 1, sizeof header, shipped);
    std::fclose(shipped);
    ASSERT_EQ(got, sizeof header);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header), 4), "CcnK");

    AEffect* effect = create();
    for (int i = 0; i < effect->numPrograms; ++i) {
        const std::string name = programName(effect, i);
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_EQ(name.find("user preset"), std::string::npos) << i;
        EXPECT_NE(name, "Empty") << i;
    }
}
