#include "editor/IKnobMultiControl.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "tests/plugin/IPlugTestPlugs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class KnobPlug : public TestPlug {
public:
    KnobPlug() : TestPlug("0-2", 4) {
        for (int i = 0; i < NParams(); ++i) GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
    }
};

// A control that only carries an auxiliary parameter.
class AuxControl : public IControl {
public:
    AuxControl(IPlugBase* plug, const IRECT& rect) : IControl(plug, rect) {}
    bool Draw(IGraphics*) override { return true; }
};

constexpr IBitmap kKnobStrip{nullptr, 40, 40 * 65, 65};

struct Editor {
    KnobPlug plug;
    IGraphicsHeadless gui{&plug, 200, 100};

    template <class C>
    C* add(C* control) {
        gui.AttachControl(control);
        return control;
    }
};

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

TEST(IGraphics, ValuesFromThePlugReachTheirControlsAndWaitWhileTheEditorIsBusy) {
    Editor e;
    auto* knob = e.add(new IKnobMultiControl(&e.plug, 0, 0, 2, kKnobStrip));
    auto* aux = e.add(new AuxControl(&e.plug, IRECT(50, 0, 60, 10)));
    aux->AddAuxParam(2);
    EXPECT_EQ(std::pair(aux->AuxParamIdx(0), aux->AuxParamIdx(1)), std::pair(2, -1));
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
