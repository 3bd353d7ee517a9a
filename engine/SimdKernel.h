#pragma once

// How the voices run side by side: one voice after another (the reference every other way must match
// bit for bit), in SSE2 lanes (any x86-64), or in AVX2 or AVX-512 lanes where the processor has them.
enum class SimdKernel { Scalar, SSE2, AVX2, AVX512 };

// The fastest kernel this processor runs, determined once per process.
SimdKernel fastestSimdKernel();
bool isSimdKernelAvailable(SimdKernel kernel);
