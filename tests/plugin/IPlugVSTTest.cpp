#include "tests/plugin/IPlugTestPlugs.h"

#include <xmmintrin.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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
    VstTimeInfo time{};
    VstIntPtr eventsAnswer = 1;
    std::vector<VstMidiEvent> midiEvents;
    std::vector<VstMidiSysexEvent> sysexEvents;

    int Count(VstInt32 opcode) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(), [&](auto& c) { return c.opcode == opcode; }));
    }
};

FakeHost* host = nullptr;

VstIntPtr fakeHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    host->calls.push_back({opcode, index, value, opt});
    switch (opcode) {
    case audioMasterGetProductString:
    case audioMasterGetVendorString:
        std::snprintf(static_cast<char*>(ptr), 64, "%s",
                      (opcode == audioMasterGetVendorString ? host->vendor : host->product).c_str());
        return 1;
    case audioMasterGetVendorVersion:
        return 5940;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&host->time);
    case audioMasterProcessEvents: {
        const VstEvent* event = static_cast<VstEvents*>(ptr)->events[0];
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
        for (int i : {0, 1, 2}) GetParam(1)->SetDisplayText(i, std::array{"Saw", "Square", "Noise"}[i]);
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
    void ProcessMidiMsg(IMidiMsg* msg) override {
        midiIn.push_back({msg->offset, msg->status, msg->data1, msg->data2});
    }
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
    VstIntPtr Send(VstInt32 opcode, VstInt32 index, const char* text) {
        return Dispatch(opcode, index, 0, const_cast<char*>(text));
    }
    std::string Text(VstInt32 opcode, VstInt32 index = 0) {
        char text[256] = "";
        Dispatch(opcode, index, 0, text);
        return text;
    }
    double Value(int idx) { return GetParam(idx)->Value(); }
    VstIntPtr GetChunk(int isProgram, void** data) { return Dispatch(effGetChunk, isProgram, 0, data); }

    bool* deleted = nullptr;
    unsigned mxcsrInProcess = 0;
    std::vector<std::array<int, 4>> midiIn;
    std::vector<std::pair<int, std::string>> sysexIn;
};

class IPlugVSTTest : public ::testing::Test {
protected:
    void SetUp() override { host = &fakeHost; }
    void TearDown() override { host = nullptr; }
    FakeHost fakeHost;
};

using Log = std::vector<std::string>;
constexpr char kSentinel = 0x7F;

// Fills a buffer with a sentinel so that writes beyond a bound show.
struct HostBuffer {
    HostBuffer() { std::memset(data, kSentinel, sizeof data); }
    bool UntouchedFrom(size_t pos) const {
        return std::all_of(data + pos, data + sizeof data, [](char c) { return c == kSentinel; });
    }
    char data[512];
};

} // namespace

TEST_F(IPlugVSTTest, AEffectCarriesIdentityAndFlags) {
    TestVST plug;
    const AEffect* e = plug.GetAEffect();
    EXPECT_EQ(
        (std::vector<VstIntPtr>{e->magic, e->flags, e->numPrograms, e->numParams, e->numInputs, e->numOutputs,
                                e->uniqueID, e->version, plug.GetBlockSize(),
                                plug.Dispatch(effGetPlugCategory)}),
        (std::vector<VstIntPtr>{0x56737450, 0x1130, 2, 3, 0, 2, 0x6B6F7276, 10105, 1024, kPlugCategSynth}));
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->object, static_cast<void*>(&plug));
}

TEST_F(IPlugVSTTest, ConstantQueriesCanDoAndUnknownOpcodes) {
    TestVST plug;
    using Case = std::tuple<VstInt32, VstIntPtr>;
    for (const auto& [opcode, answer] :
         {Case{effIdentify, 0x4E764566}, Case{effGetVstVersion, 2400}, Case{effGetVendorVersion, 10105},
          Case{effCanBeAutomated, 1}, Case{effSetBypass, 0}, Case{79, 0}, Case{effCanDo, 0},
          Case{effGetEffectName, 0}})
        EXPECT_EQ(plug.Dispatch(opcode), answer) << opcode;
    using Text = std::tuple<const char*, VstIntPtr>;
    for (const auto& [text, answer] :
         {Text{"receiveVstTimeInfo", 1}, Text{"sendVstEvents", 1}, Text{"receiveVstMidiEvent", 1},
          Text{"offline", 0}, Text{"ReceiveVstTimeInfo", 0}})
        EXPECT_EQ(plug.Send(effCanDo, 0, text), answer) << text;
    EXPECT_EQ(plug.GetCockosExtensions(), 0);
    for (const auto& [text, extensions] :
         {std::pair{"hasCockosExtensions", 1}, {"hasCockosViewAsConfig", 3}}) {
        EXPECT_EQ(plug.Send(effCanDo, 0, text), VstIntPtr{0xBEEF0000});
        EXPECT_EQ(plug.GetCockosExtensions(), extensions);
    }
}

TEST_F(IPlugVSTTest, ParameterAndPlugInTextsForTheHost) {
    TestVST plug;
    using Case = std::tuple<VstInt32, VstInt32, const char*>;
    for (const auto& [opcode, idx, text] :
         {Case{effGetParamName, 0, "Cutoff"}, Case{effGetParamLabel, 0, "Hz"},
          Case{effGetParamDisplay, 1, "Square"}, Case{effGetEffectName, 0, "Test VST"},
          Case{effGetVendorString, 0, "Test Vendor"}, Case{effGetProductString, 0, "Test Product"}})
        EXPECT_EQ(plug.Text(opcode, idx), text) << opcode << " " << idx;
    HostBuffer outside;
    EXPECT_EQ(plug.Dispatch(effGetParamName, 3, 0, outside.data), 0);
    EXPECT_TRUE(outside.UntouchedFrom(0));
}

TEST_F(IPlugVSTTest, TextsIntoHostBuffersAreBounded) {
    const std::string longName(300, 'e'), longProgram(100, 'p');
    TestVST plug("0-2", true, true, longName.c_str());
    plug.Send(effSetProgramName, 0, longProgram.c_str());
    EXPECT_STREQ(plug.GetPresetName(0), longProgram.c_str()); // kept whole inside
    plug.GetParam(0)->SetDisplayFunc([](double, char* text) { std::snprintf(text, 32, "%031d", 7); });
    using Case = std::tuple<VstInt32, size_t>;
    for (const auto& [opcode, limit] : {Case{effGetEffectName, 64}, Case{effGetProgramName, 24},
                                        Case{effGetProgramNameIndexed, 24}, Case{effGetParamDisplay, 32}}) {
        HostBuffer buffer;
        plug.Dispatch(opcode, 0, 0, buffer.data);
        EXPECT_EQ(std::strlen(buffer.data), limit - 1) << opcode;
        EXPECT_TRUE(buffer.UntouchedFrom(limit)) << opcode;
    }

    MidiKeyName key{};
    std::memset(key.keyName, kSentinel, sizeof key.keyName);
    key.reserved = 0x55;
    for (const auto& [note, answer, length] : {std::tuple{60, 1, 63u}, {61, 0, 0u}}) {
        key.thisKeyNumber = note;
        EXPECT_EQ(plug.Dispatch(effGetMidiKeyName, 0, 0, &key), answer);
        EXPECT_EQ(std::strlen(key.keyName), length);
        EXPECT_EQ(key.reserved, 0x55);
    }
}

TEST_F(IPlugVSTTest, HostParameterValuesAreNormalisedAndGuarded) {
    TestVST plug;
    AEffect* effect = plug.GetAEffect();
    effect->setParameter(effect, 0, 0.5f);
    EXPECT_DOUBLE_EQ(plug.Value(0), 25.0);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 0), 0.5f);
    EXPECT_EQ(plug.log, Log{"change 0"});
    EXPECT_EQ(fakeHost.Count(audioMasterAutomate), 0); // the host's own change is not echoed

    plug.log.clear();
    effect->setParameter(effect, 3, 0.5f);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.0f);
    EXPECT_TRUE(plug.log.empty());

    // The editor sees only values inside 0..1.
    plug.AttachGraphics(new RecordingEditor(&plug.log));
    plug.log.clear();
    for (float sent : {kNaN, 1.5f}) effect->setParameter(effect, 1, sent);
    EXPECT_EQ(plug.log, (Log{"editor 1 0 norm", "change 1", "editor 1 1 norm", "change 1"}));
}

TEST_F(IPlugVSTTest, StringToParameter) {
    TestVST plug;
    using Case = std::tuple<int, const char*, VstIntPtr, double>;
    // The pan display is negated, so is its text.
    for (const auto& [idx, text, answer, value] :
         {Case{1, "Noise", 1, 2.0}, Case{1, "noise", 0, 2.0}, Case{0, "40", 1, 40.0}, Case{0, "nan", 1, 0.0},
          Case{2, "0.5", 1, -0.5}}) {
        EXPECT_EQ(plug.Send(effString2Parameter, idx, text), answer) << text;
        EXPECT_DOUBLE_EQ(plug.Value(idx), value) << text;
    }
    EXPECT_EQ(plug.Dispatch(effString2Parameter, 0), 1);
    EXPECT_EQ(plug.Send(effString2Parameter, 3, "1"), 0);
    EXPECT_EQ(plug.log.back(), "change 2");
}

TEST_F(IPlugVSTTest, ProgramChangeKeepsEditsOfTheProgramLeft) {
    TestVST plug;
    plug.GetParam(0)->Set(60.0);
    for (const auto& [program, cutoff] : {std::pair{VstIntPtr{1}, 25.0}, {VstIntPtr{0}, 60.0}}) {
        EXPECT_EQ(plug.Dispatch(effSetProgram, 0, program), 0);
        EXPECT_EQ(plug.Dispatch(effGetProgram), program);
        EXPECT_DOUBLE_EQ(plug.Value(0), cutoff);
    }
    plug.Dispatch(effSetProgram, 0, VstIntPtr{1} << 32 | 1);
    EXPECT_EQ(plug.Dispatch(effGetProgram), 0);

    plug.log.clear();
    EXPECT_EQ(plug.Send(effSetProgramName, 0, "Bright"), 0);
    EXPECT_EQ(plug.log, Log{"presets changed"});
    EXPECT_EQ(plug.Text(effGetProgramName), "Bright");
    EXPECT_EQ(plug.Text(effGetProgramNameIndexed, 1), "Empty");
    HostBuffer none;
    EXPECT_EQ(plug.Dispatch(effGetProgramNameIndexed, 2, 0, none.data), 0);
    EXPECT_STREQ(none.data, "");
    EXPECT_EQ(plug.Dispatch(effGetProgramNameIndexed, 0), 0);
}

TEST_F(IPlugVSTTest, ProgramAndBankChunksRoundTrip) {
    TestVST plug;
    plug.Send(effSetProgramName, 0, "Lead");
    void* data = nullptr;
    const VstIntPtr size = plug.GetChunk(1, &data);
    ASSERT_EQ(size, 8 + 3 * 8 + 4 + 4);
    const auto* bytes = static_cast<const unsigned char*>(data);
    EXPECT_EQ(std::memcmp(bytes, "\x74\x66\x66\x70\x00\x00\x01\x00", 8), 0);
    EXPECT_EQ(std::memcmp(bytes + size - 8, "\x04\x00\x00\x00Lead", 8), 0);
    TestVST other;
    other.GetParam(0)->Set(90.0);
    EXPECT_EQ(other.Dispatch(effSetChunk, 1, size, data), 1);
    EXPECT_DOUBLE_EQ(other.Value(0), 25.0);
    EXPECT_STREQ(other.GetPresetName(0), "Lead");
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, size, data), 1); // the pointer handed out comes back

    plug.Dispatch(effSetProgram, 0, 1);
    plug.Send(effSetProgramName, 0, "Two");
    const VstIntPtr bankSize = plug.GetChunk(0, &data);
    ASSERT_EQ(bankSize, 8 + (4 + 4 + 1 + 24) + (4 + 3 + 1 + 24));
    EXPECT_EQ(other.Dispatch(effSetChunk, 0, bankSize, data), 1);
    EXPECT_STREQ(other.GetPresetName(1), "Two");
}

TEST_F(IPlugVSTTest, ProgramChunkNameIsOptional) {
    TestVST plug;
    plug.Send(effSetProgramName, 0, "Keep");
    ByteChunk chunk;
    InitChunkWithIPlugVer(&chunk);
    for (double v : {50.0, 0.0, 0.0}) chunk.Put(v);
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, chunk.Size(), chunk.GetData()), 1);
    EXPECT_DOUBLE_EQ(plug.Value(0), 50.0);

    chunk.PutBytes("ab", 2); // fewer than four bytes after the state
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, chunk.Size(), chunk.GetData()), 0);

    ByteChunk headerless;
    for (double v : {70.0, 2.0, 0.0}) headerless.Put(v);
    headerless.Put(int32_t{-3}); // a name length that is not positive
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, headerless.Size(), headerless.GetData()), 1);
    EXPECT_DOUBLE_EQ(plug.Value(0), 70.0);
    EXPECT_STREQ(plug.GetPresetName(0), "Keep");
}

TEST_F(IPlugVSTTest, ChunkCallsWithoutBuffersAreRefused) {
    TestVST plug;
    plug.GetParam(0)->Set(33.0);
    unsigned char bytes[16] = {};
    for (int isProgram : {0, 1}) EXPECT_EQ(plug.Dispatch(effGetChunk, isProgram), 0);
    using Case = std::tuple<int, VstIntPtr, void*>;
    for (const auto& [isProgram, size, data] :
         {Case{1, 16, nullptr}, Case{1, -16, bytes}, Case{0, VstIntPtr{1} << 40, bytes}})
        EXPECT_EQ(plug.Dispatch(effSetChunk, isProgram, size, data), 0) << size;
    EXPECT_DOUBLE_EQ(plug.Value(0), 33.0);
}

TEST_F(IPlugVSTTest, BankRequestingHostsGetProgramChunksAndMayHandBackBanks) {
    TestVST bankSource;
    bankSource.Send(effSetProgramName, 0, "First");
    void* data = nullptr;
    const VstIntPtr bankSize = bankSource.GetChunk(0, &data);

    fakeHost.vendor = "NATIVE Instruments";
    fakeHost.calls.clear();
    TestVST plug;
    EXPECT_EQ(plug.Dispatch(effSetChunk, 0, bankSize, data), 1);
    EXPECT_STREQ(plug.GetPresetName(0), "First");
    const VstIntPtr programSize = plug.GetChunk(0, &data);
    EXPECT_EQ(programSize, 8 + 3 * 8 + 4 + 5); // a program chunk: state and "First"
    EXPECT_EQ(plug.Dispatch(effSetChunk, 1, programSize, data), 1);
    EXPECT_EQ(fakeHost.Count(audioMasterGetVendorString), 1);
}

TEST_F(IPlugVSTTest, HostIsIdentifiedOnceAndOpenResetsParameters) {
    TestVST plug;
    TestVST anonymous;
    // An unknown host is asked for its version no more than a known one is asked twice.
    for (const auto& [vst, product, host, version] :
         {std::tuple{&plug, "REAPER", kHostReaper, 0x00003B28}, {&anonymous, "", kHostUnknown, 0}}) {
        fakeHost.calls.clear();
        fakeHost.product = product;
        EXPECT_EQ(vst->GetHost(), host);
        EXPECT_EQ(vst->GetHostVersion(false), version);
        vst->GetHost();
        EXPECT_EQ(fakeHost.Count(audioMasterGetProductString), 1);
        EXPECT_EQ(fakeHost.Count(audioMasterGetVendorVersion), version ? 1 : 0);
    }

    // Forte connects only the first stereo pair of inputs; Ardour gets them all.
    for (const auto& [product, connected] : {std::pair{"Forte 4", false}, {"Ardour", true}}) {
        fakeHost.product = product;
        TestVST fourInputs("4-4");
        fourInputs.log.clear();
        EXPECT_EQ(fourInputs.Dispatch(effOpen), 0);
        EXPECT_EQ(std::pair(fourInputs.IsInChannelConnected(1), fourInputs.IsInChannelConnected(2)),
                  std::pair(true, connected));
        EXPECT_EQ(fourInputs.log, (Log{"host identified", "change 0", "change 1", "change 2"}));
        fakeHost.calls.clear();
        fourInputs.Dispatch(effOpen);
        EXPECT_EQ(fakeHost.Count(audioMasterGetProductString), 0);
    }
}

TEST_F(IPlugVSTTest, AudioSettingsAndSwitching) {
    TestVST plug;
    plug.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    for (float bad : {kNaN, 0.0f}) plug.Dispatch(effSetSampleRate, 0, 0, nullptr, bad);
    EXPECT_DOUBLE_EQ(plug.GetSampleRate(), 48000.0);
    plug.Dispatch(effSetBlockSize, 0, 256);
    for (VstIntPtr bad : {VstIntPtr{0}, VstIntPtr{1} << 40}) plug.Dispatch(effSetBlockSize, 0, bad);
    EXPECT_EQ(plug.GetBlockSize(), 256);
    plug.log.clear();
    for (const auto& [opcode, value] :
         {std::pair{effMainsChanged, 1}, {effMainsChanged, 0}, {effEditIdle, 0}, {effIdle, 0}})
        EXPECT_EQ(plug.Dispatch(opcode, 0, value), 0);
    EXPECT_EQ(plug.log, (Log{"activate 1", "activate 0", "reset", "idle", "idle"}));
}

TEST_F(IPlugVSTTest, EditorOpcodesNeedAnEditor) {
    TestVST plug;
    ERect* rect = nullptr;
    for (VstInt32 opcode : {effEditOpen, effEditClose}) EXPECT_EQ(plug.Dispatch(opcode), 0);
    EXPECT_EQ(plug.Dispatch(effEditGetRect, 0, 0, &rect), 0);

    auto* editor = new RecordingEditor(&plug.log);
    plug.AttachGraphics(editor);
    EXPECT_EQ(plug.GetAEffect()->flags, 0x1131);
    EXPECT_EQ(plug.Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ((std::array{rect->top, rect->left, rect->bottom, rect->right}),
              (std::array<short, 4>{0, 0, 776, 1127}));
    EXPECT_EQ(plug.Dispatch(effEditGetRect), 0);

    plug.log.clear();
    EXPECT_EQ(plug.Dispatch(effEditOpen), 1);
    EXPECT_EQ(plug.Dispatch(effEditClose), 1);
    editor->openSucceeds = false;
    EXPECT_EQ(plug.Dispatch(effEditOpen), 0);
    EXPECT_EQ(plug.log, (Log{"open", "gui open", "gui close", "close", "open"}));

    editor->width = 640;
    plug.ResizeGraphics(1, 1);
    EXPECT_EQ(rect->right, 640);
}

TEST_F(IPlugVSTTest, PinsAndSpeakerArrangements) {
    TestVST plug;
    VstPinProperties pin{};
    EXPECT_EQ(plug.Dispatch(effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ(plug.Dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    using Case = std::tuple<int, int, const char*>;
    for (const auto& [idx, flags, label] :
         {Case{0, kVstPinIsActive | kVstPinIsStereo, "Output 1"}, Case{1, kVstPinIsActive, "Output 2"}}) {
        EXPECT_EQ(plug.Dispatch(effGetOutputProperties, idx, 0, &pin), 1);
        EXPECT_EQ(pin.flags, flags);
        EXPECT_STREQ(pin.label, label);
    }

    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(plug.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ((std::array{in->type, in->numChannels, out->type, out->numChannels}),
              (std::array<VstInt32, 4>{kSpeakerArrEmpty, 0, kSpeakerArrStereo, 2}));
    EXPECT_EQ(plug.Dispatch(effGetSpeakerArrangement), 1);

    VstSpeakerArrangement mono{};
    mono.numChannels = 1;
    EXPECT_EQ(plug.Dispatch(effSetSpeakerArrangement, 0, 0, &mono), 1);
    EXPECT_FALSE(plug.IsOutChannelConnected(1));
}

TEST_F(IPlugVSTTest, IncomingEventsBecomeMessages) {
    TestVST plug;
    VstMidiEvent note{kVstMidiType, sizeof(VstMidiEvent), 100, 0, 0, 0, {char(0x91), 60, 127, 0}, 0, 0, 0, 0};
    VstMidiEvent late = note;
    late.deltaFrames = 1 << 20;
    char dump[] = {char(0xF0), 0x3E, char(0xF7)};
    VstMidiSysexEvent sysex{kVstSysExType, sizeof(VstMidiSysexEvent), 5, 0, 3, 0, dump, 0};
    VstMidiSysexEvent badSysex = sysex;
    badSysex.dumpBytes = -7;
    VstEvent unknown{3, 0, 0, 0, {}};
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[6];
    } events{6,
             0,
             {reinterpret_cast<VstEvent*>(&note), &unknown, nullptr, reinterpret_cast<VstEvent*>(&sysex),
              reinterpret_cast<VstEvent*>(&late), reinterpret_cast<VstEvent*>(&badSysex)}};
    EXPECT_EQ(plug.Dispatch(effProcessEvents, 0, 0, &events), 1);
    EXPECT_EQ(plug.midiIn, (decltype(plug.midiIn){{100, 0x91, 60, 127}, {1 << 20, 0x91, 60, 127}}));
    using SysEx = std::pair<int, std::string>;
    EXPECT_EQ(plug.sysexIn, (std::vector<SysEx>{{5, std::string(dump, 3)}, {5, ""}}));
}

TEST_F(IPlugVSTTest, OutgoingMidiIsOneEventPerCall) {
    TestVST plug;
    IMidiMsg msg(17, 0x92, 64, 90);
    EXPECT_TRUE(plug.SendMidiMsg(&msg));
    ASSERT_EQ(fakeHost.midiEvents.size(), 1u);
    const VstMidiEvent& e = fakeHost.midiEvents[0];
    EXPECT_EQ((std::array<int, 5>{e.type, e.byteSize, e.deltaFrames, e.flags, e.noteLength}),
              (std::array<int, 5>{kVstMidiType, 32, 17, 0, 0}));
    EXPECT_EQ(std::memcmp(e.midiData, "\x92\x40\x5A\x00", 4), 0);

    const uint8_t bytes[] = {0xF0, 0x01, 0xF7};
    ISysEx sysex(9, bytes, 3);
    EXPECT_TRUE(plug.SendSysEx(&sysex));
    ASSERT_EQ(fakeHost.sysexEvents.size(), 1u);
    const VstMidiSysexEvent& sent = fakeHost.sysexEvents[0];
    EXPECT_EQ((std::array<int, 4>{sent.type, sent.byteSize, sent.deltaFrames, sent.dumpBytes}),
              (std::array<int, 4>{kVstSysExType, 48, 9, 3}));
    EXPECT_EQ(sent.sysexDump, reinterpret_cast<const char*>(bytes));

    fakeHost.eventsAnswer = 0;
    EXPECT_FALSE(plug.SendMidiMsg(&msg));
}

TEST_F(IPlugVSTTest, ParameterAndProgramNewsReachTheHost) {
    TestVST plug;
    plug.BeginInformHostOfParamChange(2);
    plug.InformHostOfParamChange(2, 0.75);
    plug.EndInformHostOfParamChange(2);
    plug.InformHostOfProgramChange();
    std::vector<std::tuple<VstInt32, VstInt32, float>> calls;
    for (const FakeHost::Call& call : fakeHost.calls) calls.emplace_back(call.opcode, call.index, call.opt);
    EXPECT_EQ(calls, (decltype(calls){{audioMasterBeginEdit, 2, 0.0f},
                                      {audioMasterAutomate, 2, 0.75f},
                                      {audioMasterEndEdit, 2, 0.0f},
                                      {audioMasterUpdateDisplay, 0, 0.0f}}));
}

TEST_F(IPlugVSTTest, TimeQueriesAskWithTheirMasks) {
    TestVST plug;
    VstTimeInfo& time = fakeHost.time;
    time = {10.5, 44100.0, 0.0, 3.0, 90.0, 2.0, 4.0, 8.0, 7, 8, 0, 0, 0, kVstTempoValid};

    int num = -1, den = -1;
    ITimeInfo info;
    EXPECT_EQ(plug.GetSamplePos(), 11);
    EXPECT_EQ(plug.GetTempo(), 90.0);
    plug.GetTimeSig(&num, &den);
    plug.GetTime(&info);
    std::vector<VstIntPtr> masks;
    for (const FakeHost::Call& call : fakeHost.calls) masks.push_back(call.value);
    EXPECT_EQ(masks, (std::vector<VstIntPtr>{0, 0x400, 0x2000, 0x3E00}));
    EXPECT_EQ(std::pair(num, den), std::pair(0, 0));
    EXPECT_EQ((std::array{info.samplePos, info.tempo, info.ppqPos}), (std::array{10.5, 90.0, -1.0}));
    EXPECT_EQ(info.numerator, 4);

    time.flags = kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                 kVstTransportPlaying | kVstTransportCycleActive;
    plug.GetTime(&info);
    EXPECT_EQ((std::array{info.ppqPos, info.lastBar, info.cycleStart, info.cycleEnd}),
              (std::array{3.0, 2.0, 4.0, 8.0}));
    EXPECT_EQ(std::pair(info.numerator, info.denominator), std::pair(7, 8));
    EXPECT_TRUE(info.transportIsRunning && info.transportLoopEnabled);
    plug.GetTimeSig(&num, &den);
    EXPECT_EQ(std::pair(num, den), std::pair(7, 8));
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
    EXPECT_EQ((std::array{left[2], right[0], left[3]}), (std::array{0.0f, 0.0f, 0.5f}));
    double dLeft[2] = {1, 1}, dRight[2] = {1, 1};
    double* dOutputs[] = {dLeft, dRight};
    effect->processDoubleReplacing(effect, nullptr, dOutputs, 2);
    EXPECT_EQ(std::pair(dLeft[1], dRight[0]), std::pair(0.0, 0.0));
    EXPECT_EQ(fakeHost.Count(audioMasterWantMidi), 3);
    EXPECT_EQ(plug.mxcsrInProcess & 0x8040u, 0x8040u);
    EXPECT_EQ(_mm_getcsr(), hostMode);

    left[0] = 0.5f;
    effect->processReplacing(effect, nullptr, outputs, 0);
    effect->processReplacing(effect, nullptr, nullptr, 4);
    EXPECT_EQ(left[0], 0.5f);
    EXPECT_EQ(fakeHost.Count(audioMasterWantMidi), 5);

    TestVST mono("1-1", false);
    mono.GetAEffect()->processReplacing(mono.GetAEffect(), nullptr, outputs, 4); // an input is missing
    EXPECT_EQ(left[0], 0.5f);
    float* inputs[] = {right};
    mono.GetAEffect()->processReplacing(mono.GetAEffect(), inputs, nullptr, 4); // the output is missing
    EXPECT_EQ(mono.mxcsrInProcess, 0u);                                         // nothing was rendered
}

TEST_F(IPlugVSTTest, CloseDeletesThePluginAndAnOrphanAnswersNothing) {
    bool deleted = false;
    auto* plug = new TestVST;
    plug->deleted = &deleted;
    EXPECT_EQ(plug->Dispatch(effClose), 0);
    EXPECT_TRUE(deleted);

    AEffect orphan{};
    EXPECT_EQ(IPlugVST::VSTDispatcher(&orphan, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IPlugVST::VSTGetParameter(&orphan, 0), 0.0f);
}
