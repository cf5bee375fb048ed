// The digit classifier's hot loop and one whole board recognition.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include <opencv2/imgproc.hpp>

#include "vision/board_recognition.h"
#include "vision/digit_classifier.h"

namespace masuvo {
namespace {

// Weights of a plausible size, fixed seed: the timing does not depend on
// the values, only on how many inputs carry ink.
const DigitModel& RandomModel() {
    static const DigitModel model = [] {
        DigitModel m;
        std::mt19937_64 random(20261210);
        std::uniform_real_distribution<double> weight(-0.1, 0.1);
        for (double& v : m.w1.values) v = weight(random);
        for (double& v : m.b1) v = weight(random);
        for (double& v : m.w2.values) v = weight(random);
        for (double& v : m.b2) v = weight(random);
        m.loaded = true;
        return m;
    }();
    return model;
}

// Every input inked: the full 784 × 100 product.
CellInput DenseInput() {
    CellInput input;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(0.01, 1.0);
    for (double& v : input) v = value(random);
    return input;
}

// A cell as grid detection hands it over: a stroke figure on cleared paper
// (about a fifth of the inputs inked).
CellInput TypicalCell() {
    cv::Mat cell(28, 28, CV_64F, cv::Scalar(0));
    cv::putText(cell, "8", {7, 23}, cv::FONT_HERSHEY_SIMPLEX, 0.8, cv::Scalar(1.0), 2, cv::LINE_AA);
    CellInput input;
    for (int i = 0; i < kCellInputSize; ++i) input[i] = cell.at<double>(i / 28, i % 28);
    return input;
}

void BM_HiddenProductDense(benchmark::State& state) {
    const DigitModel& model = RandomModel();
    const CellInput input = DenseInput();
    std::array<double, kModelHidden> hidden;
    for (auto _ : state) {
        HiddenLayer(model, input, hidden);
        benchmark::DoNotOptimize(hidden.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HiddenProductDense);

// The same sums one unit at a time, walking W1 down its columns: what the
// product costs without vectorising across units.
void BM_HiddenProductUnitByUnit(benchmark::State& state) {
    const DigitModel& model = RandomModel();
    const CellInput input = DenseInput();
    std::array<double, kModelHidden> hidden;
    for (auto _ : state) {
        for (int j = 0; j < kModelHidden; ++j) {
            double sum = 0.0;
            for (int i = 0; i < kModelInputs; ++i) sum += input[i] * model.w1.Row(i)[j];
            hidden[j] = std::max(0.0, sum + model.b1[j]);
        }
        benchmark::DoNotOptimize(hidden.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HiddenProductUnitByUnit);

void BM_ClassifyDigitDense(benchmark::State& state) {
    const DigitModel& model = RandomModel();
    const CellInput input = DenseInput();
    for (auto _ : state) benchmark::DoNotOptimize(ClassifyDigit(model, input));
}
BENCHMARK(BM_ClassifyDigitDense);

void BM_ClassifyDigitTypicalCell(benchmark::State& state) {
    const DigitModel& model = RandomModel();
    const CellInput input = TypicalCell();
    int inked = 0;
    for (double v : input) inked += v != 0.0;
    state.counters["inked_inputs"] = inked;
    for (auto _ : state) benchmark::DoNotOptimize(ClassifyDigit(model, input));
}
BENCHMARK(BM_ClassifyDigitTypicalCell);

// 21 detection runs over a 400 × 400 picture of a grid with 30 digits.
void BM_RecognizeBoard(benchmark::State& state) {
    cv::Mat picture(400, 400, CV_8UC3, cv::Scalar(255, 255, 255));
    for (int k = 0; k <= 9; ++k) {
        const int at = 20 + 40 * k, thickness = k % 3 == 0 ? 4 : 2;
        cv::line(picture, {at, 20}, {at, 380}, cv::Scalar(0, 0, 0), thickness);
        cv::line(picture, {20, at}, {380, at}, cv::Scalar(0, 0, 0), thickness);
    }
    for (int n = 0; n < 30; ++n) {
        const int cell = n * 7 % 81;
        cv::putText(picture, std::to_string(n % 9 + 1), {20 + cell % 9 * 40 + 11, 20 + cell / 9 * 40 + 31},
                    cv::FONT_HERSHEY_SIMPLEX, 0.9, cv::Scalar(0, 0, 0), 3, cv::LINE_AA);
    }
    BoardDigits digits;
    for (auto _ : state) benchmark::DoNotOptimize(RecognizeBoard(RandomModel(), picture, false, digits));
}
BENCHMARK(BM_RecognizeBoard)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace masuvo

BENCHMARK_MAIN();
