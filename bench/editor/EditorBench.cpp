#include "editor/IGraphics.h"
#include "editor/KorvantaLayout.h"
#include "editor/MakeGraphics.h"
#include "editor/platform/IGraphicsHeadless.h"
#include "instrument/Korvanta.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

IGraphics* makeHeadless(IPlugBase* plug, int w, int h, int fps) {
    return new IGraphicsHeadless(plug, w, h, fps);
}

struct Editor {
    std::unique_ptr<Korvanta> plug;
    IGraphics* gui;

    Editor() {
        SetGraphicsMaker(makeHeadless);
        IPlugInstanceInfo info;
        info.VSTHostCallback = callback;
        plug = std::make_unique<Korvanta>(info);
        SetGraphicsMaker(nullptr);
        plug->SetSampleRate(44100.0);
        plug->SetBlockSize(512);
        plug->Reset();
        plug->OnActivate(true);
        gui = plug->GetGUI();
        gui->OpenWindow(reinterpret_cast<void*>(1));
        gui->OnTimerTick();
    }
    IControl* control(int paramIdx) {
        for (int i = 0; i < gui->NControls(); ++i) {
            if (gui->GetControl(i)->ParamIdx() == paramIdx) return gui->GetControl(i);
        }
        return nullptr;
    }
};

void BM_FullRedraw(benchmark::State& state) {
    Editor e;
    const IRECT all(0, 0, e.gui->Width(), e.gui->Height());
    for (auto _ : state) e.gui->Draw(all);
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);

void BM_IdleTickWithNothingDirty(benchmark::State& state) {
    Editor e;
    for (auto _ : state) e.gui->OnTimerTick();
}
BENCHMARK(BM_IdleTickWithNothingDirty)->Unit(benchmark::kMicrosecond);

void BM_RedrawAfterOneKnobStep(benchmark::State& state) {
    Editor e;
    IControl* knob = e.control(kFilterCutoff);
    double value = 0.0;
    for (auto _ : state) {
        value = value >= 1.0 ? 0.0 : value + 1.0 / 64;
        e.gui->SetParameterFromPlug(kFilterCutoff, value, true);
        e.gui->OnTimerTick();
    }
    benchmark::DoNotOptimize(knob->GetValue());
}
BENCHMARK(BM_RedrawAfterOneKnobStep)->Unit(benchmark::kMicrosecond);

// The slowest process call of a block size of 512 with eight held notes, with the window redrawing
// everything without pause on another thread (argument 1) or not at all (argument 0).
void BM_WorstProcessCallWhileRedrawing(benchmark::State& state) {
    Editor e;
    for (int note = 48; note < 72; note += 3) {
        IMidiMsg msg(0, 0x90, static_cast<uint8_t>(note), 100);
        e.plug->ProcessMidiMsg(&msg);
    }
    std::atomic<bool> running{state.range(0) != 0};
    std::thread painter([&] {
        while (running) {
            e.gui->SetAllControlsDirty();
            e.gui->OnTimerTick();
            // Host automation arriving while the editor draws.
            e.plug->SetParameterFromGUI(kFilterCutoff, 0.5);
        }
    });
    std::vector<double> left(512), right(512);
    double* outputs[] = {left.data(), right.data()};
    double worst = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            std::lock_guard<std::recursive_mutex> lock(e.plug->GetMutex());
            e.plug->ProcessDoubleReplacing(nullptr, outputs, 512);
        }
        worst = std::max(
            worst,
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    running = false;
    painter.join();
    state.counters["worst_us"] = worst;
}
BENCHMARK(BM_WorstProcessCallWhileRedrawing)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// From the click to the menu painted as the window shows it: the option, program, tuning and
// wave-table menus, and a program chosen in the program menu with the redraw that follows.
// Argument: which menu's spot is clicked.
const IRECT kMenuSpots[] = {KorvantaLayout::kOptionMenu, KorvantaLayout::kProgramNumber,
                            KorvantaLayout::kTuning, IRECT(146, 92, 246, 156)};

void BM_OpenMenu(benchmark::State& state) {
    Editor e;
    auto* gui = static_cast<IGraphicsHeadless*>(e.gui);
    gui->paintMenus = true;
    const IRECT& spot = kMenuSpots[state.range(0)];
    for (auto _ : state) {
        e.gui->OnMouseDown(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnMouseUp(spot.L + 2, spot.T + 2, IMouseMod(true));
        gui->log.clear();
    }
}
BENCHMARK(BM_OpenMenu)
    ->ArgName("option_program_tuning_wave")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

void BM_ProgramChangeFromTheMenu(benchmark::State& state) {
    Editor e;
    auto* gui = static_cast<IGraphicsHeadless*>(e.gui);
    gui->paintMenus = true;
    const IRECT& spot = KorvantaLayout::kProgramNumber;
    int program = 0;
    for (auto _ : state) {
        program = (program + 1) % Synth::kNumPrograms;
        gui->script.menuChoices.push_back({program / 16, program % 16});
        e.gui->OnMouseDown(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnMouseUp(spot.L + 2, spot.T + 2, IMouseMod(true));
        e.gui->OnTimerTick();
        gui->log.clear();
        gui->drawnAreas.clear();
    }
}
BENCHMARK(BM_ProgramChangeFromTheMenu)->Unit(benchmark::kMillisecond);

} // namespace
