// A new, empty folder of its own under the system's temporary folder, for tests that
// write files; portable C++ only.
#pragma once

#include <filesystem>
#include <random>
#include <string>

// Answers the folder's path, or an empty text when none could be made.
inline std::string makeScratchFolder(const std::string& prefix) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path p = base / (prefix + std::to_string(random()));
        if (std::filesystem::create_directory(p, error)) return p.string();
    }
    return {};
}
