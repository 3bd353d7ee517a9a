#include "editor/IGraphics.h"

#include "editor/BitmapCache.h"
#include "editor/IBitmapControl.h"
#include "plugin/IPlugBase.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
// The grey a disabled control is drawn at.
constexpr double kGrayedAlpha = 0.35;
// How far a text may shrink to fit its place.
constexpr double kMinTextScale = 0.6;

void setColor(cairo_t* cr, const IColor& color) {
    cairo_set_source_rgba(cr, color.R / 255.0, color.G / 255.0, color.B / 255.0, color.A / 255.0);
}

// The fonts the controls name are those of another system; these are the nearest shapes Debian ships,
// and fontconfig falls back to its default face when even they are missing.
const char* fontFamily(const char* name) {
    if (std::strcmp(name, "Monaco") == 0 || std::strcmp(name, "Courier") == 0) return "DejaVu Sans Mono";
    if (std::strcmp(name, "Arial") == 0 || std::strcmp(name, "Helvetica") == 0) return "DejaVu Sans";
    return name;
}

} // namespace

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int fps)
    : plug(plug), width(width), height(height), fps(fps > 0 ? fps : kDefaultFPS) {
    const int nParams = plug ? plug->NParams() : 0;
    parkedValues = std::make_unique<std::atomic<double>[]>(static_cast<size_t>(nParams));
    for (int i = 0; i < nParams; ++i) parkedValues[static_cast<size_t>(i)].store(kNone);
    bindings.resize(static_cast<size_t>(nParams));
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    context = cairo_create(surface);
}

IGraphics::~IGraphics() {
    controls.clear();
    cairo_destroy(context);
    cairo_surface_destroy(surface);
}

// Building

IBitmap IGraphics::LoadIBitmap(int, const char* name, int frames) {
    return BitmapCache::Instance().Load(resourcePath + name, frames);
}

void IGraphics::AttachBackground(int id, const char* name) {
    AttachControl(new IBitmapControl(plug, 0, 0, -1, LoadIBitmap(id, name)));
}

int IGraphics::AttachControl(IControl* control) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    control->SetGUI(this);
    controls.emplace_back(control);
    bind(control, control->ParamIdx(), -1);
    for (int a = 0; a < control->NAuxParams(); ++a) BindAuxParam(control, a);
    return NControls() - 1;
}

void IGraphics::BindAuxParam(IControl* control, int auxIdx) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    bind(control, control->AuxParamIdx(auxIdx), auxIdx);
}

void IGraphics::bind(IControl* control, int paramIdx, int aux) {
    if (paramIdx >= 0 && static_cast<size_t>(paramIdx) < bindings.size())
        bindings[static_cast<size_t>(paramIdx)].push_back({control, aux});
}

IControl* IGraphics::GetControl(int controlIdx) {
    return controlIdx >= 0 && controlIdx < NControls() ? controls[static_cast<size_t>(controlIdx)].get()
                                                       : nullptr;
}

void IGraphics::HideControl(int paramIdx, bool hide) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    for (auto& control : controls) {
        if (control->ParamIdx() == paramIdx) control->Hide(hide);
    }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    for (auto& control : controls) {
        if (control->ParamIdx() == paramIdx) control->GrayOut(gray);
    }
}

// Values from the plug-in

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
    if (paramIdx < 0 || !plug || paramIdx >= plug->NParams()) return;
    if (!normalized) value = plug->GetParam(paramIdx)->GetNormalized(value);
    std::unique_lock<std::recursive_mutex> lock(mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        parkedValues[static_cast<size_t>(paramIdx)].store(value);
        anyParked.store(true);
        return;
    }
    setParameterFromPlugLocked(paramIdx, value);
}

void IGraphics::setParameterFromPlugLocked(int paramIdx, double normalized) {
    if (paramIdx < 0 || static_cast<size_t>(paramIdx) >= bindings.size()) return;
    for (const Binding& binding : bindings[static_cast<size_t>(paramIdx)]) {
        if (binding.aux < 0) {
            binding.control->SetValueFromPlug(normalized);
        } else {
            binding.control->SetAuxParamValueFromPlug(binding.aux, normalized);
        }
    }
}

void IGraphics::applyParkedValues() {
    if (!anyParked.exchange(false)) return;
    const int nParams = plug->NParams();
    for (int i = 0; i < nParams; ++i) {
        const double value = parkedValues[static_cast<size_t>(i)].exchange(kNone);
        if (!std::isnan(value)) setParameterFromPlugLocked(i, value);
    }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalized) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    if (IControl* control = GetControl(controlIdx)) control->SetValueFromPlug(normalized);
}

void IGraphics::SetAllControlsDirty() {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    for (auto& control : controls) control->SetDirty(false);
}

void IGraphics::PrepDraw() {
    SetAllControlsDirty();
}

// Events

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
    for (int i = NControls() - 1; i >= 0; --i) {
        const IControl* control = controls[static_cast<size_t>(i)].get();
        if (control->IsHidden()) continue;
        if (control->IsGrayed() && !(mouseOver && control->MouseOverWhenGrayed())) continue;
        if (control->IsHit(x, y)) return i;
    }
    return -1;
}

void IGraphics::OnMouseDown(int x, int y, const IMouseMod& mod) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    ReleaseMouseCapture();
    const int c = GetMouseControlIdx(x, y);
    if (c < 0) return;
    mouseCapture = c;
    mouseX = x;
    mouseY = y;
    IControl* control = GetControl(c);
    if (control->ParamIdx() >= 0) plug->BeginInformHostOfParamChange(control->ParamIdx());
    control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, const IMouseMod& mod) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    const int c = mouseCapture >= 0 ? mouseCapture : GetMouseControlIdx(x, y);
    ReleaseMouseCapture();
    IControl* control = GetControl(c);
    if (!control) return;
    control->OnMouseUp(x, y, mod);
    if (control->ParamIdx() >= 0) plug->EndInformHostOfParamChange(control->ParamIdx());
}

void IGraphics::OnMouseDrag(int x, int y, const IMouseMod& mod) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    IControl* control = GetControl(mouseCapture);
    if (!control) return;
    const int dX = x - mouseX;
    const int dY = y - mouseY;
    if (dX == 0 && dY == 0) return;
    mouseX = x;
    mouseY = y;
    control->OnMouseDrag(x, y, dX, dY, mod);
}

void IGraphics::OnMouseDblClick(int x, int y, const IMouseMod& mod) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    const int c = GetMouseControlIdx(x, y);
    IControl* control = GetControl(c);
    if (!control) return;
    if (!control->MouseDblAsSingleClick()) {
        control->OnMouseDblClick(x, y, mod);
        return;
    }
    mouseCapture = c;
    mouseX = x;
    mouseY = y;
    control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseWheel(int x, int y, const IMouseMod& mod, int delta) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    IControl* control = GetControl(mouseCapture >= 0 ? mouseCapture : GetMouseControlIdx(x, y));
    if (control) control->OnMouseWheel(x, y, mod, delta);
}

void IGraphics::OnMouseOver(int x, int y, const IMouseMod& mod) {
    if (!mouseOverTracking) return;
    std::lock_guard<std::recursive_mutex> lock(mutex);
    const int c = GetMouseControlIdx(x, y, true);
    if (mouseOverIdx >= 0 && mouseOverIdx != c) GetControl(mouseOverIdx)->OnMouseOut();
    mouseOverIdx = c;
    if (IControl* control = GetControl(c)) control->OnMouseOver(x, y, mod);
}

void IGraphics::OnMouseOut() {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    if (IControl* control = GetControl(mouseOverIdx)) control->OnMouseOut();
    mouseOverIdx = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    IControl* control = GetControl(GetMouseControlIdx(x, y));
    return control && control->OnKeyDown(x, y, key);
}

// Redrawing

bool IGraphics::IsDirty(IRECT* area) {
    IRECT dirtyArea;
    bool dirty = false;
    for (auto& control : controls) {
        control->OnGUIIdle();
        if (!control->IsDirty()) continue;
        dirtyArea = dirtyArea.Union(control->GetRECT());
        dirty = true;
    }
    *area = dirtyArea.Intersect(IRECT(0, 0, width, height));
    return dirty;
}

void IGraphics::OnTimerTick() {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    applyParkedValues();
    IRECT area;
    if (!IsDirty(&area)) {
        if (++idleTicks < kIdleTicks) return;
        idleTicks = 0;
        plug->OnIdle();
        return;
    }
    idleTicks = 0;
    if (!strictDrawing) {
        Draw(area);
        DrawScreen(area);
        return;
    }
    std::vector<IRECT> areas;
    for (auto& control : controls) {
        if (control->IsDirty()) areas.push_back(control->GetRECT().Intersect(IRECT(0, 0, width, height)));
    }
    for (const IRECT& each : areas) {
        Draw(each);
        DrawScreen(each);
    }
}

void IGraphics::Draw(const IRECT& area) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    if (area.Empty()) return;
    cairo_save(context);
    cairo_rectangle(context, area.L, area.T, area.W(), area.H());
    cairo_clip(context);
    setColor(context, COLOR_BLACK);
    cairo_paint(context);
    for (auto& control : controls) {
        if (!control->GetRECT().Intersects(area)) continue;
        control->SetClean();
        if (control->IsHidden()) continue;
        if (!control->IsGrayed()) {
            control->Draw(this);
            continue;
        }
        cairo_push_group(context);
        control->Draw(this);
        cairo_pop_group_to_source(context);
        cairo_paint_with_alpha(context, kGrayedAlpha);
    }
    cairo_restore(context);
}

// Drawing

bool IGraphics::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int frame, const IChannelBlend* blend) {
    cairo_surface_t* pixels = bitmap.data != nullptr ? bitmap.data->surface() : nullptr;
    if (pixels == nullptr) return false;
    const int frameHeight = bitmap.FrameHeight();
    cairo_save(context);
    cairo_rectangle(context, dest.L, dest.T, bitmap.W, frameHeight);
    cairo_clip(context);
    cairo_set_source_surface(context, pixels, dest.L, dest.T - (frame - 1) * frameHeight);
    const double weight = blend ? blend->weight : 1.0;
    if (weight >= 1.0) {
        cairo_paint(context);
    } else {
        cairo_paint_with_alpha(context, weight);
    }
    cairo_restore(context);
    return true;
}

bool IGraphics::FillIRect(const IColor& color, const IRECT& area) {
    setColor(context, color);
    cairo_rectangle(context, area.L, area.T, area.W(), area.H());
    cairo_fill(context);
    return true;
}

bool IGraphics::FillRoundRect(const IColor& color, const IRECT& area, double radius) {
    const double l = area.L, t = area.T, r = area.R, b = area.B;
    cairo_new_sub_path(context);
    cairo_arc(context, r - radius, t + radius, radius, -M_PI / 2, 0);
    cairo_arc(context, r - radius, b - radius, radius, 0, M_PI / 2);
    cairo_arc(context, l + radius, b - radius, radius, M_PI / 2, M_PI);
    cairo_arc(context, l + radius, t + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(context);
    setColor(context, color);
    cairo_fill(context);
    return true;
}

bool IGraphics::DrawRect(const IColor& color, const IRECT& area) {
    setColor(context, color);
    cairo_set_line_width(context, 1.0);
    cairo_rectangle(context, area.L + 0.5, area.T + 0.5, area.W() - 1, area.H() - 1);
    cairo_stroke(context);
    return true;
}

bool IGraphics::DrawLine(const IColor& color, double x1, double y1, double x2, double y2, double lineWidth) {
    const double xs[] = {x1, x2};
    const double ys[] = {y1, y2};
    return DrawPolyline(color, xs, ys, 2, lineWidth);
}

bool IGraphics::DrawPolyline(const IColor& color, const double* x, const double* y, int n, double lineWidth) {
    if (n < 2) return false;
    setColor(context, color);
    cairo_set_line_width(context, lineWidth);
    cairo_move_to(context, x[0], y[0]);
    for (int i = 1; i < n; ++i) cairo_line_to(context, x[i], y[i]);
    cairo_stroke(context);
    return true;
}

void IGraphics::setFontFace(const IText& text) {
    cairo_select_font_face(
        context, fontFamily(text.font),
        text.style == IText::kStyleItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        text.style == IText::kStyleBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context, text.size);
}

bool IGraphics::DrawIText(const IText& text, const char* str, const IRECT& area) {
    if (!str || !*str) return false;
    setFontFace(text);
    cairo_text_extents_t extents;
    cairo_text_extents(context, str, &extents);
    // A text wider than its place narrows its font rather than losing its ends.
    if (extents.x_advance > area.W() && extents.x_advance > 0.0) {
        cairo_set_font_size(context,
                            std::max(text.size * kMinTextScale, text.size * area.W() / extents.x_advance));
        cairo_text_extents(context, str, &extents);
    }
    cairo_font_extents_t font;
    cairo_font_extents(context, &font);
    double x = area.L;
    if (text.align == IText::kAlignCenter) x = area.L + (area.W() - extents.x_advance) / 2.0;
    if (text.align == IText::kAlignFar) x = area.R - extents.x_advance;
    const double y = area.T + (area.H() + font.ascent - font.descent) / 2.0;
    cairo_save(context);
    cairo_rectangle(context, area.L, area.T, area.W(), area.H());
    cairo_clip(context);
    setColor(context, text.color);
    cairo_move_to(context, std::round(x), std::round(y));
    cairo_show_text(context, str);
    cairo_restore(context);
    return true;
}

bool IGraphics::MeasureIText(const IText& text, const char* str, IRECT* area) {
    if (!str || !area) return false;
    setFontFace(text);
    cairo_text_extents_t extents;
    cairo_text_extents(context, str, &extents);
    cairo_font_extents_t font;
    cairo_font_extents(context, &font);
    area->R = area->L + static_cast<int>(std::ceil(extents.x_advance));
    area->B = area->T + static_cast<int>(std::ceil(font.height));
    return true;
}

bool IGraphics::WritePNG(const char* path) {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}
