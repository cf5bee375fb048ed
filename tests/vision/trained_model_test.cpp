// The digit model that ships with the program: it loads, and it reads
// printed puzzles drawn here in fonts it was not trained on.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "vision/image_decoding.h"
#include "vision/board_recognition.h"
#include "vision/model_file.h"

namespace masuvo {
namespace {

const std::string kShippedModel = MASUVO_TRAINED_MODEL_PATH;

TEST(TrainedModel, FileHoldsExactlyTheNetworkInFiniteValues) {
    std::error_code ec;
    ASSERT_EQ(std::filesystem::file_size(kShippedModel, ec), static_cast<uintmax_t>(kModelFileBytes)) << kShippedModel;
    std::ifstream file(kShippedModel, std::ios::binary);
    std::vector<unsigned char> bytes(static_cast<size_t>(kModelFileBytes));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file);
    int nonZero = 0;
    for (size_t n = 0; n < bytes.size(); n += 8) {
        uint64_t bits = 0;
        for (int b = 7; b >= 0; --b) bits = bits << 8 | bytes[n + b];  // little-endian
        double value;
        std::memcpy(&value, &bits, 8);
        ASSERT_TRUE(std::isfinite(value)) << "value " << n / 8;
        nonZero += value != 0.0;
    }
    EXPECT_GT(nonZero, kModelValueCount / 2);  // trained, not an empty file

    DigitModel model;
    std::string message;
    EXPECT_TRUE(ReadDigitModel(kShippedModel, model, message)) << message;
    EXPECT_TRUE(model.loaded);
}

// A puzzle with 28 givens that follow the rules.
constexpr const char* kPuzzle =
    "53..7...."
    "6..195..."
    ".98....6."
    "8...6...3"
    "4..8.3..1"
    "7...2...6"
    ".6....28."
    "...419..5"
    "....8..79";

// A 9×9 grid printed on page at origin, with the digits of board ('.' for
// an empty cell) in a Hershey font, lines blockLine pixels thick every
// three cells.
void PrintGrid(cv::Mat& page, cv::Point origin, int pitch, int blockLine, const char* board, int font, double scale,
               int thickness) {
    const int side = 9 * pitch;
    for (int k = 0; k <= 9; ++k) {
        const int w = k % 3 == 0 ? blockLine : 1;
        cv::line(page, origin + cv::Point(k * pitch, 0), origin + cv::Point(k * pitch, side), cv::Scalar(30, 30, 30), w);
        cv::line(page, origin + cv::Point(0, k * pitch), origin + cv::Point(side, k * pitch), cv::Scalar(30, 30, 30), w);
    }
    for (int cell = 0; cell < 81; ++cell) {
        if (board[cell] == '.') continue;
        const std::string text(1, board[cell]);
        int baseline = 0;
        const cv::Size size = cv::getTextSize(text, font, scale, thickness, &baseline);
        const cv::Point at = origin + cv::Point((cell % 9) * pitch + (pitch - size.width) / 2,
                                                (cell / 9) * pitch + (pitch + size.height) / 2);
        cv::putText(page, text, at, font, scale, cv::Scalar(20, 20, 20), thickness, cv::LINE_AA);
    }
}

const cv::Scalar kPaper(238, 242, 245);

// A printed page: a 9×9 grid with the puzzle's digits in a Hershey font.
cv::Mat PrintedPuzzle(int font, double scale, int thickness, int pitch, double turnDegrees) {
    const int margin = 60, side = 9 * pitch;
    cv::Mat page(side + 2 * margin, side + 2 * margin + 120, CV_8UC3, kPaper);
    PrintGrid(page, {margin, margin}, pitch, 4, kPuzzle, font, scale, thickness);
    if (turnDegrees != 0.0) {
        const cv::Mat turn =
            cv::getRotationMatrix2D(cv::Point2f(page.cols / 2.0f, page.rows / 2.0f), turnDegrees, 1.0);
        cv::warpAffine(page, page, turn, page.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, kPaper);
    }
    cv::GaussianBlur(page, page, cv::Size(3, 3), 0.8);
    return page;
}

// Every pixel of the page times the light's gain (B, G, R) at it.
using Light = cv::Vec3f (*)(float x, float y);  // x, y in [0, 1) of the page
void Lit(cv::Mat& page, Light light) {
    for (int y = 0; y < page.rows; ++y)
        for (int x = 0; x < page.cols; ++x) {
            const cv::Vec3f gain = light(float(x) / page.cols, float(y) / page.rows);
            cv::Vec3b& p = page.at<cv::Vec3b>(y, x);
            for (int k = 0; k < 3; ++k) p[k] = cv::saturate_cast<uint8_t>(p[k] * gain[k]);
        }
}

BoardDigits PuzzleDigits() {
    BoardDigits expected{};
    for (int cell = 0; cell < 81; ++cell) expected[cell] = kPuzzle[cell] == '.' ? 0 : kPuzzle[cell] - '0';
    return expected;
}

TEST(TrainedModel, ReadsPuzzlesPrintedInFontsItNeverSaw) {
    DigitModel model;
    std::string message;
    ASSERT_TRUE(ReadDigitModel(kShippedModel, model, message)) << message;

    struct Case {
        const char* name;
        int font;
        double scale;
        int thickness;
        int pitch;
        double turn;
    };
    const Case cases[] = {
        {"simplex", cv::FONT_HERSHEY_SIMPLEX, 1.2, 2, 48, 0.0},
        {"duplex", cv::FONT_HERSHEY_DUPLEX, 1.2, 2, 48, 0.0},
        {"complex", cv::FONT_HERSHEY_COMPLEX, 1.0, 2, 44, 0.0},
        {"triplex", cv::FONT_HERSHEY_TRIPLEX, 1.3, 2, 52, 0.0},
        {"triplex bold", cv::FONT_HERSHEY_TRIPLEX, 1.3, 3, 52, 0.0},
        {"simplex small", cv::FONT_HERSHEY_SIMPLEX, 0.8, 2, 34, 0.0},
        {"duplex turned", cv::FONT_HERSHEY_DUPLEX, 1.2, 2, 48, 4.0},
    };
    const BoardDigits expected = PuzzleDigits();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const cv::Mat page = PrintedPuzzle(c.font, c.scale, c.thickness, c.pitch, c.turn);
        BoardDigits digits{};
        ASSERT_TRUE(RecognizeBoard(model, page, false, digits));
        for (int cell = 0; cell < 81; ++cell) EXPECT_EQ(digits[cell], expected[cell]) << "cell " << cell;
    }
}

// The printed page under light a phone meets: the grid's outline and the
// cells in the dark must come through a hard shadow's edge, light falling
// off across the page and a row printed on a coloured band.
TEST(TrainedModel, ReadsPuzzlesUnderUnevenLight) {
    DigitModel model;
    std::string message;
    ASSERT_TRUE(ReadDigitModel(kShippedModel, model, message)) << message;
    struct Case {
        const char* name;
        Light light;
    };
    const Case cases[] = {
        {"shadow over a corner", [](float x, float y) { return x + y < 0.9f ? cv::Vec3f(0.4f, 0.4f, 0.4f) : cv::Vec3f(1, 1, 1); }},
        {"light falling to a sixth", [](float x, float) { return cv::Vec3f(1, 1, 1) * (1.0f - 0.83f * x); }},
        {"pink band over the fifth row",
         [](float, float y) { return y > 0.43f && y < 0.53f ? cv::Vec3f(0.7f, 0.55f, 0.95f) : cv::Vec3f(1, 1, 1); }},
    };
    const BoardDigits expected = PuzzleDigits();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cv::Mat page = PrintedPuzzle(cv::FONT_HERSHEY_SIMPLEX, 1.2, 2, 48, 0.0);
        Lit(page, c.light);
        BoardDigits digits{};
        EXPECT_TRUE(RecognizeBoard(model, page, false, digits));
        int wrong = 0;
        for (int cell = 0; cell < 81; ++cell) wrong += digits[cell] != expected[cell];
        EXPECT_EQ(wrong, 0);
    }
}

// A newspaper page prints the previous puzzle's solution, a smaller full
// grid, beside the puzzle. However the light falls, the board read is the
// puzzle's: a shadow's edge or a band the local threshold inks as a line
// joins the puzzle's outline to the page, and must not leave the solution
// to be read in its place.
TEST(TrainedModel, ReadsThePuzzleNotTheSolutionPrintedBesideIt) {
    DigitModel model;
    std::string message;
    ASSERT_TRUE(ReadDigitModel(kShippedModel, model, message)) << message;
    constexpr const char* kSolution =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    struct Case {
        const char* name;
        Light light;
    };
    const Case cases[] = {
        {"even light", [](float, float) { return cv::Vec3f(1, 1, 1); }},
        {"shadow over a corner", [](float x, float y) { return x + y < 0.8f ? cv::Vec3f(0.45f, 0.45f, 0.45f) : cv::Vec3f(1, 1, 1); }},
        {"blue band across the puzzle",
         [](float, float y) { return y > 0.3f && y < 0.4f ? cv::Vec3f(0.95f, 0.75f, 0.45f) : cv::Vec3f(1, 1, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cv::Mat page(580, 800, CV_8UC3, kPaper);
        PrintGrid(page, {50, 60}, 48, 4, kPuzzle, cv::FONT_HERSHEY_SIMPLEX, 1.2, 2);
        PrintGrid(page, {530, 294}, 22, 2, kSolution, cv::FONT_HERSHEY_SIMPLEX, 0.5, 1);
        // A rule under the page's title and the page's folded edge.
        cv::line(page, {20, 30}, {780, 30}, cv::Scalar(30, 30, 30), 2);
        cv::line(page, {15, 0}, {15, 579}, cv::Scalar(60, 60, 60), 3);
        cv::GaussianBlur(page, page, cv::Size(3, 3), 0.8);
        Lit(page, c.light);
        BoardDigits digits{};
        ASSERT_TRUE(RecognizeBoard(model, page, false, digits));
        int wrong = 0;
        const BoardDigits expected = PuzzleDigits();
        for (int cell = 0; cell < 81; ++cell) wrong += digits[cell] != expected[cell];
        EXPECT_EQ(wrong, 0);
    }
}

// Phone photographs of newspaper puzzles, read exactly: dark surroundings
// and grey print (36), a turned page in perspective (111), a bent page whose
// inner lines bow away from the outline's perspective (opencv_sudoku).
TEST(TrainedModel, ReadsPhotographedPuzzles) {
    DigitModel model;
    std::string message;
    ASSERT_TRUE(ReadDigitModel(kShippedModel, model, message)) << message;
    const std::string folder = MASUVO_TEST_PHOTOS;
    for (const char* name : {"image36.jpg", "image111.jpg", "opencv_sudoku.png"}) {
        SCOPED_TRACE(name);
        const std::string path = folder + "/" + name;
        cv::Mat photo;
        PictureFailure failure;
        DecodePictureFile(path, photo, failure);
        ASSERT_FALSE(photo.empty()) << path;
        // The truth: two lines about the camera, then nine rows of nine
        // digits, 0 for an empty cell.
        std::ifstream truthFile(path.substr(0, path.rfind('.')) + ".dat");
        std::string line;
        std::getline(truthFile, line);
        std::getline(truthFile, line);
        BoardDigits expected{};
        int cell = 0;
        for (char c; cell < 81 && truthFile.get(c);)
            if (c >= '0' && c <= '9') expected[cell++] = c - '0';
        ASSERT_EQ(cell, 81);
        BoardDigits digits{};
        ASSERT_TRUE(RecognizeBoard(model, photo, false, digits));
        for (int n = 0; n < 81; ++n) EXPECT_EQ(digits[n], expected[n]) << "cell " << n;
    }
}

}  // namespace
}  // namespace masuvo
