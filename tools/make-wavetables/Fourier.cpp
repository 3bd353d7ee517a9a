#include "tools/make-wavetables/Fourier.h"

#include "tools/make-wavetables/PortableMath.h"

#include <cstddef>
#include <utility>

namespace wavegen {

void Fourier::transform(std::vector<std::complex<double>>& data, double sign) {
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const size_t half = length / 2;
        for (size_t k = 0; k < half; ++k) {
            // Each twiddle straight from its angle: no accumulated rounding along the stage.
            const double angle = sign * kTwoPi * static_cast<double>(k) / static_cast<double>(length);
            const std::complex<double> w(cosine(angle), sine(angle));
            for (size_t start = 0; start < n; start += length) {
                const std::complex<double> a = data[start + k];
                const std::complex<double> b = data[start + k + half] * w;
                data[start + k] = a + b;
                data[start + k + half] = a - b;
            }
        }
    }
}

} // namespace wavegen
