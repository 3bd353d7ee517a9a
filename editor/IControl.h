#pragma once

#include "editor/IBitmap.h"
#include "editor/IMouseMod.h"
#include "editor/IRECT.h"
#include "editor/IText.h"

#include <string>
#include <vector>

class IGraphics;
class IPlugBase;

// How a bitmap is laid over what is below it.
struct IChannelBlend {
    enum EBlendMethod { kBlendNone, kBlendClobber, kBlendAdd, kBlendColorDodge };
    EBlendMethod method = kBlendNone;
    float weight = 1.0f;
};

// Something on the editor's surface: a rectangle it draws into and answers the mouse in, and
// optionally the parameter whose normalised value (0..1) it shows. Controls not bound to a parameter
// carry a negative tag in the parameter index.
class IControl {
public:
    IControl(IPlugBase* plug, const IRECT& rect, int paramIdx = -1,
             IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    virtual ~IControl() = default;

    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    virtual void OnMouseDown(int x, int y, const IMouseMod& mod);
    virtual void OnMouseUp(int, int, const IMouseMod&) {}
    virtual void OnMouseDrag(int, int, int, int, const IMouseMod&) {}
    // Sets the default value, when there is one, and hands it to the plug-in.
    virtual void OnMouseDblClick(int x, int y, const IMouseMod& mod);
    virtual void OnMouseWheel(int, int, const IMouseMod&, int) {}
    virtual bool OnKeyDown(int, int, int) { return false; }
    virtual void OnMouseOver(int, int, const IMouseMod&) {}
    virtual void OnMouseOut() {}
    virtual bool Draw(IGraphics* graphics) = 0;
    virtual void SetValueFromPlug(double normalized);
    virtual void SetValueFromUserInput(double normalized);
    virtual void TextFromTextEntry(const char*) {}
    virtual void Hide(bool hide);
    virtual void GrayOut(bool gray);
    virtual bool IsHit(int x, int y) const { return targetRect.Contains(x, y); }
    // Keeps the value inside the clamp bounds, marks the control for redrawing and, when asked and
    // bound to a parameter, hands the value to the plug-in as an edit.
    virtual void SetDirty(bool pushParamToPlug = true);
    virtual void SetClean() { dirty = false; }
    virtual bool IsDirty() const { return dirty; }
    virtual void OnGUIIdle() {}
    virtual void SetAuxParamValueFromPlug(int auxParamIdx, double normalized);

    // Auxiliary parameters: further parameters a control shows beside its own.
    void AddAuxParam(int paramIdx);
    int NAuxParams() const { return static_cast<int>(auxParams.size()); }
    int AuxParamIdx(int auxIdx) const;
    double GetAuxParamValue(int auxIdx) const;
    bool HasAuxParam(int paramIdx) const;

    int ParamIdx() const { return paramIdx; }
    double GetValue() const { return value; }
    void SetValue(double normalized) { value = normalized; }
    double GetDefaultValue() const { return defaultValue; }
    // -1 means no default: a double-click then does nothing.
    void SetDefaultValue(double normalized) { defaultValue = normalized; }
    void Clamp(double lo, double hi);
    const IRECT& GetRECT() const { return rect; }
    const IRECT& GetTargetRECT() const { return targetRect; }
    void SetTargetArea(const IRECT& area) { targetRect = area; }
    bool IsHidden() const { return hidden; }
    bool IsGrayed() const { return grayed; }
    bool MouseOverWhenGrayed() const { return mouseOverWhenGrayed; }
    void SetMOWhenGrayed(bool allow) { mouseOverWhenGrayed = allow; }
    bool MouseDblAsSingleClick() const { return dblAsSingleClick; }
    void SetMouseDblAsSingleClick(bool single) { dblAsSingleClick = single; }
    const IChannelBlend& GetBlend() const { return blend; }
    const IText& GetText() const { return text; }
    void SetText(const IText& textStyle) { text = textStyle; }
    const std::string& GetTooltip() const { return tooltip; }
    void SetTooltip(const char* tip) { tooltip = tip ? tip : ""; }
    // Controls that show this control's parameter value and name as text.
    void SetValDisplayControl(IControl* control) { valueDisplay = control; }
    void SetNameDisplayControl(IControl* control) { nameDisplay = control; }
    // Replaces the text of a text control; other controls ignore it.
    virtual void SetTextFromPlug(const char*) {}

    IPlugBase* GetPlug() const { return plug; }
    IGraphics* GetGUI() const { return graphics; }
    // Set by the editor when the control is attached.
    void SetGUI(IGraphics* gui) { graphics = gui; }

protected:
    struct AuxParam {
        int paramIdx;
        double value;
    };

    IPlugBase* plug;
    IGraphics* graphics = nullptr;
    IText text;
    IRECT rect;
    IRECT targetRect;
    int paramIdx;
    std::vector<AuxParam> auxParams;
    double value = 0.0;
    double defaultValue = -1.0;
    double clampLo = 0.0;
    double clampHi = 1.0;
    bool dirty = true;
    bool hidden = false;
    bool grayed = false;
    bool dblAsSingleClick = false;
    bool mouseOverWhenGrayed = false;
    IChannelBlend blend;
    IControl* valueDisplay = nullptr;
    IControl* nameDisplay = nullptr;
    std::string tooltip;
};
