// 画像保存 through the main window: the picture's size and content against
// the board painter, the four file formats read back, the palette of GIF
// files, unknown extensions and failed writes, and the save dialog. With
// MASUVO_SCREENSHOT_DIR set, the exported picture of a hint in detail is
// also written there as exported_board.png.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <unistd.h>

#include "session/play_session.h"
#include "files/user_error_text.h"
#include "ui/export/board_export.h"
#include "ui/drawing/board_painter.h"
#include "ui/export/gif_writer.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/export/palette_reduction.h"
#include "file_size_limit.h"
#include "window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

// Its first hint takes several steps, so the hint dialog opens with 詳細.
const char* const kPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The painter's picture on white, as every exported format holds it.
QImage Opaque(const QImage& board) {
    QImage image(board.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, board);
    return image;
}

// The picture in a file, and the format its content says it is in.
QImage ReadImage(const QString& path, QByteArray* format = nullptr) {
    if (format != nullptr) *format = QImageReader::imageFormat(path);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

// Pixels that differ, and the largest difference of one channel.
struct Difference {
    int pixels = 0;
    int largest = 0;
    double mean = 0;  // per channel
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference d;
    if (a.size() != b.size()) return {-1, 255, 255};
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int r = std::abs(qRed(p) - qRed(q)), g = std::abs(qGreen(p) - qGreen(q)),
                      bl = std::abs(qBlue(p) - qBlue(q));
            if (r + g + bl > 0) ++d.pixels;
            d.largest = std::max({d.largest, r, g, bl});
            sum += r + g + bl;
        }
    }
    d.mean = sum / (3.0 * a.width() * a.height());
    return d;
}

int ColourCount(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFFu);
    return static_cast<int>(colours.size());
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString SaveFailure(int error) { return u"保存ファイルをオープンできません。：\n"_s + QString::fromStdString(UserErrorText(error)); }

}  // namespace

class BoardExportTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;

    CKenrowDlg& Open(int size = 50, double sx = 1.0, double sy = 1.0) {
        AppSettings settings;
        settings.size = size;
        window_ = std::make_unique<CKenrowDlg>(settings, folders_, sx, sy);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    PlaySession& S() { return window_->session(); }
    void Click(const char16_t* button) {
        QTest::mouseClick(window_->findChild<QPushButton*>(QString::fromUtf16(button)), Qt::LeftButton);
    }
    void ClickCell(int row, int col) {
        QTest::mouseClick(window_->clientArea(), Qt::LeftButton, {}, window_->CellPoint(row, col));
    }
    // A puzzle in play with two digits of the player, a colour, and its
    // hint shown in detail on the second step.
    void PlayWithHint(bool hint = true) {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
        test::PressKey(window_.get(), Qt::Key_V, Qt::ControlModifier);
        Click(u"startButton");
        int placed = 0;
        for (int k = 0; k < 81 && placed < 2; ++k) {
            if (S().values[k] != 0) continue;
            ClickCell(k / 9, k % 9);
            test::PressKey(window_.get(), Qt::Key_0 + S().solution[k]);
            ++placed;
        }
        ClickCell(8, 8);
        test::PressKey(window_.get(), Qt::Key_G);
        if (!hint) return;
        Click(u"hintButton");
        CHintDlg* dialog = window_->hintDialog();
        QVERIFY(dialog != nullptr);
        dialog->list()->setCurrentRow(1);
        QTest::mouseClick(dialog->detailButton(), Qt::LeftButton);
        QVERIFY(S().detailShown);
        QCOMPARE(S().hintStep, 1);
    }
    BoardPaintOptions WindowOptions(bool frameAndVeil) {
        BoardPaintOptions options;
        options.cellSize = window_->settings().size;
        options.fontSize = window_->settings().font_size;
        options.selectionFrame = options.pauseVeil = frameAndVeil;
        return options;
    }
    // SaveBoardImage, with the caption and text of the message box it
    // shows, if any (the box is closed with OK).
    bool Save(const QString& path, QString* message = nullptr) {
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
        const bool saved = window_->SaveBoardImage(path);
        if (message != nullptr) *message = shown;
        else if (!shown.isEmpty()) qWarning() << "unexpected message:" << shown;
        return saved;
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
    }
    void cleanup() { window_.reset(); }

    // Also the first to open the dialog: it starts in the data folder.
    void saveDialogChoosesPathAndFormat();

    void pictureSize_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("100%") << 50 << 1.0 << 1.0 << QSize(451, 451);
        QTest::newRow("120%") << 60 << 1.0 << 1.0 << QSize(541, 541);
        QTest::newRow("80%") << 40 << 1.0 << 1.0 << QSize(361, 361);
        // (9S+1)·sx truncated: 563.75 and 676.5.
        QTest::newRow("100% on a 120×144 dpi screen") << 50 << 1.25 << 1.5 << QSize(563, 676);
    }
    void pictureSize() {
        QFETCH(int, size);
        QFETCH(double, sx);
        QFETCH(double, sy);
        QFETCH(QSize, expected);
        Open(size, sx, sy);
        const QString path = temp_.filePath(u"size.png"_s);
        QVERIFY(Save(path));
        QCOMPARE(ReadImage(path).size(), expected);
        QCOMPARE(window_->settings().size, size);
    }

    // The hint overlay is in the picture; the selected cell's frame and the
    // pause veil never are.
    void pictureIsTheBoardWithoutFrameAndVeil() {
        Open();
        PlayWithHint();
        QVERIFY(S().selRow >= 0 && S().hintRow >= 0);
        const QString path = temp_.filePath(u"hint.png"_s);
        QVERIFY(Save(path));
        const QImage exported = ReadImage(path);
        QCOMPARE(Compare(exported, Opaque(RenderBoard(S(), WindowOptions(false)))).pixels, 0);
        QVERIFY(Compare(exported, Opaque(RenderBoard(S(), WindowOptions(true)))).pixels > 0);
        // The overlay: shaded pattern cells and coloured discs.
        int shaded = 0, green = 0;
        for (int y = 0; y < exported.height(); ++y) {
            for (int x = 0; x < exported.width(); ++x) {
                const QRgb p = exported.pixel(x, y);
                shaded += p == 0xFFD0D0D0u;
                green += p == 0xFF40C040u;
            }
        }
        QVERIFY2(shaded > 500, QByteArray::number(shaded));
        QVERIFY2(green > 50, QByteArray::number(green));
        const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            QVERIFY(WriteAll(folder + u"/exported_board.png"_s, ReadAll(path)));
        }

        // Paused: the board without the veil.
        Click(u"pauseButton");
        QCOMPARE(S().mode, 2);
        QVERIFY(Save(path));
        const QImage paused = ReadImage(path);
        QCOMPARE(Compare(paused, Opaque(RenderBoard(S(), WindowOptions(false)))).pixels, 0);
        BoardPaintOptions veiled = WindowOptions(false);
        veiled.pauseVeil = true;
        QVERIFY(Compare(paused, Opaque(RenderBoard(S(), veiled))).pixels > 1000);
        QCOMPARE(paused.pixel(25, 25), 0xFFFFFFFFu);
    }

    // Read back by content; PNG and BMP hold the picture exactly, GIF up to
    // its palette (below), JPEG close to it.
    void eachFormatWrittenAndReadBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<int>("largest");  // allowed difference of one channel
        QTest::addColumn<double>("mean");  // allowed mean difference per channel
        QTest::newRow("png") << u"盤面.png"_s << QByteArray("png") << QByteArray("\x89PNG\r\n\x1a\n") << 0 << 0.0;
        QTest::newRow("PNG in capitals") << u"盤面.PNG"_s << QByteArray("png") << QByteArray("\x89PNG") << 0 << 0.0;
        QTest::newRow("bmp") << u"盤面.bmp"_s << QByteArray("bmp") << QByteArray("BM") << 0 << 0.0;
        QTest::newRow("jpg") << u"盤面.jpg"_s << QByteArray("jpeg") << QByteArray("\xff\xd8\xff") << 128 << 2.0;
        QTest::newRow("jpeg") << u"盤面.Jpeg"_s << QByteArray("jpeg") << QByteArray("\xff\xd8\xff") << 128 << 2.0;
        QTest::newRow("gif") << u"盤面.gif"_s << QByteArray("gif") << QByteArray("GIF8") << 16 << 0.05;
        QTest::newRow("GIF in capitals") << u"盤面.GIF"_s << QByteArray("gif") << QByteArray("GIF8") << 16 << 0.05;
    }
    void eachFormatWrittenAndReadBack() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, magic);
        QFETCH(int, largest);
        QFETCH(double, mean);
        Open();
        PlayWithHint();
        const QImage expected = Opaque(RenderBoard(S(), WindowOptions(false)));
        const QString path = temp_.filePath(name);
        QVERIFY(Save(path));
        QVERIFY(ReadAll(path).startsWith(magic));
        QByteArray read;
        const QImage image = ReadImage(path, &read);
        QCOMPARE(read, format);
        const Difference d = Compare(image, expected);
        QVERIFY2(d.largest <= largest && d.mean <= mean,
                 QByteArray::number(d.largest) + " largest, " + QByteArray::number(d.mean) + " mean");
        QVERIFY(QFile::remove(path));
    }

    // A board has few colours of its own; anti-aliasing adds blends between
    // them. Up to 256 colours the GIF holds every pixel exactly; beyond, the
    // colours that cover the board (paper, lines, digits, shades, marks)
    // stay exact and the blends come close.
    void gifKeepsTheBoardsColours_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("state");  // 0 givens only, 1 in play, 2 hint in detail
        QTest::newRow("givens at 100%") << 50 << 0;
        QTest::newRow("in play at 80%") << 40 << 1;
        QTest::newRow("in play at 120%") << 60 << 1;
        QTest::newRow("hint in detail at 100%") << 50 << 2;
        QTest::newRow("hint in detail at 120%") << 60 << 2;
    }
    void gifKeepsTheBoardsColours() {
        QFETCH(int, size);
        QFETCH(int, state);
        Open(size);
        if (state == 0) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(kPuzzle));
            test::PressKey(window_.get(), Qt::Key_V, Qt::ControlModifier);
        } else {
            PlayWithHint(state == 2);
        }
        const QImage expected = Opaque(RenderBoard(S(), WindowOptions(false)));
        const QString path = temp_.filePath(u"palette.gif"_s);
        QVERIFY(Save(path));
        const QImage gif = ReadImage(path);
        const Difference d = Compare(gif, expected);
        const int colours = ColourCount(expected);
        if (state == 0) {
            QVERIFY2(colours <= 256, QByteArray::number(colours));
            QCOMPARE(d.pixels, 0);
            return;
        }
        QVERIFY2(colours > 256, QByteArray::number(colours));
        std::map<QRgb, int> counts;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x) ++counts[expected.pixel(x, y)];
        const int share = expected.width() * expected.height() / 2000;
        int covering = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                const QRgb p = expected.pixel(x, y);
                if (counts[p] < share) continue;
                ++covering;
                if (gif.pixel(x, y) != p) QFAIL(qPrintable(u"%1 at %2,%3"_s.arg(p, 0, 16).arg(x).arg(y)));
            }
        }
        // Nearly the whole board is in those colours.
        QVERIFY(covering > expected.width() * expected.height() * 9 / 10);
        QVERIFY2(d.largest <= 16 && d.mean < 0.05,
                 QByteArray::number(d.largest) + " largest, " + QByteArray::number(d.mean) + " mean");
    }

    void paletteOfFewColoursIsExact();
    void paletteOfManyColoursKeepsTheFrequentOnes();
    void gifOfOnePixel();

    void unknownExtensionWritesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tiff") << u"盤面.tiff"_s << u".tiff"_s;
        QTest::newRow("text after png") << u"盤面.png.txt"_s << u".txt"_s;
        QTest::newRow("no extension") << u"盤面"_s << u"（拡張子なし）"_s;
        QTest::newRow("dot in the folder only") << u"画像.png/盤面"_s << u"（拡張子なし）"_s;
    }
    void unknownExtensionWritesNothing() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        Open();
        QDir(temp_.path()).mkpath(u"unknown/画像.png"_s);
        const QString folder = temp_.filePath(u"unknown"_s);
        const QStringList before = Entries(folder);
        QString message;
        QVERIFY(!Save(folder + u'/' + name, &message));
        QCOMPARE(message, u"マスヴォ|この拡張子の画像形式には保存できません。：\n"_s + shown +
                              u"\n保存できる形式は png, bmp, jpg, gif です。"_s);
        QCOMPARE(Entries(folder), before);
        QCOMPARE(Entries(folder + u"/画像.png"_s), QStringList());
    }

    // The message with the system's description; an existing file stays
    // as it was and no temporary file is left behind.
    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<QString>("case_");
        QTest::newRow("missing folder") << u"missing"_s;
        QTest::newRow("folder is a file") << u"file"_s;
        QTest::newRow("read-only folder") << u"readonly"_s;
        QTest::newRow("disk full") << u"full"_s;
        QTest::newRow("path is a folder") << u"folder"_s;
    }
    void failedWriteKeepsTheOldFile() {
        QFETCH(QString, case_);
        Open();
        PlayWithHint();
        QTemporaryDir dir(temp_.filePath(u"fail-XXXXXX"_s));
        QVERIFY(dir.isValid());
        const QByteArray old("an older picture");
        QString path = dir.filePath(u"盤面.png"_s);
        int error = 0;
        QString message;
        bool saved = true;
        if (case_ == u"missing") {
            path = dir.filePath(u"ない/盤面.png"_s);
            error = ENOENT;
            saved = Save(path, &message);
        } else if (case_ == u"file") {
            QVERIFY(WriteAll(dir.filePath(u"plain"_s), "x"));
            path = dir.filePath(u"plain/盤面.png"_s);
            error = ENOTDIR;
            saved = Save(path, &message);
        } else if (case_ == u"readonly") {
            if (geteuid() == 0) QSKIP("root writes into read-only folders");
            QVERIFY(WriteAll(path, old));
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            error = EACCES;
            saved = Save(path, &message);
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else if (case_ == u"full") {
            QVERIFY(WriteAll(path, old));
            error = EFBIG;
            test::FileSizeLimit limit(4096);
            saved = Save(path, &message);
        } else {
            QVERIFY(QDir(dir.path()).mkdir(u"盤面.png"_s));
            error = EISDIR;
            saved = Save(path, &message);
            QVERIFY(QFileInfo(path).isDir());
        }
        QVERIFY(!saved);
        QCOMPARE(message, u"マスヴォ|"_s + SaveFailure(error));
        if (case_ == u"readonly" || case_ == u"full") QCOMPARE(ReadAll(path), old);
        for (const QString& entry : Entries(dir.path())) QVERIFY2(!entry.startsWith(u'.'), qPrintable(entry));
    }
};

void BoardExportTest::saveDialogChoosesPathAndFormat() {
    Open();
    PlayWithHint();
    const QString data = QString::fromStdString(folders_.dataFolder);
    const QString other = temp_.filePath(u"別"_s);
    QVERIFY(QDir().mkpath(other));

    struct Step {
        const char16_t* startsIn;  // the folder the dialog opens in
        int filter;                // index of the filter the user picks, -1 to cancel
        const char16_t* typed;     // the file name field
        const char16_t* written;   // the file that must exist afterwards
        const char* format;
    };
    const Step steps[] = {
        {u"data", 0, u"盤面", u"data/盤面.png", "png"},
        {u"data", 1, u"%1/盤面", u"other/盤面.bmp", "bmp"},
        // The folder is remembered; a typed extension wins over the filter.
        {u"other", 0, u"盤面.gif", u"other/盤面.gif", "gif"},
        {u"other", 3, u"盤面2", u"other/盤面2.gif", "gif"},
        {u"other", 2, u"盤面3", u"other/盤面3.jpg", "jpeg"},
        {u"other", 4, u"全部", u"other/全部.png", "png"},
        {u"other", -1, u"取消", u"", ""},
    };
    for (const Step& step : steps) {
        const QString label = QString::fromUtf16(step.typed);
        QString seen;
        test::OnNextModal<QFileDialog>([&](QFileDialog* files) {
            test::CloseOnExit closer{files};
            seen = files->windowTitle() + u'|' + QDir(files->directory()).absolutePath() + u'|' +
                   files->nameFilters().join(u';') + u'|' + files->defaultSuffix() + u'|' +
                   files->findChild<QLineEdit*>(u"fileNameEdit"_s)->text() +
                   (files->testOption(QFileDialog::DontConfirmOverwrite) ? u"|no prompt"_s : u"|prompt"_s);
            if (step.filter < 0) {
                files->reject();
                return;
            }
            // The filter as a user picks it, with the keys on the list.
            auto* combo = files->findChild<QComboBox*>(u"fileTypeCombo"_s);
            for (int i = 0; i < step.filter; ++i) QTest::keyClick(combo, Qt::Key_Down);
            QCOMPARE(combo->currentIndex(), step.filter);
            QString typed = QString::fromUtf16(step.typed);
            typed.replace(u"%1"_s, other);
            files->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(typed);
            static_cast<QDialog*>(files)->accept();
        });
        const QStringList before = Entries(other) + Entries(data);
        window_->action(u"saveImageItem"_s)->trigger();
        const QString start = QString::fromUtf16(step.startsIn) == u"data" ? data : other;
        QCOMPARE(seen, u"画像保存|"_s + QDir(start).absolutePath() +
                           u"|PNG Files (*.png);BMP Files (*.bmp);JPEG Files (*.jpg);GIF Files (*.gif);All Files "
                           u"(*.*)|png||prompt"_s);
        if (step.filter < 0) {
            QCOMPARE(Entries(other) + Entries(data), before);
            continue;
        }
        QString written = QString::fromUtf16(step.written);
        written.replace(u"data/"_s, data + u'/').replace(u"other/"_s, other + u'/');
        QByteArray format;
        QVERIFY2(!ReadImage(written, &format).isNull(), qPrintable(label));
        QCOMPARE(format, QByteArray(step.format));
    }
}

void BoardExportTest::paletteOfFewColoursIsExact() {
    // Three colours, white the most frequent: index 0.
    const uint32_t w = 0xFFFFFFFF, k = 0xFF000000, r = 0xFFFF4040;
    const std::vector<uint32_t> pixels = {w, w, w, k, r, w, k, w};
    const PalettePicture picture = ReduceToPalette(pixels, 4, 2);
    QCOMPARE(picture.palette, (std::vector<uint32_t>{0xFFFFFF, 0x000000, 0xFF4040}));
    QCOMPARE(picture.indices, (std::vector<uint8_t>{0, 0, 0, 1, 2, 0, 1, 0}));

    // Exactly 256 colours stay exact; alpha plays no part.
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 256; ++i) many.push_back((i % 2 ? 0x80000000u : 0xFF000000u) | (i * 0x010203u & 0xFFFFFFu));
    const PalettePicture exact = ReduceToPalette(many, 16, 16);
    QCOMPARE(exact.palette.size(), size_t(256));
    for (size_t i = 0; i < many.size(); ++i) QCOMPARE(exact.palette[exact.indices[i]], many[i] & 0xFFFFFFu);
}

void BoardExportTest::paletteOfManyColoursKeepsTheFrequentOnes() {
    // A board-like picture: white paper with black and pink blocks, and a
    // band holding every red and green level (65,536 colours).
    const int width = 512, height = 400;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) image.setPixel(x, y + 300, x < 100 ? 0xFF000000u : 0xFFFF8080u);
    for (int i = 0; i < 65536; ++i) image.setPixel(i % 512, i / 512, qRgb(i & 255, i >> 8, 90));
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(image.pixel(x, y));
    const PalettePicture picture = ReduceToPalette(pixels, width, height);
    QCOMPARE(picture.palette.size(), size_t(256));
    QCOMPARE(picture.indices.size(), pixels.size());

    auto colourAt = [&](int x, int y) { return picture.palette[picture.indices[static_cast<size_t>(y * width + x)]]; };
    QCOMPARE(colourAt(300, 380), 0xFFFFFFu);
    QCOMPARE(colourAt(50, 320), 0x000000u);
    QCOMPARE(colourAt(150, 320), 0xFF8080u);
    // The band is approximated closely: 256 entries for 65,536 colours.
    double sum = 0;
    int largest = 0;
    for (int i = 0; i < 65536; ++i) {
        const QRgb original = image.pixel(i % 512, i / 512);
        const uint32_t reduced = colourAt(i % 512, i / 512);
        const int dr = std::abs(qRed(original) - static_cast<int>(reduced >> 16 & 255));
        const int dg = std::abs(qGreen(original) - static_cast<int>(reduced >> 8 & 255));
        const int db = std::abs(qBlue(original) - static_cast<int>(reduced & 255));
        sum += dr + dg + db;
        largest = std::max({largest, dr, dg, db});
    }
    QVERIFY2(sum / (3 * 65536) < 4.0, QByteArray::number(sum / (3 * 65536)));
    QVERIFY2(largest <= 24, QByteArray::number(largest));

    // Written as a GIF, the reader sees the reduced colours exactly.
    std::string bytes, error;
    QVERIFY2(EncodeGif(picture, bytes, error), error.c_str());
    const QImage gif = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), "gif");
    QCOMPARE(gif.size(), QSize(width, height));
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 3) QCOMPARE(gif.pixel(x, y) & 0xFFFFFFu, colourAt(x, y));
}

void BoardExportTest::gifOfOnePixel() {
    // One colour still needs a table of two entries.
    const PalettePicture picture = ReduceToPalette(std::vector<uint32_t>{0xFF123456}, 1, 1);
    std::string bytes, error;
    QVERIFY2(EncodeGif(picture, bytes, error), error.c_str());
    const QImage gif = QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), "gif");
    QCOMPARE(gif.size(), QSize(1, 1));
    QCOMPARE(gif.pixel(0, 0), 0xFF123456u);
    // A picture whose indices do not match its size is refused, not read past.
    PalettePicture broken = picture;
    broken.width = 2;
    QVERIFY(!EncodeGif(broken, bytes, error));
}

QTEST_MAIN(BoardExportTest)
#include "board_export_test.moc"
