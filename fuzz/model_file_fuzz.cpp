// The digit model file (Masuvo.dat, 79,409 little-endian doubles). An input
// is not the file itself (a fuzzer's inputs are far shorter) but an edit of
// the shipped model: its length and patches of bytes at chosen offsets.
// A model that loads must classify every cell to a digit 1..9 with a
// probability in (0, 1].
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "vision/digit_classifier.h"
#include "vision/model_file.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 4096;
constexpr size_t kModelBytes = static_cast<size_t>(kModelFileBytes);

const std::string& ShippedModel() {
    static const std::string bytes = fuzz::ReadWholeFile(MASUVO_FUZZ_MODEL_PATH);
    return bytes;
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint32_t Take(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = (value << 8) | (at_ < size_ ? data_[at_++] : 0);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The file the input describes: the shipped model cut or extended, then
// patched.
std::string EditedModel(const uint8_t* data, size_t size) {
    Input in(data, size);
    std::string file = ShippedModel();
    fuzz::Require(file.size() == kModelBytes, "the shipped model is where the build put it");
    switch (in.Take(1) % 4) {
        case 0: break;                                           // as long as it must be
        case 1: file.resize(in.Take(3) % kModelBytes); break;    // too short
        case 2: file.append(in.Take(2), '\x7f'); break;          // longer: the rest is ignored
        case 3: file.assign(file.size(), '\0'); break;           // all zeros
    }
    while (!in.Empty() && !file.empty()) {
        const size_t offset = in.Take(3) % file.size();
        const size_t count = in.Take(1) % 17;
        for (size_t i = 0; i < count && offset + i < file.size(); ++i) file[offset + i] = static_cast<char>(in.Take(1));
    }
    return file;
}

// Cells from blank paper to full ink, and a stroke across the middle.
const CellInput* TestCells() {
    static CellInput cells[4];
    static bool made = false;
    if (!made) {
        cells[0].fill(0.0);
        cells[1].fill(1.0);
        for (int i = 0; i < kCellInputSize; ++i) cells[2][i] = (i % 28 >= 12 && i % 28 <= 15) ? 1.0 : 0.0;
        for (int i = 0; i < kCellInputSize; ++i) cells[3][i] = static_cast<double>(i % 7) / 6.0;
        made = true;
    }
    return cells;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    const std::string file = EditedModel(data, size);
    fuzz::MemoryFile model(reinterpret_cast<const uint8_t*>(file.data()), file.size());

    DigitModel read;
    std::string message;
    if (!ReadDigitModel(model.Path(), read, message)) {
        fuzz::Require(!read.loaded && message.rfind(kModelOpenFailed, 0) == 0, "a refused model says why");
        fuzz::Require(file.size() < kModelBytes || size > 0, "the shipped model loads");
        return 0;
    }
    fuzz::Require(read.loaded && file.size() >= kModelBytes, "a model loads only from a whole file");
    for (int c = 0; c < 4; ++c) {
        const DigitReading reading = ClassifyDigit(read, TestCells()[c]);
        fuzz::Require(reading.digit >= 1 && reading.digit <= 9, "a reading is a digit");
        fuzz::Require(reading.probability > 0.0 && reading.probability <= 1.0, "a reading's probability is in (0, 1]");
    }
    return 0;
}
