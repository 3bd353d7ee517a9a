#include "instrument/Korvanta.h"

#include "editor/IGraphics.h"
#include "editor/IMLBitmapControl.h"
#include "editor/IMLButtonKick.h"
#include "editor/IMLKnobControl.h"
#include "editor/IMLOptionMenu.h"
#include "editor/IMLPresetMenu.h"
#include "editor/IMLSourceControl.h"
#include "editor/IMLSwitchControl.h"
#include "editor/IMLSwitchMidiLearn.h"
#include "editor/IMLTuningControl.h"
#include "editor/IMLVoicesControl.h"
#include "editor/ITextControl.h"
#include "editor/KorvantaLayout.h"
#include "editor/MakeGraphics.h"
#include "instrument/IMLUtilityKick.h"
#include "instrument/IMLWaveTableControl.h"

#include <cstdio>

using namespace KorvantaLayout;

namespace {

// Knobs of few positions turn one position per knob height; all others take four.
constexpr double kSteppedGearing = 1.0;

// The frequency knob and the sync-rate knob of each generator share one spot; the sync switch picks.
struct SyncPair {
    int syncParam;
    int frequency;
    int syncRate;
};
constexpr SyncPair kSyncPairs[] = {{kMG1SyncToHost, kMG1Frequency, kMG1SyncRate},
                                   {kMG2SyncToHost, kMG2Frequency, kMG2SyncRate},
                                   {kVibratoSyncToHost, kVibratoFrequency, kVibratoSyncRate}};

// Sources that are normally off write "OFF" faintly: those of the oscillators, cross FM and AM.
bool isDimSource(int paramIdx) {
    return paramIdx < kLevelOsc1 || paramIdx == kFilterCFMSource || paramIdx == kAmpAMSource;
}

} // namespace

void Korvanta::createGraphics() {
    IGraphics* g = MakeGraphics(this, kWidth, kHeight, kFPS);
    g->SetResourcePath(pluginPath + kResourceFolder);
    g->HandleMouseOver(true);
    g->AttachBackground(kBackground, bitmapInfo(kBackground).file);
    auto bitmap = [g](int id) {
        const BitmapInfo& info = bitmapInfo(id);
        return g->LoadIBitmap(id, info.file, info.frames);
    };

    for (const LayoutItem& item : kItems) {
        const int bitmapId = bitmapOf(item.kind);
        switch (item.kind) {
        case LayoutKind::Knob:
        case LayoutKind::WhiteKnob:
        case LayoutKind::OctaveKnob:
        case LayoutKind::WaveformKnob: {
            const bool stepped = item.kind == LayoutKind::OctaveKnob || item.kind == LayoutKind::WaveformKnob;
            auto* knob = new IMLKnobControl(this, item.x, item.y, item.id, bitmap(bitmapId),
                                            stepped ? kSteppedGearing : IKnobControl::kDefaultGearing);
            knob->SetDefaultValue(GetParam(item.id)->GetNormalized(GetParam(item.id)->GetDefault()));
            for (const SyncPair& pair : kSyncPairs) {
                if (item.id == pair.frequency) knob->ShowOnlyWhen(pair.syncParam, false);
                if (item.id == pair.syncRate) knob->ShowOnlyWhen(pair.syncParam, true);
            }
            g->AttachControl(knob);
            break;
        }
        case LayoutKind::Source:
            g->AttachControl(new IMLSourceControl(this, item.x, item.y, item.id, isDimSource(item.id)));
            break;
        case LayoutKind::Switch2:
        case LayoutKind::Switch3:
            g->AttachControl(new IMLSwitchControl(this, item.x, item.y, item.id, bitmap(bitmapId)));
            break;
        case LayoutKind::OrangeButton:
        case LayoutKind::PlainButton:
        case LayoutKind::WhiteButton:
            // Each "off" bitmap is followed by its "on" bitmap.
            g->AttachControl(
                new IMLButtonKick(this, item.x, item.y, item.id, bitmap(bitmapId), bitmap(bitmapId + 1)));
            break;
        case LayoutKind::UnisonOff:
        case LayoutKind::UnisonOn: {
            auto* button =
                new IMLButtonKick(this, item.x, item.y, item.id, bitmap(kButtonOff), bitmap(kButtonOn));
            button->SetsParameter(kUnisonMode, item.kind == LayoutKind::UnisonOn ? 1.0 : 0.0);
            g->AttachControl(button);
            break;
        }
        case LayoutKind::Voices:
            g->AttachControl(new IMLVoicesControl(this, item.x, item.y, item.id, bitmap(bitmapId)));
            break;
        case LayoutKind::Lamp: {
            auto* lamp = new IMLBitmapControl(this, item.x, item.y, item.id, bitmap(bitmapId));
            lamp->Hide(true);
            g->AttachControl(lamp);
            lamps[static_cast<size_t>(kTagLamp1 - item.id)] = lamp;
            break;
        }
        case LayoutKind::WaveDisplay: {
            int k = 0;
            while (kWaveTableParams[static_cast<size_t>(k)] != item.id) ++k;
            g->AttachControl(new IMLWaveTableControl(this, item.x, item.y, k));
            break;
        }
        case LayoutKind::ArrowUp:
        case LayoutKind::ArrowDown:
        case LayoutKind::NextProgram:
        case LayoutKind::PreviousProgram:
        case LayoutKind::Copy:
        case LayoutKind::Init:
            g->AttachControl(new IMLUtilityKick(this, item.x, item.y, item.id, bitmap(bitmapId)));
            break;
        case LayoutKind::Paste: {
            auto* paste = new IMLUtilityKick(this, item.x, item.y, item.id, bitmap(bitmapId));
            paste->SetFullClipboardBitmap(bitmap(kButtonWhiteOn));
            g->AttachControl(paste);
            pasteKick = paste;
            break;
        }
        case LayoutKind::LearnSwitch:
            learnSwitch =
                new IMLSwitchMidiLearn(this, item.x, item.y, item.id, bitmap(kLearn), bitmap(kUnlearn));
            g->AttachControl(learnSwitch);
            break;
        default:
            break;
        }
    }
    g->AttachControl(new IMLPresetMenu(this, kProgramNumber, kProgramName));
    g->AttachControl(new IMLOptionMenu(this, kOptionMenu));
    g->AttachControl(new IMLTuningControl(this, kTuning));

    int major = 0, minor = 0, patch = 0;
    GetVersionParts(GetEffectVersion(false), &major, &minor, &patch);
    char version[32];
    std::snprintf(version, sizeof version, "v.%d.%d.%d", major, minor, patch);
    g->AttachControl(
        new ITextControl(this, kVersion, IText(10, IColor(255, 158, 173, 189), "Monaco"), version));
    gui = g;
}

void Korvanta::OnIdle() {
    if (!gui || !gui->WindowIsOpen()) return;
    std::lock_guard<std::recursive_mutex> lock(gui->GetMutex());
    // Single words read without the plug-in's lock: a stale one delays a lamp by one idle call.
    const bool held = getNumPressedKeys() > 0;
    for (int k = 0; k < kNumOscillators; ++k) {
        const bool sounding = held && oscOn[static_cast<size_t>(k)] && (!xMode || xModeOsc == k);
        if (IControl* lamp = lamps[static_cast<size_t>(k)]) lamp->Hide(!sounding);
    }
    // The paste button lights once a program waits on the clipboard.
    const bool clipboard = copiedPreset.Size() > 0;
    if (pasteKick && clipboard != pasteLit) pasteKick->SetDirty(false);
    pasteLit = clipboard;
    if (learnSwitch && learnFinished.exchange(false, std::memory_order_relaxed)) {
        learnSwitch->SetValue(0.0);
        learnSwitch->SetDirty(false);
    }
}

// A controller is learnt on the audio thread: the switch falls back to off on the next idle call.
void Korvanta::showMidiLearnFinished() {
    learnFinished.store(true, std::memory_order_relaxed);
}

int Korvanta::showMessageBox(const char* text, const char* caption, int yesNo) {
    if (!gui) return Synth::showMessageBox(text, caption, yesNo);
    return gui->ShowMessageBox(text, caption, yesNo ? IGraphics::kMB_YESNO : IGraphics::kMB_OK);
}

bool Korvanta::openURL(const char* url) {
    return gui && gui->OpenURL(url);
}

void Korvanta::OnGUIOpen() {
    // Values that changed while the window was closed (the switches' rule included) are pushed again.
    if (gui) AttachGraphics(gui);
}

void Korvanta::updateUI(int paramIdx, bool) {
    if (!gui || !gui->WindowIsOpen()) return;
    // The controls that follow this parameter hold it as an auxiliary parameter; handing the value to
    // the editor reaches them without waiting, whichever thread changed it.
    switch (paramIdx) {
    case kUnisonMode:
    case kMG1SyncToHost:
    case kMG2SyncToHost:
    case kVibratoSyncToHost:
        gui->SetParameterFromPlug(paramIdx, GetParam(paramIdx)->GetNormalized(), true);
        break;
    default:
        break;
    }
}
