#include "cli/recognize_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "cli/puzzle_input.h"
#include "files/text_file.h"
#include "vision/board_recognition.h"
#include "vision/model_file.h"

namespace masuvo::cli {

namespace {

constexpr const char* kModelName = "Masuvo.dat";
// The same limits as the window's picture import.
constexpr size_t kMaxPictureBytes = size_t{256} << 20;
constexpr size_t kMaxPicturePixels = 100'000'000;

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

// Decodes a picture into 8-bit BGR the way the window does: the stored
// orientation is not applied, transparent pixels become white paper, grey
// and 16-bit pictures are widened and narrowed.
bool DecodePicture(const std::string& path, cv::Mat& picture, std::string& reason) {
    std::string bytes;
    int error = 0;
    if (!ReadFileBytes(path, bytes, error, kMaxPictureBytes)) {
        reason = error == EFBIG ? "file larger than 256 MiB" : SystemErrorText(error);
        return false;
    }
    if (bytes.empty()) {
        reason = "empty file";
        return false;
    }
    cv::Mat decoded;
    try {
        const cv::Mat raw(1, static_cast<int>(bytes.size()), CV_8U, bytes.data());
        decoded = cv::imdecode(raw, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception&) {
        decoded.release();
    }
    if (decoded.empty() || decoded.dims != 2) {
        reason = "not a picture this program can decode";
        return false;
    }
    if (static_cast<size_t>(decoded.rows) * static_cast<size_t>(decoded.cols) > kMaxPicturePixels) {
        reason = "picture larger than 100 megapixels";
        return false;
    }
    if (decoded.depth() == CV_16U) {
        decoded.convertTo(decoded, CV_8U, 1.0 / 257.0);
    } else if (decoded.depth() == CV_32F) {
        decoded.convertTo(decoded, CV_8U, 255.0);
    } else if (decoded.depth() != CV_8U) {
        reason = "unsupported picture depth";
        return false;
    }
    switch (decoded.channels()) {
        case 1:
            cv::cvtColor(decoded, picture, cv::COLOR_GRAY2BGR);
            return true;
        case 3:
            picture = decoded;
            return true;
        case 4:
            for (int y = 0; y < decoded.rows; ++y) {
                cv::Vec4b* row = decoded.ptr<cv::Vec4b>(y);
                for (int x = 0; x < decoded.cols; ++x)
                    if (row[x][3] == 0) row[x] = cv::Vec4b(255, 255, 255, 0);
            }
            cv::cvtColor(decoded, picture, cv::COLOR_BGRA2BGR);
            return true;
        default:
            reason = "unsupported number of colour channels";
            return false;
    }
}

std::string BoardText(const BoardDigits& digits) {
    std::string text(kBoardCells, '.');
    for (int cell = 0; cell < kBoardCells; ++cell)
        if (digits[cell] != 0) text[cell] = static_cast<char>('0' + digits[cell]);
    return text;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
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
        BoardDigits digits{};
        bool read = false;
        if (!haveModel) {
            reason = "no digit model";
        } else if (DecodePicture(path, picture, reason)) {
            read = RecognizeBoard(picture, false, digits);
            if (!read) {
                // Every run finds the same grid or none, so one detection tells
                // which of the two it was.
                GridDetection detection;
                reason = DetectGrid(picture, 0, 0, false, detection) ? "fewer than 17 digits read"
                                                                    : "no grid found";
            }
        }
        Write(path + "\t" + (read ? BoardText(digits) : std::string("-")) + "\n");
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
