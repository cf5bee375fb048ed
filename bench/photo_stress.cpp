// Boards read from damaged copies of photos: every photo of a list (with its
// truth IMAGE.dat, see photo_accuracy.sh) tilted, turned, blurred, noisy,
// saved as poor JPEG, unevenly lit, shadowed, with a coloured band across it
// and scaled down, each read as the import reads a picture. Prints per
// damage the boards read exactly, refused and the cells wrong, and the
// photos that fail under it, to show where the reading gives way.
//
//   photo_stress PHOTO_FOLDER LIST [--model PATH] [--only NAME[,NAME]...]
//                [--save FOLDER]
//
// --save writes every damaged copy that is not read exactly into FOLDER as
// PNG, to look at.
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "bench/photo_truth.h"
#include "vision/board_recognition.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"

namespace {

struct Photo {
    std::string name;
    std::string truth;  // 81 digits, '0' for an empty cell
    cv::Mat bgr;
};

struct Damage {
    const char* name;
    std::function<cv::Mat(const cv::Mat&, std::mt19937&)> apply;
};

cv::Mat Warp(const cv::Mat& bgr, const std::array<cv::Point2f, 4>& to) {
    const float w = static_cast<float>(bgr.cols), h = static_cast<float>(bgr.rows);
    const cv::Point2f from[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    cv::Mat out;
    cv::warpPerspective(bgr, out, cv::getPerspectiveTransform(from, to.data()), bgr.size(), cv::INTER_LINEAR,
                        cv::BORDER_REPLICATE);
    return out;
}

// Multiplies every pixel by gain(x, y) in [0, 1] per channel.
cv::Mat Light(const cv::Mat& bgr, const std::function<cv::Vec3f(int, int)>& gain) {
    cv::Mat out = bgr.clone();
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.cols; ++x) {
            cv::Vec3b& p = out.at<cv::Vec3b>(y, x);
            const cv::Vec3f g = gain(x, y);
            for (int c = 0; c < 3; ++c) p[c] = cv::saturate_cast<uint8_t>(p[c] * g[c]);
        }
    return out;
}

std::vector<Damage> Damages() {
    return {
        {"as taken", [](const cv::Mat& m, std::mt19937&) { return m.clone(); }},
        {"tilted back 15 %",
         [](const cv::Mat& m, std::mt19937&) {
             const float w = m.cols, h = m.rows;
             return Warp(m, {cv::Point2f{0.15f * w, 0.05f * h}, {0.85f * w, 0.05f * h}, {w, h}, {0, h}});
         }},
        {"tilted sideways 12 %",
         [](const cv::Mat& m, std::mt19937&) {
             const float w = m.cols, h = m.rows;
             return Warp(m, {cv::Point2f{0, 0}, {w, 0.12f * h}, {w, 0.88f * h}, {0, h}});
         }},
        {"turned 4 degrees",
         [](const cv::Mat& m, std::mt19937&) {
             cv::Mat out;
             cv::warpAffine(m, out, cv::getRotationMatrix2D({m.cols / 2.0f, m.rows / 2.0f}, 4, 0.95), m.size(),
                            cv::INTER_LINEAR, cv::BORDER_REPLICATE);
             return out;
         }},
        {"turned -7 degrees",
         [](const cv::Mat& m, std::mt19937&) {
             cv::Mat out;
             cv::warpAffine(m, out, cv::getRotationMatrix2D({m.cols / 2.0f, m.rows / 2.0f}, -7, 0.92), m.size(),
                            cv::INTER_LINEAR, cv::BORDER_REPLICATE);
             return out;
         }},
        {"blurred (sigma 1/400 of the side)",
         [](const cv::Mat& m, std::mt19937&) {
             cv::Mat out;
             cv::GaussianBlur(m, out, {0, 0}, std::max(m.cols, m.rows) / 400.0);
             return out;
         }},
        {"blurred (sigma 1/250 of the side)",
         [](const cv::Mat& m, std::mt19937&) {
             cv::Mat out;
             cv::GaussianBlur(m, out, {0, 0}, std::max(m.cols, m.rows) / 250.0);
             return out;
         }},
        {"noise (sd 18)",
         [](const cv::Mat& m, std::mt19937& random) {
             cv::Mat noise(m.size(), CV_16SC3), out;
             cv::theRNG().state = random();
             cv::randn(noise, 0, 18);
             m.convertTo(out, CV_16SC3);
             out += noise;
             out.convertTo(out, CV_8UC3);
             return out;
         }},
        {"JPEG quality 12",
         [](const cv::Mat& m, std::mt19937&) {
             // Through Qt's JPEG writer and the program's own decoder.
             const QImage rgb(m.data, m.cols, m.rows, static_cast<qsizetype>(m.step), QImage::Format_BGR888);
             QByteArray bytes;
             QBuffer buffer(&bytes);
             buffer.open(QIODevice::WriteOnly);
             rgb.save(&buffer, "JPEG", 12);
             masuvo::PictureFailure failure;
             cv::Mat out;
             masuvo::DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()), out, failure);
             return out;
         }},
        {"light falling to 35 % across",
         [](const cv::Mat& m, std::mt19937&) {
             const float w = m.cols;
             return Light(m, [w](int x, int) {
                 const float g = 1.0f - 0.65f * x / w;
                 return cv::Vec3f(g, g, g);
             });
         }},
        {"shadow over a corner",
         [](const cv::Mat& m, std::mt19937&) {
             const float w = m.cols, h = m.rows;
             return Light(m, [w, h](int x, int y) {
                 const float g = (x / w + y / h < 0.8f) ? 0.45f : 1.0f;
                 return cv::Vec3f(g, g, g);
             });
         }},
        {"blue band across the middle",
         [](const cv::Mat& m, std::mt19937&) {
             const int top = m.rows * 45 / 100, bottom = m.rows * 55 / 100;
             return Light(m, [top, bottom](int, int y) {
                 return y >= top && y < bottom ? cv::Vec3f(0.95f, 0.75f, 0.45f) : cv::Vec3f(1, 1, 1);
             });
         }},
        {"pink band across the middle",
         [](const cv::Mat& m, std::mt19937&) {
             const int top = m.rows * 45 / 100, bottom = m.rows * 55 / 100;
             return Light(m, [top, bottom](int, int y) {
                 return y >= top && y < bottom ? cv::Vec3f(0.75f, 0.6f, 0.95f) : cv::Vec3f(1, 1, 1);
             });
         }},
        {"scaled to 480 pixels",
         [](const cv::Mat& m, std::mt19937&) {
             const double f = 480.0 / std::max(m.cols, m.rows);
             cv::Mat out;
             cv::resize(m, out, {}, f, f, cv::INTER_AREA);
             return out;
         }},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: photo_stress PHOTO_FOLDER LIST [--model PATH] [--only NAME,...] [--save FOLDER]\n", stderr);
        return 2;
    }
    std::string modelPath = MASUVO_TRAINED_MODEL_PATH, only, save;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--model") == 0) modelPath = argv[i + 1];
        if (std::strcmp(argv[i], "--only") == 0) only = argv[i + 1];
        if (std::strcmp(argv[i], "--save") == 0) save = argv[i + 1];
    }
    masuvo::DigitModel model;
    std::string message;
    if (!masuvo::ReadDigitModel(modelPath, model, message)) {
        std::fprintf(stderr, "model: %s\n", message.c_str());
        return 1;
    }
    std::vector<Photo> photos;
    std::ifstream list(argv[2]);
    for (std::string name; std::getline(list, name);) {
        if (name.empty() || name[0] == '#') continue;
        if (!only.empty() && ("," + only + ",").find("," + name + ",") == std::string::npos) continue;
        const std::string path = std::string(argv[1]) + "/" + name;
        Photo photo{name, ReadPhotoTruth(path.substr(0, path.rfind('.')) + ".dat"), {}};
        masuvo::PictureFailure failure;
        if (photo.truth.size() == 81 && masuvo::DecodePictureFile(path, photo.bgr, failure))
            photos.push_back(std::move(photo));
    }
    std::printf("%zu photos\n", photos.size());
    for (const Damage& damage : Damages()) {
        int exact = 0, refused = 0, wrong = 0;
        std::ostringstream failing;
        for (const Photo& photo : photos) {
            // Seeded by the photo's name: a photo is damaged alike whether
            // read alone (--only) or in the list.
            uint32_t seed = 2166136261u;
            for (unsigned char c : photo.name) seed = (seed ^ c) * 16777619u;
            std::mt19937 random(seed);
            const cv::Mat damaged = damage.apply(photo.bgr, random);
            masuvo::BoardReading reading;
            const bool read = masuvo::ReadBoard(model, damaged, false, reading);
            int cells = 0;
            for (int k = 0; k < 81; ++k) cells += (read ? reading.digits[k] : 0) != photo.truth[k] - '0';
            exact += cells == 0;
            refused += !read;
            wrong += cells;
            if (cells == 0) continue;
            if (!save.empty()) {
                std::string file = save + "/" + damage.name + " " + photo.name + ".png";
                QImage(damaged.data, damaged.cols, damaged.rows, static_cast<qsizetype>(damaged.step),
                       QImage::Format_BGR888)
                    .save(QString::fromStdString(file));
            }
            failing << ' ' << photo.name << '(';
            if (read) failing << cells;
            else failing << masuvo::RecognitionFailureText(reading.report.failure);
            failing << ')';
        }
        std::printf("%-36s exact %3d of %zu, refused %2d, cells wrong %4d (%.2f %%)\n   %s\n", damage.name, exact,
                    photos.size(), refused, wrong, 100.0 * wrong / (81.0 * photos.size()), failing.str().c_str());
    }
    return 0;
}
