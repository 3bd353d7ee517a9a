#pragma once

#include "editor/IContactControl.h"

class Korvanta;

// A momentary button that runs a command named by its tag: previous or next program, a wave-table
// arrow, or copy, paste and init of the current program. The paste button lights while a copied
// program waits on the clipboard.
class IMLUtilityKick : public IContactControl {
public:
    IMLUtilityKick(Korvanta* plug, int x2, int y2, int tag, const IBitmap& bitmap);
    // The paste button's second look, shown while the clipboard holds a program.
    void SetFullClipboardBitmap(const IBitmap& full);
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;
    bool Draw(IGraphics* graphics) override;

private:
    Korvanta* korvanta;
    IBitmap emptyClipboard;
    IBitmap fullClipboard;
};
