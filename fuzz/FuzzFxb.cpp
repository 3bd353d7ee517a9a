#include "fuzz/FuzzInstrument.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Korvanta& plug = fuzzInstrument();
    if (plug.ReadFXB(std::vector<unsigned char>(data, data + size))) playNote(plug);
    return 0;
}
