#include "tuning/TunConversions.h"

#include <algorithm>
#include <cmath>

namespace TUN {

double Hz2Cents(double frequency, double base) {
    return std::log(frequency / base) * kCentsPerNeper;
}

double Factor2Cents(double factor) {
    return std::log(factor) * kCentsPerNeper;
}

double Cents2Hz(double cents, double base) {
    return base * std::pow(2.0, cents / 1200.0);
}

double Cents2Factor(double cents) {
    return std::pow(2.0, cents / 1200.0);
}

double MIDINote_DefaultHz(long note) {
    const long m = std::clamp(note, 0L, 127L);
    return 8.175798915643707 * std::pow(2.0, static_cast<double>(m) / 12.0);
}

double MIDINote_DefaultCents(long note) {
    return 100.0 * static_cast<double>(std::clamp(note, 0L, 127L));
}

} // namespace TUN
