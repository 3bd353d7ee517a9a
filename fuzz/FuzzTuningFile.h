#pragma once

#include "fuzz/FuzzInput.h"
#include "synth/TuningEngine.h"

// A tuning file read as the user's tuning, selected, and every note's pitch asked for.
inline void fuzzTuningFile(const uint8_t* data, size_t size, const char* extension) {
    static TuningEngine engine;
    const std::string path = writeInput(data, size, extension);
    if (engine.loadTuning(path.c_str(), size > 0 && (data[0] & 1)) != TuningEngine::kLoadDone) return;
    engine.setTuning(eUserTuning);
    for (int note = 0; note < TuningEngine::kNumNotes; ++note) engine.getFrequency(note);
}
