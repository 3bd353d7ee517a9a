#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

TEST(SynthKeyBuffer, KeepsOneVelocityPerKeyOnTheKeyboardAndKnowsTheHighest) {
    auto plug = testhost::makeInstrument();
    plug->addPressedKey(-1, 100);
    plug->addPressedKey(128, 100);
    plug->removePressedKey(1000);
    EXPECT_EQ(plug->getNumPressedKeys(), 0);
    plug->addPressedKey(64, 90);
    plug->addPressedKey(60, 80);
    plug->addPressedKey(64, 30); // replaces, does not add
    EXPECT_EQ(plug->getNumPressedKeys(), 2);
    EXPECT_EQ(plug->getHighestPressedKey(), 64);
    EXPECT_EQ(plug->getPressedKeyVelocity(64), 30);
    plug->addPressedKey(64, 0); // velocity 0 releases
    EXPECT_EQ(plug->getHighestPressedKey(), 60);
    plug->removePressedKey(60);
    plug->removePressedKey(60);
    EXPECT_EQ(plug->getNumPressedKeys(), 0);
    EXPECT_EQ(plug->getHighestPressedKey(), -1);
}
