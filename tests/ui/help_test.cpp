// The help popup and the help window: the popup's size, rows, shades and
// choices; one popup at a time; where each window opens it; the help window
// on a topic, a second topic replacing it, ヘルプを起動 raising it, a missing
// page opening nothing, the contents list and the links between pages.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
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

// Its first hint takes seven sentences.
const char* const kLongHintPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

void WriteFile(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

QStringList Names(const CHelpDlg* popup) {
    QStringList names;
    for (const HelpTopic& topic : popup->Topics()) names << QString::fromStdString(topic.name);
    return names;
}

// A mouse event sent straight to the popup, at a point in 96-dpi units.
void Mouse(CHelpDlg* popup, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, at, popup->mapToGlobal(at), changed, held, Qt::NoModifier);
    QApplication::sendEvent(popup, &event);
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    QString pages_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;
    QStringList opened_;

    CKenrowDlg& Open() {
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { test::PressKey(window_.get(), key, modifiers); }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        // A small help of its own: a start page, two topics and a picture.
        pages_ = temp_.filePath(u"help"_s);
        QDir().mkpath(pages_ + u"/images"_s);
        WriteFile(pages_ + u"/index.htm"_s,
                  u"<html><body><h1>ようこそ</h1><a href=\"操作方法_解答の方法.htm\">解答</a></body></html>"_s);
        WriteFile(pages_ + u"/操作方法_解答の方法.htm"_s,
                  u"<html><body><h1>解答の方法</h1><img src=\"images/board.png\"><a href=\"index.htm\">戻る</a></body></html>"_s);
        WriteFile(pages_ + u"/問題の解法_隠れた数字.htm"_s,
                  u"<html><body><h1>隠れた数字</h1><p><a href=\"practice:5\">練習</a></p>"
                  "<p>問題</p><!-- answer p1 --><p>答えはセル(2,3)の 4</p><!-- /answer --><p>終わり</p></body></html>"_s);
        WriteFile(pages_ + u"/contents.txt"_s,
                  u"index.htm\tはじめに\n  操作方法_解答の方法.htm\t解答の方法\n  問題の解法_隠れた数字.htm\t隠れた数字\n"_s);
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(pages_ + u"/images/board.png"_s));
        CHelpWindow::SetHelpFolder(pages_);
    }

    void init() { opened_.clear(); }

    void cleanup() {
        CHelpDlg::CloseOpen();
        CHelpWindow::CloseCurrent();
        CHelpDlg::SetPageOpener([](const QString& page) { CHelpWindow::OpenTopic(page); });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window_.reset();
    }

    void popupGeometryRowsAndChoices() {
        CHelpDlg::SetPageOpener([this](const QString& page) { opened_ << page; });
        QPointer<CHelpDlg> first = CHelpDlg::Open(QPoint(100, 100), {{"問題の作成", "a.htm"}, {"解答の方法", "b.htm"}}, 1.0, 1.0, nullptr);
        QCOMPARE(first->size(), QSize(147, 75));
        // A second popup replaces the first; sizes scale with the display.
        QCOMPARE(CHelpDlg::Open(QPoint(0, 0), {{"x", "x.htm"}}, 1.5, 1.5, nullptr)->size(), QSize(220, 76));
        QVERIFY(first.isNull() || !first->isVisible());
        CHelpDlg* popup = CHelpDlg::Open(QPoint(100, 100), {{"問題の作成", "a.htm"}, {"解答の方法", "b.htm"}}, 1.0, 1.0, nullptr);

        // Rows are 24 high; the header row and the 4-pixel edge are no topic.
        const struct {
            QPointF at;
            int hot;
        } rows[] = {{{50, 10}, 0}, {{50, 30}, 1}, {{50, 60}, 2}, {{2, 30}, 0}, {{145, 30}, 0}, {{50, 70}, 0}};
        for (const auto& row : rows) {
            Mouse(popup, QEvent::MouseMove, row.at);
            QCOMPARE(popup->HotRow(), row.hot);
        }

        // The hot row's shade, darker while pressed; the line under the header.
        Mouse(popup, QEvent::MouseMove, {50, 30});
        QCOMPARE(popup->Render().pixelColor(70, 36), QColor(0xE0, 0xE0, 0xE0));
        Mouse(popup, QEvent::MouseButtonPress, {50, 30});
        QVERIFY(popup->Pressed());
        QCOMPARE(popup->Render().pixelColor(70, 36), QColor(0xD0, 0xD0, 0xD0));
        QCOMPARE(popup->Render().pixelColor(100, 24), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(popup->Render().pixelColor(145, 30), QColor(0xA0, 0xA0, 0xA0));
        QCOMPARE(popup->Render().pixelColor(10, 60), QColor(0xF0, 0xF0, 0xF0));

        // Released over the header: nothing, the popup stays.
        Mouse(popup, QEvent::MouseMove, {50, 10});
        Mouse(popup, QEvent::MouseButtonRelease, {50, 10});
        QVERIFY(!popup->Pressed());
        QCOMPARE(CHelpDlg::Current(), popup);
        QVERIFY(opened_.isEmpty());

        // Released over a topic (either button): its page, and the popup goes.
        Mouse(popup, QEvent::MouseMove, {50, 55});
        Mouse(popup, QEvent::MouseButtonPress, {50, 55}, Qt::RightButton);
        Mouse(popup, QEvent::MouseButtonRelease, {50, 55}, Qt::RightButton);
        QCOMPARE(opened_, QStringList{u"b.htm"_s});
        QVERIFY(CHelpDlg::Current() == nullptr);
    }

    void leavingClearsTheHotRowAndPressesElsewhereClose() {
        Open();
        CHelpDlg* popup = CHelpDlg::Open(QPoint(100, 100), {{"a", "a.htm"}}, 1.0, 1.0, window_.get());
        Mouse(popup, QEvent::MouseMove, {50, 30});
        QCOMPARE(popup->HotRow(), 1);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(popup, &leave);
        QCOMPARE(popup->HotRow(), 0);
        // A click in the owner still acts, and closes the popup.
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(2, 3));
        QVERIFY(CHelpDlg::Current() == nullptr);
        QCOMPARE(window_->session().selRow, 2);
    }

    void eachWindowOffersItsTopics() {
        CKenrowDlg& w = Open();
        // The main window, outside the board.
        QTest::mouseClick(w.clientArea(), Qt::RightButton, Qt::NoModifier, QPoint(w.clientArea()->width() - 20, 5));
        QVERIFY(CHelpDlg::Current() != nullptr);
        QCOMPARE(Names(CHelpDlg::Current()), (QStringList{u"問題の作成"_s, u"解答の方法"_s}));
        QCOMPARE(CHelpDlg::Current()->Topics()[1].page, std::string("操作方法_解答の方法.htm"));

        // The hint dialog: one topic per distinct technique.
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kLongHintPuzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(w.findChild<QPushButton*>(u"startButton"_s), Qt::LeftButton);
        QTest::mouseClick(w.findChild<QPushButton*>(u"hintButton"_s), Qt::LeftButton);
        CHintDlg* hint = w.hintDialog();
        QVERIFY(hint != nullptr);
        QTest::mouseClick(hint->list()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(CHelpDlg::Current() != nullptr);
        QStringList names = Names(CHelpDlg::Current());
        QVERIFY(!names.isEmpty());
        QCOMPARE(names.removeDuplicates(), 0);
        for (const QString& name : names) QVERIFY2(!name.contains(u'(') && !name.back().isDigit(), qPrintable(name));
        // A left click in the hint dialog closes it.
        QTest::mouseClick(hint->list()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QVERIFY(CHelpDlg::Current() == nullptr);

        // The creation dialog in its normal mode; not in the difficult one.
        CCreateDlg create(1, 0, 0, false, &w);
        create.show();
        QTest::mouseClick(create.findChild<QComboBox*>(u"rankList"_s), Qt::RightButton);
        QVERIFY(CHelpDlg::Current() != nullptr);
        QCOMPARE(Names(CHelpDlg::Current()), QStringList{u"問題自動作成"_s});
        QCOMPARE(CHelpDlg::Current()->Topics()[0].page, std::string("操作方法_問題自動作成について.htm"));
        QTest::mouseClick(&create, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(CHelpDlg::Current() == nullptr);
        CCreateDlg difficult(1, 0, 0, true, &w);
        difficult.show();
        QTest::mouseClick(&difficult, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(CHelpDlg::Current() == nullptr);
    }

    void topicsOpenAFreshHelpWindow() {
        CHelpWindow* first = CHelpWindow::OpenTopic(u"操作方法_解答の方法.htm"_s);
        QVERIFY(first != nullptr);
        QCOMPARE(first->windowTitle(), u"マスヴォ ヘルプ"_s);
        QCOMPARE(first->CurrentPage(), u"操作方法_解答の方法.htm"_s);
        QVERIFY(first->browser()->toPlainText().contains(u"解答の方法"_s));
        QVERIFY(first->contents()->currentItem() != nullptr);
        QCOMPARE(first->contents()->currentItem()->text(0), u"解答の方法"_s);
        QPointer<CHelpWindow> old = first;

        // A second topic closes the first window and opens a new one.
        CHelpWindow* second = CHelpWindow::OpenTopic(u"問題の解法_隠れた数字.htm"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull() || !old->isVisible());
        QVERIFY(second != first || old.isNull());
        QCOMPARE(CHelpWindow::Current(), second);
        QCOMPARE(second->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);

        // ヘルプを起動 brings the open one to the front, on its page.
        QCOMPARE(CHelpWindow::OpenStart(), second);
        QCOMPARE(second->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);

        // A page that does not exist: nothing opens (and the old one is gone).
        QVERIFY(CHelpWindow::OpenTopic(u"問題の解法_ない.htm"_s) == nullptr);
        QVERIFY(CHelpWindow::OpenTopic(u"../help/index.htm"_s) == nullptr);
        QVERIFY(CHelpWindow::Current() == nullptr);

        // Without a window, ヘルプを起動 opens the start page.
        CHelpWindow* start = CHelpWindow::OpenStart();
        QVERIFY(start != nullptr);
        QCOMPARE(start->CurrentPage(), u"index.htm"_s);
        QCOMPARE(start->contents()->topLevelItemCount(), 1);
        QCOMPARE(start->contents()->topLevelItem(0)->childCount(), 2);
    }

    // A modal dialog blocks every window outside its family: help opened
    // while one is open joins it (usable, in front of it) and stands alone
    // again, still open on its page, once the dialog has closed.
    void helpStaysUsableBesideAModalDialog() {
        QDialog dialog;
        dialog.setWindowTitle(u"リヴュー"_s);
        QPointer<CHelpWindow> help;
        bool checked = false;
        QTimer::singleShot(50, &dialog, [&] {
            help = CHelpWindow::OpenTopic(u"問題の解法_隠れた数字.htm"_s);
            QVERIFY(help != nullptr);
            QVERIFY(help->isVisible());
            QWindow* modal = QGuiApplication::modalWindow();
            QVERIFY(modal != nullptr);
            // Qt's own rule for a window that a modal window does not block.
            QVERIFY(help->windowHandle() != nullptr);
            QVERIFY(modal->isAncestorOf(help->windowHandle(), QWindow::IncludeTransients));
            QVERIFY(help->isWindow());
            // ヘルプを起動 from the dialog keeps the same window.
            QCOMPARE(CHelpWindow::OpenStart(), help.data());
            checked = true;
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(checked);
        QVERIFY(!help.isNull());
        QVERIFY(help->isVisible());
        QVERIFY(help->parentWidget() == nullptr);
        QCOMPARE(help->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);
        CHelpWindow::CloseCurrent();
    }

    void linksContentsBackAndForward() {
        CHelpWindow* help = CHelpWindow::OpenTopic(u"index.htm"_s);
        QVERIFY(help != nullptr);
        help->browser()->setSource(QUrl(u"操作方法_解答の方法.htm"_s));
        QCOMPARE(help->CurrentPage(), u"操作方法_解答の方法.htm"_s);
        // The picture of the page was found beside it.
        QVERIFY(!help->browser()->document()->resource(QTextDocument::ImageResource, QUrl(u"images/board.png"_s)).isNull());
        auto* back = help->findChild<QToolButton*>(u"helpBack"_s);
        QVERIFY(back->isEnabled());
        back->click();
        QCOMPARE(help->CurrentPage(), u"index.htm"_s);
        help->findChild<QToolButton*>(u"helpForward"_s)->click();
        QCOMPARE(help->CurrentPage(), u"操作方法_解答の方法.htm"_s);
        // The contents list opens its pages.
        QTreeWidgetItem* topic = help->contents()->topLevelItem(0)->child(1);
        emit help->contents()->itemClicked(topic, 0);
        QCOMPARE(help->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);
        help->findChild<QToolButton*>(u"helpHome"_s)->click();
        QCOMPARE(help->CurrentPage(), u"index.htm"_s);
    }

    // 練習 asks for drills of its technique; 答えを見る shows the hidden
    // answer and 答えを隠す hides it again, on that page only.
    void practiceAndAnswerLinks() {
        CHelpWindow* help = CHelpWindow::OpenTopic(u"問題の解法_隠れた数字.htm"_s);
        QVERIFY(help != nullptr);
        QSignalSpy asked(help, &CHelpWindow::practiceRequested);
        QSignalSpy relayed(&CHelpWindow::Links(), &HelpLinks::practiceRequested);
        const QString before = help->browser()->toPlainText();
        QVERIFY(before.contains(u"答えを見る"_s));
        QVERIFY(!before.contains(u"セル(2,3)"_s));
        QVERIFY(before.contains(u"終わり"_s));

        // A main window answers 練習 with 問題自動作成 on the technique: close it.
        QTimer::singleShot(0, this, [] {
            if (auto* dialog = qobject_cast<CCreateDlg*>(QApplication::activeModalWidget())) dialog->reject();
        });
        help->FollowLink(QUrl(u"practice:5"_s));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).at(0).toInt(), 5);
        QCOMPARE(relayed.size(), 1);
        help->FollowLink(QUrl(u"practice:x"_s));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(help->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);

        help->FollowLink(QUrl(u"answer:p1"_s));
        QVERIFY(help->AnswerShown(u"p1"_s));
        QVERIFY(help->browser()->toPlainText().contains(u"答えはセル(2,3)の 4"_s));
        QVERIFY(help->browser()->toPlainText().contains(u"答えを隠す"_s));
        QCOMPARE(help->CurrentPage(), u"問題の解法_隠れた数字.htm"_s);
        help->FollowLink(QUrl(u"answer:p1"_s));
        QVERIFY(!help->browser()->toPlainText().contains(u"セル(2,3)"_s));

        // Page links still go to their pages.
        help->FollowLink(QUrl(u"index.htm"_s));
        QCOMPARE(help->CurrentPage(), u"index.htm"_s);
    }

    void theMenuOpensTheHelpAndClosingTheWindowClosesIt() {
        CKenrowDlg& w = Open();
        QVERIFY(w.action(u"helpItem"_s)->isEnabled());
        QVERIFY(w.action(u"homePageItem"_s)->isEnabled());
        w.action(u"helpItem"_s)->trigger();
        QVERIFY(CHelpWindow::Current() != nullptr);
        QPointer<CHelpWindow> help = CHelpWindow::Current();
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(help.isNull() || !help->isVisible());
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
