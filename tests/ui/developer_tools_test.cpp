// The ツール menu's windows and the developer tools through the main window:
// the Control+Q, X, J sequence, 全ファイル評価 against the command-line tool,
// 全ファイル再保存, 単一解法のスキップ and 問題の多様化 through the tools dialog,
// the continuous creation (finished, failed and cancelled), 解答手順 and
// 履歴統計 in result windows, and the accelerators over the name field.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "files/puzzle_file.h"
#include "records/record_file.h"
#include "session/developer_tools.h"
#include "session/play_session.h"
#include "ui/dialogs/create_test_dlg.h"
#include "ui/dialogs/developer_dlg.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/result_dlg.h"
#include "tests/ui/window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const QString kDataDir = QStringLiteral(MASUVO_TEST_DATA);
// Solved by single steps only.
const char* const kEasyPuzzle = "......95....64..7......7.1..38.15..25..87..6...72.....7...5...9.5.....2.3.94.....";
// 自動作成(中級)[点対称]_1.
const char* const kPointSymmetric = "9..3..8...6.4...2..28...5.3.19..8......5.6......1..25.7.2...93..9...3.8...3..9..7";

QString PageText(CResultDlg* window) { return window->findChild<QPlainTextEdit*>(u"resultText"_s)->toPlainText(); }

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DeveloperToolsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    CKenrowDlg& Open() {
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    PlaySession& S() { return window_->session(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { test::PressKey(window_.get(), key, modifiers); }
    void Paste(const char* puzzle) {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(puzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    // The tools dialog through the key sequence, with a tool chosen and OK.
    void RunTool(int tool) {
        test::OnNextModal<CDeveloperDlg>([tool](CDeveloperDlg* dialog) {
            dialog->toolList()->setCurrentIndex(tool);
            dialog->findChild<QPushButton*>(u"okButton"_s)->click();
        });
        Key(Qt::Key_Q, Qt::ControlModifier);
        Key(Qt::Key_X, Qt::ControlModifier);
        Key(Qt::Key_J, Qt::ControlModifier);
    }
    // A folder of puzzle files: two puzzles and one that does not read.
    QString PuzzleFolder(const QString& name) {
        const QString folder = temp_.filePath(name);
        QDir().mkpath(folder);
        QFile::copy(kDataDir + u"/kzd/top95_1.kzd"_s, folder + u"/b_top95.kzd"_s);
        QFile::copy(kDataDir + u"/kzd/例題_基本.kzd"_s, folder + u"/a_例題.KZD"_s);
        QFile::copy(kDataDir + u"/kzd/not_a_puzzle.kzd"_s, folder + u"/c_broken.kzd"_s);
        return folder;
    }
    QList<CResultDlg*> ResultWindows() {
        QList<CResultDlg*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<CResultDlg*>(w); r != nullptr && r->isVisible()) windows << r;
        return windows;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
    }

    void cleanup() {
        for (CResultDlg* w : ResultWindows()) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window_.reset();
    }

    void keySequenceOpensTheToolsDialog() {
        Open();
        bool opened = false;
        QStringList tools;
        test::OnNextModal<CDeveloperDlg>([&](CDeveloperDlg* dialog) {
            opened = true;
            QCOMPARE(dialog->windowTitle(), u"開発者用ツール"_s);
            QCOMPARE(dialog->toolList()->currentIndex(), 0);
            for (int i = 0; i < dialog->toolList()->count(); ++i) tools << dialog->toolList()->itemText(i);
            dialog->findChild<QPushButton*>(u"cancelButton"_s)->click();
        });
        Key(Qt::Key_Q, Qt::ControlModifier);
        Key(Qt::Key_X, Qt::ControlModifier);
        Key(Qt::Key_J, Qt::ControlModifier);
        QVERIFY(opened);
        QCOMPARE(tools, (QStringList{u"全ファイル評価"_s, u"全ファイル再保存"_s, u"単一解法のスキップ"_s,
                                     u"問題の多様化"_s, u"連続問題自動作成の保存"_s}));
    }

    void evaluationAgreesWithTheCommandLineTool() {
        Open();
        const QString folder = PuzzleFolder(u"evaluate"_s);
        const std::vector<std::string> paths = ListPuzzleFiles(folder.toStdString());
        QCOMPARE(paths.size(), size_t{3});
        // The broken file's reader message.
        test::OnNextModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        CResultDlg* window = window_->EvaluateAllFiles(paths);
        QVERIFY(window != nullptr);
        QCOMPARE(window->windowTitle(), u"全ファイル評価"_s);
        QCOMPARE(window->size(), QSize(760, 600));

        QStringList arguments{u"evaluate"_s};
        for (const std::string& path : paths) arguments << QString::fromStdString(path);
        QProcess cli;
        cli.start(QStringLiteral(MASUVO_CLI), arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QString expected = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY(expected.startsWith(u"  1  a_例題    状態：単解"_s));
        QCOMPARE(PageText(window), expected);
        // The window holds the last file evaluated that read.
        QCOMPARE(S().values[0], 4);
    }

    void resavingWritesEveryReadableFileBack() {
        Open();
        const QString folder = PuzzleFolder(u"resave"_s);
        const QByteArray broken = FileBytes(folder + u"/c_broken.kzd"_s);
        PuzzleFileData before;
        std::string message;
        QVERIFY(ReadPuzzleData((folder + u"/b_top95.kzd"_s).toStdString(), before, message));
        test::OnNextModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        CResultDlg* window = window_->ResaveAllFiles(ListPuzzleFiles(folder.toStdString()));
        QCOMPARE(window->windowTitle(), u"全ファイル再保存"_s);
        QCOMPARE(PageText(window), u"  1  a_例題\n  2  b_top95\n  3  c_broken  ファイルを読込めません。\n"_s);
        QCOMPARE(FileBytes(folder + u"/c_broken.kzd"_s), broken);
        PuzzleFileData after;
        QVERIFY(ReadPuzzleData((folder + u"/b_top95.kzd"_s).toStdString(), after, message));
        QVERIFY(std::equal(after.values, after.values + 81, before.values));
        QVERIFY(std::equal(after.origin, after.origin + 81, before.origin));
        QCOMPARE(after.mode, before.mode);
        QVERIFY(FileBytes(folder + u"/b_top95.kzd"_s).contains("File format version 3"));
    }

    void skippingAndDiversifyingThroughTheToolsDialog() {
        Open();
        // Outside solving mode the skipper only says so.
        Paste(kEasyPuzzle);
        QString text;
        test::OnNextModal<QMessageBox>([&text](QMessageBox* box) {
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        RunTool(kSkipTrivialSteps);
        QTRY_COMPARE(text, u"解答実行中でないと実行できません。"_s);

        QTest::mouseClick(window_->findChild<QPushButton*>(u"startButton"_s), Qt::LeftButton);
        QCOMPARE(S().mode, 1);
        RunTool(kSkipTrivialSteps);
        QTRY_COMPARE(S().mode, 3);

        // A point-symmetric puzzle stays point-symmetric, with the same number of givens.
        QTest::mouseClick(window_->findChild<QPushButton*>(u"clearAllButton"_s), Qt::LeftButton);
        Paste(kPointSymmetric);
        window_->findChild<QLineEdit*>(u"nameField"_s)->setText(u"元"_s);
        S().SetName("元");
        RunTool(kDiversifyPuzzle);
        QTRY_COMPARE(QString::fromStdString(S().name), u"元_変更"_s);
        QCOMPARE(window_->findChild<QLineEdit*>(u"nameField"_s)->text(), u"元_変更"_s);
        int givens = 0;
        for (int k = 0; k < 81; ++k) {
            QCOMPARE(S().values[k] != 0, S().values[80 - k] != 0);
            givens += S().values[k] != 0;
        }
        QCOMPARE(givens, static_cast<int>(std::count_if(kPointSymmetric, kPointSymmetric + 81, [](char c) { return c != '.'; })));
        QCOMPARE(S().solutionCount, 1);
    }

    void aFinishedSeriesIsSavedUnderItsNames() {
        Open();
        const QString folder = temp_.filePath(u"series"_s);
        QDir().mkpath(folder);
        std::vector<int> numbers;
        window_->SetSeriesSearch([&numbers](const CreationRequest& request) {
            numbers.push_back(request.number * 100 + request.rank);
            CreationOutcome outcome;
            outcome.status = CreationStatus::Found;
            outcome.puzzle.value[0][0] = 1 + request.rank % 9;
            outcome.seconds = 1;
            return outcome;
        });
        test::OnNextModal<CCreateTestDlg>([](CCreateTestDlg* dialog) {
            QCOMPARE(dialog->countEdit()->text(), u"10"_s);
            dialog->findChild<NumberEdit*>(u"numberEdit"_s)->SetValue(3);
            dialog->countEdit()->setText(u"2"_s);
            dialog->findChild<QComboBox*>(u"symmetryList"_s)->setCurrentIndex(0);
            dialog->findChild<QPushButton*>(u"okButton"_s)->click();
        });
        window_->ContinuousCreation(folder);
        QCOMPARE(numbers.size(), size_t{20});
        QCOMPARE(numbers.front(), 300);
        QCOMPARE(numbers[1], 400);
        QCOMPARE(numbers.back(), 409);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 20);
        QCOMPARE(files.first(), u"自動作成_00_00003_(基本)[点対称]_3.kzd"_s);
        QCOMPARE(files.last(), u"自動作成_09_00004_(最高神)[点対称]_4.kzd"_s);
        QCOMPARE(QString::fromStdString(S().name), u"自動作成_09_00004_(最高神)[点対称]_4"_s);
        QVERIFY(window_->findChild<QPlainTextEdit*>(u"messageArea"_s)->toPlainText().endsWith(u"問題作成時間：0分 20秒"_s));
    }

    void aFailedSearchSavesWhatWasMadeBefore() {
        Open();
        const QString folder = temp_.filePath(u"failed"_s);
        QDir().mkpath(folder);
        window_->SetSeriesSearch([](const CreationRequest& request) {
            CreationOutcome outcome;
            outcome.status = request.rank < 2 ? CreationStatus::Found : CreationStatus::Failed;
            outcome.puzzle.value[0][0] = 5;
            return outcome;
        });
        test::OnNextModal<CCreateTestDlg>([](CCreateTestDlg* dialog) {
            dialog->countEdit()->setText(u"0"_s);  // one number per rank
            dialog->findChild<QPushButton*>(u"okButton"_s)->click();
        });
        QString failure;
        auto* watcher = new QTimer(this);
        connect(watcher, &QTimer::timeout, this, [&failure, watcher] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            failure = box->text();
            watcher->stop();
            box->button(QMessageBox::Ok)->click();
        });
        watcher->start(10);
        window_->ContinuousCreation(folder);
        QCOMPARE(failure, u"作成に失敗しました。"_s);
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
                 (QStringList{u"自動作成_00_00001_(基本)[点対称]_1.kzd"_s, u"自動作成_01_00001_(初級)[点対称]_1.kzd"_s}));
    }

    void aCancelledSeriesSavesNothing() {
        Open();
        const QString folder = temp_.filePath(u"cancelled"_s);
        QDir().mkpath(folder);
        std::atomic<int> searches{0};
        // Real searches for the first ranks; the third waits for the cancel.
        window_->SetSeriesSearch([&searches](const CreationRequest& request) {
            if (++searches <= 2) return CreateRated(request);
            while (!request.cancel->load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            CreationOutcome outcome;
            outcome.status = CreationStatus::Cancelled;
            return outcome;
        });
        test::OnNextModal<CCreateTestDlg>([&searches](CCreateTestDlg* dialog) {
            // Cancelled however the wait below ends, so the series never runs on.
            test::CloseOnExit closer{dialog};
            dialog->countEdit()->setText(u"1"_s);
            dialog->findChild<QPushButton*>(u"okButton"_s)->click();
            // Two real searches first: generous on a busy machine.
            QTRY_VERIFY_WITH_TIMEOUT(searches.load() >= 3, 120000);
            dialog->findChild<QPushButton*>(u"cancelButton"_s)->click();
        });
        const QString before = window_->findChild<QPlainTextEdit*>(u"messageArea"_s)->toPlainText();
        window_->ContinuousCreation(folder);
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(window_->findChild<QPlainTextEdit*>(u"messageArea"_s)->toPlainText(), before);
    }

    void reportsOpenInResultWindows() {
        Open();
        Paste(kEasyPuzzle);
        window_->findChild<QLineEdit*>(u"nameField"_s)->setText(u"手順"_s);
        S().SetName("手順");
        window_->action(u"solutionStepsItem"_s)->trigger();
        QList<CResultDlg*> windows = ResultWindows();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0]->windowTitle(), u"解答手順"_s);
        QCOMPARE(windows[0]->size(), QSize(400, 600));
        QVERIFY(PageText(windows[0]).startsWith(u"手順\n\n\n◆ 解答手順 ****"_s));
        windows[0]->close();

        std::string message;
        std::string line = "version 3.1.0,2026,01,05,9,30,例,300,100,0,250,0,0,0,0,50,16.7,";
        for (int list = 0; list < 2; ++list) {
            line += ',';
            for (int t = 0; t < 30; ++t) line += t == 2 ? "10," : " 0,";
        }
        line.pop_back();
        QVERIFY(AppendRecordLine(folders_.recordPath, line, message));
        window_->action(u"statisticsItem"_s)->trigger();
        windows = ResultWindows();
        QCOMPARE(windows.size(), 1);
        CResultDlg* stats = windows[0];
        QCOMPARE(stats->windowTitle(), u"履歴統計"_s);
        QCOMPARE(stats->PageCount(), 17);
        QCOMPARE(stats->findChild<QLabel*>(u"pageCount"_s)->text(), u"/ 17"_s);
        QVERIFY(PageText(stats).contains(u"基本      :       1|-\n"_s));
    }

    void acceleratorsWinOverTheNameField() {
        Open();
        Paste(kEasyPuzzle);
        QTest::mouseClick(window_->findChild<QPushButton*>(u"startButton"_s), Qt::LeftButton);
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(0, 0));
        Key(Qt::Key_1 + 4);  // 5, the digit of cell (0,0)
        QCOMPARE(S().values[0], 5);

        auto* name = window_->findChild<QLineEdit*>(u"nameField"_s);
        name->setFocus();
        QTRY_VERIFY(name->hasFocus());
        name->selectAll();
        QTest::keyClicks(name, u"abc"_s);
        QCOMPARE(name->text(), u"abc"_s);
        // Control+Z undoes the move, not the typing.
        Key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(S().values[0], 0);
        QCOMPARE(name->text(), u"abc"_s);
        Key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(S().values[0], 5);
        // Control+C copies the board, Control+V does not paste into the name.
        Key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().size(), 81);
        QGuiApplication::clipboard()->setText(u"not a board"_s);
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(name->text(), u"abc"_s);
        // Plain keys still edit the name.
        Key(Qt::Key_Backspace);
        QCOMPARE(name->text(), u"ab"_s);
        QCOMPARE(S().values[0], 5);
    }
};

QTEST_MAIN(DeveloperToolsTest)
#include "developer_tools_test.moc"
