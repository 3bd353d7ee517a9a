#include "tests/plugin/IPlugTestPlugs.h"

#include <xmmintrin.h>

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

// A host stand-in: answers the plug-in's callback from its fields and records every call.
struct FakeHost {
    struct Call {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        float opt;
    };
    std::vector<Call> calls;
    std::string product = "REAPER";
    std::string vendor = "Cockos";
    VstIntPtr vendorVersion = 5940;
    VstIntPtr processLevel = kVstProcessLevelRealtime;
    bool answerTime = true;
    VstTimeInfo time{};
    VstIntPtr eventsAnswer = 1;
    std::vector<VstMidiEvent> midiEvents;
    std::vector<VstMidiSysexEvent> sysexEvents;

    int Count(VstInt32 opcode) const {
        int n = 0;
        for (const Call& call : calls) n += call.opcode == opcode;
        return n;
    }
    const Call* Last(VstInt32 opcode) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->opcode == opcode) return &*it;
        return nullptr;
    }
};

FakeHost* host = nullptr;

VstIntPtr fakeHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    host->calls.push_back({opcode, index, value, opt});
    switch (opcode) {
    case audioMasterGetProductString:
        std::snprintf(static_cast<char*>(ptr), 64, "%s", host->product.c_str());
        return 1;
    case audioMasterGetVendorString:
        std::snprintf(static_cast<char*>(ptr), 64, "%s", host->vendor.c_str());
        return 1;
    case audioMasterGetVendorVersion:
        return host->vendorVersion;
    case audioMasterGetCurrentProcessLevel:
        return host->processLevel;
    case audioMasterGetTime:
        return host->answerTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
    case audioMasterProcessEvents: {
        const auto* events = static_cast<VstEvents*>(ptr);
        const VstEvent* event = events->events[0];
        if (event->type == kVstMidiType)
            host->midiEvents.push_back(*reinterpret_cast<const VstMidiEvent*>(event));
        if (event->type == kVstSysExType)
            host->sysexEvents.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(event));
        return host->eventsAnswer;
    }
    default:
        return 0;
    }
}

class TestVST : public Recorder<IPlugVST> {
public:
    explicit TestVST(const char* channelIO = "0-2", bool isInst = true, bool chunks = true,
                     const char* effectName = "Test VST")
        : Recorder<IPlugVST>(IPlugInstanceInfo{fakeHostCallback}, 3, channelIO, 2, effectName, "Test Product",
                             "Test Vendor", 0x00010105, 0x6B6F7276, 0x4D614C61, 0, true, chunks, isInst) {
        GetParam(0)->InitDouble("Cutoff", 25.0, 0.0, 100.0, 0.01, "Hz", "", 2.0);
        GetParam(1)->InitEnum("Mode", 1, 3);
        GetParam(1)->SetDisplayText(0, "Saw");
        GetParam(1)->SetDisplayText(1, "Square");
        GetParam(1)->SetDisplayText(2, "Noise");
        GetParam(2)->InitDouble("Pan", 0.0, -1.0, 1.0, 0.1);
        GetParam(2)->SetNegateDisplay(true);
        EnsureDefaultPreset();
    }
    ~TestVST() override {
        if (deleted) *deleted = true;
    }

    void Reset() override { log.push_back("reset"); }
    void OnActivate(bool active) override { log.push_back(active ? "activate 1" : "activate 0"); }
    void OnIdle() override { log.push_back("idle"); }
    void OnGUIOpen() override { log.push_back("gui open"); }
    void OnGUIClose() override { log.push_back("gui close"); }
    void OnHostIdentified() override { log.push_back("host identified"); }
    void ProcessMidiMsg(IMidiMsg* msg) override { midiIn.push_back(*msg); }
    void ProcessSysEx(ISysEx* sysex) override {
        sysexIn.emplace_back(sysex->offset, std::string(reinterpret_cast<const char*>(sysex->data),
                                                        static_cast<size_t>(sysex->size)));
    }
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
        mxcsrInProcess = _mm_getcsr();
        IPlugVST::ProcessDoubleReplacing(inputs, outputs, nFrames);
    }
    bool MidiNoteName(int note, char* name) override {
        if (note != 60) return IPlugVST::MidiNoteName(note, name);
        std::memset(name, 'c', 100);
        name[100] = '\0';
        return true;
    }

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return GetAEffect()->dispatcher(GetAEffect(), opcode, index, value, ptr, opt);
    }
    std::string Text(VstInt32 opcode, VstInt32 index = 0) {
        char text[256] = "";
        Dispatch(opcode, index, 0, text);
        return text;
    }

    bool* deleted = nullptr;
    unsigned mxcsrInProcess = 0;
    std::vector<IMidiMsg> midiIn;
    std::vector<std::pair<int, std::string>> sysexIn;
};

class IPlugVSTTest : public ::testing::Test {
protected:
    void SetUp() override { host = &fakeHost; }
    void TearDown() override { host = nullptr; }
    FakeHost fakeHost;
};

constexpr unsigned char kSentinel = 0x7F;

// Fills a buffer with a sentinel so that writes beyond a bound show.
struct HostBuffer {
    HostBuffer() { std::memset(bytes, kSentinel, sizeof bytes); }
    char* data() { return bytes; }
    size_t Written() const { return std::strlen(bytes); }
    bool UntouchedFrom(size_t pos) const {
        for (size_t i = pos; i < sizeof bytes; ++i)
            if (static_cast<unsigned char>(bytes[i]) != kSentinel) return false;
        return true;
    }
    char bytes[512];
};

} // namespace

TEST_F(IPlugVSTTest, AEffectCarriesIdentityAndEntries) {
    TestVST plug;
    const AEffect* effect = plug.GetAEffect();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->flags, 0x1130);
    EXPECT_EQ(effect->numPrograms, 2);
    EXPECT_EQ(effect->numParams, 3);
    EXPECT_EQ(effect->numInputs, 0);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, 0x6B6F7276);
    EXPECT_EQ(effect->version, 10105);
    EXPECT_EQ(effect->object, static_cast<void*>(&plug));
    EXPECT_EQ(effect->dispatcher, &IPlugVST::VSTDispatcher);
    EXPECT_EQ(effect->process, &IPlugVST::VSTProcess);
    EXPECT_EQ(effect->processReplacing, &IPlugVST::VSTProcessReplacing);
    EXPECT_EQ(effect->processDoubleReplacing, &IPlugVST::VSTProcessDoubleReplacing);
    EXPECT_EQ(effect->getParameter, &IPlugVST::VSTGetParameter);
    EXPECT_EQ(effect->setParameter, &IPlugVST::VSTSetParameter);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(plug.GetBlockSize(), 1024);
    EXPECT_TRUE(plug.IsOutChannelConnected(0));
    EXPECT_TRUE(plug.IsOutChannelConnected(1));
}

TEST_F(IPlugVSTTest, FlagsFollowChunksMonoAndInstrument) {
    TestVST effectPlug("1-1", false, false);
    EXPECT_EQ(effectPlug.GetAEffect()->flags,
              effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsCanMono);
    EXPECT_EQ(effectPlug.Dispatch(effGetPlugCategory), kPlugCategEffect);
    TestVST synth;
    EXPECT_EQ(synth.Dispatch(effGetPlugCategory), kPlugCategSynth);
}

TEST_F(IPlugVSTTest, ConstantQueriesAndUnknownOpcodes) {
    TestVST plug;
    using Case = std::tuple<VstInt32, VstIntPtr>;
    for (const auto& [opcode, answer] :
         {Case{effIdentify, 0x4E764566}, Case{effGetVstVersion, 2400}, Case{effGetVendorVersion, 10105},
          Case{effGetTailSize, 0}, Case{effCanBeAutomated, 1}, Case{9, 0}, Case{effSetBypass, 0},
          Case{effGetParameterProperties, 0}, Case{effShellGetNextPlugin, 0}, Case{79, 0}, Case{100, 0},
          Case{-5, 0}})
        EXPECT_EQ(plug.Dispatch(opcode), answer) << opcode;
}

TEST_F(IPlugVSTTest, CanDoAnswersOnlyItsOwnTexts) {
    TestVST plug;
    using Case = std::tuple<const char*, VstIntPtr>;
    for (const auto& [text, answer] :
         {Case{"receiveVstTimeInfo", 1}, Case{"sendVstEvents", 1}, Case{"sendVstMidiEvent", 1},
          Case{"receiveVstEvents", 1}, Case{"receiveVstMidiEvent", 1}, Case{"offline", 0}, Case{"", 0},
          Case{"ReceiveVstTimeInfo", 0}, Case{"receiveVstTimeInfo ", 0}})
        EXPECT_EQ(plug.Dispatch(effCanDo, 0, 0, const_cast<char*>(text)), answer) << text;
    EXPECT_EQ(plug.Dispatch(effCanDo), 0);
    EXPECT_EQ(plug.GetCockosExtensions(), 0);
    EXPECT_EQ(plug.Dispatch(effCanDo, 0, 0, const_cast<char*>("hasCockosExtensions")), VstIntPtr{0xBEEF0000});
    EXPECT_EQ(plug.GetCockosExtensions(), 1);
    EXPECT_EQ(plug.Dispatch(effCanDo, 0, 0, const_cast<char*>("hasCockosViewAsConfig")),
              VstIntPtr{0xBEEF0000});
    EXPECT_EQ(plug.GetCockosExtensions(), 3);
}

TEST_F(IPlugVSTTest, CockosParameterQueries) {
    TestVST plug;
    HostBuffer text;
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, effGetParamDisplay, 0, text.data(), 0.5f), 0xBEEF);
    EXPECT_STREQ(text.data(), "25.00");
    HostBuffer untouched;
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, effGetParamDisplay, 3, untouched.data(), 0.5f), 0xBEEF);
    EXPECT_TRUE(untouched.UntouchedFrom(0));
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, effGetParamDisplay, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, kVstParameterUsesIntStep, 1), 0xBEEF);
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, kVstParameterUsesIntStep, 0), 0);
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, kVstParameterUsesIntStep, 3), 0);
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, kVstParameterUsesIntStep, -1), 0);
    EXPECT_EQ(plug.Dispatch(effVendorSpecific, 99, 0), 0);
}

TEST_F(IPlugVSTTest, ParameterTextsForTheHost) {
    TestVST plug;
    EXPECT_EQ(plug.Text(effGetParamName, 0), "Cutoff");
    EXPECT_EQ(plug.Text(effGetParamLabel, 0), "Hz");
    EXPECT_EQ(plug.Text(effGetParamDisplay, 0), "25.00");
    EXPECT_EQ(plug.Text(effGetParamLabel, 1), "");
    EXPECT_EQ(plug.Text(effGetParamDisplay, 1), "Square");
    plug.GetParam(2)->Set(0.5);
    EXPECT_EQ(plug.Text(effGetParamDisplay, 2), "-0.5");
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int idx : {-1, 3}) {
            HostBuffer text;
            EXPECT_EQ(plug.Dispatch(opcode, idx, 0, text.data()), 0);
            EXPECT_TRUE(text.UntouchedFrom(0)) << opcode << " " << idx;
        }
}

TEST_F(IPlugVSTTest, TextsIntoHostBuffersAreBounded) {
    const std::string longName(300, 'e');
    TestVST plug("0-2", true, true, longName.c_str());
    HostBuffer effectName;
    EXPECT_EQ(plug.Dispatch(effGetEffectName, 0, 0, effectName.data()), 1);
    EXPECT_EQ(effectName.Written(), 63u);
    EXPECT_TRUE(effectName.UntouchedFrom(64));

    const std::string longProgram(100, 'p');
    plug.Dispatch(effSetProgramName, 0, 0, const_cast<char*>(longProgram.c_str()));
    EXPECT_STREQ(plug.GetPresetName(0), longProgram.c_str()); // kept whole inside
    HostBuffer programName;
    plug.Dispatch(effGetProgramName, 0, 0, programName.data());
    EXPECT_EQ(programName.Written(), 23u);
    EXPECT_TRUE(programName.UntouchedFrom(24));
    HostBuffer indexedName;
    EXPECT_EQ(plug.Dispatch(effGetProgramNameIndexed, 0, 0, indexedName.data()), 1);
    EXPECT_EQ(indexedName.Written(), 23u);
    EXPECT_TRUE(indexedName.UntouchedFrom(24));

    HostBuffer display;
    plug.GetParam(0)->SetDisplayFunc([](double, char* text) { std::snprintf(text, 32, "%031d", 7); });
    plug.Dispatch(effGetParamDisplay, 0, 0, display.data());
    EXPECT_EQ(display.Written(), 31u);
    EXPECT_TRUE(display.UntouchedFrom(32));

    MidiKeyName key{};
    std::memset(key.keyName, kSentinel, sizeof key.keyName);
    key.thisKeyNumber = 60;
    key.reserved = 0x55;
    EXPECT_EQ(plug.Dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_EQ(std::strlen(key.keyName), 63u);
    EXPECT_EQ(key.reserved, 0x55);
    key.thisKeyNumber = 61;
    EXPECT_EQ(plug.Dispatch(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
}

TEST_F(IPlugVSTTest, NamesVendorAndProduct) {
    TestVST plug;
    EXPECT_EQ(plug.Text(effGetEffectName), "Test VST");
    EXPECT_EQ(plug.Text(effGetVendorString), "Test Vendor");
    EXPECT_EQ(plug.Text(effGetProductString), "Test Product");
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(plug.Dispatch(opcode), 0);
}

TEST_F(IPlugVSTTest, HostParameterValuesAreNormalisedAndGuarded) {
    TestVST plug;
    AEffect* effect = plug.GetAEffect();
    effect->setParameter(effect, 0, 0.5f);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 25.0);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"change 0"}));
    EXPECT_EQ(fakeHost.Count(audioMasterAutomate), 0); // the host's own change is not echoed

    using Case = std::tuple<float, double>;
    for (const auto& [sent, plain] :
         {Case{std::numeric_limits<float>::quiet_NaN(), 0.0},
          Case{std::numeric_limits<float>::infinity(), 100.0},
          Case{-std::numeric_limits<float>::infinity(), 0.0}, Case{1.5f, 100.0}, Case{-0.5f, 0.0}}) {
        effect->setParameter(effect, 0, sent);
        EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), plain) << sent;
    }

    plug.log.clear();
    for (int idx : {-1, 3, 1 << 30}) {
        effect->setParameter(effect, idx, 0.5f);
        EXPECT_EQ(effect->getParameter(effect, idx), 0.0f);
    }
    EXPECT_TRUE(plug.log.empty());
}

TEST_F(IPlugVSTTest, HostParameterChangeReachesTheEditorFirst) {
    TestVST plug;
    plug.AttachGraphics(new RecordingEditor(&plug.log));
    plug.log.clear();
    plug.GetAEffect()->setParameter(plug.GetAEffect(), 1, 1.0f);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"editor 1 1 norm", "change 1"}));
}

TEST_F(IPlugVSTTest, StringToParameter) {
    TestVST plug;
    auto set = [&](int idx, const char* text) {
        return plug.Dispatch(effString2Parameter, idx, 0, const_cast<char*>(text));
    };
    EXPECT_EQ(set(1, "Noise"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 2.0);
    EXPECT_EQ(set(1, "noise"), 0);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 2.0);
    EXPECT_EQ(set(0, "40"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 40.0);
    EXPECT_EQ(set(0, "1e999"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 100.0);
    EXPECT_EQ(set(0, "nan"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.0);
    EXPECT_EQ(set(2, "0.5"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), -0.5); // the display is negated, so is the text
    EXPECT_EQ(set(2, "-inf"), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 1.0);
    EXPECT_EQ(plug.Dispatch(effString2Parameter, 0), 1);
    EXPECT_EQ(set(3, "1"), 0);
    EXPECT_EQ(set(-1, "1"), 0);
    EXPECT_EQ(plug.log.back(), "change 2");
}

TEST_F(IPlugVSTTest, ProgramChangeKeepsEditsOfTheProgramLeft) {
    TestVST plug;
    plug.GetParam(0)->Set(60.0);
    EXPECT_EQ(plug.Dispatch(effSetProgram, 0, 1), 0);
    EXPECT_EQ(plug.Dispatch(effGetProgram), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 25.0);
    plug.Dispatch(effSetProgram, 0, 0);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 60.0);
    plug.Dispatch(effSetProgram, 0, VstIntPtr{1} << 32 | 1);
    plug.Dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(plug.Dispatch(effGetProgram), 0);

    plug.log.clear();
    EXPECT_EQ(plug.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Bright")), 0);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"presets changed"}));
    EXPECT_EQ(plug.Text(effGetProgramName), "Bright");
    EXPECT_EQ(plug.Text(effGetProgramNameIndexed, 1), "Empty");
    HostBuffer none;
    EXPECT_EQ(plug.Dispatch(effGetProgramNameIndexed, 2, 0, none.data()), 0);
    EXPECT_STREQ(none.data(), "");
    EXPECT_EQ(plug.Dispatch(effGetProgramNameIndexed, 0), 0);
}

TEST_F(IPlugVSTTest, ProgramChunkEndsWithTheProgramName) {
    TestVST plug;
    plug.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Lead"));
    void* data = nullptr;
    const VstIntPtr size = plug.Dispatch(effGetChunk, 1, 0, &data);
    ASSERT_EQ(size, 8 + 3 * 8 + 4 + 4);
    const auto* bytes = static_cast<const unsigned char*>(data);
    EXPECT_EQ(std::memcmp(bytes, "\x74\x66\x66\x70\x00\x00\x01\x00", 8), 0);
    EXPECT_EQ(std::memcmp(bytes + size - 8, "\x04\x00\x00\x00Lead", 8), 0);

    TestVST other;
    other.GetParam(0)->Set(90.0);
    EXPECT_EQ(other.Dispatch(effSetChunk, 1, size, data), 1);
    EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 25.0);
    EXPECT_STREQ(other.GetPresetName(0), "Lead");
}

TEST_F(IPlugVSTTest, HostHandingBackOurOwnChunkPointerIsSafe) {
    TestVST plug;
    void* data = nullptr;
    const VstIntPtr size = plug.Dispatch(effGetChunk, 1, 0, &data);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, size, data), 1);
    const VstIntPtr bankSize = plug.Dispatch(effGetChunk, 0, 0, &data);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, bankSize, data), 1);
}

TEST_F(IPlugVSTTest, ProgramChunkNameIsOptional) {
    TestVST plug;
    plug.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Keep"));
    ByteChunk chunk;
    InitChunkWithIPlugVer(&chunk);
    for (double v : {50.0, 0.0, 0.0}) chunk.Put(v);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, chunk.Size(), chunk.GetData()), 1);
    EXPECT_STREQ(plug.GetPresetName(0), "Keep");
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 50.0);

    chunk.PutBytes("ab", 2); // fewer than four bytes after the state
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, chunk.Size(), chunk.GetData()), 0);
    EXPECT_STREQ(plug.GetPresetName(0), "Keep");

    ByteChunk headerless;
    for (double v : {70.0, 2.0, 0.0}) headerless.Put(v);
    headerless.Put(int32_t{-3}); // a name length that is not positive
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, headerless.Size(), headerless.GetData()), 1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 70.0);
    EXPECT_STREQ(plug.GetPresetName(0), "Keep");
}

TEST_F(IPlugVSTTest, BankChunkCarriesEveryProgram) {
    TestVST plug;
    plug.Dispatch(effSetProgram, 0, 1);
    plug.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Two"));
    plug.GetParam(0)->Set(80.0);
    void* data = nullptr;
    const VstIntPtr size = plug.Dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 8 + (4 + 5 + 1 + 24) + (4 + 3 + 1 + 24));

    TestVST other;
    EXPECT_EQ(other.Dispatch(effSetChunk, 0, size, data), 1);
    EXPECT_STREQ(other.GetPresetName(1), "Two");
    other.Dispatch(effSetProgram, 0, 1);
    EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 80.0);
}

TEST_F(IPlugVSTTest, BadChunksAreRefused) {
    TestVST plug;
    plug.GetParam(0)->Set(33.0);
    const unsigned char bytes[16] = {};
    EXPECT_EQ(plug.Dispatch(effGetChunk, 1), 0);
    EXPECT_EQ(plug.Dispatch(effGetChunk, 0), 0);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, 16, nullptr), 0);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, -16, const_cast<unsigned char*>(bytes)), 0);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, 0, const_cast<unsigned char*>(bytes)), 0);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, VstIntPtr{1} << 40, const_cast<unsigned char*>(bytes)), 0);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 33.0);
    const unsigned char truncatedBank[] = {0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0, 200, 0, 0, 0};
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, sizeof truncatedBank, const_cast<unsigned char*>(truncatedBank)),
              0);
}

TEST_F(IPlugVSTTest, BankRequestingHostsGetProgramChunksAndMayHandBackBanks) {
    TestVST bankSource;
    bankSource.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("First"));
    void* data = nullptr;
    const VstIntPtr bankSize = bankSource.Dispatch(effGetChunk, 0, 0, &data);
    ByteChunk bank;
    bank.PutBytes(data, static_cast<int>(bankSize));

    fakeHost.vendor = "NATIVE Instruments";
    fakeHost.calls.clear();
    TestVST plug;
    const VstIntPtr size = plug.Dispatch(effGetChunk, 0, 0, &data);
    EXPECT_EQ(size, 8 + 3 * 8 + 4 + 5); // a program chunk: state and "Empty"
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, bank.Size(), bank.GetData()), 1);
    EXPECT_STREQ(plug.GetPresetName(0), "First");
    // The pointer a chunk call hands out lives until the next chunk call, so ask again.
    const VstIntPtr programSize = plug.Dispatch(effGetChunk, 1, 0, &data);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, programSize, data), 1);
    EXPECT_EQ(fakeHost.Count(audioMasterGetVendorString), 1);
}

TEST_F(IPlugVSTTest, HostIsIdentifiedOnceFromProductAndVersion) {
    TestVST plug;
    EXPECT_EQ(plug.GetHost(), kHostReaper);
    EXPECT_EQ(plug.GetHostVersion(false), 0x00003B28);
    plug.GetHost();
    EXPECT_EQ(fakeHost.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(fakeHost.Count(audioMasterGetVendorVersion), 1);

    fakeHost.product = "";
    TestVST anonymous;
    EXPECT_EQ(anonymous.GetHost(), kHostUnknown);
    EXPECT_EQ(anonymous.GetHostVersion(false), 0);
    anonymous.GetHost();
    EXPECT_EQ(fakeHost.Count(audioMasterGetProductString), 2);
    EXPECT_EQ(fakeHost.Count(audioMasterGetVendorVersion), 1);
}

TEST_F(IPlugVSTTest, OpenIdentifiesTheHostOnceAndResetsParameters) {
    fakeHost.product = "Forte 4";
    TestVST plug("4-4");
    plug.log.clear();
    EXPECT_EQ(plug.Dispatch(effOpen), 0);
    EXPECT_FALSE(plug.IsInChannelConnected(2));
    EXPECT_TRUE(plug.IsInChannelConnected(1));
    EXPECT_EQ(plug.GetAEffect()->numInputs, 4);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"host identified", "change 0", "change 1", "change 2"}));
    plug.Dispatch(effOpen);
    EXPECT_EQ(fakeHost.Count(audioMasterGetProductString), 1);

    fakeHost.product = "Ardour";
    TestVST other("4-4");
    other.Dispatch(effOpen);
    EXPECT_TRUE(other.IsInChannelConnected(3));
}

TEST_F(IPlugVSTTest, AudioSettingsAndSwitching) {
    TestVST plug;
    plug.log.clear();
    plug.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_DOUBLE_EQ(plug.GetSampleRate(), 48000.0);
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.0f, -44100.0f})
        plug.Dispatch(effSetSampleRate, 0, 0, nullptr, bad);
    EXPECT_DOUBLE_EQ(plug.GetSampleRate(), 48000.0);
    plug.Dispatch(effSetBlockSize, 0, 256);
    EXPECT_EQ(plug.GetBlockSize(), 256);
    for (VstIntPtr bad : {VstIntPtr{0}, VstIntPtr{-64}, VstIntPtr{1} << 40})
        plug.Dispatch(effSetBlockSize, 0, bad);
    EXPECT_EQ(plug.GetBlockSize(), 256);
    plug.log.clear();
    EXPECT_EQ(plug.Dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(plug.Dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(plug.Dispatch(effEditIdle), 0);
    EXPECT_EQ(plug.Dispatch(effIdle), 0);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"activate 1", "activate 0", "reset", "idle", "idle"}));
}

TEST_F(IPlugVSTTest, EditorOpcodesNeedAnEditor) {
    TestVST plug;
    ERect* rect = nullptr;
    EXPECT_EQ(plug.Dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(plug.Dispatch(effEditOpen), 0);
    EXPECT_EQ(plug.Dispatch(effEditClose), 0);

    auto* editor = new RecordingEditor(&plug.log);
    plug.AttachGraphics(editor);
    EXPECT_EQ(plug.GetAEffect()->flags, 0x1131);
    EXPECT_EQ(plug.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 776);
    EXPECT_EQ(rect->right, 1127);
    EXPECT_EQ(plug.Dispatch(effEditGetRect), 0);

    plug.log.clear();
    EXPECT_EQ(plug.Dispatch(effEditOpen), 1);
    EXPECT_EQ(plug.Dispatch(effEditClose), 1);
    editor->openSucceeds = false;
    EXPECT_EQ(plug.Dispatch(effEditOpen), 0);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"open", "gui open", "gui close", "close", "open"}));

    editor->width = 640;
    plug.ResizeGraphics(1, 1);
    EXPECT_EQ(rect->right, 640);
}

TEST_F(IPlugVSTTest, PinsAndSpeakerArrangements) {
    TestVST plug;
    VstPinProperties pin{};
    EXPECT_EQ(plug.Dispatch(effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(plug.Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_STREQ(pin.label, "Output 1");
    EXPECT_EQ(plug.Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_STREQ(pin.label, "Output 2");
    EXPECT_EQ(plug.Dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(plug.Dispatch(effGetOutputProperties, -1, 0, &pin), 0);
    plug.SetOutputLabel(1, "Right");
    plug.Dispatch(effGetOutputProperties, 1, 0, &pin);
    EXPECT_STREQ(pin.label, "Right");

    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(plug.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, kSpeakerArrEmpty);
    EXPECT_EQ(in->numChannels, 0);
    EXPECT_EQ(out->type, kSpeakerArrStereo);
    EXPECT_EQ(out->numChannels, 2);
    EXPECT_EQ(plug.Dispatch(effGetSpeakerArrangement), 1);

    VstSpeakerArrangement mono{};
    mono.numChannels = 1;
    EXPECT_EQ(plug.Dispatch(effSetSpeakerArrangement, 0, 0, &mono), 1);
    EXPECT_TRUE(plug.IsOutChannelConnected(0));
    EXPECT_FALSE(plug.IsOutChannelConnected(1));
    mono.numChannels = 99;
    plug.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono);
    EXPECT_TRUE(plug.IsOutChannelConnected(1));
    EXPECT_EQ(IPlugVST::VSTSpkrArrType(3), kSpeakerArrUserDefined);
    EXPECT_EQ(IPlugVST::VSTSpkrArrType(1), kSpeakerArrMono);
}

TEST_F(IPlugVSTTest, IncomingEventsBecomeMessages) {
    TestVST plug;
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 100;
    note.midiData[0] = static_cast<char>(0x91);
    note.midiData[1] = 60;
    note.midiData[2] = 127;
    VstMidiEvent late = note;
    late.deltaFrames = 1 << 20;
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.deltaFrames = 5;
    char dump[] = {static_cast<char>(0xF0), 0x3E, static_cast<char>(0xF7)};
    sysex.sysexDump = dump;
    sysex.dumpBytes = 3;
    VstMidiSysexEvent badSysex = sysex;
    badSysex.dumpBytes = -7;
    VstEvent unknown{};
    unknown.type = 3;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[6];
    } events{6,
             0,
             {reinterpret_cast<VstEvent*>(&note), &unknown, nullptr, reinterpret_cast<VstEvent*>(&sysex),
              reinterpret_cast<VstEvent*>(&late), reinterpret_cast<VstEvent*>(&badSysex)}};
    EXPECT_EQ(plug.Dispatch(effProcessEvents, 0, 0, &events), 1);
    ASSERT_EQ(plug.midiIn.size(), 2u);
    EXPECT_EQ(plug.midiIn[0].offset, 100);
    EXPECT_EQ(plug.midiIn[0].status, 0x91);
    EXPECT_EQ(plug.midiIn[0].data1, 60);
    EXPECT_EQ(plug.midiIn[0].data2, 127);
    EXPECT_EQ(plug.midiIn[1].offset, 1 << 20);
    ASSERT_EQ(plug.sysexIn.size(), 2u);
    EXPECT_EQ(plug.sysexIn[0], (std::pair<int, std::string>{5, std::string(dump, 3)}));
    EXPECT_EQ(plug.sysexIn[1], (std::pair<int, std::string>{5, ""}));

    events.numEvents = 0;
    EXPECT_EQ(plug.Dispatch(effProcessEvents, 0, 0, &events), 1);
    events.numEvents = -4;
    EXPECT_EQ(plug.Dispatch(effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(plug.Dispatch(effProcessEvents), 0);
    EXPECT_EQ(plug.midiIn.size(), 2u);
}

TEST_F(IPlugVSTTest, OutgoingMidiIsOneEventPerCall) {
    TestVST plug;
    IMidiMsg msg(17, 0x92, 64, 90);
    EXPECT_TRUE(plug.SendMidiMsg(&msg));
    ASSERT_EQ(fakeHost.midiEvents.size(), 1u);
    const VstMidiEvent& event = fakeHost.midiEvents[0];
    EXPECT_EQ(event.type, kVstMidiType);
    EXPECT_EQ(event.byteSize, 32);
    EXPECT_EQ(event.deltaFrames, 17);
    EXPECT_EQ(static_cast<unsigned char>(event.midiData[0]), 0x92);
    EXPECT_EQ(event.midiData[1], 64);
    EXPECT_EQ(event.midiData[2], 90);
    EXPECT_EQ(event.midiData[3], 0);
    EXPECT_EQ(event.flags, 0);
    EXPECT_EQ(event.noteLength, 0);

    const uint8_t bytes[] = {0xF0, 0x01, 0xF7};
    ISysEx sysex(9, bytes, 3);
    EXPECT_TRUE(plug.SendSysEx(&sysex));
    ASSERT_EQ(fakeHost.sysexEvents.size(), 1u);
    EXPECT_EQ(fakeHost.sysexEvents[0].type, kVstSysExType);
    EXPECT_EQ(fakeHost.sysexEvents[0].byteSize, 48);
    EXPECT_EQ(fakeHost.sysexEvents[0].deltaFrames, 9);
    EXPECT_EQ(fakeHost.sysexEvents[0].dumpBytes, 3);
    EXPECT_EQ(fakeHost.sysexEvents[0].sysexDump, reinterpret_cast<const char*>(bytes));

    fakeHost.eventsAnswer = 0;
    EXPECT_FALSE(plug.SendMidiMsg(&msg));
}

TEST_F(IPlugVSTTest, ParameterAndProgramNewsReachTheHost) {
    TestVST plug;
    plug.BeginInformHostOfParamChange(2);
    plug.InformHostOfParamChange(2, 0.75);
    plug.EndInformHostOfParamChange(2);
    plug.InformHostOfProgramChange();
    ASSERT_EQ(fakeHost.calls.size(), 4u);
    EXPECT_EQ(fakeHost.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(fakeHost.calls[0].index, 2);
    EXPECT_EQ(fakeHost.calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(fakeHost.calls[1].index, 2);
    EXPECT_EQ(fakeHost.calls[1].opt, 0.75f);
    EXPECT_EQ(fakeHost.calls[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(fakeHost.calls[3].opcode, audioMasterUpdateDisplay);

    fakeHost.processLevel = kVstProcessLevelOffline;
    EXPECT_TRUE(plug.IsRenderingOffline());
    fakeHost.processLevel = kVstProcessLevelRealtime;
    EXPECT_FALSE(plug.IsRenderingOffline());
}

TEST_F(IPlugVSTTest, TimeQueriesAskWithTheirMasks) {
    TestVST plug;
    fakeHost.time.samplePos = 10.5;
    fakeHost.time.tempo = 90.0;
    fakeHost.time.ppqPos = 3.0;
    fakeHost.time.timeSigNumerator = 7;
    fakeHost.time.timeSigDenominator = 8;
    fakeHost.time.flags = kVstTempoValid;

    EXPECT_EQ(plug.GetSamplePos(), 11);
    EXPECT_EQ(fakeHost.Last(audioMasterGetTime)->value, 0);
    EXPECT_DOUBLE_EQ(plug.GetTempo(), 90.0);
    EXPECT_EQ(fakeHost.Last(audioMasterGetTime)->value, 0x400);
    int num = -1, den = -1;
    plug.GetTimeSig(&num, &den);
    EXPECT_EQ(fakeHost.Last(audioMasterGetTime)->value, 0x2000);
    EXPECT_EQ(num, 0);
    EXPECT_EQ(den, 0);

    ITimeInfo info;
    plug.GetTime(&info);
    EXPECT_EQ(fakeHost.Last(audioMasterGetTime)->value, 0x3E00);
    EXPECT_DOUBLE_EQ(info.samplePos, 10.5);
    EXPECT_DOUBLE_EQ(info.tempo, 90.0);
    EXPECT_DOUBLE_EQ(info.ppqPos, -1.0);
    EXPECT_EQ(info.numerator, 4);

    fakeHost.time.flags = kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                          kVstTransportPlaying | kVstTransportCycleActive;
    fakeHost.time.barStartPos = 2.0;
    fakeHost.time.cycleStartPos = 4.0;
    fakeHost.time.cycleEndPos = 8.0;
    plug.GetTime(&info);
    EXPECT_DOUBLE_EQ(info.ppqPos, 3.0);
    EXPECT_DOUBLE_EQ(info.lastBar, 2.0);
    EXPECT_DOUBLE_EQ(info.cycleStart, 4.0);
    EXPECT_DOUBLE_EQ(info.cycleEnd, 8.0);
    EXPECT_EQ(info.numerator, 7);
    EXPECT_EQ(info.denominator, 8);
    EXPECT_TRUE(info.transportIsRunning);
    EXPECT_TRUE(info.transportLoopEnabled);
    plug.GetTimeSig(&num, &den);
    EXPECT_EQ(num, 7);

    fakeHost.time.flags = kVstTransportPlaying; // none of the requested fields
    ITimeInfo untouched;
    plug.GetTime(&untouched);
    EXPECT_FALSE(untouched.transportIsRunning);
    EXPECT_DOUBLE_EQ(untouched.samplePos, -1.0);

    fakeHost.time.samplePos = -20.0;
    EXPECT_EQ(plug.GetSamplePos(), 0);
    fakeHost.time.samplePos = 1e300;
    EXPECT_EQ(plug.GetSamplePos(), std::numeric_limits<int>::max());
}

TEST_F(IPlugVSTTest, NoTimeFromTheHostLeavesDefaults) {
    TestVST plug;
    fakeHost.answerTime = false;
    ITimeInfo info;
    plug.GetTime(&info);
    EXPECT_DOUBLE_EQ(info.tempo, 120.0);
    EXPECT_EQ(info.numerator, 4);
    EXPECT_EQ(info.denominator, 4);
    EXPECT_DOUBLE_EQ(info.samplePos, -1.0);
    EXPECT_DOUBLE_EQ(info.ppqPos, -1.0);
    EXPECT_DOUBLE_EQ(plug.GetTempo(), 0.0);
    EXPECT_EQ(plug.GetSamplePos(), 0);
    int num = 9, den = 9;
    plug.GetTimeSig(&num, &den);
    EXPECT_EQ(num, 0);
    EXPECT_EQ(den, 0);
}

TEST_F(IPlugVSTTest, ProcessEntriesAskForMidiRenderAndRestoreTheFloatMode) {
    TestVST plug;
    AEffect* effect = plug.GetAEffect();
    float left[4] = {0.5f, 0.5f, 0.5f, 0.5f}, right[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    float* outputs[] = {left, right};
    const unsigned hostMode = _mm_getcsr();

    effect->process(effect, nullptr, outputs, 3);
    EXPECT_EQ(left[0], 0.5f); // silence added
    effect->processReplacing(effect, nullptr, outputs, 3);
    EXPECT_EQ(left[2], 0.0f);
    EXPECT_EQ(right[0], 0.0f);
    EXPECT_EQ(left[3], 0.5f);
    double dLeft[2] = {1, 1}, dRight[2] = {1, 1};
    double* dOutputs[] = {dLeft, dRight};
    effect->processDoubleReplacing(effect, nullptr, dOutputs, 2);
    EXPECT_EQ(dLeft[1], 0.0);
    EXPECT_EQ(dRight[0], 0.0);
    EXPECT_EQ(fakeHost.Count(audioMasterWantMidi), 3);

    EXPECT_EQ(plug.mxcsrInProcess & 0x8040u, 0x8040u);
    EXPECT_EQ(_mm_getcsr(), hostMode);

    left[0] = 0.5f;
    effect->processReplacing(effect, nullptr, outputs, 0);
    effect->processReplacing(effect, nullptr, outputs, -5);
    effect->processReplacing(effect, nullptr, nullptr, 4);
    EXPECT_EQ(left[0], 0.5f);
    EXPECT_EQ(fakeHost.Count(audioMasterWantMidi), 6);
}

TEST_F(IPlugVSTTest, CloseDeletesThePlugin) {
    bool deleted = false;
    auto* plug = new TestVST;
    plug->deleted = &deleted;
    AEffect* effect = plug->GetAEffect();
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_TRUE(deleted);
}

TEST_F(IPlugVSTTest, AnEffectWithoutObjectAnswersNothing) {
    AEffect orphan{};
    EXPECT_EQ(IPlugVST::VSTDispatcher(&orphan, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IPlugVST::VSTDispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IPlugVST::VSTGetParameter(&orphan, 0), 0.0f);
    IPlugVST::VSTSetParameter(&orphan, 0, 0.5f);
    IPlugVST::VSTProcessReplacing(&orphan, nullptr, nullptr, 16);
}
