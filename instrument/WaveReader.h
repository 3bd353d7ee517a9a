#pragma once

#include "instrument/BinaryFile.h"

#include <cstdint>
#include <string>

// Reads the samples of a RIFF/WAVE file: 8-, 16- and 24-bit integer PCM and 32- or 64-bit float, plain or
// written as WAVE_FORMAT_EXTENSIBLE. Every size in the file is checked against the file itself, so a
// truncated or lying header ends in a failed Open or a short read, never in a read outside the data.
class WaveReader {
public:
    static constexpr uint16_t kFormatPCM = 1;
    static constexpr uint16_t kFormatFloat = 3;
    static constexpr uint16_t kFormatExtensible = 0xFFFE;

    WaveReader() = default;
    WaveReader(const WaveReader&) = delete;
    WaveReader& operator=(const WaveReader&) = delete;

    // Walks the chunks up to the first "data" chunk after an accepted "fmt " chunk and stays there.
    // False when there is none; the format found on the way (if any) is still reported then.
    bool Open(const char* path);
    // Reads up to count values, channels interleaved as stored, as doubles (integers scaled to -1..1).
    // Returns the number of values read: fewer at the end of the data, 0 when no data chunk is open.
    unsigned ReadDoubles(double* buffer, unsigned count);
    void Close() { file.close(); }

    const std::string& getFileName() const { return fileName; }
    bool isOpen() const { return file.isOpen(); }
    // True once the walk has met a "fmt " chunk in an accepted sample format.
    bool hasFormat() const { return bitsPerSample != 0; }
    uint16_t getBitsPerSample() const { return bitsPerSample; }
    uint16_t getChannels() const { return channels; }
    uint32_t getSampleRate() const { return sampleRate; }
    // Whole frames the data chunk holds within the file; 0 until a data chunk is found.
    uint32_t getFrames() const { return frames; }
    // Byte offset of the first sample, or -1 before a data chunk is found.
    int64_t getFirstSamplePosition() const { return firstSample; }

private:
    bool walkChunks();
    bool readFormat(uint32_t size);
    void useData(uint32_t size);

    std::string fileName;
    BinaryFile file;
    int64_t firstSample = -1;
    uint16_t bitsPerSample = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t frames = 0;
    uint64_t valuesLeft = 0;
};
