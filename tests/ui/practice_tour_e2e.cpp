// 練習 end to end under a real X server (xvfb-run, QT_QPA_PLATFORM xcb):
// ツール > 練習... on a new player's record, おすすめ started, the drills made
// by the real search and played in the main window: the first typed, a hint
// on the second, a wrong digit on the third, the rest typed; then the
// summary, 練習記録.csv and the boxes. With MASUVO_SCREENSHOT_DIR set the
// stops are written there as PNG files.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "records/practice_choice.h"
#include "records/practice_record.h"
#include "session/play_session.h"
#include "tests/ui/window_driver.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/practice/practice_window.h"
#include "ui/dialogs/result_dlg.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

class PracticeTour : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    void Key(int key) { test::PressKey(window_.get(), key); }
    void TypeAt(int row, int col, int digit) {
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, Qt::NoModifier, window_->CellPoint(row, col));
        Key(Qt::Key_0 + digit);
    }
    void Shot(const QString& name, QWidget* w) {
        QCoreApplication::processEvents();
        QTest::qWait(300);
        const QImage image = w->grab().toImage();
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        if (!image.save(folder + u'/' + name + u".png"_s)) qWarning() << "cannot write" << name;
    }
    // Waits for the next drill on the board (the search runs on its own thread).
    bool NextDrill(int index, Drill& drill) {
        const bool ready = QTest::qWaitFor(
            [&] {
                return window_->practiceRun() != nullptr && window_->practiceRun()->Index() == index &&
                       window_->practiceRun()->Playing();
            },
            60000);
        if (ready) drill = window_->practiceRun()->CurrentDrill();
        return ready;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->move(20, 20);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanupTestCase() { window_.reset(); }

    void recommendedDrillsArePlayedAndRecorded() {
        // おすすめ of a player with no record: ten drills of the basic techniques.
        std::vector<DrillChoice> offered;
        test::OnNextModal<CPracticeWindow>([&offered](CPracticeWindow* practice) {
            auto* start = practice->findChild<QPushButton*>(u"startRecommended"_s);
            auto* poll = new QTimer(practice);
            poll->setInterval(20);
            QObject::connect(poll, &QTimer::timeout, [practice, start, poll, &offered] {
                if (practice->Building() || practice->Recommended().empty() || !start->isEnabled()) return;
                poll->stop();
                offered = practice->Recommended();
                start->click();
            });
            poll->start();
        });
        window_->action(u"practiceItem"_s)->trigger();
        QCOMPARE(offered.size(), size_t{10});
        QVERIFY(window_->practiceRun() != nullptr);
        QCOMPARE(window_->practiceRun()->Count(), 10);

        // 1: typed at once.
        Drill drill;
        QVERIFY(NextDrill(0, drill));
        TypeAt(drill.row, drill.col, drill.digit);

        // 2: a hint first; it points at the answer.
        QVERIFY(NextDrill(1, drill));
        QTest::mouseClick(window_->findChild<QPushButton*>(u"hintButton"_s), Qt::LeftButton);
        QCOMPARE(window_->session().hintCount, 1);
        QCOMPARE(window_->session().hintRow * 9 + window_->session().hintCol, drill.row * 9 + drill.col);
        if (window_->hintDialog() != nullptr) window_->hintDialog()->close();
        TypeAt(drill.row, drill.col, drill.digit);

        // 3: a wrong digit stays on the board, marked; the drill goes on.
        QVERIFY(NextDrill(2, drill));
        TypeAt(drill.row, drill.col, drill.digit % 9 + 1);
        QVERIFY(window_->practiceRun()->Playing());
        Shot(u"practice_drill"_s, window_.get());
        TypeAt(drill.row, drill.col, drill.digit);

        for (int index = 3; index < 10; ++index) {
            QVERIFY(NextDrill(index, drill));
            TypeAt(drill.row, drill.col, drill.digit);
        }
        QTRY_VERIFY_WITH_TIMEOUT(window_->practiceRun() == nullptr, 10000);

        // The summary page.
        CResultDlg* summary = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* result = qobject_cast<CResultDlg*>(top); result && result->isVisible() &&
                                                              result->windowTitle() == u"練習の結果"_s)
                summary = result;
        QVERIFY(summary != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(summary));
        QVERIFY(summary->findChild<QPlainTextEdit*>()->toPlainText().contains(u"10 問中 10 問正解"_s));
        Shot(u"practice_summary"_s, summary);

        // 練習記録.csv: the ten drills in order, the second with its hint.
        const std::vector<PracticeEntry> record = ReadPracticeRecord(PracticeRecordPath(folders_));
        QCOMPARE(record.size(), size_t{10});
        for (size_t i = 0; i < record.size(); ++i) {
            QCOMPARE(record[i].technique, offered[i].technique);
            QCOMPARE(record[i].number, offered[i].number);
            QVERIFY(record[i].solved);
            QCOMPARE(record[i].hints, i == 1 ? 1 : 0);
        }
        // The boxes: every technique played left box 0; the hinted drill's
        // technique is back in box 1 unless a later drill of it moved it on.
        for (const DrillChoice& choice : offered) QVERIFY(PracticeBox(record, choice.technique) >= 1);
        const int hinted = offered[1].technique;
        int laterOfHinted = 0;
        for (size_t i = 2; i < offered.size(); ++i) laterOfHinted += offered[i].technique == hinted ? 1 : 0;
        QVERIFY(PracticeBox(record, hinted) <= 1 + laterOfHinted);
        // Nothing of the drills in 完成問題/.
        QVERIFY(QDir(QString::fromStdString(folders_.finishedFolder)).entryList(QDir::Files).isEmpty());
        summary->close();
    }
};

QTEST_MAIN(PracticeTour)
#include "practice_tour_e2e.moc"
