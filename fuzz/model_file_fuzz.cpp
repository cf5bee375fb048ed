// The digit model file (Masuvo.dat, 79,409 little-endian doubles), as
// edits of the shipped model (model_edit.h). A model that loads must
// classify every cell to a digit 1..9 with a probability in (0, 1].
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/model_edit.h"
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
    fuzz::Require(ShippedModel().size() == kModelBytes, "the shipped model is where the build put it");
    const std::string file = fuzz::EditedModel(ShippedModel(), data, size);
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
