// What the window tests share: a temporary data folder with its record file
// and settings, keys typed into the active window, and a body run on the
// next modal dialog that opens.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "records/record_file.h"
#include "session/app_settings.h"
#include "ui/main_window/kenrow_app.h"

namespace masuvo::test {

// Settings, Documents and the program folder inside temp; the record file
// is prepared. Returns false (with the reason in message) when it is not.
inline bool PrepareTestFolders(const QTemporaryDir& temp, DataFolders& folders, std::string& message) {
    QStandardPaths::setTestModeEnabled(true);
    const QString settings = temp.filePath(QStringLiteral("settings"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    InstallFontSubstitutions();
    folders = PrepareDataFolders(temp.filePath(QStringLiteral("Documents")).toStdString(),
                                 temp.filePath(QStringLiteral("program")).toStdString());
    return PrepareRecordFile(folders.recordPath, message);
}

// A key to the focused control of window, as a player types it there.
inline void PressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    // The accelerators act in the active window only; without a window
    // manager a closed dialog does not hand the activation back.
    if (QApplication::activeWindow() != window) window->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == window);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : window, static_cast<Qt::Key>(key), modifiers);
}

// Rejects a dialog still open when the scope ends, so a failed check never
// leaves a modal loop running.
struct CloseOnExit {
    QWidget* widget;
    ~CloseOnExit() {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible()) dialog->reject();
    }
};

// Runs body once on the next visible modal widget of type T. The body may
// leave it open (a dialog whose work goes on); CloseOnExit closes it.
template <typename T>
void OnNextModal(std::function<void(T*)> body) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (widget == nullptr || !widget->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        body(widget);
    });
    timer->start();
}

}  // namespace masuvo::test
