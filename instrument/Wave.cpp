#include "instrument/Wave.h"

#include "plugin/ByteChunk.h"

#include <cmath>
#include <vector>

namespace {

int16_t toSample(double x) {
    if (std::isnan(x)) return 0;
    const double clamped = x < -1.0 ? -1.0 : (x > 1.0 ? 1.0 : x);
    // Truncation towards zero keeps stored tables bit-identical to those written by earlier versions.
    return static_cast<int16_t>(clamped * Wave::kFullScale);
}

} // namespace

void Wave::clear() {
    count = 0;
    samples.reset();
    name.clear();
}

void Wave::putFrom(const double* x, int n, const std::string& newName) {
    clear();
    name = newName;
    if (x == nullptr || n <= 0) return;
    samples = std::make_unique<int16_t[]>(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) samples[i] = toSample(x[i]);
    count = static_cast<uint32_t>(n);
}

void Wave::putInto(double* y) const {
    for (uint32_t i = 0; i < count; ++i) y[i] = samples[i] / kFullScale;
}

bool Wave::serialize(ByteChunk* chunk) const {
    chunk->Put(static_cast<int32_t>(count));
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * 2);
    for (uint32_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<unsigned char>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(value >> 8);
    }
    chunk->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    chunk->PutStr(name.c_str());
    return chunk->Size() > 0;
}

int Wave::recordEnd(const ByteChunk* chunk, int pos) {
    int32_t size = 0;
    pos = chunk->Get(&size, pos);
    if (pos < 0 || size < 0) return -1;
    // The count comes from outside: the chunk itself bounds it before anything is allocated.
    if (size > (chunk->Size() - pos) / 2) return -1;
    pos += 2 * size;
    std::string name;
    const int end = chunk->GetStr(&name, pos);
    // A negative name length would send the reader backwards over bytes it has already read.
    return end < pos + 4 ? -1 : end;
}

int Wave::unserialize(const ByteChunk* chunk, int pos) {
    clear();
    const int end = recordEnd(chunk, pos);
    if (end < 0) return -1;
    int32_t size = 0;
    pos = chunk->Get(&size, pos);
    if (size > 0) {
        const unsigned char* bytes = chunk->GetData() + pos;
        samples = std::make_unique<int16_t[]>(static_cast<size_t>(size));
        for (int32_t i = 0; i < size; ++i)
            samples[i] = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        count = static_cast<uint32_t>(size);
        pos += 2 * size;
    }
    chunk->GetStr(&name, pos);
    return end;
}
