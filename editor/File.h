#pragma once

#include <string>

class IGraphics;
class Synth;

// The commands of the option menu and of the program buttons, numbered as the option menu lists them,
// and the dispatcher that carries them out with their confirmations, file prompts and messages.
namespace File {

enum Command : int {
    kCopyProgram = 0,
    kPasteProgram = 1,
    kInitProgram = 2,
    kLoadProgram = 4,
    kSaveProgram = 5,
    kLoadBank = 6,
    kSaveBank = 7,
    kSelectStartupBank = 9,
    kLoadStartupBank = 10,
    kUnselectStartupBank = 11,
    kDefaultProgramPath = 13,
    kGlobalMidiSettings = 14,
    kReloadConfiguration = 15,
    kSaveConfiguration = 16,
    kGoOnline = 18,
    kMidiThru = 19,
    kIgnoreProgramChange = 20,
    kCheckOnline = 21,
    kVisitWebsite = 22,
};

// Results of the load and save operations as the startup-bank selection reports them.
constexpr int kCannotLoad = 8;
constexpr int kCannotSave = 9;

// Carries out cmd; the values that are no command do nothing. Runs on the editor's thread.
void runCommand(Synth* plug, IGraphics* gui, Command cmd);
// A program name made into a file name: characters no file system takes become underscores.
std::string replaceIllegalFileChar(const std::string& name);
// The folder of path: everything before its last '/' or '\', empty when it has neither.
std::string makeNewFilePath(const std::string& path);

} // namespace File
