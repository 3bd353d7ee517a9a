#pragma once

#include <string>
#include <vector>

// A folder of the test's own under /tmp, removed with everything in it when the test ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }
    // Writes the bytes as the file name and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const;
    // Files and folders directly inside.
    int entries() const;

    std::string path;
};
