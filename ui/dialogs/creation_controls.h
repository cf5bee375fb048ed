// The lower half both creation dialogs share: a status line, the bar over
// the search's iterations, and OK / キャンセル centred beneath, laid out under
// the dialog's own fields.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace masuvo {

class CreationTask;
struct CreationOutcome;

struct CreationControls {
    QLabel* status;
    QProgressBar* progress;
    QPushButton* okButton;
    QPushButton* cancelButton;
};

// Makes the controls as children of dialog and gives it a layout of fields
// above them; the dialog keeps the size its contents need.
CreationControls AddCreationControls(QDialog* dialog, QGridLayout* fields, const QString& statusText);

// The progress callback of a search: once cancelled, the iterations left are
// skipped, not searched, so the bar stays where it was.
std::function<void(int)> ProgressUnlessCancelled(const CreationTask& task, QProgressBar* progress);

// How a creation dialog ends once its search has: 0 with the puzzle found;
// 1 after a cancel (which wins even over a puzzle already found) or a
// failure, which is said first in a message box over parent.
int CreationEndCode(QWidget* parent, const CreationTask& task, const CreationOutcome& outcome);

}  // namespace masuvo
