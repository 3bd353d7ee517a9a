#pragma once

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

// Byte strings of RIFF/WAVE and Blofeld SysEx files built field by field, and a scratch folder to
// write them to, for the wave-table import tests.
namespace WaveTestFiles {

using Bytes = std::string;

inline void putLE(Bytes& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(i < 8 ? static_cast<char>((value >> (8 * i)) & 0xFF) : 0);
}

inline Bytes chunk(const std::string& id, const Bytes& body, bool pad = true) {
    Bytes out = id;
    putLE(out, body.size(), 4);
    out += body;
    if (pad && body.size() % 2 == 1) out.push_back('\0');
    return out;
}

struct Format {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint16_t bits = 16;
    uint32_t rate = 44100;
    bool extensible = false; // written as tag 0xFFFE with tag as the sub-format
};

inline Bytes fmtBody(const Format& f) {
    Bytes body;
    putLE(body, f.extensible ? 0xFFFE : f.tag, 2);
    putLE(body, f.channels, 2);
    putLE(body, f.rate, 4);
    putLE(body, uint64_t{f.rate} * f.channels * f.bits / 8, 4);
    putLE(body, f.channels * f.bits / 8, 2);
    putLE(body, f.bits, 2);
    if (f.extensible) {
        putLE(body, 22, 2);
        putLE(body, f.bits, 2);
        putLE(body, 4, 4);
        putLE(body, f.tag, 2);
        body += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    return body;
}

// Values of -1..1 in the file's encoding; integers as value * 2^(bits-1), 8-bit offset by 128.
inline Bytes encode(const Format& f, const std::vector<double>& values) {
    Bytes out;
    for (double v : values) {
        if (f.tag == 3 && f.bits == 32)
            putLE(out, std::bit_cast<uint32_t>(static_cast<float>(v)), 4);
        else if (f.tag == 3)
            putLE(out, std::bit_cast<uint64_t>(v), 8);
        else if (f.bits == 8)
            putLE(out, static_cast<uint64_t>(std::lround(v * 128.0 + 128.0)), 1);
        else
            putLE(out, static_cast<uint64_t>(std::llround(std::ldexp(v, f.bits - 1))), f.bits / 8);
    }
    return out;
}

inline Bytes riff(const Bytes& chunks) {
    Bytes out = "RIFF";
    putLE(out, chunks.size() + 4, 4);
    return out + "WAVE" + chunks;
}

inline Bytes wav(const Format& f, const std::vector<double>& values) {
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", encode(f, values)));
}

// A mono 16-bit file of n frames whose sample i is ((i * 37) % 2001 - 1000) / 1024, exact in 16 bits.
inline double rampValue(uint32_t i) {
    return static_cast<double>(static_cast<int>((i * 37u) % 2001u) - 1000) / 1024.0;
}
inline std::vector<double> ramp(uint32_t n) {
    std::vector<double> values(n);
    for (uint32_t i = 0; i < n; ++i) values[i] = rampValue(i);
    return values;
}

inline Bytes blofeldMessage(const std::vector<int>& raw21) {
    Bytes m = Bytes("\xF0\x3E\x13\x00\x12", 5) + Bytes(405, '\0');
    for (size_t i = 0; i < raw21.size() && i < 128; ++i) {
        const int r = raw21[i] & 0x1FFFFF;
        m[8 + 3 * i] = static_cast<char>(r >> 14);
        m[9 + 3 * i] = static_cast<char>((r >> 7) & 0x7F);
        m[10 + 3 * i] = static_cast<char>(r & 0x7F);
    }
    return m;
}

// One cycle of a sine of the given harmonic as 21-bit two's complement values.
inline std::vector<int> blofeldSine(int harmonic, double amplitude) {
    std::vector<int> raw(128);
    for (int i = 0; i < 128; ++i)
        raw[i] = static_cast<int>(
            std::lround(amplitude * 1048575.0 * std::sin(2.0 * std::numbers::pi * harmonic * i / 128.0)));
    return raw;
}

} // namespace WaveTestFiles
