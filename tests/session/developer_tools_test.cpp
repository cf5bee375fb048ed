// The developer tools run through the session: batch evaluation and
// re-saving over a folder, the trivial-step skipper, the diversified puzzle
// and the saving of a created series.
#include <filesystem>

#include "engine/brute_force.h"
#include "files/puzzle_file.h"
#include "generator/creation.h"
#include "generator/diversify.h"
#include "session/developer_tools.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

class DeveloperToolsTest : public SessionTest {
protected:
    // Saves a pasted grid as a puzzle file of the folder.
    std::string SavePuzzle(const std::string& grid, const std::string& fileName) {
        Paste(grid);
        const std::string path = folder / fileName;
        EXPECT_TRUE(session.WritePuzzleFile(path));
        return path;
    }
};

TEST_F(DeveloperToolsTest, FolderListingTakesPuzzleFilesByNameInAnyCase) {
    std::filesystem::create_directories(folder / "sub");
    for (const char* name : {"b.kzd", "a.KZD", "c.Kzd", "notes.txt", "kzd", "sub/d.kzd"}) WriteBytes(folder / name, "x");
    std::vector<std::string> names;
    for (const std::string& path : ListPuzzleFiles(folder.path().string()))
        names.push_back(std::filesystem::path(path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"a.KZD", "b.kzd", "c.Kzd"}));
    EXPECT_TRUE(ListPuzzleFiles(folder / "missing").empty());
}

TEST_F(DeveloperToolsTest, EvaluationListsEveryFileWithAnUnreadableOneCountedNowhere) {
    const std::string easy = SavePuzzle(kNakedSingleBoard, "1_easy.kzd");
    const std::string stuck = SavePuzzle(kBeyondLogicBoard, "2_stuck.kzd");
    WriteBytes(folder / "3_broken.kzd", "not a puzzle\r\n");
    const std::string before = ReadBytes(folder / "3_broken.kzd");

    std::vector<int> seen;
    const std::string report = EvaluateFiles(session, ListPuzzleFiles(folder.path().string()), [&](int i, int total) {
        EXPECT_EQ(total, 3);
        seen.push_back(i);
        return true;
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(report.find("  1  1_easy    状態：単解　可解  　　難易度："), 0u) << report.substr(0, 200);
    EXPECT_NE(report.find("\r\n  2  2_stuck   状態：単解　不可解　　難易度：     60　　基本      \r\n"),
              std::string::npos);
    EXPECT_NE(report.find("\r\n  3  3_broken  ファイルを読込めません。\r\n"), std::string::npos);
    EXPECT_NE(report.find("○ 解法合計 基本[1]\r\n"), std::string::npos);
    EXPECT_NE(report.find("○ 解法合計 上級[1]\r\n"), std::string::npos);
    EXPECT_NE(report.find("● 解法合計 全体[2]"), std::string::npos);
    EXPECT_EQ(view.messageBoxes.size(), 1u) << "the reader's own message for the broken file";
    EXPECT_EQ(ReadBytes(folder / "3_broken.kzd"), before);
    // The session holds the last file read, under its name.
    EXPECT_EQ(session.values[2], 5);
    EXPECT_EQ(session.name, "2_stuck");

    // A cancel before the second file reports the first one only.
    const std::string partial = EvaluateFiles(session, {easy, stuck}, [](int i, int) { return i < 1; });
    EXPECT_EQ(partial.find("2_stuck"), std::string::npos);
    EXPECT_NE(partial.find("● 解法合計 全体[1]"), std::string::npos);
}

TEST_F(DeveloperToolsTest, ResavingWritesTheCurrentFormatAndNeverTouchesAnUnreadableFile) {
    const std::string path = SavePuzzle(kTwoStepBoard, "old.kzd");
    // An older file: the same puzzle in format version 2 reads and is written back as version 3.
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("File format version 3");
    ASSERT_NE(at, std::string::npos);
    WriteBytes(folder / "broken.kzd", "マスヴォ\r\nFile format version 9\r\n");
    const std::string broken = ReadBytes(folder / "broken.kzd");

    const std::string list = ResaveFiles(session, {path, folder / "broken.kzd"});
    EXPECT_EQ(list, "  1  old\r\n  2  broken  ファイルを読込めません。\r\n");
    EXPECT_EQ(ReadBytes(folder / "broken.kzd"), broken);
    PuzzleFileData again;
    ASSERT_TRUE(ReadPuzzleData(path, again, message)) << message;
    EXPECT_EQ(std::vector<int32_t>(again.values, again.values + 81), std::vector<int32_t>(data.values, data.values + 81));
    EXPECT_EQ(std::vector<int32_t>(again.origin, again.origin + 81), std::vector<int32_t>(data.origin, data.origin + 81));
}

TEST_F(DeveloperToolsTest, SkippingTrivialStepsStopsAtTheFirstHintThatNeedsItsDialog) {
    Paste(kTwoStepBoard);
    SkipTrivialSteps(session, view);
    ASSERT_EQ(view.messageBoxes, std::vector<std::string>{"解答実行中でないと実行できません。"});

    session.StartSolving();
    ASSERT_EQ(session.mode, 1);
    SkipTrivialSteps(session, view);
    // The first hint of this board takes two sentences: its dialog opens and nothing is executed.
    EXPECT_TRUE(session.hintDialogOpen);
    EXPECT_EQ(session.execCount, 0);

    // A board of single steps only is played out to the end.
    session.ResetSession();
    view.hintDialog = false;
    StartPlain(kNakedSingleBoard);
    SkipTrivialSteps(session, view);
    EXPECT_EQ(session.mode, 3);
    EXPECT_FALSE(session.hintDialogOpen);
    EXPECT_GT(session.execCount, 0);
}

TEST_F(DeveloperToolsTest, SkippingStopsWhenNoPlacementIsFound) {
    Paste(kRectangleBoard);
    view.answers.push_back(Answer::Yes);
    session.StartSolving();
    ASSERT_EQ(session.mode, 1);
    SkipTrivialSteps(session, view);
    EXPECT_EQ(session.execCount, 0);
    EXPECT_EQ(session.hintCount, 0);
    EXPECT_EQ(session.mode, 1);
}

TEST_F(DeveloperToolsTest, DiversifyingGivesANewPuzzleWithEveryDigitMoved) {
    Paste(kNakedSingleBoard);
    session.SetName("元");
    int32_t before[81];
    std::copy(session.values, session.values + 81, before);
    view.texts[Field::Message] = "old message";
    DiversifyPuzzle(session, view, 12345);

    EXPECT_EQ(session.name, "元_変更");
    EXPECT_EQ(view.texts[Field::Name], "元_変更");
    EXPECT_EQ(session.mode, 0);
    int givens = 0, beforeGivens = 0;
    for (int k = 0; k < 81; ++k) {
        beforeGivens += before[k] != 0;
        if (session.values[k] == 0) continue;
        ++givens;
        EXPECT_EQ(session.origin[k], 1);
    }
    EXPECT_EQ(givens, beforeGivens);
    EXPECT_EQ(session.solutionCount, 1);
    EXPECT_EQ(view.texts[Field::Message], "") << "the message area is cleared";
    // The same transform as the generator's, seeded the same way.
    KR_base original;
    for (int k = 0; k < 81; ++k) original.value[k / 9][k % 9] = before[k];
    const KR_base expected = Diversify(original, 12345);
    for (int k = 0; k < 81; ++k) EXPECT_EQ(session.values[k], expected.value[k / 9][k % 9]);
}

TEST_F(DeveloperToolsTest, ACreatedSeriesIsSavedUnderItsNames) {
    CreationRequest request;
    request.number = 3;
    request.rank = 0;
    request.symmetry = 0;
    const CreationOutcome first = CreateRated(request);
    ASSERT_EQ(first.status, CreationStatus::Found);
    request.number = 4;
    const CreationOutcome second = CreateRated(request);
    ASSERT_EQ(second.status, CreationStatus::Found);

    const std::string out = folder / "series";
    std::filesystem::create_directories(out);
    // Rank 0 complete, rank 1 holding the one puzzle made before its search failed.
    const std::vector<std::vector<KR_base>> results = {{first.puzzle, second.puzzle}, {first.puzzle}};
    EXPECT_EQ(SaveCreatedSeries(session, view, out, 3, 0, results), 3);
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"自動作成_00_00003_(基本)[点対称]_3.kzd",
                                                            "自動作成_00_00004_(基本)[点対称]_4.kzd",
                                                            "自動作成_01_00003_(初級)[点対称]_3.kzd"}));
    EXPECT_EQ(session.name, "自動作成_01_00003_(初級)[点対称]_3");
    EXPECT_EQ(SeriesPuzzleName(9, 4, 0), "自動作成_09_00004_(最高神)[点対称]_4");

    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(out + "/自動作成_00_00004_(基本)[点対称]_4.kzd", data, message)) << message;
    for (int k = 0; k < 81; ++k) {
        EXPECT_EQ(data.values[k], second.puzzle.value[k / 9][k % 9]);
        EXPECT_EQ(data.origin[k], data.values[k] != 0 ? 1 : 0);
    }
}

}  // namespace
}  // namespace masuvo::test
