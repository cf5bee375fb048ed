// masuvo-train-digits: trains the digit classifier's 784-100-9 network and
// writes it as Masuvo.dat.
//
// The training cells are cut by the program's own grid detection from
// printed puzzles that this tool draws itself (system fonts, grid styles,
// perspective, light, blur, noise, JPEG), at every scale step and pass that
// board recognition uses, so the network learns exactly the inputs it will
// be shown. Optionally digit images from a folder are printed into some of
// the cells as well. Everything is drawn from one seeded generator and the
// training runs on one thread, so the same seed gives the same file.
//
//   masuvo-train-digits --out resources/Masuvo.dat [--seed N] [--boards N]
//                       [--epochs N] [--digits FOLDER]...
//                       [--photos FOLDER --photo-list FILE [--photo-copies N]]

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "vision/image_decoding.h"
#include "vision/board_recognition.h"
#include "vision/digit_classifier.h"
#include "vision/grid_detection.h"
#include "vision/model_file.h"

using namespace Qt::StringLiterals;

namespace {

using masuvo::kCellInputSize;
using masuvo::kModelHidden;
using masuvo::kModelInputs;
using masuvo::kModelOutputs;

struct Options {
    std::string out;
    uint64_t seed = 20261210;
    int boards = 900;
    int testBoards = 40;
    int epochs = 10;
    std::vector<std::string> digitsFolders;
    // Photographs with their truth (NAME.dat beside each picture), named one
    // a line in photoList; each is read as is and in photoCopies - 1 more
    // copies blurred and saved again as JPEG.
    std::string photoFolder;
    std::string photoList;
    int photoCopies = 4;
};

// One training example: a cell input and its digit index 0..8, or -1 for a
// cell without a digit that detection nevertheless kept (a line fragment, a
// speck): the network should be unsure about those.
struct Sample {
    std::vector<float> input;
    int label = -1;
};

class Random {
public:
    explicit Random(uint64_t seed) : engine_(seed) {}
    // Uniform in [lo, hi); drawn from the raw bits so that the numbers do not
    // depend on the standard library's distributions.
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Unit() * (hi - lo + 1)); }  // [lo, hi]
    bool Chance(double p) { return Unit() < p; }
    double Normal() {
        const double u1 = std::max(Unit(), 1e-300);
        const double u2 = Unit();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    }
    uint64_t Bits() { return engine_(); }

private:
    double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    std::mt19937_64 engine_;
};

// ---------------------------------------------------------------- fonts

// Families that can print the digits 1 to 9 as digits: symbol and dingbat
// faces map the digit codes to other shapes.
std::vector<QString> DigitFonts() {
    static const QStringList excluded = {u"Standard Symbols PS"_s, u"D050000L"_s, u"DejaVu Math TeX Gyre"_s,
                                         u"Z003"_s, u"Symbol"_s};
    QStringList families = QFontDatabase::families();
    families.sort();
    std::vector<QString> fonts;
    for (const QString& family : families) {
        if (excluded.contains(family) || family.contains(u"Emoji"_s) || family.contains(u"Symbol"_s)) continue;
        QFont font(family);
        font.setPixelSize(40);
        if (QFontInfo(font).family() != family) continue;  // substituted by another face
        const QFontMetrics metrics(font);
        bool all = true;
        for (char32_t c = U'1'; c <= U'9'; ++c) all = all && metrics.inFontUcs4(c);
        if (all) fonts.push_back(family);
    }
    return fonts;
}

// ---------------------------------------------------------------- digit images

// Digit images 1..9 from a folder tree of 28×28 pictures (folders named 1..9,
// or Sample002..Sample010 for the digits 1..9), brought to ink 255 on paper 0
// whatever their own convention (told by the border's brightness).
std::vector<std::vector<cv::Mat>> LoadDigitImages(const std::vector<std::string>& roots) {
    std::vector<std::vector<cv::Mat>> images(9);
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const std::string& root : roots) {
        std::vector<fs::path> found;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_regular_file()) found.push_back(it->path());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    for (const fs::path& file : files) {
        const std::string folder = file.parent_path().filename().string();
        int digit = 0;
        if (folder.size() == 1 && folder[0] >= '1' && folder[0] <= '9')
            digit = folder[0] - '0';
        else if (folder.rfind("Sample0", 0) == 0 && folder.size() == 9)
            digit = std::atoi(folder.c_str() + 6) - 1;
        if (digit < 1 || digit > 9) continue;
        cv::Mat colour, image;
        masuvo::PictureFailure failure;
        if (!masuvo::DecodePictureFile(file.string(), colour, failure)) continue;
        cv::cvtColor(colour, image, cv::COLOR_BGR2GRAY);
        cv::Scalar border = (cv::mean(image.row(0)) + cv::mean(image.row(image.rows - 1)) +
                             cv::mean(image.col(0)) + cv::mean(image.col(image.cols - 1))) *
                            0.25;
        if (border[0] > 127) image = 255 - image;
        images[digit - 1].push_back(image);
    }
    return images;
}

// ---------------------------------------------------------------- boards

struct Board {
    cv::Mat picture;                     // BGR
    std::array<int, 81> digits{};        // 0 empty
    std::array<cv::Point2f, 4> corners;  // outer edge of the grid: TL, BL, BR, TR
};

cv::Mat ToMat(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC4, const_cast<uchar*>(rgb.constBits()),
                       static_cast<size_t>(rgb.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(view, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

// Prints a digit image (ink 255 on 0) into rect with the given ink colour.
void PaintDigitImage(QPainter& painter, const cv::Mat& digit, const QRectF& rect, QColor ink) {
    QImage mask(digit.cols, digit.rows, QImage::Format_ARGB32);
    for (int y = 0; y < digit.rows; ++y)
        for (int x = 0; x < digit.cols; ++x) {
            QColor c = ink;
            c.setAlpha(digit.at<uchar>(y, x));
            mask.setPixelColor(x, y, c);
        }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect, mask);
}

// How one paper prints its digits: newspapers often set them in a
// condensed face, and some faces have a 4 whose top is open (two strokes
// that do not meet), which a closed 4 never teaches and which looks much
// like a 6 once blurred.
struct PrintStyle {
    double condense = 1.0;  // horizontal scale of every digit
    bool openFour = false;
    double fourHeight = 0.0;  // pixels, the digits' cap height
    double fourWidth = 0.0;
    double fourStroke = 0.0;
    double fourSlant = 0.0;    // how far the left stroke leans in at its top, share of the width
    double fourStemTop = 0.0;  // where the stem starts, share of the height from the top
    double fourBar = 0.0;      // height of the bar, share of the height from the top
    double fourStem = 0.0;     // x of the stem, share of the width
};

PrintStyle ChoosePrintStyle(Random& random, const QFont& font) {
    PrintStyle style;
    if (random.Chance(0.35)) style.condense = random.Uniform(0.62, 0.92);
    style.openFour = random.Chance(0.3);
    const double cap = QFontMetricsF(font).capHeight();
    style.fourHeight = (cap > 0 ? cap : font.pixelSize() * 0.7) * random.Uniform(0.95, 1.05);
    style.fourWidth = style.fourHeight * random.Uniform(0.55, 0.8) * style.condense;
    style.fourStroke = style.fourHeight * random.Uniform(0.08, 0.22);
    style.fourSlant = random.Chance(0.5) ? 0.0 : random.Uniform(0.05, 0.3);
    style.fourStemTop = random.Chance(0.5) ? 0.0 : random.Uniform(0.1, 0.35);
    style.fourBar = random.Uniform(0.58, 0.75);
    style.fourStem = random.Uniform(0.62, 0.8);
    return style;
}

// Prints one digit centred in rect in the paper's style.
void PrintDigit(QPainter& painter, const PrintStyle& style, const QRectF& rect, int digit, QColor ink) {
    if (digit == 4 && style.openFour) {
        const double h = style.fourHeight, w = style.fourWidth;
        const QPointF origin = rect.center() - QPointF(w / 2, h / 2);
        const auto at = [&](double x, double y) { return origin + QPointF(x * w, y * h); };
        QPainterPath path;
        path.moveTo(at(style.fourSlant, 0.0));
        path.lineTo(at(0.0, style.fourBar));
        path.lineTo(at(1.0, style.fourBar));
        path.moveTo(at(style.fourStem, style.fourStemTop));
        path.lineTo(at(style.fourStem, 1.0));
        painter.save();
        painter.setPen(QPen(ink, style.fourStroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.restore();
        return;
    }
    if (style.condense == 1.0) {
        painter.drawText(rect, Qt::AlignCenter, QString::number(digit));
        return;
    }
    painter.save();
    painter.translate(rect.center());
    painter.scale(style.condense, 1.0);
    const double width = rect.width() / style.condense;
    painter.drawText(QRectF(-width / 2, -rect.height() / 2, width, rect.height()), Qt::AlignCenter,
                     QString::number(digit));
    painter.restore();
}

Board DrawBoard(Random& random, const std::vector<QString>& fonts, const std::vector<std::vector<cv::Mat>>& images) {
    Board board;
    const int width = random.Int(420, 1000);
    const int height = std::clamp(static_cast<int>(width * random.Uniform(0.75, 1.35)), 360, 1300);
    const int paper = random.Int(185, 255);
    const QColor paperColour(std::min(255, paper + random.Int(-8, 8)), paper, std::max(0, paper - random.Int(0, 20)));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(paperColour);

    const double side = std::min(width, height) * random.Uniform(0.62, 0.9);
    const double left = random.Uniform(0.04 * width, width - side - 0.04 * width);
    const double top = random.Uniform(0.04 * height, height - side - 0.04 * height);
    const double pitch = side / 9.0;
    const double thin = std::max(1.0, side * random.Uniform(0.0015, 0.006));
    const double thick = random.Chance(0.15) ? thin : thin * random.Uniform(1.6, 3.5);
    const double outer = thick * random.Uniform(1.0, 1.6);
    const int lineGrey = random.Int(0, 90);
    const QColor lineColour(lineGrey, lineGrey, lineGrey + random.Int(0, 30));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, random.Chance(0.8));
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    // Some puzzles shade alternate blocks.
    if (random.Chance(0.15)) {
        const int shade = std::max(0, paper - random.Int(15, 45));
        for (int b = 0; b < 9; b += 2)
            painter.fillRect(QRectF(left + (b % 3) * 3 * pitch, top + (b / 3) * 3 * pitch, 3 * pitch, 3 * pitch),
                             QColor(shade, shade, shade));
    }
    // Inner lines a little off their nominal places, as on a cheap print or
    // a page that is not quite flat: the straightened grid then puts bits of
    // line into the cells, as it does with real photos.
    std::array<double, 10> across{}, down{};
    const double wobble = random.Chance(0.6) ? random.Uniform(0.0, 0.09) * pitch : 0.0;
    for (int k = 0; k <= 9; ++k) {
        across[k] = left + k * pitch + (k % 9 != 0 ? random.Uniform(-wobble, wobble) : 0.0);
        down[k] = top + k * pitch + (k % 9 != 0 ? random.Uniform(-wobble, wobble) : 0.0);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(lineColour);
    for (int k = 1; k < 9; ++k) {
        const double w = k % 3 == 0 ? thick : thin;
        painter.drawRect(QRectF(across[k] - w / 2, top, w, side));
        painter.drawRect(QRectF(left, down[k] - w / 2, side, w));
    }
    // The outer frame lies inside the grid square, so its outer edge is the grid's outline.
    painter.drawRect(QRectF(left, top, side, outer));
    painter.drawRect(QRectF(left, top + side - outer, side, outer));
    painter.drawRect(QRectF(left, top, outer, side));
    painter.drawRect(QRectF(left + side - outer, top, outer, side));

    const QString family = fonts[random.Int(0, static_cast<int>(fonts.size()) - 1)];
    QFont font(family);
    const double sizeRatio = random.Uniform(0.45, 0.85);
    font.setPixelSize(std::max(6, static_cast<int>(pitch * sizeRatio)));
    static const QFont::Weight weights[] = {QFont::Light, QFont::Normal, QFont::Normal, QFont::Medium,
                                            QFont::DemiBold, QFont::Bold, QFont::Bold, QFont::Black};
    font.setWeight(weights[random.Int(0, 7)]);
    font.setItalic(random.Chance(0.08));
    painter.setFont(font);
    const int inkGrey = random.Int(0, 100);
    const QColor ink = random.Chance(0.15) ? QColor(inkGrey / 3, inkGrey / 3, inkGrey + random.Int(40, 120))
                                           : QColor(inkGrey, inkGrey, inkGrey);
    painter.setPen(ink);
    const bool useImages = !images[0].empty() && random.Chance(0.35);
    const PrintStyle style = ChoosePrintStyle(random, font);

    // The givens follow the rules (a shuffled solved grid), so that the
    // board vote weighs the runs as it does for a real puzzle.
    std::array<int, 9> symbol, rows, columns;
    for (int k = 0; k < 9; ++k) symbol[k] = rows[k] = columns[k] = k;
    auto shuffle = [&random](int* first, int count) {
        for (int n = count; n > 1; --n) std::swap(first[n - 1], first[random.Bits() % n]);
    };
    shuffle(symbol.data(), 9);
    for (int band = 0; band < 3; ++band) {
        shuffle(rows.data() + 3 * band, 3);
        shuffle(columns.data() + 3 * band, 3);
    }
    const int givens = random.Int(17, 42);
    for (int n = 0; n < givens; ++n) {
        const int cell = random.Int(0, 80);
        const int r = rows[cell / 9], c = columns[cell % 9];
        board.digits[cell] = symbol[(r * 3 + r / 3 + c) % 9] + 1;
    }
    for (int cell = 0; cell < 81; ++cell) {
        const int digit = board.digits[cell];
        if (digit == 0) continue;
        const double jitter = pitch * 0.06;
        const int c = cell % 9, r = cell / 9;
        const QRectF rect(across[c] + random.Uniform(-jitter, jitter), down[r] + random.Uniform(-jitter, jitter),
                          across[c + 1] - across[c], down[r + 1] - down[r]);
        if (useImages) {
            const std::vector<cv::Mat>& pool = images[digit - 1];
            const cv::Mat& picture = pool[random.Bits() % pool.size()];
            const double s = pitch * random.Uniform(0.7, 1.0);
            PaintDigitImage(painter, picture, QRectF(rect.center().x() - s / 2, rect.center().y() - s / 2, s, s), ink);
        } else {
            PrintDigit(painter, style, rect, digit, ink);
        }
    }
    painter.end();

    board.picture = ToMat(image);
    board.corners = {cv::Point2f(left, top), cv::Point2f(left, top + side), cv::Point2f(left + side, top + side),
                     cv::Point2f(left + side, top)};
    return board;
}

// Paper texture, the camera's view (turn and perspective), uneven light,
// shadow, blur, noise and JPEG.
void Photograph(Random& random, Board& board) {
    cv::Mat& picture = board.picture;
    const int w = picture.cols, h = picture.rows;

    if (random.Chance(0.6)) {
        cv::Mat texture(std::max(2, h / 16), std::max(2, w / 16), CV_32F);
        for (int y = 0; y < texture.rows; ++y)
            for (int x = 0; x < texture.cols; ++x) texture.at<float>(y, x) = static_cast<float>(random.Normal());
        cv::resize(texture, texture, picture.size(), 0, 0, cv::INTER_CUBIC);
        cv::Mat channels[3];
        cv::Mat floatPicture;
        picture.convertTo(floatPicture, CV_32FC3);
        cv::split(floatPicture, channels);
        const float amplitude = static_cast<float>(random.Uniform(2, 12));
        for (cv::Mat& c : channels) c += texture * amplitude;
        cv::merge(channels, 3, floatPicture);
        floatPicture.convertTo(picture, CV_8UC3);
    }

    // A page that is not flat: a gentle bend that leaves the grid's corners
    // nearly in place but curves its lines.
    if (random.Chance(0.4)) {
        const float amplitude = static_cast<float>(random.Uniform(0.5, 2.5) * std::min(w, h) / 400.0);
        const double phaseX = random.Uniform(0, 2 * M_PI), phaseY = random.Uniform(0, 2 * M_PI);
        cv::Mat mapX(h, w, CV_32F), mapY(h, w, CV_32F);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                mapX.at<float>(y, x) = x + amplitude * static_cast<float>(std::sin(M_PI * y / h * 2 + phaseX));
                mapY.at<float>(y, x) = y + amplitude * static_cast<float>(std::sin(M_PI * x / w * 2 + phaseY));
            }
        cv::Mat bent;
        cv::remap(picture, bent, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        picture = bent;
    }

    // Camera: turn about the centre, move the corners, view on a background.
    const double angle = random.Chance(0.3) ? 0.0 : random.Uniform(-9, 9) * M_PI / 180.0;
    const double spread = random.Chance(0.3) ? 0.0 : random.Uniform(0.0, 0.035);
    std::array<cv::Point2f, 4> source = {cv::Point2f(0, 0), cv::Point2f(0, h), cv::Point2f(w, h), cv::Point2f(w, 0)};
    std::array<cv::Point2f, 4> target;
    const double cx = w / 2.0, cy = h / 2.0;
    for (int k = 0; k < 4; ++k) {
        const double x = source[k].x - cx, y = source[k].y - cy;
        target[k] = cv::Point2f(static_cast<float>(cx + x * std::cos(angle) - y * std::sin(angle) +
                                                   random.Uniform(-spread, spread) * w),
                                static_cast<float>(cy + x * std::sin(angle) + y * std::cos(angle) +
                                                   random.Uniform(-spread, spread) * h));
    }
    const double zoom = random.Uniform(0.8, 1.05);
    for (cv::Point2f& p : target) p = cv::Point2f(cx + (p.x - cx) * zoom, cy + (p.y - cy) * zoom);
    const cv::Mat transform = cv::getPerspectiveTransform(source.data(), target.data());
    const int background = random.Int(30, 230);
    cv::Mat viewed;
    cv::warpPerspective(picture, viewed, transform, picture.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                        cv::Scalar(background, background + random.Int(-20, 20), background));
    std::vector<cv::Point2f> corners(board.corners.begin(), board.corners.end()), moved;
    cv::perspectiveTransform(corners, moved, transform);
    for (int k = 0; k < 4; ++k) board.corners[k] = moved[k];
    picture = viewed;

    // Light falling unevenly, perhaps with a shadow edge across the page.
    cv::Mat light(h, w, CV_32F);
    const double gx = random.Uniform(-0.35, 0.35) / w, gy = random.Uniform(-0.35, 0.35) / h;
    const double base = random.Uniform(0.75, 1.1);
    const bool shadow = random.Chance(0.3);
    const double sa = random.Uniform(0, 2 * M_PI), sd = random.Uniform(-0.3, 0.3) * std::min(w, h);
    const double depth = random.Uniform(0.55, 0.85), soft = random.Uniform(2, 40);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = base + gx * (x - cx) + gy * (y - cy);
            if (shadow) {
                const double d = (x - cx) * std::cos(sa) + (y - cy) * std::sin(sa) - sd;
                v *= depth + (1 - depth) / (1 + std::exp(-d / soft));
            }
            light.at<float>(y, x) = static_cast<float>(v);
        }
    cv::Mat floatPicture;
    picture.convertTo(floatPicture, CV_32FC3);
    cv::Mat light3;
    cv::merge(std::vector<cv::Mat>{light, light, light}, light3);
    floatPicture = floatPicture.mul(light3);

    if (random.Chance(0.75)) {
        const double sigma = random.Uniform(0.3, 1.8);
        cv::GaussianBlur(floatPicture, floatPicture, cv::Size(0, 0), sigma);
    }
    if (random.Chance(0.2)) {
        const double factor = random.Uniform(0.45, 0.8);
        cv::Mat small;
        cv::resize(floatPicture, small, cv::Size(), factor, factor, cv::INTER_AREA);
        cv::resize(small, floatPicture, floatPicture.size(), 0, 0, cv::INTER_LINEAR);
    }
    if (random.Chance(0.8)) {
        const double sd2 = random.Uniform(1, 10);
        cv::Mat noise(floatPicture.size(), CV_32FC3);
        for (int y = 0; y < noise.rows; ++y) {
            float* row = noise.ptr<float>(y);
            for (int x = 0; x < noise.cols * 3; ++x) row[x] = static_cast<float>(random.Normal() * sd2);
        }
        floatPicture += noise;
    }
    floatPicture.convertTo(picture, CV_8UC3);

    if (random.Chance(0.8)) {
        // Through Qt's JPEG writer and the program's own decoder.
        const QImage rgb(picture.data, picture.cols, picture.rows, static_cast<qsizetype>(picture.step),
                         QImage::Format_BGR888);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        rgb.save(&buffer, "JPEG", random.Int(25, 95));
        masuvo::PictureFailure failure;
        cv::Mat decoded;
        if (masuvo::DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       static_cast<size_t>(bytes.size()), decoded, failure))
            picture = decoded;
    }
}

// True when detection found the grid that was drawn (within 3 % of its side).
bool FoundDrawnGrid(const Board& board, const masuvo::GridDetection& detection) {
    const double side = cv::norm(board.corners[0] - board.corners[1]);
    for (int k = 0; k < 4; ++k)
        if (cv::norm(board.corners[k] - detection.corners[k]) > 0.03 * side) return false;
    return true;
}

struct Harvest {
    int boards = 0;
    int detected = 0;
    int digitCells = 0;
    int missedDigitCells = 0;  // digit cells detection called empty
};

// Cuts the cells of one board in every run of a still picture (and, for some
// boards, of a camera frame) and keeps them as samples.
void HarvestBoard(const Board& board, Random& random, std::vector<Sample>& samples, Harvest& harvest) {
    ++harvest.boards;
    std::vector<bool> flags = {false};
    if (random.Chance(0.25)) flags.push_back(true);
    bool first = true;
    for (bool camera : flags)
        for (const masuvo::RecognitionRun& run : masuvo::RecognitionRuns(camera)) {
            masuvo::GridDetection detection;
            if (!masuvo::DetectGrid(board.picture, run.scaleStep, run.pass, camera, detection)) return;
            if (first) {
                if (!FoundDrawnGrid(board, detection)) return;
                ++harvest.detected;
                first = false;
            }
            for (int cell = 0; cell < 81; ++cell) {
                const masuvo::GridCell& result = detection.cells[cell];
                const int digit = board.digits[cell];
                if (digit != 0) {
                    ++harvest.digitCells;
                    if (result.empty) {
                        ++harvest.missedDigitCells;
                        continue;
                    }
                } else if (result.empty) {
                    continue;
                }
                Sample sample;
                sample.input.assign(result.input.begin(), result.input.end());
                sample.label = digit - 1;
                samples.push_back(std::move(sample));
            }
        }
}

// ---------------------------------------------------------------- photographs

// The 81 digits of a truth file: two lines about the camera, then nine rows
// of nine digits, 0 for an empty cell.
bool ReadTruth(const std::filesystem::path& path, std::array<int, 81>& digits) {
    std::ifstream file(path);
    std::string line;
    for (int k = 0; k < 2 && std::getline(file, line); ++k) {
    }
    int count = 0;
    char c;
    while (count < 81 && file.get(c))
        if (c >= '0' && c <= '9') digits[count++] = c - '0';
    return count == 81;
}

// A copy of the picture as a worse camera would have taken it.
cv::Mat Degrade(const cv::Mat& picture, Random& random) {
    cv::Mat worse;
    const double sigma = random.Uniform(0.6, 2.2);
    cv::GaussianBlur(picture, worse, cv::Size(), sigma);
    const QImage rgb(worse.data, worse.cols, worse.rows, static_cast<qsizetype>(worse.step), QImage::Format_BGR888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    rgb.save(&buffer, "JPEG", random.Int(20, 80));
    masuvo::PictureFailure failure;
    cv::Mat decoded;
    if (masuvo::DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<size_t>(bytes.size()), decoded, failure))
        return decoded;
    return worse;
}

// Cuts the cells of one picture whose digits are known in every run of a
// still picture, as HarvestBoard does for a drawn one; false when no grid is
// found in it.
bool HarvestPicture(const cv::Mat& picture, const std::array<int, 81>& digits, std::vector<Sample>& samples) {
    const cv::Mat grey = masuvo::GreyPicture(picture);
    masuvo::GridLocation location;
    if (!masuvo::LocateGrid(picture, grey, false, location)) return false;
    for (const masuvo::RecognitionRun& run : masuvo::RecognitionRuns(false)) {
        masuvo::GridDetection detection;
        if (!masuvo::CutGrid(grey, location, run.scaleStep, run.pass, false, detection)) continue;
        for (int cell = 0; cell < 81; ++cell) {
            const masuvo::GridCell& result = detection.cells[cell];
            if (result.empty) continue;
            Sample sample;
            sample.input.assign(result.input.begin(), result.input.end());
            sample.label = digits[cell] - 1;
            samples.push_back(std::move(sample));
        }
    }
    return true;
}

// The listed photographs' cells; returns how many photos gave a grid.
int HarvestPhotos(const Options& options, Random& random, std::vector<Sample>& samples) {
    namespace fs = std::filesystem;
    std::ifstream list(options.photoList);
    std::string name;
    int used = 0;
    while (std::getline(list, name)) {
        if (name.empty() || name[0] == '#') continue;
        const fs::path path = fs::path(options.photoFolder) / name;
        std::array<int, 81> digits{};
        cv::Mat picture;
        masuvo::PictureFailure failure;
        if (!ReadTruth(fs::path(path).replace_extension(".dat"), digits) ||
            !masuvo::DecodePictureFile(path.string(), picture, failure)) {
            std::fprintf(stderr, "masuvo-train-digits: %s or its truth cannot be read, skipped\n", path.c_str());
            continue;
        }
        bool found = false;
        for (int copy = 0; copy < options.photoCopies; ++copy)
            found = HarvestPicture(copy == 0 ? picture : Degrade(picture, random), digits, samples) || found;
        used += found;
    }
    return used;
}

// ---------------------------------------------------------------- network

struct Network {
    std::vector<double> w1 = std::vector<double>(kModelInputs * kModelHidden);  // [input][hidden]
    std::vector<double> b1 = std::vector<double>(kModelHidden);
    std::vector<double> w2 = std::vector<double>(kModelHidden * kModelOutputs);  // [hidden][output]
    std::vector<double> b2 = std::vector<double>(kModelOutputs);

    std::vector<double*> Parts() { return {w1.data(), b1.data(), w2.data(), b2.data()}; }
    static std::vector<size_t> Sizes() {
        return {size_t{kModelInputs * kModelHidden}, size_t{kModelHidden}, size_t{kModelHidden * kModelOutputs},
                size_t{kModelOutputs}};
    }
};

void Initialise(Network& net, Random& random) {
    const double s1 = std::sqrt(2.0 / kModelInputs), s2 = std::sqrt(2.0 / kModelHidden);
    for (double& w : net.w1) w = random.Normal() * s1;
    for (double& w : net.w2) w = random.Normal() * s2;
}

// Forward pass; returns the softmax probabilities in p and the hidden values in h.
void Forward(const Network& net, const float* x, double* h, double* p) {
    for (int j = 0; j < kModelHidden; ++j) h[j] = 0.0;
    for (int i = 0; i < kModelInputs; ++i) {
        const double xi = x[i];
        if (xi == 0.0) continue;
        const double* row = net.w1.data() + i * kModelHidden;
        for (int j = 0; j < kModelHidden; ++j) h[j] += xi * row[j];
    }
    for (int j = 0; j < kModelHidden; ++j) h[j] = std::max(0.0, h[j] + net.b1[j]);
    double o[kModelOutputs];
    for (int k = 0; k < kModelOutputs; ++k) o[k] = net.b2[k];
    for (int j = 0; j < kModelHidden; ++j) {
        if (h[j] == 0.0) continue;
        const double* row = net.w2.data() + j * kModelOutputs;
        for (int k = 0; k < kModelOutputs; ++k) o[k] += h[j] * row[k];
    }
    const double mx = *std::max_element(o, o + kModelOutputs);
    double sum = 0.0;
    for (int k = 0; k < kModelOutputs; ++k) sum += p[k] = std::exp(o[k] - mx);
    for (int k = 0; k < kModelOutputs; ++k) p[k] /= sum;
}

int ArgMax(const double* p) { return static_cast<int>(std::max_element(p, p + kModelOutputs) - p); }

// Mini-batch Adam on the cross-entropy; a cell without a digit is trained
// towards equal probabilities for all nine digits.
void Train(Network& net, const std::vector<Sample>& samples, int epochs, Random& random) {
    const std::vector<size_t> sizes = Network::Sizes();
    Network grad, m, v;
    constexpr int kBatch = 32;
    constexpr double kBeta1 = 0.9, kBeta2 = 0.999, kEps = 1e-8;
    const double startRate = 1e-3;
    std::vector<size_t> order(samples.size());
    for (size_t n = 0; n < order.size(); ++n) order[n] = n;
    long step = 0;
    double h[kModelHidden], p[kModelOutputs], dh[kModelHidden], dout[kModelOutputs];
    for (int epoch = 0; epoch < epochs; ++epoch) {
        for (size_t n = order.size(); n > 1; --n) std::swap(order[n - 1], order[random.Bits() % n]);
        const double rate = startRate * 0.5 * (1 + std::cos(M_PI * epoch / epochs));
        double loss = 0.0;
        int correct = 0, labelled = 0;
        for (size_t start = 0; start < order.size(); start += kBatch) {
            const size_t end = std::min(order.size(), start + kBatch);
            std::vector<double*> gparts = grad.Parts();
            for (size_t part = 0; part < sizes.size(); ++part) std::fill(gparts[part], gparts[part] + sizes[part], 0.0);
            for (size_t n = start; n < end; ++n) {
                const Sample& sample = samples[order[n]];
                const float* x = sample.input.data();
                Forward(net, x, h, p);
                for (int k = 0; k < kModelOutputs; ++k) {
                    const double target = sample.label < 0 ? 1.0 / kModelOutputs : (k == sample.label ? 1.0 : 0.0);
                    dout[k] = p[k] - target;
                    if (target > 0) loss -= target * std::log(std::max(p[k], 1e-12));
                }
                if (sample.label >= 0) {
                    ++labelled;
                    correct += ArgMax(p) == sample.label;
                }
                for (int k = 0; k < kModelOutputs; ++k) grad.b2[k] += dout[k];
                for (int j = 0; j < kModelHidden; ++j) {
                    double* grow = grad.w2.data() + j * kModelOutputs;
                    const double* wrow = net.w2.data() + j * kModelOutputs;
                    double back = 0.0;
                    for (int k = 0; k < kModelOutputs; ++k) {
                        grow[k] += h[j] * dout[k];
                        back += wrow[k] * dout[k];
                    }
                    dh[j] = h[j] > 0.0 ? back : 0.0;
                    grad.b1[j] += dh[j];
                }
                for (int i = 0; i < kModelInputs; ++i) {
                    const double xi = x[i];
                    if (xi == 0.0) continue;
                    double* grow = grad.w1.data() + i * kModelHidden;
                    for (int j = 0; j < kModelHidden; ++j) grow[j] += xi * dh[j];
                }
            }
            ++step;
            const double scale = 1.0 / static_cast<double>(end - start);
            const double c1 = 1.0 - std::pow(kBeta1, static_cast<double>(step));
            const double c2 = 1.0 - std::pow(kBeta2, static_cast<double>(step));
            std::vector<double*> params = net.Parts(), ms = m.Parts(), vs = v.Parts();
            for (size_t part = 0; part < sizes.size(); ++part)
                for (size_t q = 0; q < sizes[part]; ++q) {
                    const double g = gparts[part][q] * scale;
                    ms[part][q] = kBeta1 * ms[part][q] + (1 - kBeta1) * g;
                    vs[part][q] = kBeta2 * vs[part][q] + (1 - kBeta2) * g * g;
                    params[part][q] -= rate * (ms[part][q] / c1) / (std::sqrt(vs[part][q] / c2) + kEps);
                }
        }
        std::printf("epoch %d: loss %.4f, training cells read right %.2f %%\n", epoch + 1,
                    loss / static_cast<double>(order.size()), 100.0 * correct / std::max(1, labelled));
        std::fflush(stdout);
    }
}

masuvo::DigitModel ToModel(const Network& net) {
    masuvo::DigitModel model;
    model.w1.values = net.w1;
    model.b1 = net.b1;
    model.w2.values = net.w2;
    model.b2 = net.b2;
    model.loaded = true;
    return model;
}

bool WriteModel(const Network& net, const std::string& path) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(masuvo::kModelFileBytes));
    auto put = [&bytes](const std::vector<double>& values) {
        for (double value : values) {
            uint64_t bits;
            std::memcpy(&bits, &value, 8);
            for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
        }
    };
    put(net.w1);
    put(net.b1);
    put(net.w2);
    put(net.b2);
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        const bool hasValue = k + 1 < argc;
        if (arg == "--out" && hasValue) options.out = argv[++k];
        else if (arg == "--seed" && hasValue) options.seed = std::strtoull(argv[++k], nullptr, 10);
        else if (arg == "--boards" && hasValue) options.boards = std::atoi(argv[++k]);
        else if (arg == "--test-boards" && hasValue) options.testBoards = std::atoi(argv[++k]);
        else if (arg == "--epochs" && hasValue) options.epochs = std::atoi(argv[++k]);
        else if (arg == "--digits" && hasValue) options.digitsFolders.push_back(argv[++k]);
        else if (arg == "--photos" && hasValue) options.photoFolder = argv[++k];
        else if (arg == "--photo-list" && hasValue) options.photoList = argv[++k];
        else if (arg == "--photo-copies" && hasValue) options.photoCopies = std::atoi(argv[++k]);
        else return false;
    }
    // Photos only from a written list: the ones kept for measuring must
    // never be trained on by accident.
    if (options.photoFolder.empty() != options.photoList.empty() || options.photoCopies < 1) return false;
    return !options.out.empty() && options.boards > 0 && options.epochs > 0 && options.testBoards >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs("usage: masuvo-train-digits --out PATH [--seed N] [--boards N] [--test-boards N] [--epochs N] "
                   "[--digits FOLDER]... [--photos FOLDER --photo-list FILE [--photo-copies N]]\n",
                   stderr);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows while it runs
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    cv::setNumThreads(1);

    const std::vector<QString> fonts = DigitFonts();
    if (fonts.empty()) {
        std::fputs("masuvo-train-digits: no font with the digits 1 to 9 found\n", stderr);
        return 1;
    }
    std::printf("%zu fonts\n", fonts.size());
    const std::vector<std::vector<cv::Mat>> images = LoadDigitImages(options.digitsFolders);
    size_t imageCount = 0;
    for (const auto& pool : images) imageCount += pool.size();
    if (!options.digitsFolders.empty()) {
        bool all = true;
        for (const auto& pool : images) all = all && !pool.empty();
        if (!all) {
            std::fputs("masuvo-train-digits: the --digits folders lack images of some digits\n", stderr);
            return 1;
        }
        std::printf("%zu digit images\n", imageCount);
    }

    Random random(options.seed);
    std::vector<Sample> samples;
    Harvest harvest;
    for (int n = 0; n < options.boards; ++n) {
        Board board = DrawBoard(random, fonts, images);
        Photograph(random, board);
        HarvestBoard(board, random, samples, harvest);
    }
    if (!options.photoFolder.empty()) {
        const size_t before = samples.size();
        const int used = HarvestPhotos(options, random, samples);
        std::printf("%d photos with a grid found, %zu cells\n", used, samples.size() - before);
    }
    size_t unlabelled = 0;
    for (const Sample& s : samples) unlabelled += s.label < 0;
    std::printf("%d boards drawn, grid found in %d; %zu cells (%zu without a digit); %d of %d digit cells "
                "taken for empty\n",
                harvest.boards, harvest.detected, samples.size(), unlabelled, harvest.missedDigitCells,
                harvest.digitCells);
    std::fflush(stdout);

    Network net;
    Initialise(net, random);
    Train(net, samples, options.epochs, random);
    samples.clear();
    samples.shrink_to_fit();

    // Boards never seen in training, read the way the program reads them.
    if (options.testBoards > 0) {
        const masuvo::DigitModel model = ToModel(net);
        Random testRandom(options.seed ^ 0x9E3779B97F4A7C15ull);
        int detected = 0, exact = 0, wrongCells = 0;
        for (int n = 0; n < options.testBoards; ++n) {
            Board board = DrawBoard(testRandom, fonts, images);
            Photograph(testRandom, board);
            masuvo::GridDetection detection;
            if (!masuvo::DetectGrid(board.picture, 0, 0, false, detection) || !FoundDrawnGrid(board, detection))
                continue;
            ++detected;
            masuvo::BoardDigits digits{};
            masuvo::RecognizeBoard(model, board.picture, false, digits);
            int wrong = 0;
            for (int cell = 0; cell < 81; ++cell) wrong += digits[cell] != board.digits[cell];
            wrongCells += wrong;
            exact += wrong == 0;
        }
        std::printf("test boards: %d drawn, grid found in %d, read exactly %d, cells wrong %d\n", options.testBoards,
                    detected, exact, wrongCells);
    }

    if (!WriteModel(net, options.out)) {
        std::fprintf(stderr, "masuvo-train-digits: cannot write %s\n", options.out.c_str());
        return 1;
    }
    std::printf("written %s\n", options.out.c_str());
    return 0;
}
