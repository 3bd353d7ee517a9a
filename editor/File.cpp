#include "editor/File.h"

#include "editor/IGraphics.h"
#include "instrument/KorvantaExtension.h"
#include "synth/Synth.h"

#include <cstdio>
#include <string_view>

namespace {

namespace ext = KorvantaExtension;

constexpr int kMessageBytes = 1024;
constexpr size_t kMaxFileNameChars = 255;

// The two folders the prompts remember for the whole process; each is set up on its first use.
struct Folders {
    bool programKnown = false;
    std::string program;
    bool startupKnown = false;
    std::string startup;
};

Folders& folders() {
    static Folders remembered;
    return remembered;
}

std::string& programFolder(const Synth* plug) {
    Folders& f = folders();
    if (!f.programKnown) f.program = plug->programPath;
    f.programKnown = true;
    return f.program;
}

std::string& startupFolder(const Synth* plug) {
    Folders& f = folders();
    if (!f.startupKnown) f.startup = plug->homePath;
    f.startupKnown = true;
    return f.startup;
}

std::string formatted(const char* format, const std::string& argument) {
    char text[kMessageBytes];
    std::snprintf(text, sizeof text, format, argument.c_str());
    return text;
}

bool confirmed(IGraphics* gui, const char* text, const char* caption) {
    return gui->ShowMessageBox(text, caption, IGraphics::kMB_YESNO) != IGraphics::kMB_RESULT_NO;
}

// Only a "yes" counts: the configuration commands overwrite or drop what the user set.
bool saidYes(IGraphics* gui, const std::string& text, const char* caption) {
    return gui->ShowMessageBox(text.c_str(), caption, IGraphics::kMB_YESNO) == IGraphics::kMB_RESULT_YES;
}

void showResult(IGraphics* gui, int result) {
    if (result == File::kCannotLoad) gui->ShowMessageBox("Cannot load file!", "Error", IGraphics::kMB_OK);
    if (result == File::kCannotSave) gui->ShowMessageBox("Cannot save file!", "Error", IGraphics::kMB_OK);
}

// The host extension's operation for a file: the editor and every host load and save the same way.
int fileOperation(Synth* plug, int32_t command, const std::string& path) {
    ext::Request request;
    request.path = path.c_str();
    const intptr_t result = plug->HandleVendorCommand(command, &request);
    if (result == ext::kDone) return 0;
    return command == ext::kSaveProgram || command == ext::kSaveBank ? File::kCannotSave : File::kCannotLoad;
}

// A prompt in folder; returns the chosen path, empty when cancelled. The folder follows a choice.
std::string prompt(IGraphics* gui, IGraphics::EFileAction action, std::string* folder, const char* extension,
                   const std::string& proposed = "") {
    std::string path = proposed;
    gui->PromptForFile(&path, action, *folder, extension);
    if (!path.empty()) *folder = File::makeNewFilePath(path);
    return path;
}

void loadOrSave(Synth* plug, IGraphics* gui, File::Command cmd) {
    const bool bank = cmd == File::kLoadBank || cmd == File::kSaveBank;
    const bool save = cmd == File::kSaveProgram || cmd == File::kSaveBank;
    const char* extension = bank ? "fxb" : "fxp";
    std::string proposed;
    if (save) {
        proposed = bank ? "Korvanta" : plug->GetPresetName(plug->GetCurrentPresetIdx());
        proposed = File::replaceIllegalFileChar(proposed.substr(0, kMaxFileNameChars));
    }
    const std::string path = prompt(gui, save ? IGraphics::kFileSave : IGraphics::kFileOpen,
                                    &programFolder(plug), extension, proposed);
    if (path.empty()) return;
    if (save) plug->ModifyCurrentPreset();
    const int32_t operation =
        bank ? (save ? ext::kSaveBank : ext::kLoadBank) : (save ? ext::kSaveProgram : ext::kLoadProgram);
    showResult(gui, fileOperation(plug, operation, path));
}

} // namespace

namespace File {

std::string replaceIllegalFileChar(const std::string& name) {
    std::string clean = name;
    for (char& c : clean) {
        if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) c = '_';
    }
    return clean;
}

std::string makeNewFilePath(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

void runCommand(Synth* plug, IGraphics* gui, Command cmd) {
    if (!plug || !gui) return;
    switch (cmd) {
    case kCopyProgram:
        plug->copyPreset();
        break;
    case kPasteProgram:
        if (confirmed(gui, "Do you really want to overwrite the current program?", "Paste Program"))
            plug->pastePreset();
        break;
    case kInitProgram:
        if (confirmed(gui, "Do you really want to initialize the current program?", "Initialize Program"))
            plug->initPreset();
        break;
    case kLoadProgram:
    case kSaveProgram:
    case kLoadBank:
    case kSaveBank:
        loadOrSave(plug, gui, cmd);
        break;
    case kSelectStartupBank: {
        const std::string path = prompt(gui, IGraphics::kFileOpen, &startupFolder(plug), "fxb");
        if (!path.empty()) showResult(gui, plug->setStartupFxb(path.c_str()));
        break;
    }
    case kLoadStartupBank:
        if (plug->startupFxb.empty()) break;
        if (confirmed(gui,
                      formatted("The Startup Bank is:\n%s\n\nDo you really want to reload all programs?",
                                plug->startupFxb)
                          .c_str(),
                      "Load Startup Bank"))
            showResult(gui, fileOperation(plug, ext::kLoadBank, plug->startupFxb));
        break;
    case kUnselectStartupBank:
        if (plug->startupFxb.empty()) break;
        if (confirmed(
                gui,
                formatted("The Startup Bank is:\n%s\n\nDo you really want to unselect it?", plug->startupFxb)
                    .c_str(),
                "Unselect Startup Bank"))
            plug->unsetStartupFxb();
        break;
    case kDefaultProgramPath: {
        std::string& folder = programFolder(plug);
        std::string start = folder.empty() ? plug->homePath : folder;
        const std::string path = prompt(gui, IGraphics::kFileSave, &start, " ", "[file name is ignored]");
        if (path.empty()) break;
        folder = start;
        plug->storeProgramPath(&folder);
        break;
    }
    case kReloadConfiguration:
        if (saidYes(gui,
                    formatted("The INI configuration file is:\n%s\n\nDo you really want to reload it?",
                              plug->iniFile),
                    "Reload Configuration") &&
            plug->loadConfig() == Synth::kConfigMissing)
            gui->ShowMessageBox("The INI file does not exist.", "Problem with INI File", IGraphics::kMB_OK);
        break;
    case kSaveConfiguration:
        if (saidYes(gui,
                    formatted("The INI configuration file is:\n%s\n\nDo you really want to overwrite it?",
                              plug->iniFile),
                    "Save Configuration"))
            plug->saveConfig(Synth::kSaveAll);
        break;
    case kMidiThru:
        plug->midiThru = !plug->midiThru;
        plug->saveConfig(Synth::kSaveMidiThru);
        break;
    case kIgnoreProgramChange:
        plug->ignoreProgramChange = !plug->ignoreProgramChange;
        plug->saveConfig(Synth::kSaveIgnoreProgramChange);
        break;
    case kCheckOnline:
        plug->checkVersionAgainstWeb();
        break;
    case kVisitWebsite:
        if (!plug->versionCheck.websiteUrl.empty()) gui->OpenURL(plug->versionCheck.websiteUrl.c_str());
        break;
    default:
        break;
    }
    gui->SetAllControlsDirty();
}

} // namespace File
