// Board recognition: grid detection at seven scale steps in two or three
// passes over one picture, every non-empty cell classified, and the runs'
// readings combined by a weighted vote per cell.
#pragma once

#include <array>
#include <vector>

#include <opencv2/core.hpp>

#include "vision/grid_detection.h"
#include "vision/model_file.h"

namespace masuvo {

constexpr int kBoardCells = 81;
// A board counts as read when at least this many cells hold a digit.
constexpr int kMinimumRecognizedDigits = 17;
// Weight of a run whose digits break the rules of the puzzle.
constexpr double kImplausibleRunWeight = 0.1;

using BoardDigits = std::array<int, kBoardCells>;  // 0 for an empty cell

// The reading of one successful detection run: for every cell its digit
// (0 for an empty cell) and the probability of that reading (1.0 for an
// empty cell).
struct RunReading {
    BoardDigits digits{};
    std::array<double, kBoardCells> probabilities{};
};

// False when more than 64 cells are empty, a digit occurs more than nine
// times, or a row, column or block holds a digit twice.
bool RunLooksPlausible(const BoardDigits& digits);

// 1.0 for a plausible run, kImplausibleRunWeight otherwise.
double RunWeight(const BoardDigits& digits);

// The smallest of 1.0 and the run's 81 probabilities: one doubtful cell
// makes the whole run count less.
double RunConfidence(const RunReading& run);

// The vote table of one recognition: V[cell][d], d = 0 (empty) to 9.
class BoardVote {
public:
    // Adds confidence × probability × weight of the run to every cell's digit.
    void Add(const RunReading& run);
    // For every cell the digit with the strictly largest vote, scanning
    // upwards from 0 over a best vote of 0.0: ties go to the smaller digit
    // and a cell without a positive vote is empty.
    BoardDigits Result() const;
    double Vote(int cell, int digit) const { return votes_[cell][digit]; }

private:
    double votes_[kBoardCells][10] = {};
};

// True when at least kMinimumRecognizedDigits cells hold a digit.
bool EnoughDigits(const BoardDigits& digits);

// One detection run of a recognition.
struct RecognitionRun {
    int pass = 0;
    int scaleStep = 0;
};

// The runs of one recognition in order: passes 0, 1, 2 (a camera frame
// only 0 and 1), each over the scale steps -4, -2, 0, 2, 4, 6, 8.
std::vector<RecognitionRun> RecognitionRuns(bool camera);

// The reading of one detection: empty cells 0 with probability 1.0, the
// others classified with model.
RunReading ReadRun(const DigitModel& model, const GridDetection& detection);

// Why a recognition gave no board, for the message the player sees.
enum class RecognitionFailure { None, NoModel, NoGrid, TooFewDigits };

struct RecognitionReport {
    RecognitionFailure failure = RecognitionFailure::None;
    int digitsRead = 0;  // digits of the combined reading (TooFewDigits)
};

// Recognises the board in source (see DetectGrid for the picture): every
// run of RecognitionRuns(camera) read and voted. Returns true with the 81 digits (0 empty) when
// at least 17 digits result; false otherwise, and always when model was not
// loaded; digits are then all 0 and must not be used.
//
// preview (camera mode; may be null) receives the first run's annotated
// copy of the frame, also when no grid was found or the model is missing.
// report (may be null) receives the reason of a failure.
bool RecognizeBoard(const DigitModel& model, const cv::Mat& source, bool camera, BoardDigits& digits,
                    cv::Mat* preview = nullptr, RecognitionReport* report = nullptr);

// The same with the process-wide model.
bool RecognizeBoard(const cv::Mat& source, bool camera, BoardDigits& digits, cv::Mat* preview = nullptr,
                    RecognitionReport* report = nullptr);

}  // namespace masuvo
