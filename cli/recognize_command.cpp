#include "cli/recognize_command.h"

#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include <opencv2/core.hpp>

#include "cli/puzzle_input.h"
#include "cli/vision_program.h"
#include "files/text_file.h"
#include "vision/board_recognition.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"

namespace masuvo::cli {

namespace {

constexpr const char* kModelName = "Masuvo.dat";
int Usage() {
    std::fputs("usage: masuvo-cli recognize [--model PATH] IMAGE...\n", stderr);
    return 2;
}

// Beside the program first, then the installed layout's share folder; the
// first that exists is used, so a broken file is reported rather than
// silently passed over.
std::string FindModel() {
    const std::string folder = ProgramFolder();
    if (folder.empty()) return kModelName;
    const std::string candidates[] = {folder + "/" + kModelName, folder + "/../share/masuvo/" + kModelName};
    std::error_code ec;
    for (const std::string& candidate : candidates)
        if (std::filesystem::exists(candidate, ec)) return candidate;
    return candidates[0];
}

// One line for standard error: the fixed text's line break becomes a space.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

// The same decoder as the window's, with the same limits and scaling; the
// reasons worded for a terminal.
bool DecodePicture(const std::string& path, cv::Mat& picture, std::string& reason) {
    PictureFailure failure;
    if (DecodePictureFile(path, picture, failure)) return true;
    switch (failure.error) {
        case PictureError::FileUnreadable: reason = SystemErrorText(failure.errorNumber); break;
        case PictureError::FileTooLarge: reason = "file larger than 256 MiB"; break;
        case PictureError::EmptyFile: reason = "empty file"; break;
        case PictureError::TooManyPixels: reason = "picture larger than 100 megapixels"; break;
        default: reason = "not a picture this program can decode"; break;
    }
    return false;
}

std::string BoardText(const BoardDigits& digits) {
    std::string text(kBoardCells, '.');
    for (int cell = 0; cell < kBoardCells; ++cell)
        if (digits[cell] != 0) text[cell] = static_cast<char>('0' + digits[cell]);
    return text;
}

// The doubtful cells as "row,col" pairs (0-based) joined by ";", or "-".
std::string DoubtfulCellsText(const std::array<bool, kBoardCells>& doubtful) {
    std::string text;
    for (int cell = 0; cell < kBoardCells; ++cell) {
        if (!doubtful[cell]) continue;
        if (!text.empty()) text += ';';
        text += std::to_string(cell / 9) + "," + std::to_string(cell % 9);
    }
    return text.empty() ? std::string("-") : text;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    // Started by masuvo-cli: the model is looked for from masuvo-cli's folder.
    if (const char* cli = std::getenv(kCliPathVariable); cli != nullptr && cli[0] != '\0')
        return std::filesystem::path(cli).parent_path().string();
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::string();
    return exe.parent_path().string();
}

int RunRecognize(int argc, char** argv) {
    std::string modelPath;
    std::vector<std::string> pictures;
    bool options = true;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--model") {
            if (++i >= argc || argv[i][0] == '\0') return Usage();
            modelPath = argv[i];
        } else if (options && arg.starts_with("--model=")) {
            modelPath = arg.substr(8);
            if (modelPath.empty()) return Usage();
        } else if (options && arg.size() > 1 && arg.front() == '-') {
            return Usage();
        } else {
            pictures.emplace_back(arg);
        }
    }
    if (pictures.empty()) return Usage();

    if (modelPath.empty()) modelPath = FindModel();
    std::string modelMessage;
    const bool haveModel = LoadDigitModel(modelPath, modelMessage);
    if (!haveModel)
        std::fprintf(stderr, "masuvo-cli: digit model %s: %s\n", modelPath.c_str(), OneLine(modelMessage).c_str());

    bool allRead = haveModel;
    for (const std::string& path : pictures) {
        std::string reason;
        cv::Mat picture;
        BoardReading reading;
        bool read = false;
        if (!haveModel) {
            reason = "no digit model";
        } else if (DecodePicture(path, picture, reason)) {
            read = ReadBoard(picture, false, reading);
            if (!read) reason = RecognitionFailureText(reading.report.failure);
        }
        Write(path + "\t" + (read ? BoardText(reading.digits) : std::string("-")) + "\t" +
              (read ? DoubtfulCellsText(reading.doubtful) : std::string("-")) + "\n");
        if (read && (reading.rules == RuleOutcome::kBroken || reading.rules == RuleOutcome::kMended)) {
            std::fflush(stdout);
            std::fprintf(stderr, "masuvo-cli: %s: %s\n", path.c_str(),
                         reading.rules == RuleOutcome::kMended
                             ? "the reading broke the rules; the cells marked doubtful were read otherwise"
                             : "the reading breaks the rules (a digit twice in a unit or no solution); "
                               "handed over as read");
        }
        if (!read) {
            std::fflush(stdout);
            std::fprintf(stderr, "masuvo-cli: %s: %s\n", path.c_str(), reason.c_str());
            allRead = false;
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("masuvo-cli: standard output");
        return 1;
    }
    return allRead ? 0 : 1;
}

}  // namespace masuvo::cli
