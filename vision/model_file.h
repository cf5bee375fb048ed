// The digit classifier's parameters and the model file they come from: a
// 784-100-9 perceptron stored as 79,409 little-endian doubles without any
// header (W1 by input, b1, W2 by hidden unit, b2).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace masuvo {

constexpr int kModelInputs = 784;
constexpr int kModelHidden = 100;
constexpr int kModelOutputs = 9;  // output k stands for the digit k + 1
constexpr int kModelValueCount =
    kModelInputs * kModelHidden + kModelHidden + kModelHidden * kModelOutputs + kModelOutputs;  // 79,409
constexpr int64_t kModelFileBytes = int64_t{kModelValueCount} * 8;                              // 635,272

// A row-major block of rows × columns doubles; row r starts at Row(r).
struct WeightMatrix {
    int32_t rows = 0;
    int32_t columns = 0;
    std::vector<double> values;

    WeightMatrix() = default;
    WeightMatrix(int32_t rowCount, int32_t columnCount)
        : rows(rowCount), columns(columnCount), values(static_cast<size_t>(rowCount) * columnCount, 0.0) {}
    double* Row(int r) { return values.data() + static_cast<size_t>(r) * columns; }
    const double* Row(int r) const { return values.data() + static_cast<size_t>(r) * columns; }
};

// The network's parameters. A default-constructed model is all zeros and
// not loaded.
struct DigitModel {
    WeightMatrix w1{kModelInputs, kModelHidden};  // row i: weights from input i to the hidden units
    std::vector<double> b1 = std::vector<double>(kModelHidden, 0.0);
    WeightMatrix w2{kModelHidden, kModelOutputs};  // row j: weights from hidden unit j to the outputs
    std::vector<double> b2 = std::vector<double>(kModelOutputs, 0.0);
    bool loaded = false;
};

// The text shown when the model cannot be used; the reason follows it.
inline constexpr const char* kModelOpenFailed = "読込ファイルをオープンできません。：\n";

// The largest magnitude a parameter may have. Cell inputs lie in [0, 1],
// so with every parameter within it no sum of the network can overflow
// (785·10^150 for a hidden unit, under 10^305 for an output) and every
// reading's probability is a number in (0, 1]. Trained weights stay far
// below 10^3.
constexpr double kModelValueLimit = 1e150;

// Reads a model file into model. Bytes after the 79,409th value are
// ignored. A file that cannot be opened or read, one shorter than 635,272
// bytes, or one holding a value that is not finite (an infinity or NaN
// would turn every reading into nonsense) or larger than kModelValueLimit
// (its sums would overflow into infinities and NaN) is refused: model is
// then reset to zeros, not loaded, and message holds kModelOpenFailed
// followed by the reason.
bool ReadDigitModel(const std::string& path, DigitModel& model, std::string& message);

// The process-wide model that ClassifyDigit and RecognizeBoard use, read
// once at start-up. Not thread-safe against readers: call it before any
// recognition starts.
bool LoadDigitModel(const std::string& path, std::string& message);

// The process-wide model (all zeros and not loaded until LoadDigitModel
// succeeded).
const DigitModel& ProcessDigitModel();

}  // namespace masuvo
