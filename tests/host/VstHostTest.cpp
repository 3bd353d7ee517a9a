// What only the built Korvanta.so shows, reached through its exported entry points as a host does: the
// exports, the legacy entry, allocation and threads across the module, and a project's chunks carried
// into a new instance.

#include "engine/ParameterIds.h"
#include "tests/host/PluginUnderTest.h"
#include "tests/support/AllocationCounter.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <thread>

TEST(VstHost, ModuleExportsExactlyTheTwoEntryPointsAndMainBehavesAsVSTPluginMain) {
    FILE* pipe = popen((std::string("nm -D --defined-only ") + KORVANTA_MODULE).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char address[64], type[8], name[400];
    while (std::fscanf(pipe, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));

    void* module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    using EntryProc = AEffect* (*)(audioMasterCallback);
    const auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    AEffect* a = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"))(host);
    AEffect* b = reinterpret_cast<EntryProc>(dlsym(module, "main"))(host);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->object, b->object);
    EXPECT_EQ(std::memcmp(a, b, offsetof(AEffect, object)), 0);
    EXPECT_EQ(a->uniqueID, b->uniqueID);
    for (AEffect* effect : {a, b}) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    dlclose(module);
}

TEST(VstHost, AudioPathAllocatesNothing) {
    PluginUnderTest plugin;
    ASSERT_TRUE(plugin.Ready());
    AEffect* effect = plugin.effect;
    std::vector<float> left(256), right(256);
    float* outputs[] = {left.data(), right.data()};
    std::vector<double> dLeft(256), dRight(256);
    double* dOutputs[] = {dLeft.data(), dRight.data()};

    const long before = AllocationCounter::count();
    for (int block = 0; block < 100; ++block) {
        plugin.NoteOn(40 + block % 40);
        effect->processReplacing(effect, nullptr, outputs, 256);
        effect->process(effect, nullptr, outputs, 256);
        effect->processDoubleReplacing(effect, nullptr, dOutputs, 256);
        plugin.SetParameter(block % kNumParams, 0.5f);
        plugin.GetParameter(block % kNumParams);
    }
    EXPECT_EQ(AllocationCounter::count() - before, 0);
}

// Two instances, each with an audio thread playing notes while its editor thread swaps chunks, programs
// and parameters. The voices' noise and the sample-and-hold generators draw from random sequences the
// instances share.
TEST(VstHostThreads, AudioAndEditorThreadsOfTwoInstancesRunAtOnce) {
    PluginUnderTest first(44100.0, 128), second(48000.0, 128);
    ASSERT_TRUE(first.Ready() && second.Ready());
    std::vector<std::thread> threads;
    for (PluginUnderTest* plugin : {&first, &second}) {
        threads.emplace_back([plugin] {
            std::vector<float> left(128), right(128);
            float* outputs[] = {left.data(), right.data()};
            for (int block = 0; block < 400; ++block) {
                if (block % 40 == 0) {
                    plugin->SetParameter(kMG1Waveform, 1.0f);
                    plugin->SetParameter(kMG2Waveform, 1.0f);
                    plugin->NoteOn(48 + block / 40);
                }
                plugin->effect->processReplacing(plugin->effect, nullptr, outputs, 128);
            }
        });
        threads.emplace_back([plugin] {
            for (int round = 0; round < 40; ++round) {
                plugin->SetChunk(round % 2, plugin->Chunk(round % 2));
                plugin->Dispatch(effSetProgram, 0, round % 64);
                plugin->SetParameter(round % kNumParams, 0.5f);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (PluginUnderTest* plugin : {&first, &second}) EXPECT_EQ(plugin->Dispatch(effGetProgram), 39);
}

TEST(VstHost, AProjectSavedByTheHostRestoresIntoANewInstanceAndSoundsTheSame) {
    PluginUnderTest saved;
    ASSERT_TRUE(saved.Ready());
    saved.Dispatch(effSetProgram, 0, 3);
    saved.SetParameter(kFilterCutoff, 0.35f);
    saved.Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Project Sound"));
    saved.Dispatch(effSetProgram, 0, 5);
    saved.SetParameter(kFilterCutoff, 0.55f);
    saved.SetParameter(kWaveTable1, 5.0f / 65535.0f);
    const Bytes bank = saved.Chunk(0), program = saved.Chunk(1);

    PluginUnderTest restored;
    ASSERT_EQ(restored.SetChunk(0, bank), 1);
    restored.Dispatch(effSetProgram, 0, 5);
    ASSERT_EQ(restored.SetChunk(1, program), 1);
    EXPECT_EQ(restored.ProgramName(3), "Project Sound");
    EXPECT_EQ(restored.Chunk(1), program);
    for (PluginUnderTest* plugin : {&saved, &restored})
        for (int note : {60, 64}) plugin->NoteOn(note);
    const std::vector<double> expected = saved.Render(10000, 256);
    EXPECT_EQ(restored.Render(10000, 256), expected);
    EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 0.001);
}

TEST(VstHost, ANewInstanceTakesTheBankShippedInTheBundle) {
    PluginUnderTest plugin;
    ASSERT_TRUE(plugin.Ready());
    for (int i = 0; i < plugin.effect->numPrograms; ++i) {
        const std::string name = plugin.ProgramName(i);
        EXPECT_FALSE(name.empty() || name == "Empty" || name.find("user preset") != std::string::npos) << i;
    }
}
