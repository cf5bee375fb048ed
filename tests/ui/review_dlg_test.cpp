// The review of a finished play through the main window's リヴュー button:
// its rows, selecting moves, ＜前 and 次＞ by move number (also after
// sorting), ヒント with the review's own hint dialog, ボードコピー, the right
// click's technique popup, and the final board when it closes.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "records/record_file.h"
#include "session/play_session.h"
#include "ui/help/help_popup.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/review_dlg.h"
#include "tests/ui/window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// Its first move, (8,2) = 2, takes two sentences (隠れた数字 and ブロック内の配置).
const char* const kPuzzle = "4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..";
const char* const kSolution = "416379258329854761857612439948126375261735894573498126734961582195287643682543917";

}  // namespace

class ReviewDlgTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    PlaySession& S() { return window_->session(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { test::PressKey(window_.get(), key, modifiers); }
    void Type(int row, int col, int digit) {
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(row, col));
        Key(Qt::Key_0 + digit);
    }
    void Click(const QString& name) {
        QTest::mouseClick(window_->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    // A play of kPuzzle to its end: the two-sentence move typed, then one
    // move by ヒント and ヒント実行, then the rest typed in reading order.
    void PlayToTheEnd() {
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
        Click(u"startButton"_s);
        QCOMPARE(S().mode, 1);
        Type(8, 2, 2);
        Click(u"hintButton"_s);
        Click(u"executeHintButton"_s);
        for (int k = 0; k < 81; ++k)
            if (S().values[k] == 0) Type(k / 9, k % 9, kSolution[k] - '0');
        QCOMPARE(S().mode, 3);
        QVERIFY(S().log.size() > 3);
        QCOMPARE(QString::fromStdString(S().log.back().text), u"-"_s);
        QVERIFY(window_->findChild<QPushButton*>(u"reviewButton"_s)->isEnabled());
    }

    // Opens the review with the button and runs body while it is open.
    void WithReview(const std::function<void(CReviewDlg&)>& body) {
        bool ran = false;
        QTimer::singleShot(0, window_.get(), [&] {
            CReviewDlg* dialog = window_->reviewDialog();
            if (dialog == nullptr) return;
            test::CloseOnExit closer{dialog};
            ran = true;
            body(*dialog);
        });
        Click(u"reviewButton"_s);
        QVERIFY(ran);
        QVERIFY(window_->reviewDialog() == nullptr);
    }

    QTreeWidgetItem* Row(CReviewDlg& dialog, int number) {
        for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i)
            if (dialog.list()->topLevelItem(i)->text(1) == QString::number(number)) return dialog.list()->topLevelItem(i);
        return nullptr;
    }
    bool ShowsMove(int index) {
        const Log& entry = S().log[static_cast<size_t>(index)];
        // A complete board releases the selection.
        const bool complete = std::find(entry.values, entry.values + 81, 0) == entry.values + 81;
        return std::equal(S().values, S().values + 81, entry.values) &&
               (complete || (S().selRow == entry.row && S().selCol == entry.col));
    }
    bool ShowsFinalBoard() {
        for (int k = 0; k < 81; ++k)
            if (S().values[k] != kSolution[k] - '0') return false;
        return true;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
    }

    void cleanup() { window_.reset(); }

    void listsEveryMoveButTheCompletion() {
        PlayToTheEnd();
        const int moves = static_cast<int>(S().log.size()) - 1;
        WithReview([&](CReviewDlg& dialog) {
            QTreeWidget* list = dialog.list();
            QCOMPARE(dialog.windowTitle(), u"リヴュー"_s);
            QCOMPARE(list->topLevelItemCount(), moves);
            QVERIFY(list->isColumnHidden(0));
            const QStringList headings = {u"番号"_s,   u"推定解法"_s,   u"推定時間"_s,   u"実行時間"_s, u"差分"_s,
                                          u"ヒント"_s, u"詳細ヒント"_s, u"ヒント実行"_s, u"候補表示"_s};
            for (int c = 1; c < 10; ++c) QCOMPARE(list->headerItem()->text(c), headings[c - 1]);
            // The typed first move and the executed second one.
            QCOMPARE(Row(dialog, 1)->text(2), u"隠れた数字。ブロック内の配置です。"_s);
            QCOMPARE(Row(dialog, 1)->text(8), u"－"_s);
            QCOMPARE(Row(dialog, 2)->text(6), u"○"_s);
            QCOMPARE(Row(dialog, 2)->text(8), u"○"_s);
            QCOMPARE(Row(dialog, 2)->text(3), u"0:00"_s);
            QVERIFY(!dialog.hintButton()->isEnabled());
            // Every column at its stated width or its heading's, whichever
            // is wider, and all of them in view without scrolling sideways.
            const int stated[] = {40, 250, 60, 60, 50, 40, 40, 40, 40};
            int columns = 0;
            for (int c = 1; c < 10; ++c) {
                QVERIFY(list->columnWidth(c) >= stated[c - 1]);
                QVERIFY(list->columnWidth(c) >= list->header()->sectionSizeHint(c));
                columns += list->columnWidth(c);
            }
            QVERIFY2(columns <= list->viewport()->width(), qPrintable(u"%1 > %2"_s.arg(columns).arg(list->viewport()->width())));
        });
    }

    void stepsByMoveNumberAndShowsEachBoard() {
        PlayToTheEnd();
        const int moves = static_cast<int>(S().log.size()) - 1;
        WithReview([&](CReviewDlg& dialog) {
            auto* previous = dialog.findChild<QPushButton*>(u"previousButton"_s);
            auto* next = dialog.findChild<QPushButton*>(u"nextButton"_s);
            // Nothing selected: ＜前 starts from the last move.
            QCOMPARE(dialog.SelectedNumber(), 0);
            QTest::mouseClick(previous, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), moves);
            QVERIFY(ShowsMove(moves - 1));
            // 次＞ on the last move ends with no selection and the final board.
            S().candidatesShown = true;
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), 0);
            QVERIFY(ShowsFinalBoard());
            QVERIFY(!S().candidatesShown);
            // ... and the next 次＞ starts again at move 1; ＜前 there ends with none.
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), 1);
            QVERIFY(ShowsMove(0));
            QTest::mouseClick(previous, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), 0);
            QVERIFY(ShowsFinalBoard());

            // Sorted by 差分, the buttons still go by move number.
            dialog.list()->header()->sectionClicked(5);
            dialog.SelectNumber(3);
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), 4);
            QVERIFY(ShowsMove(3));
            QTest::mouseClick(previous, Qt::LeftButton);
            QTest::mouseClick(previous, Qt::LeftButton);
            QCOMPARE(dialog.SelectedNumber(), 2);

            // A click on a row selects it; a click on empty space clears.
            QTreeWidgetItem* fifth = Row(dialog, 5);
            dialog.list()->scrollToItem(fifth);
            QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              dialog.list()->visualItemRect(fifth).center());
            QCOMPARE(dialog.SelectedNumber(), 5);
            QVERIFY(ShowsMove(4));
            // Tall enough for empty space below the last row.
            dialog.resize(720, 1600);
            QTRY_VERIFY(dialog.list()->viewport()->height() > 1200);
            QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(5, dialog.list()->viewport()->height() - 3));
            QCOMPARE(dialog.SelectedNumber(), 0);
            QVERIFY(ShowsFinalBoard());
        });
        QVERIFY(ShowsFinalBoard());
    }

    void sortsWithTheAlternatingDirection() {
        PlayToTheEnd();
        WithReview([&](CReviewDlg& dialog) {
            QTreeWidget* list = dialog.list();
            auto numbers = [list] {
                QList<int> out;
                for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(1).toInt();
                return out;
            };
            dialog.SortByColumn(1);  // ascending
            QCOMPARE(numbers().first(), 1);
            dialog.SortByColumn(1);  // descending
            QCOMPARE(numbers().first(), list->topLevelItemCount());
            // 実行時間 as a time, ascending: every time is at most the next.
            dialog.SortByColumn(4);
            for (int i = 1; i < list->topLevelItemCount(); ++i) {
                const QStringList a = list->topLevelItem(i - 1)->text(4).split(u':');
                const QStringList b = list->topLevelItem(i)->text(4).split(u':');
                QVERIFY(a[0].toInt() * 60 + a[1].toInt() <= b[0].toInt() * 60 + b[1].toInt());
            }
        });
    }

    void hintReplaysAMoveOfSeveralSentencesInTheReviewsOwnDialog() {
        PlayToTheEnd();
        WithReview([&](CReviewDlg& dialog) {
            dialog.SelectNumber(2);
            QVERIFY(!dialog.hintButton()->isEnabled());  // one sentence
            dialog.SelectNumber(1);
            QVERIFY(dialog.hintButton()->isEnabled());
            QTest::mouseClick(dialog.hintButton(), Qt::LeftButton);
            CHintDlg* hint = window_->hintDialog();
            QVERIFY(hint != nullptr);
            QCOMPARE(hint->parent(), &dialog);
            QCOMPARE(hint->size(), QSize(215, 180));
            QCOMPARE(hint->list()->count(), 1);
            QCOMPARE(S().hintRow, 8);
            QCOMPARE(S().hintCol, 2);
            QCOMPARE(S().hintDigit, 2);
            QVERIFY(!S().hints.empty());
            // Pressed again: the marks are made again, no second dialog.
            QTest::mouseClick(dialog.hintButton(), Qt::LeftButton);
            QCOMPARE(window_->hintDialog(), hint);
        });
        // The review's hint dialog went with it.
        QVERIFY(window_->hintDialog() == nullptr);
        QVERIFY(!S().hintDialogOpen);
        QCOMPARE(S().hintRow, -1);
        QVERIFY(ShowsFinalBoard());
    }

    void copiesTheShownBoardAndOffersTheTechniquesHelp() {
        PlayToTheEnd();
        WithReview([&](CReviewDlg& dialog) {
            dialog.SelectNumber(1);
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"boardCopyButton"_s), Qt::LeftButton);
            QString expected = QString::fromLatin1(kPuzzle);
            expected[8 * 9 + 2] = u'2';
            QCOMPARE(QGuiApplication::clipboard()->text().left(81).replace(u'0', u'.'), expected);

            // The right click selects the row under the pointer and lists its techniques once each.
            QTreeWidgetItem* first = Row(dialog, 1);
            dialog.SelectNumber(4);
            dialog.OpenHelpPopup(dialog.list()->visualItemRect(first).center());
            QCOMPARE(dialog.SelectedNumber(), 1);
            CHelpDlg* popup = CHelpDlg::Current();
            QVERIFY(popup != nullptr);
            QStringList names;
            QStringList pages;
            for (const HelpTopic& topic : popup->Topics()) {
                names << QString::fromStdString(topic.name);
                pages << QString::fromStdString(topic.page);
            }
            QCOMPARE(names, (QStringList{u"隠れた数字"_s, u"ブロック内の配置"_s}));
            QCOMPARE(pages, (QStringList{u"問題の解法_隠れた数字.htm"_s, u"問題の解法_ブロック内の配置.htm"_s}));
            // A left press in the dialog closes it.
            QTest::mouseClick(&dialog, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            QVERIFY(CHelpDlg::Current() == nullptr);
        });
    }
};

QTEST_MAIN(ReviewDlgTest)
#include "review_dlg_test.moc"
