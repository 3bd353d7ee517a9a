#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A growable byte buffer with the primitive encodings every chunk and file of the plug-in uses:
// little-endian integers and doubles, one-byte bools, length-prefixed strings without terminator.
// Writing appends; reading takes a start position and returns the position after what was read,
// or -1 when the read does not fit (the target is then left unchanged).
class ByteChunk {
public:
    ByteChunk() = default;

    int Put(int32_t value);
    int Put(uint32_t value);
    int Put(double value);
    int Put(bool value);
    // Appends the length (strlen) as int32, then the bytes without terminator. Null counts as "".
    int PutStr(const char* text);
    int PutBytes(const void* data, int size);
    int PutChunk(const ByteChunk& other);

    int Get(int32_t* value, int startPos) const;
    int Get(uint32_t* value, int startPos) const;
    int Get(double* value, int startPos) const;
    int Get(bool* value, int startPos) const;
    // Returns startPos + 4 + length. The text is replaced (up to the first zero byte) only when the
    // length is positive and the bytes are all present; otherwise it keeps its previous content.
    int GetStr(std::string* text, int startPos) const;
    int GetBytes(void* data, int size, int startPos) const;

    void Clear() { bytes.clear(); }
    int Size() const { return static_cast<int>(bytes.size()); }
    // Resizes to newSize bytes (new bytes are zero); a negative size counts as 0. Returns the size.
    int Resize(int newSize);
    unsigned char* GetData() { return bytes.data(); }
    const unsigned char* GetData() const { return bytes.data(); }
    bool IsEqual(const ByteChunk& other) const { return bytes == other.bytes; }

    // True when size bytes starting at startPos lie inside the chunk.
    bool Fits(int startPos, int size) const {
        return startPos >= 0 && size >= 0 && static_cast<int64_t>(startPos) + size <= Size();
    }

private:
    std::vector<unsigned char> bytes;
};

// The header that begins every chunk handed to a host and every chunk inside FXP/FXB files.
constexpr int32_t kIPlugChunkMagic = 0x70666674;
constexpr int32_t kIPlugChunkVersion = 0x00010000;

// Clears the chunk and writes the 8-byte version header.
void InitChunkWithIPlugVer(ByteChunk* chunk);
// Reads the version header at *pos: returns the version and advances *pos by 8, or returns 0 and
// leaves *pos when no header is there (*pos becomes -1 when the magic is there but the version is cut).
int GetIPlugVerFromChunk(const ByteChunk* chunk, int* pos);
