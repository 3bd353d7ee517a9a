#include "instrument/IMLUtilityKick.h"

#include "editor/File.h"
#include "editor/IGraphics.h"
#include "editor/KorvantaLayout.h"
#include "instrument/Korvanta.h"

using namespace KorvantaLayout;

namespace {
struct Arrow {
    int up;
    int down;
    int waveTable;
};
constexpr Arrow kArrows[] = {{kTagWaveUp1, kTagWaveDown1, kWaveTable1},
                             {kTagWaveUp2, kTagWaveDown2, kWaveTable2},
                             {kTagWaveUp3, kTagWaveDown3, kWaveTable3}};
} // namespace

IMLUtilityKick::IMLUtilityKick(Korvanta* plug, int x2, int y2, int tag, const IBitmap& bitmap)
    : IContactControl(plug, x2 / 2, y2 / 2, tag, bitmap), korvanta(plug), emptyClipboard(bitmap),
      fullClipboard(bitmap) {}

void IMLUtilityKick::SetFullClipboardBitmap(const IBitmap& full) {
    fullClipboard = full;
}

void IMLUtilityKick::OnMouseDown(int x, int y, const IMouseMod& mod) {
    IContactControl::OnMouseDown(x, y, mod);
    const int programs = Synth::kNumPrograms;
    const int current = korvanta->GetCurrentPresetIdx();
    switch (paramIdx) {
    case kTagNextProgram:
        korvanta->changePreset((current + 1) % programs);
        break;
    case kTagPreviousProgram:
        korvanta->changePreset((current + programs - 1) % programs);
        break;
    case kTagCopy:
        File::runCommand(korvanta, graphics, File::kCopyProgram);
        break;
    case kTagPaste:
    case kTagInit:
        if (paramIdx == kTagPaste && korvanta->copiedPreset.Size() == 0) break;
        File::runCommand(korvanta, graphics,
                         paramIdx == kTagPaste ? File::kPasteProgram : File::kInitProgram);
        // The question took the mouse release.
        OnMouseUp(x, y, mod);
        break;
    default:
        for (const Arrow& arrow : kArrows) {
            if (paramIdx == arrow.up || paramIdx == arrow.down)
                korvanta->incrementWaveTable(arrow.waveTable, paramIdx == arrow.down);
        }
        break;
    }
    if (graphics) graphics->SetAllControlsDirty();
}

bool IMLUtilityKick::Draw(IGraphics* graphics) {
    if (paramIdx == kTagPaste) bitmap = korvanta->copiedPreset.Size() > 0 ? fullClipboard : emptyClipboard;
    return IContactControl::Draw(graphics);
}
