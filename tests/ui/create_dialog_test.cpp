// The creation dialogs: searches on their own thread, end codes, cancelling,
// the failure message and the status texts.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <set>
#include <thread>

#include "engine/brute_force.h"
#include "ui/dialogs/create_dialog.h"
#include "ui/dialogs/create_hard_dialog.h"

using namespace Qt::StringLiterals;
using masuvo::CreationOutcome;
using masuvo::CreationRequest;
using masuvo::CreationStatus;

namespace {

const QString kIdleText = u"たまに時間のかかる場合があります。"_s;
const QString kRunningText = u"問題作成中..."_s;
const QString kWaitText = u"問題作成中... しばらくお待ちください。"_s;
const QString kWaitMoreText = u"問題作成中... もうしばらくお待ちください。"_s;
const QString kCancellingText = u"キャンセル中..."_s;

// Runs the dialog modally; whileOpen runs once its event loop is up. A dialog
// that never closes, or a message box nobody answers, is closed after two
// minutes (the dialog with code 99) instead of hanging the suite.
int RunModal(QDialog& dialog, const std::function<void()>& whileOpen) {
    QTimer::singleShot(0, &dialog, whileOpen);
    QTimer::singleShot(120000, &dialog, [&dialog] {
        while (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (modal == &dialog) break;
            modal->done(0);
        }
        dialog.done(99);
    });
    return dialog.exec();
}

// Calls action once condition holds, checking every few milliseconds.
void When(QObject* context, std::function<bool()> condition, std::function<void()> action) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, condition, action] {
        if (!condition()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

// Answers every message box that opens while it lives, keeping its text, its
// title and whether the window it belongs to was still open behind it.
class MessageWatcher {
public:
    MessageWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || seen_.count(box)) return;
            seen_.insert(box);
            texts << box->text();
            titles << box->windowTitle();
            ownerOpen << (box->parentWidget() && box->parentWidget()->isVisible());
            box->accept();
        });
        timer_.start(5);
    }
    QStringList texts;
    QStringList titles;
    QList<bool> ownerOpen;

private:
    QTimer timer_;
    std::set<QMessageBox*> seen_;
};

template <typename T>
T* Child(QWidget& dialog, const QString& name) {
    T* child = dialog.findChild<T*>(name);
    if (!child) qFatal("no child %s", qPrintable(name));
    return child;
}

QString StatusOf(QWidget& dialog) { return Child<QLabel>(dialog, u"statusLine"_s)->text(); }
void Press(QWidget& dialog, const char* button) { Child<QPushButton>(dialog, QString::fromLatin1(button))->click(); }

QString Grid(const masuvo::KR_base& grid) { return QString::fromStdString(masuvo::GridText(grid)); }

CreationOutcome Rated(int number, int rank, int symmetry) {
    CreationRequest request;
    request.number = number;
    request.rank = rank;
    request.symmetry = symmetry;
    return masuvo::CreateRated(request);
}

// A search that gives up at once, as one that tried all its seeds in vain.
CreationOutcome FailedSearch(const CreationRequest&) {
    CreationOutcome outcome;
    outcome.status = CreationStatus::Failed;
    return outcome;
}

// Runs until cancelled, then lingers for lingerMs so the dialog sits in its
// cancelling state for a while.
masuvo::CreationTask::Search WaitForCancel(int lingerMs) {
    return [lingerMs](const CreationRequest& request) {
        while (!request.cancel->load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(lingerMs));
        CreationOutcome outcome;
        outcome.status = CreationStatus::Cancelled;
        return outcome;
    };
}

}  // namespace

class CreateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void createsThePuzzleOfTheRequest_data();
    void createsThePuzzleOfTheRequest();
    void closingBeforeTheStartCreatesNothing_data();
    void closingBeforeTheStartCreatesNothing();
    void cancellingASlowSearchEndsIt_data();
    void cancellingASlowSearchEndsIt();
    void cancelWinsOverAPuzzleAlreadyFound();
    void failureIsReportedOnce();
    void statusTextsAlternateUntilCancel();
    void rankListsAndRankIndex_data();
    void rankListsAndRankIndex();
    void numberFieldTakesDigitsAndStepsInRange();
    void techniqueListFollowsTheRank();
    void destroyingTheDialogStopsItsSearch();

    void hardDialogCreatesAnUnsolvablePuzzle();
    void hardDialogCancelAndFailure();
};

void CreateDialogTest::createsThePuzzleOfTheRequest_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("rankSelection");
    QTest::addColumn<int>("symmetry");
    QTest::addColumn<int>("number");
    QTest::newRow("基本 1 点対称, found at the first seed") << u"1"_s << 0 << 0 << 1;
    QTest::newRow("初級 2 非対称") << u"2"_s << 1 << 2 << 2;
    QTest::newRow("an empty field is number 0") << QString() << 0 << 1 << 0;
}

void CreateDialogTest::createsThePuzzleOfTheRequest() {
    QFETCH(QString, typed);
    QFETCH(int, rankSelection);
    QFETCH(int, symmetry);
    QFETCH(int, number);

    CCreateDlg dialog(7, 0, 0, false);
    QString statusAfterOk;
    bool fieldsLocked = false;
    const int code = RunModal(dialog, [&] {
        Child<masuvo::NumberEdit>(dialog, u"numberEdit"_s)->SetText(typed);
        Child<QComboBox>(dialog, u"rankList"_s)->setCurrentIndex(rankSelection);
        Child<QComboBox>(dialog, u"symmetryList"_s)->setCurrentIndex(symmetry);
        Press(dialog, "okButton");
        // The completion is a queued call: until this slot returns the dialog must be running.
        statusAfterOk = StatusOf(dialog);
        fieldsLocked = !Child<QWidget>(dialog, u"numberEdit"_s)->isEnabled() &&
                       !Child<QWidget>(dialog, u"rankList"_s)->isEnabled() &&
                       !Child<QWidget>(dialog, u"symmetryList"_s)->isEnabled() &&
                       !Child<QWidget>(dialog, u"okButton"_s)->isEnabled() &&
                       Child<QWidget>(dialog, u"cancelButton"_s)->isEnabled();
    });

    QCOMPARE(code, 0);
    QCOMPARE(statusAfterOk, kRunningText);
    QVERIFY(fieldsLocked);
    QCOMPARE(dialog.number(), number);
    QCOMPARE(dialog.rankSelection(), rankSelection);
    QCOMPARE(dialog.symmetry(), symmetry);
    QCOMPARE(dialog.rankIndex(), rankSelection);
    QCOMPARE(Grid(dialog.result()), Grid(Rated(number, rankSelection, symmetry).puzzle));
    QVERIFY(dialog.elapsedSeconds() >= 0);
    // Every seed is accounted for, even those skipped after the find.
    QCOMPARE(Child<QProgressBar>(dialog, u"progressBar"_s)->value(), masuvo::kCreationIterations);
}

void CreateDialogTest::techniqueListFollowsTheRank() {
    CCreateDlg dialog(1, 2, 0, false);
    auto* ranks = Child<QComboBox>(dialog, u"rankList"_s);
    auto* techniques = Child<QComboBox>(dialog, u"techniqueList"_s);
    auto texts = [&] {
        QStringList list;
        for (int i = 0; i < techniques->count(); ++i) list << techniques->itemText(i);
        return list;
    };
    // 中級 can need only what its ceiling admits and its condition leaves.
    QCOMPARE(texts(), (QStringList{u"指定なし"_s, u"ブロックの完成"_s, u"ラインの完成"_s, u"ブロック内の配置"_s,
                                   u"ライン内の配置"_s, u"セルの完成"_s, u"隠れた数字"_s, u"波及効果"_s}));
    techniques->setCurrentIndex(techniques->findText(u"波及効果"_s));
    ranks->setCurrentIndex(4);  // 超上級 allows it too: the choice stays
    QCOMPARE(techniques->currentText(), u"波及効果"_s);
    QVERIFY(texts().contains(u"対角線"_s));
    QVERIFY(!texts().contains(u"二択連鎖1"_s));
    ranks->setCurrentIndex(0);  // 基本 does not: back to 指定なし
    QCOMPARE(techniques->currentText(), u"指定なし"_s);

    // The search gets the technique and its puzzle uses it.
    ranks->setCurrentIndex(1);
    techniques->setCurrentIndex(techniques->findText(u"ライン内の配置"_s));
    const int code = RunModal(dialog, [&] { Press(dialog, "okButton"); });
    QCOMPARE(code, 0);
    QCOMPARE(dialog.technique(), 3);
    masuvo::CreationRequest request;
    request.number = 1;
    request.rank = 1;
    request.technique = 3;
    QCOMPARE(Grid(dialog.result()), Grid(masuvo::CreateRated(request).puzzle));
}

void CreateDialogTest::closingBeforeTheStartCreatesNothing_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("キャンセル") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void CreateDialogTest::closingBeforeTheStartCreatesNothing() {
    QFETCH(int, how);
    CCreateDlg dialog(12, 2, 1, false);
    const int code = RunModal(dialog, [&] {
        // Typed but never confirmed: the caller gets the values it gave.
        Child<masuvo::NumberEdit>(dialog, u"numberEdit"_s)->SetText(u"345"_s);
        if (how == 0) Press(dialog, "cancelButton");
        if (how == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (how == 2) dialog.close();
    });
    QCOMPARE(code, 1);
    QCOMPARE(dialog.number(), 12);
    QCOMPARE(dialog.rankSelection(), 2);
    QCOMPARE(dialog.symmetry(), 1);
    QCOMPARE(StatusOf(dialog), kIdleText);
}

void CreateDialogTest::cancellingASlowSearchEndsIt_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("キャンセル") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void CreateDialogTest::cancellingASlowSearchEndsIt() {
    QFETCH(int, how);
    // 超上級 number 3 takes many thousands of seeds.
    CCreateDlg dialog(3, 4, 0, false);
    MessageWatcher messages;
    QString statusAfterCancel;
    bool stillOpen = false;
    bool okStillLocked = false;
    const int code = RunModal(dialog, [&] {
        Press(dialog, "okButton");
        auto* progress = Child<QProgressBar>(dialog, u"progressBar"_s);
        When(
            &dialog, [progress] { return progress->value() > 0; },
            [&] {
                if (how == 0) Press(dialog, "cancelButton");
                if (how == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
                if (how == 2) dialog.close();
                statusAfterCancel = StatusOf(dialog);
                stillOpen = dialog.isVisible();
                okStillLocked = !Child<QWidget>(dialog, u"okButton"_s)->isEnabled();
            });
    });
    QCOMPARE(code, 1);
    QCOMPARE(messages.texts, QStringList());
    QCOMPARE(statusAfterCancel, kCancellingText);
    // The dialog waits for the search to stop before it closes.
    QVERIFY(stillOpen);
    QVERIFY(okStillLocked);
    QVERIFY(Child<QProgressBar>(dialog, u"progressBar"_s)->value() < masuvo::kCreationIterations);
    QCOMPARE(Grid(dialog.result()), Grid(masuvo::KR_base()));
}

void CreateDialogTest::cancelWinsOverAPuzzleAlreadyFound() {
    CCreateDlg dialog(1, 0, 0, false);
    std::atomic<bool> searched{false};
    dialog.setSearch([&searched](const CreationRequest& request) {
        CreationOutcome outcome = masuvo::CreateRated(request);
        searched = true;
        return outcome;
    });
    MessageWatcher messages;
    CreationStatus foundStatus = CreationStatus::Failed;
    const int code = RunModal(dialog, [&] {
        Press(dialog, "okButton");
        // Hold the window thread until the search has its puzzle, so the
        // completion is still queued when キャンセル is pressed.
        while (!searched) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        foundStatus = Rated(1, 0, 0).status;
        Press(dialog, "cancelButton");
    });
    QCOMPARE(foundStatus, CreationStatus::Found);
    QCOMPARE(code, 1);
    QCOMPARE(messages.texts, QStringList());
    QCOMPARE(Grid(dialog.result()), Grid(masuvo::KR_base()));
}

void CreateDialogTest::failureIsReportedOnce() {
    CCreateDlg dialog(1, 6, 0, false);
    dialog.setSearch(FailedSearch);
    MessageWatcher messages;
    const int code = RunModal(dialog, [&] { Press(dialog, "okButton"); });
    QCOMPARE(code, 1);
    QCOMPARE(messages.texts, QStringList{u"作成に失敗しました。"_s});
    QCOMPARE(messages.titles, QStringList{u"マスヴォ"_s});
    QCOMPARE(messages.ownerOpen, QList<bool>{true});
}

void CreateDialogTest::statusTextsAlternateUntilCancel() {
    CCreateDlg dialog(1, 0, 0, false);
    dialog.setStatusInterval(20);
    dialog.setSearch(WaitForCancel(300));
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Press(dialog, "okButton");
    QCOMPARE(StatusOf(dialog), kRunningText);
    // The first tick shows the first text, then they take turns.
    QTRY_COMPARE(StatusOf(dialog), kWaitText);
    QTRY_COMPARE(StatusOf(dialog), kWaitMoreText);
    QTRY_COMPARE(StatusOf(dialog), kWaitText);

    Press(dialog, "cancelButton");
    QCOMPARE(StatusOf(dialog), kCancellingText);
    // The timer stopped with the cancel: no later tick overwrites the text.
    QTest::qWait(100);
    QCOMPARE(StatusOf(dialog), kCancellingText);
    QVERIFY(finished.isEmpty());
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QCOMPARE(StatusOf(dialog), kCancellingText);
}

void CreateDialogTest::rankListsAndRankIndex_data() {
    QTest::addColumn<bool>("difficult");
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("symmetry");
    QTest::addColumn<QStringList>("ranks");
    QTest::addColumn<int>("shownSelection");
    QTest::addColumn<int>("shownSymmetry");
    QTest::addColumn<int>("rankIndex");
    const QStringList normal = {u"基本"_s, u"初級"_s, u"中級"_s, u"上級"_s, u"超上級"_s, u"超絶難問"_s, u"究極激難問"_s};
    const QStringList top = {u"神"_s, u"主神"_s, u"最高神"_s};
    QTest::newRow("究極激難問") << false << 6 << 2 << normal << 6 << 2 << 6;
    QTest::newRow("神") << true << 0 << 0 << top << 0 << 0 << 7;
    QTest::newRow("最高神") << true << 2 << 1 << top << 2 << 1 << 9;
    // Stored settings are not checked; what the lists cannot show becomes their first entry.
    QTest::newRow("rank beyond the top list") << true << 5 << 3 << top << 0 << 0 << 7;
    QTest::newRow("negative selections") << false << -1 << -4 << normal << 0 << 0 << 0;
}

void CreateDialogTest::rankListsAndRankIndex() {
    QFETCH(bool, difficult);
    QFETCH(int, selection);
    QFETCH(int, symmetry);
    QFETCH(QStringList, ranks);
    QFETCH(int, shownSelection);
    QFETCH(int, shownSymmetry);
    QFETCH(int, rankIndex);

    CCreateDlg dialog(42, selection, symmetry, difficult);
    auto* rankList = Child<QComboBox>(dialog, u"rankList"_s);
    QStringList items;
    for (int i = 0; i < rankList->count(); ++i) items << rankList->itemText(i);
    QCOMPARE(items, ranks);
    QCOMPARE(rankList->currentIndex(), shownSelection);
    QCOMPARE(Child<QComboBox>(dialog, u"symmetryList"_s)->currentIndex(), shownSymmetry);
    QCOMPARE(dialog.windowTitle(), u"問題自動作成"_s);

    // The search gets the rank index, not the list position.
    CreationRequest seen;
    dialog.setSearch([&seen](const CreationRequest& request) {
        seen = request;
        return FailedSearch(request);
    });
    MessageWatcher messages;
    QCOMPARE(RunModal(dialog, [&] { Press(dialog, "okButton"); }), 1);
    QCOMPARE(dialog.rankIndex(), rankIndex);
    QCOMPARE(seen.rank, rankIndex);
    QCOMPARE(seen.number, 42);
    QCOMPARE(seen.symmetry, shownSymmetry);
}

void CreateDialogTest::numberFieldTakesDigitsAndStepsInRange() {
    CCreateDlg dialog(999999, 0, 0, false);
    dialog.show();
    auto* edit = Child<masuvo::NumberEdit>(dialog, u"numberEdit"_s);
    edit->setFocus();

    edit->stepBy(1);
    QCOMPARE(edit->Value(), 1000000);
    edit->stepBy(1);  // the buttons stop at the top of the range
    QCOMPARE(edit->Value(), 1000000);

    edit->SetText(QString());
    QCOMPARE(edit->Value(), 0);
    QTest::keyClicks(edit, u"12a-3."_s);
    QCOMPARE(edit->text(), u"123"_s);
    QTest::keyClicks(edit, u"456789"_s);
    QCOMPARE(edit->text(), u"1234567"_s);  // as many digits as the range's top

    edit->SetText(u"2"_s);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->Value(), 1);
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(edit->Value(), 1);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->Value(), 2);

    // A field typed empty is still steppable into the range.
    edit->SetText(QString());
    edit->stepBy(1);
    QCOMPARE(edit->Value(), 1);
}

void CreateDialogTest::destroyingTheDialogStopsItsSearch() {
    std::atomic<bool> returned{false};
    {
        CCreateDlg dialog(1, 0, 0, false);
        auto search = WaitForCancel(0);
        dialog.setSearch([&returned, search](const CreationRequest& request) {
            CreationOutcome outcome = search(request);
            returned = true;
            return outcome;
        });
        dialog.show();
        Press(dialog, "okButton");
        QTest::qWait(20);
    }
    // The destructor cancelled the search and waited for its thread.
    QVERIFY(returned);
}

void CreateDialogTest::hardDialogCreatesAnUnsolvablePuzzle() {
    // Number 9 with point symmetry is found after a few seconds.
    CCreateHardDlg dialog(9, 0);
    QCOMPARE(dialog.windowTitle(), u"問題自動作成"_s);
    QCOMPARE(StatusOf(dialog), QString());
    QString statusAfterOk;
    const int code = RunModal(dialog, [&] {
        Press(dialog, "okButton");
        statusAfterOk = StatusOf(dialog);
    });
    QCOMPARE(code, 0);
    QCOMPARE(statusAfterOk, kRunningText);
    QCOMPARE(dialog.number(), 9);
    QCOMPARE(dialog.symmetry(), 0);
    QCOMPARE(Grid(dialog.result()),
             u"35...4...9.21..8...8.......26...1..3...2.7...7..3...89.......1...9..23.6...9...28"_s);

    masuvo::KR_solver counter;
    std::memcpy(counter.value, dialog.result().value, sizeof counter.value);
    QCOMPARE(masuvo::CountSolutions(counter, nullptr), 1);
}

void CreateDialogTest::hardDialogCancelAndFailure() {
    {
        // Number 1 takes thousands of seeds.
        CCreateHardDlg dialog(1, 0);
        MessageWatcher messages;
        QString statusAfterCancel;
        const int code = RunModal(dialog, [&] {
            Press(dialog, "okButton");
            auto* progress = Child<QProgressBar>(dialog, u"progressBar"_s);
            When(
                &dialog, [progress] { return progress->value() > 0; },
                [&] {
                    Press(dialog, "cancelButton");
                    statusAfterCancel = StatusOf(dialog);
                });
        });
        QCOMPARE(code, 1);
        QCOMPARE(statusAfterCancel, kCancellingText);
        QCOMPARE(messages.texts, QStringList());
    }
    {
        CCreateHardDlg dialog(3, 2);
        dialog.setSearch(FailedSearch);
        MessageWatcher messages;
        QCOMPARE(RunModal(dialog, [&] { Press(dialog, "okButton"); }), 1);
        QCOMPARE(messages.texts, QStringList{u"作成に失敗しました。"_s});
        QCOMPARE(dialog.symmetry(), 2);
    }
}

QTEST_MAIN(CreateDialogTest)
#include "create_dialog_test.moc"
