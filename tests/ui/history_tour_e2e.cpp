// The history end to end under a real X server (xvfb-run, QT_QPA_PLATFORM
// xcb): the program started as it starts for a player, a puzzle finished by
// typing, リヴュー opened with its button and stepped through with a move's
// hint shown, then 履歴管理 and 履歴統計 from the ツール menu, 解答手順, and
// the developer tools dialog from the Control+Q, X, J sequence. With
// MASUVO_SCREENSHOT_DIR set the stops are written there as PNG files
// (docs/screenshots is made this way).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "records/record_file.h"
#include "session/play_session.h"
#include "ui/dialogs/developer_dlg.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/record_dlg.h"
#include "ui/dialogs/result_dlg.h"
#include "ui/dialogs/review_dlg.h"
#include "tests/ui/window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// Its first move takes two sentences (隠れた数字 and ブロック内の配置).
const char* const kPuzzle = "4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..";
const char* const kSolution = "416379258329854761857612439948126375261735894573498126734961582195287643682543917";

// Earlier plays of several ranks and months, so the statistics have bars.
std::string EarlierRecord(int month, const char* name, int difficulty, int seconds, int hints) {
    std::string line = "version 3.1.0,2026," + std::to_string(100 + month).substr(1) + ",14,20,05," + name + "," +
                       std::to_string(difficulty) + ",300,0," + std::to_string(seconds) + "," + std::to_string(hints) +
                       ",0,0,0," + std::to_string(difficulty - seconds) + ",10.0,";
    for (int list = 0; list < 2; ++list) {
        line += ',';
        for (int t = 0; t < 30; ++t) line += t < 5 ? "12," : (t == 5 + month % 4 ? " 2," : " 0,");
    }
    line.pop_back();
    return line;
}

}  // namespace

class HistoryTour : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    std::unique_ptr<CKenrowApp> app_;
    CKenrowDlg* window_ = nullptr;

    PlaySession& S() { return window_->session(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { test::PressKey(window_, key, modifiers); }
    void Type(int row, int col, int digit) {
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(row, col));
        Key(Qt::Key_0 + digit);
    }
    void Click(QWidget* parent, const QString& name) {
        auto* button = parent->findChild<QPushButton*>(name);
        QVERIFY2(button != nullptr, qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // What the screen shows of a rectangle around the given windows.
    QImage Shot(const QString& name, const QList<QWidget*>& windows) {
        QCoreApplication::processEvents();
        QTest::qWait(200);
        QRect area;
        for (QWidget* w : windows) area |= w->frameGeometry();
        QImage image = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        // Without a window manager the screen holds what was mapped; a window
        // that has not reached the server yet is drawn from itself.
        if (image.isNull() || image.size() != area.size()) {
            image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            for (QWidget* w : windows) painter.drawImage(w->mapToGlobal(QPoint(0, 0)) - area.topLeft(), w->grab().toImage());
        }
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            if (!image.save(folder + u'/' + name + u".png"_s)) qWarning() << "cannot write" << name;
        }
        return image;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        app_ = std::make_unique<CKenrowApp>(
            CKenrowApp::Paths{temp_.filePath(u"Documents"_s), temp_.filePath(u"program"_s)});
        window_ = &app_->InitInstance();
        window_->move(30, 30);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        std::string message;
        const std::string path = app_->folders().recordPath;
        for (const auto& [month, name, difficulty, seconds, hints] :
             {std::tuple{11, "例題_基本_1", 380, 410, 0}, std::tuple{11, "例題_初級_1", 700, 650, 1},
              std::tuple{12, "例題_中級_1", 1550, 1320, 0}, std::tuple{12, "例題_上級_2", 2390, 2900, 3},
              std::tuple{12, "例題_基本_2", 420, 300, 0}})
            QVERIFY2(AppendRecordLine(path, EarlierRecord(month, name, difficulty, seconds, hints), message),
                     message.c_str());
    }

    void cleanupTestCase() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CResultDlg*>(w) != nullptr) w->close();
        window_->close();
        app_->ExitInstance();
    }

    void finishAPuzzle() {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
        Click(window_, u"startButton"_s);
        QCOMPARE(S().mode, 1);
        Type(8, 2, 2);
        Click(window_, u"hintButton"_s);
        Click(window_, u"executeHintButton"_s);
        for (int k = 0; k < 81; ++k)
            if (S().values[k] == 0) Type(k / 9, k % 9, kSolution[k] - '0');
        QCOMPARE(S().mode, 3);
        std::vector<std::string> lines;
        std::string message;
        QVERIFY(ReadRecordLines(app_->folders().recordPath, lines, message));
        QCOMPARE(lines.size(), size_t{7});  // the header, five earlier plays and this one
    }

    void reviewTheMoves() {
        bool reviewed = false;
        test::OnNextModal<CReviewDlg>([&](CReviewDlg* dialog) {
            test::CloseOnExit closer{dialog};
            const int moves = dialog->list()->topLevelItemCount();
            QCOMPARE(moves, static_cast<int>(S().log.size()) - 1);
            // Through the moves with 次＞ and back with ＜前.
            for (int k = 1; k <= 3; ++k) {
                Click(dialog, u"nextButton"_s);
                QCOMPARE(dialog->SelectedNumber(), k);
                QVERIFY(std::equal(S().values, S().values + 81, S().log[static_cast<size_t>(k - 1)].values));
            }
            Click(dialog, u"previousButton"_s);
            Click(dialog, u"previousButton"_s);
            QCOMPARE(dialog->SelectedNumber(), 1);
            // The first move's two sentences in the review's hint dialog, the overlay on the board.
            QVERIFY(dialog->hintButton()->isEnabled());
            Click(dialog, u"reviewHintButton"_s);
            QTRY_VERIFY(window_->hintDialog() != nullptr && window_->hintDialog()->isVisible());
            QCOMPARE(S().hintRow, 8);
            QCOMPARE(S().hintStep, 0);
            Shot(u"review_hint"_s, {window_, dialog});
            reviewed = true;
            Click(dialog, u"okButton"_s);
        });
        Click(window_, u"reviewButton"_s);
        QVERIFY(reviewed);
        QVERIFY(window_->hintDialog() == nullptr);
        for (int k = 0; k < 81; ++k) QCOMPARE(S().values[k], kSolution[k] - '0');
    }

    void manageTheHistory() {
        bool listed = false;
        test::OnNextModal<CRecordDlg>([&](CRecordDlg* dialog) {
            test::CloseOnExit closer{dialog};
            auto* list = dialog->findChild<QTreeWidget*>(u"recordList"_s);
            QCOMPARE(list->topLevelItemCount(), 6);
            QCOMPARE(list->topLevelItem(5)->text(4), QString::fromStdString(S().name));
            listed = true;
            Click(dialog, u"cancelButton"_s);
        });
        window_->action(u"recordsItem"_s)->trigger();
        QVERIFY(listed);
    }

    void historyStatistics() {
        auto* stats = qobject_cast<CResultDlg*>(window_->OnAnalyze());
        QVERIFY(stats != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(stats));
        QCOMPARE(stats->PageCount(), 17);
        const QString page = stats->findChild<QPlainTextEdit*>(u"resultText"_s)->toPlainText();
        QVERIFY(page.contains(u"基本      :       2|--\n"_s));
        stats->move(60, 40);
        Shot(u"statistics"_s, {stats});
        stats->close();
    }

    void solutionStepsAndTheToolsDialog() {
        KR_base puzzle;
        for (int k = 0; k < 81; ++k) puzzle.value[k / 9][k % 9] = kPuzzle[k] == '.' ? 0 : kPuzzle[k] - '0';
        window_->LoadCreatedPuzzle(puzzle, "自動作成(中級)[点対称]_7", 1);
        auto* steps = window_->OnSolutionSteps();
        QVERIFY(QTest::qWaitForWindowExposed(steps));
        QVERIFY(steps->findChild<QPlainTextEdit*>(u"resultText"_s)->toPlainText().contains(u"◆ サマリ"_s));
        steps->move(60, 40);
        Shot(u"steps_report"_s, {steps});
        steps->close();

        bool opened = false;
        test::OnNextModal<CDeveloperDlg>([&](CDeveloperDlg* dialog) {
            test::CloseOnExit closer{dialog};
            opened = true;
            dialog->move(window_->mapToGlobal(QPoint(420, 200)));
            QTest::qWait(100);
            Shot(u"developer_tools"_s, {window_, dialog});
        });
        Key(Qt::Key_Q, Qt::ControlModifier);
        Key(Qt::Key_X, Qt::ControlModifier);
        Key(Qt::Key_J, Qt::ControlModifier);
        QVERIFY(opened);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    HistoryTour tour;
    return QTest::qExec(&tour, argc, argv);
}

#include "history_tour_e2e.moc"
