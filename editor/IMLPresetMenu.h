#pragma once

#include "editor/IControl.h"

#include <string>

class Synth;

// The program display: number and name of the current program. A click on the name renames it through
// a text entry; a click elsewhere offers all programs in four submenus of sixteen.
class IMLPresetMenu : public IControl {
public:
    static constexpr int kProgramsPerSubmenu = 16;
    static constexpr size_t kMaxNameChars = 256;
    static constexpr size_t kShownNameChars = 27;

    IMLPresetMenu(Synth* plug, const IRECT& numberRect, const IRECT& nameRect);
    bool Draw(IGraphics* graphics) override;
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    void TextFromTextEntry(const char* text) override;

private:
    Synth* synth;
    IRECT numberRect;
    IRECT nameRect;
    std::string numberText;
    std::string nameText;
};
