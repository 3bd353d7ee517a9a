#pragma once

#include "editor/IColor.h"
#include "editor/IControl.h"

#include <array>
#include <vector>

class Korvanta;

// The wave-table display of one oscillator: draws the wave it plays and names its table. A click
// offers the catalogue by category and loading user tables; a right click (or one with Shift or
// Control) copies this oscillator's settings to another.
class IMLWaveTableControl : public IControl {
public:
    static constexpr int kSegments = 97;
    static constexpr IColor kOnColor{192, 64, 212, 255};
    static constexpr IColor kOffColor{192, 144, 128, 112};

    IMLWaveTableControl(Korvanta* plug, int x2, int y2, int oscillator);
    bool Draw(IGraphics* graphics) override;
    void OnMouseDown(int x, int y, const IMouseMod& mod) override;

    // The drawn wave as it stands: kSegments + 1 points in window coordinates.
    void WavePoints(std::array<double, kSegments + 1>* xs, std::array<double, kSegments + 1>* ys) const;
    bool IsOscillatorOn() const;

private:
    void copySettings(int x, int y);
    void chooseTable(int x, int y);
    void loadUserTable(int slot);
    double param(int offsetParam) const;

    Korvanta* korvanta;
    int osc;
    IRECT nameRect;
    IRECT numberRect;
};
