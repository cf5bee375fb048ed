#include "vision/model_file.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace masuvo {

namespace {

DigitModel& MutableProcessModel() {
    static DigitModel model;
    return model;
}

std::string ErrorText(int error) { return std::system_category().message(error); }

double LittleEndianDouble(const unsigned char* bytes) {
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = (bits << 8) | bytes[b];
    return std::bit_cast<double>(bits);
}

bool Refuse(DigitModel& model, std::string& message, const std::string& reason) {
    model = DigitModel();
    message = kModelOpenFailed + reason;
    return false;
}

}  // namespace

bool ReadDigitModel(const std::string& path, DigitModel& model, std::string& message) {
    std::vector<unsigned char> bytes(static_cast<size_t>(kModelFileBytes));
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Refuse(model, message, ErrorText(errno ? errno : ENOENT));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const int readError = std::ferror(file) ? (errno ? errno : EIO) : 0;
    std::fclose(file);
    if (readError) return Refuse(model, message, ErrorText(readError));
    if (got < bytes.size())
        return Refuse(model, message,
                      "ファイルが短すぎます（" + std::to_string(got) + " バイト、" +
                          std::to_string(kModelFileBytes) + " バイトが必要です）。");

    DigitModel read;
    const unsigned char* next = bytes.data();
    int index = 0;
    bool finite = true;
    auto fill = [&](double* values, size_t count) {
        for (size_t n = 0; n < count; ++n, ++index, next += 8) {
            values[n] = LittleEndianDouble(next);
            finite = std::isfinite(values[n]);
            if (!finite || std::fabs(values[n]) > kModelValueLimit) return false;
        }
        return true;
    };
    if (!fill(read.w1.values.data(), read.w1.values.size()) || !fill(read.b1.data(), read.b1.size()) ||
        !fill(read.w2.values.data(), read.w2.values.size()) || !fill(read.b2.data(), read.b2.size()))
        return Refuse(model, message,
                      std::string(finite ? "ファイルに大きすぎる値があります（" : "ファイルに有限でない値があります（") +
                          std::to_string(index + 1) + " 番目の値）。");
    read.loaded = true;
    model = std::move(read);
    message.clear();
    return true;
}

bool LoadDigitModel(const std::string& path, std::string& message) {
    return ReadDigitModel(path, MutableProcessModel(), message);
}

const DigitModel& ProcessDigitModel() { return MutableProcessModel(); }

}  // namespace masuvo
