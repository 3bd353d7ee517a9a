#include "plugin/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace WholeFile {

namespace {

// Several instances, threads and processes may save into one folder at once: each temporary name is
// unique to the process and the call.
std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    char tail[64];
    std::snprintf(tail, sizeof tail, ".%d.%u.new", static_cast<int>(getpid()), counter.fetch_add(1));
    return siblingName(path, tail);
}

bool writeAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool read(const char* path, std::vector<unsigned char>* bytes) {
    if (!path || !path[0] || !bytes) return false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxReadSize;
    std::vector<unsigned char> content;
    if (ok) {
        content.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < content.size()) {
            const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                ok = false;
            else
                done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    if (ok) bytes->swap(content);
    return ok;
}

bool writeReplacing(const char* path, const void* data, size_t size) {
    if (!path || !path[0]) return false;
    const std::string target = path;
    const std::string temporary = temporaryNameFor(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const bool ok = commitReplacing(fd, temporary, target, data, size);
    ::close(fd);
    return ok;
}

std::string siblingName(const std::string& path, const std::string& suffix) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + suffix;
}

bool commitReplacing(int fd, const std::string& temporary, const std::string& target, const void* data,
                     size_t size) {
    const bool ok = ::ftruncate(fd, 0) == 0 && writeAll(fd, static_cast<const unsigned char*>(data), size) &&
                    ::fsync(fd) == 0 && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

} // namespace WholeFile
