// 問題自動作成: the dialog that runs the rank-targeted creation search, and the
// pieces it shares with the dialog of unsolvable puzzles (the search thread and
// the number field with its up-down buttons).
#pragma once

#include <QAbstractSpinBox>
#include <QDialog>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

#include "engine/board.h"
#include "generator/creation.h"
#include "ui/creation_task.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace masuvo {

// A digits-only number field with up-down buttons. Typing is free (any digits,
// even none, which reads as 0); only the buttons and the arrow keys keep to
// 1..maximum.
class NumberEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    NumberEdit(int maximum, QWidget* parent = nullptr);

    int Value() const;  // the text as a decimal number, 0 when it holds none
    void SetValue(int value);
    void SetText(const QString& text);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    int maximum_;
};

// The message of a search that found nothing, shown while its dialog is open.
void ShowCreationFailure(QWidget* parent);

}  // namespace masuvo

// Creates a puzzle of a chosen rank and symmetry from a number. exec() returns
// 0 when a puzzle was created, 1 when the search was cancelled or failed or the
// dialog was closed before starting. In difficult mode the ranks offered are
// the three top ones.
class CCreateDlg : public QDialog {
    Q_OBJECT
public:
    CCreateDlg(int number, int rankSelection, int symmetry, bool difficult, QWidget* parent = nullptr);
    ~CCreateDlg() override;

    // The values chosen when OK was pressed (the given ones until then).
    int number() const { return number_; }
    int rankSelection() const { return rankSelection_; }
    int symmetry() const { return symmetry_; }
    int rankIndex() const { return difficult_ ? rankSelection_ + 7 : rankSelection_; }
    // The catalogue index of the technique chosen under 解法, -1 for 指定なし.
    int technique() const { return technique_; }
    // Chooses the technique under 解法 when the chosen rank offers it.
    void PresetTechnique(int technique);
    // The created puzzle (end code 0 only).
    const masuvo::KR_base& result() const { return result_; }
    int elapsedSeconds() const { return elapsed_; }

    // The status line changes every 15 seconds while the search runs.
    void setStatusInterval(int milliseconds) { statusInterval_ = milliseconds; }
    // The search to run: CreateRated unless a test gives another.
    void setSearch(masuvo::CreationTask::Search search) { search_ = std::move(search); }

public slots:
    // Cancel, Escape and the close box: closes at once before the start; while
    // the search runs, asks it to stop and closes when it has.
    void reject() override;

protected:
    // OK: reads the fields, locks them and starts the search; the outcome
    // comes to Finish on the window thread.
    virtual void Start();
    virtual void Finish(const masuvo::CreationOutcome& outcome);
    // One search of the chosen rank index, number and symmetry.
    void StartSearch(int rankIndex, int number, int symmetry);
    void ShowNextWaitText();
    // 指定なし and the techniques the selected rank can need, keeping the
    // chosen technique when the new rank allows it too.
    void FillTechniqueList();

    int number_;
    int rankSelection_;
    int symmetry_;
    int technique_ = -1;
    bool difficult_;
    bool running_ = false;
    bool messageToggle_ = false;
    int elapsed_ = 0;
    int statusInterval_ = 15000;
    masuvo::KR_base result_;
    masuvo::CreationTask::Search search_;

    QGridLayout* fields_;
    masuvo::NumberEdit* numberEdit_;
    QComboBox* rankList_;
    QComboBox* symmetryList_;
    QComboBox* techniqueList_;
    QLabel* techniqueLabel_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    QTimer statusTimer_;
    // Last, so that it is destroyed first: its destructor waits for the search,
    // whose callbacks use the members above.
    masuvo::CreationTask task_;
};
