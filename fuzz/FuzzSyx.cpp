#include "fuzz/FuzzWaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzWaveFile(data, size, "syx");
    return 0;
}
