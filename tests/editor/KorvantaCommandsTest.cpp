#include "editor/File.h"
#include "editor/KorvantaLayout.h"
#include "instrument/IMLWaveTableControl.h"
#include "tests/editor/OpenEditor.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

using namespace KorvantaLayout;
using testeditor::OpenEditor;

namespace {

constexpr int kYes = IGraphics::kMB_RESULT_YES;
constexpr int kNo = IGraphics::kMB_RESULT_NO;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

struct Commands : OpenEditor {
    ScratchFolder scratch;

    // Opens the menu of area, choosing path if one is given.
    void menu(const IRECT& area, std::optional<std::vector<int>> path, IMouseMod mod = IMouseMod(true)) {
        if (path) gui->script.menuChoices.push_back(std::move(*path));
        gui->OnMouseDown(area.L + 2, area.T + 2, mod);
    }
    void option(std::vector<int> path) { menu(kOptionMenu, std::move(path)); }
    // Everything a cancelled command must leave alone: the programs, the INI file and the folders
    // the next prompts start in.
    std::string state() {
        ByteChunk programs;
        plug->SerializePresets(&programs);
        const size_t logged = gui->log.size();
        option({4}); // load program: the program folder
        option({9}); // select startup bank: the startup-bank folder
        std::string folders;
        for (size_t i = logged; i < gui->log.size(); ++i) folders += gui->log[i] + "\n";
        gui->log.resize(logged);
        return std::string(reinterpret_cast<const char*>(programs.GetData()), programs.Size()) +
               bytesOf(plug->iniFile) + folders + plug->startupFxb;
    }
    std::vector<std::string> startingWith(const std::string& start) const {
        std::vector<std::string> lines;
        std::copy_if(gui->log.begin(), gui->log.end(), std::back_inserter(lines),
                     [&](const std::string& l) { return l.rfind(start, 0) == 0; });
        return lines;
    }
    bool logged(const std::string& line) const {
        return std::find(gui->log.begin(), gui->log.end(), line) != gui->log.end();
    }
};

} // namespace

TEST(KorvantaCommands, NoAndCancelLeaveProgramsIniAndFoldersAlone) {
    Commands e;
    e.option({File::kCopyProgram});
    e.plug->startupFxb = e.scratch.file("start.fxb");
    // Questions are answered no, file prompts cancelled.
    using List = std::vector<int>;
    for (const auto& [commands, answer] :
         {std::pair{List{File::kPasteProgram, File::kInitProgram, File::kLoadStartupBank,
                         File::kUnselectStartupBank, File::kReloadConfiguration, File::kSaveConfiguration},
                    kNo},
          std::pair{List{File::kLoadProgram, File::kSaveProgram, File::kLoadBank, File::kSaveBank,
                         File::kSelectStartupBank, File::kDefaultProgramPath},
                    0}})
        for (const int command : commands) {
            const std::string before = e.state();
            if (answer) e.gui->script.messageBoxResults.push_back(answer);
            const size_t asked = e.gui->log.size();
            e.option({command});
            // The menu, then the question or the prompt.
            EXPECT_EQ(e.gui->log.size(), asked + 2) << command;
            EXPECT_EQ(e.state(), before) << command;
            EXPECT_TRUE(e.gui->script.messageBoxResults.empty()) << command;
            EXPECT_EQ(e.scratch.entries(), 0) << command;
        }
}

TEST(KorvantaCommands, FilesAreWrittenAndReadWithFoldersFollowingChoicesAndFailuresSaid) {
    Commands e;
    e.plug->ModifyCurrentPreset("a/b:c");
    const std::string program = e.scratch.file("p.fxp");
    e.gui->script.files = {program};
    e.option({File::kSaveProgram});
    EXPECT_NE(e.gui->log.back().find(" fxp a_b_c"), std::string::npos) << e.gui->log.back();
    ASSERT_FALSE(bytesOf(program).empty());
    // The next prompt starts where the last file went.
    e.option({File::kLoadProgram});
    EXPECT_EQ(e.gui->log.back().rfind("file open " + e.scratch.path + " fxp", 0), 0u) << e.gui->log.back();

    e.gui->script.files = {program};
    e.option({File::kLoadProgram});
    EXPECT_STREQ(e.plug->GetPresetName(e.plug->GetCurrentPresetIdx()), "a/b:c");

    const std::string junk = e.scratch.write("junk.fxb", std::string("not a bank"));
    e.gui->script.files = {junk, e.scratch.path + "/missing/x.fxb"};
    e.option({File::kLoadBank});
    e.option({File::kSaveBank});
    EXPECT_EQ(e.startingWith("box Error: Cannot"),
              std::vector<std::string>({"box Error: Cannot load file!", "box Error: Cannot save file!"}));

    // A yes to init replaces the program.
    e.gui->script.messageBoxResults = {kYes};
    e.option({File::kInitProgram});
    EXPECT_TRUE(e.logged("box Initialize Program: Do you really want to initialize the current program?"));
    EXPECT_STRNE(e.plug->GetPresetName(e.plug->GetCurrentPresetIdx()), "a/b:c");
}

TEST(KorvantaCommands, WaveDisplayDrawsTheWaveItPlaysAndRefusedFilesSayWhy) {
    Commands e;
    auto* display = e.control<IMLWaveTableControl>(kWaveTable1);
    e.plug->SetParameterFromGUI(kWaveTable1, double(eSawSine) / e.plug->GetParam(kWaveTable1)->GetMax());
    const struct { double shape, phase, mode; } cases[] = {{0.3, 0.25, 0.0}, {0.7, 0.0, 1.0}};
    for (const auto& c : cases) {
        e.plug->SetParameterFromGUI(kWaveShape1, c.shape);
        e.plug->SetParameterFromGUI(kStartPhase1, c.phase);
        e.plug->SetParameterFromGUI(kWaveMode1, c.mode);
        std::array<double, 98> xs{}, ys{};
        display->WavePoints(&xs, &ys);
        const MipMap& table = e.plug->getMipMap(0);
        const double position = (table.getNumberOfWaves() - 1) * c.shape;
        for (int i = 0; i < 98; ++i) {
            const auto r = static_cast<uint32_t>(c.phase * 2048 + i * 2048.0 / 97) % 2048;
            const auto low = static_cast<uint32_t>(position);
            const double blend = c.mode == 0.0
                                     ? table.getSample(0, low, r) * (low + 1 - position) +
                                           table.getSample(0, low + 1, r) * (position - low)
                                     : table.getSample(0, static_cast<uint32_t>(std::lround(position)), r);
            EXPECT_NEAR(ys[i], display->GetRECT().T + 28 - 16 * blend, 1e-9) << i;
            EXPECT_EQ(xs[i], display->GetRECT().L + 2 + i) << i;
        }
    }

    // The catalogue: built-in categories first, the user tables last and not yet defined.
    e.menu(display->GetRECT(), {});
    const std::string syx = e.scratch.write("bad.syx", std::string(410, '\xF0'));
    const WaveImport::ImportVerdict verdict = WaveImport::checkSelectedFile(syx);
    ASSERT_FALSE(verdict.accepted);
    const int user = std::count(e.gui->lastMenu.begin(), e.gui->lastMenu.end(), '\n') - 1;
    // The user category ends with one load item per oscillator; each refuses the file and says why.
    for (int item = 1; item <= 4; ++item) {
        e.gui->script.menuChoices.push_back({user, TableDefs::kNumUserTables + item});
        e.gui->script.files.push_back(syx);
        e.menu(display->GetRECT(), {});
    }
    const std::string why = "box Load Wave Table: " + verdict.message, error = "box Error: Cannot load file!";
    EXPECT_EQ(e.startingWith("box "), std::vector<std::string>({why, error, why, error, why, error}));
    e.menu(display->GetRECT(), {{user, 1}});
    EXPECT_EQ(e.plug->GetParam(kWaveTable1)->Int(), eSawSine); // "[not defined]" cannot be chosen

    // Copying settings never offers the oscillator itself.
    e.menu(display->GetRECT(), {}, IMouseMod(false, true));
    EXPECT_EQ(e.gui->lastMenu, "Copy Settings to Oscillator 1 (disabled)\nCopy Settings to Oscillator 2\n"
                               "Copy Settings to Oscillator 3\n");
}
