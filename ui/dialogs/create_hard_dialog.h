// 解けない問題の作成: the dialog of the search for puzzles with one solution that
// the technique catalogue cannot finish.
#pragma once

#include <QDialog>

#include "engine/board.h"
#include "ui/dialogs/create_dialog.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// exec() returns 0 when a puzzle was created, 1 when the search was cancelled
// or failed or the dialog was closed before starting.
class CCreateHardDlg : public QDialog {
    Q_OBJECT
public:
    CCreateHardDlg(int number, int symmetry, QWidget* parent = nullptr);
    ~CCreateHardDlg() override;

    // The values chosen when OK was pressed (the given ones until then).
    int number() const { return number_; }
    int symmetry() const { return symmetry_; }
    // The created puzzle (end code 0 only).
    const masuvo::KR_base& result() const { return result_; }
    int elapsedSeconds() const { return elapsed_; }

    // The search to run: CreateUnsolvable unless a test gives another.
    void setSearch(masuvo::CreationTask::Search search) { search_ = std::move(search); }

public slots:
    // Cancel, Escape and the close box: closes at once before the start; while
    // the search runs, asks it to stop and closes when it has.
    void reject() override;

private:
    void Start();
    void Finish(const masuvo::CreationOutcome& outcome);

    int number_;
    int symmetry_;
    bool running_ = false;
    int elapsed_ = 0;
    masuvo::KR_base result_;
    masuvo::CreationTask::Search search_;

    masuvo::NumberEdit* numberEdit_;
    QComboBox* symmetryList_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    // Last, so that it is destroyed first: its destructor waits for the search,
    // whose callbacks use the members above.
    masuvo::CreationTask task_;
};
