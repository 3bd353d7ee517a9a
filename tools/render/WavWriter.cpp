#include "tools/render/WavWriter.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int subtypeOf(RenderOptions::Format format) {
    switch (format) {
    case RenderOptions::Format::s16:
        return SF_FORMAT_PCM_16;
    case RenderOptions::Format::s24:
        return SF_FORMAT_PCM_24;
    case RenderOptions::Format::f32:
        return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_PCM_24;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

WavWriter::~WavWriter() {
    abandon();
}

bool WavWriter::open(const std::string& path, int sampleRate, RenderOptions::Format format,
                     std::string* error) {
    abandon();
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        *error = "\"" + path + "\" is a folder";
        return false;
    }
    const std::string folder = folderOf(path);
    std::vector<char> name(folder.size() + 32);
    std::snprintf(name.data(), name.size(), "%s/.korvanta-render-XXXXXX", folder.c_str());
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        *error =
            "cannot write \"" + path + "\": " + std::strerror(errno) + " (in the folder \"" + folder + "\")";
        return false;
    }
    temporaryPath = name.data();
    targetPath = path;
    // mkstemp makes the file private; a rendered song is an ordinary file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    SF_INFO layout{};
    layout.samplerate = sampleRate;
    layout.channels = 2;
    layout.format = SF_FORMAT_WAV | subtypeOf(format);
    file = sf_open_fd(fd, SFM_WRITE, &layout, SF_TRUE);
    if (!file) {
        *error = std::string("cannot start the WAV file: ") + sf_strerror(nullptr);
        close(fd);
        abandon();
        return false;
    }
    // Integer formats clip out-of-range samples rather than wrap them around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool WavWriter::write(const double* frames, long count, std::string* error) {
    if (!file) {
        *error = "no output file is open";
        return false;
    }
    if (sf_writef_double(file, frames, count) != count) {
        *error = "cannot write \"" + targetPath + "\": " + sf_strerror(file);
        return false;
    }
    return true;
}

bool WavWriter::finish(std::string* error) {
    if (!file) {
        *error = "no output file is open";
        return false;
    }
    sf_write_sync(file);
    const int closed = sf_close(file);
    file = nullptr;
    if (closed != 0) {
        *error = "cannot finish \"" + targetPath + "\": " + sf_error_number(closed);
        abandon();
        return false;
    }
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        *error = "cannot write \"" + targetPath + "\": " + std::strerror(errno);
        abandon();
        return false;
    }
    temporaryPath.clear();
    return true;
}

void WavWriter::abandon() {
    if (file) sf_close(file);
    file = nullptr;
    if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
    temporaryPath.clear();
}
