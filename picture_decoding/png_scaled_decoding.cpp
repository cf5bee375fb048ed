#include "picture_decoding/png_scaled_decoding.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <vector>

namespace masuvo {

namespace {

struct Reading {
    const ByteSource* source;
    bool readFailed = false;
};

void ReadBytes(png_structp png, png_bytep data, size_t size) {
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    size_t done = 0;
    while (done < size) {
        const long long got = (*reading->source)(data + done, size - done);
        if (got <= 0) {
            reading->readFailed = got < 0;
            png_error(png, "short read");
        }
        done += static_cast<size_t>(got);
    }
}

void Warn(png_structp, png_const_charp) {}

// Everything the row loop changes lives here, allocated before setjmp, so a
// longjmp out of libpng skips no destructor and leaves nothing undefined.
struct Scaling {
    int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
    std::vector<uint8_t> row;         // one source row, RGBA
    std::vector<uint64_t> sums;       // per target column: B, G, R
    std::vector<uint32_t> counts;     // source pixels per target column of the current target row
    std::vector<int> columnOf;        // source column → target column
    cv::Mat bgr;
};

void FlushRow(Scaling& s, int targetRow) {
    auto* out = s.bgr.ptr<uint8_t>(targetRow);
    for (int x = 0; x < s.width; ++x) {
        const uint32_t n = s.counts[x] == 0 ? 1 : s.counts[x];
        for (int c = 0; c < 3; ++c) {
            out[3 * x + c] = static_cast<uint8_t>((s.sums[3 * x + c] + n / 2) / n);
            s.sums[3 * x + c] = 0;
        }
        s.counts[x] = 0;
    }
}

// No automatic objects with destructors: libpng may longjmp out of here.
bool ReadRows(png_structp png, Scaling& s, const std::atomic<bool>* cancel) {
    int targetRow = 0;
    for (int y = 0; y < s.sourceHeight; ++y) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
        png_read_row(png, s.row.data(), nullptr);
        const int rowOf = static_cast<int>(static_cast<int64_t>(y) * s.height / s.sourceHeight);
        if (rowOf != targetRow) {
            FlushRow(s, targetRow);
            targetRow = rowOf;
        }
        const uint8_t* in = s.row.data();
        for (int x = 0; x < s.sourceWidth; ++x, in += 4) {
            const int column = s.columnOf[x];
            const bool clear = in[3] == 0;
            s.sums[3 * column] += clear ? 255 : in[2];
            s.sums[3 * column + 1] += clear ? 255 : in[1];
            s.sums[3 * column + 2] += clear ? 255 : in[0];
            ++s.counts[column];
        }
    }
    FlushRow(s, targetRow);
    return true;
}

}  // namespace

PngScaling DecodePngScaled(const ByteSource& source, int width, int height, const std::atomic<bool>* cancel,
                           cv::Mat& bgr) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Warn);
    if (png == nullptr) return PngScaling::Failed;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return PngScaling::Failed;
    }
    // On the heap, so that nothing libpng's longjmp passes over lives in
    // this frame.
    const auto reading = std::make_unique<Reading>(Reading{&source});
    const auto owned = std::make_unique<Scaling>();
    Scaling& scaling = *owned;
    PngScaling result = PngScaling::Failed;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, reading.get(), ReadBytes);
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_read_info(png, info);
        if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
            result = PngScaling::NotHandled;
        } else {
            // Every kind of PNG as 8-bit RGBA.
            png_set_expand(png);
            png_set_strip_16(png);
            png_set_gray_to_rgb(png);
            png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
            png_read_update_info(png, info);
            scaling.sourceWidth = static_cast<int>(png_get_image_width(png, info));
            scaling.sourceHeight = static_cast<int>(png_get_image_height(png, info));
            scaling.width = std::min(width, scaling.sourceWidth);
            scaling.height = std::min(height, scaling.sourceHeight);
            if (png_get_rowbytes(png, info) != static_cast<size_t>(scaling.sourceWidth) * 4 || scaling.width <= 0 ||
                scaling.height <= 0) {
                result = PngScaling::Failed;
            } else {
                scaling.row.resize(static_cast<size_t>(scaling.sourceWidth) * 4);
                scaling.sums.assign(static_cast<size_t>(scaling.width) * 3, 0);
                scaling.counts.assign(static_cast<size_t>(scaling.width), 0);
                scaling.columnOf.resize(static_cast<size_t>(scaling.sourceWidth));
                for (int x = 0; x < scaling.sourceWidth; ++x)
                    scaling.columnOf[x] = static_cast<int>(static_cast<int64_t>(x) * scaling.width / scaling.sourceWidth);
                scaling.bgr.create(scaling.height, scaling.width, CV_8UC3);
                result = ReadRows(png, scaling, cancel) ? PngScaling::Done : PngScaling::Cancelled;
            }
        }
    } else {
        result = PngScaling::Failed;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (result == PngScaling::Done) bgr = scaling.bgr;
    return result;
}

}  // namespace masuvo
