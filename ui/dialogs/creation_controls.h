// The lower half both creation dialogs share: a status line, the bar over
// the search's iterations, and OK / キャンセル centred beneath, laid out under
// the dialog's own fields.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace masuvo {

class CreationTask;

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

}  // namespace masuvo
