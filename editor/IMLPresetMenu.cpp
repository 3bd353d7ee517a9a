#include "editor/IMLPresetMenu.h"

#include "editor/IGraphics.h"
#include "synth/Synth.h"

#include <cstdio>

IMLPresetMenu::IMLPresetMenu(Synth* plug, const IRECT& numberRect, const IRECT& nameRect)
    : IControl(plug, numberRect.Union(nameRect)), synth(plug), numberRect(numberRect), nameRect(nameRect) {
    text = IText(14, IColor(255, 255, 128, 0), "Monaco", IText::kStyleNormal, IText::kAlignNear);
}

bool IMLPresetMenu::Draw(IGraphics* graphics) {
    char number[16];
    const int current = synth->GetCurrentPresetIdx();
    std::snprintf(number, sizeof number, "%02d", current);
    numberText = number;
    nameText = std::string(synth->GetPresetName(current)).substr(0, kShownNameChars);
    IText centred = text;
    centred.align = IText::kAlignCenter;
    graphics->DrawIText(centred, numberText.c_str(), numberRect);
    return graphics->DrawIText(text, nameText.c_str(), nameRect);
}

void IMLPresetMenu::OnMouseDown(int x, int y, const IMouseMod&) {
    if (!graphics) return;
    const int current = synth->GetCurrentPresetIdx();
    if (nameRect.Contains(x, y)) {
        graphics->CreateTextEntry(this, text, nameRect, synth->GetPresetName(current), nullptr);
        return;
    }
    IPopupMenu menu;
    char item[300];
    for (int base = 0; base < Synth::kNumPrograms; base += kProgramsPerSubmenu) {
        auto* submenu = new IPopupMenu();
        for (int i = base; i < base + kProgramsPerSubmenu; ++i) {
            std::snprintf(item, sizeof item, "%02u: %s", static_cast<unsigned>(i), synth->GetPresetName(i));
            submenu->AddItem(item)->SetChecked(i == current);
        }
        std::snprintf(item, sizeof item, "%02d - %02d", base, base + kProgramsPerSubmenu - 1);
        menu.AddItem(item, submenu);
    }
    IPopupMenu* chosen = graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y));
    if (!chosen) return;
    for (int s = 0; s < menu.GetNItems(); ++s) {
        if (menu.GetItem(s)->GetSubmenu() == chosen) {
            synth->changePreset(s * kProgramsPerSubmenu + chosen->GetChosenItemIdx());
            graphics->SetAllControlsDirty();
        }
    }
}

void IMLPresetMenu::TextFromTextEntry(const char* entered) {
    const std::string name = std::string(entered ? entered : "").substr(0, kMaxNameChars);
    synth->ModifyCurrentPreset(name.c_str());
    synth->InformHostOfProgramChange();
    synth->DirtyParameters();
    SetDirty(false);
}
