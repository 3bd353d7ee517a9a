#pragma once

#include "editor/MakeGraphics.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "tests/support/KorvantaTestHost.h"

#include <cairo.h>

#include <memory>

// The instrument with its editor open on the headless platform, which answers from a script.
namespace testeditor {

inline IGraphics* makeHeadless(IPlugBase* plug, int w, int h, int fps) {
    return new IGraphicsHeadless(plug, w, h, fps);
}

struct OpenEditor {
    std::unique_ptr<testhost::ProbedKorvanta> plug;
    IGraphicsHeadless* gui;

    OpenEditor() {
        SetGraphicsMaker(makeHeadless);
        plug = testhost::makeInstrument();
        SetGraphicsMaker(nullptr);
        gui = static_cast<IGraphicsHeadless*>(plug->GetGUI());
        plug->VSTDispatcher(plug->GetAEffect(), effEditOpen, 0, 0, reinterpret_cast<void*>(1), 0.0f);
        gui->OnTimerTick();
    }
    template <class C = IControl>
    C* control(int paramIdx, int nth = 0) {
        for (int i = 0; i < gui->NControls(); ++i) {
            if (gui->GetControl(i)->ParamIdx() == paramIdx && nth-- == 0)
                return static_cast<C*>(gui->GetControl(i));
        }
        return nullptr;
    }
    void click(IControl* c, IMouseMod mod = IMouseMod(true)) {
        const IRECT& r = c->GetRECT();
        gui->OnMouseDown(r.L + 2, r.T + 2, mod);
        gui->OnMouseUp(r.L + 2, r.T + 2, mod);
    }
    // A hash of the pixels of area as last drawn.
    uint64_t pixels(const IRECT& area) {
        gui->OnTimerTick();
        cairo_surface_t* s = cairo_get_target(gui->GetDrawContext());
        cairo_surface_flush(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        uint64_t hash = 1469598103934665603ull;
        for (int y = area.T; y < area.B; ++y)
            for (int x = area.L * 4; x < area.R * 4; ++x)
                hash = (hash ^ data[y * stride + x]) * 1099511628211ull;
        return hash;
    }
};

} // namespace testeditor
