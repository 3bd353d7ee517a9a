#include "instrument/Wave.h"

#include "plugin/ByteChunk.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

int16_t toSample(double x) {
    if (std::isnan(x)) return 0;
    const double clamped = x < -1.0 ? -1.0 : (x > 1.0 ? 1.0 : x);
    // Truncation towards zero keeps stored tables bit-identical to those written by earlier versions.
    return static_cast<int16_t>(clamped * Wave::kFullScale);
}

} // namespace

void Wave::adopt(std::unique_ptr<Content> filled) {
    if (filled->count != 0) filled->table.createMipMap(filled.get());
    content = std::move(filled);
}

void Wave::putFrom(const double* x, int n, const std::string& newName) {
    auto filled = std::make_unique<Content>();
    filled->name = newName;
    if (x != nullptr && n > 0) {
        filled->samples = std::make_unique<int16_t[]>(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) filled->samples[i] = toSample(x[i]);
        filled->count = static_cast<uint32_t>(n);
    }
    adopt(std::move(filled));
}

void Wave::Content::putInto(double* y) const {
    for (uint32_t i = 0; i < count; ++i) y[i] = samples[i] / kFullScale;
}

void Wave::putInto(double* y) const {
    if (content != nullptr) content->putInto(y);
}

bool Wave::serialize(ByteChunk* chunk) const {
    const uint32_t count = getSize();
    chunk->Put(static_cast<int32_t>(count));
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * 2);
    for (uint32_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(content->samples[i]);
        bytes[2 * i] = static_cast<unsigned char>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(value >> 8);
    }
    chunk->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    // An empty record still writes the name it carries.
    chunk->PutStr(content != nullptr ? content->name.c_str() : "");
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
    auto filled = std::make_unique<Content>();
    if (size > 0) {
        const unsigned char* bytes = chunk->GetData() + pos;
        filled->samples = std::make_unique<int16_t[]>(static_cast<size_t>(size));
        for (int32_t i = 0; i < size; ++i)
            filled->samples[i] =
                static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        filled->count = static_cast<uint32_t>(size);
        pos += 2 * size;
    }
    chunk->GetStr(&filled->name, pos);
    adopt(std::move(filled));
    return end;
}

int Wave::matches(const ByteChunk* chunk, int pos) const {
    if (!isValid()) return -1;
    int32_t size = 0;
    pos = chunk->Get(&size, pos);
    if (pos < 0 || size < 0 || static_cast<uint32_t>(size) != content->count) return -1;
    if (size > (chunk->Size() - pos) / 2) return -1;
    // The samples sit in the chunk as little-endian 16-bit integers, the layout they have in memory.
    static_assert(std::endian::native == std::endian::little);
    if (std::memcmp(chunk->GetData() + pos, content->samples.get(), 2 * static_cast<size_t>(size)) != 0)
        return -1;
    pos += 2 * size;

    int32_t length = 0;
    const int text = chunk->Get(&length, pos);
    const std::string& name = content->name;
    if (text < 0 || length < 0 || !chunk->Fits(text, length)) return -1;
    // The reader stops a name at its first zero byte, so the stored text must read back as this name.
    const char* stored = reinterpret_cast<const char*>(chunk->GetData() + text);
    if (strnlen(stored, static_cast<size_t>(length)) != name.size() ||
        name.compare(0, name.size(), stored, name.size()) != 0)
        return -1;
    return text + length;
}
