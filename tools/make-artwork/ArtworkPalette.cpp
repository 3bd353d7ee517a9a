#include "tools/make-artwork/ArtworkPalette.h"

#include <algorithm>
#include <cmath>

namespace {

double luminance(unsigned rgb) {
    auto channel = [](unsigned c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((rgb >> 16) & 255) + 0.7152 * channel((rgb >> 8) & 255) +
           0.0722 * channel(rgb & 255);
}

} // namespace

double ArtworkPalette::contrast(unsigned a, unsigned b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
