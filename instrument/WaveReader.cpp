#include "instrument/WaveReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t le64(const unsigned char* p) {
    return static_cast<uint64_t>(le32(p)) | static_cast<uint64_t>(le32(p + 4)) << 32;
}

bool isId(const unsigned char* p, const char (&id)[5]) {
    return std::memcmp(p, id, 4) == 0;
}

bool isAcceptedFormat(uint16_t tag, uint16_t bits) {
    if (tag == WaveReader::kFormatPCM) return bits == 8 || bits == 16 || bits == 24;
    if (tag == WaveReader::kFormatFloat) return bits == 32 || bits == 64;
    return false;
}

// An extensible format names its real format in the first two bytes of a sub-format GUID whose other
// fourteen bytes are the same for every format registered this way.
constexpr std::array<unsigned char, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kPlainFormatSize = 16;
constexpr uint32_t kExtensibleFormatSize = 40;

double fromUnsigned8(const unsigned char* p) {
    return p[0] * 0.0078125 - 1.0;
}
double fromSigned16(const unsigned char* p) {
    return static_cast<int16_t>(le16(p)) * 3.0517578125e-5;
}
double fromSigned24(const unsigned char* p) {
    int32_t v = p[0] | p[1] << 8 | p[2] << 16;
    if (p[2] & 0x80) v -= 1 << 24;
    return v * 1.1920928955078125e-7;
}
double fromFloat32(const unsigned char* p) {
    return std::bit_cast<float>(le32(p));
}
double fromFloat64(const unsigned char* p) {
    return std::bit_cast<double>(le64(p));
}

using Decoder = double (*)(const unsigned char*);

Decoder decoderFor(uint16_t bits) {
    switch (bits) {
    case 8:
        return fromUnsigned8;
    case 16:
        return fromSigned16;
    case 24:
        return fromSigned24;
    case 32:
        return fromFloat32;
    case 64:
        return fromFloat64;
    default:
        return nullptr;
    }
}

} // namespace

bool WaveReader::Open(const char* path) {
    fileName = path != nullptr ? path : "";
    bitsPerSample = 0;
    channels = 0;
    sampleRate = 0;
    frames = 0;
    firstSample = -1;
    valuesLeft = 0;
    if (!file.open(path)) return false;
    if (!walkChunks()) {
        file.close();
        return false;
    }
    return true;
}

bool WaveReader::walkChunks() {
    std::array<unsigned char, 12> riff{};
    if (!file.readExactly(riff.data(), riff.size())) return false;
    if (!isId(riff.data(), "RIFF") || !isId(riff.data() + 8, "WAVE")) return false;

    for (;;) {
        std::array<unsigned char, 8> header{};
        if (!file.readExactly(header.data(), header.size())) return false;
        const uint32_t size = le32(header.data() + 4);
        if (isId(header.data(), "fmt ") && size >= kPlainFormatSize) {
            if (!readFormat(size)) return false;
        } else if (isId(header.data(), "data") && size > 0 && hasFormat()) {
            useData(size);
            return true;
        } else if (!file.skip(uint64_t{size} + (size & 1))) {
            // Chunks of odd size are followed by a pad byte their size does not count.
            return false;
        }
    }
}

bool WaveReader::readFormat(uint32_t size) {
    std::array<unsigned char, kExtensibleFormatSize> fmt{};
    const uint32_t wanted = std::min(size, kExtensibleFormatSize);
    if (!file.readExactly(fmt.data(), wanted)) return false;

    uint16_t tag = le16(fmt.data());
    if (tag == kFormatExtensible)
        tag = wanted == kExtensibleFormatSize &&
                      std::equal(kSubFormatTail.begin(), kSubFormatTail.end(), fmt.begin() + 26)
                  ? le16(fmt.data() + 24)
                  : 0;
    channels = le16(fmt.data() + 2);
    sampleRate = le32(fmt.data() + 4);
    bitsPerSample = le16(fmt.data() + 14);
    if (!isAcceptedFormat(tag, bitsPerSample) || channels < 1) {
        bitsPerSample = 0;
        channels = 0;
        sampleRate = 0;
    }
    return file.skip(uint64_t{size} - wanted + (size & 1));
}

void WaveReader::useData(uint32_t size) {
    // A data size beyond the end of the file (a truncated file, or a writer that could not go back to
    // fill in the size) counts only the frames that are really there.
    const uint64_t bytes = std::min<uint64_t>(size, file.remaining());
    const uint64_t frameBytes = uint64_t{bitsPerSample} / 8 * channels;
    frames = static_cast<uint32_t>(bytes / frameBytes);
    valuesLeft = uint64_t{frames} * channels;
    firstSample = static_cast<int64_t>(file.position());
}

unsigned WaveReader::ReadDoubles(double* buffer, unsigned count) {
    const Decoder decode = decoderFor(bitsPerSample);
    if (!file.isOpen() || decode == nullptr || buffer == nullptr) return 0;

    const size_t valueBytes = bitsPerSample / 8u;
    std::array<unsigned char, 8192> bytes{};
    const size_t valuesPerBlock = bytes.size() / valueBytes;
    unsigned done = 0;
    const unsigned wanted = static_cast<unsigned>(std::min<uint64_t>(count, valuesLeft));
    while (done < wanted) {
        const size_t values = std::min<size_t>(wanted - done, valuesPerBlock);
        const size_t got = file.read(bytes.data(), values * valueBytes) / valueBytes;
        for (size_t i = 0; i < got; ++i) buffer[done + i] = decode(bytes.data() + i * valueBytes);
        done += static_cast<unsigned>(got);
        valuesLeft -= got;
        if (got < values) break;
    }
    return done;
}
