#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>
#include <tuple>

#include <algorithm>

using testhost::makeInstrument;
using testhost::render;
using testhost::sendMidi;
using testhost::setParam;

namespace {

int countMapped(const Synth& synth, int param) {
    return static_cast<int>(std::count(synth.midiCC.begin(), synth.midiCC.end(), param));
}

} // namespace

TEST(SynthMidiLearn, ATouchedParameterAndAMovedControllerInEitherOrderMakeAPair) {
    auto plug = makeInstrument();
    plug->midiCC[30] = 12;
    plug->doMidiLearn(true);
    setParam(*plug, 12, 0.5);
    EXPECT_TRUE(plug->midiLearnOn);
    sendMidi(*plug, 0, 0xB0, 20, 64);
    EXPECT_EQ(std::tuple(plug->midiCC[20], countMapped(*plug, 12), plug->midiLearnOn),
              std::tuple(12, 1, false));
    EXPECT_EQ(plug->midiQueue.ToBeProcessed(), 0); // consumed

    // A new request remembers the parameter touched last: only a fresh instance waits for one.
    plug = makeInstrument();
    plug->midiCC[21] = 5;
    plug->doMidiLearn(true);
    sendMidi(*plug, 0, 0xB0, 21, 64);
    EXPECT_TRUE(plug->midiLearnOn);
    setParam(*plug, 7, 3);
    EXPECT_EQ(plug->midiCC[21], 7);
    EXPECT_EQ(countMapped(*plug, 5), 0);
}

TEST(SynthMidiLearn, UnlearnByControllerOrByParameter) {
    auto plug = makeInstrument();
    plug->midiCC[20] = 7;
    plug->midiCC[21] = 7;
    plug->midiCC[22] = 9;
    plug->doMidiUnlearn(true);
    sendMidi(*plug, 0, 0xB0, 22, 0);
    EXPECT_EQ(plug->midiCC[22], -1);
    EXPECT_FALSE(plug->midiLearnOn);
    plug->doMidiUnlearn(true);
    setParam(*plug, 7, 1);
    EXPECT_EQ(countMapped(*plug, 7), 0);
    // Cancelling leaves the map alone.
    plug->midiCC[20] = 7;
    plug->doMidiUnlearn(true);
    plug->doMidiUnlearn(false);
    EXPECT_EQ(plug->midiCC[20], 7);
}

TEST(SynthMidiLearn, LearnedControllersDriveTheirParameter) {
    auto plug = makeInstrument();
    plug->midiCC[20] = 79; // "Filter Resonance"
    const int automations = testhost::host().automations;
    sendMidi(*plug, 0, 0xB0, 20, 127);
    EXPECT_EQ(plug->GetParam(79)->Value(), 0.0);
    render(*plug, 44, 44);
    EXPECT_DOUBLE_EQ(plug->GetParam(79)->Value(), 1.0);
    EXPECT_EQ(plug->voiceValue[79], 1.0);
    EXPECT_EQ(testhost::host().automations, automations + 1);
    // The same value again changes nothing and tells the host nothing.
    sendMidi(*plug, 0, 0xB0, 20, 127);
    render(*plug, 44, 44);
    EXPECT_EQ(testhost::host().automations, automations + 1);
    // Map entries outside the parameters drive nothing.
    plug->midiCC[21] = 153;
    plug->midiCC[22] = -7;
    sendMidi(*plug, 0, 0xB0, 21, 127);
    sendMidi(*plug, 0, 0xB0, 22, 127);
    render(*plug, 44, 44);
    EXPECT_EQ(testhost::host().automations, automations + 1);
}

TEST(SynthMidiLearn, WheelPedalAndChannelModeMessagesKeepTheirMeaning) {
    auto plug = makeInstrument();
    plug->midiCC[1] = 79;
    plug->midiCC[64] = 80;
    sendMidi(*plug, 0, 0xB0, 1, 127);
    sendMidi(*plug, 0, 0xB0, 64, 127);
    render(*plug, 44, 44);
    EXPECT_EQ(
        std::tuple(plug->modWheel, plug->sustain, plug->GetParam(79)->Value(), plug->GetParam(80)->Value()),
        std::tuple(1.0, true, 0.0, 0.0));

    plug->setNoteOn(60, 100);
    plug->doMidiLearn(true);
    sendMidi(*plug, 0, 0xB0, 123, 0);
    EXPECT_EQ(std::tuple(plug->midiLearnOn, plug->midiLearnCC, plug->getNumPressedKeys()),
              std::tuple(true, -1, 0));
}
