#include "engine/ExpEG.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using testhost::makeInstrument;
using testhost::setParam;

namespace {

// "Number of Voices" index for a voice count.
double voicesIndex(int count) {
    int idx = 0;
    while (Korvanta::kVoiceCounts[idx] != count) ++idx;
    return idx;
}

int ampState(const Korvanta& plug, int voice) {
    return plug.getVoice(voice).getEnvelope(Voice::eAmpEG).getState();
}

// Lets the envelopes rise, so that a release has something to release.
void sound(Korvanta& plug) {
    testhost::render(plug, 64, 64);
}

std::vector<int> notesOf(const Korvanta& plug, int count) {
    std::vector<int> notes;
    for (int i = 0; i < count; ++i) notes.push_back(plug.getVoice(i).getNote());
    return notes;
}

double velocityOf(const Korvanta& plug, int voice) {
    return *plug.getVoice(voice).getModSource(Properties::eModVelocity);
}

} // namespace

TEST(KorvantaNotes, PolyphonyStealsTheOldestNoteAndARepeatedKeyRetriggersItsOwnVoice) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(4));
    for (const int note : {60, 62, 64, 60, 65}) plug->setNoteOn(note, 100);
    plug->setNoteOn(67, 100);
    EXPECT_EQ(notesOf(*plug, 4), (std::vector{60, 67, 64, 65}));
    EXPECT_EQ(std::pair(plug->getVoice(0).getSerial(), plug->getVoice(1).getSerial()), std::pair(4, 6));
    // Voices beyond the count in use never take a note.
    EXPECT_FALSE(plug->getVoice(4).isActive());
}

TEST(KorvantaNotes, ReleaseAndPolyAfterTouchReachOnlyTheMatchingVoice) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(4));
    plug->setNoteOn(60, 100);
    plug->setNoteOn(64, 100);
    plug->setPolyAfterTouch(64, 0.5);
    EXPECT_EQ(plug->getVoice(0).polyAfterTouch, 0.0);
    EXPECT_EQ(plug->getVoice(1).polyAfterTouch, 0.5);
    sound(*plug);
    plug->setNoteOff(64);
    plug->setNoteOff(50); // a key that sounds nowhere
    EXPECT_TRUE(plug->getVoice(0).isGateOn());
    EXPECT_FALSE(plug->getVoice(1).isGateOn());
    EXPECT_EQ(ampState(*plug, 1), ExpEG::kRelease);
}

TEST(KorvantaNotes, MonoNewestKeyWinsAndReleaseBringsBackTheHighestHeldKeyWithItsVelocity) {
    auto plug = makeInstrument(); // default program: one voice
    ASSERT_EQ(plug->getNumVoices(), 1);
    plug->setNoteOn(60, 50);
    plug->setNoteOn(64, 120);
    plug->setNoteOn(62, 100);
    EXPECT_EQ(plug->getVoice(0).getNote(), 62);
    plug->setNoteOff(62);
    EXPECT_EQ(plug->getVoice(0).getNote(), 64);
    EXPECT_DOUBLE_EQ(velocityOf(*plug, 0), 120 / 127.0);
    // Releasing a held key that is not sounding leaves the sounding one alone.
    const int serial = plug->getVoice(0).getSerial();
    plug->setNoteOff(60);
    EXPECT_EQ(plug->getVoice(0).getNote(), 64);
    EXPECT_EQ(plug->getVoice(0).getSerial(), serial);
    EXPECT_TRUE(plug->getVoice(0).isGateOn());
    plug->setNoteOff(64);
    EXPECT_FALSE(plug->getVoice(0).isGateOn());
}

TEST(KorvantaNotes, UnisonStartsEveryVoiceDetunedEvenlyAndReleaseRetriggersTheHeldKey) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(8));
    setParam(*plug, kUnisonMode, 1);
    setParam(*plug, kUnisonDetune, 0.1);
    plug->setNoteOn(60, 100);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(plug->getVoice(i).isActive()) << i;
        EXPECT_EQ(plug->getVoice(i).getSerial(), i + 1) << i;
        EXPECT_NEAR(plug->getVoice(i).detune, -12.8 + i * 25.6 / 7.0, 1e-9) << i;
    }
    EXPECT_FALSE(plug->getVoice(8).isActive());
    // Releasing the newer key brings the older one back on every voice.
    plug->setNoteOn(67, 100);
    plug->setNoteOff(67);
    EXPECT_EQ(notesOf(*plug, 8), std::vector(8, 60));
    plug->setNoteOff(60);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(plug->getVoice(i).isGateOn()) << i;
}

TEST(KorvantaNotes, UnisonSpreadPlacesVoicesEvenlyAcrossTheField) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(2));
    setParam(*plug, kUnisonMode, 1);
    setParam(*plug, kUnisonSpread, 0.5);
    const auto pans = [&plug] {
        return std::vector{plug->getVoice(0).getPanLeft(), plug->getVoice(0).getPanRight(),
                           plug->getVoice(1).getPanLeft(), plug->getVoice(1).getPanRight()};
    };
    EXPECT_EQ(pans(), (std::vector{1.0, std::sqrt(0.5), std::sqrt(0.5), 1.0}));
    // Without unison every voice sits in the centre at the master tune.
    setParam(*plug, kUnisonMode, 0);
    EXPECT_EQ(pans(), std::vector(4, 1.0));
    EXPECT_DOUBLE_EQ(plug->getVoice(1).detune, 0.0);
}

TEST(KorvantaNotes, XModeGivesEachNoteToTheNextSwitchedOnOscillator) {
    struct Case {
        std::array<bool, 3> on;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {{{true, true, true}, {0, 1, 2, 0}},
                                     {{true, false, true}, {0, 2, 0, 2}},
                                     {{false, false, false}, {0, 1, 2, 0}}};
    for (const Case& c : cases) {
        auto plug = makeInstrument();
        setParam(*plug, kXMode, 1);
        for (int k = 0; k < 3; ++k) setParam(*plug, std::array{10, 29, 49}[k], c.on[k] ? 1 : 0);
        for (size_t i = 0; i < c.expected.size(); ++i) {
            plug->setNoteOn(60 + static_cast<int>(i), 100);
            EXPECT_EQ(plug->xModeOsc, c.expected[i]) << i;
        }
        // Switching X-Mode on again starts over at the first switched-on oscillator.
        setParam(*plug, kXMode, 0);
        setParam(*plug, kXMode, 1);
        EXPECT_EQ(plug->xModeOsc, -1);
    }
}

TEST(KorvantaNotes, SustainHoldsReleasedKeysUntilThePedalLifts) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(4));
    plug->setSustain(true);
    plug->setNoteOn(60, 100);
    sound(*plug);
    plug->setNoteOff(60);
    EXPECT_FALSE(plug->getVoice(0).isGateOn());
    EXPECT_NE(ampState(*plug, 0), ExpEG::kRelease);
    EXPECT_NE(ampState(*plug, 0), ExpEG::kOff);
    plug->setSustain(false);
    EXPECT_EQ(ampState(*plug, 0), ExpEG::kRelease);
}

TEST(KorvantaNotes, AllNotesOffReleasesEverythingAndLiftsThePedal) {
    auto plug = makeInstrument();
    setParam(*plug, kNumberOfVoices, voicesIndex(4));
    plug->setSustain(true);
    plug->setNoteOn(60, 100);
    plug->setNoteOn(64, 100);
    sound(*plug);
    plug->allNotesOff();
    EXPECT_FALSE(plug->sustain);
    EXPECT_EQ(plug->getNumPressedKeys(), 0);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ampState(*plug, i), ExpEG::kRelease) << i;
        EXPECT_TRUE(plug->getVoice(i).isActive()) << i; // released, not cut
    }
    plug->setSoundOff();
    for (int i = 0; i < 2; ++i) EXPECT_FALSE(plug->getVoice(i).isActive()) << i;
}
