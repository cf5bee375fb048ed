#include "vision/board_recognition.h"

#include <algorithm>

#include "vision/digit_classifier.h"

namespace masuvo {

namespace {

constexpr int kScaleSteps[] = {-4, -2, 0, 2, 4, 6, 8};
constexpr int kStillPasses = 3;
constexpr int kCameraPasses = 2;  // the widest margin costs too much per frame

}  // namespace

std::vector<RecognitionRun> RecognitionRuns(bool camera) {
    std::vector<RecognitionRun> runs;
    const int passes = camera ? kCameraPasses : kStillPasses;
    for (int pass = 0; pass < passes; ++pass)
        for (int step : kScaleSteps) runs.push_back({pass, step});
    return runs;
}

bool RunLooksPlausible(const BoardDigits& digits) {
    int count[10] = {};
    for (int d : digits) ++count[d];
    if (kBoardCells - count[0] < kMinimumRecognizedDigits) return false;
    for (int d = 1; d <= 9; ++d)
        if (count[d] > 9) return false;
    for (int unit = 0; unit < 9; ++unit) {
        unsigned row = 0, column = 0, block = 0;
        for (int k = 0; k < 9; ++k) {
            const int inRow = digits[9 * unit + k];
            const int inColumn = digits[9 * k + unit];
            const int inBlock = digits[9 * (3 * (unit / 3) + k / 3) + 3 * (unit % 3) + k % 3];
            for (auto [d, seen] : {std::pair{inRow, &row}, {inColumn, &column}, {inBlock, &block}}) {
                if (d == 0) continue;
                if (*seen & (1u << d)) return false;
                *seen |= 1u << d;
            }
        }
    }
    return true;
}

double RunWeight(const BoardDigits& digits) { return RunLooksPlausible(digits) ? 1.0 : kImplausibleRunWeight; }

double RunConfidence(const RunReading& run) {
    double confidence = 1.0;
    for (double p : run.probabilities) confidence = std::min(confidence, p);
    return confidence;
}

void BoardVote::Add(const RunReading& run) {
    const double weight = RunWeight(run.digits);
    const double confidence = RunConfidence(run);
    for (int cell = 0; cell < kBoardCells; ++cell) {
        votes_[cell][run.digits[cell]] += confidence * run.probabilities[cell] * weight;
        if (run.digits[cell] == 0) {
            likelihoods_[cell][0] += weight;
        } else {
            for (int d = 1; d <= 9; ++d) likelihoods_[cell][d] += weight * run.spread[cell][d - 1];
        }
    }
}

BoardDigits BoardVote::Result() const {
    BoardDigits digits{};
    for (int cell = 0; cell < kBoardCells; ++cell) {
        double best = 0.0;
        for (int d = 0; d <= 9; ++d) {
            if (votes_[cell][d] > best) {
                best = votes_[cell][d];
                digits[cell] = d;
            }
        }
    }
    return digits;
}

bool EnoughDigits(const BoardDigits& digits) {
    return std::count_if(digits.begin(), digits.end(), [](int d) { return d != 0; }) >= kMinimumRecognizedDigits;
}

RunReading ReadRun(const DigitModel& model, const GridDetection& detection) {
    RunReading run;
    for (int cell = 0; cell < kBoardCells; ++cell) {
        const GridCell& grid = detection.cells[cell];
        if (grid.empty) {
            run.digits[cell] = 0;
            run.probabilities[cell] = 1.0;
        } else {
            const DigitReading reading = ClassifyDigit(model, grid.input);
            run.digits[cell] = reading.digit;
            run.probabilities[cell] = reading.probability;
            run.spread[cell] = reading.probabilities;
        }
    }
    return run;
}

const char* RecognitionFailureText(RecognitionFailure failure) {
    switch (failure) {
        case RecognitionFailure::None: return "read";
        case RecognitionFailure::NoModel: return "no digit model";
        case RecognitionFailure::NoGrid: return "no grid found";
        case RecognitionFailure::CornerOutside: return "a corner of the grid lies outside the picture";
        case RecognitionFailure::TooFewDigits: return "fewer than 17 digits read";
    }
    return "";
}

namespace {

// ReadBoard on one grey version of the picture.
bool ReadGrey(const DigitModel& model, const cv::Mat& source, const cv::Mat& grey, bool camera,
              BoardReading& reading, cv::Mat* preview) {
    reading = BoardReading();
    auto fail = [&reading](RecognitionFailure failure, const BoardDigits* read = nullptr) {
        reading.report.failure = failure;
        if (read) {
            for (int digit : *read) reading.report.digitsRead += digit != 0;
        }
        return false;
    };
    if (!model.loaded && !(camera && preview)) return fail(RecognitionFailure::NoModel);
    // The grid found does not depend on the step or the pass: it is located
    // once (painting the camera preview) and cut at every run.
    GridLocation location;
    if (!LocateGrid(source, grey, camera, location, preview))
        return fail(location.cornerOutside ? RecognitionFailure::CornerOutside : RecognitionFailure::NoGrid);
    if (!model.loaded) return fail(RecognitionFailure::NoModel);
    BoardVote vote;
    GridDetection detection;
    for (const RecognitionRun& run : RecognitionRuns(camera)) {
        if (!CutGrid(grey, location, run.scaleStep, run.pass, camera, detection)) continue;
        vote.Add(ReadRun(model, detection));
    }
    reading.asVoted = vote.Result();
    if (!EnoughDigits(reading.asVoted)) return fail(RecognitionFailure::TooFewDigits, &reading.asVoted);
    const RuleCheck check = CheckReadingRules(reading.asVoted, vote.Likelihoods());
    reading.digits = check.digits;
    reading.changed = check.changed;
    reading.rules = check.outcome;
    for (int cell = 0; cell < kBoardCells; ++cell) {
        const std::array<double, 10>& l = vote.Likelihoods()[cell];
        double total = 0.0;
        for (double x : l) total += x;
        const bool uncertain = total > 0.0 && l[reading.digits[cell]] < kDoubtfulShare * total;
        reading.doubtful[cell] = uncertain || check.changed[cell] || check.conflict[cell];
    }
    // A mend may leave fewer digits than a board needs.
    if (!EnoughDigits(reading.digits)) return fail(RecognitionFailure::TooFewDigits, &reading.digits);
    return true;
}

// How far a reading is from one board to hand over: lower is better.
int RuleRank(RuleOutcome outcome) {
    switch (outcome) {
        case RuleOutcome::kHolds: return 0;
        case RuleOutcome::kMended: return 1;
        case RuleOutcome::kSeveral: return 2;
        case RuleOutcome::kBroken: return 3;
    }
    return 3;
}

int DigitCount(const BoardDigits& digits) {
    return static_cast<int>(std::count_if(digits.begin(), digits.end(), [](int d) { return d != 0; }));
}

}  // namespace

bool ReadBoard(const DigitModel& model, const cv::Mat& source, bool camera, BoardReading& reading,
               cv::Mat* preview) {
    const cv::Mat grey = GreyPicture(source);
    const bool read = ReadGrey(model, source, grey, camera, reading, preview);
    // A shadow's edge, light falling off or a coloured band can hide the
    // grid's outline, blank the cells in the dark (several solutions) or
    // darken paper into ink (a broken rule). A picture that gives no board,
    // or no single solution, is read again under even light, and that
    // reading taken when it is nearer one board to hand over, or as near
    // with more digits. Not for camera frames: most show no grid yet, and
    // each must be quick.
    if (camera || grey.empty() || reading.report.failure == RecognitionFailure::NoModel) return read;
    if (read && RuleRank(reading.rules) < RuleRank(RuleOutcome::kSeveral)) return read;
    BoardReading even;
    const bool evenRead = ReadGrey(model, source, EvenLight(grey), camera, even, nullptr);
    const bool better = evenRead && (!read || RuleRank(even.rules) < RuleRank(reading.rules) ||
                                     (even.rules == reading.rules && DigitCount(even.digits) > DigitCount(reading.digits)));
    if (better) {
        reading = even;
        return true;
    }
    if (!read && !evenRead && even.report.failure == RecognitionFailure::CornerOutside)
        reading.report = even.report;
    return read;
}

bool ReadBoard(const cv::Mat& source, bool camera, BoardReading& reading, cv::Mat* preview) {
    return ReadBoard(ProcessDigitModel(), source, camera, reading, preview);
}

bool RecognizeBoard(const DigitModel& model, const cv::Mat& source, bool camera, BoardDigits& digits,
                    cv::Mat* preview, RecognitionReport* report) {
    digits.fill(0);
    BoardReading reading;
    const bool read = ReadBoard(model, source, camera, reading, preview);
    if (report) *report = reading.report;
    if (!read) return false;
    digits = reading.digits;
    return true;
}

bool RecognizeBoard(const cv::Mat& source, bool camera, BoardDigits& digits, cv::Mat* preview,
                    RecognitionReport* report) {
    return RecognizeBoard(ProcessDigitModel(), source, camera, digits, preview, report);
}

}  // namespace masuvo
