// CKenrowDlg, the main window: the board, the play buttons and fields, the
// menus and accelerators. It owns the one play session for the whole run
// and is a thin layer over it: it shows what the session says, asks what the
// session asks, keeps the one-second tick and turns keys, clicks, menu
// commands and dropped files into session operations.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/board.h"
#include "session/app_settings.h"
#include "generator/drill.h"
#include "records/practice_choice.h"
#include "session/developer_tools.h"
#include "session/play_session.h"
#include "session/practice_run.h"
#include "session/session_view.h"
#include "ui/creation_task.h"
#include "ui/dialogs/create_dialog.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/import/url_download.h"
#include "vision/board_recognition.h"

class CResultDlg;
class QAction;
class QPrinter;
class QProgressDialog;
class QActionGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace masuvo {

class CNumberDlg;
class CReviewDlg;
class SoundPlayer;

class CKenrowDlg : public QMainWindow, public SessionView {
    Q_OBJECT

public:
    // sx, sy: the display scale factors (logical dots per inch / 96).
    CKenrowDlg(const AppSettings& settings, const DataFolders& folders, double sx, double sy,
               QWidget* parent = nullptr);
    ~CKenrowDlg() override;

    PlaySession& session() { return *session_; }
    const AppSettings& settings() const { return settings_; }

    // A file named on the command line: a puzzle file ("kzd", compared
    // exactly) is loaded and names the puzzle, a picture (png, bmp, jpg,
    // gif, tif, webp) is imported; anything else is left alone.
    void OpenCommandLineFile(const QString& path);

    // A puzzle handed over by a creation dialog becomes the current puzzle;
    // the creation time follows the state check's message.
    void LoadCreatedPuzzle(const KR_base& puzzle, const std::string& name, int seconds);

    // Image import (kenrow_import.cpp). Each returns true when the board
    // was replaced by the recognised puzzle; failures show their message
    // and keep the board.
    bool ImportImageFile(const QString& path);
    bool ImportImageUrl(const QString& address);
    bool ImportClipboardImage(const QImage& picture);
    // The camera loop; true with the final reading.
    bool CaptureCamera(std::array<int, 81>& digits);
    // Recognised digits (0 empty) become the givens of a new puzzle named title.
    void ImportRecognizedBoard(const std::array<int, 81>& digits, const std::string& title);
    // A reading of a picture becomes the givens of a new puzzle named title,
    // its doubtful cells marked on the board and explained in the message.
    void ImportReading(const BoardReading& reading, const std::string& title);
    // The camera: a device index ("0", the default) or a video file.
    void SetCameraSource(const QString& source) { cameraSource_ = source; }
    void SetDownloadLimits(const DownloadLimits& limits) { downloadLimits_ = limits; }
    // The menu commands 画像読込..., クリップボードの画像を読込 and カメラ....
    void OnLoadImage();
    void OnClipboardImage();
    void OnCamera();

    // The board's widget, the client area below the menu bar and the
    // client point of a cell's sub-square (digit 1..9, 0 for the centre).
    QWidget* boardWidget() const { return board_; }
    QWidget* clientArea() const { return client_; }
    QPoint CellPoint(int row, int col, int subDigit = 0) const;
    CNumberDlg* numberPad() const { return pad_; }
    CHintDlg* hintDialog() const { return hintDialog_; }
    const QImage& background() const { return background_; }
    QAction* action(const QString& objectName) const;
    // The open review dialog, if any.
    CReviewDlg* reviewDialog() const;

    // コピー: the board shown, as 81 characters on the clipboard.
    void CopyBoard();

    // ツール menu and developer tools (kenrow_tools.cpp). The reports open
    // in a result window of their own, which is returned.
    CResultDlg* OnSolutionSteps();  // 解答手順...
    void OnRecords();               // 履歴管理...
    CResultDlg* OnAnalyze();        // 履歴統計...
    CResultDlg* EvaluateAllFiles(const std::vector<std::string>& paths);  // 全ファイル評価
    CResultDlg* ResaveAllFiles(const std::vector<std::string>& paths);    // 全ファイル再保存
    // 連続問題自動作成の保存 into folder (chosen beforehand).
    void ContinuousCreation(const QString& folder);
    // 画像保存... and 印刷... (kenrow_export.cpp). The commands ask for a
    // path or a printer; these do the rest and say what failed.
    void OnSaveImage();
    void OnPrint();
    // The board as the picture 画像保存 writes; false (after its message box)
    // when the path's extension has no encoder or the file cannot be written.
    bool SaveBoardImage(const QString& path);
    // One page on a printer set up beforehand; false after its message box.
    bool PrintBoard(QPrinter& printer);

    // ヘルプ menu: ホームページ opens this address in the desktop's browser.
    static constexpr const char* kHomePage = "https://vardelle.github.io/Masuvo/index.htm";
    void OnHomePage();

    // The search of the continuous creation: CreateRated unless a test gives another.
    void SetSeriesSearch(CreationTask::Search search) { seriesSearch_ = std::move(search); }

    // 練習 (kenrow_practice.cpp): ツール > 練習… opens the practice window,
    // whose start plays its drills here one after another; a help page's
    // 練習 link plays drills of its technique.
    using DrillMaker = std::function<DrillOutcome(const DrillRequest&)>;
    void OnPractice();
    void StartPractice(const std::vector<DrillChoice>& drills);
    // Ends the run at once: a drill on the board is recorded as not solved,
    // and the summary shows what was played.
    void StopPractice();
    // The run being played, if any.
    const PracticeRun* practiceRun() const { return practice_.get(); }
    // The drill search: CreateDrill unless a test gives another.
    void SetDrillMaker(DrillMaker maker) { drillMaker_ = std::move(maker); }
    static constexpr int kDrillsPerTechniqueLink = 5;

    // ---- SessionView ----
    void SetText(Field field, const std::string& text) override;
    void SetDigitCountText(int digit, const std::string& text) override;
    void EnableControl(Control control, bool enabled) override;
    void SetCandidatesPressed(bool pressed) override;
    void SetAcceptDrops(bool accept) override;
    bool AskYesNo(const std::string& question) override;
    Answer AskYesNoCancel(const std::string& question) override;
    void ShowMessageBox(const std::string& text) override;
    void PlaySound(Sound sound) override;
    void Repaint() override;
    void OpenHintDialog(const std::string& text, HintDialogOwner owner) override;
    void CloseHintDialog() override;
    void HideNumberPad() override;
    void OpenDeveloperTools() override;
    int64_t MonotonicSeconds() override;
    int64_t WallClockSeconds() override;
    void StartTick() override;
    void StopTick() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Construction (kenrow_layout.cpp, kenrow_menus.cpp).
    void CreateControls();
    void CreateMenus();
    void LayoutControls();
    void RebuildBackground();
    void UpdateViewMarks();
    void PaintClient(QPainter& painter);
    void PaintBoardView(QPainter& painter);

    // Input (kenrow_input.cpp).
    bool OfferKey(QKeyEvent* event);
    void ClientMousePress(QMouseEvent* event);
    void PadCommand(int id, int value);

    // Commands.
    void OnCreatePuzzle();
    // A help page's 練習 link: drills of the technique, numbered after the
    // ones the practice record holds.
    void OnPracticeTechnique(int technique);
    // The practice run's steps.
    void PrepareNextDrill();
    void DrillMade(int run, int index, const DrillOutcome& outcome);
    void BeginCurrentDrill();
    void WaitForDrill();
    void PracticePlacement();
    void EndCurrentDrill();
    void FinishPractice();
    void OnCreateDifficult();
    void OnCreateUnsolvable();
    void OnVolume();
    void OnLoad();
    void OnSave();
    void OnPaste();
    void SetBoardSize(int size);
    void SetFontSize(int size);
    void ToggleTimeDisplay();
    void ToggleWood();
    void HintDialogClosedByUser();
    void ShowAppendedMessage(int start);
    CResultDlg* OpenResultWindow(const std::string& text, const QString& title, int width, int height);
    std::optional<std::vector<std::string>> ChoosePuzzleFiles();
    BatchProgress BatchProgressDialog(QProgressDialog& progress, int total);
    void OnReview();
    // Puts a dialog (not yet shown, at its wanted size) beside the window,
    // clear of the board and the clock's controls, or where the player last
    // moved the dialog of this name; it may lose height down to minimumHeight.
    // It goes as near preferred (a global corner) as it can, by default the
    // window's top right.
    void PlaceBesideBoard(QWidget* dialog, int minimumHeight, const QString& name,
                          std::optional<QPoint> preferred = std::nullopt);
    bool LoadDroppedFile(const QString& path);

    double X(double x) const { return x * sx_; }
    double Y(double y) const { return y * sy_; }

    AppSettings settings_;
    double sx_;
    double sy_;
    std::unique_ptr<PlaySession> session_;
    std::unique_ptr<SoundPlayer> sound_;
    QTimer tick_;
    QImage background_;
    std::string messageText_;

    QWidget* client_ = nullptr;
    QWidget* board_ = nullptr;
    CNumberDlg* pad_ = nullptr;
    QPointer<CHintDlg> hintDialog_;
    QPointer<CReviewDlg> review_;
    CreationTask::Search seriesSearch_;
    DrillMaker drillMaker_;
    std::unique_ptr<PracticeRun> practice_;
    std::vector<std::optional<DrillOutcome>> drills_;  // by the run's index, once made
    CreationTask* drillTask_ = nullptr;
    // The techniques of the run whose drill could not be made: said once,
    // their other drills left out without a word.
    std::set<int> techniquesWithoutDrills_;
    int practiceGeneration_ = 0;  // counts the runs, so a drill made for an earlier one is dropped
    QPointer<QProgressDialog> drillWait_;
    QString toolsFolder_;  // where the developer tools last chose files or a folder
    QString imageFolder_;  // where 画像読込 last chose a file
    bool painted_ = false;  // the first paint, after which start-up work goes on
    QString cameraSource_ = QStringLiteral("0");
    DownloadLimits downloadLimits_;

    // Controls by role; the layout places them and the session enables them.
    QLabel* modeText_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPlainTextEdit* message_ = nullptr;
    QLabel* cellInfoLabel_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* secondInfo_ = nullptr;
    QLabel* digitLabels_[9] = {};
    QLabel* digitCounts_[9] = {};
    std::map<Field, QWidget*> fields_;
    std::map<Control, std::vector<QWidget*>> controls_;
    std::map<Control, QAction*> items_;
    std::map<QString, QAction*> actions_;
    QPushButton* candidatesButton_ = nullptr;

    QActionGroup* boardSizes_ = nullptr;
    QActionGroup* fontSizes_ = nullptr;
    QAction* timeDisplayItem_ = nullptr;
    QAction* woodItem_ = nullptr;

    // The key that was offered to the board at its shortcut check, so that
    // the key press that follows is not offered twice.
    struct OfferedKey {
        int key = 0;
        int modifiers = 0;
        bool taken = false;
        bool pending = false;
    };
    OfferedKey offered_;
};

}  // namespace masuvo
