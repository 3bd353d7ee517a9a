#pragma once

#include "editor/IGraphics.h"

#include <deque>
#include <string>
#include <vector>

// An editor without a screen: it draws into its surface image only, and answers message boxes, menus,
// file prompts and text entry from a script set up beforehand, logging each question it was asked.
class IGraphicsHeadless : public IGraphics {
public:
    struct Script {
        // Results of message boxes; when empty, a box is answered "no" (yes/no) or "OK".
        std::deque<int> messageBoxResults;
        // For each menu: the item indices from the top menu down through submenus; an empty path
        // dismisses the menu.
        std::deque<std::vector<int>> menuChoices;
        // Paths chosen in file prompts; an empty one cancels. When none is left the prompt is cancelled.
        std::deque<std::string> files;
        // Texts typed into text entries; when none is left the entry is cancelled.
        std::deque<std::string> textEntries;
    };

    using IGraphics::IGraphics;

    bool OpenWindow(void*) override;
    void CloseWindow() override { windowOpen = false; }
    bool WindowIsOpen() const override { return windowOpen; }
    void DrawScreen(const IRECT& area) override { drawnAreas.push_back(area); }
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, const IRECT& area) override;
    void CreateTextEntry(IControl* control, const IText& text, const IRECT& area, const char* str,
                         IParam* param) override;
    void PromptForFile(std::string* fileName, EFileAction action, const std::string& directory,
                       const char* extensions) override;
    bool OpenURL(const char* url) override;

    // One line per item: "text", then " [x]" when checked, " (disabled)", " >" for a submenu; "---" for
    // a separator.
    static std::string DescribeMenu(const IPopupMenu& menu);

    Script script;
    // Every question asked, in order: "box <caption>: <text>", "menu at x,y", "file <action> <dir> <ext>
    // <name>", "entry <text>", "url <address>".
    std::vector<std::string> log;
    // The last menu shown, as DescribeMenu writes it.
    std::string lastMenu;
    // Menus are painted as the window would show them when set; with a path, the picture of the last
    // one shown is also written there as a PNG file.
    bool paintMenus = false;
    std::string menuPicturePath;
    // The areas put on the screen by the timer, in order.
    std::vector<IRECT> drawnAreas;

private:
    bool windowOpen = false;
};
