#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

// A regular file opened for binary reading, closed when the object goes. Directories, pipes and devices
// are refused at open, so a reader never blocks on a FIFO or reads a directory stream as data.
class BinaryFile {
public:
    BinaryFile() = default;
    explicit BinaryFile(const char* path) { open(path); }

    bool open(const char* path);
    void close() { file.reset(); }
    bool isOpen() const { return file != nullptr; }

    // Size in bytes, taken when the file was opened.
    uint64_t size() const { return fileSize; }
    uint64_t position() const { return pos; }
    uint64_t remaining() const { return pos < fileSize ? fileSize - pos : 0; }

    // Reads up to count bytes; returns how many were read (fewer at the end of the file or on an error).
    size_t read(void* buffer, size_t count);
    // True only when all count bytes were read.
    bool readExactly(void* buffer, size_t count) { return read(buffer, count) == count; }
    // Moves to an absolute position within the file; a position past the end fails and moves nothing.
    bool seek(uint64_t newPosition);
    bool skip(uint64_t count) { return count <= remaining() && seek(pos + count); }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file;
    uint64_t fileSize = 0;
    uint64_t pos = 0;
};
