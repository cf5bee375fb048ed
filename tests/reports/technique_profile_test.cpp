#include "reports/technique_profile_builder.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>

#include "engine/board.h"
#include "engine/step_search.h"
#include "files/puzzle_file.h"
#include "records/practice_record.h"
#include "tests/files/temp_folder.h"

namespace masuvo {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteBytes;

// The first puzzle of top95; `masuvo-cli judge` on the moves below gives
// (0,1,1): techniques 5,6,10,3 worth 4260; (0,2,5): 不明です。;
// (0,2,7): 3 worth 60; then (0,3,3): 5,6,7,2 worth 4110.
constexpr const char* kPuzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

// The play's texts of the moves above.
constexpr const char* kFirstText =
    "隠れた数字。隠れた数字。波及効果。波及効果。波及効果。定員確定2(行)。隠れた数字。隠れた数字。定員確定2(行)。"
    "定員確定2(行)。行内の配置です。";
constexpr const char* kFourthText =
    "隠れた数字。隠れた数字。波及効果。波及効果。定員確定2(ブロック)。隠れた数字。定員確定2(ブロック)。隠れた数字。"
    "定員確定2(ブロック)。定員確定2(ブロック)。ブロック内の配置です。";

struct Move {
    int row, col, digit;
    int seconds;
    int points;  // after the play's deductions for help
    const char* text;
    bool hinted = false, detailed = false, executed = false;
};

// A finished copy as the play writes it: each move's board after the move.
void WriteFinishedCopy(const std::string& path, const std::vector<Move>& moves, const char* when) {
    PuzzleFileData data;
    for (int k = 0; k < 81; ++k) {
        data.values[k] = kPuzzle[k] == '.' ? 0 : kPuzzle[k] - '0';
        data.origin[k] = data.values[k] ? 1 : 0;
    }
    for (const Move& m : moves) {
        data.values[9 * m.row + m.col] = m.digit;
        Log log;
        log.text = m.text;
        log.seconds = m.seconds;
        log.points = m.points;
        log.hinted = m.hinted;
        log.detailed = m.detailed;
        log.executed = m.executed;
        std::copy(std::begin(data.values), std::end(data.values), log.values);
        std::copy(std::begin(data.origin), std::end(data.origin), log.origin);
        log.row = m.row;
        log.col = m.col;
        log.digit = m.digit;
        data.log.push_back(log);
    }
    std::string message;
    ASSERT_TRUE(WritePuzzleData(path, data, message)) << message;
    std::tm local{};
    ASSERT_TRUE(strptime(when, "%Y/%m/%d %H:%M:%S", &local));
    local.tm_isdst = -1;
    const std::time_t time = std::mktime(&local);
    const utimbuf times{time, time};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

PracticeEntry Drill(int technique, int number, int seconds, int hints, int estimate, const std::string& when) {
    PracticeEntry e;
    e.when = when;
    e.technique = technique;
    e.number = number;
    e.seconds = seconds;
    e.hints = hints;
    e.solved = true;
    e.estimatedSeconds = estimate;
    return e;
}

TEST(TechniqueOfSentence, ReadsEveryFormTheStepsWrite) {
    struct Case {
        const char* sentence;
        int technique;
    };
    const Case cases[] = {
        {"ブロックの完成です。", 0}, {"列の完成です。", 1}, {"行内の配置です。", 3}, {"列内の配置です。", 3},
        {"セルの完成です。", 4}, {"定員確定3(ブロック)。", 8}, {"定員確定4(列)。", 12}, {"陰の定員確定2(ブロック)。", 13},
        {"陰の定員確定4(行)。", 18}, {"三すくみ。", 20}, {"マトリックス4。", 22}, {"ほぼ確定2(二組ダブル)。", 23},
        {"ほぼ確定4(二組)。", 25}, {"ほぼ確定(三組)。", 26}, {"二択連鎖1。", 27}, {"二択連鎖2。", 28},
        {"二択連鎖7。", 29},
        // Not a step's sentence.
        {"定員確定5(行)。", -1}, {"定員確定2(セル)。", -1}, {"マトリックス2。", -1}, {"二択連鎖。", -1},
        {"ライン内の配置です。", -1}, {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(TechniqueOfSentence(c.sentence), c.technique) << c.sentence;
}

// The texts the engine writes, read back, name the very techniques of the
// steps: every move of the logical solutions of top95.
TEST(TechniquesOfMoveText, AgreeWithTheJudgingOnEveryMoveOfRealSolutions) {
    std::ifstream in(std::string(MASUVO_TESTS_DIR) + "/data/top95.txt");
    std::string line;
    std::set<int> seen;
    for (int puzzle = 0; puzzle < 95 && std::getline(in, line); ++puzzle) {
        Log log;
        for (int k = 0; k < 81; ++k) log.values[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        while (true) {
            KR_solver board;
            for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = log.values[k];
            if (StepSearch(board, false) != 1) break;
            int cell = 0;
            while (board.value[cell / 9][cell % 9] == log.values[cell]) ++cell;
            log.values[cell] = board.value[cell / 9][cell % 9];
            log.row = cell / 9, log.col = cell % 9, log.digit = log.values[cell];
            const MoveTechniques judged = JudgeLoggedMove(log);
            std::vector<int> read;
            ASSERT_TRUE(TechniquesOfMoveText(judged.text, read)) << judged.text;
            ASSERT_EQ(read, judged.techniques) << judged.text;
            seen.insert(read.begin(), read.end());
        }
    }
    // The fixture reaches the patterns, the sets and every chain length (the
    // size-4 subsets and the matrices it does not: the table above has them).
    for (int t : {16, 19, 20, 23, 24, 25, 26, 27, 28, 29}) EXPECT_TRUE(seen.count(t)) << t;
}

TEST(JudgeLoggedMove, GivesTheTechniquesAndPointsOfThePlaysJudging) {
    Log log;
    for (int k = 0; k < 81; ++k) log.values[k] = kPuzzle[k] == '.' ? 0 : kPuzzle[k] - '0';
    log.values[1] = 1;
    log.row = 0, log.col = 1, log.digit = 1;
    MoveTechniques judged = JudgeLoggedMove(log);
    EXPECT_EQ(judged.techniques, (std::vector<int>{5, 6, 10, 3}));
    EXPECT_EQ(judged.estimatedSeconds, 4260);
    EXPECT_EQ(judged.text, kFirstText);
    log.values[2] = 5;  // a digit the solution does not have there
    log.col = 2, log.digit = 5;
    EXPECT_TRUE(JudgeLoggedMove(log).techniques.empty());
    log.digit = 7;  // the board does not hold the placed digit: not a move the play logged
    EXPECT_TRUE(JudgeLoggedMove(log).techniques.empty());
}

class TechniqueProfileTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(finished);
        fs::create_directories(other);
        // Points: ヒント実行 leaves none, a hint takes a third (4110 → 2740),
        // 詳細 a half (4260 → 2130).
        WriteFinishedCopy(finished / "a_完成.kzd",
                          {{0, 1, 1, 2130, 4260, kFirstText},
                           {0, 2, 5, 10, 0, "不明です。"},
                           {0, 2, 7, 3, 0, "行内の配置です。", false, false, true},
                           {0, 3, 3, 5480, 2740, kFourthText, true}},
                          "2026/11/01 10:00:00");
        // Without its text (an edited file): judged again.
        WriteFinishedCopy(other / "b_完成.kzd", {{0, 1, 1, 2130, 2130, "", false, true}}, "2026/11/05 21:30:00");
        // Damaged: the same file cut in the middle; foreign: not a puzzle file.
        WriteFinishedCopy(finished / "c_完成.kzd", {{0, 1, 1, 1, 1, kFirstText}}, "2026/11/07 10:00:00");
        fs::resize_file(finished / "c_完成.kzd", fs::file_size(finished / "c_完成.kzd") / 2);
        WriteBytes(finished / "メモ.txt", "買い物リスト\n");
        WriteBytes(finished / ".c_完成.kzd.tmp", "");  // a save in progress: not counted
        fs::create_directories(finished / "sub");
        // Twelve drills of 対角線: the first two with a hint, the last two
        // slower than the estimate.
        for (int i = 1; i <= 12; ++i) {
            char when[32];
            std::snprintf(when, sizeof when, "2026/12/%02d 08:00:00", i);
            std::string error;
            ASSERT_TRUE(AppendPracticeEntry(record, Drill(19, i, 10 * i, i <= 2 ? 1 : 0, 100, when), &error)) << error;
        }
        WriteBytes(record, test::ReadBytes(record) + "damaged line\r\n");
    }

    TempFolder folder;
    fs::path finished = folder.path() / "完成問題";
    fs::path other = folder.path() / "other";
    std::string record = folder / kPracticeRecordName;
};

TEST_F(TechniqueProfileTest, EveryFigureIsTheHandComputedOne) {
    int calls = 0, lastDone = -1, lastTotal = -1;
    ProfileSources sources{{finished, other}, record, [&](int done, int total) {
                               ++calls;
                               lastDone = done;
                               lastTotal = total;
                           }};
    const TechniqueProfile profile = BuildTechniqueProfile(sources);
    EXPECT_EQ(profile.filesRead, 2);
    EXPECT_EQ(profile.filesSkipped, 2);
    EXPECT_EQ(profile.recordLinesSkipped, 1);
    EXPECT_FALSE(profile.cancelled);
    EXPECT_EQ(lastDone, 4);
    EXPECT_EQ(lastTotal, 4);
    EXPECT_EQ(calls, 4);

    // Moves: a = (0,1,1) 2130 s of 4260 → 0.5; (0,2,7) executed, no
    // points, no ratio; (0,3,3) hinted, 5480 s of 2740 → 2.0. b = (0,1,1)
    // with 詳細, 2130 s of 2130 → 1.0.
    struct Row {
        int technique, moves, hinted;
        double median;
        const char* lastMet;
        int box;
    };
    const Row rows[] = {
        {3, 3, 2, 0.75, "2026/11/05", 0},  {5, 3, 2, 1.0, "2026/11/05", 0}, {6, 3, 2, 1.0, "2026/11/05", 0},
        {10, 2, 1, 0.75, "2026/11/05", 0}, {7, 1, 1, 2.0, "2026/11/01", 0}, {2, 1, 1, 2.0, "2026/11/01", 0},
        {19, 0, 0, kNoFigure, "2026/12/12", 5}, {0, 0, 0, kNoFigure, "", 0},  {29, 0, 0, kNoFigure, "", 0},
    };
    for (const Row& row : rows) {
        const TechniqueFigures& f = profile.techniques[row.technique];
        SCOPED_TRACE(row.technique);
        EXPECT_EQ(f.moves, row.moves);
        EXPECT_EQ(f.hinted, row.hinted);
        EXPECT_DOUBLE_EQ(f.medianRatio, row.median);
        EXPECT_EQ(f.lastMet, row.lastMet);
        EXPECT_EQ(f.box, row.box);
    }
    int met = 0;
    for (const TechniqueFigures& f : profile.techniques) met += f.Met() ? 1 : 0;
    EXPECT_EQ(met, 7);

    // Progress of ライン内の配置: the three moves in date order.
    const TechniqueFigures& line = profile.techniques[3];
    EXPECT_EQ(line.first.count, 3);
    EXPECT_EQ(line.first.hinted, 2);
    EXPECT_DOUBLE_EQ(line.first.medianRatio, 0.75);
    EXPECT_EQ(line.last.count, 3);
    // 対角線: drills 1–10 (ratios 0.1 … 1.0, two hinted) against 3–12.
    const TechniqueFigures& diagonal = profile.techniques[19];
    EXPECT_EQ(diagonal.drills, 12);
    EXPECT_EQ(diagonal.drillNumbers.size(), 12u);
    EXPECT_EQ(diagonal.first.count, 10);
    EXPECT_EQ(diagonal.first.hinted, 2);
    EXPECT_DOUBLE_EQ(diagonal.first.medianRatio, 0.55);
    EXPECT_EQ(diagonal.last.hinted, 0);
    EXPECT_DOUBLE_EQ(diagonal.last.medianRatio, 0.75);

    const std::string rowsText = FormatProfileRows(profile);
    EXPECT_NE(rowsText.find("3\tライン内の配置\t3\t2\t0.75\t2026/11/05\t0\n"), std::string::npos) << rowsText;
    EXPECT_NE(rowsText.find("19\t対角線\t0\t0\t-\t2026/12/12\t5\n"), std::string::npos) << rowsText;
    EXPECT_NE(rowsText.find("29\t二択連鎖9\t0\t0\t-\t未経験\t0\n"), std::string::npos) << rowsText;
}

TEST_F(TechniqueProfileTest, EmptyAndMissingSourcesGiveAnEmptyProfile) {
    const fs::path empty = folder.path() / "empty";
    fs::create_directories(empty);
    const TechniqueProfile profile = BuildTechniqueProfile({{empty, folder.path() / "missing"}, folder / "none.csv"});
    EXPECT_EQ(profile.filesRead + profile.filesSkipped + profile.recordLinesSkipped, 0);
    for (const TechniqueFigures& f : profile.techniques) EXPECT_FALSE(f.Met());
}

TEST_F(TechniqueProfileTest, TenThousandFilesReportProgressAndStopOnACancel) {
    const fs::path many = folder.path() / "many";
    fs::create_directories(many);
    for (int i = 0; i < 10000; ++i) std::ofstream(many / (std::to_string(i) + ".kzd"));
    std::atomic<bool> cancel{false};
    int calls = 0;
    bool inOrder = true;
    ProfileSources sources{{many, finished}, {}, [&](int done, int total) {
                               ++calls;
                               inOrder = inOrder && done == calls && total == 10003;
                               if (done == 2500) cancel = true;
                           }};
    sources.cancel = &cancel;
    const TechniqueProfile cut = BuildTechniqueProfile(sources);
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(cut.cancelled);
    EXPECT_EQ(cut.filesRead + cut.filesSkipped, 2500);

    cancel = false;
    sources.progress = {};
    const TechniqueProfile whole = BuildTechniqueProfile(sources);
    EXPECT_FALSE(whole.cancelled);
    EXPECT_EQ(whole.filesSkipped, 10002);
    EXPECT_EQ(whole.filesRead, 1);
}

}  // namespace
}  // namespace masuvo
