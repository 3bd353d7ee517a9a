#include "tools/make-artwork/ArtworkPainter.h"

#include "editor/KorvantaLayout.h"
#include "tools/make-artwork/ArtworkPalette.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>

using namespace KorvantaLayout;
namespace P = ArtworkPalette;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Knobs turn through 270 degrees, from lower left over the top to lower right.
constexpr double kKnobStart = 0.75 * kPi;
constexpr double kKnobRange = 1.5 * kPi;

void rgb(cairo_t* cr, unsigned color, double alpha = 1.0) {
    cairo_set_source_rgba(cr, ((color >> 16) & 255) / 255.0, ((color >> 8) & 255) / 255.0,
                          (color & 255) / 255.0, alpha);
}

void roundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void font(cairo_t* cr, double size, bool bold, bool mono = false) {
    cairo_select_font_face(cr, mono ? "DejaVu Sans Mono" : "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// Writes text centred on cx with its baseline at y (align 0), or starting at cx (align 1).
void text(cairo_t* cr, const char* str, double cx, double y, int align = 0) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, str, &e);
    cairo_move_to(cr, std::round(align == 0 ? cx - e.x_advance / 2 : cx), std::round(y));
    cairo_show_text(cr, str);
}

// Text centred in a rectangle, vertically by the font's ascent.
void textIn(cairo_t* cr, const char* str, const IRECT& r) {
    cairo_font_extents_t f;
    cairo_font_extents(cr, &f);
    text(cr, str, (r.L + r.R) / 2.0, r.T + (r.H() + f.ascent - f.descent) / 2.0);
}

cairo_surface_t* strip(const BitmapInfo& info) {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, info.frameW, info.frameH * info.frames);
}

void knobFrame(cairo_t* cr, double v, bool white) {
    const double cx = 20, cy = 20;
    const double angle = kKnobStart + v * kKnobRange;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.0);
    rgb(cr, P::kTrack);
    cairo_arc(cr, cx, cy, 17, kKnobStart, kKnobStart + kKnobRange);
    cairo_stroke(cr);
    if (v > 0.0) {
        rgb(cr, P::kAccent);
        cairo_arc(cr, cx, cy, 17, kKnobStart, angle);
        cairo_stroke(cr);
    }
    // A drop shadow, then the cap lit from the top left.
    rgb(cr, 0x000000, 0.45);
    cairo_arc(cr, cx + 0.5, cy + 1.5, 13.5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_t* body = cairo_pattern_create_radial(cx - 5, cy - 6, 2, cx, cy, 14);
    if (white) {
        cairo_pattern_add_color_stop_rgb(body, 0, 0.97, 0.97, 0.97);
        cairo_pattern_add_color_stop_rgb(body, 1, 0.70, 0.72, 0.75);
    } else {
        cairo_pattern_add_color_stop_rgb(body, 0, 0.36, 0.38, 0.42);
        cairo_pattern_add_color_stop_rgb(body, 1, 0.15, 0.16, 0.18);
    }
    cairo_set_source(cr, body);
    cairo_arc(cr, cx, cy, 13, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    rgb(cr, white ? 0xFFFFFF : 0x6A707A, 0.5);
    cairo_set_line_width(cr, 1.0);
    cairo_arc(cr, cx, cy, 12.5, 1.1 * kPi, 1.9 * kPi);
    cairo_stroke(cr);
    rgb(cr, white ? 0x1E2024 : 0xF4F4F4);
    cairo_set_line_width(cr, 2.5);
    cairo_move_to(cr, cx + 4 * std::cos(angle), cy + 4 * std::sin(angle));
    cairo_line_to(cr, cx + 11 * std::cos(angle), cy + 11 * std::sin(angle));
    cairo_stroke(cr);
}

// A rotary selector of n positions with a tick at each; the chosen tick lights up.
void selectorFrame(cairo_t* cr, int position, int n, bool white) {
    const double cx = 20, cy = 20;
    const double span = n > 1 ? kKnobRange / (n - 1) : 0.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.0);
    for (int i = 0; i < n; ++i) {
        const double a = kKnobStart + i * span;
        rgb(cr, i == position ? P::kAccent : 0x5A606A);
        cairo_move_to(cr, cx + 15 * std::cos(a), cy + 15 * std::sin(a));
        cairo_line_to(cr, cx + 19 * std::cos(a), cy + 19 * std::sin(a));
        cairo_stroke(cr);
    }
    knobFrame(cr, -1.0, white);
    const double a = kKnobStart + position * span;
    cairo_set_line_width(cr, 2.5);
    rgb(cr, white ? 0x1E2024 : 0xF4F4F4);
    cairo_move_to(cr, cx + 4 * std::cos(a), cy + 4 * std::sin(a));
    cairo_line_to(cr, cx + 11 * std::cos(a), cy + 11 * std::sin(a));
    cairo_stroke(cr);
}

// A slide switch: a slot with the lever at the position, 0 at the bottom.
void switchFrame(cairo_t* cr, int position, int n) {
    rgb(cr, 0x0E1013);
    roundRect(cr, 6, 2, 8, 24, 4);
    cairo_fill(cr);
    for (int i = 0; i < n; ++i) {
        const double y = 21 - i * (16.0 / (n - 1));
        rgb(cr, i == position ? P::kAccent : 0x5A606A);
        cairo_arc(cr, 17.5, y, 1.2, 0, 2 * kPi);
        cairo_fill(cr);
    }
    const double y = 21 - position * (16.0 / (n - 1));
    cairo_pattern_t* lever = cairo_pattern_create_linear(0, y - 4, 0, y + 4);
    cairo_pattern_add_color_stop_rgb(lever, 0, 0.92, 0.93, 0.95);
    cairo_pattern_add_color_stop_rgb(lever, 1, 0.62, 0.64, 0.68);
    cairo_set_source(cr, lever);
    roundRect(cr, 3, y - 4, 14, 8, 2);
    cairo_fill(cr);
    cairo_pattern_destroy(lever);
    rgb(cr, 0x2A2D33);
    cairo_rectangle(cr, 4, y - 0.5, 12, 1);
    cairo_fill(cr);
}

void buttonFrame(cairo_t* cr, unsigned light, bool lit, bool pressed) {
    rgb(cr, 0x000000, 0.5);
    roundRect(cr, 1, 2, 30, 18, 3);
    cairo_fill(cr);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 1, 0, 19);
    const double top = pressed ? 0.24 : 0.34, bottom = pressed ? 0.17 : 0.21;
    cairo_pattern_add_color_stop_rgb(body, 0, top, top + 0.01, top + 0.03);
    cairo_pattern_add_color_stop_rgb(body, 1, bottom, bottom + 0.01, bottom + 0.02);
    cairo_set_source(cr, body);
    roundRect(cr, 1, pressed ? 2 : 1, 30, 17, 3);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    const double ly = pressed ? 6 : 5;
    if (lit) {
        rgb(cr, light, 0.35);
        roundRect(cr, 6, ly - 2, 20, 7, 3.5);
        cairo_fill(cr);
    }
    rgb(cr, lit ? light : 0x15171A);
    roundRect(cr, 8, ly, 16, 3, 1.5);
    cairo_fill(cr);
}

void arrowFrame(cairo_t* cr, bool up, bool pressed) {
    rgb(cr, pressed ? P::kAccent : 0xC4C9D0);
    if (up) {
        cairo_move_to(cr, 8, 4);
        cairo_line_to(cr, 14, 12);
        cairo_line_to(cr, 2, 12);
    } else {
        cairo_move_to(cr, 2, 4);
        cairo_line_to(cr, 14, 4);
        cairo_line_to(cr, 8, 12);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Rows of buttons under a group caption carry their own captions underneath.
bool captionBelow(LayoutKind kind) {
    return kind == LayoutKind::PlainButton || kind == LayoutKind::UnisonOff || kind == LayoutKind::UnisonOn;
}

void lcdBox(cairo_t* cr, const IRECT& r) {
    rgb(cr, P::kScreen);
    roundRect(cr, r.L, r.T, r.W(), r.H(), 3);
    cairo_fill_preserve(cr);
    rgb(cr, 0x000000, 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void panel(cairo_t* cr, const Section& s) {
    for (const IRECT& r : {s.area, s.extra}) {
        if (r.Empty()) continue;
        rgb(cr, P::kPanel);
        roundRect(cr, r.L, r.T, r.W(), r.H(), 6);
        cairo_fill(cr);
    }
    const IRECT& a = s.area;
    rgb(cr, P::kTitleBand);
    cairo_save(cr);
    roundRect(cr, a.L, a.T, a.W(), a.H(), 6);
    cairo_clip(cr);
    cairo_rectangle(cr, a.L, a.T, a.W(), kSectionTitleH);
    cairo_fill(cr);
    rgb(cr, P::kAccent);
    cairo_rectangle(cr, a.L, a.T + kSectionTitleH - 2, a.W(), 2);
    cairo_fill(cr);
    cairo_restore(cr);
    rgb(cr, P::kTitle);
    font(cr, P::kTitleSize, true);
    text(cr, s.title, a.L + s.titleX, a.T + 16, 1);
}

void background(cairo_t* cr) {
    rgb(cr, P::kWindow);
    cairo_paint(cr);
    // The maker's strip along the top.
    rgb(cr, P::kTitle);
    font(cr, 24, true);
    text(cr, "KORVANTA", 14, 33, 1);
    rgb(cr, P::kAccent);
    font(cr, P::kLabelSize, true);
    text(cr, "POLYPHONIC WAVETABLE SYNTHESIZER", 180, 32, 1);
    for (const Section& s : kSections) panel(cr, s);

    font(cr, P::kLabelSize, false);
    for (const LayoutItem& item : kItems) {
        const IRECT r = areaOf(item);
        if (item.kind == LayoutKind::Source) {
            rgb(cr, 0x15171A);
            roundRect(cr, r.L - 1, r.T - 1, r.W() + 2, r.H() + 2, 3);
            cairo_fill(cr);
            continue;
        }
        if (item.kind == LayoutKind::WaveDisplay) {
            lcdBox(cr, r);
            continue;
        }
        if (!*item.caption) continue;
        rgb(cr, P::kLabel);
        if (captionBelow(item.kind)) {
            text(cr, item.caption, (r.L + r.R) / 2.0, r.B + 11);
        } else if (item.kind == LayoutKind::Switch2 || item.kind == LayoutKind::Switch3) {
            // Switches stand close to a knob on their right; their captions keep to the switch's side.
            cairo_text_extents_t e;
            cairo_text_extents(cr, item.caption, &e);
            text(cr, item.caption, r.R + 2 - e.x_advance, r.T - 4, 1);
        } else {
            text(cr, item.caption, (r.L + r.R) / 2.0, r.T - 4);
        }
    }
    rgb(cr, P::kCaption);
    font(cr, 9.0, true);
    for (const Caption& c : kCaptions) textIn(cr, c.text, c.area);

    // The program strip: number and name display, the menu button, the tuning display.
    lcdBox(cr, IRECT(kProgramNumber.L - 2, kProgramNumber.T - 2, kProgramName.R + 2, kProgramName.B + 2));
    rgb(cr, 0x2A2F36);
    cairo_rectangle(cr, kProgramName.L - 2, kProgramName.T, 1, kProgramName.H());
    cairo_fill(cr);
    lcdBox(cr, kTuning.GetPadded(-2, -2, 2, 2));
    cairo_save(cr);
    cairo_translate(cr, kOptionMenu.L, kOptionMenu.T);
    rgb(cr, 0x000000, 0.5);
    roundRect(cr, 0, 1, kOptionMenu.W(), kOptionMenu.H(), 3);
    cairo_fill(cr);
    rgb(cr, 0x3A3F47);
    roundRect(cr, 0, 0, kOptionMenu.W(), kOptionMenu.H() - 1, 3);
    cairo_fill(cr);
    rgb(cr, P::kTitle);
    font(cr, P::kLabelSize, true);
    text(cr, "MENU", kOptionMenu.W() / 2.0, 16);
    cairo_restore(cr);
}

void drawFrames(cairo_t* cr, const BitmapInfo& info, int id) {
    for (int f = 0; f < info.frames; ++f) {
        cairo_save(cr);
        cairo_translate(cr, 0, f * info.frameH);
        const double v = info.frames > 1 ? f / double(info.frames - 1) : 0.0;
        switch (id) {
        case kKnob:
            knobFrame(cr, v, false);
            break;
        case kKnobWhite:
            knobFrame(cr, v, true);
            break;
        case kSwitch2:
        case kSwitch3:
            switchFrame(cr, f, info.frames);
            break;
        case kSwitch4White:
            selectorFrame(cr, f, 4, true);
            break;
        case kSwitch6:
            selectorFrame(cr, f, 6, false);
            break;
        case kButtonOff:
            buttonFrame(cr, 0x5CC8FF, f == 1, false);
            break;
        case kButtonOn:
            buttonFrame(cr, 0x5CC8FF, true, f == 1);
            break;
        case kButtonWhiteOff:
            buttonFrame(cr, 0xF4F4F4, f == 1, false);
            break;
        case kButtonWhiteOn:
            buttonFrame(cr, 0xF4F4F4, true, f == 1);
            break;
        case kButtonOrangeOff:
            buttonFrame(cr, P::kAccent, f == 1, false);
            break;
        case kButtonOrangeOn:
            buttonFrame(cr, P::kAccent, true, f == 1);
            break;
        case kUp:
            arrowFrame(cr, true, f == 1);
            break;
        case kDown:
            arrowFrame(cr, false, f == 1);
            break;
        case kVoices: {
            lcdBox(cr, IRECT(0, 0, info.frameW, info.frameH));
            char number[8];
            std::snprintf(number, sizeof number, "%d", 1 << f);
            rgb(cr, P::kLcdText);
            font(cr, 14, true, true);
            textIn(cr, number, IRECT(0, 0, info.frameW, info.frameH));
            break;
        }
        case kLearn:
        case kUnlearn: {
            rgb(cr, f ? 0xC8402A : 0x3A3F47);
            roundRect(cr, 0.5, 0.5, info.frameW - 1, info.frameH - 1, 3);
            cairo_fill(cr);
            rgb(cr, f ? 0xFFFFFF : P::kLabel);
            font(cr, 9.0, true);
            textIn(cr, id == kLearn ? "LEARN" : "UNLEARN", IRECT(0, 0, info.frameW, info.frameH));
            break;
        }
        case kLed: {
            cairo_pattern_t* glow = cairo_pattern_create_radial(5, 5, 0.5, 6, 6, 6);
            cairo_pattern_add_color_stop_rgba(glow, 0, 0.85, 1.0, 0.8, 1.0);
            cairo_pattern_add_color_stop_rgba(glow, 0.55, 0.35, 0.95, 0.3, 1.0);
            cairo_pattern_add_color_stop_rgba(glow, 1, 0.2, 0.6, 0.15, 0.0);
            cairo_set_source(cr, glow);
            cairo_paint(cr);
            cairo_pattern_destroy(glow);
            break;
        }
        default:
            break;
        }
        cairo_restore(cr);
    }
}

} // namespace

cairo_surface_t* ArtworkPainter::paint(int bitmapId) {
    const BitmapInfo& info = bitmapInfo(bitmapId);
    cairo_surface_t* surface = strip(info);
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    // Hinting follows the machine's settings unless pinned; the files must not depend on them.
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    if (bitmapId == kBackground) {
        background(cr);
    } else {
        drawFrames(cr, info, bitmapId);
    }
    cairo_destroy(cr);
    return surface;
}

bool ArtworkPainter::write(int bitmapId, const std::string& folder) {
    cairo_surface_t* surface = paint(bitmapId);
    const std::string path = folder + "/" + bitmapInfo(bitmapId).file;
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

bool ArtworkPainter::writeAll(const std::string& folder) {
    bool ok = true;
    for (const BitmapInfo& info : kBitmaps) ok = write(info.id, folder) && ok;
    return ok;
}
