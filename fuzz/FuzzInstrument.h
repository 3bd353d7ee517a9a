#pragma once

#include "engine/ParameterIds.h"
#include "tests/support/KorvantaTestHost.h"

// One live instrument for the whole run. Inputs leave their state behind for the next one, as they
// would in a host that loads one file after another.
inline Korvanta& fuzzInstrument() {
    static std::unique_ptr<testhost::ProbedKorvanta> plug = testhost::makeInstrument(44100.0, 64);
    return *plug;
}

// A note through a few blocks, so that whatever the input set reaches the voices, the filters and the
// chorus; then the note ends so the next input starts from silence.
inline void playNote(Korvanta& plug) {
    testhost::sendMidi(plug, 0, 0x90, 60, 100);
    testhost::render(plug, 256, 64);
    testhost::sendMidi(plug, 0, 0x80, 60, 0);
    testhost::render(plug, 64, 64);
}
