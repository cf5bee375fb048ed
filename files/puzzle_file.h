// Reading and writing puzzle files (.kzd): code page 932, CR LF.
#pragma once

#include <string>

#include "files/play_record.h"

namespace masuvo {

// Parses and validates the whole file into data. On failure data is left
// untouched and message holds the text to show: "読込ファイルをオープンできません。：\n"
// plus the system's description, or "ファイルを読込めません。" for a file that is not
// a puzzle file or is malformed or out of range.
//
// Reads the three versions "File format ver.2", "File format ver.3" and
// "File format version 3". The mode is returned as stored: a file saved
// while solving holds mode 1, and the caller turns it into 2 (paused) so
// that a file never resumes with a running clock.
bool ReadPuzzleData(const std::string& path, PuzzleFileData& data, std::string& message);

// Writes version 3 through a temporary file in the same folder renamed over
// the target, so a failed save leaves any old file intact. On failure message
// is "保存ファイルをオープンできません。：\n" plus the system's description.
// data.elapsed must already include a running segment of the clock.
bool WritePuzzleData(const std::string& path, const PuzzleFileData& data, std::string& message);

}  // namespace masuvo
