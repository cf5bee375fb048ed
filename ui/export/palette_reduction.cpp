#include "ui/export/palette_reduction.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace masuvo {

namespace {

constexpr size_t kMaxColours = 256;
// Colours that cover at least 1/2000 of the picture are kept exactly: the
// board's paper, lines, digits, shades and hint marks. They are few; the
// cap leaves most entries to the anti-aliased edges between them.
constexpr size_t kExactShare = 2000;
constexpr size_t kMaxExact = 64;

struct ColourCount {
    uint32_t rgb = 0;
    uint32_t count = 0;
};

int Channel(uint32_t rgb, int axis) { return static_cast<int>((rgb >> (16 - 8 * axis)) & 0xFF); }

// The picture's colours with their pixel counts, ordered by colour so that
// the result never depends on the hash table's order.
std::vector<ColourCount> Histogram(std::span<const uint32_t> pixels) {
    std::unordered_map<uint32_t, uint32_t> counts;
    counts.reserve(1024);
    // Runs of one colour are the rule (the paper, the lines): one look-up a run.
    uint32_t last = 0;
    uint32_t* lastCount = nullptr;
    for (const uint32_t p : pixels) {
        const uint32_t rgb = p & 0xFFFFFFu;
        if (lastCount == nullptr || rgb != last) {
            lastCount = &counts[rgb];
            last = rgb;
        }
        ++*lastCount;
    }
    std::vector<ColourCount> colours;
    colours.reserve(counts.size());
    for (const auto& [rgb, count] : counts) colours.push_back({rgb, count});
    std::sort(colours.begin(), colours.end(), [](const ColourCount& a, const ColourCount& b) { return a.rgb < b.rgb; });
    return colours;
}

// A run of the colour list that becomes one palette entry.
struct Box {
    size_t begin = 0;
    size_t end = 0;
    double error = 0;  // pixel-weighted squared distance from the box's mean
    int axis = 0;      // the channel that spreads most
};

Box MakeBox(const std::vector<ColourCount>& colours, size_t begin, size_t end) {
    Box box{begin, end, 0, 0};
    double weight = 0;
    std::array<double, 3> sum{}, squares{};
    for (size_t i = begin; i < end; ++i) {
        const double w = colours[i].count;
        weight += w;
        for (int a = 0; a < 3; ++a) {
            const double v = Channel(colours[i].rgb, a);
            sum[a] += w * v;
            squares[a] += w * v * v;
        }
    }
    if (end - begin < 2 || weight <= 0) return box;
    double widest = -1;
    for (int a = 0; a < 3; ++a) {
        const double spread = squares[a] - sum[a] * sum[a] / weight;
        box.error += spread;
        if (spread > widest) {
            widest = spread;
            box.axis = a;
        }
    }
    return box;
}

uint32_t MeanColour(const std::vector<ColourCount>& colours, const Box& box) {
    double weight = 0;
    std::array<double, 3> sum{};
    for (size_t i = box.begin; i < box.end; ++i) {
        weight += colours[i].count;
        for (int a = 0; a < 3; ++a) sum[a] += static_cast<double>(colours[i].count) * Channel(colours[i].rgb, a);
    }
    uint32_t rgb = 0;
    for (int a = 0; a < 3; ++a) rgb = rgb << 8 | static_cast<uint32_t>(std::clamp(sum[a] / weight + 0.5, 0.0, 255.0));
    return rgb;
}

// Splits the box of largest error at the pixel-weighted median of its widest
// channel until there are `entries` boxes or nothing left to split.
std::vector<Box> MedianCut(std::vector<ColourCount>& colours, size_t entries) {
    std::vector<Box> boxes;
    if (colours.empty() || entries == 0) return boxes;
    boxes.push_back(MakeBox(colours, 0, colours.size()));
    while (boxes.size() < entries) {
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->error <= 0) break;
        const Box box = *worst;
        const int axis = box.axis;
        std::sort(colours.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  colours.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [axis](const ColourCount& a, const ColourCount& b) {
                      const int ca = Channel(a.rgb, axis);
                      const int cb = Channel(b.rgb, axis);
                      return ca != cb ? ca < cb : a.rgb < b.rgb;
                  });
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += colours[i].count;
        uint64_t running = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            running += colours[i].count;
            split = i + 1;
            if (2 * running >= total) break;
        }
        *worst = MakeBox(colours, box.begin, split);
        boxes.push_back(MakeBox(colours, split, box.end));
    }
    return boxes;
}

int Distance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const int diff = Channel(a, axis) - Channel(b, axis);
        d += diff * diff;
    }
    return d;
}

uint8_t Nearest(const std::vector<uint32_t>& palette, uint32_t rgb) {
    int best = std::numeric_limits<int>::max();
    size_t index = 0;
    for (size_t i = 0; i < palette.size() && best > 0; ++i) {
        const int d = Distance(palette[i], rgb);
        if (d < best) {
            best = d;
            index = i;
        }
    }
    return static_cast<uint8_t>(index);
}

}  // namespace

PalettePicture ReduceToPalette(std::span<const uint32_t> pixels, int width, int height) {
    PalettePicture picture;
    picture.width = width;
    picture.height = height;
    std::vector<ColourCount> colours = Histogram(pixels);
    // Most frequent first: the paper gets index 0.
    std::vector<ColourCount> byCount = colours;
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const ColourCount& a, const ColourCount& b) { return a.count > b.count; });

    std::unordered_map<uint32_t, uint8_t> indexOf;
    indexOf.reserve(colours.size());
    if (colours.size() <= kMaxColours) {
        for (const ColourCount& c : byCount) {
            indexOf[c.rgb] = static_cast<uint8_t>(picture.palette.size());
            picture.palette.push_back(c.rgb);
        }
    } else {
        const uint64_t threshold = std::max<uint64_t>(1, pixels.size() / kExactShare);
        for (const ColourCount& c : byCount) {
            if (picture.palette.size() == kMaxExact || c.count < threshold) break;
            picture.palette.push_back(c.rgb);
        }
        const size_t exact = picture.palette.size();
        std::vector<ColourCount> rest;
        rest.reserve(colours.size() - exact);
        for (const ColourCount& c : colours)
            if (std::find(picture.palette.begin(), picture.palette.end(), c.rgb) == picture.palette.end())
                rest.push_back(c);
        for (const Box& box : MedianCut(rest, kMaxColours - exact)) picture.palette.push_back(MeanColour(rest, box));
        for (const ColourCount& c : colours) indexOf[c.rgb] = Nearest(picture.palette, c.rgb);
    }

    picture.indices.resize(pixels.size());
    uint32_t last = 0;
    uint8_t lastIndex = 0;
    bool have = false;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t rgb = pixels[i] & 0xFFFFFFu;
        if (!have || rgb != last) {
            lastIndex = indexOf.at(rgb);
            last = rgb;
            have = true;
        }
        picture.indices[i] = lastIndex;
    }
    return picture;
}

}  // namespace masuvo
