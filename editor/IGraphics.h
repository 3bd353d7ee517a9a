#pragma once

#include "editor/IBitmap.h"
#include "editor/IColor.h"
#include "editor/IControl.h"
#include "editor/IMouseMod.h"
#include "editor/IPopupMenu.h"
#include "editor/IRECT.h"
#include "editor/IText.h"
#include "plugin/IPlugEditor.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IParam;
class IPlugBase;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// The editor: an ordered list of controls on a surface of fixed size. It routes mouse and keyboard
// events to the controls, keeps them in step with the plug-in's parameters and, on every tick of its
// timer, redraws what changed. Drawing goes into an image of the whole surface; a platform editor
// derived from this class puts that image on a screen and supplies menus, text entry, message boxes
// and file prompts.
class IGraphics : public IPlugEditor {
public:
    static constexpr int kDefaultFPS = 25;
    // The plug-in's idle handler runs on this many timer ticks in a row without anything to draw.
    static constexpr int kIdleTicks = 21;

    enum EMessageBoxType { kMB_OK = 0, kMB_YESNO = 4 };
    enum EMessageBoxResult { kMB_RESULT_OK = 1, kMB_RESULT_YES = 6, kMB_RESULT_NO = 7 };
    enum EFileAction { kFileOpen = 0, kFileSave = 1 };

    IGraphics(IPlugBase* plug, int width, int height, int fps = 0);
    ~IGraphics() override;

    // What the plug-in asks of its editor.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
    void PrepDraw() override;
    int Width() const override { return width; }
    int Height() const override { return height; }

    // Building the editor. Bitmaps are read from the resource folder, named by file.
    void SetResourcePath(const std::string& path) { resourcePath = path; }
    const std::string& GetResourcePath() const { return resourcePath; }
    IBitmap LoadIBitmap(int id, const char* name, int frames = 1);
    void AttachBackground(int id, const char* name);
    // The editor owns the control; returns its index.
    int AttachControl(IControl* control);
    // An attached control took another auxiliary parameter (see IControl::AddAuxParam).
    void BindAuxParam(IControl* control, int auxIdx);
    IControl* GetControl(int controlIdx);
    int NControls() const { return static_cast<int>(controls.size()); }
    void HideControl(int paramIdx, bool hide);
    void GrayOutControl(int paramIdx, bool gray);
    // Strict drawing redraws each dirty control's own area instead of the area holding them all.
    void SetStrictDrawing(bool strict) { strictDrawing = strict; }
    void HandleMouseOver(bool track) { mouseOverTracking = track; }
    void SetControlFromPlug(int controlIdx, double normalized);
    void SetAllControlsDirty();
    std::recursive_mutex& GetMutex() { return mutex; }
    IPlugBase* GetPlug() const { return plug; }
    int FPS() const { return fps; }

    // Events, in points from the top left corner of the surface.
    void OnMouseDown(int x, int y, const IMouseMod& mod);
    void OnMouseUp(int x, int y, const IMouseMod& mod);
    void OnMouseDrag(int x, int y, const IMouseMod& mod);
    void OnMouseDblClick(int x, int y, const IMouseMod& mod);
    void OnMouseWheel(int x, int y, const IMouseMod& mod, int delta);
    void OnMouseOver(int x, int y, const IMouseMod& mod);
    void OnMouseOut();
    bool OnKeyDown(int x, int y, int key);
    // The control a click at x, y reaches, or -1.
    int GetMouseControlIdx(int x, int y, bool mouseOver = false);
    int GetCapturedControlIdx() const { return mouseCapture; }
    int GetMouseOverControlIdx() const { return mouseOverIdx; }
    void ReleaseMouseCapture() { mouseCapture = -1; }

    // One tick of the redraw timer: draws the dirty area, or counts a quiet tick towards the plug-in's
    // idle handler.
    void OnTimerTick();
    // The union of the areas of all dirty controls; false when none is dirty.
    bool IsDirty(IRECT* area);
    // Redraws area into the surface image: background first, then the visible controls over it.
    void Draw(const IRECT& area);

    // Drawing, used by the controls' Draw.
    bool DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int frame = 1,
                    const IChannelBlend* blend = nullptr);
    bool FillIRect(const IColor& color, const IRECT& area);
    bool FillRoundRect(const IColor& color, const IRECT& area, double radius);
    bool DrawRect(const IColor& color, const IRECT& area);
    bool DrawLine(const IColor& color, double x1, double y1, double x2, double y2, double lineWidth = 1.0);
    bool DrawPolyline(const IColor& color, const double* x, const double* y, int n, double lineWidth = 1.0);
    bool DrawIText(const IText& text, const char* str, const IRECT& area);
    // Width and height of str in the style, written into area's size from its left top corner.
    bool MeasureIText(const IText& text, const char* str, IRECT* area);
    // The surface image; its pixels show the whole window.
    cairo_t* GetDrawContext() { return context; }
    bool WritePNG(const char* path);

    // Platform editor operations.
    virtual void DrawScreen(const IRECT&) {}
    virtual void ForceEndUserEdit() {}
    virtual bool WindowIsOpen() const = 0;
    virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
    // Shows menu at the area's position; returns the menu holding the chosen item, with its chosen index
    // set, or null when dismissed.
    virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, const IRECT& area) = 0;
    virtual void CreateTextEntry(IControl* control, const IText& text, const IRECT& area, const char* str,
                                 IParam* param) = 0;
    // fileName carries the proposed name in and the chosen full path out, empty when cancelled;
    // extensions is a space-separated list such as "wav syx".
    virtual void PromptForFile(std::string* fileName, EFileAction action, const std::string& directory,
                               const char* extensions) = 0;
    virtual bool OpenURL(const char* url) = 0;
    // Runs the window's events and timer; the host's user-interface thread calls it regularly.
    void HostIdle() override {}

protected:
    // The control list and the values in it are guarded by the editor's mutex. A parameter change that
    // arrives while another thread holds it (the host automating from its audio thread while the
    // window draws) is parked here and applied on the next timer tick, so no caller ever waits.
    void applyParkedValues();
    void setParameterFromPlugLocked(int paramIdx, double normalized);
    void bind(IControl* control, int paramIdx, int aux);
    void setFontFace(const IText& text);

    IPlugBase* plug;
    int width;
    int height;
    int fps;
    std::recursive_mutex mutex;
    std::vector<std::unique_ptr<IControl>> controls;
    // Per parameter, the controls that show it, in control order: aux -1 for the control's own
    // parameter, else the index of its auxiliary parameter. Filled as controls are attached, so that a
    // program change (153 values) looks up its controls instead of scanning them all for each value.
    struct Binding {
        IControl* control;
        int aux;
    };
    std::vector<std::vector<Binding>> bindings;
    std::unique_ptr<std::atomic<double>[]> parkedValues;
    std::atomic<bool> anyParked{false};
    std::string resourcePath;
    int mouseCapture = -1;
    int mouseX = 0;
    int mouseY = 0;
    int mouseOverIdx = -1;
    bool mouseOverTracking = false;
    bool strictDrawing = false;
    int idleTicks = 0;
    cairo_surface_t* surface = nullptr;
    cairo_t* context = nullptr;
};
