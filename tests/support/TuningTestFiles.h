#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A scratch folder per test, removed afterwards, for the readers that take a path.
class TuningTestFiles {
public:
    TuningTestFiles() {
        folder = std::filesystem::temp_directory_path() /
                 ("korvanta-tuning-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(folder);
    }
    ~TuningTestFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string write(const std::string& name, const std::string& content) const {
        const std::filesystem::path path = folder / name;
        std::ofstream file(path, std::ios::binary);
        file << content;
        return path.string();
    }

private:
    static inline int counter = 0;
    std::filesystem::path folder;
};
