#include "ui/dialogs/creation_controls.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "generator/creation.h"
#include "ui/creation_task.h"
#include "ui/dialogs/create_dialog.h"

using namespace Qt::StringLiterals;

namespace masuvo {

CreationControls AddCreationControls(QDialog* dialog, QGridLayout* fields, const QString& statusText) {
    CreationControls controls{};
    controls.status = new QLabel(statusText, dialog);
    controls.status->setObjectName(u"statusLine"_s);
    controls.status->setAlignment(Qt::AlignCenter);

    controls.progress = new QProgressBar(dialog);
    controls.progress->setObjectName(u"progressBar"_s);
    controls.progress->setRange(0, kCreationIterations);
    controls.progress->setValue(0);
    controls.progress->setFormat(u"%v / %m"_s);

    controls.okButton = new QPushButton(u"OK"_s, dialog);
    controls.okButton->setObjectName(u"okButton"_s);
    controls.okButton->setDefault(true);
    controls.cancelButton = new QPushButton(u"キャンセル"_s, dialog);
    controls.cancelButton->setObjectName(u"cancelButton"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(controls.okButton);
    buttons->addWidget(controls.cancelButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addWidget(controls.status);
    layout->addWidget(controls.progress);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return controls;
}

std::function<void(int)> ProgressUnlessCancelled(const CreationTask& task, QProgressBar* progress) {
    return [&task, progress](int done) {
        if (!task.Cancelled()) progress->setValue(done);
    };
}

int CreationEndCode(QWidget* parent, const CreationTask& task, const CreationOutcome& outcome) {
    if (task.Cancelled()) return 1;
    if (outcome.status != CreationStatus::Found) {
        ShowCreationFailure(parent);
        return 1;
    }
    return 0;
}

}  // namespace masuvo
