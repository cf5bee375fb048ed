// The main window driven through its real widgets and events: keys, clicks,
// menu accelerators, the number pad, the hint dialog, dropped files and the
// settings store (a temporary one).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <mutex>

#include "ui/dialogs/create_dialog.h"
#include "ui/help/help_window.h"
#include "generator/creation.h"
#include "records/practice_record.h"
#include "records/record_file.h"
#include "engine/catalogue.h"
#include "ui/dialogs/result_dlg.h"
#include "session/play_session.h"
#include "session/session_text.h"
#include "ui/drawing/board_painter.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/main_window/number_pad.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// A beginner's puzzle (solvable step by step, one solution) and one whose
// first hint takes seven sentences.
const char* const kEasyPuzzle = "......95....64..7......7.1..38.15..25..87..6...72.....7...5...9.5.....2.3.94.....";
const char* const kLongHintPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

const QString kDataDir = QStringLiteral(MASUVO_TEST_DATA);

// Clicks the given button of the next message box that opens and keeps its text.
void AnswerNextBox(QMessageBox::StandardButton button, QString* text = nullptr) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        if (text != nullptr) *text = box->text();
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    CKenrowDlg& Open(const AppSettings& settings = AppSettings()) {
        window_ = std::make_unique<CKenrowDlg>(settings, folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    PlaySession& S() { return window_->session(); }

    template <typename T>
    T* Find(const QString& name) {
        T* found = window_->findChild<T*>(name);
        if (found == nullptr) qWarning() << "no control" << name;
        return found;
    }
    QString Text(const QString& name) {
        if (auto* label = window_->findChild<QLabel*>(name)) return label->text();
        if (auto* edit = window_->findChild<QLineEdit*>(name)) return edit->text();
        return u"<missing %1>"_s.arg(name);
    }
    bool Enabled(const QString& name) { return Find<QWidget>(name)->isEnabled(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // The accelerators act in the active window only; without a window
        // manager a closed message box does not hand the activation back.
        if (QApplication::activeWindow() != window_.get()) window_->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == window_.get());
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window_.get(), static_cast<Qt::Key>(key), modifiers);
    }
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier, int subDigit = 0) {
        QTest::mouseClick(window_->clientArea(), button, modifiers, window_->CellPoint(row, col, subDigit));
    }
    void Paste(const char* puzzle) {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(puzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    void Click(const QString& button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    int FirstEmptyCell() {
        for (int k = 0; k < 81; ++k)
            if (S().values[k] == 0) return k;
        return -1;
    }
    QImage Board() {
        BoardPaintOptions options;
        return RenderBoard(S(), options);
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        InstallFontSubstitutions();
        folders_ = PrepareDataFolders(temp_.filePath(u"Documents"_s).toStdString(),
                                      temp_.filePath(u"program"_s).toStdString());
        std::string message;
        QVERIFY2(PrepareRecordFile(folders_.recordPath, message), message.c_str());
    }

    void cleanup() { window_.reset(); }

    void firstStateOfANewWindow() {
        CKenrowDlg& w = Open();
        QCOMPARE(Text(u"modeText"_s), u"モード：問題作成"_s);
        QCOMPARE(Text(u"targetTime"_s), u"0分 00秒"_s);
        QCOMPARE(Text(u"targetRank"_s), QString());
        QCOMPARE(Text(u"elapsedTime"_s), u"0分 00秒"_s);
        QCOMPARE(Text(u"cellInfo"_s), u"問題： 0　　アシスト： 0　　解答： 0　　残り：81"_s);
        QCOMPARE(Text(u"versionText"_s), u"version 3.1.0"_s);
        QVERIFY(!w.windowIcon().isNull());
        // The window shows the pictures the desktop shows, the small sizes
        // without cell lines included.
        for (int size : {16, 48, 256}) {
            const QImage expected(QStringLiteral(MASUVO_TEST_DATA "/../../resources/icons/%1/masuvo.png").arg(size));
            QVERIFY(!expected.isNull());
            QCOMPARE(w.windowIcon().pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }

        const std::pair<const char16_t*, bool> buttons[] = {
            {u"createButton", true},       {u"clearAllButton", true},     {u"startButton", true},
            {u"pauseButton", false},       {u"resetButton", false},       {u"hintButton", false},
            {u"executeHintButton", false}, {u"candidatesButton", false},  {u"resetCandidatesButton", false},
            {u"reviewButton", false},      {u"clearColoursButton", true}, {u"clearMemosButton", true},
            {u"elapsedTime", false},       {u"targetTime", false},        {u"penalty", false},
        };
        for (const auto& [name, enabled] : buttons)
            QVERIFY2(Enabled(QString::fromUtf16(name)) == enabled, QString::fromUtf16(name).toUtf8());

        // The board is 9S+1 pixels square at 100%.
        QCOMPARE(w.boardWidget()->size(), QSize(451, 451));
        QCOMPARE(w.boardWidget()->pos(), QPoint(20, 20));
        QCOMPARE(Find<QWidget>(u"nameField"_s)->geometry(), QRect(500, 490, 270, 20));

        QVERIFY(w.action(u"loadItem"_s)->isEnabled());
        QVERIFY(w.action(u"pasteItem"_s)->isEnabled());
        QVERIFY(!w.action(u"undoItem"_s)->isEnabled());
        QVERIFY(!w.action(u"redoItem"_s)->isEnabled());
        QVERIFY(w.action(u"boardSize50"_s)->isChecked());
        QVERIFY(!w.action(u"boardSize40"_s)->isChecked());
        QVERIFY(w.action(u"fontSize45"_s)->isChecked());
        QVERIFY(w.action(u"timeDisplayItem"_s)->isChecked());
        QVERIFY(!w.action(u"woodItem"_s)->isChecked());
        QCOMPARE(w.action(u"undoItem"_s)->shortcut(), QKeySequence(u"Ctrl+Z"_s));
        QVERIFY(w.acceptDrops());

        // A plain background; no digit is selected.
        QCOMPARE(w.background().pixel(5, 5), 0xFFF0F0F0u);
        QCOMPARE(S().selRow, -1);
    }

    void typingAPuzzleWithKeysAndAccelerators() {
        Open();
        ClickCell(0, 0);
        QCOMPARE(S().selRow, 0);
        Key(Qt::Key_5);
        QCOMPARE(S().values[0], 5);
        QCOMPARE(S().origin[0], 1);
        QCOMPARE(Text(u"digitCount5"_s), u"1"_s);
        QCOMPARE(Text(u"cellInfo"_s), u"問題： 1　　アシスト： 0　　解答： 0　　残り：80"_s);
        QVERIFY(window_->action(u"undoItem"_s)->isEnabled());
        // The same digit again changes nothing and records nothing.
        Key(Qt::Key_5);
        QCOMPARE(S().undoStack.size(), size_t(1));

        // The keypad's digits are digits too; Delete empties the cell.
        Key(Qt::Key_Right);
        Key(Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(S().values[1], 7);
        Key(Qt::Key_Delete);
        QCOMPARE(S().values[1], 0);
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(S().values[1], 7);
        QVERIFY(window_->action(u"redoItem"_s)->isEnabled());
        Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(S().values[1], 0);

        // Colour keys; Escape drops the selection and further digits go nowhere.
        Key(Qt::Key_B);
        QCOMPARE(S().colour[1], kColourBlue);
        Key(Qt::Key_Escape);
        QCOMPARE(S().selRow, -1);
        Key(Qt::Key_4);
        QCOMPARE(S().values[1], 0);
        QVERIFY(window_->isVisible());

        // While the name field has the keyboard, typing edits the name.
        ClickCell(2, 2);
        auto* name = Find<QLineEdit>(u"nameField"_s);
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        QTest::keyClicks(name, u"q3"_s);
        QCOMPARE(S().values[20], 0);
        QCOMPARE(QString::fromStdString(S().name), u"q3"_s);
        // A click on the board gives the keyboard back to the board.
        ClickCell(2, 2);
        Key(Qt::Key_3);
        QCOMPARE(S().values[20], 3);

        // コピー puts the board on the clipboard as 81 characters.
        Key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromLatin1("5...................3" + QByteArray(60, '.')));
    }

    void pastingAndStartingToSolve() {
        Open();
        Paste("12345");  // too short: nothing happens
        QCOMPARE(S().values[6], 0);

        // A board with several solutions asks first; No keeps the create mode.
        Paste("1................................................................................");
        QString question;
        AnswerNextBox(QMessageBox::No, &question);
        Click(u"startButton"_s);
        QCOMPARE(question, u"解が複数存在しますが、解答を開始しますか？"_s);
        QCOMPARE(Text(u"modeText"_s), u"モード：問題作成"_s);

        Paste(kEasyPuzzle);
        QCOMPARE(S().values[6], 9);
        QVERIFY(Text(u"nameField"_s).startsWith(u"貼り付け("_s));
        QVERIFY2(Text(u"statusLine"_s).startsWith(u"状態：可解　単解"_s), Text(u"statusLine"_s).toUtf8());

        Click(u"startButton"_s);
        QCOMPARE(Text(u"modeText"_s), u"モード：解答"_s);
        for (const char16_t* name :
             {u"pauseButton", u"hintButton", u"candidatesButton", u"resetButton", u"elapsedTime"})
            QVERIFY2(Enabled(QString::fromUtf16(name)), QString::fromUtf16(name).toUtf8());
        for (const char16_t* name : {u"startButton", u"createButton", u"executeHintButton"})
            QVERIFY2(!Enabled(QString::fromUtf16(name)), QString::fromUtf16(name).toUtf8());
        QVERIFY(!window_->action(u"pasteItem"_s)->isEnabled());
        QVERIFY(!window_->action(u"loadItem"_s)->isEnabled());
        QVERIFY(!window_->acceptDrops());
        QCOMPARE(Text(u"targetRank"_s), u"中級"_s);

        // A given stays; the solution's digit in an empty cell is judged and logged.
        ClickCell(0, 6);
        Key(Qt::Key_1);
        QCOMPARE(S().values[6], 9);
        const int cell = FirstEmptyCell();
        ClickCell(cell / 9, cell % 9);
        Key(Qt::Key_0 + S().solution[cell]);
        QCOMPARE(S().values[cell], S().solution[cell]);
        QCOMPARE(S().origin[cell], 0);
        QCOMPARE(S().log.size(), size_t(1));
        QVERIFY(Find<QPlainTextEdit>(u"messageArea"_s)->toPlainText().startsWith(u"推定解法："_s));
    }

    void hintOpensTheDialogAndTheOverlayFollowsIt() {
        Open();
        Paste(kLongHintPuzzle);
        Click(u"startButton"_s);
        ClickCell(3, 6);  // where the hint will be: the hint selects its cell
        const QImage before = Board();
        Click(u"hintButton"_s);

        QVERIFY(Find<QPlainTextEdit>(u"messageArea"_s)->toPlainText().startsWith(u"ヒント：波及効果。"_s));
        QVERIFY(Enabled(u"executeHintButton"_s));
        QCOMPARE(Text(u"hintCounts"_s), u"1 (0) 回"_s);
        CHintDlg* dialog = window_->hintDialog();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), u"ヒント"_s);
        QCOMPARE(dialog->list()->count(), 6);
        QCOMPARE(dialog->list()->item(1)->text(), u"定員確定3(ブロック)"_s);
        QCOMPARE(dialog->conclusion()->text(), u" セルの完成です"_s);
        QCOMPARE(S().hintStep, 0);
        QCOMPARE(std::make_pair(S().hintRow, S().hintCol), std::make_pair(3, 6));
        QVERIFY(Board() != before);

        // The overlay follows the selected sentence.
        dialog->list()->setCurrentRow(3);
        QCOMPARE(S().hintStep, 3);
        const QImage stepThree = Board();
        QTest::mouseClick(dialog->detailButton(), Qt::LeftButton);
        QVERIFY(S().detailShown);
        QCOMPARE(S().hintStep, 3);
        QVERIFY(!Enabled(u"candidatesButton"_s));
        QCOMPARE(Text(u"hintCounts"_s), u"1 (1) 回"_s);
        QVERIFY(Board() != stepThree);

        // 閉じる: the dialog goes, and with it the hint.
        QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(window_->hintDialog() == nullptr);
        QVERIFY(!S().hintDialogOpen);
        QVERIFY(!S().detailShown);
        QCOMPARE(S().hintRow, -1);
        QVERIFY(!Enabled(u"executeHintButton"_s));
        QVERIFY(Enabled(u"candidatesButton"_s));
        QCOMPARE(Board(), before);

        // A hint executed: the red digit, and the dialog closed by the state check.
        Click(u"hintButton"_s);
        QVERIFY(window_->hintDialog() != nullptr);
        Click(u"executeHintButton"_s);
        QCOMPARE(S().values[3 * 9 + 6], 4);
        QCOMPARE(S().origin[3 * 9 + 6], 2);
        QTRY_VERIFY(window_->hintDialog() == nullptr);
        QCOMPARE(Text(u"execCount"_s), u"1 回"_s);
    }

    void numberPadSendsItsCommands() {
        CKenrowDlg& w = Open();
        CNumberDlg* pad = w.numberPad();
        QVERIFY(!pad->isVisible());
        ClickCell(4, 4, Qt::RightButton);
        QVERIFY(pad->isVisible());
        QVERIFY(pad->memoSideEnabled());
        QCOMPARE(std::make_pair(S().selRow, S().selCol), std::make_pair(4, 4));
        QTest::mouseClick(pad, Qt::LeftButton, {}, pad->ItemCentre(5));
        QCOMPARE(S().values[40], 5);
        QVERIFY(!pad->isVisible());

        // On a filled cell the memo side is inert; the right button works as the left.
        ClickCell(4, 4, Qt::RightButton);
        QVERIFY(!pad->memoSideEnabled());
        QTest::mouseClick(pad, Qt::RightButton, {}, pad->ItemCentre(25));
        QVERIFY(pad->isVisible());
        QTest::mouseClick(pad, Qt::RightButton, {}, pad->ItemCentre(11));
        QCOMPARE(S().colour[40], kColourRed);
        ClickCell(4, 4, Qt::RightButton);
        QTest::mouseClick(pad, Qt::LeftButton, {}, pad->ItemCentre(14));
        QCOMPARE(S().colour[40], kColourNone);
        ClickCell(4, 4, Qt::RightButton);
        QTest::mouseClick(pad, Qt::LeftButton, {}, pad->ItemCentre(10));
        QCOMPARE(S().values[40], 0);

        // Number memos on an empty cell, then cleared.
        ClickCell(0, 8, Qt::RightButton);
        QTest::mouseClick(pad, Qt::LeftButton, {}, pad->ItemCentre(23));
        QCOMPARE(int(S().memo[8][3]), 1);
        ClickCell(0, 8, Qt::RightButton);
        QTest::mouseClick(pad, Qt::LeftButton, {}, pad->ItemCentre(30));
        QCOMPARE(int(S().memo[8][3]), 0);

        // Escape hides an open pad; a right click outside the board too.
        ClickCell(0, 8, Qt::RightButton);
        Key(Qt::Key_Escape);
        QVERIFY(!pad->isVisible());
        ClickCell(0, 8, Qt::RightButton);
        QTest::mouseClick(w.clientArea(), Qt::RightButton, {}, QPoint(600, 560));
        QVERIFY(!pad->isVisible());
        QCOMPARE(S().selRow, -1);
    }

    void pauseVeilsTheBoard() {
        Open();
        Paste(kEasyPuzzle);
        Click(u"startButton"_s);
        const int cell = FirstEmptyCell();
        const QPoint centre = window_->CellPoint(cell / 9, cell % 9) - QPoint(20, 20);
        QCOMPARE(window_->boardWidget()->grab().toImage().pixel(centre), 0xFFFFFFFFu);

        Click(u"pauseButton"_s);
        QCOMPARE(Text(u"modeText"_s), u"モード：停止"_s);
        for (const char16_t* name : {u"pauseButton", u"hintButton", u"candidatesButton"})
            QVERIFY2(!Enabled(QString::fromUtf16(name)), QString::fromUtf16(name).toUtf8());
        QVERIFY(Enabled(u"startButton"_s));
        const int veiled = qGray(window_->boardWidget()->grab().toImage().pixel(centre));
        QVERIFY2(veiled > 225 && veiled < 245, QByteArray::number(veiled));

        // A paused board takes no clicks.
        ClickCell(cell / 9, cell % 9);
        QCOMPARE(S().selRow, -1);
        ClickCell(cell / 9, cell % 9, Qt::RightButton);
        QVERIFY(!window_->numberPad()->isVisible());

        Click(u"startButton"_s);
        QCOMPARE(Text(u"modeText"_s), u"モード：解答"_s);
        QCOMPARE(window_->boardWidget()->grab().toImage().pixel(centre), 0xFFFFFFFFu);
    }

    void overtimeBracketsFollowTheTimeDisplay() {
        CKenrowDlg& w = Open();
        Paste(kEasyPuzzle);
        Click(u"startButton"_s);
        // Under the elapsed-time fields, 2S·121/50 down at 100%.
        const QPoint bracket(9 * 50 + 226, 121);
        auto red = [&w, bracket] {
            const QRgb p = w.clientArea()->grab().toImage().pixel(bracket);
            return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
        };
        QVERIFY(!red());
        S().elapsed = S().targetTime + 1;
        S().ShowClock();
        QVERIFY(S().overtime);
        QVERIFY(red());
        w.action(u"timeDisplayItem"_s)->trigger();
        QVERIFY(!red());
        w.action(u"timeDisplayItem"_s)->trigger();
        QVERIFY(red());
    }

    void candidatesAndControlClicksOnTheirSquares() {
        Open();
        Paste(kEasyPuzzle);
        Click(u"startButton"_s);
        QVERIFY(!Enabled(u"resetCandidatesButton"_s));
        Click(u"candidatesButton"_s);
        QVERIFY(S().candidatesShown);
        QVERIFY(Find<QPushButton>(u"candidatesButton"_s)->isChecked());
        QVERIFY(Enabled(u"resetCandidatesButton"_s));
        QVERIFY(S().candidateEase > 0);
        QCOMPARE(Text(u"candidateEase"_s), QString::fromStdString(WithSeparators(S().candidateEase)));

        const int cell = FirstEmptyCell();
        int digit = 1;
        while ((S().candMarks[cell][digit] & 1) == 0) ++digit;
        ClickCell(cell / 9, cell % 9, Qt::LeftButton, Qt::ControlModifier, digit);
        QCOMPARE(S().candMarks[cell][digit] & 2, 2);
        ClickCell(cell / 9, cell % 9, Qt::LeftButton, Qt::ControlModifier, digit);
        QCOMPARE(S().candMarks[cell][digit] & 2, 0);
        // Ctrl with a digit key strikes out too.
        Key(Qt::Key_0 + digit, Qt::ControlModifier);
        QCOMPARE(S().candMarks[cell][digit] & 2, 2);

        Click(u"candidatesButton"_s);
        QVERIFY(!S().candidatesShown);
        QVERIFY(!Enabled(u"resetCandidatesButton"_s));
    }

    void filesFromTheCommandLineAndDropped() {
        CKenrowDlg& w = Open();
        // The extension is compared exactly: KZD is not a puzzle file, and
        // the player is told so.
        QString refused;
        AnswerNextBox(QMessageBox::Ok, &refused);
        w.OpenCommandLineFile(kDataDir + u"/kzd/TOP95_1.KZD"_s);
        QVERIFY2(refused.startsWith(u"読込めないファイルです。"_s), qPrintable(refused));
        QCOMPARE(S().values[0], 0);
        w.OpenCommandLineFile(kDataDir + u"/kzd/top95_1.kzd"_s);
        QCOMPARE(Text(u"nameField"_s), u"top95_1"_s);
        QCOMPARE(S().values[0], 4);
        QCOMPARE(Text(u"cellInfo"_s), u"問題：17　　アシスト： 0　　解答： 0　　残り：64"_s);

        auto drop = [&w](const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            // Straight to the window: a drop without a drag in progress.
            static_cast<QObject&>(w).event(&event);
            return event.isAccepted();
        };
        // Read after the drop has been answered.
        QVERIFY(drop(kDataDir + u"/kzd/例題_基本.kzd"_s));
        QCOMPARE(Text(u"nameField"_s), u"top95_1"_s);
        QTRY_COMPARE(Text(u"nameField"_s), u"例題_基本"_s);
        QCOMPARE(S().values[6], 9);

        // While solving, nothing dropped is taken.
        Click(u"startButton"_s);
        QVERIFY(!w.acceptDrops());
        QVERIFY(!drop(kDataDir + u"/kzd/top95_1.kzd"_s));
        QCOMPARE(Text(u"nameField"_s), u"例題_基本"_s);
    }

    void creationDialogHandsItsPuzzleOver() {
        CKenrowDlg& w = Open();
        KR_base made;
        for (int k = 0; k < 81; ++k) made.value[k / 9][k % 9] = kEasyPuzzle[k] == '.' ? 0 : kEasyPuzzle[k] - '0';

        // The real dialog with a search that answers at once.
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, made] {
            auto* dialog = qobject_cast<CCreateDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            timer->stop();
            timer->deleteLater();
            dialog->setSearch([made](const CreationRequest&) {
                CreationOutcome outcome;
                outcome.status = CreationStatus::Found;
                outcome.puzzle = made;
                outcome.seconds = 75;
                return outcome;
            });
            dialog->findChild<QComboBox*>(u"symmetryList"_s)->setCurrentIndex(1);
            dialog->findChild<QPushButton*>(u"okButton"_s)->click();
        });
        timer->start();
        Click(u"createButton"_s);

        QCOMPARE(Text(u"nameField"_s), QString::fromStdString(RatedPuzzleName(0, 1, 1)));
        QCOMPARE(S().values[6], 9);
        QCOMPARE(S().origin[6], 1);
        QCOMPARE(Text(u"modeText"_s), u"モード：問題作成"_s);
        QVERIFY2(Find<QPlainTextEdit>(u"messageArea"_s)->toPlainText().endsWith(u"問題作成時間：1分 15秒"_s),
                 Find<QPlainTextEdit>(u"messageArea"_s)->toPlainText().toUtf8());
        QCOMPARE(w.settings().create_symmetry, 1);

        // An earlier message stays, and the time follows on its own line.
        w.SetText(Field::Message, "前");
        w.LoadCreatedPuzzle(made, "名前", 5);
        QCOMPARE(Text(u"nameField"_s), u"名前"_s);
        QCOMPARE(Find<QPlainTextEdit>(u"messageArea"_s)->toPlainText(), u"問題作成時間：0分 05秒"_s);
    }

    void boardSizeFontAndWoodFromTheMenu() {
        CKenrowDlg& w = Open();
        const QPoint corner = w.pos();
        w.action(u"boardSize60"_s)->trigger();
        QCOMPARE(w.boardWidget()->size(), QSize(541, 541));
        QCOMPARE(Find<QWidget>(u"startButton"_s)->geometry(), QRect(9 * 60 + 45, 60 * 65 / 50, 80, 60 * 30 / 50));
        QVERIFY(w.action(u"boardSize60"_s)->isChecked());
        QVERIFY(!w.action(u"boardSize50"_s)->isChecked());
        QCOMPARE(w.pos(), corner);
        // Choosing the checked item keeps it checked.
        w.action(u"boardSize60"_s)->trigger();
        QVERIFY(w.action(u"boardSize60"_s)->isChecked());

        w.action(u"fontSize50"_s)->trigger();
        QCOMPARE(w.settings().font_size, 50);
        QVERIFY(!w.action(u"fontSize45"_s)->isChecked());

        w.action(u"woodItem"_s)->trigger();
        QCOMPARE(w.settings().wood_pattern, 1);
        QVERIFY(w.action(u"woodItem"_s)->isChecked());
        const QRgb grain = w.background().pixel(5, 5);
        QVERIFY(qRed(grain) >= 190 && qRed(grain) <= 215 && qBlue(grain) >= 190 && qBlue(grain) <= 195);

        w.action(u"timeDisplayItem"_s)->trigger();
        QCOMPARE(w.settings().time_disp, 0);
        QCOMPARE(Text(u"elapsedTime"_s), QString());
        QCOMPARE(Text(u"elapsedRatio"_s), QString());
    }

    void settingsAreReadAtStartAndWrittenAtExit() {
        const QString documents = temp_.filePath(u"profile/Documents"_s);
        const QString program = temp_.filePath(u"profile/program"_s);
        QVERIFY(QDir().mkpath(program + u"/例題"_s));
        {
            QSettings store(u"Vardelle"_s, QCoreApplication::applicationName());
            store.clear();
            store.setValue(u"Settings/size"_s, 60);
            store.setValue(u"Settings/font_size"_s, 40);
            store.setValue(u"Settings/time_disp"_s, 0);
            store.setValue(u"Settings/wood_pattern"_s, 1);
            store.setValue(u"Settings/volume"_s, 150);
            store.setValue(u"Settings/hard_number"_s, 9);
        }
        {
            CKenrowApp app(CKenrowApp::Paths{documents, program});
            CKenrowDlg& w = app.InitInstance();
            QCOMPARE(w.boardWidget()->size(), QSize(541, 541));
            QVERIFY(w.action(u"boardSize60"_s)->isChecked());
            QVERIFY(w.action(u"fontSize40"_s)->isChecked());
            QVERIFY(!w.action(u"timeDisplayItem"_s)->isChecked());
            QVERIFY(w.action(u"woodItem"_s)->isChecked());
            QCOMPARE(w.settings().volume, 100);
            QCOMPARE(w.findChild<QLineEdit*>(u"elapsedTime"_s)->text(), QString());
            // Qt's own dialogs speak Japanese whatever the desktop's language.
            QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), u"アドレス:"_s);
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_s);

            // The first start made the folders, the record file and the example copy.
            const QString data = documents + u"/マスヴォ２"_s;
            for (const QString& path : {data + u"/完成問題"_s, data + u"/.tmp"_s, data + u"/例題"_s})
                QVERIFY2(QFileInfo(path).isDir(), path.toUtf8());
            QVERIFY(QFileInfo(data + u"/達成記録.csv"_s).isFile());

            w.action(u"boardSize50"_s)->trigger();
            w.action(u"woodItem"_s)->trigger();
            w.close();
            app.ExitInstance();
        }
        QSettings store(u"Vardelle"_s, QCoreApplication::applicationName());
        store.beginGroup(u"Settings"_s);
        QCOMPARE(store.childKeys().size(), 13);
        const std::pair<const char16_t*, int> expected[] = {
            {u"size", 50},    {u"font_size", 40},  {u"time_disp", 0},     {u"wood_pattern", 0},
            {u"volume", 100}, {u"hard_number", 9}, {u"create_number", 1}, {u"difficult_symmetry", 0},
        };
        for (const auto& [key, value] : expected)
            QVERIFY2(store.value(QString::fromUtf16(key)).toInt() == value, QString::fromUtf16(key).toUtf8());
    }

    void aSizeOutsideTheMenuMarksNoItem() {
        AppSettings settings;
        settings.size = 45;
        CKenrowDlg& w = Open(settings);
        QCOMPARE(w.boardWidget()->size(), QSize(406, 406));
        for (const QString& item : {u"boardSize40"_s, u"boardSize50"_s, u"boardSize60"_s})
            QVERIFY(!w.action(item)->isChecked());
    }

    void anAppendedResultIsScrolledIntoView() {
        CKenrowDlg& w = Open();
        auto* area = Find<QPlainTextEdit>(u"messageArea"_s);
        std::string text = "推定解法：";
        for (int i = 0; i < 12; ++i) text += "隠れた数字。定員確定2(ブロック)。";
        w.SetText(Field::Message, text);
        QCOMPARE(area->verticalScrollBar()->value(), 0);
        w.SetText(Field::Message, text + "\r\nすべて完成しました。\r\n難易度：1,550、ペナルティ：0");
        // The whole result is in view, from its first line to its last.
        QTextCursor first(area->document());
        first.setPosition(static_cast<int>(area->toPlainText().indexOf(u"すべて"_s)));
        QTextCursor last(area->document());
        last.movePosition(QTextCursor::End);
        const int height = area->viewport()->height();
        QVERIFY(area->cursorRect(first).top() >= 0);
        QVERIFY(area->cursorRect(last).bottom() <= height);
        // A new message starts at its beginning.
        w.SetText(Field::Message, "ヒント：隠れた数字。");
        QCOMPARE(area->verticalScrollBar()->value(), 0);
    }

private:
    // Drills made at once from two fixed positions, the request of each kept.
    // The maker runs on the drill thread.
    std::mutex drillLock_;
    std::vector<DrillRequest> drillRequests_;
    void FixedDrills() {
        drillRequests_.clear();
        window_->SetDrillMaker([this](const DrillRequest& request) {
            std::lock_guard<std::mutex> lock(drillLock_);
            drillRequests_.push_back(request);
            DrillOutcome outcome;
            outcome.status = CreationStatus::Found;
            // (1,4) = 1 by 確定セル alone; (8,2) = 2 by 隠れた数字 and ブロック内の配置.
            const bool first = drillRequests_.size() % 2 == 1;
            ParseGrid(first ? "...4...5..59.....2...5.3.8.1...4.83....17526..6..3.19....78.5.6....5.9..524.6...8"
                            : "4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..",
                      outcome.drill.position);
            outcome.drill.puzzle = outcome.drill.position;
            outcome.drill.row = first ? 1 : 8;
            outcome.drill.col = first ? 4 : 2;
            outcome.drill.digit = first ? 1 : 2;
            return outcome;
        });
    }
    std::vector<PracticeEntry> PracticeRecord() {
        return ReadPracticeRecord(PracticeRecordPath(folders_));
    }

private slots:
    void aHelpPracticeLinkStartsDrillsOfItsTechnique_data() {
        QTest::addColumn<int>("technique");
        QTest::newRow("三すくみ") << 20;
        QTest::newRow("二択連鎖") << 27;
        QTest::newRow("ブロックの完成") << 0;
    }

    void aHelpPracticeLinkStartsDrillsOfItsTechnique() {
        QFETCH(int, technique);
        CKenrowDlg& w = Open();
        FixedDrills();
        emit CHelpWindow::Links().practiceRequested(technique);
        QVERIFY(w.practiceRun() != nullptr);
        QTRY_VERIFY(w.practiceRun()->Playing());
        const std::string header = "練習 1/5 ・ " + std::string(TechniqueName(technique));
        QCOMPARE(Text(u"nameField"_s).toStdString(), header);
        QCOMPARE(S().mode, 1);
        // Numbered after the drills of the record: none yet.
        std::vector<int> numbers;
        for (const DrillChoice& choice : w.practiceRun()->Choices()) {
            QCOMPARE(choice.technique, technique);
            numbers.push_back(choice.number);
        }
        QCOMPARE(numbers, (std::vector<int>{1, 2, 3, 4, 5}));
        std::lock_guard<std::mutex> lock(drillLock_);
        QCOMPARE(drillRequests_.front().technique, technique);
    }

    // A technique the search has no drill for is said once per run, however
    // many of its drills the run holds, and the run goes on to the next.
    void aTechniqueWithoutDrillsIsSaidOnceAndTheRunGoesOn() {
        CKenrowDlg& w = Open();
        w.SetDrillMaker([](const DrillRequest& request) {
            DrillOutcome outcome;
            if (request.technique == 15) return outcome;  // Failed
            outcome.status = CreationStatus::Found;
            ParseGrid("...4...5..59.....2...5.3.8.1...4.83....17526..6..3.19....78.5.6....5.9..524.6...8",
                      outcome.drill.position);
            outcome.drill.puzzle = outcome.drill.position;
            outcome.drill.row = 1;
            outcome.drill.col = 4;
            outcome.drill.digit = 1;
            return outcome;
        });
        QStringList said;
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, [&said] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            said.append(box->text());
            box->button(QMessageBox::Ok)->click();
        });
        answer.start();

        w.StartPractice({{15, 1}, {15, 2}, {15, 3}, {4, 7}});
        QTRY_VERIFY(w.practiceRun() != nullptr && w.practiceRun()->Playing());
        QCOMPARE(Text(u"nameField"_s), u"練習 4/4 ・ セルの完成"_s);
        QCOMPARE(said, QStringList{u"練習 1/4 ・ 陰の定員確定4(ブロック)\r\n練習問題を作成できませんでした。"_s});
    }

    void aPracticeRunPlaysItsDrillsAndFilesThemAsPractice() {
        CKenrowDlg& w = Open();
        FixedDrills();
        std::vector<std::string> before;
        std::string message;
        QVERIFY(ReadRecordLines(folders_.recordPath, before, message));
        const size_t recorded = PracticeRecord().size();

        w.StartPractice({{4, 7}, {5, 7}});
        QTRY_VERIFY(w.practiceRun() != nullptr && w.practiceRun()->Playing());
        QCOMPARE(Text(u"nameField"_s), u"練習 1/2 ・ セルの完成"_s);
        ClickCell(1, 4);
        Key(Qt::Key_2);  // wrong: marked, the drill goes on
        QCOMPARE(S().values[1 * 9 + 4], 2);
        QVERIFY(w.practiceRun()->Playing());
        Key(Qt::Key_1);
        QTRY_COMPARE(w.practiceRun()->Index(), 1);
        QTRY_VERIFY(w.practiceRun()->Playing());
        QCOMPARE(Text(u"nameField"_s), u"練習 2/2 ・ 隠れた数字"_s);

        Click(u"hintButton"_s);
        QCOMPARE(S().hintCount, 1);
        ClickCell(8, 2);
        Key(Qt::Key_2);
        QTRY_VERIFY(w.practiceRun() == nullptr);

        const std::vector<PracticeEntry> record = PracticeRecord();
        QCOMPARE(record.size(), recorded + 2);
        const PracticeEntry& first = record[recorded];
        const PracticeEntry& second = record[recorded + 1];
        QCOMPARE(first.technique, 4);
        QCOMPARE(first.number, 7);
        QVERIFY(first.solved);
        QCOMPARE(first.hints + first.details + first.hintExecutions, 0);
        QVERIFY(first.estimatedSeconds > 0);
        QCOMPARE(second.technique, 5);
        QCOMPARE(second.hints, 1);
        QVERIFY(second.solved);

        // Nothing of the drills in the achievement record or 完成問題/.
        std::vector<std::string> after;
        QVERIFY(ReadRecordLines(folders_.recordPath, after, message));
        QCOMPARE(after.size(), before.size());
        QVERIFY(S().fileCompletions);
        QVERIFY(S().onSolvingPlacement == nullptr);

        // The summary page in a result window.
        CResultDlg* summary = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* result = qobject_cast<CResultDlg*>(top); result && result->windowTitle() == u"練習の結果"_s)
                summary = result;
        QVERIFY(summary != nullptr);
        const QString text = summary->findChild<QPlainTextEdit*>()->toPlainText();
        QVERIFY(text.contains(u"2 問中 2 問正解"_s));
        QVERIFY(text.contains(u"ヒント 1"_s));
        summary->close();
    }

    void loadingAnotherPuzzleEndsTheRun() {
        CKenrowDlg& w = Open();
        FixedDrills();
        const size_t recorded = PracticeRecord().size();
        w.StartPractice({{4, 8}, {4, 9}});
        QTRY_VERIFY(w.practiceRun() != nullptr && w.practiceRun()->Playing());
        KR_base other;
        QVERIFY(ParseGrid("4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..", other));
        w.LoadCreatedPuzzle(other, "other", 0);
        Click(u"startButton"_s);
        ClickCell(8, 2);
        Key(Qt::Key_2);
        QVERIFY(w.practiceRun() == nullptr);
        QVERIFY(S().fileCompletions);
        QCOMPARE(PracticeRecord().size(), recorded);
    }

    void theWindowOffersNoMaximiseButton() {
        CKenrowDlg& w = Open();
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
