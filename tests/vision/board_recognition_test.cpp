#include "vision/board_recognition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace masuvo {
namespace {

// A complete valid board: row r is the first row shifted by 3r + r/3.
int Solution(int cell) { return (cell / 9 * 3 + cell / 27 + cell % 9) % 9 + 1; }

// The first `count` cells of the solution filled, the rest empty, every
// probability 1.
RunReading Prefix(int count) {
    RunReading run;
    for (int cell = 0; cell < kBoardCells; ++cell) {
        run.digits[cell] = cell < count ? Solution(cell) : 0;
        run.probabilities[cell] = 1.0;
    }
    return run;
}

TEST(RunWeight, PlausibilityRules) {
    struct Case {
        const char* name;
        BoardDigits digits;
        double weight;
    };
    std::vector<Case> cases;
    cases.push_back({"17 digits from a solution", Prefix(17).digits, 1.0});
    cases.push_back({"exactly 64 empty", Prefix(17).digits, 1.0});
    cases.push_back({"65 empty", Prefix(16).digits, 0.1});
    cases.push_back({"a whole solution", Prefix(81).digits, 1.0});
    BoardDigits twoInRow = Prefix(30).digits;
    twoInRow[8] = twoInRow[3];
    cases.push_back({"the same digit twice in a row", twoInRow, 0.1});
    BoardDigits twoInColumn = Prefix(30).digits;
    twoInColumn[72] = twoInColumn[0];
    cases.push_back({"the same digit twice in a column", twoInColumn, 0.1});
    BoardDigits twoInBlock{};
    for (int cell = 27; cell < 45; ++cell) twoInBlock[cell] = Solution(cell);  // rows 3 and 4: no clash
    twoInBlock[31] = twoInBlock[39];  // cell 31 (row 3, col 4) and 39 (row 4, col 3): block 4 only
    cases.push_back({"the same digit twice in a block", twoInBlock, 0.1});
    BoardDigits tenFives{};
    for (int k = 0; k < 10; ++k) tenFives[k * 8] = 5;
    cases.push_back({"ten copies of a digit", tenFives, 0.1});
    cases.push_back({"empty board", BoardDigits{}, 0.1});
    for (const Case& c : cases) EXPECT_EQ(RunWeight(c.digits), c.weight) << c.name;
}

TEST(BoardVote, AgreeingRunsGiveTheCommonDigits) {
    BoardVote vote;
    const RunReading run = Prefix(30);
    for (int k = 0; k < 21; ++k) vote.Add(run);
    EXPECT_EQ(vote.Result(), run.digits);
    EXPECT_DOUBLE_EQ(vote.Vote(0, Solution(0)), 21.0);
    EXPECT_DOUBLE_EQ(vote.Vote(80, 0), 21.0);
}

// One doubtful cell lowers the run's vote in every cell: confidence ×
// probability × weight.
TEST(BoardVote, ConfidenceScalesEveryCell) {
    RunReading run = Prefix(30);
    run.probabilities[5] = 0.5;
    run.probabilities[6] = 0.8;
    EXPECT_EQ(RunConfidence(run), 0.5);
    BoardVote vote;
    vote.Add(run);
    EXPECT_EQ(vote.Vote(5, Solution(5)), 0.25);
    EXPECT_EQ(vote.Vote(6, Solution(6)), 0.4);
    EXPECT_EQ(vote.Vote(0, Solution(0)), 0.5);
    EXPECT_EQ(vote.Vote(50, 0), 0.5);
    EXPECT_EQ(RunConfidence(Prefix(81)), 1.0);
}

// A run with two 5s in one row counts a tenth in every cell, not only in
// that row: nine such runs lose against one that keeps the rules.
TEST(BoardVote, ImplausibleRunCountsATenthEverywhere) {
    RunReading good = Prefix(30);
    RunReading bad = Prefix(30);
    bad.digits[0] = 5;
    bad.digits[1] = 5;
    bad.digits[60] = 7;  // far from the clash: row 6, still outvoted
    bad.digits[29] = 1;
    BoardVote vote;
    for (int k = 0; k < 9; ++k) vote.Add(bad);
    vote.Add(good);
    EXPECT_NEAR(vote.Vote(60, 7), 0.9, 1e-12);
    EXPECT_EQ(vote.Vote(60, 0), 1.0);
    const BoardDigits result = vote.Result();
    EXPECT_EQ(result, good.digits);

    BoardVote onlyBad;
    onlyBad.Add(bad);
    EXPECT_NEAR(onlyBad.Vote(60, 7), 0.1, 1e-15);
    EXPECT_NEAR(onlyBad.Vote(2, Solution(2)), 0.1, 1e-15);
}

// Equal votes go to the smaller digit, whatever order the runs came in; an
// equal vote for empty and a digit leaves the cell empty.
TEST(BoardVote, TiesGoToTheSmallerDigit) {
    for (bool eightFirst : {true, false}) {
        // Rows 0 to 2 filled; cells 72 and 73 (row 8) clash with nothing.
        RunReading three = Prefix(27), eight = Prefix(27);
        three.digits[72] = 3;
        eight.digits[72] = 8;
        eight.digits[73] = 6;
        ASSERT_EQ(RunWeight(three.digits), 1.0);
        ASSERT_EQ(RunWeight(eight.digits), 1.0);
        BoardVote vote;
        vote.Add(eightFirst ? eight : three);
        vote.Add(eightFirst ? three : eight);
        EXPECT_EQ(vote.Vote(72, 3), vote.Vote(72, 8));
        EXPECT_EQ(vote.Result()[72], 3) << eightFirst;
        EXPECT_EQ(vote.Vote(73, 0), vote.Vote(73, 6));
        EXPECT_EQ(vote.Result()[73], 0) << eightFirst;
    }
}

TEST(BoardVote, NoVoteMeansEmpty) {
    EXPECT_EQ(BoardVote().Result(), BoardDigits{});
    RunReading zero = Prefix(30);
    zero.probabilities[3] = 0.0;  // confidence 0: the run adds nothing anywhere
    BoardVote vote;
    vote.Add(zero);
    EXPECT_EQ(vote.Result(), BoardDigits{});
}

TEST(BoardVote, SeventeenDigitsSucceedSixteenFail) {
    EXPECT_TRUE(EnoughDigits(Prefix(17).digits));
    EXPECT_TRUE(EnoughDigits(Prefix(81).digits));
    EXPECT_FALSE(EnoughDigits(Prefix(16).digits));
    EXPECT_FALSE(EnoughDigits(BoardDigits{}));
}

// Passes outer, scale steps inner; a camera frame skips pass 2.
TEST(RecognitionRuns, StillAndCamera) {
    for (bool camera : {false, true}) {
        const std::vector<RecognitionRun> runs = RecognitionRuns(camera);
        ASSERT_EQ(runs.size(), camera ? 14u : 21u);
        for (size_t n = 0; n < runs.size(); ++n) {
            EXPECT_EQ(runs[n].pass, static_cast<int>(n / 7)) << n;
            EXPECT_EQ(runs[n].scaleStep, -4 + 2 * static_cast<int>(n % 7)) << n;
        }
    }
}

// --- Whole pictures, through the real grid detection ---

const cv::Scalar kWhite(255, 255, 255);
const cv::Scalar kBlack(0, 0, 0);

// A printed grid of 9 × 40 pixels with a 20-pixel white border and a "7"
// in each of the given cells.
cv::Mat Picture(const std::vector<int>& cells, cv::Size canvas = {400, 400}) {
    cv::Mat picture(canvas, CV_8UC3, kWhite);
    const int side = 360, x0 = (canvas.width - side) / 2, y0 = (canvas.height - side) / 2;
    for (int k = 0; k <= 9; ++k) {
        const int thickness = k % 3 == 0 ? 4 : 2;
        const int at = k * side / 9;
        cv::line(picture, {x0 + at, y0}, {x0 + at, y0 + side}, kBlack, thickness);
        cv::line(picture, {x0, y0 + at}, {x0 + side, y0 + at}, kBlack, thickness);
    }
    for (int cell : cells) {
        const int cx = x0 + (cell % 9) * 40 + 20, cy = y0 + (cell / 9) * 40 + 20;
        cv::putText(picture, "7", {cx - 9, cy + 11}, cv::FONT_HERSHEY_SIMPLEX, 0.9, kBlack, 3, cv::LINE_AA);
    }
    return picture;
}

// A network that reads every inked cell as 4: only the output biases are
// set, so whatever the ink the outputs are the same.
DigitModel ReadsFour() {
    DigitModel model;
    model.b2[3] = 2.0;
    model.loaded = true;
    return model;
}

std::vector<int> FirstCells(int count) {
    std::vector<int> cells;
    for (int cell = 0; cell < count; ++cell) cells.push_back(cell * 4 % 81);
    return cells;
}

// The digits land in the cells that hold ink, and the 17-digit rule holds
// on whole pictures, still or from the camera.
TEST(RecognizeBoard, InkedCellsAreReadAndCounted) {
    const DigitModel model = ReadsFour();
    for (bool camera : {false, true}) {
        SCOPED_TRACE(camera ? "camera" : "still");
        BoardDigits digits;
        digits.fill(9);
        ASSERT_TRUE(RecognizeBoard(model, Picture(FirstCells(17)), camera, digits));
        BoardDigits expected{};
        for (int cell : FirstCells(17)) expected[cell] = 4;
        EXPECT_EQ(digits, expected);

        digits.fill(9);
        EXPECT_FALSE(RecognizeBoard(model, Picture(FirstCells(16)), camera, digits));
        EXPECT_EQ(digits, BoardDigits{});
    }
}

TEST(RecognizeBoard, FailsWithoutGridOrModel) {
    BoardDigits digits;
    EXPECT_FALSE(RecognizeBoard(DigitModel(), Picture(FirstCells(30)), false, digits));
    EXPECT_EQ(digits, BoardDigits{});
    // A wide blank picture holds no grid and is not taken whole.
    EXPECT_FALSE(RecognizeBoard(ReadsFour(), cv::Mat(600, 1000, CV_8UC3, kWhite), false, digits));
    // A square blank one is taken whole but every cell is empty.
    EXPECT_FALSE(RecognizeBoard(ReadsFour(), cv::Mat(500, 500, CV_8UC3, kWhite), false, digits));
}

// The camera preview comes from the first run, with or without a model, and
// also when no grid was found; a still picture gets none.
TEST(RecognizeBoard, CameraPreview) {
    BoardDigits digits;
    const cv::Mat frame = Picture(FirstCells(20));
    for (const DigitModel& model : {ReadsFour(), DigitModel()}) {
        cv::Mat preview;
        RecognizeBoard(model, frame, true, digits, &preview);
        ASSERT_EQ(preview.size(), frame.size());
        EXPECT_GT(cv::norm(preview, frame, cv::NORM_L1), 0.0) << "corners marked";
    }
    cv::Mat preview;
    const cv::Mat blank(600, 1000, CV_8UC3, kWhite);
    EXPECT_FALSE(RecognizeBoard(ReadsFour(), blank, true, digits, &preview));
    ASSERT_EQ(preview.size(), blank.size());
    EXPECT_EQ(cv::norm(preview, blank, cv::NORM_L1), 0.0);

    cv::Mat untouched;
    RecognizeBoard(ReadsFour(), frame, false, digits, &untouched);
    EXPECT_TRUE(untouched.empty());
}

}  // namespace
}  // namespace masuvo
