// One DetectGrid call (v = 0, pass 0) on drawn pictures of phone-photo
// sizes, and optionally on every picture of a folder.
//
// Run:   build/bench/grid_detection_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// With pictures (JPEG/PNG), also printing for each whether a grid outline
// was found, the whole picture taken or nothing found:
//        build/bench/grid_detection_bench --pictures=FOLDER [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "vision/image_decoding.h"
#include "vision/grid_detection.h"

namespace {

// A printed grid with a few digits, seen at a slant on grey paper.
cv::Mat DrawnPhoto(cv::Size size) {
    const int side = 450;
    cv::Mat grid(side, side, CV_8UC3, cv::Scalar(250, 250, 250));
    for (int k = 0; k <= 9; ++k) {
        const int at = std::min(side - 1, k * side / 9);
        const int thickness = k % 3 == 0 ? 4 : 1;
        cv::line(grid, {at, 0}, {at, side - 1}, cv::Scalar(20, 20, 20), thickness);
        cv::line(grid, {0, at}, {side - 1, at}, cv::Scalar(20, 20, 20), thickness);
    }
    for (int cell = 0; cell < 81; cell += 3) {
        const std::string text = std::to_string(cell % 9 + 1);
        cv::putText(grid, text, {(cell % 9) * 50 + 14, (cell / 9) * 50 + 38}, cv::FONT_HERSHEY_SIMPLEX, 1.3,
                    cv::Scalar(10, 10, 10), 5, cv::LINE_AA);
    }
    const float w = static_cast<float>(size.width), h = static_cast<float>(size.height);
    const cv::Point2f from[4] = {{0, 0}, {0, side}, {side, side}, {side, 0}};
    const cv::Point2f to[4] = {{0.25f * w, 0.1f * h}, {0.23f * w, 0.9f * h}, {0.76f * w, 0.91f * h},
                               {0.74f * w, 0.11f * h}};
    cv::Mat photo(size, CV_8UC3, cv::Scalar(170, 180, 185));
    cv::warpPerspective(grid, photo, cv::getPerspectiveTransform(from, to), size, cv::INTER_LINEAR,
                        cv::BORDER_TRANSPARENT);
    return photo;
}

void Detect(benchmark::State& state, const cv::Mat& picture) {
    masuvo::GridDetection found;
    for (auto _ : state) {
        benchmark::DoNotOptimize(masuvo::DetectGrid(picture, 0, 0, false, found));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<std::string, cv::Mat>> pictures = {{"drawn_640x480", DrawnPhoto({640, 480})},
                                                             {"drawn_1280x960", DrawnPhoto({1280, 960})}};
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pictures=", 11) != 0) {
            rest.push_back(argv[i]);
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i] + 11)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".jpg" || extension == ".png") files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        int outlines = 0;
        for (const auto& file : files) {
            cv::Mat picture;
            masuvo::PictureFailure failure;
            if (!masuvo::DecodePictureFile(file.string(), picture, failure)) continue;
            masuvo::GridDetection found;
            const bool ok = masuvo::DetectGrid(picture, 0, 0, false, found);
            outlines += ok && !found.wholePicture;
            std::fprintf(stderr, "%-24s %4dx%-4d %s\n", file.filename().c_str(), picture.cols, picture.rows,
                         !ok ? "no grid" : found.wholePicture ? "whole picture" : "outline");
            pictures.emplace_back(file.filename().string(), picture);
        }
        std::fprintf(stderr, "outline found in %d of %zu pictures\n", outlines, files.size());
    }
    for (const auto& [name, picture] : pictures) {
        benchmark::RegisterBenchmark(("DetectGrid/" + name).c_str(), Detect, picture)->Unit(benchmark::kMillisecond);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
