#pragma once

#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzInstrument.h"

// A wave-table file imported into user slot 1 and played from oscillator 1.
inline void fuzzWaveFile(const uint8_t* data, size_t size, const char* extension) {
    Korvanta& plug = fuzzInstrument();
    if (!plug.loadWaveTable(0, writeInput(data, size, extension))) return;
    testhost::setParam(plug, kWaveTable1, kFirstUserTable);
    playNote(plug);
}
