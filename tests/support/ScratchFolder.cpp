#include "tests/support/ScratchFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/korvanta-test-XXXXXX";
    path = mkdtemp(pattern) ? pattern : "";
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
    return write(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::string ScratchFolder::write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    const std::string target = file(name);
    if (std::FILE* out = std::fopen(target.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    return target;
}

int ScratchFolder::entries() const {
    std::error_code ignored;
    const std::filesystem::directory_iterator all(path, ignored);
    return static_cast<int>(std::distance(begin(all), end(all)));
}
