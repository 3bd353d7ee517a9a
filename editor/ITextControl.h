#pragma once

#include "editor/IControl.h"

#include <string>

// A line of text in a rectangle.
class ITextControl : public IControl {
public:
    ITextControl(IPlugBase* plug, const IRECT& rect, const IText& textStyle, const char* str = "");
    bool Draw(IGraphics* graphics) override;
    void SetTextFromPlug(const char* str) override;
    const std::string& GetString() const { return str; }

private:
    std::string str;
};
