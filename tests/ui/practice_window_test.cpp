// 練習: the profile read on its own thread into the table and the chart, the
// おすすめ set and a hand pick asked of the main window, a technique's weeks
// of drills, a cancelled reading of a large folder. With
// MASUVO_SCREENSHOT_DIR set, pictures of a made-up player's profile, おすすめ
// and progress pages are written there as PNG.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <string>

#include "engine/board.h"
#include "engine/step_search.h"
#include "files/puzzle_file.h"
#include "reports/technique_profile_builder.h"
#include "records/practice_record.h"
#include "ui/practice/practice_charts.h"
#include "ui/practice/practice_window.h"
#include "ui/dialogs/result_dlg.h"

using namespace Qt::StringLiterals;
using masuvo::DrillChoice;

Q_DECLARE_METATYPE(std::vector<masuvo::DrillChoice>)

class PracticeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheProfileAndStartsTheRecommendedSet();
    void startsTechniquesPickedByHand();
    void showsATechniquesWeeks();
    void anEmptyFolderOffersTheBasicTechniques();
    void aCancelledReadingSaysSo();
    void picturesOfAPlayersProfile();
};

namespace {

// The first puzzle of top95 with (0,1,1) and (0,2,7) placed: the second
// move, 行内の配置 worth 60 points, took 30 seconds.
constexpr const char* kPuzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

struct DataFolder {
    QTemporaryDir dir;
    masuvo::DataFolders folders;

    DataFolder() {
        folders.dataFolder = dir.path().toStdString();
        folders.finishedFolder = folders.dataFolder + "/完成問題";
        QDir().mkpath(QString::fromStdString(folders.finishedFolder));
    }
    std::string Record() const { return folders.dataFolder + "/" + masuvo::kPracticeRecordName; }

    void WriteFinishedCopy() const {
        masuvo::PuzzleFileData data;
        for (int k = 0; k < 81; ++k) data.values[k] = kPuzzle[k] == '.' ? 0 : kPuzzle[k] - '0';
        data.values[1] = 1;
        data.values[2] = 7;
        masuvo::Log log;
        log.text = "行内の配置です。";
        log.seconds = 30;
        log.points = 60;
        std::copy(std::begin(data.values), std::end(data.values), log.values);
        log.row = 0, log.col = 2, log.digit = 7;
        data.log.push_back(log);
        std::string message;
        QVERIFY2(masuvo::WritePuzzleData(folders.finishedFolder + "/a_完成.kzd", data, message), message.c_str());
    }

    void AppendDrill(const char* when, int technique, int number, int seconds, int estimate) const {
        masuvo::PracticeEntry e;
        e.when = when;
        e.technique = technique;
        e.number = number;
        e.seconds = seconds;
        e.solved = true;
        e.estimatedSeconds = estimate;
        std::string error;
        QVERIFY2(masuvo::AppendPracticeEntry(Record(), e, &error), error.c_str());
    }
};

void WaitForProfile(CPracticeWindow& window) { QTRY_VERIFY_WITH_TIMEOUT(!window.Building(), 20000); }

QString Text(const std::vector<DrillChoice>& drills) {
    QString text;
    for (const DrillChoice& d : drills) text += u"%1#%2 "_s.arg(d.technique).arg(d.number);
    return text;
}

void Shoot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    if (!window.grab().save(folder + u'/' + name + u".png"_s)) qWarning() << "cannot write" << name;
}

}  // namespace

void PracticeWindowTest::showsTheProfileAndStartsTheRecommendedSet() {
    DataFolder data;
    data.WriteFinishedCopy();
    data.AppendDrill("2026/12/01 09:00:00", 19, 1, 40, 60);
    QFile foreign(QString::fromStdString(data.folders.finishedFolder) + u"/メモ.txt"_s);
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("not a puzzle");
    foreign.close();

    CPracticeWindow window(data.folders);
    QCOMPARE(window.windowTitle(), u"練習"_s);
    WaitForProfile(window);
    auto* table = window.findChild<QTableWidget*>(u"profileTable"_s);
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c) cells << table->item(r, c)->text();
        return cells.join(u'|');
    };
    QCOMPARE(row(3), u"ライン内の配置|1|0|0%|0.50|%1|0"_s.arg(table->item(3, 5)->text()));
    QVERIFY(!table->item(3, 5)->text().isEmpty());
    QCOMPARE(row(19), u"対角線|0|0|-|-|2026/12/01|1"_s);
    QCOMPARE(row(0), u"ブロックの完成|未経験|||||0"_s);
    QVERIFY(window.findChild<QLabel*>(u"practiceStatus"_s)->text().contains(u"読めないファイル 1 件"_s));

    // Box 0 first, ライン内の配置 (met, no hints) before the basic ones not met.
    auto* list = window.findChild<QListWidget*>(u"recommendList"_s);
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->item(0)->text(), u"ライン内の配置 ・ 問題 1 （箱 0 ・ ヒント率 0% ・ 時間比 0.50）"_s);

    QSignalSpy started(&window, &CPracticeWindow::startRequested);
    window.findChild<QTabWidget*>(u"practiceTabs"_s)->setCurrentIndex(1);
    QTest::mouseClick(window.findChild<QPushButton*>(u"startRecommended"_s), Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    QCOMPARE(Text(started.at(0).at(0).value<std::vector<DrillChoice>>()), u"3#1 3#2 3#3 3#4 0#1 0#2 0#3 0#4 1#1 1#2 "_s);
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

void PracticeWindowTest::startsTechniquesPickedByHand() {
    DataFolder data;
    data.AppendDrill("2026/12/01 09:00:00", 19, 1, 40, 60);
    CPracticeWindow window(data.folders);
    WaitForProfile(window);
    auto* picks = window.findChild<QListWidget*>(u"pickList"_s);
    auto* start = window.findChild<QPushButton*>(u"startPicked"_s);
    QVERIFY(!start->isEnabled());
    picks->item(19)->setCheckState(Qt::Checked);
    picks->item(5)->setCheckState(Qt::Checked);
    QVERIFY(start->isEnabled());
    window.findChild<QSpinBox*>(u"drillsPerTechnique"_s)->setValue(2);
    QSignalSpy started(&window, &CPracticeWindow::startRequested);
    start->click();
    QCOMPARE(started.count(), 1);
    // Numbers already in the record are skipped.
    QCOMPARE(Text(started.at(0).at(0).value<std::vector<DrillChoice>>()), u"5#1 5#2 19#2 19#3 "_s);
}

void PracticeWindowTest::showsATechniquesWeeks() {
    DataFolder data;
    const char* days[] = {"2026/11/16 09:00:00", "2026/11/18 09:00:00", "2026/11/24 09:00:00",
                          "2026/12/02 09:00:00", "2026/12/03 09:00:00", "2026/12/09 09:00:00"};
    const int seconds[] = {150, 110, 90, 80, 60, 45};
    for (int i = 0; i < 6; ++i) data.AppendDrill(days[i], 19, i + 1, seconds[i], 60);
    CPracticeWindow window(data.folders);
    WaitForProfile(window);
    window.findChild<QTabWidget*>(u"practiceTabs"_s)->setCurrentIndex(3);
    window.findChild<QComboBox*>(u"progressTechnique"_s)->setCurrentIndex(19);
    auto* chart = window.findChild<CDrillWeeksChart*>(u"drillWeeksChart"_s);
    QCOMPARE(chart->Weeks().size(), size_t{4});
    QCOMPARE(chart->Weeks().front().monday, std::string("2026/11/16"));
    QCOMPARE(chart->Weeks().front().drills, 2);
    const QString text = window.findChild<QLabel*>(u"progressText"_s)->text();
    QVERIFY2(text.contains(u"2026/11/16 ■■■■■■■■■■■■■■■■■■■■■■ 2.17 (2問)"_s), qPrintable(text));
    QVERIFY2(text.contains(u"2026/12/07 ■■■■■■■■ 0.75 (1問)"_s), qPrintable(text));

    // The same text bars in a result window.
    window.findChild<QPushButton*>(u"progressAsText"_s)->click();
    auto* result = window.findChild<CResultDlg*>();
    QVERIFY(result);
    QCOMPARE(result->windowTitle(), u"推移 ・ 対角線"_s);
    QVERIFY(result->findChild<QPlainTextEdit*>()->toPlainText().contains(u"2026/12/07 ■■■■■■■■ 0.75 (1問)"_s));
    result->close();
}

void PracticeWindowTest::anEmptyFolderOffersTheBasicTechniques() {
    DataFolder data;
    CPracticeWindow window(data.folders);
    WaitForProfile(window);
    auto* table = window.findChild<QTableWidget*>(u"profileTable"_s);
    for (int r = 0; r < table->rowCount(); ++r) QCOMPARE(table->item(r, 1)->text(), u"未経験"_s);
    QCOMPARE(Text(window.Recommended()), u"0#1 0#2 0#3 0#4 1#1 1#2 1#3 1#4 2#1 2#2 "_s);
}

void PracticeWindowTest::aCancelledReadingSaysSo() {
    DataFolder data;
    for (int i = 0; i < 10000; ++i) std::ofstream(data.folders.finishedFolder + "/" + std::to_string(i) + ".kzd");
    CPracticeWindow window(data.folders);
    QVERIFY(window.Building());
    QTest::mouseClick(window.findChild<QPushButton*>(u"practiceCancel"_s), Qt::LeftButton);
    WaitForProfile(window);
    const QString status = window.findChild<QLabel*>(u"practiceStatus"_s)->text();
    QVERIFY2(status.startsWith(u"読み込みを中止しました。"_s), qPrintable(status));
    QVERIFY(window.Profile().filesSkipped < 10000);
}

// Only for the pictures: twelve puzzles of top95 played to the end with
// made-up seconds and help, and three weeks of drills.
void PracticeWindowTest::picturesOfAPlayersProfile() {
    if (qEnvironmentVariableIsEmpty("MASUVO_SCREENSHOT_DIR")) QSKIP("pictures only");
    DataFolder data;
    std::ifstream in(std::string(MASUVO_TEST_DATA) + "/top95.txt");
    std::string line;
    uint32_t stream = 7;
    const auto next = [&] { return (stream = stream * 1664525u + 1013904223u) >> 8; };
    for (int puzzle = 0; puzzle < 12 && std::getline(in, line); ++puzzle) {
        masuvo::PuzzleFileData file;
        for (int k = 0; k < 81; ++k) file.values[k] = line[k] >= '1' && line[k] <= '9' ? line[k] - '0' : 0;
        while (true) {
            masuvo::KR_solver board;
            for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = file.values[k];
            if (masuvo::StepSearch(board, false) != 1) break;
            int cell = 0;
            while (board.value[cell / 9][cell % 9] == file.values[cell]) ++cell;
            file.values[cell] = board.value[cell / 9][cell % 9];
            masuvo::Log log;
            std::copy(std::begin(file.values), std::end(file.values), log.values);
            log.row = cell / 9, log.col = cell % 9, log.digit = file.values[cell];
            const masuvo::MoveTechniques judged = masuvo::JudgeLoggedMove(log);
            log.text = judged.text;
            log.points = judged.estimatedSeconds;
            log.seconds = static_cast<int32_t>(log.points * (40 + next() % 160) / 100);
            log.hinted = next() % 9 == 0 && log.points > 600;
            if (log.hinted) log.points -= log.points / 3;
            file.log.push_back(log);
        }
        std::string message;
        QVERIFY(masuvo::WritePuzzleData(data.folders.finishedFolder + "/" + std::to_string(puzzle) + "_完成.kzd", file,
                                        message));
    }
    const char* days[] = {"2026/11/16 09:00:00", "2026/11/18 09:00:00", "2026/11/24 09:00:00",
                          "2026/12/02 09:00:00", "2026/12/03 09:00:00", "2026/12/09 09:00:00"};
    for (int i = 0; i < 6; ++i) {
        data.AppendDrill(days[i], 19, i + 1, 150 - 20 * i, 60);
        data.AppendDrill(days[i], 5, i + 1, 70 - 5 * i, 60);
    }
    CPracticeWindow window(data.folders);
    WaitForProfile(window);
    Shoot(window, u"practice_profile"_s);
    window.findChild<QTabWidget*>(u"practiceTabs"_s)->setCurrentIndex(1);
    Shoot(window, u"practice_recommended"_s);
    window.findChild<QTabWidget*>(u"practiceTabs"_s)->setCurrentIndex(3);
    window.findChild<QComboBox*>(u"progressTechnique"_s)->setCurrentIndex(19);
    Shoot(window, u"practice_progress"_s);
}

QTEST_MAIN(PracticeWindowTest)
#include "practice_window_test.moc"
