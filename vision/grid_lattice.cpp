#include "vision/grid_lattice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace masuvo {

namespace {

// The straightened grid the lines are searched in: pitch kPitch pixels, the
// grid placed kBorder pixels in, so lines near the outline can be found on
// both sides of where the corners put them.
constexpr int kPitch = 32;
constexpr int kBorder = kPitch / 2;
constexpr int kSide = 9 * kPitch + 2 * kBorder;
// How far a line may lie from where the corners put it, and how far a
// crossing may disagree with its neighbours, in straightened pixels.
constexpr int kReach = kPitch / 4;
constexpr float kDisagreement = 3.0f;

// Where along a short stretch of line the ink lies: the offset, within
// ±kReach, of the middle of the strongest run of ink, or NaN when no
// offset is inked over most of the stretch.
template <typename InkAt>
float LineOffset(InkAt inkAt, int stretch) {
    int scores[2 * kReach + 1];
    int best = 0;
    for (int d = -kReach; d <= kReach; ++d) {
        int score = 0;
        for (int t = 0; t < stretch; ++t) score += inkAt(d, t);
        scores[d + kReach] = score;
        best = std::max(best, score);
    }
    if (best * 5 < stretch * 3) return NAN;
    // The middle of the run of strong offsets around the first best one:
    // a thick line inks several neighbouring offsets.
    int first = 0;
    while (scores[first] != best) ++first;
    int from = first, to = first;
    while (from > 0 && scores[from - 1] * 5 >= best * 4) --from;
    while (to < 2 * kReach && scores[to + 1] * 5 >= best * 4) ++to;
    return static_cast<float>(from + to) / 2.0f - kReach;
}

float Median(std::vector<float>& values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0f;
}

// One line's offsets at its ten crossings; NaN where it was not found.
using LineProfile = std::array<float, 10>;

// A printed line bends smoothly. An offset far from the median of the two
// on either side along the line caught other print (a digit's bar, text
// beside the grid) and is dropped; dropped and missing offsets are then
// interpolated between the found ones along the line, or take the nearest
// found one beyond the last; a line found nowhere keeps offset 0, the
// perspective of the outer corners.
void SmoothLine(LineProfile& line) {
    LineProfile kept = line;
    for (int k = 0; k < 10; ++k) {
        if (std::isnan(line[k])) continue;
        std::vector<float> around;
        for (int n = std::max(0, k - 2); n <= std::min(9, k + 2); ++n)
            if (n != k && !std::isnan(line[n])) around.push_back(line[n]);
        if (around.size() >= 2 && std::abs(line[k] - Median(around)) > kDisagreement) kept[k] = NAN;
    }
    int previous = -1;
    for (int k = 0; k <= 10; ++k) {
        if (k < 10 && std::isnan(kept[k])) continue;
        for (int n = previous + 1; n < k; ++n) {
            if (previous < 0 && k == 10) kept[n] = 0.0f;
            else if (previous < 0) kept[n] = kept[k];
            else if (k == 10) kept[n] = kept[previous];
            else kept[n] = kept[previous] + (kept[k] - kept[previous]) * (n - previous) / (k - previous);
        }
        previous = k;
    }
    line = kept;
}

}  // namespace

GridLattice FindGridLattice(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners) {
    const float near = static_cast<float>(kBorder), far = static_cast<float>(kBorder + 9 * kPitch);
    const cv::Point2f straight[4] = {{near, near}, {near, far}, {far, far}, {far, near}};
    const cv::Mat toStraight = cv::getPerspectiveTransform(corners.data(), straight, cv::DECOMP_LU);
    cv::Mat flat, ink;
    cv::warpPerspective(grey, flat, toStraight, cv::Size(kSide, kSide), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    // Lines are darker than their neighbourhood, whatever the light.
    cv::adaptiveThreshold(flat, ink, 1, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, kPitch / 2 + 1, 6);

    // Every line's offset at each of its ten crossings, along the line:
    // across[l][k] for vertical line l at horizontal line k (an x offset),
    // down[k][l] for horizontal line k at vertical line l (a y offset), each
    // measured over a stretch of one pitch around the crossing.
    // The outline itself stays where its corners put it: it is often
    // printed thicker, and the cells along it keep their place against its
    // outer edge, as the corners do.
    LineProfile across[10] = {}, down[10] = {};
    for (int k = 0; k <= 9; ++k) {
        for (int l = 0; l <= 9; ++l) {
            const int x = kBorder + kPitch * l, y = kBorder + kPitch * k;
            const int start = -kPitch / 2;
            if (k != 0 && k != 9) {
                down[k][l] = LineOffset(
                    [&](int d, int t) { return static_cast<int>(ink.at<unsigned char>(y + d, x + start + t)); },
                    kPitch);
            }
            if (l != 0 && l != 9) {
                across[l][k] = LineOffset(
                    [&](int d, int t) { return static_cast<int>(ink.at<unsigned char>(y + start + t, x + d)); },
                    kPitch);
            }
        }
    }
    for (LineProfile& line : across) SmoothLine(line);
    for (LineProfile& line : down) SmoothLine(line);

    std::vector<cv::Point2f> straightPoints(100), sourcePoints;
    for (int n = 0; n < 100; ++n) {
        const cv::Point2f at(static_cast<float>(kBorder + kPitch * (n % 10)),
                             static_cast<float>(kBorder + kPitch * (n / 10)));
        straightPoints[n] = at + cv::Point2f(across[n % 10][n / 10], down[n / 10][n % 10]);
    }
    cv::perspectiveTransform(straightPoints, sourcePoints, toStraight.inv(cv::DECOMP_LU));
    GridLattice lattice;
    std::copy(sourcePoints.begin(), sourcePoints.end(), lattice.crossings.begin());
    return lattice;
}

cv::Mat WarpGridLattice(const cv::Mat& grey, const GridLattice& lattice, int side, float extra) {
    // Every cell's perspective, from its square in grid units to its four
    // crossings in the picture.
    std::array<cv::Matx33d, 81> cellTransforms;
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 9; ++j) {
            const cv::Point2f square[4] = {{float(j), float(i)}, {float(j), float(i + 1)},
                                           {float(j + 1), float(i + 1)}, {float(j + 1), float(i)}};
            const cv::Point2f quad[4] = {lattice.crossings[10 * i + j], lattice.crossings[10 * (i + 1) + j],
                                         lattice.crossings[10 * (i + 1) + j + 1], lattice.crossings[10 * i + j + 1]};
            cellTransforms[9 * i + j] = cv::getPerspectiveTransform(square, quad, cv::DECOMP_LU);
        }
    }
    const double unit = 9.0 / (side + extra);  // grid units per warped pixel
    cv::Mat mapX(side, side, CV_32FC1), mapY(side, side, CV_32FC1);
    for (int y = 0; y < side; ++y) {
        float* rowX = mapX.ptr<float>(y);
        float* rowY = mapY.ptr<float>(y);
        const double gy = y * unit;
        const int i = std::min(8, static_cast<int>(gy));
        for (int x = 0; x < side; ++x) {
            const double gx = x * unit;
            const int j = std::min(8, static_cast<int>(gx));
            const cv::Matx33d& m = cellTransforms[9 * i + j];
            const double w = m(2, 0) * gx + m(2, 1) * gy + m(2, 2);
            rowX[x] = static_cast<float>((m(0, 0) * gx + m(0, 1) * gy + m(0, 2)) / w);
            rowY[x] = static_cast<float>((m(1, 0) * gx + m(1, 1) * gy + m(1, 2)) / w);
        }
    }
    cv::Mat warped;
    cv::remap(grey, warped, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return warped;
}

}  // namespace masuvo
