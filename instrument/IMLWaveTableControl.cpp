#include "instrument/IMLWaveTableControl.h"

#include "editor/IGraphics.h"
#include "instrument/Korvanta.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr std::array<int, 3> kOnParams = {kOsc1OffOn, kOsc2OffOn, kOsc3OffOn};
constexpr std::array<int, 3> kShapeParams = {kWaveShape1, kWaveShape2, kWaveShape3};
constexpr std::array<int, 3> kModeParams = {kWaveMode1, kWaveMode2, kWaveMode3};
constexpr std::array<int, 3> kPhaseParams = {kStartPhase1, kStartPhase2, kStartPhase3};

constexpr double kWaveLength = MipMap::kWaveLength;
constexpr double kMiddle = 28.0;
constexpr double kHeight = 16.0;
constexpr int kLeftMargin = 2;
constexpr int kTextTop = 48;
constexpr int kNumberWidth = 22;

} // namespace

IMLWaveTableControl::IMLWaveTableControl(Korvanta* plug, int x2, int y2, int oscillator)
    : IControl(plug, IRECT(x2 / 2, y2 / 2, x2 / 2 + 100, y2 / 2 + 64), kWaveTableParams[oscillator]),
      korvanta(plug), osc(oscillator),
      nameRect(rect.L + kLeftMargin, rect.T + kTextTop, rect.R - kNumberWidth, rect.B),
      numberRect(rect.R - kNumberWidth, rect.T + kTextTop, rect.R, rect.B) {
    text = IText(11, IColor(255, 200, 200, 200), "Arial", IText::kStyleNormal, IText::kAlignNear);
    // The picture also shows these; following them as auxiliary values redraws it when the host or a
    // controller moves them, whichever thread that happens on.
    for (const auto& shown : {kOnParams, kShapeParams, kModeParams, kPhaseParams}) AddAuxParam(shown[osc]);
}

double IMLWaveTableControl::param(int paramIdx) const {
    return korvanta->GetParam(paramIdx)->GetNormalized();
}

bool IMLWaveTableControl::IsOscillatorOn() const {
    return param(kOnParams[osc]) >= 0.5;
}

void IMLWaveTableControl::WavePoints(std::array<double, kSegments + 1>* xs,
                                     std::array<double, kSegments + 1>* ys) const {
    const MipMap& table = korvanta->getMipMap(osc);
    const double shape = param(kShapeParams[osc]);
    const bool interpolate = korvanta->GetParam(kModeParams[osc])->Int() == 0;
    const double start = param(kPhaseParams[osc]) * kWaveLength;
    const uint32_t waves = std::max(table.getNumberOfWaves(), 1u);
    const double position = (waves - 1) * shape;
    const auto whole = static_cast<uint32_t>(std::floor(position));
    const uint32_t waveA = interpolate ? whole : static_cast<uint32_t>(std::floor(position + 0.5));
    const uint32_t waveB = std::min(waveA + 1, waves - 1);
    const double fraction = interpolate ? position - whole : 0.0;
    // The saw, pulse and full-PWM tables hold one wave that the oscillator reads twice, the second
    // reading shifted by the pulse width.
    const int tableId = korvanta->GetParam(kWaveTableParams[osc])->Int();
    uint32_t offset = 0;
    if (tableId == eSaw) offset = static_cast<uint32_t>(std::floor(shape * 1024.0));
    if (tableId == ePulse) offset = static_cast<uint32_t>((1.0 - shape) * 1024.0);
    if (tableId == eFullPWM) offset = static_cast<uint32_t>(std::floor((shape + 0.5) * 2048.0));

    for (int i = 0; i <= kSegments; ++i) {
        const uint32_t r = static_cast<uint32_t>(start + i * kWaveLength / kSegments) & 2047u;
        const uint32_t shifted = (r + offset) & 2047u;
        double sample = 0.0;
        if (table.isValid()) {
            switch (tableId) {
            case eSaw:
                sample = 0.5 * (table.getSample(0, 0, r) + table.getSample(0, 0, shifted));
                break;
            case ePulse:
            case eFullPWM:
                sample = 0.75 * (table.getSample(0, 0, r) - table.getSample(0, 0, shifted));
                break;
            default:
                sample =
                    (1.0 - fraction) * table.getSample(0, waveA, r) + fraction * table.getSample(0, waveB, r);
                break;
            }
        }
        (*xs)[static_cast<size_t>(i)] = rect.L + kLeftMargin + i;
        (*ys)[static_cast<size_t>(i)] = rect.T + kMiddle - kHeight * sample;
    }
}

bool IMLWaveTableControl::Draw(IGraphics* graphics) {
    std::array<double, kSegments + 1> xs{}, ys{};
    WavePoints(&xs, &ys);
    graphics->DrawPolyline(IsOscillatorOn() ? kOnColor : kOffColor, xs.data(), ys.data(), kSegments + 1);
    const uint32_t waves = std::max(korvanta->getMipMap(osc).getNumberOfWaves(), 1u);
    char number[16];
    std::snprintf(number, sizeof number, "%0.f", std::round((waves - 1) * param(kShapeParams[osc])) + 1);
    IText right = text;
    right.align = IText::kAlignFar;
    graphics->DrawIText(text, korvanta->getWaveTableName(paramIdx), nameRect);
    return graphics->DrawIText(right, number, numberRect);
}

void IMLWaveTableControl::OnMouseDown(int x, int y, const IMouseMod& mod) {
    if (!graphics) return;
    if (mod.R || mod.S || mod.C)
        copySettings(x, y);
    else
        chooseTable(x, y);
    SetDirty(false);
}

void IMLWaveTableControl::copySettings(int x, int y) {
    IPopupMenu menu;
    for (int k = 0; k < Korvanta::kNumOscillators; ++k) {
        const std::string item = "Copy Settings to Oscillator " + std::to_string(k + 1);
        menu.AddItem(item.c_str())->SetEnabled(k != osc);
    }
    if (graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y)) == &menu)
        korvanta->copyOsc(osc, menu.GetChosenItemIdx());
    graphics->SetAllControlsDirty();
}

void IMLWaveTableControl::chooseTable(int x, int y) {
    TableDefs& defs = korvanta->getTableDefs();
    defs.updateUserTables();
    const int current = korvanta->GetParam(paramIdx)->Int();
    IPopupMenu menu;
    // Per submenu, the sort position of each of its items.
    std::vector<std::vector<uint16_t>> sortIds;
    IPopupMenu* userMenu = nullptr;
    for (const auto& [categorySort, category] : defs.getAllCategoriesSorted()) {
        auto* submenu = new IPopupMenu();
        sortIds.emplace_back();
        for (const auto& [sortId, table] : defs.getAllTablesSorted()) {
            if (table.category != category.id) continue;
            const bool named = table.name && *table.name;
            IPopupMenuItem* item =
                submenu->AddItem(named ? table.name : "[not defined]", -1,
                                 named ? IPopupMenuItem::kNoFlags : IPopupMenuItem::kDisabled);
            item->SetChecked(table.id == current);
            sortIds.back().push_back(sortId);
        }
        if (category.id == defs.getUserCategoryId()) {
            submenu->AddSeparator();
            for (int n = 1; n <= Korvanta::kNumOscillators; ++n)
                submenu->AddItem(("Load Wave Table " + std::to_string(n) + "...").c_str());
            userMenu = submenu;
        }
        menu.AddItem(category.name, submenu);
    }
    const IPopupMenu* chosen = graphics->CreateIPopupMenu(&menu, IRECT(x, y, x, y));
    if (!chosen) return;
    for (int s = 0; s < menu.GetNItems(); ++s) {
        if (menu.GetItem(s)->GetSubmenu() != chosen) continue;
        const auto item = static_cast<size_t>(chosen->GetChosenItemIdx());
        const std::vector<uint16_t>& ids = sortIds[static_cast<size_t>(s)];
        if (item < ids.size()) {
            const uint16_t id = defs.getIdBySortId(ids[item]);
            if (id != TableDefs::kNoTableId)
                SetValueFromUserInput(id / korvanta->GetParam(paramIdx)->GetMax());
        } else if (chosen == userMenu) {
            // After the tables come a separator and the three load items.
            loadUserTable(static_cast<int>(item - ids.size()) - 1);
        }
    }
    graphics->SetAllControlsDirty();
}

void IMLWaveTableControl::loadUserTable(int slot) {
    if (slot < 0 || slot >= Korvanta::kNumOscillators) return;
    std::string path;
    graphics->PromptForFile(&path, IGraphics::kFileOpen, korvanta->homePath, "wav syx");
    if (path.empty()) return;
    // The import's verdict tells what it makes of the file, or why it refuses it.
    const WaveImport::ImportVerdict verdict = WaveImport::checkSelectedFile(path);
    if (!verdict.message.empty())
        graphics->ShowMessageBox(verdict.message.c_str(), "Load Wave Table", IGraphics::kMB_OK);
    if (!verdict.accepted || !korvanta->loadWaveTable(slot, path)) {
        graphics->ShowMessageBox("Cannot load file!", "Error", IGraphics::kMB_OK);
        return;
    }
    SetValueFromUserInput((kFirstUserTable + slot) / korvanta->GetParam(paramIdx)->GetMax());
}
