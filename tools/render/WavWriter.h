#pragma once

#include "tools/render/RenderOptions.h"

#include <string>

struct sf_private_tag;

// Writes a stereo WAV file through a temporary file beside the target, renamed over it only when every
// frame is written, so a failed render never leaves a partial file where the result belongs.
class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, int sampleRate, RenderOptions::Format format, std::string* error);
    // Interleaved left/right frames.
    bool write(const double* frames, long count, std::string* error);
    bool finish(std::string* error);
    // Removes the temporary file; the target stays as it was.
    void abandon();

private:
    sf_private_tag* file = nullptr;
    std::string targetPath;
    std::string temporaryPath;
};
