#include "editor/platform/XMenuWindow.h"

#include "editor/IPopupMenu.h"
#include "editor/platform/MenuPainter.h"
#include "editor/platform/XErrorTrap.h"
#include "editor/platform/XOverlayWindow.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

// A release this soon after the menu opened belongs to the click that opened it.
constexpr auto kReleaseGrace = std::chrono::milliseconds(300);

struct Level {
    IPopupMenu* menu = nullptr;
    std::unique_ptr<XOverlayWindow> window;
    int x = 0, y = 0, w = 0, h = 0;
    int hover = -1;
    std::vector<int> tops; // top of each item, and the bottom of the last
};

class MenuSession {
public:
    MenuSession(Display* display) : display(display), screen(DefaultScreen(display)) {}
    ~MenuSession() {
        while (!levels.empty()) closeLevel();
    }

    IPopupMenu* run(int x, int y, IPopupMenu* menu) {
        openLevel(menu, x, y);
        const Window grabWindow = levels.front().window->GetWindow();
        const bool grabbed =
            XGrabPointer(display, grabWindow, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                         GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
        XGrabKeyboard(display, grabWindow, True, GrabModeAsync, GrabModeAsync, CurrentTime);
        const auto opened = std::chrono::steady_clock::now();
        IPopupMenu* chosen = nullptr;
        bool done = false;
        while (!done) {
            XEvent event;
            XOverlayWindow::NextEvent(display, &event);
            switch (event.type) {
            case Expose:
                for (Level& level : levels) {
                    if (level.window->GetWindow() == event.xexpose.window) draw(level);
                }
                break;
            case MotionNotify:
                hover(event.xmotion.x_root, event.xmotion.y_root);
                break;
            case ButtonPress:
            case ButtonRelease: {
                const bool early = std::chrono::steady_clock::now() - opened < kReleaseGrace;
                if (event.type == ButtonRelease && early) break;
                int item = -1;
                Level* level = find(event.xbutton.x_root, event.xbutton.y_root, &item);
                if (!level) {
                    // A release outside is the end of a drag that opened the menu; a press dismisses.
                    done = event.type == ButtonPress;
                    break;
                }
                done = choose(*level, item, &chosen);
                break;
            }
            case KeyPress:
                if (XLookupKeysym(&event.xkey, 0) == XK_Escape) done = true;
                if (XLookupKeysym(&event.xkey, 0) == XK_Return && !levels.empty() && levels.back().hover >= 0)
                    done = choose(levels.back(), levels.back().hover, &chosen);
                break;
            default:
                break;
            }
        }
        if (grabbed) XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        return chosen;
    }

private:
    bool choose(Level& level, int item, IPopupMenu** chosen) {
        const IPopupMenuItem* entry = level.menu->GetItem(item);
        if (!entry || entry->GetIsSeparator() || !entry->GetEnabled() || entry->GetSubmenu()) return false;
        level.menu->SetChosenItemIdx(item);
        *chosen = level.menu;
        return true;
    }

    Level* find(int rootX, int rootY, int* item) {
        for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
            Level& level = *it;
            if (rootX < level.x || rootX >= level.x + level.w || rootY < level.y ||
                rootY >= level.y + level.h)
                continue;
            const int y = rootY - level.y;
            *item = -1;
            for (size_t i = 0; i + 1 < level.tops.size(); ++i) {
                if (y >= level.tops[i] && y < level.tops[i + 1]) *item = static_cast<int>(i);
            }
            return &level;
        }
        return nullptr;
    }

    void hover(int rootX, int rootY) {
        int item = -1;
        Level* level = find(rootX, rootY, &item);
        if (!level) return;
        const size_t depth = static_cast<size_t>(level - levels.data());
        if (level->hover != item) {
            level->hover = item;
            draw(*level);
        }
        const IPopupMenuItem* entry = level->menu->GetItem(item);
        IPopupMenu* submenu = entry && entry->GetEnabled() ? entry->GetSubmenu() : nullptr;
        const bool submenuOpen = levels.size() > depth + 1 && levels[depth + 1].menu == submenu;
        if (submenuOpen) return;
        while (levels.size() > depth + 1) closeLevel();
        if (submenu) {
            const Level& parent = levels[depth];
            openLevel(submenu, parent.x + parent.w - 2, parent.y + parent.tops[static_cast<size_t>(item)]);
        }
    }

    void openLevel(IPopupMenu* menu, int x, int y) {
        Level level;
        level.menu = menu;
        const MenuPainter painter(*menu);
        level.tops = painter.Tops();
        level.w = painter.Width();
        level.h = painter.Height();
        // Kept on the screen: a menu near the edge opens towards its inside.
        const int screenW = DisplayWidth(display, screen), screenH = DisplayHeight(display, screen);
        level.x = std::max(0, std::min(x, screenW - level.w));
        level.y = std::max(0, std::min(y, screenH - level.h));
        level.window = std::make_unique<XOverlayWindow>(
            display, RootWindow(display, screen), level.x, level.y, level.w, level.h,
            ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask);
        levels.push_back(std::move(level));
        draw(levels.back());
    }

    void closeLevel() {
        levels.pop_back();
        XFlush(display);
    }

    void draw(Level& level) {
        cairo_t* cr = cairo_create(level.window->GetSurface());
        MenuPainter(*level.menu).Paint(cr, level.hover);
        cairo_destroy(cr);
        level.window->Present();
    }

    Display* display;
    int screen;
    std::vector<Level> levels;
};

} // namespace

IPopupMenu* XMenuWindow::Run(Display* display, int x, int y, IPopupMenu* menu) {
    if (!display || !menu || menu->GetNItems() == 0) return nullptr;
    XErrorTrap trap(display);
    MenuSession session(display);
    return session.run(x, y, menu);
}
