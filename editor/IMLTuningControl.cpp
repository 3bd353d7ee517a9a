#include "editor/IMLTuningControl.h"

#include "editor/IGraphics.h"
#include "synth/Synth.h"

#include <cctype>

namespace {
constexpr int kBuiltInTunings = 14;
constexpr int kUserTuningItem = 15;
constexpr int kLoadItem = 17;

bool isTunFile(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension == ".TUN";
}
} // namespace

bool IMLTuningControl::bAskForPrioritizingExactTuning = true;
bool IMLTuningControl::bPrioritizeExactTuning = false;

IMLTuningControl::IMLTuningControl(Synth* plug, const IRECT& area) : IControl(plug, area), synth(plug) {
    text = IText(14, IColor(255, 255, 128, 0), "Monaco", IText::kStyleNormal, IText::kAlignCenter);
}

bool IMLTuningControl::Draw(IGraphics* graphics) {
    return graphics->DrawIText(text, synth->getTuningName(-1), rect);
}

void IMLTuningControl::OnMouseOver(int, int, const IMouseMod&) {
    SetTooltip(synth->getTuningName(-1));
}

void IMLTuningControl::OnMouseDown(int x, int y, const IMouseMod&) {
    if (!graphics) return;
    IPopupMenu menu;
    if (synth->hasMTSMaster()) {
        menu.AddItem("Tuning is controlled by MTS-ESP Master");
        graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y));
        SetDirty(false);
        return;
    }
    for (int i = 0; i < kBuiltInTunings; ++i) menu.AddItem(synth->getTuningName(i));
    menu.AddSeparator();
    const char* user = synth->getTuningName(kBuiltInTunings);
    if (user && *user)
        menu.AddItem(user);
    else
        menu.AddItem("[not available]", -1, IPopupMenuItem::kDisabled);
    menu.AddSeparator();
    menu.AddItem("Load Tuning...");
    const int current = static_cast<int>(synth->microTuning);
    menu.CheckItemAlone(current < kBuiltInTunings ? current : kUserTuningItem);

    if (graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y)) == &menu) {
        const int chosen = menu.GetChosenItemIdx();
        if (chosen < kBuiltInTunings) synth->setTuning(static_cast<MicroTuning>(chosen));
        if (chosen == kUserTuningItem) synth->setTuning(eUserTuning);
        if (chosen == kLoadItem) loadTuningFile();
    }
    SetDirty(false);
}

void IMLTuningControl::loadTuningFile() {
    std::string path;
    graphics->PromptForFile(&path, IGraphics::kFileOpen, synth->homePath, "tun scl kbm");
    if (path.empty()) return;
    if (bAskForPrioritizingExactTuning && isTunFile(path)) {
        const int answer = graphics->ShowMessageBox(
            "Do you want to use the Exact Tuning instead of the Functional Tuning as given in the TUN "
            "file?\n\nNote: Most instruments ignore Functional Tuning. For compatibility reasons it is "
            "recommended to prioritize Exact Tuning.",
            "Use Exact Tuning instead of Functional Tuning", IGraphics::kMB_YESNO);
        bPrioritizeExactTuning = answer != IGraphics::kMB_RESULT_NO;
        bAskForPrioritizingExactTuning = false;
    }
    if (synth->loadTuning(path.c_str(), bPrioritizeExactTuning) == TuningEngine::kLoadDone)
        synth->setTuning(eUserTuning);
    else
        graphics->ShowMessageBox("Cannot load file!", "Error", IGraphics::kMB_OK);
}
