#pragma once

// Conversions between frequencies, ratios and cents shared by the scale model and the Scala import.
namespace TUN {

// 1200 / ln(2): cents per natural-log unit.
constexpr double kCentsPerNeper = 1731.2340490667561;

double Hz2Cents(double frequency, double base);
double Factor2Cents(double factor);
double Cents2Hz(double cents, double base);
double Cents2Factor(double cents);

// Equal-tempered frequency and cents of a MIDI note; notes outside 0..127 are clamped first.
double MIDINote_DefaultHz(long note);
double MIDINote_DefaultCents(long note);

} // namespace TUN
