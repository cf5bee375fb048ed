// The help end to end under a real X server (xvfb-run, QT_QPA_PLATFORM xcb),
// on the pages shipped with the program: the popup of a hint's techniques
// over the hint dialog, a technique page with its picture chosen from it,
// the operation pages from the main window's popup, and ヘルプを起動. With
// MASUVO_SCREENSHOT_DIR set the stops are written there as PNG files.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <memory>

#include "session/play_session.h"
#include "tests/ui/window_driver.h"
#include "ui/dialogs/create_dialog.h"
#include "ui/help/help_popup.h"
#include "ui/help/help_window.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_dlg.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// Its first hint takes seven sentences: 隠れた数字, 定員確定 and more.
const char* const kPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

}  // namespace

class HelpTour : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { test::PressKey(window_.get(), key, modifiers); }

    // What the screen shows of the windows, each drawn from itself where the
    // screen has not got it yet.
    QImage Shot(const QString& name, const QList<QWidget*>& windows) {
        QCoreApplication::processEvents();
        QTest::qWait(300);
        QRect area;
        for (QWidget* w : windows) area |= w->frameGeometry();
        QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(60, 60, 60));
        {
            QPainter painter(&image);
            for (QWidget* w : windows) {
                const QImage part = w == windows.back() && qobject_cast<CHelpDlg*>(w) != nullptr
                                        ? static_cast<CHelpDlg*>(w)->Render()
                                        : w->grab().toImage();
                painter.drawImage(w->mapToGlobal(QPoint(0, 0)) - area.topLeft(), part);
            }
        }
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            if (!image.save(folder + u'/' + name + u".png"_s)) qWarning() << "cannot write" << name;
        }
        return image;
    }
    void MoveOver(CHelpDlg* popup, int row) {
        const QPointF at(40, 24 * row + 12);
        QMouseEvent move(QEvent::MouseMove, at, popup->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(popup, &move);
    }
    void Choose(CHelpDlg* popup, int row) {
        MoveOver(popup, row);
        const QPointF at(40, 24 * row + 12);
        QMouseEvent press(QEvent::MouseButtonPress, at, popup->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(popup, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, popup->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(popup, &release);
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        CHelpWindow::SetHelpFolder(QStringLiteral(MASUVO_HELP_DIR));
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->move(20, 20);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanupTestCase() {
        CHelpDlg::CloseOpen();
        CHelpWindow::CloseCurrent();
        window_.reset();
    }

    void aHintsTechniquesOpenTheirPages() {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(window_->findChild<QPushButton*>(u"startButton"_s), Qt::LeftButton);
        QTest::mouseClick(window_->findChild<QPushButton*>(u"hintButton"_s), Qt::LeftButton);
        CHintDlg* hint = window_->hintDialog();
        QVERIFY(hint != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(hint));
        const QPoint at = hint->list()->viewport()->rect().center();
        QTest::mouseClick(hint->list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        CHelpDlg* popup = CHelpDlg::Current();
        QVERIFY(popup != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        MoveOver(popup, 1);
        Shot(u"help_popup"_s, {window_.get(), hint, popup});

        const std::string first = popup->Topics().front().name;
        Choose(popup, 1);
        CHelpWindow* help = CHelpWindow::Current();
        QVERIFY2(help != nullptr, first.c_str());
        QCOMPARE(help->CurrentPage(), QString::fromStdString("問題の解法_" + first + ".htm"));
        QVERIFY(QTest::qWaitForWindowExposed(help));
        // The page's board picture is there.
        QVERIFY(help->browser()->toHtml().contains(u"<img"_s));
        help->move(60, 30);
        // The page scrolled to its first picture.
        QTextDocument* page = help->browser()->document();
        for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
            bool picture = false;
            for (auto it = block.begin(); !it.atEnd() && !picture; ++it)
                picture = it.fragment().charFormat().isImageFormat();
            if (!picture) continue;
            QTextCursor cursor(block);
            help->browser()->moveCursor(QTextCursor::End);
            help->browser()->setTextCursor(cursor);
            help->browser()->ensureCursorVisible();
            break;
        }
        Shot(u"help_window"_s, {help});
    }

    // Brings the first block holding `text` to the top of the page.
    static void ScrollTo(CHelpWindow* help, const QString& text) {
        QTextBrowser* browser = help->browser();
        const QTextCursor found = browser->document()->find(text);
        QVERIFY2(!found.isNull(), qPrintable(text));
        QTextCursor at(found.block());
        browser->setTextCursor(at);
        const int top = browser->cursorRect(at).top() + browser->verticalScrollBar()->value();
        browser->verticalScrollBar()->setValue(top - 8);
    }

    // A technique page read as a learner reads it: the picture's walk-through,
    // then the practice position with its answer first hidden, then shown.
    void aPageWalksThroughItsExampleAndHidesThePracticeAnswer() {
        CHelpWindow* help = CHelpWindow::OpenTopic(u"問題の解法_隠れた数字.htm"_s);
        QVERIFY(help != nullptr);
        help->move(60, 30);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        ScrollTo(help, u"読み解き"_s);
        Shot(u"help_walkthrough"_s, {help});

        help = CHelpWindow::OpenTopic(u"問題の解法_三すくみ.htm"_s);
        QVERIFY(help != nullptr);
        help->move(60, 30);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        ScrollTo(help, u"読み解き"_s);
        Shot(u"help_walkthrough_sansukumi"_s, {help});

        ScrollTo(help, u"練習問題："_s);
        const QString hidden = help->browser()->toPlainText();
        const qsizetype practice = hidden.indexOf(u"練習問題："_s);
        QVERIFY(hidden.indexOf(u"答えを見る"_s, practice) > practice);
        QVERIFY(hidden.indexOf(u"答え：セル"_s, practice) < 0);
        QSignalSpy drills(&CHelpWindow::Links(), &HelpLinks::practiceRequested);
        help->FollowLink(QUrl(u"answer:practice_sansukumi"_s));
        const QString shown = help->browser()->toPlainText();
        QVERIFY(shown.indexOf(u"答え：セル"_s, practice) > practice);
        ScrollTo(help, u"答えを隠す"_s);
        Shot(u"help_practice_answer"_s, {help});
        // 練習 asks for drills of 三すくみ, catalogue entry 20.
        // A main window answers 練習 with drills of the technique: stop them.
        help->FollowLink(QUrl(u"practice:20"_s));
        QCOMPARE(drills.size(), 1);
        QCOMPARE(drills.at(0).at(0).toInt(), 20);
        QVERIFY(window_->practiceRun() != nullptr);
        window_->StopPractice();

        help = CHelpWindow::OpenTopic(u"はじめての方へ.htm"_s);
        QVERIFY(help != nullptr);
        help->move(60, 30);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QVERIFY(help->browser()->toPlainText().contains(u"解法を覚える順番"_s));
        Shot(u"help_first_steps"_s, {help});
    }

    void theOperationPagesFromTheMainWindow() {
        CHelpWindow::CloseCurrent();
        QWidget* client = window_->clientArea();
        QTest::mouseClick(client, Qt::RightButton, Qt::NoModifier, QPoint(client->width() - 30, client->height() - 10));
        CHelpDlg* popup = CHelpDlg::Current();
        QVERIFY(popup != nullptr);
        Choose(popup, 2);
        QVERIFY(CHelpWindow::Current() != nullptr);
        QCOMPARE(CHelpWindow::Current()->CurrentPage(), u"操作方法_解答の方法.htm"_s);
        window_->action(u"helpItem"_s)->trigger();
        QCOMPARE(CHelpWindow::Current()->CurrentPage(), u"操作方法_解答の方法.htm"_s);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    HelpTour tour;
    return QTest::qExec(&tour, argc, argv);
}

#include "help_tour_e2e.moc"
