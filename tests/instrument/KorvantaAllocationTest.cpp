// Counts every allocation of this test program, so that the render path can be shown to allocate
// nothing while notes start and stop, parameters move and programs change, also while a host's other
// threads change programs and wave tables. Building a table, reading a resource file or importing a wave
// all allocate, so a count of zero on the audio thread rules them out too.

#include "tests/support/AllocationCounter.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

TEST(KorvantaAllocation, RenderingNotesControllersAndParameterChangesAllocatesNothing) {
    constexpr int kBlock = 256;
    const long beforeCreation = AllocationCounter::count();
    auto plug = testhost::makeInstrument(48000.0, kBlock);
    ASSERT_GT(AllocationCounter::count(), beforeCreation); // the counter sees the instrument's allocations
    testhost::setParam(*plug, 2, 3);                       // 8 voices
    testhost::setParam(*plug, 87, 1);
    testhost::setParam(*plug, 72, 0.5);
    plug->midiThru = true;
    plug->midiCC[74] = 78;
    testhost::host().sentMidi.reserve(100000);
    testhost::host().reportTime = true;
    testhost::host().timeInfo.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
    testhost::host().timeInfo.tempo = 128.0;

    std::vector<double> left(kBlock), right(kBlock);
    double* outputs[2] = {left.data(), right.data()};
    plug->ProcessDoubleReplacing(nullptr, outputs, kBlock); // the first call may settle lazily built state

    const long before = AllocationCounter::count();
    for (int block = 0; block < 400; ++block) {
        const int note = 40 + (block * 7) % 40;
        testhost::sendMidi(*plug, block % kBlock, 0x90, note, 100);
        testhost::sendMidi(*plug, (block * 3) % kBlock, 0x80, 40 + ((block - 5) * 7) % 40, 0);
        testhost::sendMidi(*plug, 10, 0xE0, block % 128, 64);
        testhost::sendMidi(*plug, 20, 0xB0, 74, block % 128);
        testhost::sendMidi(*plug, 30, 0xB0, 64, block % 2 ? 127 : 0);
        testhost::sendMidi(*plug, 40, 0xD0, block % 128, 0);
        testhost::sendMidi(*plug, 50, 0xA0, note, 50);
        if (block % 50 == 0) testhost::sendMidi(*plug, 60, 0xB0, 123, 0);
        testhost::setParam(*plug, 79, (block % 10) / 10.0);
        testhost::setParam(*plug, 121, 1.0 + block % 20);
        testhost::setParam(*plug, 92, (block % 7) / 7.0);
        testhost::setParam(*plug, 25, (block % 9) / 9.0 - 0.5);
        testhost::setParam(*plug, 1, (block % 5) / 5.0);
        testhost::host().timeInfo.ppqPos = block * 0.1;
        testhost::host().timeInfo.samplePos = block * kBlock;
        plug->ProcessDoubleReplacing(nullptr, outputs, kBlock);
    }
    EXPECT_EQ(AllocationCounter::count() - before, 0);
    EXPECT_GT(testhost::host().sentMidi.size(), 0u);
}

namespace {

// Events handed over the way a host does it, through the dispatcher, before the process call.
void sendEvents(AEffect* effect, std::initializer_list<std::array<int, 4>> messages) {
    std::array<VstMidiEvent, 8> midi{};
    std::array<VstEvent*, 8> list{};
    size_t n = 0;
    for (const auto& m : messages) {
        midi[n].type = kVstMidiType;
        midi[n].byteSize = sizeof(VstMidiEvent);
        midi[n].deltaFrames = m[0];
        for (int b = 0; b < 3; ++b) midi[n].midiData[b] = static_cast<char>(m[b + 1]);
        list[n] = reinterpret_cast<VstEvent*>(&midi[n]);
        ++n;
    }
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        std::array<VstEvent*, 8> events;
    } events{static_cast<VstInt32>(n), 0, list};
    effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
}

// Programs that differ in their tables (built-in ones across the whole list) and every sixteenth one with
// a user wave of its own in oscillator 3.
void prepareDistinctPrograms(testhost::ProbedKorvanta& plug) {
    std::vector<double> wave(2 * 2048);
    for (int p = 0; p < 64; ++p) {
        plug.RestorePreset(p);
        testhost::setParam(plug, kWaveTable1, p % eNumROMTables);
        testhost::setParam(plug, kWaveTable2, (5 * p + 3) % eNumROMTables);
        testhost::setParam(plug, kOsc2OffOn, 1);
        testhost::setParam(plug, kOsc3OffOn, 1);
        if (p % 16 == 3) {
            for (size_t i = 0; i < wave.size(); ++i)
                wave[i] = std::sin(0.003 * (p + 1) * static_cast<double>(i));
            plug.getUserWave(2).putFrom(wave.data(), static_cast<int>(wave.size()),
                                        "wave " + std::to_string(p));
            testhost::setParam(plug, kWaveTable3, kFirstUserTable + 2);
        } else {
            testhost::setParam(plug, kWaveTable3, (11 * p + 7) % eNumROMTables);
        }
        plug.ModifyCurrentPreset(nullptr);
    }
}

} // namespace

TEST(KorvantaAllocation, ProgramAndWaveTableChangesFromAnyThreadAllocateNothingOnTheAudioThread) {
    constexpr int kBlock = 64;
    auto plug = testhost::makeInstrument(48000.0, kBlock);
    prepareDistinctPrograms(*plug);
    AEffect* effect = plug->GetAEffect();
    std::vector<double> left(kBlock), right(kBlock);
    double* outputs[2] = {left.data(), right.data()};
    effect->processDoubleReplacing(effect, nullptr, outputs, kBlock);

    // The host's user-interface thread changes programs and wave tables while the audio thread plays.
    std::atomic<bool> playing{true};
    std::thread host([&] {
        for (int i = 0; playing; ++i) {
            effect->dispatcher(effect, effSetProgram, 0, (7 * i) % 64, nullptr, 0.0f);
            effect->setParameter(effect, kWaveTable2, static_cast<float>((i % eNumROMTables) / 65535.0));
            std::this_thread::yield();
        }
    });
    AllocationCounter::markThisThread(true);
    for (int p = 0; p < 64; ++p) {
        sendEvents(effect, {{0, 0xC0, p, 0}, {1, 0x90, 48, 100}, {1, 0x90, 55, 100}});
        // Hosts also deliver automation on the audio thread, just before the process call.
        effect->setParameter(effect, kWaveTable1, static_cast<float>(((p * 3) % eNumROMTables) / 65535.0));
        for (int block = 0; block < 8; ++block)
            effect->processDoubleReplacing(effect, nullptr, outputs, kBlock);
        sendEvents(effect, {{0, 0x80, 48, 0}, {0, 0x80, 55, 0}});
    }
    AllocationCounter::markThisThread(false);
    playing = false;
    host.join();
    EXPECT_EQ(AllocationCounter::markedCount(), 0);

    // The sweep really switched programs: a program change on the audio thread brings a user wave back.
    // Which built-in table program 19 holds now depends on the race: the host's program change stores
    // the current values, the audio thread's table choice included, into the program it leaves.
    AllocationCounter::markThisThread(true);
    sendEvents(effect, {{0, 0xC0, 19, 0}});
    effect->processDoubleReplacing(effect, nullptr, outputs, kBlock);
    AllocationCounter::markThisThread(false);
    EXPECT_EQ(AllocationCounter::markedCount(), 0);
    EXPECT_STREQ(plug->getUserWaveName(2), "wave 19");
    EXPECT_EQ(&plug->getMipMap(2), plug->getUserWave(2).getTable());
    EXPECT_EQ(plug->getMipMap(0).getTableId(), plug->GetParam(kWaveTable1)->Int());
}

TEST(KorvantaAllocation, TwoInstancesAtDifferentRatesStayExactWhileOneChangesPrograms) {
    constexpr int kBlock = 128;
    constexpr int kBlocks = 200;
    // The noise sequence is shared by the process, so the instance that must stay exact plays none.
    const auto quietChord = [](testhost::ProbedKorvanta& plug) {
        testhost::setParam(plug, kLevelNoise, 0.0);
        testhost::setParam(plug, kWaveTable1, eSawTri);
        AEffect* effect = plug.GetAEffect();
        sendEvents(effect, {{0, 0x90, 52, 90}, {0, 0x90, 59, 90}, {3, 0x90, 64, 90}});
        return effect;
    };
    const auto render = [](AEffect* effect) {
        std::vector<double> out;
        std::vector<double> left(kBlock), right(kBlock);
        double* outputs[2] = {left.data(), right.data()};
        for (int block = 0; block < kBlocks; ++block) {
            effect->processDoubleReplacing(effect, nullptr, outputs, kBlock);
            out.insert(out.end(), left.begin(), left.end());
        }
        return out;
    };
    auto alone = testhost::makeInstrument(96000.0, kBlock);
    const std::vector<double> expected = render(quietChord(*alone));

    auto changing = testhost::makeInstrument(44100.0, kBlock);
    prepareDistinctPrograms(*changing);
    auto steady = testhost::makeInstrument(96000.0, kBlock);
    AEffect* steadyEffect = quietChord(*steady);
    AEffect* changingEffect = changing->GetAEffect();
    std::atomic<bool> playing{true};
    bool changingStayedFinite = true;
    std::thread audio([&] {
        std::vector<double> left(kBlock), right(kBlock);
        double* outputs[2] = {left.data(), right.data()};
        for (int i = 0; playing; ++i) {
            sendEvents(changingEffect, {{0, 0xC0, (3 * i) % 64, 0}, {1, 0x90, 40 + i % 40, 100}});
            changingEffect->processDoubleReplacing(changingEffect, nullptr, outputs, kBlock);
            for (const double x : left) changingStayedFinite = changingStayedFinite && std::isfinite(x);
        }
    });
    std::thread host([&] {
        for (int i = 0; playing; ++i) {
            changingEffect->dispatcher(changingEffect, effSetProgram, 0, (5 * i) % 64, nullptr, 0.0f);
            std::this_thread::yield();
        }
    });
    const std::vector<double> played = render(steadyEffect);
    playing = false;
    audio.join();
    host.join();
    EXPECT_EQ(played, expected);
    EXPECT_TRUE(changingStayedFinite);
}
