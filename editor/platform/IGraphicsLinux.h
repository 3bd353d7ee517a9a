#pragma once

#include "editor/IGraphics.h"

#include <X11/Xlib.h>

#include <chrono>

// The editor in an X11 window: a child of the window the host hands to effEditOpen, on a connection
// of its own. Everything is drawn into the editor's surface image first and copied to the window, so
// the window never shows a half-drawn state. Events and the redraw timer run from the host's idle
// calls on its user-interface thread; menus, text entry and the drawn dialogs are windows of our own,
// message boxes and file prompts go to zenity when it is installed.
class IGraphicsLinux : public IGraphics {
public:
    using IGraphics::IGraphics;
    ~IGraphicsLinux() override;

    bool OpenWindow(void* parent) override;
    void CloseWindow() override;
    bool WindowIsOpen() const override { return window != 0; }
    void HostIdle() override;
    void DrawScreen(const IRECT& area) override;
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, const IRECT& area) override;
    void CreateTextEntry(IControl* control, const IText& text, const IRECT& area, const char* str,
                         IParam* param) override;
    void PromptForFile(std::string* fileName, EFileAction action, const std::string& directory,
                       const char* extensions) override;
    bool OpenURL(const char* url) override;

    // The window's id on the X server, 0 while closed.
    unsigned long GetWindow() const { return window; }

private:
    void handleEvent(const XEvent& event);
    void releaseWindow(bool windowStillExists);
    // Screen position of a point of the window.
    void toRoot(int x, int y, int* rootX, int* rootY);

    Display* display = nullptr;
    Window window = 0;
    bool windowGone = false;
    std::chrono::steady_clock::time_point nextTick;
    // The last press, for telling double-clicks.
    Time lastPressTime = 0;
    int lastPressX = -1000;
    int lastPressY = -1000;
    unsigned lastPressButton = 0;
};
