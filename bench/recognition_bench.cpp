// The digit classifier's hot loop, one whole board recognition, and the
// recognition of every photo in a folder (per photo and per cell, on one
// thread, with the shipped model):
//
//   recognition_bench [--photos=FOLDER] [benchmark flags]
//
// FOLDER defaults to the test photos; the photos of the project's shared data
// are the larger set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include "vision/image_decoding.h"
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

const DigitModel& ShippedModel() {
    static const DigitModel model = [] {
        DigitModel m;
        std::string message;
        if (!ReadDigitModel(MASUVO_TRAINED_MODEL_PATH, m, message)) std::fprintf(stderr, "%s\n", message.c_str());
        return m;
    }();
    return model;
}

// One photo, decoded beforehand: the 21 runs of a still picture. Counter
// per_cell: the time per cell of the board.
void RegisterPhotos(const std::string& folder) {
    std::vector<std::filesystem::path> photos;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".jpg" || extension == ".png") photos.push_back(entry.path());
    }
    std::sort(photos.begin(), photos.end());
    for (const std::filesystem::path& path : photos) {
        cv::Mat picture;
        PictureFailure failure;
        if (!DecodePictureFile(path.string(), picture, failure)) continue;
        benchmark::RegisterBenchmark(("RecognizePhoto/" + path.filename().string()).c_str(),
                                     [picture](benchmark::State& state) {
                                         BoardDigits digits;
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(
                                                 RecognizeBoard(ShippedModel(), picture, false, digits));
                                         state.counters["per_cell"] = benchmark::Counter(
                                             81.0, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
                                     })
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace
}  // namespace masuvo

int main(int argc, char** argv) {
    std::string photos = MASUVO_TEST_PHOTOS;
    std::vector<char*> rest;
    for (int k = 0; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg.rfind("--photos=", 0) == 0) photos = arg.substr(9);
        else rest.push_back(argv[k]);
    }
    // One core: the figures do not depend on how many the machine has.
    cv::setNumThreads(1);
    masuvo::RegisterPhotos(photos);
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
