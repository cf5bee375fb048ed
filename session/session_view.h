// What the play session needs from its window. The session decides; the
// window only shows, asks and keeps time. Tests implement it with a script.
#pragma once

#include <cstdint>
#include <string>

namespace masuvo {

// Controls and menu items whose enabling the session decides.
enum class Control {
    CreatePuzzleButton,     // 問題自動作成
    ClearAllButton,         // オールクリア
    StartButton,            // 解答開始
    PauseButton,            // 一時停止
    ResetButton,            // リセット
    HintButton,             // ヒント
    ExecuteHintButton,      // ヒント実行
    CandidatesButton,       // 候補表示
    ResetCandidatesButton,  // 候補リセット
    ReviewButton,           // リヴュー
    ElapsedFields,          // 経過時間： with its two fields
    TargetFields,           // 目標時間： with its two fields
    CounterFields,          // the hint, execution, candidate-ease and penalty fields with their labels
    UndoItem,               // 元に戻す
    RedoItem,               // やり直し
    LoadItem,               // 読込...
    LoadImageItem,          // 画像読込
    LoadClipboardImageItem, // クリップボードの画像を読込
    CameraItem,             // カメラ
    PasteItem,              // 貼り付け
    CreateDifficultItem,    // 難しい問題の作成
    CreateUnsolvableItem,   // 解けない問題の作成
};

// Text fields the session fills.
enum class Field {
    Mode,
    Status,
    Message,
    Counts,        // セル情報
    ElapsedTime,
    ElapsedRatio,
    TargetTime,
    TargetRank,
    HintCounts,    // "%d (%d) 回"
    ExecCount,     // "%d 回"
    CandidateEase,
    Penalty,
    Name,
};

enum class Sound { Clear, Error, Completion };

enum class Answer { Yes, No, Cancel };

// Who asked for the hint dialog: the main window's ヒント or the review's.
enum class HintDialogOwner { Main, Review };

class SessionView {
public:
    virtual ~SessionView() = default;

    virtual void SetText(Field field, const std::string& text) = 0;
    // digit 1..9: the count field beside the label of that digit.
    virtual void SetDigitCountText(int digit, const std::string& text) = 0;
    virtual void EnableControl(Control control, bool enabled) = 0;
    // 候補表示 stays pressed; the session releases it on reset.
    virtual void SetCandidatesPressed(bool pressed) = 0;
    virtual void SetAcceptDrops(bool accept) = 0;

    virtual bool AskYesNo(const std::string& question) = 0;
    virtual Answer AskYesNoCancel(const std::string& question) = 0;
    virtual void ShowMessageBox(const std::string& text) = 0;
    virtual void PlaySound(Sound sound) = 0;
    virtual void Repaint() = 0;

    // text: the hint's sentences joined by ";" (the conclusion after the last
    // one). The dialog reports its selection and 詳細 through the session's
    // SelectHintStep and SetDetail, and 閉じる through HintDialogClosed.
    virtual void OpenHintDialog(const std::string& text, HintDialogOwner owner) = 0;
    // Destroys the dialog. The session has already forgotten it, so the window
    // need not (but may) call HintDialogClosed for it.
    virtual void CloseHintDialog() = 0;
    virtual void HideNumberPad() = 0;
    virtual void OpenDeveloperTools() = 0;

    // Durations are counted on a monotonic clock so that a change of the system
    // time never makes them jump; time stamps use the wall clock.
    virtual int64_t MonotonicSeconds() = 0;
    virtual int64_t WallClockSeconds() = 0;
    // The one-second tick: while started, the window calls PlaySession::Tick
    // on its own thread once a second.
    virtual void StartTick() = 0;
    virtual void StopTick() = 0;
};

}  // namespace masuvo
