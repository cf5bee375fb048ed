// Image import through the main window: picture files (Qt's readers and
// WebP), the clipboard, dropped files and addresses (served by a local
// server), the camera fed from a video file through Qt Multimedia, and the digit model found at
// start-up. A tiny model made here reads every inked cell as 4.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImageWriter>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <webp/encode.h>

#include "session/image_names.h"
#include "session/play_session.h"
#include "tests/ui/theora_video.h"
#include "ui/drawing/board_painter.h"
#include "ui/import/camera_capture.h"
#include "ui/import/image_import.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/main_window/kenrow_dlg.h"
#include "vision/board_recognition.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"
#include "window_driver.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const QString kReadFailed = u"画像の読込に失敗しました。"_s;
// The second line of each kind of failure.
const QString kNotDecodable = kReadFailed + u"\n画像として読めないファイルです"_s;
const QString kNoGrid = kReadFailed + u"\n盤面の枠が見つかりません。"_s;
const QString kFewDigits = kReadFailed + u"\n盤面は見つかりましたが、読み取れた数字が "_s;
const QString kNoClipboardPicture = u"クリップボードに画像がありません。\n"_s;
const QString kCornerOutside = kReadFailed + u"\n盤の角が画像の外にあります。\n盤全体が写った画像を使ってください。"_s;

// A model file whose network reads every inked cell as 4: only the output
// biases are set, so whatever the ink the outputs are the same.
bool WriteReadsFourModel(const QString& path) {
    std::vector<double> values(kModelValueCount, 0.0);
    values[kModelValueCount - kModelOutputs + 3] = 2.0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto bytes = static_cast<qint64>(values.size() * sizeof(double));
    return file.write(reinterpret_cast<const char*>(values.data()), bytes) == bytes;
}

// A printed grid of 9 × 40 pixels in a 400-pixel square with a "7" in each
// of the given cells; paper and ink as given (alpha included).
QImage Picture(const std::vector<int>& cells, QColor paper = Qt::white, QSize canvas = {400, 400}) {
    QImage image(canvas, QImage::Format_ARGB32);
    image.fill(paper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = 360, x0 = (canvas.width() - side) / 2, y0 = (canvas.height() - side) / 2;
    for (int k = 0; k <= 9; ++k) {
        painter.setPen(QPen(Qt::black, k % 3 == 0 ? 4 : 2));
        const int at = k * side / 9;
        painter.drawLine(x0 + at, y0, x0 + at, y0 + side);
        painter.drawLine(x0, y0 + at, x0 + side, y0 + at);
    }
    QFont font(u"Liberation Sans"_s);
    font.setPixelSize(30);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int cell : cells)
        painter.drawText(QRect(x0 + (cell % 9) * 40, y0 + (cell / 9) * 40, 40, 40), Qt::AlignCenter, u"7"_s);
    return image;
}

std::vector<int> FirstCells(int count) {
    std::vector<int> cells;
    for (int cell = 0; cell < count; ++cell) cells.push_back(cell * 4 % 81);
    return cells;
}

// The board of fours the test model reads from Picture(cells).
std::array<int, 81> Fours(const std::vector<int>& cells) {
    std::array<int, 81> digits{};
    for (int cell : cells) digits[cell] = 4;
    return digits;
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// WebP through libwebp's own encoder, lossless, with or without alpha.
QByteArray WebP(const QImage& image, bool alpha) {
    const QImage rgba = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    uint8_t* out = nullptr;
    const size_t size = alpha ? WebPEncodeLosslessRGBA(rgba.constBits(), rgba.width(), rgba.height(),
                                                       static_cast<int>(rgba.bytesPerLine()), &out)
                              : WebPEncodeLosslessRGB(rgba.constBits(), rgba.width(), rgba.height(),
                                                      static_cast<int>(rgba.bytesPerLine()), &out);
    QByteArray bytes(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
    WebPFree(out);
    return bytes;
}

uint32_t Crc32(const QByteArray& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A real PNG whose header says width × height (its data is for 1 × 1).
QByteArray PngClaiming(quint32 width, quint32 height) {
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::white);
    QByteArray png = Encoded(one, "PNG");
    auto put = [&png](int at, quint32 value) {
        for (int k = 0; k < 4; ++k) png[at + k] = static_cast<char>(value >> (24 - 8 * k));
    };
    put(16, width);
    put(20, height);
    put(29, Crc32(png.mid(12, 17)));  // type and data of IHDR
    return png;
}

// Runs action and answers every message box it opens with OK; returns their
// texts (empty when none opened).
QStringList Boxes(const std::function<void()>& action) {
    QStringList texts;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        texts << box->text();
        box->button(QMessageBox::Ok)->click();
    });
    timer.start();
    action();
    return texts;
}

// A tiny HTTP server on the loopback: each path gets its own reply.
class PictureServer : public QObject {
public:
    QMap<QString, QByteArray> replies;  // path → the whole reply, headers and body
    QStringList silent;                 // paths that never get an answer

    bool Start() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                // The request so far travels with its socket (a freed socket's
                // address may come back for the next one).
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n")) return;
                    const QString path = QString::fromLatin1(request.split(' ').value(1));
                    if (silent.contains(path)) return;
                    socket->write(replies.value(path, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return server_.listen(QHostAddress::LocalHost);
    }
    QString Url(const QString& path) const { return u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path); }
    static QByteArray Ok(const QByteArray& body, bool withLength = true) {
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
        if (withLength) head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return head + "\r\n" + body;
    }

private:
    QTcpServer server_;
};

}  // namespace

class ImageImportTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;
    QString modelPath_;

    CKenrowDlg& Open() {
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the main window did not become active");
        return *window_;
    }
    PlaySession& S() { return window_->session(); }
    QString Name() { return window_->findChild<QLineEdit*>(u"nameField"_s)->text(); }
    std::array<int, 81> Givens() {
        std::array<int, 81> digits{};
        for (int k = 0; k < 81; ++k) digits[k] = S().origin[k] == 1 ? S().values[k] : 0;
        return digits;
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = temp_.filePath(name);
        if (!WriteFile(path, bytes)) qWarning() << "cannot write" << path;
        return path;
    }
    // A board that an import must replace (or keep): one given 9 in cell 80.
    void Mark() {
        std::array<int, 81> digits{};
        digits[80] = 9;
        window_->ImportRecognizedBoard(digits, "前の問題");
    }
    bool Dropped(const std::function<void(QMimeData&)>& fill) {
        QMimeData data;
        fill(data);
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.setAccepted(false);
        static_cast<QObject&>(*window_).event(&event);
        return event.isAccepted();
    }

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        modelPath_ = temp_.filePath(u"Masuvo.dat"_s);
        QVERIFY(WriteReadsFourModel(modelPath_));
        QVERIFY2(LoadDigitModel(modelPath_.toStdString(), message), message.c_str());
    }

    void cleanup() { window_.reset(); }

    // The names: titles from file names, time stamps, the extension and
    // address rules of drops, and the stored name of a download.
    void names() {
        QCOMPARE(ImageFileTitle("/a/b/問題.1.png"), std::string("問題.1"));
        QCOMPARE(ImageFileTitle("/a/b.c/noextension"), std::string());
        QCOMPARE(ImageFileTitle("/a/line\nbreak\t.png"), std::string("line_break_"));
        QCOMPARE(ImageFileTitle("/a/c1\xC2\x85x.jpg"), std::string("c1_x"));
        QVERIFY(QRegularExpression(u"^カメラ\\(\\d{14}\\)$"_s)
                    .match(QString::fromStdString(TimeStampTitle("カメラ", std::time(nullptr))))
                    .hasMatch());

        const std::pair<const char*, bool> addresses[] = {
            {"http://example.org/a.png", true},     {"https://example.org/a.webp", true},
            {"http://example.org/a.PNG", false},    {"http://example.org/a.png?size=2", false},
            {"ftp://example.org/a.png", false},     {"http://example.org/png", false},
            {"httpx://example.org/a.tif", true},  // the prefix is all that is checked here
            {"http://example.org/a.jpeg", false},
        };
        for (const auto& [address, accepted] : addresses) QVERIFY2(IsPictureAddress(address) == accepted, address);
        QVERIFY(HasPictureExtension("/x/y.gif"));
        QVERIFY(!HasPictureExtension("/x/y.Gif"));
        QVERIFY(!HasPictureExtension("/x/gif"));

        std::string name;
        QVERIFY(DownloadFileName("http://h/p/a\\b\x01.png", name));
        QCOMPARE(name, std::string("a_b_.png"));
        QVERIFY(DownloadFileName("http://h/" + std::string(300, 'x') + ".webp", name));
        QCOMPARE(name.size(), size_t{255});
        QVERIFY(name.ends_with(".webp"));
        QVERIFY(DownloadFileName("http://h/" + std::string(100, 'x') + std::string(60, '\0') + "あ" +
                                     std::string(150, 'y') + ".png",
                                 name));
        QVERIFY(name.size() <= 255 && name.ends_with(".png"));
        QVERIFY(QString::fromUtf8(name).toUtf8() == QByteArray::fromStdString(name));  // not cut inside a character
        for (const char* bad : {"http://h/", "http://h/.", "http://h/.."}) QVERIFY2(!DownloadFileName(bad, name), bad);
    }

    // Decoding: PNG and WebP give the same picture; transparent paper is
    // white paper in both; a header over the pixel limit, a file over the
    // byte limit, an undecodable or empty file are refused without a word;
    // an unopenable WebP file says so.
    void decoding() {
        const QImage picture = Picture(FirstCells(20));
        const QString png = Write(u"same.png"_s, Encoded(picture, "PNG"));
        const QString webp = Write(u"same.webp"_s, WebP(picture, false));
        const QString webpAlpha = Write(u"same_alpha.webp"_s, WebP(picture, true));
        cv::Mat fromPng, fromWebp, fromWebpAlpha;
        QString message;
        QVERIFY(LoadImageMat(png, fromPng, message));
        QVERIFY(LoadImageMat(webp, fromWebp, message));
        QVERIFY(LoadImageMat(webpAlpha, fromWebpAlpha, message));
        QCOMPARE(fromPng.type(), CV_8UC3);
        QCOMPARE(cv::norm(fromPng, fromWebp, cv::NORM_INF), 0.0);
        QCOMPARE(cv::norm(fromPng, fromWebpAlpha, cv::NORM_INF), 0.0);
        // Channel order: a red pixel is stored blue, green, red.
        QImage red(4, 4, QImage::Format_RGB32);
        red.fill(QColor(200, 10, 20));
        for (const QString& path : {Write(u"red.png"_s, Encoded(red, "PNG")), Write(u"red.webp"_s, WebP(red, false)),
                                    Write(u"red.bmp"_s, Encoded(red, "BMP"))}) {
            cv::Mat mat;
            QVERIFY2(LoadImageMat(path, mat, message), qPrintable(path));
            QCOMPARE(mat.at<cv::Vec3b>(1, 1), cv::Vec3b(20, 10, 200));
        }

        // Fully transparent paper whose colour bytes are black.
        const QImage clear = Picture(FirstCells(20), QColor(0, 0, 0, 0));
        for (const QString& path : {Write(u"clear.png"_s, Encoded(clear, "PNG")),
                                    Write(u"clear.webp"_s, WebP(clear, true))}) {
            cv::Mat mat;
            QVERIFY2(LoadImageMat(path, mat, message), qPrintable(path));
            QCOMPARE(mat.at<cv::Vec3b>(2, 2), cv::Vec3b(255, 255, 255));
            QCOMPARE(mat.at<cv::Vec3b>(20, 20), cv::Vec3b(0, 0, 0));  // the grid's corner
        }

        QFile big(temp_.filePath(u"big.png"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64{256} * 1024 * 1024 + 1));
        big.close();
        QFile bigWebp(temp_.filePath(u"big.webp"_s));
        QVERIFY(bigWebp.open(QIODevice::WriteOnly) && bigWebp.resize(qint64{256} * 1024 * 1024 + 1));
        bigWebp.close();
        const QString refused[] = {
            Write(u"huge.png"_s, PngClaiming(10001, 10000)),
            Write(u"text.png"_s, "not a picture"),
            Write(u"empty.bmp"_s, QByteArray()),
            Write(u"text.webp"_s, "RIFF....WEBPVP8 garbage"),
            big.fileName(),
            bigWebp.fileName(),
        };
        for (const QString& path : refused) {
            cv::Mat mat;
            QVERIFY2(!LoadImageMat(path, mat, message), qPrintable(path));
            QVERIFY2(message.isEmpty(), qPrintable(message));
        }
        // Just under the pixel limit, the header is accepted (the data is then too short).
        QVERIFY(PictureSizeAllowed(10000, 10000));
        QVERIFY(!PictureSizeAllowed(10000, 10001));
        QVERIFY(!PictureSizeAllowed(size_t{1} << 40, size_t{1} << 40));  // no overflow

        cv::Mat mat;
        QVERIFY(!LoadImageMat(temp_.filePath(u"missing.webp"_s), mat, message));
        QVERIFY2(message.startsWith(u"読込ファイルをオープンできません。：\n"_s) &&
                     message.size() > u"読込ファイルをオープンできません。：\n"_s.size(),
                 qPrintable(message));
    }

    // A picture file becomes a new puzzle of givens named after the file;
    // every failure keeps the board and says which step failed.
    void importedFileBecomesGivens() {
        CKenrowDlg& w = Open();
        const std::vector<int> cells = FirstCells(24);
        const QString path = Write(u"数独 1.png"_s, Encoded(Picture(cells), "PNG"));
        Mark();
        QVERIFY(Boxes([&] { QVERIFY(w.ImportImageFile(path)); }).isEmpty());
        QCOMPARE(Givens(), Fours(cells));
        QCOMPARE(Name(), u"数独 1"_s);
        QCOMPARE(QString::fromStdString(S().name), u"数独 1"_s);
        QCOMPARE(S().mode, 0);

        // A picture without any "." in its name has an empty title.
        const QString bare = Write(u"noextension"_s, Encoded(Picture(cells), "PNG"));
        QVERIFY(w.ImportImageFile(bare));
        QCOMPARE(Name(), QString());

        struct Failure {
            QString path;
            QString message;  // the start of the one message box
        };
        const Failure failures[] = {
            {Write(u"few.png"_s, Encoded(Picture(FirstCells(12)), "PNG")), kFewDigits + u"12 個だけです"_s},
            {Write(u"blank.jpg"_s, Encoded(Picture({}, Qt::white, {900, 500}).scaled(900, 300), "JPG")), kNoGrid},
            {Write(u"broken.gif"_s, "GIF89a broken"), kNotDecodable},
            // The grid's top-left corner 30 pixels outside the picture.
            {Write(u"cut.png"_s, Encoded(Picture(cells, Qt::white, {460, 460}).copy(80, 80, 380, 340), "PNG")),
             kCornerOutside},
            {Write(u"text.png"_s, "a text file under a picture's name\n"), kNotDecodable},
            {Write(u"empty.png"_s, QByteArray()), kNotDecodable},
            {Write(u"text.webp"_s, "not a webp"), kNotDecodable},
            {temp_.filePath(u"gone.webp"_s), u"読込ファイルをオープンできません。：\nファイルまたはフォルダーが見つかりません。"_s},
        };
        for (const Failure& failure : failures) {
            Mark();
            const QStringList boxes = Boxes([&] { QVERIFY(!w.ImportImageFile(failure.path)); });
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].startsWith(failure.message), qPrintable(boxes[0]));
            QCOMPARE(S().values[80], 9);
            QCOMPARE(Name(), u"前の問題"_s);
        }
        // The same from the command line, and a file of no known kind.
        Mark();
        QCOMPARE(Boxes([&] { w.OpenCommandLineFile(temp_.filePath(u"text.png"_s)); }).value(0).left(kNotDecodable.size()),
                 kNotDecodable);
        const QStringList unknown = Boxes([&] { w.OpenCommandLineFile(Write(u"notes.txt"_s, "text")); });
        QCOMPARE(unknown.size(), 1);
        QVERIFY2(unknown[0].startsWith(u"読込めないファイルです。：\n"_s), qPrintable(unknown[0]));
        QCOMPARE(Name(), u"前の問題"_s);

        // A transparent PNG and WebP files with and without alpha all import.
        for (const auto& [name, bytes] :
             {std::pair{u"clear.png"_s, Encoded(Picture(cells, QColor(0, 0, 0, 0)), "PNG")},
              std::pair{u"clear.webp"_s, WebP(Picture(cells, QColor(0, 0, 0, 0)), true)},
              std::pair{u"plain.webp"_s, WebP(Picture(cells), false)}}) {
            Mark();
            QVERIFY2(w.ImportImageFile(Write(name, bytes)), qPrintable(name));
            QCOMPARE(Givens(), Fours(cells));
        }
    }

    // The cells a reading leaves in doubt are painted after the import and
    // explained in the message area; typing over one settles it, starting
    // to solve ends them all, and the next import starts afresh.
    void doubtfulCellsMarked() {
        CKenrowDlg& w = Open();
        // Twenty 4s break the rules, and the test model is unsure of every one.
        const std::vector<int> cells = FirstCells(20);
        const QString path = Write(u"doubt.png"_s, Encoded(Picture(cells), "PNG"));
        QVERIFY(Boxes([&] { QVERIFY(w.ImportImageFile(path)); }).isEmpty());
        QCOMPARE(Givens(), Fours(cells));
        const std::array<int, 81> fours = Fours(cells);
        for (int k = 0; k < 81; ++k) QCOMPARE(S().doubtful[k], fours[k] != 0);
        const QString message = w.findChild<QPlainTextEdit*>(u"messageArea"_s)->toPlainText();
        QVERIFY2(message.contains(u"読み取った盤面はルールに合いません"_s) &&
                     message.contains(u"読み取りの確かでない 20 マスを黄色で示しています"_s),
                 qPrintable(message));

        const BoardPaintOptions options;
        const auto centre = [&](const QImage& board, int cell) {
            return board.pixelColor(static_cast<int>((cell % 9 + 0.5) * options.cellSize),
                                    static_cast<int>((cell / 9 + 0.85) * options.cellSize));
        };
        const int first = cells[0], second = cells[1];
        QImage board = RenderBoard(S(), options);
        QCOMPARE(centre(board, first), DoubtfulCellColour());
        QCOMPARE(centre(board, 1), QColor(Qt::white));

        // Typing over a doubtful cell settles it, even with its own digit.
        S().SetCellValue(first / 9, first % 9, 4, true);
        S().SetCellValue(second / 9, second % 9, 0, true);
        QVERIFY(!S().doubtful[first] && !S().doubtful[second]);
        QVERIFY(S().doubtful[cells[2]]);
        board = RenderBoard(S(), options);
        QCOMPARE(centre(board, first), QColor(Qt::white));
        QCOMPARE(centre(board, cells[2]), DoubtfulCellColour());

        // Undoing the edit does not bring the mark back; the solving mode ends
        // them all (starting asks first on a board that breaks the rules).
        S().UndoMove();
        QVERIFY(!S().doubtful[second]);
        S().SetMode(1);
        for (int k = 0; k < 81; ++k) QVERIFY2(!S().doubtful[k], qPrintable(QString::number(k)));

        // A new puzzle starts without marks or their note.
        Mark();
        QVERIFY(!S().AnyDoubtfulCell());
        QVERIFY(!w.findChild<QPlainTextEdit*>(u"messageArea"_s)->toPlainText().contains(u"黄色"_s));
    }

    // Dropped files: only the first counts, the extension is compared
    // exactly, and only while a puzzle is being entered. A picture on the
    // command line is imported like a dropped one.
    void droppedPictures() {
        CKenrowDlg& w = Open();
        const std::vector<int> cells = FirstCells(21);
        const QByteArray png = Encoded(Picture(cells), "PNG");
        const QString lower = Write(u"drop.png"_s, png);
        const QString upper = Write(u"DROP.PNG"_s, png);
        const QString second = Write(u"second.png"_s, Encoded(Picture(FirstCells(30)), "PNG"));

        Mark();
        QVERIFY(!Dropped([&](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(upper)}); }));
        QCOMPARE(Name(), u"前の問題"_s);
        QVERIFY(Dropped([&](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(lower), QUrl::fromLocalFile(second)}); }));
        QCOMPARE(Name(), u"前の問題"_s);  // not yet: after the drop has returned
        QTRY_COMPARE(Name(), u"drop"_s);
        QCOMPARE(Givens(), Fours(cells));

        Mark();
        const QStringList refused = Boxes([&] { w.OpenCommandLineFile(upper); });
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused[0].startsWith(u"読込めないファイルです。：\n"_s), qPrintable(refused[0]));
        QCOMPARE(Name(), u"前の問題"_s);
        w.OpenCommandLineFile(lower);
        QCOMPARE(Name(), u"drop"_s);

        // Solving (mode 1): the import commands are greyed and nothing is taken.
        QVERIFY(w.action(u"loadImageItem"_s)->isEnabled());
        QVERIFY(w.action(u"loadClipboardImageItem"_s)->isEnabled());
        QVERIFY(w.action(u"cameraItem"_s)->isEnabled());
        S().SetMode(1);
        for (const char* item : {"loadImageItem", "loadClipboardImageItem", "cameraItem"})
            QVERIFY2(!w.action(QString::fromLatin1(item))->isEnabled(), item);
        QVERIFY(!w.acceptDrops());
        QVERIFY(!Dropped([&](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(second)}); }));
        QVERIFY(!Dropped([&](QMimeData& d) { d.setText(u"http://127.0.0.1:1/a.png"_s); }));
        QCOMPARE(Name(), u"drop"_s);
        QCOMPARE(Givens(), Fours(cells));
    }

    // The clipboard: no picture and a picture without a board each say so,
    // a board becomes the puzzle "クリップボード(time)".
    void clipboardPictures() {
        CKenrowDlg& w = Open();
        Mark();
        QGuiApplication::clipboard()->setText(u"no picture"_s);
        QStringList boxes = Boxes([&] { w.action(u"loadClipboardImageItem"_s)->trigger(); });
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(kNoClipboardPicture), qPrintable(boxes[0]));
        QCOMPARE(Name(), u"前の問題"_s);

        QGuiApplication::clipboard()->setImage(Picture(FirstCells(8)));
        boxes = Boxes([&] { w.action(u"loadClipboardImageItem"_s)->trigger(); });
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(kFewDigits + u"8 個だけです"_s), qPrintable(boxes[0]));
        QCOMPARE(Name(), u"前の問題"_s);

        const std::vector<int> cells = FirstCells(25);
        QGuiApplication::clipboard()->setImage(Picture(cells, QColor(0, 0, 0, 0)));
        QVERIFY(Boxes([&] { w.action(u"loadClipboardImageItem"_s)->trigger(); }).isEmpty());
        QCOMPARE(Givens(), Fours(cells));
        QVERIFY2(QRegularExpression(u"^クリップボード\\(\\d{14}\\)$"_s).match(Name()).hasMatch(), qPrintable(Name()));
    }

    // Addresses: served from the loopback. The picture is stored in .tmp and
    // imported after the drop has returned; refusals of scheme, status and
    // size, and a silent server, say why and leave no file.
    void droppedAddresses() {
        PictureServer server;
        QVERIFY(server.Start());
        const std::vector<int> cells = FirstCells(22);
        const QByteArray png = Encoded(Picture(cells), "PNG");
        server.replies[u"/pics/board.png"_s] = PictureServer::Ok(png);
        server.replies[u"/pics/unsized.png"_s] = PictureServer::Ok(png, false);
        server.replies[u"/pics/few.png"_s] = PictureServer::Ok(Encoded(Picture(FirstCells(5)), "PNG"));
        server.replies[u"/pics/huge.png"_s] =
            "HTTP/1.1 200 OK\r\nContent-Length: 40000000\r\nConnection: close\r\n\r\nxxxx";
        server.replies[u"/pics/endless.png"_s] = PictureServer::Ok(QByteArray(300'000, 'x'), false);
        server.replies[u"/pics/refused.png"_s] = "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n";
        server.silent << u"/pics/silent.png"_s;

        CKenrowDlg& w = Open();
        const QString tmp = QString::fromStdString(folders_.tempFolder);
        Mark();
        QVERIFY(!Dropped([&](QMimeData& d) { d.setText(server.Url(u"/pics/board.PNG"_s)); }));
        QVERIFY(!Dropped([&](QMimeData& d) { d.setText(server.Url(u"/pics/board.png?size=2"_s)); }));
        QVERIFY(Dropped([&](QMimeData& d) { d.setText(server.Url(u"/pics/board.png"_s)); }));
        QCOMPARE(Name(), u"前の問題"_s);  // not yet: after the drop has returned
        QTRY_COMPARE(Name(), u"board"_s);
        QCOMPARE(Givens(), Fours(cells));
        QVERIFY(QFileInfo(tmp + u"/board.png"_s).isFile());

        Mark();
        QVERIFY(Boxes([&] { QVERIFY(w.ImportImageUrl(server.Url(u"/pics/unsized.png"_s))); }).isEmpty());
        QCOMPARE(Name(), u"unsized"_s);

        w.SetDownloadLimits({100'000, 500});
        struct Refusal {
            QString address;
            QString message;
            QString file;  // in .tmp; must not be left behind
        };
        const Refusal refusals[] = {
            {u"ftp://127.0.0.1/a.png"_s, u"URLをオープンできません。：\nftp://127.0.0.1/a.png"_s, u"a.png"_s},
            {server.Url(u"/pics/missing.png"_s), u"URLをオープンできません。: HTTP 404"_s, u"missing.png"_s},
            {server.Url(u"/pics/refused.png"_s), u"URLをオープンできません。: HTTP 403"_s, u"refused.png"_s},
            {server.Url(u"/pics/huge.png"_s), u"URLをオープンできません。: "_s, u"huge.png"_s},
            {server.Url(u"/pics/endless.png"_s), u"URLをオープンできません。: "_s, u"endless.png"_s},
            {server.Url(u"/pics/silent.png"_s), u"URLをオープンできません。: "_s, u"silent.png"_s},
            {server.Url(u"/pics/.."_s), u"ファイルをオープンできません。: "_s, QString()},
            {server.Url(u"/pics/few.png"_s), kFewDigits, QString()},
        };
        for (const Refusal& refusal : refusals) {
            Mark();
            const QStringList boxes = Boxes([&] { QVERIFY(!w.ImportImageUrl(refusal.address)); });
            QVERIFY2(boxes.size() == 1, qPrintable(refusal.address + boxes.join(u'|')));
            QVERIFY2(boxes[0].startsWith(refusal.message), qPrintable(boxes[0]));
            QCOMPARE(Name(), u"前の問題"_s);
            if (!refusal.file.isEmpty()) QVERIFY2(!QFileInfo::exists(tmp + u'/' + refusal.file), qPrintable(refusal.file));
        }
    }

    // The agreement rule of the camera: three considered readings, each more
    // than half a second after the one before, equal in every cell.
    void cameraReadingsAgree() {
        std::array<int, 81> a{}, b{};
        a[0] = 1;
        b[0] = 2;
        struct Step {
            const std::array<int, 81>* digits;
            int64_t at;
            bool final;
        };
        const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
            {"three agreeing", {{&a, 501, false}, {&a, 1002, false}, {&a, 1503, true}}},
            {"two are not enough", {{&a, 501, false}, {&a, 1002, false}}},
            {"half a second exactly is too soon",
             {{&a, 500, false}, {&a, 1001, false}, {&a, 1501, false}, {&a, 1502, false}, {&a, 2003, true}}},
            {"readings too soon are not considered", {{&a, 600, false}, {&b, 700, false}, {&a, 1200, false}, {&a, 1800, true}}},
            {"a different one starts over", {{&a, 600, false}, {&a, 1200, false}, {&b, 1800, false}, {&b, 2400, false}, {&b, 3000, true}}},
        };
        for (const auto& [name, steps] : cases) {
            CameraReadings readings(0);
            for (const Step& step : steps) QVERIFY2(readings.Consider(*step.digits, step.at) == step.final, name);
        }
    }

    // The camera: a source that cannot be opened says so; a video file of a
    // board is accepted after three agreeing readings and becomes the puzzle
    // "カメラ(time)"; a key in the preview ends without a change.
    void cameraOnVideoFile() {
        CKenrowDlg& w = Open();
        Mark();
        w.SetCameraSource(temp_.filePath(u"no-such-video.avi"_s));
        QCOMPARE(Boxes([&] { w.action(u"cameraItem"_s)->trigger(); }),
                 QStringList{u"カメラが見つかりません。\nPCの設定でデスクトップアプリのカメラへのアクセスを許可してください。"_s});
        QCOMPARE(Name(), u"前の問題"_s);

        const std::vector<int> cells = FirstCells(26);
        const QString video = temp_.filePath(u"board.ogv"_s);
        QVERIFY(test::WriteTheoraVideo(Picture(cells), 40, 10, video));
        w.SetCameraSource(video);

        // Ends on its own; a stuck capture is closed after a while (and fails).
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->windowTitle() == u"msv camera" && top->isVisible()) top->close();
        });
        guard.start(30'000);
        bool previewShown = false;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&previewShown] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* preview = qobject_cast<CCameraPreview*>(top); preview != nullptr && preview->isVisible() &&
                                                                        !preview->frame().isNull())
                    previewShown = true;
        });
        watch.start();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Boxes([&] { w.action(u"cameraItem"_s)->trigger(); }).isEmpty());
        watch.stop();
        QVERIFY(guard.isActive());
        QVERIFY(clock.elapsed() > 1500);  // three readings, each more than half a second apart
        QVERIFY(previewShown);
        QCOMPARE(Givens(), Fours(cells));
        QVERIFY2(QRegularExpression(u"^カメラ\\(\\d{14}\\)$"_s).match(Name()).hasMatch(), qPrintable(Name()));

        // A key in the preview ends the capture; the board stays.
        Mark();
        QTimer key;
        key.setSingleShot(true);
        QObject::connect(&key, &QTimer::timeout, [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->windowTitle() == u"msv camera" && top->isVisible()) QTest::keyClick(top, Qt::Key_Space);
        });
        key.start(300);
        std::array<int, 81> digits{};
        QVERIFY(!w.CaptureCamera(digits));
        QCOMPARE(Name(), u"前の問題"_s);
    }

    // Start-up finds the model beside the program, else in share/masuvo of
    // the prefix (from bin/ or libexec/masuvo);
    // without one it keeps the reason to show and recognition fails.
    void modelAtStartUp() {
        const QString root = temp_.filePath(u"install"_s);
        const QString program = root + u"/bin"_s;
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(root + u"/share/masuvo"_s));
        const QString documents = temp_.filePath(u"Documents"_s);
        {
            CKenrowApp app(CKenrowApp::Paths{documents, program});
            app.InitInstance();
            QVERIFY(app.modelMessage().startsWith(u"読込ファイルをオープンできません。：\n"_s));
            QVERIFY(!ProcessDigitModel().loaded);
            const QStringList boxes =
                Boxes([&] { QVERIFY(!app.window()->ImportImageFile(Write(u"m.png"_s, Encoded(Picture(FirstCells(20)), "PNG")))); });
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].startsWith(kReadFailed + u"\n数字認識用のデータ"_s), qPrintable(boxes[0]));
        }
        QVERIFY(QFile::copy(modelPath_, root + u"/share/masuvo/Masuvo.dat"_s));
        {
            CKenrowApp app(CKenrowApp::Paths{documents, program});
            app.InitInstance();
            QCOMPARE(app.modelMessage(), QString());
            QVERIFY(ProcessDigitModel().loaded);
        }
        // The installed window program lives in libexec/masuvo of the prefix.
        {
            const QString libexec = root + u"/libexec/masuvo"_s;
            QVERIFY(QDir().mkpath(libexec));
            CKenrowApp app(CKenrowApp::Paths{documents, libexec});
            app.InitInstance();
            QCOMPARE(app.modelMessage(), QString());
            QVERIFY(ProcessDigitModel().loaded);
        }
        // Beside the program wins over the installed one (which is now broken).
        QVERIFY(WriteFile(root + u"/share/masuvo/Masuvo.dat"_s, "short"));
        QVERIFY(QFile::copy(modelPath_, program + u"/Masuvo.dat"_s));
        {
            CKenrowApp app(CKenrowApp::Paths{documents, program});
            app.InitInstance();
            QCOMPARE(app.modelMessage(), QString());
            QVERIFY(ProcessDigitModel().loaded);
        }
        std::string message;
        QVERIFY(LoadDigitModel(modelPath_.toStdString(), message));
    }
    // Screenshots for people to look at, written only when
    // MASUVO_IMPORT_SCREENSHOTS names a folder: a photographed puzzle dropped
    // on the window beside the board it produced, and the camera preview fed
    // from a video of it. The trained model is used when it is there.
    void screenshots() {
        const QString folder = qEnvironmentVariable("MASUVO_IMPORT_SCREENSHOTS");
        if (folder.isEmpty()) QSKIP("MASUVO_IMPORT_SCREENSHOTS not set");
        std::string message;
        const QString trained = QStringLiteral(MASUVO_TEST_DATA) + u"/../../resources/Masuvo.dat"_s;
        if (!LoadDigitModel(trained.toStdString(), message)) QVERIFY(LoadDigitModel(modelPath_.toStdString(), message));

        // A phone photograph of a newspaper puzzle: a turned page in perspective.
        QFile photo(QStringLiteral(MASUVO_TEST_DATA) + u"/photos/image111.jpg"_s);
        QVERIFY(photo.open(QIODevice::ReadOnly));
        const QByteArray photoBytes = photo.readAll();
        const QImage picture = QImage::fromData(photoBytes).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!picture.isNull());
        const QString path = Write(u"問題の写真.jpg"_s, photoBytes);
        CKenrowDlg& w = Open();
        QVERIFY(Dropped([&](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(path)}); }));
        QTRY_COMPARE(Name(), u"問題の写真"_s);
        const QImage window = w.grab().toImage();
        QImage both(picture.width() + 20 + window.width(), std::max(picture.height(), window.height()),
                    QImage::Format_RGB32);
        both.fill(Qt::white);
        {
            QPainter painter(&both);
            painter.drawImage(0, 0, picture);
            painter.drawImage(picture.width() + 20, 0, window);
        }
        QVERIFY(both.save(folder + u"/import_drop.png"_s));

        const QString video = temp_.filePath(u"preview.ogv"_s);
        QVERIFY(test::WriteTheoraVideo(picture, 20, 10, video));
        w.SetCameraSource(video);
        QImage preview;
        QTimer grab;
        grab.setInterval(50);
        QObject::connect(&grab, &QTimer::timeout, [&preview] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* camera = qobject_cast<CCameraPreview*>(top);
                    camera != nullptr && camera->isVisible() && !camera->frame().isNull()) {
                    camera->resize(480, 480);
                    preview = camera->grab().toImage();
                    camera->close();
                }
        });
        grab.start();
        std::array<int, 81> digits{};
        w.CaptureCamera(digits);
        grab.stop();
        QVERIFY(!preview.isNull());
        QVERIFY(preview.save(folder + u"/camera_preview.png"_s));
        QVERIFY(LoadDigitModel(modelPath_.toStdString(), message));
    }
};

QTEST_MAIN(ImageImportTest)
#include "image_import_test.moc"
