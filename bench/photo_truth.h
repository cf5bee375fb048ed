// The truth of a photo in ../shared/data/photos: its .dat file holds two
// header lines, then the board's rows as digits (0 = empty) among other
// characters. Returns the 81 digits, or fewer when the file is missing or
// short.
#pragma once

#include <fstream>
#include <string>

inline std::string ReadPhotoTruth(const std::string& datPath) {
    std::ifstream dat(datPath);
    std::string line, truth;
    std::getline(dat, line);
    std::getline(dat, line);
    while (std::getline(dat, line))
        for (char c : line)
            if (c >= '0' && c <= '9') truth += c;
    return truth;
}
