// A tour of the main window's looks: a puzzle in play, the candidates, a
// hint in detail, the number pad, the wood grain and the creation dialog at work. Each stop is grabbed
// with its popups drawn where they stand, and checked for size. With
// MASUVO_SCREENSHOT_DIR set, the pictures are also written there as PNG
// files. docs/screenshots is made this way under a virtual X server, with
// MASUVO_SCREENSHOT_DIR=docs/screenshots and QT_QPA_PLATFORM=xcb, through
// xvfb-run -a -s "-screen 0 1400x1000x24" build/tests/screenshot_tour_test.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTest>
#include <memory>

#include "ui/dialogs/create_dialog.h"
#include "records/record_file.h"
#include "session/play_session.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/main_window/number_pad.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const char* const kPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

}  // namespace

class ScreenshotTourTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    PlaySession& S() { return window_->session(); }

    void Open(const AppSettings& settings = AppSettings()) {
        window_ = std::make_unique<CKenrowDlg>(settings, folders_, 1.0, 1.0);
        window_->move(40, 40);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (QApplication::activeWindow() != window_.get()) window_->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == window_.get());
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    void ClickCell(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(window_->clientArea(), button, {}, window_->CellPoint(row, col));
    }
    void Click(const char16_t* button) {
        QTest::mouseClick(window_->findChild<QPushButton*>(QString::fromUtf16(button)), Qt::LeftButton);
    }
    // A puzzle in play: started, two digits of the player, two memos, a colour.
    void Play() {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        Key(Qt::Key_V, Qt::ControlModifier);
        Click(u"startButton");
        int placed = 0;
        for (int k = 0; k < 81 && placed < 2; ++k) {
            if (S().values[k] != 0) continue;
            ClickCell(k / 9, k % 9);
            Key(Qt::Key_0 + S().solution[k]);
            ++placed;
        }
        ClickCell(8, 8);
        Key(Qt::Key_2, Qt::ControlModifier);
        Key(Qt::Key_7, Qt::ControlModifier);
        Key(Qt::Key_G);
        ClickCell(4, 4);
    }

    // The window with its visible popups drawn where they stand.
    QImage Grab(const QString& name) {
        // Scroll bars and the like settle in the event loop.
        QCoreApplication::processEvents();
        QImage image = window_->grab().toImage();
        {
            QPainter painter(&image);
            const QPoint origin = window_->mapToGlobal(QPoint(0, 0));
            for (QWidget* popup : QApplication::topLevelWidgets())
                if (popup != window_.get() && popup->isVisible() && popup->parentWidget() == window_.get())
                    painter.drawImage(popup->mapToGlobal(QPoint(0, 0)) - origin, popup->grab().toImage());
        }
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            if (!image.save(folder + u'/' + name + u".png"_s)) qWarning() << "cannot write" << name;
        }
        return image;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp_.filePath(u"settings"_s));
        InstallFontSubstitutions();
        QApplication::setFont(QFont(u"Meiryo UI"_s, 9));
        folders_ = PrepareDataFolders(temp_.filePath(u"Documents"_s).toStdString(),
                                      temp_.filePath(u"program"_s).toStdString());
        std::string message;
        QVERIFY(PrepareRecordFile(folders_.recordPath, message));
    }
    void cleanup() { window_.reset(); }

    void puzzleInPlay() {
        Open();
        Play();
        const QImage image = Grab(u"main_window"_s);
        QCOMPARE(window_->boardWidget()->size(), QSize(451, 451));
        QCOMPARE(image.size(), window_->size());
    }

    void candidatesShown() {
        Open();
        Play();
        Click(u"candidatesButton");
        int cell = 0;
        while (S().values[cell] != 0) ++cell;
        int digit = 1;
        while ((S().candMarks[cell][digit] & 1) == 0) ++digit;
        ClickCell(cell / 9, cell % 9);
        Key(Qt::Key_0 + digit, Qt::ControlModifier);
        QVERIFY(S().candidatesShown);
        Grab(u"candidates"_s);
    }

    void hintInDetail() {
        Open();
        Play();
        Click(u"hintButton");
        CHintDlg* dialog = window_->hintDialog();
        QVERIFY(dialog != nullptr);
        dialog->list()->setCurrentRow(1);
        QTest::mouseClick(dialog->detailButton(), Qt::LeftButton);
        QVERIFY(S().detailShown);
        QCOMPARE(S().hintStep, 1);
        Grab(u"hint_detail"_s);
    }

    void numberPad() {
        Open();
        Play();
        int cell = 0;
        while (S().values[cell] != 0) ++cell;
        ClickCell(cell / 9, cell % 9, Qt::RightButton);
        CNumberDlg* pad = window_->numberPad();
        QVERIFY(pad->isVisible());
        QTest::mouseMove(pad, pad->ItemCentre(5));
        QCOMPARE(pad->size(), QSize(171, 171));
        Grab(u"number_pad"_s);
    }

    void woodGrain() {
        AppSettings settings;
        settings.wood_pattern = 1;
        Open(settings);
        Play();
        Grab(u"wood_background"_s);
    }

    // The creation dialog while it searches: a stand-in search reports 2,500
    // seeds done and waits for the cancel, so the picture is always the same.
    void creationDialog() {
        Open();
        CCreateDlg dialog(1, 6, 0, false, window_.get());
        dialog.setSearch([](const CreationRequest& request) {
            if (request.progress) request.progress(2500);
            while (!request.cancel->load()) QThread::msleep(5);
            CreationOutcome outcome;
            outcome.status = CreationStatus::Cancelled;
            return outcome;
        });
        QTimer::singleShot(0, &dialog, [&] {
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"okButton"_s), Qt::LeftButton);
            QTimer::singleShot(300, &dialog, [&] {
                QCoreApplication::processEvents();
                const QImage image = dialog.grab().toImage();
                const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
                if (!folder.isEmpty()) image.save(folder + u"/creation_dialog.png"_s);
                QVERIFY(!image.isNull());
                QTest::mouseClick(dialog.findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
            });
        });
        QCOMPARE(dialog.exec(), 1);
    }

    // The other board sizes: controls placed, nothing outside the window.
    void boardSizes_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("80%") << 40;
        QTest::newRow("120%") << 60;
    }
    void boardSizes() {
        QFETCH(int, size);
        AppSettings settings;
        settings.size = size;
        Open(settings);
        Play();
        Grab(u"board_%1"_s.arg(size));
        QCOMPARE(window_->boardWidget()->width(), 9 * size + 1);
        for (QWidget* w : window_->clientArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(window_->clientArea()->rect().contains(w->geometry()), w->objectName().toUtf8());
    }
};

QTEST_MAIN(ScreenshotTourTest)
#include "screenshot_tour_test.moc"
