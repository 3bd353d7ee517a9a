#include "editor/platform/MenuPainter.h"

#include "editor/IPopupMenu.h"

#include <cairo.h>

#include <algorithm>

namespace {

constexpr int kItemH = 22;
constexpr int kSeparatorH = 9;
constexpr int kPadX = 24; // room for the check mark on the left
constexpr int kArrowW = 20;
constexpr double kFontSize = 12.0;
int itemHeight(const IPopupMenu& menu, int i) {
    return menu.GetItem(i)->GetIsSeparator() ? kSeparatorH : kItemH;
}

void setFont(cairo_t* cr) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
}

} // namespace

MenuPainter::MenuPainter(const IPopupMenu& menu) : menu(menu) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    setFont(cr);
    int widest = 60;
    tops.push_back(4);
    for (int i = 0; i < menu.GetNItems(); ++i) {
        cairo_text_extents_t e;
        cairo_text_extents(cr, menu.GetItemText(i).c_str(), &e);
        widest = std::max(widest, static_cast<int>(e.x_advance));
        tops.push_back(tops.back() + itemHeight(menu, i));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    width = widest + kPadX + kArrowW;
    height = tops.back() + 4;
}

void MenuPainter::Paint(cairo_t* cr, int hover) const {
    cairo_set_source_rgb(cr, 0.16, 0.18, 0.21);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.34, 0.37, 0.42);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
    cairo_stroke(cr);
    setFont(cr);
    for (int i = 0; i < menu.GetNItems(); ++i) {
        const IPopupMenuItem* item = menu.GetItem(i);
        const double top = tops[static_cast<size_t>(i)];
        if (item->GetIsSeparator()) {
            cairo_set_source_rgb(cr, 0.34, 0.37, 0.42);
            cairo_rectangle(cr, 6, top + 4, width - 12, 1);
            cairo_fill(cr);
            continue;
        }
        const bool lit = i == hover && item->GetEnabled();
        if (lit) {
            cairo_set_source_rgb(cr, 1.0, 0.54, 0.12);
            cairo_rectangle(cr, 2, top, width - 4, kItemH);
            cairo_fill(cr);
        }
        if (!item->GetEnabled()) {
            cairo_set_source_rgb(cr, 0.48, 0.5, 0.54);
        } else if (lit) {
            cairo_set_source_rgb(cr, 0.08, 0.09, 0.1);
        } else {
            cairo_set_source_rgb(cr, 0.91, 0.92, 0.93);
        }
        const double baseline = top + 15;
        cairo_move_to(cr, kPadX, baseline);
        cairo_show_text(cr, menu.GetItemText(i).c_str());
        if (item->GetChecked()) {
            cairo_set_line_width(cr, 2.0);
            cairo_move_to(cr, 7, top + 11);
            cairo_line_to(cr, 11, top + 15);
            cairo_line_to(cr, 17, top + 6);
            cairo_stroke(cr);
        }
        if (item->GetSubmenu()) {
            const double ax = width - 14;
            cairo_move_to(cr, ax, top + 6);
            cairo_line_to(cr, ax + 6, top + 11);
            cairo_line_to(cr, ax, top + 16);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
}

cairo_surface_t* MenuPainter::Render(int hover) const {
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(picture);
    Paint(cr, hover);
    cairo_destroy(cr);
    return picture;
}
