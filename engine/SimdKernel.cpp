#include "engine/SimdKernel.h"

namespace {

bool hasAVX2() {
    // The processor check may run before the run-time library's own start-up has filled in the data.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

} // namespace

bool isSimdKernelAvailable(SimdKernel kernel) {
    static const bool avx2 = hasAVX2();
    return kernel != SimdKernel::AVX2 || avx2;
}

SimdKernel fastestSimdKernel() {
    return isSimdKernelAvailable(SimdKernel::AVX2) ? SimdKernel::AVX2 : SimdKernel::SSE2;
}
