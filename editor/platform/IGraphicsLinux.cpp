#include "editor/platform/IGraphicsLinux.h"

#include "editor/platform/ChildProcess.h"
#include "editor/platform/XDialogWindow.h"
#include "editor/platform/XErrorTrap.h"
#include "editor/platform/XMenuWindow.h"
#include "editor/platform/XOverlayWindow.h"

#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdlib>
#include <vector>

namespace {

// Two presses closer than this in time and distance are a double-click.
constexpr Time kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 4;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask;

IMouseMod modOf(unsigned state, unsigned button) {
    return IMouseMod(button == Button1 || (state & Button1Mask), button == Button3 || (state & Button3Mask),
                     state & ShiftMask, state & ControlMask, state & Mod1Mask);
}

bool zenityAvailable() {
    return ChildProcess::OnPath("zenity");
}

} // namespace

IGraphicsLinux::~IGraphicsLinux() {
    CloseWindow();
}

bool IGraphicsLinux::OpenWindow(void* parent) {
    CloseWindow();
    const Window parentWindow = reinterpret_cast<Window>(parent);
    if (!parentWindow) return false;
    display = XOpenDisplay(nullptr);
    if (!display) return false;
    bool opened = false;
    {
        XErrorTrap trap(display);
        XWindowAttributes parentAttributes;
        if (XGetWindowAttributes(display, parentWindow, &parentAttributes) && !trap.Failed()) {
            XSetWindowAttributes attributes{};
            attributes.event_mask = kEventMask;
            attributes.background_pixmap = None;
            window = XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
            XMapWindow(display, window);
            opened = !trap.Failed();
        }
    }
    if (!opened) {
        window = 0;
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    nextTick = std::chrono::steady_clock::now();
    SetAllControlsDirty();
    return true;
}

void IGraphicsLinux::CloseWindow() {
    releaseWindow(true);
}

void IGraphicsLinux::releaseWindow(bool windowStillExists) {
    if (!display) return;
    {
        XErrorTrap trap(display);
        // The host may already have destroyed its window and ours with it: the trap takes the error.
        if (window && windowStillExists) XDestroyWindow(display, window);
        window = 0;
    }
    XCloseDisplay(display);
    display = nullptr;
    windowGone = false;
    std::lock_guard<std::recursive_mutex> lock(mutex);
    if (mouseOverIdx >= 0) OnMouseOut();
    ReleaseMouseCapture();
}

void IGraphicsLinux::HostIdle() {
    ChildProcess::ReapFinished();
    if (!display) return;
    {
        XErrorTrap trap(display);
        while (!windowGone && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            handleEvent(event);
        }
    }
    if (windowGone) releaseWindow(false);
    if (!window) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTick) return;
    nextTick += std::chrono::microseconds(1000000 / fps);
    // After a long pause (the host stopped idling) the timer starts afresh instead of catching up.
    if (nextTick < now) nextTick = now + std::chrono::microseconds(1000000 / fps);
    XErrorTrap trap(display);
    OnTimerTick();
}

void IGraphicsLinux::handleEvent(const XEvent& event) {
    if (event.xany.window != window) return;
    switch (event.type) {
    case Expose: {
        const XExposeEvent& e = event.xexpose;
        DrawScreen(IRECT(e.x, e.y, e.x + e.width, e.y + e.height));
        break;
    }
    case ButtonPress: {
        const XButtonEvent& e = event.xbutton;
        if (e.button == Button4 || e.button == Button5) {
            OnMouseWheel(e.x, e.y, modOf(e.state, 0), e.button == Button4 ? 1 : -1);
            break;
        }
        if (e.button != Button1 && e.button != Button3) break;
        const bool dbl = e.button == lastPressButton && e.time - lastPressTime <= kDoubleClickMs &&
                         std::abs(e.x - lastPressX) <= kDoubleClickDistance &&
                         std::abs(e.y - lastPressY) <= kDoubleClickDistance;
        // A third press starts counting again rather than making a second double-click.
        lastPressTime = dbl ? 0 : e.time;
        lastPressX = e.x;
        lastPressY = e.y;
        lastPressButton = e.button;
        if (dbl) {
            OnMouseDblClick(e.x, e.y, modOf(e.state, e.button));
        } else {
            OnMouseDown(e.x, e.y, modOf(e.state, e.button));
        }
        break;
    }
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        if (e.button == Button1 || e.button == Button3) OnMouseUp(e.x, e.y, modOf(e.state, e.button));
        break;
    }
    case MotionNotify: {
        const XMotionEvent& e = event.xmotion;
        if (e.state & (Button1Mask | Button3Mask)) {
            OnMouseDrag(e.x, e.y, modOf(e.state, 0));
        } else {
            OnMouseOver(e.x, e.y, modOf(e.state, 0));
        }
        break;
    }
    case LeaveNotify:
        OnMouseOut();
        break;
    case KeyPress: {
        XKeyEvent key = event.xkey;
        OnKeyDown(key.x, key.y, static_cast<int>(XLookupKeysym(&key, 0)));
        break;
    }
    case DestroyNotify:
        // The host destroyed its window, and ours went with it.
        windowGone = true;
        break;
    default:
        break;
    }
}

void IGraphicsLinux::DrawScreen(const IRECT& area) {
    if (!window || area.Empty()) return;
    XOverlayWindow::PutImage(display, window, surface, area.L, area.T, area.W(), area.H());
}

void IGraphicsLinux::toRoot(int x, int y, int* rootX, int* rootY) {
    *rootX = x;
    *rootY = y;
    Window child = 0;
    if (display && window)
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, rootX, rootY, &child);
}

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, const IRECT& area) {
    if (!display || !window || !menu) return nullptr;
    ReleaseMouseCapture();
    int x = 0, y = 0;
    toRoot(area.L, area.B, &x, &y);
    return XMenuWindow::Run(display, x, y, menu);
}

void IGraphicsLinux::CreateTextEntry(IControl* control, const IText& text, const IRECT& area, const char* str,
                                     IParam*) {
    if (!display || !window || !control) return;
    XDialogWindow::Options options;
    options.editField = true;
    options.fontSize = text.size;
    options.monospace = true;
    std::string typed = str ? str : "";
    if (XDialogWindow::Run(display, window, area.L, area.T, area.W(), area.H(), options, &typed) ==
        XDialogWindow::kAccepted)
        control->TextFromTextEntry(typed.c_str());
    SetAllControlsDirty();
}

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type) {
    const bool yesNo = type == kMB_YESNO;
    if (zenityAvailable()) {
        std::vector<std::string> args = {"zenity", yesNo ? "--question" : "--info", "--no-markup",
                                         std::string("--title=") + (caption ? caption : ""),
                                         std::string("--text=") + (text ? text : "")};
        const int status = ChildProcess::Run(args, nullptr);
        if (status >= 0) return yesNo ? (status == 0 ? kMB_RESULT_YES : kMB_RESULT_NO) : kMB_RESULT_OK;
    }
    if (!display || !window) return yesNo ? kMB_RESULT_NO : kMB_RESULT_OK;
    XDialogWindow::Options options;
    options.message = std::string(caption ? caption : "") + "\n\n" + (text ? text : "");
    options.buttons = yesNo ? XDialogWindow::kYesNo : XDialogWindow::kOK;
    int x = 0, y = 0;
    toRoot(width / 4, height / 3, &x, &y);
    const int result = XDialogWindow::Run(display, DefaultRootWindow(display), x, y, 0, 0, options, nullptr);
    if (!yesNo) return kMB_RESULT_OK;
    return result == XDialogWindow::kYes ? kMB_RESULT_YES : kMB_RESULT_NO;
}

void IGraphicsLinux::PromptForFile(std::string* fileName, EFileAction action, const std::string& directory,
                                   const char* extensions) {
    if (!fileName) return;
    const std::string proposed = *fileName;
    fileName->clear();
    std::string start = directory;
    if (!start.empty() && start.back() != '/') start += '/';
    start += proposed;
    std::string patterns;
    for (const char* p = extensions ? extensions : ""; *p;) {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (end > p) patterns += (patterns.empty() ? "*." : " *.") + std::string(p, end);
        p = end;
    }
    if (zenityAvailable()) {
        std::vector<std::string> args = {"zenity", "--file-selection", "--filename=" + start};
        if (action == kFileSave) {
            args.push_back("--save");
            args.push_back("--confirm-overwrite");
        }
        if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
        std::string chosen;
        const int status = ChildProcess::Run(args, &chosen);
        if (status >= 0) {
            if (status == 0) *fileName = chosen;
            return;
        }
    }
    if (!display || !window) return;
    XDialogWindow::Options options;
    options.message = std::string(action == kFileSave ? "Save as" : "Open") +
                      (patterns.empty() ? std::string() : " (" + patterns + ")") + ": type the full path";
    options.editField = true;
    options.buttons = XDialogWindow::kOK;
    int x = 0, y = 0;
    toRoot(width / 4, height / 3, &x, &y);
    std::string typed = start;
    if (XDialogWindow::Run(display, DefaultRootWindow(display), x, y, 0, 0, options, &typed) ==
        XDialogWindow::kAccepted)
        *fileName = typed;
}

bool IGraphicsLinux::OpenURL(const char* url) {
    if (!url || !*url) return false;
    return ChildProcess::Start({"xdg-open", url});
}
