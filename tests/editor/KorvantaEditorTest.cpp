#include "editor/KorvantaLayout.h"
#include "tests/editor/OpenEditor.h"

#include <gtest/gtest.h>

#include <set>

using testeditor::OpenEditor;

TEST(KorvantaEditor, EveryParameterHasOneControlAndTheEditorIsAnnouncedToTheHost) {
    OpenEditor e;
    std::multiset<int> bound, placed;
    for (int i = 0; i < e.gui->NControls(); ++i) bound.insert(e.gui->GetControl(i)->ParamIdx());
    for (const auto& item : KorvantaLayout::kItems) placed.insert(item.id);
    for (int p = 0; p < kFirstReserved; ++p) {
        // The unison buttons share their parameter by tag.
        const size_t once = p == kUnisonMode ? 0 : 1;
        EXPECT_EQ(std::pair(placed.count(p), bound.count(p)), std::pair(once, once))
            << e.plug->GetParam(p)->GetNameForHost();
    }
    EXPECT_EQ(std::tuple(e.plug->GetAEffect()->flags, e.gui->Width(), e.gui->Height()),
              std::tuple(0x1131, 1127, 776));
    // Nothing but the knob pairs that take turns shares a spot.
    for (const auto& a : KorvantaLayout::kItems) {
        for (const auto& b : KorvantaLayout::kItems) {
            const bool overlap = &a != &b && KorvantaLayout::areaOf(a).Intersects(KorvantaLayout::areaOf(b));
            EXPECT_TRUE(!overlap || (a.x == b.x && a.y == b.y)) << a.id << " overlaps " << b.id;
        }
    }
}

TEST(KorvantaEditor, SyncSwitchesShowEitherTheFrequencyOrTheSyncRateKnob) {
    OpenEditor e;
    using Knobs = std::tuple<int, int, int>;
    for (const auto& [syncSwitch, frequency, rate] :
         {Knobs{kMG1SyncToHost, kMG1Frequency, kMG1SyncRate},
          Knobs{kMG2SyncToHost, kMG2Frequency, kMG2SyncRate},
          Knobs{kVibratoSyncToHost, kVibratoFrequency, kVibratoSyncRate}}) {
        for (bool sync : {true, false, true}) {
            // On from the window, off from the host.
            sync ? e.click(e.control(syncSwitch))
                 : e.plug->VSTSetParameter(e.plug->GetAEffect(), syncSwitch, 0.0f);
            EXPECT_EQ(std::pair(e.control(frequency)->IsHidden(), e.control(rate)->IsHidden()),
                      std::pair(sync, !sync));
            const IRECT& spot = e.control(rate)->GetRECT();
            EXPECT_EQ(e.gui->GetControl(e.gui->GetMouseControlIdx(spot.L + 20, spot.T + 20))->ParamIdx(),
                      sync ? rate : frequency);
            if (sync) e.click(e.control(syncSwitch));
        }
    }
}

TEST(KorvantaEditor, WritesAScreenshotOfTheWholeWindow) {
    OpenEditor e;
    const IRECT& cutoff = e.control(kFilterCutoff)->GetRECT();
    e.gui->OnMouseOver(cutoff.L + 20, cutoff.T + 20, IMouseMod());
    e.gui->Draw(IRECT(0, 0, e.gui->Width(), e.gui->Height()));
    EXPECT_TRUE(e.gui->WritePNG((std::string(KORVANTA_BUILD_DIR) + "/editor-headless.png").c_str()));
}

TEST(KorvantaEditor, WaveDisplaysRedrawWhenTheHostMovesWhatTheyShow) {
    OpenEditor e;
    const int shown[] = {kOsc2OffOn, kWaveShape2, kWaveMode2, kStartPhase2};
    for (const int p : shown) {
        e.gui->OnTimerTick();
        ASSERT_FALSE(e.control(kWaveTable2)->IsDirty());
        e.plug->VSTSetParameter(e.plug->GetAEffect(), p, 1.0f - e.plug->GetParam(p)->GetNormalized());
        EXPECT_TRUE(e.control(kWaveTable2)->IsDirty()) << e.plug->GetParam(p)->GetNameForHost();
    }
}
