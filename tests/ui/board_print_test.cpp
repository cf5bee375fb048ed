// 印刷 through the main window, printed to PDF files: the page rendered by
// pdftoppm shows the name above a sharp board of the right size at the
// right place, the document is "Kenrow", the board size setting is as it
// was, a printer that cannot start says so, and the print dialog's choices
// reach the printer. With MASUVO_SCREENSHOT_DIR set, the page is also
// written there as printed_page.png.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "session/play_session.h"
#include "ui/main_window/kenrow_dlg.h"
#include "file_size_limit.h"
#include "window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const char* const kPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";
const QString kName = u"印刷の盤面 No.7"_s;

// Runs a poppler tool; its standard output, or a null array when it failed.
QByteArray Run(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    QByteArray out = process.readAllStandardOutput();
    if (out.isNull()) out = QByteArray("");
    return out;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString WithoutSpaces(QString text) {
    text.remove(QRegularExpression(u"\\s"_s));
    return text;
}

// The page's text is the name. The PDF writer's table from glyphs back to
// characters names the CJK face's shared glyphs by their compatibility
// forms (面 as the radical ⾯), maps the space to a tab and leaves out the
// last glyph it embedded: compare in compatibility form, without spaces,
// allowing the last character to be missing.
bool HoldsName(const QString& pdf) {
    const QString text =
        WithoutSpaces(QString::fromUtf8(Run(Tool("pdftotext"), {pdf, u"-"_s})).normalized(QString::NormalizationForm_KC));
    const QString name = WithoutSpaces(kName);
    return name.startsWith(text) && text.size() >= name.size() - 1;
}

// Dark runs across the page: the positions (centres) and widths of the
// columns (or rows) that are dark along at least `length` pixels.
struct Lines {
    std::vector<double> centres;
    std::vector<int> widths;
};

Lines DarkLines(const QImage& page, bool vertical, int length) {
    const int n = vertical ? page.width() : page.height();
    const int m = vertical ? page.height() : page.width();
    std::vector<int> dark(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) dark[static_cast<size_t>(i)] += qGray(vertical ? page.pixel(i, j) : page.pixel(j, i)) < 128;
    Lines lines;
    for (int i = 0; i < n;) {
        if (dark[static_cast<size_t>(i)] < length) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < n && dark[static_cast<size_t>(i)] >= length) ++i;
        lines.centres.push_back((start + i - 1) / 2.0);
        lines.widths.push_back(i - start);
    }
    return lines;
}

// The board's top-left corner on the paper, in the printer's device pixels,
// for the printer's own margins: eight times its offsets, each raised to a
// sixth of an inch, from the printable area's corner.
QPointF BoardCorner(const QPrinter& printer) {
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const int ox = std::max(static_cast<int>(page.left() - paper.left()), printer.resolution() / 6);
    const int oy = std::max(static_cast<int>(page.top() - paper.top()), printer.resolution() / 6);
    return page.topLeft() - paper.topLeft() + QPointF(8 * ox, 8 * oy);
}

}  // namespace

class BoardPrintTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    CKenrowDlg& Open(int size = 50) {
        AppSettings settings;
        settings.size = size;
        window_ = std::make_unique<CKenrowDlg>(settings, folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    PlaySession& S() { return window_->session(); }
    // A puzzle in play under a name typed into the name field.
    void Play() {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        test::PressKey(window_.get(), Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(window_->findChild<QPushButton*>(u"startButton"_s), Qt::LeftButton);
        auto* name = window_->findChild<QLineEdit*>(u"nameField"_s);
        name->setFocus();
        name->selectAll();
        // Japanese arrives from the input method as a committed string.
        QInputMethodEvent typed;
        typed.setCommitString(kName);
        QApplication::sendEvent(name, &typed);
        QCOMPARE(QString::fromStdString(S().name), kName);
        window_->activateWindow();
    }
    // PrintBoard, with the caption and text of the message box it shows.
    bool Print(QPrinter& printer, QString* message = nullptr) {
        QString shown;
        QTimer watcher;
        watcher.setInterval(10);
        connect(&watcher, &QTimer::timeout, this, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            shown = box->windowTitle() + u'|' + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        watcher.start();
        const bool printed = window_->PrintBoard(printer);
        if (message != nullptr) *message = shown;
        else if (!shown.isEmpty()) qWarning() << "unexpected message:" << shown;
        return printed;
    }
    // The first page of a PDF file as pdftoppm renders it.
    QImage Page(const QString& pdf, int dpi) {
        const QString prefix = temp_.filePath(u"page-%1"_s.arg(dpi));
        if (Run(Tool("pdftoppm"), {u"-r"_s, QString::number(dpi), u"-png"_s, u"-singlefile"_s, pdf, prefix}).isNull())
            return {};
        return QImage(prefix + u".png"_s).convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
    }
    void cleanup() { window_.reset(); }

    void printedPage_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<double>("margin");  // millimetres on every side; negative: the printer's own
        QTest::newRow("100% on A4") << 50 << int(QPageSize::A4) << false << -1.0;
        QTest::newRow("120% on Letter, landscape") << 60 << int(QPageSize::Letter) << true << -1.0;
        QTest::newRow("80% on B5") << 40 << int(QPageSize::B5) << false << -1.0;
        // Eight times an inch is more than the paper has room for.
        QTest::newRow("100% on A4 with margins of an inch") << 50 << int(QPageSize::A4) << false << 25.4;
        QTest::newRow("100% on A5, landscape, margins of 12 mm") << 50 << int(QPageSize::A5) << true << 12.0;
    }
    void printedPage() {
        QFETCH(int, size);
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(double, margin);
        Open(size);
        Play();
        const QString pdf = temp_.filePath(u"page.pdf"_s);
        QFile::remove(pdf);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(paper)));
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (margin >= 0)
            QVERIFY(printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter));
        QVERIFY(Print(printer));
        QCOMPARE(window_->settings().size, size);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");

        if (Tool("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
        const QString info = QString::fromUtf8(Run(Tool("pdfinfo"), {pdf}));
        QVERIFY2(info.contains(QRegularExpression(u"Title: +Kenrow\n"_s)), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(u"Pages: +1\n"_s)), qPrintable(info));

        const int dpi = 200;
        const QImage page = Page(pdf, dpi);
        QVERIFY(!page.isNull());
        const double scale = double(dpi) / printer.resolution();
        const QRectF paperRect = printer.paperRect(QPrinter::DevicePixel);
        const QRectF printable(printer.pageRect(QPrinter::DevicePixel).topLeft() * scale,
                               printer.pageRect(QPrinter::DevicePixel).size() * scale);
        QVERIFY(std::abs(page.width() - paperRect.width() * scale) <= 2 &&
                std::abs(page.height() - paperRect.height() * scale) <= 2);
        const double side = std::min(int(paperRect.width()) / 2, int(paperRect.height()) / 2) * scale;

        // Ten grid lines each way, the outer ones a board's side apart (its
        // image is 9S+1 wide, the last line at 9S).
        const double span = side * 9 * 2 * size / (9 * 2 * size + 1);
        QPointF corner;
        for (bool vertical : {true, false}) {
            const Lines lines = DarkLines(page, vertical, static_cast<int>(side * 0.8));
            QCOMPARE(lines.centres.size(), size_t(10));
            QVERIFY2(std::abs(lines.centres.back() - lines.centres.front() - span) <= 2.5,
                     qPrintable(u"%1 to %2, not %3 apart"_s.arg(lines.centres.front()).arg(lines.centres.back()).arg(span)));
            (vertical ? corner.rx() : corner.ry()) = lines.centres.front();
            // Sharp: a thin line is a narrow dark run; the inner block lines
            // are wider (the outer ones show only their inner half).
            const int block = std::min(lines.widths[3], lines.widths[6]);
            for (size_t i = 0; i < 10; ++i) {
                QVERIFY2(lines.widths[i] <= (i % 3 == 0 ? 8 : 4), qPrintable(u"line %1 %2 px wide"_s.arg(i).arg(lines.widths[i])));
                if (i % 3 != 0)
                    QVERIFY2(lines.widths[i] < block, qPrintable(u"line %1 %2 px wide"_s.arg(i).arg(lines.widths[i])));
            }
        }
        const QRectF board(corner, QSizeF(side, side));
        if (margin < 0) {
            // Eight times the printer's offsets (a sixth of an inch at least).
            QVERIFY2(QLineF(board.topLeft(), BoardCorner(printer) * scale).length() <= 3,
                     qPrintable(u"board at %1,%2"_s.arg(board.left()).arg(board.top())));
        } else {
            // Inside the printable area, still eight sixths of an inch in.
            QVERIFY2(printable.adjusted(-2, -2, 2, 2).contains(board),
                     qPrintable(u"board at %1,%2"_s.arg(board.left()).arg(board.top())));
            QVERIFY(board.left() - printable.left() >= 8 * dpi / 6 - 3);
            QVERIFY(board.top() - printable.top() >= 8 * dpi / 6 - 3);
        }

        // The name: ink left-aligned with the board, above it, in the
        // printable area, and nothing else above the board.
        QRect ink;
        for (int y = 0; y < static_cast<int>(board.top()) - 2; ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.left() >= board.left() - 1 && ink.left() < board.left() + 10 && ink.top() > printable.top() &&
                     ink.bottom() < board.top() && ink.right() < printable.right(),
                 qPrintable(u"ink %1,%2 %3x%4"_s.arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        // 16 points: glyphs of one line, top-aligned halfway between the
        // printable area's edge and the board.
        QVERIFY2(ink.height() >= 16 * dpi / 72 / 2 && ink.height() <= 16 * dpi / 72,
                 qPrintable(QString::number(ink.height())));
        const double nameTop = printable.top() + (board.top() - printable.top()) / 2;
        QVERIFY2(ink.top() >= nameTop - 1 && ink.top() - nameTop < 16 * dpi / 72 / 2,
                 qPrintable(u"name at %1, box at %2"_s.arg(ink.top()).arg(nameTop)));

        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty() && QTest::currentDataTag() == QByteArray("100% on A4")) {
            QDir().mkpath(folder);
            QVERIFY(Page(pdf, 60).save(folder + u"/printed_page.png"_s));
        }
        QVERIFY2(HoldsName(pdf), qPrintable(QString::fromUtf8(Run(Tool("pdftotext"), {pdf, u"-"_s}))));
    }

    // A printer that cannot start a document: the message, nothing printed.
    void printerThatCannotStart() {
        Open();
        Play();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = temp_.filePath(u"ない/page.pdf"_s);
        printer.setOutputFileName(pdf);
        QString message;
        QVERIFY(!Print(printer, &message));
        QCOMPARE(message, u"マスヴォ|プリンターの初期化に失敗しました。"_s);
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(window_->settings().size, 50);
    }

    // A full disk while printing to a file: the message, an existing file
    // of that name as it was, no temporary file left; with room again a
    // print replaces it.
    void printToAFullDisk() {
        Open();
        Play();
        QTemporaryDir dir(temp_.filePath(u"full-XXXXXX"_s));
        QVERIFY(dir.isValid());
        const QString pdf = dir.filePath(u"盤面.pdf"_s);
        const QByteArray old("an older document");
        {
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QString message;
        {
            test::FileSizeLimit limit(4096);
            QVERIFY(!Print(printer, &message));
        }
        QCOMPARE(message, u"マスヴォ|印刷に失敗しました。"_s);
        QCOMPARE(ReadAll(pdf), old);
        const QStringList alone{u"盤面.pdf"_s};
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), alone);
        QCOMPARE(printer.outputFileName(), pdf);

        // (Qt's PDF writer is of no more use after a failed write: a new printer.)
        QPrinter again(QPrinter::HighResolution);
        again.setOutputFormat(QPrinter::PdfFormat);
        again.setOutputFileName(pdf);
        QVERIFY(Print(again));
        QVERIFY(ReadAll(pdf).startsWith("%PDF-"));
        QVERIFY(ReadAll(pdf).trimmed().endsWith("%%EOF"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), alone);
        QCOMPARE(window_->settings().size, 50);
    }

    // 印刷... (Ctrl+P): the dialog offers no page ranges, selection or
    // current page but keeps printing to a file; its choice is printed,
    // a cancel prints nothing.
    void printDialog() {
        Open();
        Play();
        for (const bool accept : {false, true}) {
            const QString pdf = temp_.filePath(accept ? u"dialog.pdf"_s : u"cancelled.pdf"_s);
            QString options;
            test::OnNextModal<QPrintDialog>([&](QPrintDialog* dialog) {
                test::CloseOnExit closer{dialog};
                for (auto [option, label] : {std::pair{QAbstractPrintDialog::PrintToFile, u"file"},
                                             {QAbstractPrintDialog::PrintSelection, u"selection"},
                                             {QAbstractPrintDialog::PrintPageRange, u"range"},
                                             {QAbstractPrintDialog::PrintCurrentPage, u"current"}})
                    options += (dialog->testOption(option) ? u"+"_s : u"-"_s) + QString::fromUtf16(label);
                auto* file = dialog->findChild<QLineEdit*>(u"filename"_s);
                QVERIFY(file != nullptr);
                // Without printers the dialog prints to a file.
                file->setText(pdf);
                if (accept)
                    dialog->accept();
                else
                    dialog->reject();
            });
            test::PressKey(window_.get(), Qt::Key_P, Qt::ControlModifier);
            QCOMPARE(options, u"+file-selection-range-current"_s);
            QCOMPARE(QFile::exists(pdf), accept);
        }
        if (Tool("pdftotext").isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(HoldsName(temp_.filePath(u"dialog.pdf"_s)));
        QCOMPARE(window_->settings().size, 50);
    }
};

QTEST_MAIN(BoardPrintTest)
#include "board_print_test.moc"
