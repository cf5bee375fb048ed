// The inputs kept from fuzzing (tests/data/fuzz/<target>/): crashes the fuzz
// targets found, and the hostile files written by hand as their seeds. Each
// suite replays the folder of its reader.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace masuvo::test {

inline std::filesystem::path FuzzFixtureFolder(const std::string& target) {
    return std::filesystem::path(MASUVO_TESTS_DIR) / "data" / "fuzz" / target;
}

// The fixture files of a target, sorted by name.
inline std::vector<std::filesystem::path> FuzzFixtures(const std::string& target) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(FuzzFixtureFolder(target), error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string FuzzFixtureBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace masuvo::test
