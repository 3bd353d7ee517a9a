#include "editor/platform/IGraphicsHeadless.h"

#include "editor/platform/MenuPainter.h"

#include <cairo.h>

bool IGraphicsHeadless::OpenWindow(void*) {
    windowOpen = true;
    SetAllControlsDirty();
    return true;
}

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type) {
    log.push_back(std::string("box ") + (caption ? caption : "") + ": " + (text ? text : ""));
    if (script.messageBoxResults.empty()) return type == kMB_YESNO ? kMB_RESULT_NO : kMB_RESULT_OK;
    const int result = script.messageBoxResults.front();
    script.messageBoxResults.pop_front();
    return result;
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, const IRECT& area) {
    log.push_back("menu at " + std::to_string(area.L) + "," + std::to_string(area.T));
    lastMenu = DescribeMenu(*menu);
    if (paintMenus || !menuPicturePath.empty()) {
        cairo_surface_t* picture = MenuPainter(*menu).Render();
        if (!menuPicturePath.empty()) cairo_surface_write_to_png(picture, menuPicturePath.c_str());
        cairo_surface_destroy(picture);
    }
    if (script.menuChoices.empty()) return nullptr;
    const std::vector<int> path = script.menuChoices.front();
    script.menuChoices.pop_front();
    IPopupMenu* current = menu;
    for (size_t i = 0; i < path.size(); ++i) {
        const IPopupMenuItem* item = current->GetItem(path[i]);
        // Like a person with a mouse, a script cannot pick what the menu does not offer.
        if (!item || item->GetIsSeparator() || !item->GetEnabled()) return nullptr;
        if (i + 1 < path.size()) {
            if (!item->GetSubmenu()) return nullptr;
            current = item->GetSubmenu();
            continue;
        }
        if (item->GetSubmenu()) return nullptr;
        current->SetChosenItemIdx(path[i]);
        return current;
    }
    return nullptr;
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, const IText&, const IRECT&, const char* str,
                                        IParam*) {
    log.push_back(std::string("entry ") + (str ? str : ""));
    if (script.textEntries.empty()) return;
    const std::string typed = script.textEntries.front();
    script.textEntries.pop_front();
    if (control) control->TextFromTextEntry(typed.c_str());
}

void IGraphicsHeadless::PromptForFile(std::string* fileName, EFileAction action, const std::string& directory,
                                      const char* extensions) {
    log.push_back(std::string("file ") + (action == kFileSave ? "save " : "open ") + directory + " " +
                  (extensions ? extensions : "") + " " + (fileName ? *fileName : ""));
    if (!fileName) return;
    fileName->clear();
    if (script.files.empty()) return;
    *fileName = script.files.front();
    script.files.pop_front();
}

bool IGraphicsHeadless::OpenURL(const char* url) {
    log.push_back(std::string("url ") + (url ? url : ""));
    return true;
}

std::string IGraphicsHeadless::DescribeMenu(const IPopupMenu& menu) {
    std::string text;
    for (int i = 0; i < menu.GetNItems(); ++i) {
        const IPopupMenuItem* item = menu.GetItem(i);
        if (item->GetIsSeparator()) {
            text += "---\n";
            continue;
        }
        text += menu.GetItemText(i);
        if (item->GetChecked()) text += " [x]";
        if (!item->GetEnabled()) text += " (disabled)";
        if (item->GetSubmenu()) text += " >";
        text += "\n";
    }
    return text;
}
