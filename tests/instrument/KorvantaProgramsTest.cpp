#include "tests/instrument/TempHome.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

using namespace testhost;

namespace {

constexpr int kCutoff = kFilterCutoff;

double value(Korvanta& plug, int idx) {
    return plug.GetParam(idx)->Value();
}

class KorvantaPrograms : public ::testing::Test {
protected:
    TempHome home;
};

} // namespace

TEST_F(KorvantaPrograms, CopyAndPasteCarryTheStateAndTheSourceName) {
    auto plug = makeInstrument();
    plug->changePreset(3);
    const std::string untouched = plug->GetPresetName(3);
    setParam(*plug, kCutoff, plug->GetParam(kCutoff)->GetNonNormalized(0.2));
    const double edited = value(*plug, kCutoff);
    plug->pastePreset(); // nothing copied yet: nothing changes
    EXPECT_DOUBLE_EQ(value(*plug, kCutoff), edited);
    EXPECT_EQ(plug->GetPresetName(3), untouched);
    plug->ModifyCurrentPreset("Source");
    setParam(*plug, kCutoff, plug->GetParam(kCutoff)->GetNonNormalized(0.3));
    const double copied = value(*plug, kCutoff);
    plug->copyPreset();
    EXPECT_EQ(plug->copiedPresetIdx, 3);
    plug->changePreset(10);
    setParam(*plug, kCutoff, plug->GetParam(kCutoff)->GetNonNormalized(0.9));
    plug->pastePreset();
    EXPECT_DOUBLE_EQ(value(*plug, kCutoff), copied);
    EXPECT_STREQ(plug->GetPresetName(10), "Source");
    plug->changePreset(0);
    ASSERT_TRUE(plug->RestorePreset(10));
    EXPECT_DOUBLE_EQ(value(*plug, kCutoff), copied);
}

TEST_F(KorvantaPrograms, StartupBankFillsTheProgramsOfANewInstance) {
    auto plug = makeInstrument();
    plug->EnsureDefaultPreset();
    plug->changePreset(0);
    setParam(*plug, kCutoff, plug->GetParam(kCutoff)->GetNonNormalized(0.35));
    plug->ModifyCurrentPreset("First");
    const double first = value(*plug, kCutoff);
    plug->changePreset(7);
    plug->ModifyCurrentPreset("Seventh");
    const std::string bank = home.file("start.fxb");
    ASSERT_TRUE(plug->SaveBankAsFXB(bank.c_str()));
    plug->setStartupFxb(bank.c_str());

    auto next = makeInstrument();
    EXPECT_EQ(next->startupFxb, bank);
    EXPECT_STREQ(next->GetPresetName(0), "First");
    EXPECT_STREQ(next->GetPresetName(7), "Seventh");
    EXPECT_EQ(next->GetCurrentPresetIdx(), 0);
    EXPECT_DOUBLE_EQ(value(*next, kCutoff), first);

    // A startup bank that went away is forgotten for this instance, but not in the file.
    std::remove(bank.c_str());
    auto third = makeInstrument();
    EXPECT_EQ(third->startupFxb, "");
    EXPECT_NE(std::ifstream(home.iniFile()).peek(), EOF);
}

TEST_F(KorvantaPrograms, ABankBlobIsReadAfterItsHeader) {
    auto plug = makeInstrument();
    plug->EnsureDefaultPreset();
    plug->changePreset(2);
    plug->ModifyCurrentPreset("Blob");
    std::vector<unsigned char> file;
    ASSERT_TRUE(plug->MakeFXB(&file));
    auto other = makeInstrument();
    other->loadFXBfromBlob(file.data(), static_cast<int>(file.size()));
    EXPECT_STREQ(other->GetPresetName(2), "Blob");
    // A blob no longer than the header holds no bank.
    auto victim = makeInstrument();
    victim->loadFXBfromBlob(file.data(), 160);
    victim->loadFXBfromBlob(nullptr, 100);
    EXPECT_STRNE(victim->GetPresetName(2), "Blob");
}
