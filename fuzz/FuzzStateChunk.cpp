// A host chunk handed over through effSetChunk: the first byte says program (even) or bank (odd), the
// rest is the chunk.

#include "fuzz/FuzzInstrument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Korvanta& plug = fuzzInstrument();
    AEffect* effect = plug.GetAEffect();
    const int program = (data[0] & 1) == 0 ? 1 : 0;
    effect->dispatcher(effect, effSetChunk, program, static_cast<VstIntPtr>(size - 1),
                       const_cast<uint8_t*>(data + 1), 0.0f);
    playNote(plug);
    return 0;
}
