#pragma once

#include "tools/make-wavetables/WaveTable.h"

#include <array>

namespace wavegen {

// One resource file and the recipe that synthesises it.
struct Recipe {
    const char* file;
    WaveTable (*make)();
};

WaveTable makeDW6000();
WaveTable makeDW8000();
WaveTable makeAcousticPiano();
WaveTable makePianet();
WaveTable makeSlapLow();
WaveTable makeSlapHigh();
WaveTable makeRePWM();
WaveTable makeResonance();
WaveTable makeRectResonance();
WaveTable makeCrossModulation();
WaveTable makeFormantShift();
WaveTable makeAOE();
WaveTable makeGeesh();
WaveTable makeTeh();
WaveTable makeTexture1();
WaveTable makeTexture2();
WaveTable makeLadies();

// The file names the plug-in looks for in its resource folder.
constexpr std::array<Recipe, 17> kRecipes = {{
    {"dw6000.bin", makeDW6000},
    {"dw8000.bin", makeDW8000},
    {"resonance.bin", makeResonance},
    {"rectreso.bin", makeRectResonance},
    {"apiano.bin", makeAcousticPiano},
    {"pianet.bin", makePianet},
    {"slap_low.bin", makeSlapLow},
    {"slap_hi.bin", makeSlapHigh},
    {"repwm.bin", makeRePWM},
    {"fm_mp4.bin", makeCrossModulation},
    {"fmtshift.bin", makeFormantShift},
    {"a_o_e.bin", makeAOE},
    {"geesh.bin", makeGeesh},
    {"td_teh.bin", makeTeh},
    {"texture1.bin", makeTexture1},
    {"texture2.bin", makeTexture2},
    {"ladies.bin", makeLadies},
}};

} // namespace wavegen
