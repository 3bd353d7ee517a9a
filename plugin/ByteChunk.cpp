#include "plugin/ByteChunk.h"

#include <cstring>

namespace {

template <typename T>
int putRaw(std::vector<unsigned char>& bytes, const T& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(T));
    return static_cast<int>(bytes.size());
}

} // namespace

int ByteChunk::Put(int32_t value) {
    return putRaw(bytes, value);
}
int ByteChunk::Put(uint32_t value) {
    return putRaw(bytes, value);
}
int ByteChunk::Put(double value) {
    return putRaw(bytes, value);
}
int ByteChunk::Put(bool value) {
    return putRaw(bytes, static_cast<unsigned char>(value ? 1 : 0));
}

int ByteChunk::PutStr(const char* text) {
    const int32_t length = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    Put(length);
    return PutBytes(text, length);
}

int ByteChunk::PutBytes(const void* data, int size) {
    if (data && size > 0) {
        const auto* p = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }
    return Size();
}

int ByteChunk::PutChunk(const ByteChunk& other) {
    // Copy first: appending a chunk to itself must not read from storage that is reallocating.
    const std::vector<unsigned char> copy = other.bytes;
    bytes.insert(bytes.end(), copy.begin(), copy.end());
    return Size();
}

int ByteChunk::GetBytes(void* data, int size, int startPos) const {
    if (!Fits(startPos, size)) return -1;
    if (size > 0) std::memcpy(data, bytes.data() + startPos, size);
    return startPos + size;
}

int ByteChunk::Get(int32_t* value, int startPos) const {
    return GetBytes(value, sizeof(*value), startPos);
}
int ByteChunk::Get(uint32_t* value, int startPos) const {
    return GetBytes(value, sizeof(*value), startPos);
}
int ByteChunk::Get(double* value, int startPos) const {
    return GetBytes(value, sizeof(*value), startPos);
}

int ByteChunk::Get(bool* value, int startPos) const {
    unsigned char byte = 0;
    const int pos = GetBytes(&byte, 1, startPos);
    if (pos >= 0) *value = byte != 0;
    return pos;
}

int ByteChunk::GetStr(std::string* text, int startPos) const {
    int32_t length = 0;
    const int pos = Get(&length, startPos);
    if (pos < 0) return -1;
    const int64_t end = static_cast<int64_t>(pos) + length;
    // A length that points past what an int can address can never be read; report it as a failure.
    if (end > INT32_MAX || end < INT32_MIN) return -1;
    if (length > 0 && end <= Size()) {
        const auto* start = reinterpret_cast<const char*>(bytes.data() + pos);
        text->assign(start, strnlen(start, length));
    }
    return static_cast<int>(end);
}

int ByteChunk::Resize(int newSize) {
    bytes.resize(newSize > 0 ? newSize : 0);
    return Size();
}

void InitChunkWithIPlugVer(ByteChunk* chunk) {
    chunk->Clear();
    chunk->Put(kIPlugChunkMagic);
    chunk->Put(kIPlugChunkVersion);
}

int GetIPlugVerFromChunk(const ByteChunk* chunk, int* pos) {
    int32_t magic = 0;
    if (chunk->Get(&magic, *pos) < 0 || magic != kIPlugChunkMagic) return 0;
    int32_t version = 0;
    *pos = chunk->Get(&version, *pos + 4);
    return *pos < 0 ? 0 : version;
}
