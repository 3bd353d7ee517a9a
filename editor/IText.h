#pragma once

#include "editor/IColor.h"

#include <cstring>

// How a control writes text: font, size, colours and placement.
struct IText {
    static constexpr int kFontNameSize = 32;
    enum EStyle { kStyleNormal, kStyleBold, kStyleItalic };
    enum EAlign { kAlignNear, kAlignCenter, kAlignFar };
    enum EQuality { kQualityDefault, kQualityNonAntiAliased, kQualityAntiAliased, kQualityClearType };

    char font[kFontNameSize] = "Arial";
    int size = 14;
    IColor color = COLOR_BLACK;
    IColor textEntryBGColor = COLOR_WHITE;
    IColor textEntryFGColor = COLOR_BLACK;
    EStyle style = kStyleNormal;
    EAlign align = kAlignCenter;
    int orientation = 0;
    EQuality quality = kQualityDefault;

    IText() = default;
    IText(int textSize, const IColor& textColor, const char* fontName = nullptr,
          EStyle textStyle = kStyleNormal, EAlign textAlign = kAlignCenter)
        : size(textSize), color(textColor), style(textStyle), align(textAlign) {
        if (fontName) {
            std::strncpy(font, fontName, kFontNameSize - 1);
            font[kFontNameSize - 1] = '\0';
        }
    }
};
