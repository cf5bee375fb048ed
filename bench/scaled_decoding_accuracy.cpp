// How far a picture may be scaled down before boards are read worse: every
// photo of a folder (IMAGE.jpg/.png with its truth IMAGE.dat, see
// photo_accuracy.sh) decoded with each pixel limit, and once more enlarged
// to --enlarge times its sides (a stand-in for a high-resolution camera)
// and decoded with the product's limit. Prints boards read exactly and
// cells wrong per limit.
//
//   scaled_decoding_accuracy PHOTO_FOLDER [--enlarge=4]
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/photo_truth.h"
#include "vision/board_recognition.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"

namespace {

struct Photo {
    std::string path;
    std::string truth;  // 81 digits, '0' for an empty cell
};

std::vector<Photo> Photos(const std::string& folder) {
    std::vector<Photo> photos;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".jpg" && ext != ".png") continue;
        const std::string truth =
            ReadPhotoTruth((entry.path().parent_path() / (entry.path().stem().string() + ".dat")).string());
        if (truth.size() == 81) photos.push_back({entry.path().string(), truth});
    }
    std::sort(photos.begin(), photos.end(), [](const Photo& a, const Photo& b) { return a.path < b.path; });
    return photos;
}

void Score(const Photo& photo, const cv::Mat& picture, int& exact, int& wrong) {
    masuvo::BoardDigits digits{};
    const bool read = !picture.empty() && masuvo::RecognizeBoard(picture, false, digits);
    int cells = 0;
    for (int k = 0; k < 81; ++k) cells += (read ? digits[k] : 0) != photo.truth[k] - '0';
    exact += cells == 0;
    wrong += cells;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: scaled_decoding_accuracy PHOTO_FOLDER [--enlarge=N]\n", stderr);
        return 2;
    }
    int enlarge = 4;
    for (int i = 2; i < argc; ++i)
        if (std::strncmp(argv[i], "--enlarge=", 10) == 0) enlarge = std::atoi(argv[i] + 10);
    std::string message;
    if (!masuvo::LoadDigitModel(MASUVO_TRAINED_MODEL_PATH, message)) {
        std::fprintf(stderr, "model: %s\n", message.c_str());
        return 1;
    }
    const std::vector<Photo> photos = Photos(argv[1]);
    std::printf("%zu photos\nlimit_pixels\tboards_exact\tcells_wrong\n", photos.size());
    for (size_t limit : {size_t{0}, size_t{2'000'000}, size_t{1'000'000}, size_t{500'000}, size_t{300'000},
                         size_t{200'000}, size_t{100'000}}) {
        int exact = 0, wrong = 0;
        for (const Photo& photo : photos) {
            cv::Mat picture;
            masuvo::PictureFailure failure;
            masuvo::DecodePictureFile(photo.path, picture, failure, {.scaleAbovePixels = limit});
            Score(photo, picture, exact, wrong);
        }
        std::printf("%zu\t%d\t%d\n", limit, exact, wrong);
        std::fflush(stdout);
    }
    // Enlarged: Qt's smooth scaling up, stored as JPEG, decoded as the
    // product decodes.
    int exact = 0, wrong = 0;
    for (const Photo& photo : photos) {
        const QImage original(QString::fromStdString(photo.path));
        const QImage large = original.scaled(original.size() * enlarge, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        large.save(&buffer, "JPEG", 92);
        cv::Mat picture;
        masuvo::PictureFailure failure;
        masuvo::DecodePictureBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()),
                                   picture, failure);
        Score(photo, picture, exact, wrong);
    }
    std::printf("enlarged x%d, default %zu\t%d\t%d\n", enlarge, masuvo::kScaledDecodingPixels, exact, wrong);
    return 0;
}
