// What only the built Korvanta.so shows, reached through its exported entry points as a host does: the
// exports, the legacy entry, allocation and threads across the module, and a project's chunks carried
// into a new instance.

#include "engine/ParameterIds.h"
#include "tests/host/PluginUnderTest.h"
#include "tests/support/AllocationCounter.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes getChunk(const PluginUnderTest& plugin, int index) {
    void* data = nullptr;
    const VstIntPtr size = plugin.Dispatch(effGetChunk, index, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return size > 0 ? Bytes(bytes, bytes + size) : Bytes{};
}

VstIntPtr setChunk(const PluginUnderTest& plugin, int index, Bytes bytes) {
    return plugin.Dispatch(effSetChunk, index, static_cast<VstIntPtr>(bytes.size()), bytes.data());
}

std::string programName(const PluginUnderTest& plugin, int index) {
    char name[kVstMaxProgNameLen + 8] = {};
    plugin.Dispatch(effGetProgramNameIndexed, index, 0, name);
    return name;
}

// A chord held for a while.
PluginUnderTest::Stereo chord(PluginUnderTest& plugin) {
    plugin.NoteOn(0, 60);
    plugin.NoteOn(0, 64);
    return plugin.Render(10000, 256);
}

} // namespace

TEST(VstHost, ModuleExportsExactlyTheTwoEntryPoints) {
    FILE* pipe = popen((std::string("nm -D --defined-only ") + KORVANTA_MODULE).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char address[64], type[8], name[400];
    while (std::fscanf(pipe, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(VstHost, MainBehavesAsVSTPluginMain) {
    void* module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    using EntryProc = AEffect* (*)(audioMasterCallback);
    const auto entry = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"));
    const auto legacy = reinterpret_cast<EntryProc>(dlsym(module, "main"));
    ASSERT_TRUE(entry && legacy);
    const auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    AEffect* a = entry(host);
    AEffect* b = legacy(host);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->object, b->object);
    EXPECT_EQ(std::memcmp(a, b, offsetof(AEffect, object)), 0);
    EXPECT_EQ(a->uniqueID, b->uniqueID);
    for (AEffect* effect : {a, b}) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(module);
}

TEST(VstHost, AudioPathAllocatesNothing) {
    PluginUnderTest plugin(44100.0, 256);
    ASSERT_TRUE(plugin.Ready());
    AEffect* effect = plugin.Effect();
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

    const long before = AllocationCounter::count();
    for (int block = 0; block < 100; ++block) {
        note.deltaFrames = block;
        note.midiData[1] = static_cast<char>(40 + block % 40);
        plugin.Dispatch(effProcessEvents, 0, 0, &events);
        effect->processReplacing(effect, nullptr, outputs, 256);
        effect->process(effect, nullptr, outputs, 256);
        effect->processDoubleReplacing(effect, nullptr, dOutputs, 256);
        effect->setParameter(effect, block % kNumParams, 0.5f);
        effect->getParameter(effect, block % kNumParams);
    }
    EXPECT_EQ(AllocationCounter::count() - before, 0);
}

// Two instances, each with an audio thread rendering while its editor thread swaps chunks, programs and
// parameters.
TEST(VstHostThreads, AudioAndEditorThreadsOfTwoInstancesRunAtOnce) {
    PluginUnderTest first(44100.0, 128);
    PluginUnderTest second(48000.0, 128);
    ASSERT_TRUE(first.Ready() && second.Ready());
    std::vector<std::thread> threads;
    for (PluginUnderTest* plugin : {&first, &second}) {
        AEffect* effect = plugin->Effect();
        threads.emplace_back([effect] {
            std::vector<float> left(128), right(128);
            float* outputs[] = {left.data(), right.data()};
            for (int block = 0; block < 400; ++block) effect->processReplacing(effect, nullptr, outputs, 128);
        });
        threads.emplace_back([plugin, effect] {
            for (int round = 0; round < 40; ++round) {
                const Bytes chunk = getChunk(*plugin, round % 2);
                setChunk(*plugin, round % 2, chunk);
                plugin->Dispatch(effSetProgram, 0, round % 64);
                effect->setParameter(effect, round % kNumParams, 0.5f);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(first.Dispatch(effGetProgram), 39);
    EXPECT_EQ(second.Dispatch(effGetProgram), 39);
}

TEST(VstHost, AProjectSavedByTheHostRestoresIntoANewInstanceAndSoundsTheSame) {
    PluginUnderTest saved(44100.0, 256);
    ASSERT_TRUE(saved.Ready());
    saved.Dispatch(effSetProgram, 0, 3);
    saved.SetParameter(kFilterCutoff, 0.35f);
    saved.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Project Sound"));
    saved.Dispatch(effSetProgram, 0, 5);
    saved.SetParameter(kFilterCutoff, 0.55f);
    saved.SetParameter(kWaveTable1, 5.0f / 65535.0f);
    const Bytes bank = getChunk(saved, 0);
    const Bytes program = getChunk(saved, 1);

    PluginUnderTest restored(44100.0, 256);
    ASSERT_EQ(setChunk(restored, 0, bank), 1);
    restored.Dispatch(effSetProgram, 0, 5);
    ASSERT_EQ(setChunk(restored, 1, program), 1);
    EXPECT_EQ(programName(restored, 3), "Project Sound");
    EXPECT_EQ(getChunk(restored, 1), program);
    const PluginUnderTest::Stereo expected = chord(saved);
    EXPECT_EQ(chord(restored).left, expected.left);
    EXPECT_GT(*std::max_element(expected.left.begin(), expected.left.end()), 0.001);
}

TEST(VstHost, ANewInstanceTakesTheBankShippedInTheBundle) {
    PluginUnderTest plugin(44100.0, 256);
    ASSERT_TRUE(plugin.Ready());
    for (int i = 0; i < plugin.Effect()->numPrograms; ++i) {
        const std::string name = programName(plugin, i);
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_NE(name, "Empty") << i;
        EXPECT_EQ(name.find("user preset"), std::string::npos) << i;
    }
}
