#include "fuzz/FuzzTuningFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzTuningFile(data, size, "kbm");
    return 0;
}
