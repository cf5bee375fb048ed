// The text reports of the ツール menu, each in a result window of its own.
#include <ctime>

#include "records/record_file.h"
#include "reports/history_statistics.h"
#include "reports/solution_steps_report.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/result_dlg.h"

namespace masuvo {

CResultDlg* CKenrowDlg::OpenResultWindow(const std::string& text, const QString& title, int width, int height) {
    auto* window = new CResultDlg(QString::fromStdString(text), title, width, height, sx_, sy_, this);
    window->show();
    return window;
}

CResultDlg* CKenrowDlg::OnSolutionSteps() {
    KR_base grid;
    for (int k = 0; k < 81; ++k) grid.value[k / 9][k % 9] = session_->values[k];
    return OpenResultWindow(SolutionStepsReport(session_->name, grid), QStringLiteral("解答手順"), 400, 600);
}

CResultDlg* CKenrowDlg::OnAnalyze() {
    std::vector<std::string> lines;
    std::string message;
    if (!ReadRecordLines(session_->folders.recordPath, lines, message)) {
        ShowMessageBox(message);
        return nullptr;
    }
    const HistoryStatistics report(lines, LocalDateText(std::time(nullptr)));
    CResultDlg* window = OpenResultWindow(report.Page(0), QStringLiteral("履歴統計"), 600, 780);
    for (int page = 1; page < report.PageCount(); ++page) window->AddPage(QString::fromStdString(report.Page(page)));
    return window;
}

}  // namespace masuvo
