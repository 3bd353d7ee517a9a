#include "instrument/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool BinaryFile::open(const char* path) {
    close();
    fileSize = 0;
    pos = 0;
    if (path == nullptr || *path == '\0') return false;

    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer before fstat could refuse it.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        ::close(fd);
        return false;
    }
    file.reset(stream);
    fileSize = static_cast<uint64_t>(info.st_size);
    return true;
}

size_t BinaryFile::read(void* buffer, size_t count) {
    if (!file || count == 0) return 0;
    const size_t got = std::fread(buffer, 1, count, file.get());
    pos += got;
    return got;
}

bool BinaryFile::seek(uint64_t newPosition) {
    if (!file || newPosition > fileSize) return false;
    if (::fseeko(file.get(), static_cast<off_t>(newPosition), SEEK_SET) != 0) return false;
    pos = newPosition;
    return true;
}
