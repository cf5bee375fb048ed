// 連続問題自動作成の保存: a series of created puzzles, every rank 0..9 for each
// number of a range, one search at a time on the creation dialog's worker.
// The puzzles stay in memory until the window saves them.
#pragma once

#include <vector>

#include "engine/board.h"
#include "generator/creation.h"
#include "ui/dialogs/create_dialog.h"

class QLineEdit;

// exec() returns 0 when every search of the series found its puzzle, 1 when
// it was cancelled or a search failed (failed() tells which; the window
// saves the puzzles made before and then shows the failure).
class CCreateTestDlg : public CCreateDlg {
    Q_OBJECT
public:
    explicit CCreateTestDlg(QWidget* parent = nullptr);

    int start() const { return start_; }
    int end() const { return end_; }
    // Seconds of all searches together.
    int total() const { return total_; }
    bool failed() const { return failed_; }
    // results()[r][k - start()]: the puzzle of rank index r and number k.
    const std::vector<std::vector<masuvo::KR_base>>& results() const { return results_; }
    QLineEdit* countEdit() const { return countEdit_; }

protected:
    void Start() override;
    void Finish(const masuvo::CreationOutcome& outcome) override;

private:
    void ShowSeriesProgress();

    int start_ = 1;
    int end_ = 1;
    int total_ = 0;
    int currentNumber_ = 1;
    int currentRank_ = 0;
    bool failed_ = false;
    std::vector<std::vector<masuvo::KR_base>> results_;
    QLineEdit* countEdit_;
    QLabel* seriesProgress_;
};
