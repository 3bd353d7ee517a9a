// Counts every allocation of this test program, so that the render path can be shown to allocate
// nothing while notes start and stop and parameters move.

#include "tests/support/AllocationCounter.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
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
