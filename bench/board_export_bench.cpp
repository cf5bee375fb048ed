// 画像保存's work on a board with a hint in detail (the most colours a board
// gets): drawing the picture, reducing it to a GIF palette and encoding it
// in each format, at 100% and 120% on a 96-dpi screen and at 100% on a
// 192-dpi one. The palette reduction also runs on a picture of 65,536
// colours, far more than any board.
//
// Run (offscreen unless QT_QPA_PLATFORM says otherwise):
//   build/bench/board_export_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <vector>

#include "session/headless_view.h"
#include "session/play_session.h"
#include "ui/export/board_export.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/export/palette_reduction.h"

namespace {

using masuvo::BoardPaintOptions;
using masuvo::ImageFileFormat;

const char* const kPuzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";

masuvo::PlaySession& Session() {
    static masuvo::HeadlessView view(nullptr);
    static std::unique_ptr<masuvo::PlaySession> session = [] {
        auto s = std::make_unique<masuvo::PlaySession>(view, masuvo::DataFolders{});
        s->PasteBoardText(kPuzzle);
        s->StartSolving();
        s->RequestHint();
        s->SetDetail(true);
        s->SelectHintStep(1);
        return s;
    }();
    return *session;
}

// Arguments: the cell size S and the scale factor (percent).
BoardPaintOptions Options(const benchmark::State& state) {
    BoardPaintOptions options;
    options.cellSize = static_cast<int>(state.range(0));
    options.sx = options.sy = static_cast<double>(state.range(1)) / 100.0;
    return options;
}

std::vector<uint32_t> Pixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        pixels.insert(pixels.end(), line, line + rgb.width());
    }
    return pixels;
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({50, 100})->Args({60, 100})->Args({50, 200})->Unit(benchmark::kMillisecond);
}

void DrawPicture(benchmark::State& state) {
    const BoardPaintOptions options = Options(state);
    for (auto _ : state) {
        const QImage picture = masuvo::BoardPicture(Session(), options);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(DrawPicture)->Apply(Sizes);

void ReduceBoardToPalette(benchmark::State& state) {
    const QImage picture = masuvo::BoardPicture(Session(), Options(state));
    const std::vector<uint32_t> pixels = Pixels(picture);
    size_t colours = 0;
    for (auto _ : state) {
        const masuvo::PalettePicture reduced = masuvo::ReduceToPalette(pixels, picture.width(), picture.height());
        colours = reduced.palette.size();
        benchmark::DoNotOptimize(reduced.indices.data());
    }
    state.counters["palette"] = static_cast<double>(colours);
}
BENCHMARK(ReduceBoardToPalette)->Apply(Sizes);

void ReduceGradientToPalette(benchmark::State& state) {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 65536; ++i) pixels.push_back(0xFF000000u | (i & 255) << 16 | (i >> 8) << 8 | 90);
    for (auto _ : state) {
        const masuvo::PalettePicture reduced = masuvo::ReduceToPalette(pixels, 256, 256);
        benchmark::DoNotOptimize(reduced.indices.data());
    }
}
BENCHMARK(ReduceGradientToPalette)->Unit(benchmark::kMillisecond);

template <ImageFileFormat format>
void Encode(benchmark::State& state) {
    const QImage picture = masuvo::BoardPicture(Session(), Options(state));
    QByteArray bytes;
    QString error;
    for (auto _ : state) {
        if (!masuvo::EncodeImage(picture, format, bytes, error)) state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(Encode<ImageFileFormat::Png>)->Name("EncodePng")->Apply(Sizes);
BENCHMARK(Encode<ImageFileFormat::Bmp>)->Name("EncodeBmp")->Apply(Sizes);
BENCHMARK(Encode<ImageFileFormat::Jpeg>)->Name("EncodeJpeg")->Apply(Sizes);
BENCHMARK(Encode<ImageFileFormat::Gif>)->Name("EncodeGif")->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    masuvo::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
