// Board recognition: grid detection at seven scale steps in two or three
// passes over one picture, every non-empty cell classified, and the runs'
// readings combined by a weighted vote per cell.
#pragma once

#include <array>
#include <vector>

#include <opencv2/core.hpp>

#include "vision/grid_detection.h"
#include "vision/model_file.h"
#include "vision/rule_check.h"

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
    // For a classified cell the probabilities of all nine digits (index
    // d - 1); unused for an empty cell.
    std::array<std::array<double, 9>, kBoardCells> spread{};
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
    // How likely each reading of a cell is over all runs: every run adds its
    // weight times the probability it gives the digit (1 to empty for a cell
    // it finds empty). Unlike the vote, a digit every run ranks second keeps
    // a share here, so the rule check can try it.
    const ReadingLikelihoods& Likelihoods() const { return likelihoods_; }

private:
    double votes_[kBoardCells][10] = {};
    ReadingLikelihoods likelihoods_{};
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
enum class RecognitionFailure {
    None,
    NoModel,        // the digit model was not loaded
    NoGrid,         // no grid outline, and the picture not nearly square
    CornerOutside,  // the grid runs out of the picture
    TooFewDigits,   // fewer than kMinimumRecognizedDigits digits read
};

struct RecognitionReport {
    RecognitionFailure failure = RecognitionFailure::None;
    int digitsRead = 0;  // digits of the combined reading (TooFewDigits)
};

// A cell's reading is doubtful when its digit has less than this share of
// the cell's likelihood over all runs.
constexpr double kDoubtfulShare = 0.8;

// The full outcome of reading one picture.
struct BoardReading {
    RecognitionReport report;  // why no board was read, when none was
    BoardDigits asVoted{};  // the most-voted digits
    BoardDigits digits{};   // after the rule check: the board to hand over
    // Cells whose reading was uncertain, changed by the rule check, or part
    // of a rule the handed-over board still breaks.
    std::array<bool, kBoardCells> doubtful{};
    std::array<bool, kBoardCells> changed{};
    RuleOutcome rules = RuleOutcome::kHolds;
};

// Reads the board in source: every run of RecognitionRuns(camera) read and
// voted, then the rule check. True when at least 17 digits were read;
// false with the reason in reading.report otherwise.
bool ReadBoard(const DigitModel& model, const cv::Mat& source, bool camera, BoardReading& reading,
               cv::Mat* preview = nullptr);
bool ReadBoard(const cv::Mat& source, bool camera, BoardReading& reading, cv::Mat* preview = nullptr);

// A short English text of a failure (for the command-line tool).
const char* RecognitionFailureText(RecognitionFailure failure);

// Recognises the board in source (see DetectGrid for the picture): every
// run of RecognitionRuns(camera) read, voted and checked against the rules
// (ReadBoard). Returns true with the 81 digits (0 empty) when at least 17
// digits result; false otherwise, and always when model was not
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
