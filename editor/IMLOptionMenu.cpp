#include "editor/IMLOptionMenu.h"

#include "editor/File.h"
#include "editor/IGraphics.h"
#include "synth/Synth.h"

IMLOptionMenu::IMLOptionMenu(Synth* plug, const IRECT& area) : IControl(plug, area), synth(plug) {}

void IMLOptionMenu::OnMouseDown(int x, int y, const IMouseMod&) {
    if (!graphics) return;
    const bool clipboard = synth->copiedPreset.Size() > 0;
    const bool startupBank = !synth->startupFxb.empty();
    const std::string& website = synth->versionCheck.websiteUrl;

    auto* midi = new IPopupMenu();
    midi->AddItem("MIDI Thru")->SetChecked(synth->midiThru);
    midi->AddItem("Ignore Program Change")->SetChecked(synth->ignoreProgramChange);
    auto* online = new IPopupMenu();
    online->AddItem("Check Online for Update");
    online->AddItem(website.empty() ? "Visit (no web site configured)" : ("Visit " + website).c_str())
        ->SetEnabled(!website.empty());

    // Each item's position is its command's number.
    IPopupMenu menu;
    menu.AddItem("Copy Program");
    menu.AddItem("Paste Program")->SetEnabled(clipboard);
    menu.AddItem("Init Program");
    menu.AddSeparator();
    menu.AddItem("Load Program");
    menu.AddItem("Save Program");
    menu.AddItem("Load Bank");
    menu.AddItem("Save Bank");
    menu.AddSeparator();
    menu.AddItem("Select Startup Bank");
    menu.AddItem("Load Startup Bank")->SetEnabled(startupBank);
    menu.AddItem("Unselect Startup Bank")->SetEnabled(startupBank);
    menu.AddSeparator();
    menu.AddItem("Default Path for Program Files");
    menu.AddItem("Global MIDI Settings...", midi);
    menu.AddItem("Reload Configuration");
    menu.AddItem("Save Configuration");
    menu.AddSeparator();
    menu.AddItem("Go Online...", online);

    const IPopupMenu* chosen = graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y));
    if (!chosen) return;
    int command = chosen->GetChosenItemIdx();
    if (chosen == midi) command += File::kMidiThru;
    if (chosen == online) command += File::kCheckOnline;
    File::runCommand(synth, graphics, static_cast<File::Command>(command));
}
