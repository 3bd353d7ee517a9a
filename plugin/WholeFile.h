#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Files read and written in one piece. Writing goes through a temporary file in the target's folder
// that is renamed over the target, so a write that fails half-way leaves the old file as it was.
namespace WholeFile {

// Files larger than this are not read: nothing this plug-in writes comes near it.
constexpr long kMaxReadSize = 256L * 1024 * 1024;

// False when the file cannot be opened, is not a regular file, is larger than kMaxReadSize or
// cannot be read completely; bytes is left alone then.
bool read(const char* path, std::vector<unsigned char>* bytes);
// False when the temporary file cannot be created or written, or the rename fails; the target is
// then untouched and no temporary file remains.
bool writeReplacing(const char* path, const void* data, size_t size);

// The name of a hidden file beside path: "." + the file name + suffix, in the same folder, so that a
// rename over path never crosses file systems.
std::string siblingName(const std::string& path, const std::string& suffix);
// The last step of every replacing write: empties the open file fd (named temporary), writes data into
// it, flushes it to disk and renames it over target. On failure temporary is removed and target stays
// as it was. fd stays open: a caller may hold a lock on it until the rename is done.
bool commitReplacing(int fd, const std::string& temporary, const std::string& target, const void* data,
                     size_t size);

} // namespace WholeFile
