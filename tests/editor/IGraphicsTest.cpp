#include "editor/IContactControl.h"
#include "editor/IKnobMultiControl.h"
#include "editor/ISwitchControl.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "tests/plugin/IPlugTestPlugs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class IdleCountingPlug : public TestPlug {
public:
    IdleCountingPlug() : TestPlug("0-2", 4) {
        for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
    }
    void OnIdle() override { ++idleCalls; }
    int idleCalls = 0;
};

// A control of a given area that counts how often it is drawn.
class CountingControl : public IControl {
public:
    CountingControl(IPlugBase* plug, const IRECT& rect, int paramIdx = -1) : IControl(plug, rect, paramIdx) {}
    bool Draw(IGraphics*) override { return ++draws > 0; }
    void OnMouseDown(int, int, const IMouseMod&) override { ++presses; }
    int draws = 0;
    int presses = 0;
};

constexpr IBitmap kKnobStrip{nullptr, 40, 40 * 65, 65};

struct Editor {
    IdleCountingPlug plug;
    IGraphicsHeadless gui{&plug, 200, 100};

    template <class C>
    C* add(C* control) {
        gui.AttachControl(control);
        return control;
    }
};

TEST(IGraphics, HitTestingSkipsHiddenAndGrayedControls) {
    // Hidden, grayed, mouse-over when grayed, asking for mouse-over; the control index reached.
    using Case = std::tuple<bool, bool, bool, bool, int>;
    for (const auto& [hidden, grayed, overWhenGrayed, mouseOver, expected] :
         {Case{false, false, false, false, 1}, Case{true, false, false, false, 0},
          Case{false, true, false, false, 0}, Case{false, true, true, false, 0},
          Case{false, true, true, true, 1}, Case{false, true, false, true, 0}}) {
        Editor e;
        e.add(new CountingControl(&e.plug, IRECT(0, 0, 50, 50)));
        IControl* top = e.add(new CountingControl(&e.plug, IRECT(10, 10, 30, 30)));
        top->Hide(hidden);
        top->GrayOut(grayed);
        top->SetMOWhenGrayed(overWhenGrayed);
        EXPECT_EQ(std::pair(e.gui.GetMouseControlIdx(20, 20, mouseOver),
                            e.gui.GetMouseControlIdx(40, 40, mouseOver)),
                  std::pair(expected, 0));
    }
}

TEST(IGraphics, KnobDragAndWheelFollowGearingAndModifiers) {
    // Wheel or drag, pixels downwards or clicks, modifiers, gearing, change of value from 0.5.
    const std::tuple<bool, int, IMouseMod, double, double> cases[] = {
        {false, -10, {}, 4.0, 10.0 / 40 / 4},
        {false, 10, {}, 4.0, -10.0 / 40 / 4},
        {false, -10, {true, false, true}, 4.0, 10.0 / 40 / 40},
        {false, -10, {true, false, false, true}, 1.0, 10.0 / 40 / 10},
        {true, 3, {}, 4.0, 0.03},
        {true, -2, {false, false, true}, 4.0, -0.002},
        {false, -400, {}, 1.0, 0.5},
        {false, 400, {}, 1.0, -0.5}};
    for (const auto& [wheel, delta, mod, gearing, expected] : cases) {
        Editor e;
        auto* knob =
            e.add(new IKnobMultiControl(&e.plug, 0, 0, 2, kKnobStrip, IKnobControl::kVertical, gearing));
        knob->SetValue(0.5);
        if (wheel) e.gui.OnMouseWheel(5, 5, mod, delta);
        if (!wheel) e.gui.OnMouseDown(5, 5, mod);
        if (!wheel) e.gui.OnMouseDrag(5, 5 + delta, mod);
        EXPECT_NEAR(knob->GetValue(), 0.5 + expected, 1e-12) << delta << " gearing " << gearing;
        EXPECT_NEAR(e.plug.GetParam(2)->GetNormalized(), knob->GetValue(), 1e-9);
    }
}

TEST(IGraphics, SwitchesCycleThroughTheirPositions) {
    for (int n : {2, 3, 6}) {
        Editor e;
        auto* sw = e.add(new ISwitchControl(&e.plug, 0, 0, 1, IBitmap{nullptr, 20, 20 * n, n}));
        for (int press = 1; press <= 2 * n; ++press) {
            press % 2 ? e.gui.OnMouseDown(5, 5, IMouseMod(true))
                      : e.gui.OnMouseDblClick(5, 5, IMouseMod(true));
            const int position = press % n;
            EXPECT_NEAR(sw->GetValue(), position / double(n - 1), 1e-9) << n << " frames, press " << press;
            EXPECT_EQ(FrameForValue(sw->GetValue(), n), position + 1);
        }
    }
    Editor e;
    auto* contact = e.add(new IContactControl(&e.plug, 0, 0, 1, IBitmap{nullptr, 20, 40, 2}));
    e.gui.OnMouseDown(5, 5, IMouseMod(true));
    const double pressed = contact->GetValue();
    e.gui.OnMouseUp(5, 5, IMouseMod(true));
    EXPECT_EQ(std::pair(pressed, contact->GetValue()), std::pair(1.0, 0.0));
}

TEST(IGraphics, FrameChoiceRoundsToTheNearestFrameWithinTheStrip) {
    using Case = std::tuple<double, int, int>;
    for (const auto& [value, n, frame] :
         {Case{0.0, 65, 1}, Case{1.0, 65, 65}, Case{0.5, 65, 33}, Case{0.249, 3, 1}, Case{0.251, 3, 2},
          Case{-0.3, 4, 1}, Case{1.4, 4, 4}, Case{0.7, 1, 1}})
        EXPECT_EQ(FrameForValue(value, n), frame) << value << " of " << n;
}

TEST(IGraphics, DoubleClickSetsTheDefaultOrActsAsAPress) {
    Editor e;
    auto* knob = e.add(new IKnobMultiControl(&e.plug, 0, 0, 0, kKnobStrip));
    auto* plain = e.add(new IKnobMultiControl(&e.plug, 50, 0, 1, kKnobStrip));
    auto* single = e.add(new CountingControl(&e.plug, IRECT(100, 0, 140, 40), 2));
    knob->SetValue(0.9);
    knob->SetDefaultValue(0.25);
    plain->SetValue(0.9);
    single->SetMouseDblAsSingleClick(true);
    e.gui.OnMouseDblClick(5, 5, IMouseMod(true));
    e.gui.OnMouseDblClick(55, 5, IMouseMod(true));
    e.gui.OnMouseDblClick(105, 5, IMouseMod(true));
    EXPECT_EQ(std::tuple(knob->GetValue(), e.plug.GetParam(0)->GetNormalized(), plain->GetValue(),
                         single->presses, e.gui.GetCapturedControlIdx()),
              std::tuple(0.25, 0.25, 0.9, 1, 2));
}

TEST(IGraphics, ADragKeepsItsControlAfterLeavingItAndTellsTheHostBeginAndEnd) {
    Editor e;
    auto* knob = e.add(new IKnobMultiControl(&e.plug, 0, 0, 1, kKnobStrip, IKnobControl::kVertical, 1.0));
    auto* other = e.add(new IKnobMultiControl(&e.plug, 100, 0, 3, kKnobStrip));
    e.gui.OnMouseDown(10, 30, IMouseMod(true));
    e.gui.OnMouseDrag(110, 20, IMouseMod(true));
    e.gui.OnMouseDrag(110, 20, IMouseMod(true)); // no movement: dropped
    e.gui.OnMouseDrag(150, 10, IMouseMod(true));
    e.gui.OnMouseUp(150, 10, IMouseMod(true));
    EXPECT_NEAR(knob->GetValue(), 20.0 / 40, 1e-12);
    EXPECT_EQ(other->GetValue(), 0.0);
    const std::vector<std::string> expected = {"begin 1",      "inform 1 0.25", "change 1",
                                               "inform 1 0.5", "change 1",      "end 1"};
    EXPECT_EQ(e.plug.log, expected);
    EXPECT_EQ(e.gui.GetCapturedControlIdx(), -1);
}

TEST(IGraphics, MouseOverTracksTheControlUnderTheMouseOnlyWhileTrackingIsOn) {
    struct Hover : CountingControl {
        using CountingControl::CountingControl;
        void OnMouseOver(int, int, const IMouseMod&) override { ++overs; }
        void OnMouseOut() override { ++outs; }
        int overs = 0, outs = 0;
    };
    Editor e;
    auto* a = e.add(new Hover(&e.plug, IRECT(0, 0, 20, 20)));
    auto* b = e.add(new Hover(&e.plug, IRECT(20, 0, 40, 20)));
    e.gui.OnMouseOver(5, 5, IMouseMod());
    EXPECT_EQ(a->overs, 0);
    e.gui.HandleMouseOver(true);
    e.gui.OnMouseOver(5, 5, IMouseMod());
    e.gui.OnMouseOver(6, 5, IMouseMod());
    e.gui.OnMouseOver(25, 5, IMouseMod());
    e.gui.OnMouseOut();
    EXPECT_EQ(std::tuple(a->overs, a->outs, b->overs, b->outs), std::tuple(2, 1, 1, 1));
}

TEST(IGraphics, TimerRedrawsOnlyTheDirtyAreaAndIdlesOnEvery21stQuietTick) {
    Editor e;
    auto* a = e.add(new CountingControl(&e.plug, IRECT(0, 0, 20, 20)));
    auto* b = e.add(new CountingControl(&e.plug, IRECT(50, 0, 70, 20)));
    auto* c = e.add(new CountingControl(&e.plug, IRECT(100, 50, 120, 70)));
    e.gui.OnTimerTick(); // everything starts dirty
    EXPECT_EQ(e.gui.drawnAreas, std::vector<IRECT>{IRECT(0, 0, 120, 70)});
    a->SetDirty(false);
    b->SetDirty(false);
    e.gui.OnTimerTick();
    EXPECT_EQ(std::pair(e.gui.drawnAreas.back(), c->draws), std::pair(IRECT(0, 0, 70, 20), 1));
    e.gui.SetStrictDrawing(true);
    b->SetDirty(false);
    e.gui.OnTimerTick();
    EXPECT_EQ(std::pair(e.gui.drawnAreas.back(), a->draws), std::pair(b->GetRECT(), 2));

    for (int tick = 1; tick <= 41; ++tick) e.gui.OnTimerTick();
    EXPECT_EQ(e.plug.idleCalls, 1);
    c->SetDirty(false);
    e.gui.OnTimerTick(); // a redraw starts the count again
    for (int tick = 1; tick <= 20; ++tick) e.gui.OnTimerTick();
    EXPECT_EQ(e.plug.idleCalls, 1);
    e.gui.OnTimerTick();
    EXPECT_EQ(e.plug.idleCalls, 2);
}

TEST(IGraphics, ValuesFromThePlugReachTheirControlsAndWaitWhileTheEditorIsBusy) {
    Editor e;
    auto* knob = e.add(new IKnobMultiControl(&e.plug, 0, 0, 2, kKnobStrip));
    auto* aux = e.add(new CountingControl(&e.plug, IRECT(50, 0, 60, 10)));
    aux->AddAuxParam(2);
    e.gui.SetParameterFromPlug(2, 0.75, false);
    EXPECT_EQ(std::pair(knob->GetValue(), aux->GetAuxParamValue(0)), std::pair(0.75, 0.75));
    {
        std::lock_guard<std::recursive_mutex> busy(e.gui.GetMutex());
        std::thread([&] { e.gui.SetParameterFromPlug(2, 0.25, true); }).join();
        EXPECT_EQ(knob->GetValue(), 0.75);
    }
    e.gui.OnTimerTick();
    EXPECT_EQ(knob->GetValue(), 0.25);
    e.gui.SetControlFromPlug(0, 0.5);
    EXPECT_EQ(knob->GetValue(), 0.5);
}

} // namespace
