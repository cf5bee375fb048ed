#include "files/puzzle_file.h"

namespace masuvo {

bool ReadPuzzleData(const std::string&, PuzzleFileData&, std::string& message) {
    message = "ファイルを読込めません。";
    return false;
}

bool WritePuzzleData(const std::string&, const PuzzleFileData&, std::string& message) {
    message = "保存ファイルをオープンできません。：\n";
    return false;
}

}  // namespace masuvo
