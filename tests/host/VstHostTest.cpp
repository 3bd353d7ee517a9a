// Drives the built Korvanta.so through its exported entry points only, the way a host does.

#include "plugin/vst2/Vst2.h"

#include <dlfcn.h>
#include <malloc.h>
#include <xmmintrin.h>

#include <array>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <new>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Counts every allocation in the process, the loaded module's included, so that the audio path can be
// shown to allocate nothing.
namespace {
std::atomic<long> allocations{0};
void* countedAlloc(size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();
}
} // namespace

void* operator new(size_t size) {
    return countedAlloc(size);
}
void* operator new[](size_t size) {
    return countedAlloc(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return countedAlloc(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return countedAlloc(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

using EntryProc = AEffect* (*)(audioMasterCallback);

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
};

// What the plug-in asked of its host, answered like a plain host would.
struct RecordingHost {
    std::vector<HostCall> calls;
    int Count(VstInt32 opcode) const {
        int n = 0;
        for (const HostCall& call : calls) n += call.opcode == opcode;
        return n;
    }
};

RecordingHost* recorder = nullptr;

VstIntPtr recordingCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    if (recorder) recorder->calls.push_back({opcode, index, value});
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetProductString:
        std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", "Korvanta Host Test");
        return 1;
    case audioMasterGetVendorString:
        std::snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "%s", "Test Bench");
        return 1;
    case audioMasterGetVendorVersion:
        return 10203;
    default:
        return 0;
    }
}

class VstHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
        pluginMain = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"));
        legacyMain = reinterpret_cast<EntryProc>(dlsym(module, "main"));
    }
    // Hosts unload plug-ins they no longer use: the module must leave nothing behind when it goes.
    static void TearDownTestSuite() {
        if (module) dlclose(module);
        module = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(pluginMain, nullptr);
        recorder = &host;
    }
    void TearDown() override {
        for (AEffect* effect : open) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        recorder = nullptr;
    }

    AEffect* Create(EntryProc entry = nullptr) {
        AEffect* effect = (entry ? entry : pluginMain)(recordingCallback);
        if (effect) open.push_back(effect);
        return effect;
    }
    // Opened, rated and switched on, ready to process.
    AEffect* CreateRunning(float rate, VstIntPtr blockSize) {
        AEffect* effect = Create();
        Dispatch(effect, effOpen);
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
        Dispatch(effect, effSetBlockSize, 0, blockSize);
        Dispatch(effect, effMainsChanged, 0, 1);
        return effect;
    }
    void Close(AEffect* effect) {
        std::erase(open, effect);
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    static VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    static std::vector<unsigned char> ProgramChunk(AEffect* effect) {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effect, effGetChunk, 1, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return size > 0 ? std::vector<unsigned char>(bytes, bytes + size) : std::vector<unsigned char>{};
    }

    static void* module;
    static EntryProc pluginMain;
    static EntryProc legacyMain;
    RecordingHost host;
    std::vector<AEffect*> open;
};

void* VstHost::module = nullptr;
EntryProc VstHost::pluginMain = nullptr;
EntryProc VstHost::legacyMain = nullptr;

constexpr char kSentinel = 0x7F;

// A host buffer filled with a sentinel, to see how far the plug-in wrote.
struct HostBuffer {
    HostBuffer() { std::memset(bytes, kSentinel, sizeof bytes); }
    char* data() { return bytes; }
    // Bytes written, terminator included; 0 when nothing was written.
    size_t Extent() const {
        size_t last = 0;
        for (size_t i = 0; i < sizeof bytes; ++i)
            if (bytes[i] != kSentinel) last = i + 1;
        return last;
    }
    bool Terminated() const { return std::memchr(bytes, '\0', sizeof bytes) != nullptr; }
    char bytes[512];
};

} // namespace

TEST_F(VstHost, ModuleExportsExactlyTheTwoEntryPoints) {
    const std::string command = std::string("nm -D --defined-only ") + KORVANTA_MODULE;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST_F(VstHost, EntryPointFillsTheAEffect) {
    AEffect* effect = Create();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->flags, 0x1131);
    EXPECT_EQ(effect->numPrograms, 64);
    EXPECT_EQ(effect->numParams, 153);
    EXPECT_EQ(effect->numInputs, 0);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->uniqueID, 0x6B6F7276);
    EXPECT_EQ(effect->version, 10105);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    for (char c : effect->future) EXPECT_EQ(c, 0);
}

TEST_F(VstHost, MainBehavesAsVSTPluginMain) {
    ASSERT_NE(legacyMain, nullptr);
    AEffect* a = Create();
    AEffect* b = Create(legacyMain);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a->object, b->object);
    const auto fields = [](const AEffect* e) {
        return std::vector<VstIntPtr>{
            e->magic,      e->flags,    e->numPrograms, e->numParams,
            e->numOutputs, e->uniqueID, e->version,     reinterpret_cast<VstIntPtr>(e->dispatcher)};
    };
    EXPECT_EQ(fields(b), fields(a));
    EXPECT_EQ(Dispatch(b, effGetVstVersion), 2400);
    EXPECT_EQ(ProgramChunk(a), ProgramChunk(b));
}

TEST_F(VstHost, DispatcherAnswersEveryOpcodeOfItsTable) {
    AEffect* effect = Create();
    HostBuffer text;
    void* chunk = nullptr;
    VstPinProperties pin{};
    VstSpeakerArrangement arrangement{};
    arrangement.numChannels = 2;
    VstSpeakerArrangement* inArr = nullptr;
    VstSpeakerArrangement* outArr = nullptr;
    MidiKeyName key{};
    key.thisKeyNumber = 60;
    VstEvents noEvents{};
    char* lead = const_cast<char*>("Lead");
    char* one = const_cast<char*>("1");
    char* canDo = const_cast<char*>("receiveVstMidiEvent");
    ERect* rect = nullptr;

    struct Case {
        const char* name;
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        void* ptr;
        float opt;
        VstIntPtr answer;
    };
    const std::vector<Case> cases{
        {"effOpen", effOpen, 0, 0, nullptr, 0, 0},
        {"effSetSampleRate", effSetSampleRate, 0, 0, nullptr, 48000.0f, 0},
        {"effSetBlockSize", effSetBlockSize, 0, 512, nullptr, 0, 0},
        {"effMainsChanged on", effMainsChanged, 0, 1, nullptr, 0, 0},
        {"effSetProgram", effSetProgram, 0, 3, nullptr, 0, 0},
        {"effGetProgram", effGetProgram, 0, 0, nullptr, 0, 3},
        {"effSetProgramName", effSetProgramName, 0, 0, lead, 0, 0},
        {"effGetProgramName", effGetProgramName, 0, 0, text.data(), 0, 0},
        {"effGetParamLabel", effGetParamLabel, 0, 0, text.data(), 0, 0},
        {"effGetParamDisplay", effGetParamDisplay, 0, 0, text.data(), 0, 0},
        {"effGetParamName", effGetParamName, 0, 0, text.data(), 0, 0},
        {"effEditGetRect", effEditGetRect, 0, 0, &rect, 0, 1},
        {"effEditOpen", effEditOpen, 0, 0, nullptr, 0, 0},
        {"effEditClose", effEditClose, 0, 0, nullptr, 0, 1},
        {"effEditIdle", effEditIdle, 0, 0, nullptr, 0, 0},
        {"effIdle", effIdle, 0, 0, nullptr, 0, 0},
        {"effIdentify", effIdentify, 0, 0, nullptr, 0, 0x4E764566},
        {"effProcessEvents", effProcessEvents, 0, 0, &noEvents, 0, 1},
        {"effCanBeAutomated", effCanBeAutomated, 0, 0, nullptr, 0, 1},
        {"effString2Parameter", effString2Parameter, 0, 0, one, 0, 1},
        {"effGetProgramNameIndexed", effGetProgramNameIndexed, 5, 0, text.data(), 0, 1},
        {"effGetInputProperties", effGetInputProperties, 0, 0, &pin, 0, 0},
        {"effGetOutputProperties", effGetOutputProperties, 0, 0, &pin, 0, 1},
        {"effGetPlugCategory", effGetPlugCategory, 0, 0, nullptr, 0, kPlugCategSynth},
        {"effSetSpeakerArrangement", effSetSpeakerArrangement, 0, 0, &arrangement, 0, 1},
        {"effGetEffectName", effGetEffectName, 0, 0, text.data(), 0, 1},
        {"effGetVendorString", effGetVendorString, 0, 0, text.data(), 0, 1},
        {"effGetProductString", effGetProductString, 0, 0, text.data(), 0, 1},
        {"effGetVendorVersion", effGetVendorVersion, 0, 0, nullptr, 0, 10105},
        {"effVendorSpecific display", effVendorSpecific, effGetParamDisplay, 0, text.data(), 0.5f, 0xBEEF},
        {"effVendorSpecific other", effVendorSpecific, 99, 0, nullptr, 0, 0},
        {"effCanDo", effCanDo, 0, 0, canDo, 0, 1},
        {"effGetTailSize", effGetTailSize, 0, 0, nullptr, 0, 0},
        {"effGetVstVersion", effGetVstVersion, 0, 0, nullptr, 0, 2400},
        {"effGetMidiKeyName", effGetMidiKeyName, 0, 0, &key, 0, 0},
        {"effGetSpeakerArrangement", effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inArr),
         &outArr, 0, 1},
        {"effMainsChanged off", effMainsChanged, 0, 0, nullptr, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Dispatch(effect, c.opcode, c.index, c.value, c.ptr, c.opt), c.answer) << c.name;

    const VstIntPtr programSize = Dispatch(effect, effGetChunk, 1, 0, &chunk);
    ASSERT_GT(programSize, 8);
    std::vector<unsigned char> program(static_cast<unsigned char*>(chunk),
                                       static_cast<unsigned char*>(chunk) + programSize);
    EXPECT_EQ(std::memcmp(program.data(), "\x74\x66\x66\x70\x00\x00\x01\x00", 8), 0);
    EXPECT_EQ(std::memcmp(program.data() + programSize - 8, "\x04\x00\x00\x00Lead", 8), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, programSize, program.data()), 1);

    const VstIntPtr bankSize = Dispatch(effect, effGetChunk, 0, 0, &chunk);
    ASSERT_GT(bankSize, programSize);
    std::vector<unsigned char> bank(static_cast<unsigned char*>(chunk),
                                    static_cast<unsigned char*>(chunk) + bankSize);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, bankSize, bank.data()), 1);

    ASSERT_TRUE(inArr && outArr);
    EXPECT_EQ(inArr->type, kSpeakerArrEmpty);
    EXPECT_EQ(inArr->numChannels, 0);
    EXPECT_EQ(outArr->type, kSpeakerArrStereo);
    EXPECT_EQ(outArr->numChannels, 2);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 1127);
    EXPECT_EQ(rect->bottom - rect->top, 776);
    EXPECT_STREQ(key.keyName, "");

    // Unknown and deprecated opcodes, and everything past the table, answer 0.
    for (VstInt32 opcode :
         {9,  16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 38, 39, 40, 41, 43, 44, 46, 54, 55,   56, 57,
          59, 60, 61, 62, 63, 64, 65, 67, 68, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 1000, -1})
        EXPECT_EQ(Dispatch(effect, opcode), 0) << opcode;
}

TEST_F(VstHost, IdentityTexts) {
    AEffect* effect = Create();
    auto textOf = [&](VstInt32 opcode, VstInt32 index = 0) {
        HostBuffer text;
        Dispatch(effect, opcode, index, 0, text.data());
        return std::string(text.data());
    };
    EXPECT_EQ(textOf(effGetEffectName), "Korvanta");
    EXPECT_EQ(textOf(effGetVendorString), "Marrow Lane Audio");
    EXPECT_EQ(textOf(effGetProductString), "");
    // Every program holds a sound from creation on, so every one has a name.
    for (int i = 0; i < 64; ++i) {
        const std::string name = textOf(effGetProgramNameIndexed, i);
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_LE(name.size(), 23u) << i;
    }
    EXPECT_EQ(textOf(effGetProgramName),
              textOf(effGetProgramNameIndexed, static_cast<VstInt32>(Dispatch(effect, effGetProgram))));

    VstPinProperties pin{};
    Dispatch(effect, effGetOutputProperties, 0, 0, &pin);
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_STREQ(pin.label, "Output 1");
    Dispatch(effect, effGetOutputProperties, 1, 0, &pin);
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_STREQ(pin.label, "Output 2");

    struct CanDo {
        const char* text;
        VstIntPtr answer;
    };
    for (const CanDo& c :
         {CanDo{"receiveVstTimeInfo", 1}, CanDo{"sendVstEvents", 1}, CanDo{"sendVstMidiEvent", 1},
          CanDo{"receiveVstEvents", 1}, CanDo{"receiveVstMidiEvent", 1},
          CanDo{"hasCockosExtensions", 0xBEEF0000}, CanDo{"hasCockosViewAsConfig", 0xBEEF0000},
          CanDo{"offline", 0}, CanDo{"bypass", 0}, CanDo{"", 0}, CanDo{"SENDVSTEVENTS", 0},
          CanDo{"sendVstEventsAndMore", 0}})
        EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>(c.text)), c.answer) << c.text;
}

TEST_F(VstHost, ParametersThroughTheStaticEntries) {
    AEffect* effect = Create();
    for (int i = 0; i < effect->numParams; ++i) {
        effect->setParameter(effect, i, 1.0f);
        EXPECT_EQ(effect->getParameter(effect, i), 1.0f) << i;
        effect->setParameter(effect, i, 0.0f);
        EXPECT_EQ(effect->getParameter(effect, i), 0.0f) << i;
    }
    struct Case {
        float sent;
        float read;
    };
    for (const Case& c :
         {Case{std::numeric_limits<float>::quiet_NaN(), 0.0f},
          Case{std::numeric_limits<float>::infinity(), 1.0f},
          Case{-std::numeric_limits<float>::infinity(), 0.0f}, Case{7.0f, 1.0f}, Case{-7.0f, 0.0f}}) {
        effect->setParameter(effect, 0, c.sent);
        EXPECT_EQ(effect->getParameter(effect, 0), c.read) << c.sent;
    }

    const std::vector<unsigned char> before = ProgramChunk(effect);
    for (int idx : {-1, 153, 154, INT_MAX, INT_MIN}) {
        effect->setParameter(effect, idx, 0.5f);
        EXPECT_EQ(effect->getParameter(effect, idx), 0.0f) << idx;
    }
    EXPECT_EQ(ProgramChunk(effect), before);
    EXPECT_EQ(host.Count(audioMasterAutomate), 0); // a host's own change is not echoed back

    for (const char* text : {"nan", "inf", "-inf", "1e999", "junk"}) {
        EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, const_cast<char*>(text)), 1) << text;
        const float value = effect->getParameter(effect, 0);
        EXPECT_TRUE(std::isfinite(value) && value >= 0.0f && value <= 1.0f) << text;
    }
}

TEST_F(VstHost, EventsArriveThroughProcessEvents) {
    AEffect* effect = CreateRunning(44100.0f, 64);

    auto midi = [](int delta, unsigned char status, char d1, char d2) {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = delta;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = d1;
        event.midiData[2] = d2;
        return event;
    };
    std::array<VstMidiEvent, 5> notes{midi(0, 0x90, 60, 100), midi(10, 0x80, 60, 0), midi(-5, 0x90, 64, 90),
                                      midi(1 << 30, 0xB0, 7, 127), midi(63, 0xE0, 0, 64)};
    char dump[] = {static_cast<char>(0xF0), 0x7E, 0x00, static_cast<char>(0xF7)};
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof sysex;
    sysex.dumpBytes = sizeof dump;
    sysex.sysexDump = dump;
    VstMidiSysexEvent emptySysex = sysex;
    emptySysex.sysexDump = nullptr;
    emptySysex.dumpBytes = 1 << 30;
    VstEvent unknown{};
    unknown.type = 99;
    unknown.byteSize = sizeof unknown;

    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[10];
    } list{};
    int n = 0;
    for (VstMidiEvent& event : notes) list.events[n++] = reinterpret_cast<VstEvent*>(&event);
    list.events[n++] = reinterpret_cast<VstEvent*>(&sysex);
    list.events[n++] = reinterpret_cast<VstEvent*>(&emptySysex);
    list.events[n++] = &unknown;
    list.events[n++] = nullptr;
    list.numEvents = n;
    EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
    list.numEvents = 0;
    EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(Dispatch(effect, effProcessEvents), 0);

    std::vector<float> left(64, 0.3f), right(64, 0.3f);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 64);
    for (float v : left) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(VstHost, ProcessEntriesReplaceAccumulateAndWriteDoubles) {
    AEffect* effect = CreateRunning(48000.0f, 32);
    host.calls.clear();

    const unsigned hostMode = _mm_getcsr();
    std::vector<float> left(33, 0.25f), right(33, 0.25f);
    float* outputs[] = {left.data(), right.data()};

    effect->process(effect, nullptr, outputs, 32);
    EXPECT_EQ(left[0], 0.25f); // silence added to what was there
    EXPECT_EQ(right[31], 0.25f);
    EXPECT_EQ(_mm_getcsr(), hostMode);

    effect->processReplacing(effect, nullptr, outputs, 32);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(left[i], 0.0f);
        EXPECT_EQ(right[i], 0.0f);
    }
    EXPECT_EQ(left[32], 0.25f);
    EXPECT_EQ(_mm_getcsr(), hostMode);

    std::vector<double> dLeft(33, 0.5), dRight(33, 0.5);
    double* dOutputs[] = {dLeft.data(), dRight.data()};
    effect->processDoubleReplacing(effect, nullptr, dOutputs, 32);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(dLeft[i], 0.0);
        EXPECT_EQ(dRight[i], 0.0);
    }
    EXPECT_EQ(dLeft[32], 0.5);
    EXPECT_EQ(_mm_getcsr(), hostMode);

    // More frames than announced, none, and no buffers at all.
    std::vector<float> longLeft(4096, 1.0f), longRight(4096, 1.0f);
    float* longOutputs[] = {longLeft.data(), longRight.data()};
    effect->processReplacing(effect, nullptr, longOutputs, 4096);
    EXPECT_EQ(longLeft[4095], 0.0f);
    effect->processReplacing(effect, nullptr, outputs, 0);
    effect->processReplacing(effect, nullptr, outputs, -8);
    effect->processReplacing(effect, nullptr, nullptr, 32);
    effect->processDoubleReplacing(effect, nullptr, nullptr, 32);

    EXPECT_EQ(host.Count(audioMasterWantMidi), 8);
    // Besides asking for MIDI, a process call may only ask for the transport, with one of the four masks.
    for (const HostCall& call : host.calls) {
        if (call.opcode == audioMasterWantMidi) continue;
        EXPECT_EQ(call.opcode, audioMasterGetTime);
        EXPECT_TRUE(call.value == 0 || call.value == kVstTempoValid || call.value == kVstTimeSigValid ||
                    call.value == 0x3E00)
            << call.value;
    }
}

TEST_F(VstHost, AudioPathAllocatesNothing) {
    const long beforeCreation = allocations;
    AEffect* effect = CreateRunning(48000.0f, 256);
    ASSERT_GT(allocations, beforeCreation); // the counter sees the module's allocations
    std::vector<float> left(256), right(256);
    float* outputs[] = {left.data(), right.data()};
    std::vector<double> dLeft(256), dRight(256);
    double* dOutputs[] = {dLeft.data(), dRight.data()};
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);

    host.calls.reserve(host.calls.size() + 1000); // the recorder itself must not count
    const long before = allocations;
    for (int block = 0; block < 100; ++block) {
        note.deltaFrames = block;
        Dispatch(effect, effProcessEvents, 0, 0, &events);
        effect->processReplacing(effect, nullptr, outputs, 256);
        effect->process(effect, nullptr, outputs, 256);
        effect->processDoubleReplacing(effect, nullptr, dOutputs, 256);
        effect->setParameter(effect, block % 153, 0.5f);
        effect->getParameter(effect, block % 153);
    }
    EXPECT_EQ(allocations - before, 0);
}

TEST_F(VstHost, AudioAndEditorThreadsMayCallAtOnce) {
    AEffect* effect = CreateRunning(44100.0f, 128);
    host.calls.reserve(10000);
    std::thread audio([effect] {
        std::vector<float> left(128), right(128);
        float* outputs[] = {left.data(), right.data()};
        for (int block = 0; block < 2000; ++block) effect->processReplacing(effect, nullptr, outputs, 128);
    });
    for (int round = 0; round < 200; ++round) {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effect, effGetChunk, round % 2, 0, &data);
        const std::vector<unsigned char> copy(static_cast<unsigned char*>(data),
                                              static_cast<unsigned char*>(data) + size);
        Dispatch(effect, effSetChunk, round % 2, size, const_cast<unsigned char*>(copy.data()));
        Dispatch(effect, effSetProgram, 0, round % 64);
        effect->setParameter(effect, round % 153, 0.5f);
    }
    audio.join();
    EXPECT_EQ(Dispatch(effect, effGetProgram), 199 % 64);
}

TEST_F(VstHost, HostIdentityIsAskedOnce) {
    AEffect* effect = Create();
    Dispatch(effect, effOpen);
    Dispatch(effect, effOpen);
    EXPECT_EQ(host.Count(audioMasterGetProductString), 1);
    EXPECT_EQ(host.Count(audioMasterGetVendorVersion), 1);
    void* chunk = nullptr;
    for (int i = 0; i < 3; ++i) {
        Dispatch(effect, effGetChunk, 0, 0, &chunk);
        Dispatch(effect, effGetChunk, 1, 0, &chunk);
    }
    EXPECT_EQ(host.Count(audioMasterGetVendorString), 1);
    // Besides the identity questions, only the display refresh that loading the shipped bank at creation
    // asks for.
    for (const HostCall& call : host.calls)
        EXPECT_TRUE(call.opcode == audioMasterGetProductString ||
                    call.opcode == audioMasterGetVendorVersion || call.opcode == audioMasterGetVendorString ||
                    call.opcode == audioMasterUpdateDisplay)
            << call.opcode;
}

TEST_F(VstHost, CloseDeletesThePlugin) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the leak checker watches this under the sanitizers";
#else
    // Each instance holds 64 programs and 153 parameters; instances that are not deleted show as growth.
    for (int i = 0; i < 3; ++i) Close(Create());
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 50; ++i) Close(Create());
    const size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + 64 * 1024);
#endif
}

TEST_F(VstHost, NullPointersOnEveryOpcodeThatTakesOne) {
    AEffect* effect = Create();
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr answer;
    };
    for (const Case& c : {Case{effSetProgramName, 0, 0},
                          Case{effGetProgramName, 0, 0},
                          Case{effGetParamLabel, 0, 0},
                          Case{effGetParamDisplay, 0, 0},
                          Case{effGetParamName, 0, 0},
                          Case{effEditGetRect, 0, 0},
                          Case{effEditOpen, 0, 0},
                          Case{effGetChunk, 0, 0},
                          Case{effGetChunk, 1, 0},
                          Case{effSetChunk, 0, 0},
                          Case{effSetChunk, 1, 0},
                          Case{effProcessEvents, 0, 0},
                          Case{effString2Parameter, 0, 1},
                          Case{effGetProgramNameIndexed, 0, 0},
                          Case{effGetInputProperties, 0, 0},
                          Case{effGetOutputProperties, 0, 1},
                          Case{effSetSpeakerArrangement, 0, 1},
                          Case{effGetEffectName, 0, 0},
                          Case{effGetVendorString, 0, 0},
                          Case{effGetProductString, 0, 0},
                          Case{effVendorSpecific, effGetParamDisplay, 0},
                          Case{effCanDo, 0, 0},
                          Case{effGetMidiKeyName, 0, 0},
                          Case{effGetSpeakerArrangement, 0, 1}})
        EXPECT_EQ(Dispatch(effect, c.opcode, c.index, c.opcode == effSetChunk ? 64 : 0, nullptr), c.answer)
            << c.opcode << "/" << c.index;
}

TEST_F(VstHost, OutOfRangeIndicesWriteNothing) {
    AEffect* effect = Create();
    for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
        for (VstInt32 idx : {-1, 153, INT_MAX}) {
            HostBuffer text;
            EXPECT_EQ(Dispatch(effect, opcode, idx, 0, text.data()), 0);
            EXPECT_EQ(text.Extent(), 0u) << opcode << " " << idx;
        }
    for (VstInt32 idx : {-1, 64, INT_MIN}) {
        HostBuffer text;
        EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, idx, 0, text.data()), 0);
        EXPECT_STREQ(text.data(), "");
    }
    VstPinProperties pin{};
    for (VstInt32 idx : {-1, 2, 99}) {
        EXPECT_EQ(Dispatch(effect, effGetOutputProperties, idx, 0, &pin), 0);
        EXPECT_EQ(Dispatch(effect, effGetInputProperties, idx, 0, &pin), 0);
    }
    HostBuffer display;
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, effGetParamDisplay, 153, display.data(), 0.5f), 0xBEEF);
    EXPECT_EQ(display.Extent(), 0u);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, kVstParameterUsesIntStep, 153), 0);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, kVstParameterUsesIntStep, -1), 0);
    for (VstIntPtr program : {VstIntPtr{64}, VstIntPtr{-1}, VstIntPtr{1} << 33}) {
        Dispatch(effect, effSetProgram, 0, program);
        EXPECT_EQ(Dispatch(effect, effGetProgram), 0);
    }
}

TEST_F(VstHost, HostileChunksAreRefusedWithoutHarm) {
    AEffect* effect = Create();
    const std::vector<unsigned char> good = ProgramChunk(effect);
    ASSERT_GT(good.size(), 16u);
    unsigned char bytes[64] = {};
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, -1, bytes), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, -1, bytes), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 0, bytes), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, VstIntPtr{1} << 40, bytes), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, std::numeric_limits<VstIntPtr>::min(), bytes), 0);
    EXPECT_EQ(ProgramChunk(effect), good);

    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 13, const_cast<unsigned char*>(good.data())), 0);

    std::mt19937 random(1234);
    std::vector<unsigned char> noise(4096);
    for (int round = 0; round < 200; ++round) {
        for (unsigned char& b : noise) b = static_cast<unsigned char>(random());
        if (round % 2) std::memcpy(noise.data(), good.data(), 8); // a real header in front of garbage
        const VstIntPtr size = 1 + random() % noise.size();
        const VstIntPtr answer = Dispatch(effect, effSetChunk, round % 3 == 0 ? 0 : 1, size, noise.data());
        EXPECT_TRUE(answer == 0 || answer == 1);
    }
    for (int i = 0; i < effect->numParams; ++i) {
        const float value = effect->getParameter(effect, i);
        EXPECT_TRUE(std::isfinite(value) && value >= 0.0f && value <= 1.0f) << i;
    }
    std::vector<float> left(64), right(64);
    float* outputs[] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 64);
}

TEST_F(VstHost, HostileSettingsLeaveThePluginWorking) {
    AEffect* effect = Create();
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, -1.0f);
    Dispatch(effect, effSetBlockSize, 0, -512);
    Dispatch(effect, effSetBlockSize, 0, VstIntPtr{1} << 40);
    VstSpeakerArrangement odd{};
    odd.numChannels = -3;
    EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&odd), &odd), 1);
    odd.numChannels = 2;
    Dispatch(effect, effSetSpeakerArrangement, 0, 0, &odd);
    Dispatch(effect, effMainsChanged, 0, 1);
    std::vector<double> left(128, 1.0), right(128, 1.0);
    double* outputs[] = {left.data(), right.data()};
    effect->processDoubleReplacing(effect, nullptr, outputs, 128);
    EXPECT_EQ(left[127], 0.0);
}

TEST_F(VstHost, TextsIntoHostBuffersAreBounded) {
    AEffect* effect = Create();
    HostBuffer name;
    Dispatch(effect, effGetEffectName, 0, 0, name.data());
    EXPECT_LE(name.Extent(), 64u);

    const std::string longName(300, 'L');
    Dispatch(effect, effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    HostBuffer program;
    Dispatch(effect, effGetProgramName, 0, 0, program.data());
    EXPECT_EQ(program.Extent(), 24u);
    EXPECT_EQ(std::strlen(program.data()), 23u);
    HostBuffer indexed;
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, indexed.data()), 1);
    EXPECT_EQ(indexed.Extent(), 24u);

    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int i = 0; i < effect->numParams; ++i) {
            HostBuffer text;
            Dispatch(effect, opcode, i, 0, text.data());
            EXPECT_TRUE(text.Terminated());
            EXPECT_LE(text.Extent(), 32u) << opcode << " " << i;
        }

    MidiKeyName key{};
    std::memset(key.keyName, kSentinel, sizeof key.keyName);
    key.reserved = 0x1234;
    key.flags = 0x5678;
    for (int note = 0; note < 128; ++note) {
        key.thisKeyNumber = note;
        Dispatch(effect, effGetMidiKeyName, 0, 0, &key);
        EXPECT_NE(std::memchr(key.keyName, '\0', sizeof key.keyName), nullptr);
    }
    EXPECT_EQ(key.reserved, 0x1234);
    EXPECT_EQ(key.flags, 0x5678);
}
