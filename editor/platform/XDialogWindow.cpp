#include "editor/platform/XDialogWindow.h"

#include "editor/platform/XErrorTrap.h"
#include "editor/platform/XOverlayWindow.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

constexpr int kPad = 12;
constexpr int kButtonW = 72;
constexpr int kButtonH = 24;
constexpr int kFieldH = 22;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class Dialog {
public:
    Dialog(Display* display, const XDialogWindow::Options& options, std::string* field)
        : display(display), options(options), text(field ? *field : std::string()), field(field) {}

    int run(Window parent, int x, int y, int w, int h) {
        lines = linesOf(options.message);
        if (w <= 0 || h <= 0) fitSize(&w, &h);
        width = w;
        height = h;
        XOverlayWindow overlay(display, parent, x, y, w, h,
                               ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask);
        this->overlay = &overlay;
        window = overlay.GetWindow();
        surface = overlay.GetSurface();
        XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
        int result = -1;
        while (result < 0) {
            XEvent event;
            XOverlayWindow::NextEvent(display, &event);
            if (event.xany.window != window) continue;
            switch (event.type) {
            case Expose:
                draw();
                break;
            case DestroyNotify:
                result = XDialogWindow::kCancelled;
                overlay.Forget();
                break;
            case KeyPress:
                result = key(&event.xkey);
                break;
            case ButtonPress:
                result = click(event.xbutton.x, event.xbutton.y);
                break;
            default:
                break;
            }
        }
        XUngrabKeyboard(display, CurrentTime);
        if (field && result != XDialogWindow::kCancelled && result != XDialogWindow::kNo) *field = text;
        return result;
    }

private:
    void fitSize(int* w, int* h) {
        cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cairo_t* cr = cairo_create(scratch);
        setFont(cr);
        double widest = options.editField ? 360 : 200;
        for (const std::string& line : lines) {
            cairo_text_extents_t e;
            cairo_text_extents(cr, line.c_str(), &e);
            widest = std::max(widest, e.x_advance);
        }
        cairo_destroy(cr);
        cairo_surface_destroy(scratch);
        *w = static_cast<int>(widest) + 2 * kPad;
        *h = kPad + static_cast<int>(lines.size()) * lineHeight() + (options.editField ? kFieldH + kPad : 0) +
             (options.buttons != XDialogWindow::kNoButtons ? kButtonH + kPad : 0) + kPad / 2;
    }

    int lineHeight() const { return static_cast<int>(options.fontSize * 1.5); }

    void setFont(cairo_t* cr) const {
        cairo_select_font_face(cr, options.monospace ? "DejaVu Sans Mono" : "DejaVu Sans",
                               CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, options.fontSize);
    }

    // The rectangles of the buttons, rightmost last: OK, or Yes then No.
    int buttonCount() const { return options.buttons == XDialogWindow::kYesNo ? 2 : options.buttons; }
    int buttonLeft(int i) const { return width - kPad - (buttonCount() - i) * (kButtonW + 8) + 8; }
    int buttonTop() const { return height - kPad / 2 - kButtonH - 4; }

    int click(int x, int y) {
        for (int i = 0; i < buttonCount(); ++i) {
            if (x >= buttonLeft(i) && x < buttonLeft(i) + kButtonW && y >= buttonTop() &&
                y < buttonTop() + kButtonH)
                return options.buttons == XDialogWindow::kYesNo
                           ? (i == 0 ? XDialogWindow::kYes : XDialogWindow::kNo)
                           : XDialogWindow::kAccepted;
        }
        return -1;
    }

    int key(XKeyEvent* event) {
        char typed[16] = "";
        KeySym sym = 0;
        const int n = XLookupString(event, typed, sizeof typed - 1, &sym, nullptr);
        if (sym == XK_Escape)
            return options.buttons == XDialogWindow::kYesNo ? XDialogWindow::kNo : XDialogWindow::kCancelled;
        if (sym == XK_Return || sym == XK_KP_Enter)
            return options.buttons == XDialogWindow::kYesNo ? XDialogWindow::kYes : XDialogWindow::kAccepted;
        if (!options.editField) return -1;
        if (sym == XK_BackSpace) {
            // Whole UTF-8 characters go, not single bytes.
            while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
            if (!text.empty()) text.pop_back();
        } else if (n > 0 && static_cast<unsigned char>(typed[0]) >= 0x20 && typed[0] != 0x7F) {
            text.append(typed, static_cast<size_t>(n));
        }
        draw();
        return -1;
    }

    void draw() {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.16, 0.18, 0.21);
        cairo_paint(cr);
        setFont(cr);
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        int y = kPad;
        cairo_set_source_rgb(cr, 0.91, 0.92, 0.93);
        for (const std::string& line : lines) {
            cairo_move_to(cr, kPad, y + font.ascent);
            cairo_show_text(cr, line.c_str());
            y += lineHeight();
        }
        if (options.editField) {
            const bool inPlace = lines.empty() && options.buttons == XDialogWindow::kNoButtons;
            const double fx = inPlace ? 0 : kPad, fy = inPlace ? 0 : y;
            const double fw = inPlace ? width : width - 2 * kPad, fh = inPlace ? height : kFieldH;
            cairo_set_source_rgb(cr, 0.05, 0.06, 0.07);
            cairo_rectangle(cr, fx, fy, fw, fh);
            cairo_fill(cr);
            cairo_save(cr);
            cairo_rectangle(cr, fx, fy, fw, fh);
            cairo_clip(cr);
            cairo_text_extents_t e;
            cairo_text_extents(cr, text.c_str(), &e);
            // The end of a long text, where the caret is, stays in view.
            const double tx = fx + 4 - std::max(0.0, e.x_advance + 10 - fw);
            const double ty = fy + (fh + font.ascent - font.descent) / 2;
            cairo_set_source_rgb(cr, 0.25, 1.0, 0.25);
            cairo_move_to(cr, tx, ty);
            cairo_show_text(cr, text.c_str());
            cairo_rectangle(cr, tx + e.x_advance + 1, ty - font.ascent, 1.5, font.ascent + font.descent);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        static const char* const kLabels[2][2] = {{"OK", ""}, {"Yes", "No"}};
        for (int i = 0; i < buttonCount(); ++i) {
            cairo_set_source_rgb(cr, 0.27, 0.29, 0.33);
            cairo_rectangle(cr, buttonLeft(i), buttonTop(), kButtonW, kButtonH);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
            const char* label = kLabels[options.buttons == XDialogWindow::kYesNo ? 1 : 0][i];
            cairo_text_extents_t e;
            cairo_text_extents(cr, label, &e);
            cairo_move_to(cr, buttonLeft(i) + (kButtonW - e.x_advance) / 2, buttonTop() + 16);
            cairo_show_text(cr, label);
        }
        cairo_destroy(cr);
        overlay->Present();
    }

    Display* display;
    XDialogWindow::Options options;
    std::string text;
    std::string* field;
    std::vector<std::string> lines;
    XOverlayWindow* overlay = nullptr;
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    int width = 0;
    int height = 0;
};

} // namespace

int XDialogWindow::Run(Display* display, Window parent, int x, int y, int w, int h, const Options& options,
                       std::string* field) {
    if (!display) return kCancelled;
    XErrorTrap trap(display);
    Dialog dialog(display, options, field);
    return dialog.run(parent, x, y, w, h);
}
