// Where the windows meet, on a 1280×800 screen with a real window manager
// (openbox, under_window_manager.sh) and real pointer input (xdotool): the
// whole result of a finished play in the message area at every board size,
// and again after リヴュー; リヴュー, its hint dialog and the main window's
// hint dialog clear of the board and the clock's controls, and where the
// player moved them; help opened while リヴュー is open scrolling and taking
// clicks. With MASUVO_SCREENSHOT_DIR set the screen is written there at the
// stops worth seeing.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "session/play_session.h"
#include "tests/ui/window_driver.h"
#include "ui/help/help_window.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/review_dlg.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// Its first move, (8,2) = 2, takes two sentences, so the review offers a hint.
const char* const kPuzzle = "4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..";
const char* const kSolution = "416379258329854761857612439948126375261735894573498126734961582195287643682543917";

// The pointer of the X server, as the player moves and clicks it.
void Xdotool(const QStringList& arguments) {
    QCOMPARE(QProcess::execute(u"xdotool"_s, arguments), 0);
    QTest::qWait(150);
}

QRect Global(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

}  // namespace

class WindowSeams : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    PlaySession& S() { return window_->session(); }
    void Key(int key) { test::PressKey(window_.get(), key); }
    void Click(const QString& name) { QTest::mouseClick(window_->findChild<QPushButton*>(name), Qt::LeftButton); }
    void Type(int row, int col, int digit) {
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(row, col));
        Key(Qt::Key_0 + digit);
    }

    void Open(int size) {
        AppSettings settings;
        settings.size = size;
        window_ = std::make_unique<CKenrowDlg>(settings, folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        // The window manager has framed it.
        QTRY_VERIFY(window_->frameGeometry() != window_->geometry());
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        test::PressKey(window_.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(S().values[0], 4);
        Click(u"startButton"_s);
        QCOMPARE(S().mode, 1);
    }

    void PlayToTheEnd() {
        Type(8, 2, 2);
        for (int k = 0; k < 81; ++k)
            if (S().values[k] == 0) Type(k / 9, k % 9, kSolution[k] - '0');
        QCOMPARE(S().mode, 3);
    }

    // What the player keeps watching: the board, 一時停止, the elapsed time
    // and ヒント.
    QList<QRect> KeptInView() {
        QList<QRect> rects;
        for (const char* name : {"board", "pauseButton", "elapsedTime", "hintButton"})
            rects.append(Global(window_->clientArea()->findChild<QWidget*>(QString::fromLatin1(name))));
        return rects;
    }

    void CheckClear(const QWidget* dialog, const char* what) {
        const QRect frame = dialog->frameGeometry();
        QVERIFY2(window_->screen()->availableGeometry().contains(frame), what);
        for (const QRect& kept : KeptInView())
            QVERIFY2(!frame.intersects(kept), qPrintable(u"%1 %2 covers %3"_s.arg(QString::fromLatin1(what))
                                                             .arg(QDebug::toString(frame), QDebug::toString(kept))));
    }

    // Every line of the result in the area's view, none below its fold
    // (the last move's text above it may have scrolled away), and the area
    // itself on the screen.
    void CheckWholeResultInView(const QString& expected) {
        auto* area = window_->findChild<QPlainTextEdit*>(u"messageArea"_s);
        QCOMPARE(area->toPlainText(), expected);
        QTextCursor first(area->document());
        first.setPosition(static_cast<int>(expected.indexOf(u"すべて完成しました。"_s)));
        first.movePosition(QTextCursor::StartOfLine);
        QTextCursor last(area->document());
        last.movePosition(QTextCursor::End);
        QVERIFY(area->cursorRect(first).top() >= 0);
        QVERIFY(area->cursorRect(last).bottom() <= area->viewport()->height());
        QVERIFY(window_->screen()->availableGeometry().contains(Global(area)));
    }

    void Screenshot(const QString& name) {
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        QTest::qWait(300);
        QProcess::execute(u"import"_s, {u"-window"_s, u"root"_s, folder + u'/' + name + u".png"_s});
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        CHelpWindow::SetHelpFolder(QStringLiteral(MASUVO_HELP_DIR));
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1280, 800));
    }

    void cleanup() {
        CHelpWindow::CloseCurrent();
        window_.reset();
        QSettings(u"Vardelle"_s, QCoreApplication::applicationName()).remove(u"Placement"_s);
    }

    void theResultInViewAndTheReviewBesideTheBoard_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("80%") << 40;
        QTest::newRow("100%") << 50;
        QTest::newRow("120%") << 60;
    }

    void theResultInViewAndTheReviewBesideTheBoard() {
        QFETCH(int, size);
        Open(size);
        PlayToTheEnd();
        auto* area = window_->findChild<QPlainTextEdit*>(u"messageArea"_s);
        const QString result = area->toPlainText();
        QVERIFY2(result.contains(u"すべて完成しました。\n難易度："_s), qPrintable(result));
        QVERIFY(result.contains(u"実行度："_s));
        CheckWholeResultInView(result);
        if (size == 50) Screenshot(u"completion_result"_s);

        bool ran = false;
        QTimer::singleShot(0, window_.get(), [&] {
            CReviewDlg* review = window_->reviewDialog();
            if (review == nullptr) return;
            test::CloseOnExit closer{review};
            QVERIFY(QTest::qWaitForWindowExposed(review));
            QTest::qWait(200);
            CheckClear(review, "リヴュー");
            // Every column in view without scrolling sideways.
            QCOMPARE(review->list()->horizontalScrollBar()->maximum(), 0);

            review->list()->setCurrentItem(review->list()->topLevelItem(0));
            QVERIFY(review->hintButton()->isEnabled());
            review->hintButton()->click();
            CHintDlg* hint = window_->hintDialog();
            QVERIFY(hint != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(hint));
            QTest::qWait(200);
            CheckClear(hint, "リヴュー's hint dialog");
            Screenshot(u"review_beside_board_%1"_s.arg(size * 2));

            // Help from the review, used with the real pointer while the
            // review is still open and modal.
            CHelpWindow* help = CHelpWindow::OpenTopic(u"問題の解法_隠れた数字.htm"_s);
            QVERIFY(help != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(help));
            QTRY_COMPARE(QApplication::activeWindow(), help);
            QTextBrowser* browser = help->browser();
            QTRY_VERIFY(browser->verticalScrollBar()->maximum() > 0);
            const QPoint middle = Global(browser->viewport()).center();
            Xdotool({u"mousemove"_s, QString::number(middle.x()), QString::number(middle.y())});
            Xdotool({u"click"_s, u"--repeat"_s, u"3"_s, u"5"_s});
            QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
            // A click on a contents entry opens its page.
            const QString page = help->CurrentPage();
            QTreeWidget* contents = help->contents();
            const QRect entry = contents->visualItemRect(contents->topLevelItem(0));
            const QPoint at = contents->viewport()->mapToGlobal(entry.center());
            Xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s, u"1"_s});
            QTRY_VERIFY(help->CurrentPage() != page);
            QCOMPARE(QApplication::activeWindow(), help);
            if (size == 50) Screenshot(u"help_over_review"_s);
            CHelpWindow::CloseCurrent();
            ran = true;
            review->accept();
        });
        Click(u"reviewButton"_s);
        QVERIFY(ran);
        // The score is back, whole.
        CheckWholeResultInView(result);
    }

    void theHintDialogBesideTheBoardAndWhereThePlayerPutsIt_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("80%") << 40;
        QTest::newRow("100%") << 50;
        QTest::newRow("120%") << 60;
    }

    void theHintDialogBesideTheBoardAndWhereThePlayerPutsIt() {
        QFETCH(int, size);
        Open(size);
        Click(u"hintButton"_s);
        CHintDlg* hint = window_->hintDialog();
        QVERIFY(hint != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(hint));
        QTest::qWait(200);
        CheckClear(hint, "the hint dialog");
        if (size == 50) Screenshot(u"hint_beside_board"_s);

        // The player drags it elsewhere by its title bar; the next hint
        // dialog opens there.
        const QRect frame = hint->frameGeometry();
        const QPoint title(frame.center().x(), frame.top() + (hint->geometry().top() - frame.top()) / 2);
        Xdotool({u"mousemove"_s, QString::number(title.x()), QString::number(title.y()), u"mousedown"_s, u"1"_s});
        Xdotool({u"mousemove"_s, QString::number(title.x() - 40), QString::number(title.y() + 300)});
        Xdotool({u"mousemove"_s, QString::number(title.x() - 80), QString::number(title.y() + 320), u"mouseup"_s, u"1"_s});
        QTRY_VERIFY((hint->frameGeometry().topLeft() - frame.topLeft()).manhattanLength() > 100);
        const QPoint moved = hint->frameGeometry().topLeft();
        hint->closeButton()->click();
        QTRY_VERIFY(window_->hintDialog() == nullptr);

        Click(u"hintButton"_s);
        hint = window_->hintDialog();
        QVERIFY(hint != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(hint));
        QTRY_COMPARE(hint->frameGeometry().topLeft(), moved);
    }

    // The window has one size per board size: the window manager offers no
    // maximise or resize for it, and a double click on its title bar (the
    // usual way to maximise) leaves it as it was. openbox still draws its
    // maximise button, in the theme's disabled look, unless hideDisabled is
    // set; a click on it does nothing either.
    void theFixedSizeWindowIsNeitherMaximisedNorResized() {
        Open(50);
        QProcess xprop;
        xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window_->winId()), u"_NET_WM_ALLOWED_ACTIONS"_s});
        QVERIFY(xprop.waitForFinished());
        const QString actions = QString::fromLatin1(xprop.readAllStandardOutput());
        QVERIFY2(actions.contains(u"_NET_WM_ACTION_MOVE"_s), qPrintable(actions));
        for (const QString& offered : {u"MAXIMIZE_HORZ"_s, u"MAXIMIZE_VERT"_s, u"_NET_WM_ACTION_RESIZE"_s})
            QVERIFY2(!actions.contains(offered), qPrintable(actions));

        const QRect before = window_->frameGeometry();
        const QPoint title(before.center().x(), before.top() + (window_->geometry().top() - before.top()) / 2);
        Xdotool({u"mousemove"_s, QString::number(title.x()), QString::number(title.y()), u"click"_s, u"--repeat"_s,
                 u"2"_s, u"--delay"_s, u"80"_s, u"1"_s});
        QTest::qWait(500);
        QCOMPARE(window_->frameGeometry(), before);
        QVERIFY(!window_->isMaximized());
    }
};

QTEST_MAIN(WindowSeams)
#include "window_seams_e2e.moc"
