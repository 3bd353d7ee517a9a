#include "editor/KorvantaLayout.h"
#include "editor/MakeGraphics.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "instrument/Korvanta.h"

#include <benchmark/benchmark.h>

#include <memory>

// From the click to the menu painted as the window shows it: the option, program, tuning and
// wave-table menus, and a program chosen in the program menu with the redraw that follows.
namespace {

VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

IGraphics* makeHeadless(IPlugBase* plug, int w, int h, int fps) {
    return new IGraphicsHeadless(plug, w, h, fps);
}

struct MenuEditor {
    std::unique_ptr<Korvanta> plug;
    IGraphicsHeadless* gui;

    MenuEditor() {
        SetGraphicsMaker(makeHeadless);
        IPlugInstanceInfo info;
        info.VSTHostCallback = callback;
        plug = std::make_unique<Korvanta>(info);
        SetGraphicsMaker(nullptr);
        plug->SetSampleRate(44100.0);
        plug->Reset();
        gui = static_cast<IGraphicsHeadless*>(plug->GetGUI());
        gui->OpenWindow(reinterpret_cast<void*>(1));
        gui->OnTimerTick();
        gui->paintMenus = true;
    }
};

// Argument: which menu's spot is clicked.
const IRECT kMenuSpots[] = {KorvantaLayout::kOptionMenu, KorvantaLayout::kProgramNumber,
                            KorvantaLayout::kTuning, IRECT(146, 92, 246, 156)};

void BM_OpenMenu(benchmark::State& state) {
    MenuEditor e;
    const IRECT& spot = kMenuSpots[state.range(0)];
    for (auto _ : state) {
        e.gui->OnMouseDown(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnMouseUp(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->log.clear();
    }
}
BENCHMARK(BM_OpenMenu)
    ->ArgName("option_program_tuning_wave")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

void BM_ProgramChangeFromTheMenu(benchmark::State& state) {
    MenuEditor e;
    const IRECT& spot = KorvantaLayout::kProgramNumber;
    int program = 0;
    for (auto _ : state) {
        program = (program + 1) % Synth::kNumPrograms;
        e.gui->script.menuChoices.push_back({program / 16, program % 16});
        e.gui->OnMouseDown(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnMouseUp(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnTimerTick();
        e.gui->log.clear();
        e.gui->drawnAreas.clear();
    }
}
BENCHMARK(BM_ProgramChangeFromTheMenu)->Unit(benchmark::kMillisecond);

} // namespace
