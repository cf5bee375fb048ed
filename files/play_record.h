// The play state that a puzzle file carries, and one entry of the play log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace masuvo {

constexpr int kCatalogueSize = 30;

// One judged move (or the completion entry "-").
struct Log {
    std::string text;
    int32_t seconds = 0;
    int32_t points = 0;
    bool hinted = false;
    bool detailed = false;
    bool executed = false;
    bool candidatesShown = false;
    int32_t values[81] = {};
    int32_t origin[81] = {};
    int32_t row = -1;
    int32_t col = -1;
    int32_t digit = 0;

    void Reset() { *this = Log(); }
};

// Everything a puzzle file stores, in the session's own terms.
struct PuzzleFileData {
    int32_t values[81] = {};
    int32_t origin[81] = {};
    int32_t colour[81] = {};
    uint8_t candMarks[81][10] = {};
    uint8_t memo[81][10] = {};
    int32_t mode = 0;
    int32_t targetTime = 0;
    int64_t elapsed = 0;  // including a running segment when written
    int32_t hintCount = 0;
    int32_t detailCount = 0;
    int32_t execCount = 0;
    int32_t candidateEase = 0;
    int32_t penalty = 0;
    int32_t execution = 0;
    int32_t usageStartCount[kCatalogueSize] = {};
    int32_t usagePlayedCount[kCatalogueSize] = {};
    std::vector<Log> log;
};

}  // namespace masuvo
