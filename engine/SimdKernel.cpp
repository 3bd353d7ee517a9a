#include "engine/SimdKernel.h"

#include <initializer_list>

namespace {

bool has(SimdKernel kernel) {
    // The processor check may run before the run-time library's own start-up has filled in the data.
    __builtin_cpu_init();
    switch (kernel) {
    case SimdKernel::AVX2:
        return __builtin_cpu_supports("avx2");
    case SimdKernel::AVX512:
        // The AVX-512 code is compiled for the set every AVX-512 processor since the first server ones has.
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
               __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512bw");
    default:
        return true;
    }
}

} // namespace

bool isSimdKernelAvailable(SimdKernel kernel) {
    static const bool avx2 = has(SimdKernel::AVX2);
    static const bool avx512 = has(SimdKernel::AVX512);
    switch (kernel) {
    case SimdKernel::AVX2:
        return avx2;
    case SimdKernel::AVX512:
        return avx512;
    default:
        return true;
    }
}

SimdKernel fastestSimdKernel() {
    for (const SimdKernel kernel : {SimdKernel::AVX512, SimdKernel::AVX2}) {
        if (isSimdKernelAvailable(kernel)) return kernel;
    }
    return SimdKernel::SSE2;
}
