#include "editor/IMLButtonKick.h"
#include "editor/IMLKnobControl.h"
#include "editor/IMLSourceControl.h"
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
        const bool byTag = p == kUnisonMode;
        EXPECT_EQ(placed.count(p), byTag ? 0u : 1u) << e.plug->GetParam(p)->GetNameForHost();
        EXPECT_EQ(bound.count(p), byTag ? 0u : 1u) << e.plug->GetParam(p)->GetNameForHost();
    }
    EXPECT_EQ(e.plug->GetAEffect()->flags, 0x1131);
    EXPECT_EQ(e.gui->Width(), 1127);
    EXPECT_EQ(e.gui->Height(), 776);
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
    const struct {
        int sync, frequency, rate;
    } pairs[] = {{kMG1SyncToHost, kMG1Frequency, kMG1SyncRate},
                 {kMG2SyncToHost, kMG2Frequency, kMG2SyncRate},
                 {kVibratoSyncToHost, kVibratoFrequency, kVibratoSyncRate}};
    for (const auto& p : pairs) {
        for (bool sync : {true, false, true}) {
            if (sync) {
                e.click(e.control(p.sync)); // from the window
            } else {
                e.plug->VSTSetParameter(e.plug->GetAEffect(), p.sync, 0.0f); // from the host
            }
            EXPECT_EQ(e.control(p.frequency)->IsHidden(), sync);
            EXPECT_EQ(e.control(p.rate)->IsHidden(), !sync);
            const IRECT& spot = e.control(p.rate)->GetRECT();
            EXPECT_EQ(e.gui->GetControl(e.gui->GetMouseControlIdx(spot.L + 20, spot.T + 20))->ParamIdx(),
                      sync ? p.rate : p.frequency);
            if (sync) e.click(e.control(p.sync));
        }
    }
}

TEST(KorvantaEditor, HoveringAFineKnobShowsItsValueAndASteppedKnobShowsNothing) {
    OpenEditor e;
    for (int idx : {kFilterCutoff, kOctave1, kMG1Waveform}) {
        auto* knob = e.control<IMLKnobControl>(idx);
        const uint64_t before = e.pixels(knob->GetValueBox());
        e.gui->OnMouseOver(knob->GetRECT().L + 20, knob->GetRECT().T + 20, IMouseMod());
        EXPECT_TRUE(knob->IsHovered());
        EXPECT_EQ(e.pixels(knob->GetValueBox()) != before, idx == kFilterCutoff) << idx;
        e.gui->OnMouseOut();
        EXPECT_EQ(e.pixels(knob->GetValueBox()), before);
    }
}

TEST(KorvantaEditor, SourceSelectorsOfferAllSourcesAndSetTheChosenOne) {
    OpenEditor e;
    auto* source = e.control<IMLSourceControl>(kFilterCFMSource);
    const struct {
        int item;
        double expected;
    } choices[] = {{20, 1.0}, {0, 0.0}, {11, 11.0 / 20}};
    for (const auto& c : choices) {
        e.gui->script.menuChoices.push_back({c.item});
        e.click(source);
        EXPECT_DOUBLE_EQ(e.plug->GetParam(kFilterCFMSource)->GetNormalized(), c.expected);
        EXPECT_EQ(source->GetSource(), c.item);
    }
    e.gui->script.menuChoices.push_back({});
    e.click(source);
    EXPECT_NE(e.gui->lastMenu.find("Off\nOn\nModulation Wheel\n"), std::string::npos);
    EXPECT_NE(e.gui->lastMenu.find("\nVelocity [x]\n"), std::string::npos);
    EXPECT_EQ(std::count(e.gui->lastMenu.begin(), e.gui->lastMenu.end(), '\n'), 21);
    EXPECT_EQ(std::count(e.gui->lastMenu.begin(), e.gui->lastMenu.end(), 'x'), 1);
}

TEST(KorvantaEditor, VoicesMenuAndUnisonButtonsSetTheirParameters) {
    OpenEditor e;
    const std::string current = std::to_string(e.plug->getNumVoices()) + " [x]\n";
    e.gui->script.menuChoices.push_back({3});
    e.click(e.control(kNumberOfVoices));
    EXPECT_EQ(e.plug->getNumVoices(), 8);
    EXPECT_NE(e.gui->lastMenu.find(current), std::string::npos);
    EXPECT_EQ(std::count(e.gui->lastMenu.begin(), e.gui->lastMenu.end(), '\n'), 7);
    auto* off = e.control<IMLButtonKick>(KorvantaLayout::kTagUnisonOff);
    auto* on = e.control<IMLButtonKick>(KorvantaLayout::kTagUnisonOn);
    for (int round = 0; round < 2; ++round) {
        e.click(on);
        EXPECT_TRUE(e.plug->unison);
        EXPECT_TRUE(on->IsOn() && !off->IsOn());
        e.click(off);
        EXPECT_FALSE(e.plug->unison);
        EXPECT_TRUE(off->IsOn() && !on->IsOn());
    }
    auto* xMode = e.control<IMLButtonKick>(kXMode);
    e.click(xMode);
    EXPECT_TRUE(e.plug->xMode && xMode->IsOn());
    e.click(xMode);
    EXPECT_FALSE(e.plug->xMode || xMode->IsOn());
}

TEST(KorvantaEditor, HostAutomationMovesControlsAndWindowEditsReachTheVoices) {
    OpenEditor e;
    IControl* cutoff = e.control(kFilterCutoff);
    e.plug->VSTSetParameter(e.plug->GetAEffect(), kFilterCutoff, 0.25f);
    EXPECT_FLOAT_EQ(static_cast<float>(cutoff->GetValue()), 0.25f);
    const int automations = testhost::host().automations;
    const IRECT& r = cutoff->GetRECT();
    e.gui->OnMouseDown(r.L + 20, r.T + 20, IMouseMod(true));
    e.gui->OnMouseDrag(r.L + 20, r.T + 10, IMouseMod(true));
    e.gui->OnMouseUp(r.L + 20, r.T + 10, IMouseMod(true));
    EXPECT_NEAR(e.plug->GetParam(kFilterCutoff)->GetNormalized(), 0.25 + 10.0 / 40 / 4, 1e-6);
    EXPECT_NEAR(e.plug->voiceNormalized[kFilterCutoff], 0.25 + 10.0 / 40 / 4, 1e-6);
    EXPECT_EQ(testhost::host().automations, automations + 1);
}

TEST(KorvantaEditor, LampsFollowTheSoundingOscillators) {
    OpenEditor e;
    testhost::setParam(*e.plug, kOsc2OffOn, 0);
    e.plug->addPressedKey(60, 100);
    e.plug->OnIdle();
    EXPECT_FALSE(e.control(KorvantaLayout::kTagLamp1)->IsHidden());
    EXPECT_TRUE(e.control(KorvantaLayout::kTagLamp2)->IsHidden());
    e.plug->removePressedKey(60);
    e.plug->OnIdle();
    EXPECT_TRUE(e.control(KorvantaLayout::kTagLamp1)->IsHidden());
}

TEST(KorvantaEditor, WritesAScreenshotOfTheWholeWindow) {
    OpenEditor e;
    e.gui->OnMouseOver(e.control(kFilterCutoff)->GetRECT().L + 20, e.control(kFilterCutoff)->GetRECT().T + 20,
                       IMouseMod());
    e.gui->Draw(IRECT(0, 0, e.gui->Width(), e.gui->Height()));
    const std::string path = std::string(KORVANTA_BUILD_DIR) + "/editor-headless.png";
    ASSERT_TRUE(e.gui->WritePNG(path.c_str()));
    cairo_surface_t* shot = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_image_surface_get_width(shot), 1127);
    EXPECT_EQ(cairo_image_surface_get_height(shot), 776);
    // The artwork was found: a panel is not the black of a missing background.
    const unsigned char* row =
        cairo_image_surface_get_data(shot) + 100 * cairo_image_surface_get_stride(shot);
    EXPECT_NE(reinterpret_cast<const uint32_t*>(row)[20] & 0xFFFFFF, 0u);
    cairo_surface_destroy(shot);
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
