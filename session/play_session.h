// The one play session of the main window: the puzzle and the player's
// entries, the mode, the clock, counters and penalties, the play log and the
// undo and redo stacks, with every operation that changes them. It knows its
// window only through SessionView; each engine call gets a fresh solver board.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/board.h"
#include "engine/step_search.h"
#include "files/play_record.h"
#include "session/app_settings.h"
#include "session/session_view.h"
#include "session/version.h"

namespace masuvo {

constexpr int32_t kColourNone = -1;
constexpr int32_t kColourRed = 0x20FF0000;
constexpr int32_t kColourGreen = 0x2000C000;
constexpr int32_t kColourBlue = 0x200000FF;

// The first words of a completion's result in the message area.
constexpr const char* kCompletedText = "すべて完成しました。";

// Which change an undo record reverses.
enum UndoKind : uint8_t {
    kUndoSolvingDigit = 0,
    kUndoMemo = 1,
    kUndoCandidates = 2,
    kUndoCreateDigit = 3,
};

// The parts of a judged move that redo must give back so that the move is
// judged as it was: a redone hint execution is still an execution.
struct JudgedMoveFlags {
    int32_t cellOrigin = 0;
    bool hinted = false;
    bool detailed = false;
    bool executed = false;
    bool candidatesShown = false;
};

struct Undo {
    uint8_t kind = 0;
    uint8_t digit = 0;
    uint8_t row = 0;
    uint8_t col = 0;
    uint8_t oldDigit = 0;
    int32_t logCount = 0;
    int64_t moveStart = 0;
    int64_t moveBanked = 0;
    int32_t execution = 0;
    Usage usage;
    uint8_t candSnapshot[81][10];
    uint8_t memoSnapshot[81][10];
    JudgedMoveFlags move;
    Undo();
};

struct Redo {
    uint8_t kind = 0;
    uint8_t digit = 0;
    uint8_t row = 255;
    uint8_t col = 255;
    int32_t seconds = 0;
    bool hasLog = false;
    uint8_t candSnapshot[81][10];
    uint8_t memoSnapshot[81][10];
    JudgedMoveFlags move;
    Redo();
};

// What the judging of the last typed digit found, as the message area and
// the log show it; kept for tools that report judged moves (not play state:
// neither saved nor undone).
struct MoveJudgement {
    int64_t serial = 0;          // how many moves have been judged
    std::string text;            // "不明です。", "推定できません。" or the needed steps' texts
    int32_t points = 0;          // the move's points; 0 for the two above
    std::vector<int> techniques;  // catalogue indices of the needed steps, in order
};

// A key as the board sees it; the window translates its own key codes.
enum class KeyKind { Escape, Up, Down, Left, Right, Delete, Digit, Letter, Other };
struct Key {
    KeyKind kind = KeyKind::Other;
    int value = 0;  // the digit 1..9, or the letter 'A'..'Z'
};

// The cell (and the candidate sub-square) under a point of the board.
struct BoardHit {
    int row = -1;  // -1: outside the 9×9 cells
    int col = -1;
    int subDigit = 0;  // 1..9, the digit whose third of the cell is hit
};
// x, y relative to the board's top-left corner; cellSize in the same units.
BoardHit HitTestBoard(double x, double y, double cellSize);

struct NumberPadRequest {
    bool open = false;
    bool memoSideEnabled = false;  // the clicked cell is empty
};

class PlaySession {
public:
    PlaySession(SessionView& view, DataFolders folders);

    // ---- State and modes ----
    void ResetSession();
    void SetMode(int m);
    // Marks the doubtful cells of an imported reading (only in puzzle-entry
    // mode: a picture completed at once has nothing left to check).
    void MarkDoubtfulCells(const bool cells[81]);
    bool AnyDoubtfulCell() const;
    void UpdateMenus();
    // sound: false for the quiet checks of loading and of showing a log entry.
    void CheckState(bool interactive, const std::string& message, bool sound = true);
    void StartSolving();
    void PauseSolving();
    void ResetToGivens();
    void ClearAll();
    void FillBySearch();
    void ShowClock();
    void ShowCounters();
    void ShowLogEntry(int index);
    void Tick();
    void SetTimeDisplay(bool on);
    void SetName(const std::string& newName);  // every edit of the name field
    // リヴュー: before the review dialog opens and after it closes.
    void BeginReview();
    void EndReview();

    // ---- Input ----
    // control: Control is held with this key. Returns whether the key was taken.
    bool HandleKey(Key key, bool control);
    // A key that the accelerators translated ends the Control sequence.
    void ClearControlState();
    void LeftClickCell(int row, int col, int subDigit, bool control);
    NumberPadRequest RightClickCell(int row, int col);
    void LeftClickOutside();
    void RightClickOutside();
    void PadSetDigit(int digit);
    void PadErase();
    void PadToggleMark(int digit);
    void PadClearMarks();
    void PadSetColour(int32_t colour);
    void SetCellValue(int row, int col, int digit, bool recordUndo);
    void PushMarksUndo(int kind, bool clearRedo);
    void UndoMove();  // 元に戻す
    void RedoMove();  // やり直し
    void ClearColours();  // カラークリア
    void ClearMemos();    // 数字メモクリア
    std::string BoardText() const;  // コピー
    bool PasteBoardText(const std::string& text);  // 貼り付け

    // ---- Hints and assist ----
    void RequestHint();
    void SetDetail(bool on);
    void SelectHintStep(int index);
    void HintDialogClosed();
    void ExecuteHint();
    void ToggleCandidates(bool pressed);
    void ResetCandidates();
    void RunAssist(const int32_t solutionGrid[81]);
    bool ExplainLogEntry(int index, const std::string& text);
    // The review's ヒント: explains the entry and opens the hint dialog for a
    // chain of several sentences. Returns ExplainLogEntry's answer.
    bool ShowReviewHint(int index, const std::string& text);

    // ---- Completion ----
    void CompletePuzzle(std::string& message);
    std::string RecordLine(int64_t wallClockSeconds) const;
    std::string FinishedCopyPath() const;

    // ---- Files ----
    bool ReadPuzzleFile(const std::string& path);
    bool WritePuzzleFile(const std::string& path);
    // 読込 and 保存 once a file was chosen: remember its folder, and on success
    // name the puzzle after the file.
    bool LoadPuzzleCommand(const std::string& path);
    bool SavePuzzleCommand(const std::string& path);
    PuzzleFileData FileData() const;

    // ---- The play state (read by the board painter and the dialogs) ----
    int32_t values[81];
    int32_t solution[81];
    int32_t origin[81];
    int32_t colour[81];
    // Cells whose reading from a picture was doubtful, marked on the board
    // after an import until the player edits the cell or solving starts.
    // Not part of the play: never saved, undone or redone.
    bool doubtful[81] = {};
    int32_t prevDigitCounts[10];
    uint8_t candMarks[81][10];
    uint8_t memo[81][10];
    std::vector<KR_hint> hints;
    std::vector<Log> log;
    Log pendingLog;
    Usage usageNow;
    Usage usageStart;
    Usage usagePlayed;
    int32_t selCol = -1;
    int32_t selRow = -1;
    int32_t hintCol = -1;
    int32_t hintRow = -1;
    int32_t hintDigit = 0;
    int32_t hintStep = -1;
    std::string name;
    int64_t clockStart = 0;
    int64_t clockNow = 0;
    int64_t elapsed = 0;
    int64_t moveStart = 0;
    int64_t moveBanked = 0;
    int32_t solutionCount = 2;
    int32_t solvable = 0;
    int32_t prevSolvable = 0;
    int32_t mode = 0;
    int32_t difficulty = 0;
    int32_t targetTime = 0;
    int32_t candidateScore = 0;
    int32_t execution = 0;
    int32_t hintCount = 0;
    int32_t detailCount = 0;
    int32_t execCount = 0;
    int32_t candidateEase = 0;
    bool hintCharge = true;
    bool candidatesShown = false;
    bool detailShown = false;
    bool detailCharge = true;
    int32_t pendingDetail = 0;
    int32_t pendingReduction = 0;
    int32_t penalty = 0;
    int32_t timerId = 0;  // non-zero while the one-second tick runs
    bool overtime = false;
    bool overtimeArmed = true;
    bool firstStart = true;

    std::vector<Undo> undoStack;
    std::vector<Redo> redoStack;
    MoveJudgement lastJudgement;
    // A completed play appends its record line and saves its finished copy;
    // tools that play puzzles headless turn this off.
    bool fileCompletions = true;
    // Called after a digit placed while solving has been judged and checked
    // (typed, from the pad or by ヒント実行), so that a practice run can see
    // its answer arrive.
    std::function<void(int row, int col, int digit)> onSolvingPlacement;
    // What the clock is measured against from now on (目標時間, its rank and
    // the elapsed percentage): a drill is one move, not the whole position.
    void SetTargetTime(int32_t seconds);
    bool hintDialogOpen = false;
    bool timeDisplay = true;  // setting time_disp
    DataFolders folders;
    std::string rememberedFolder;  // the file dialogs' starting folder

private:
    void StopClock();
    void DestroyHintDialog();
    void HintDialogGone();
    void ShowTarget();
    void ShowPenalty();
    void AddPenalty(int32_t seconds);
    void EnableSolvingFields();
    void ReleaseSelection();

    // Input helpers.
    bool CellLocked(int cell) const;  // modes 1 to 3 keep given and assisted cells
    void DigitKey(int digit);
    void DeleteKey();
    void MarkKey(int digit);
    void SetCellValueJudged(int row, int col, int digit, bool recordUndo, const Redo* replay);
    std::string JudgeMove(int row, int col, int digit, const Redo* replay);
    void UpdateCandidateMarks(int cell, int oldDigit, int digit);

    void WriteFinishedCopy();

    SessionView& view_;
    char keyHistory_[3] = {0, 0, 0};

    // The board shown before the review opened, for a log without completion entry.
    struct ReviewSnapshot {
        int32_t values[81];
        int32_t origin[81];
        uint8_t candMarks[81][10];
        int32_t selRow;
        int32_t selCol;
    };
    ReviewSnapshot reviewSnapshot_{};
    // The message of the last completion, shown again when a review ends.
    std::string completionMessage_;
};

// Fills a solver board's grid from 81 row-major values.
void LoadBoard(KR_solver& board, const int32_t grid[81]);
// The candidate marks of an untouched board: entry 0 clear, 1..9 set.
void FreshCandidateMarks(uint8_t marks[81][10]);

// A created puzzle becomes the current one: the session is reset, the
// puzzle's digits become givens, it takes the name, and the state check runs
// as after a move. The name field is the window's to show.
void LoadCreatedPuzzle(PlaySession& session, const KR_base& puzzle, const std::string& name);

// What a reading from a picture left in doubt, for the import's note.
struct ReadingDoubts {
    bool cells[81] = {};  // cells to mark on the board
    int changed = 0;      // cells the rule check read otherwise
    bool broken = false;  // the board still breaks the rules
};

// The import's note in the message area: the marked cells explained, and
// what the rule check did. Empty when nothing is in doubt.
std::string ReadingNote(const ReadingDoubts& doubts);

// A board read from a picture becomes the current puzzle as a created one
// does, with its doubtful cells marked and the note before the state
// check's own message.
void LoadImportedPuzzle(PlaySession& session, const KR_base& puzzle, const std::string& name,
                        const ReadingDoubts& doubts);

}  // namespace masuvo
