// Opening 履歴管理 on a long history: 10,000 listed records and a hundred deleted lines,
// written once to a temporary record file. Measures the dialog's
// construction and first showing (reading the file, building the rows and
// the list, the first paint), one heading click on 10,000 rows, and the
// list model alone.
//
// Run (offscreen unless QT_QPA_PLATFORM says otherwise):
//   build/bench/record_dialog_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "files/cp932.h"
#include "records/record_file.h"
#include "records/record_list.h"
#include "ui/dialogs/record_dlg.h"

namespace {

constexpr int kRows = 10000;

QString& RecordPath() {
    static QString path;
    return path;
}

// A fixed xorshift stream: every run gets the same history.
uint64_t Next(uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

std::string RecordFileBytes() {
    uint64_t state = 0x2545F4914F6CDD1DULL;
    std::string text = masuvo::RecordHeader() + "\r\n";
    char line[512];
    for (int i = 0; i < kRows; ++i) {
        if (i % 97 == 5) text += "#version 3.1.0,2020,01,01,0,00,消した問題,100,50,0,60\r\n";
        const int difficulty = 50 + static_cast<int>(Next(state) % 30000);
        const int penalty = static_cast<int>(Next(state) % 300);
        const int seconds = penalty + 60 + static_cast<int>(Next(state) % 5000);
        const int spare = static_cast<int>(Next(state) % 2000) - 500;
        std::snprintf(line, sizeof line,
                      "version 3.1.0,%d,%02d,%02d,%d,%02d,問題%05d～%s,%d,%d,%d,%d,%d,%d,%d,%d,%d,%.1f,,",
                      2020 + i / 2500, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i,
                      i % 3 == 0 ? "例題" : "ｶﾅ", difficulty, difficulty / 2, penalty, seconds,
                      static_cast<int>(Next(state) % 5), static_cast<int>(Next(state) % 3),
                      static_cast<int>(Next(state) % 3), static_cast<int>(Next(state) % 400), spare,
                      spare * 100.0 / difficulty);
        text += line;
        for (int list = 0; list < 2; ++list) {
            for (int t = 0; t < 30; ++t) {
                std::snprintf(line, sizeof line, "%2d,", static_cast<int>(Next(state) % 12));
                text += line;
            }
            text += ",";
        }
        text.resize(text.size() - 2);
        text += "\r\n";
    }
    return masuvo::Utf8ToCp932(text);
}

void OpenHistory(benchmark::State& state) {
    int rows = 0;
    for (auto _ : state) {
        auto dialog = std::make_unique<CRecordDlg>(RecordPath(), 1.0, 1.0);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) state.SkipWithError("not exposed");
        QCoreApplication::processEvents();  // the first paint
        rows = dialog->findChild<QTreeWidget*>()->topLevelItemCount();
        state.PauseTiming();
        dialog.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(OpenHistory)->Unit(benchmark::kMillisecond)->UseRealTime();

// One click on タイトル (text order, the slowest comparison) and the repaint.
void SortHistoryByTitle(benchmark::State& state) {
    CRecordDlg dialog(RecordPath(), 1.0, 1.0);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) state.SkipWithError("not exposed");
    QHeaderView* header = dialog.findChild<QTreeWidget*>()->header();
    for (auto _ : state) {
        emit header->sectionClicked(4);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(SortHistoryByTitle)->Unit(benchmark::kMillisecond)->UseRealTime();

// The model alone: reading the file and building the rows' texts.
void LoadRecordList(benchmark::State& state) {
    const std::string path = QFile::encodeName(RecordPath()).toStdString();
    for (auto _ : state) {
        masuvo::RecordList list;
        std::string message;
        if (!list.Load(path, message)) state.SkipWithError(message.c_str());
        benchmark::DoNotOptimize(list.Rows().data());
    }
}
BENCHMARK(LoadRecordList)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    RecordPath() = folder.filePath(QStringLiteral("達成記録.csv"));
    {
        QFile file(RecordPath());
        const std::string bytes = RecordFileBytes();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
