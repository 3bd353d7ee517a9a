#include "editor/ITextControl.h"

#include "editor/IGraphics.h"

ITextControl::ITextControl(IPlugBase* plug, const IRECT& rect, const IText& textStyle, const char* text)
    : IControl(plug, rect), str(text ? text : "") {
    SetText(textStyle);
}

bool ITextControl::Draw(IGraphics* graphics) {
    return graphics->DrawIText(text, str.c_str(), rect);
}

void ITextControl::SetTextFromPlug(const char* newText) {
    const char* next = newText ? newText : "";
    if (str == next) return;
    str = next;
    SetDirty(false);
}
