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
constexpr float kDisagreement = kPitch / 10.0f;

// Where along a short stretch of line the ink lies: the offset, within
// ±kReach, of the middle of the strongest run of ink, or NaN when no
// offset is inked over most of the stretch.
// width (may be null) receives the width of that run.
template <typename InkAt>
float LineOffset(InkAt inkAt, int stretch, int* width = nullptr) {
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
    if (width) *width = to - from + 1;
    return static_cast<float>(from + to) / 2.0f - kReach;
}

// One line's offsets at its ten crossings; NaN where it was not found.
using LineProfile = std::array<float, 10>;

// A printed line bends smoothly: each offset should lie near the straight
// continuation of two found neighbours along the line (the pair around it,
// or two on one side). One that agrees with none of those caught other
// print (a digit's bar, text beside the grid) and is dropped; dropped and
// missing offsets are then interpolated between the found ones along the
// line and extrapolated beyond them; a line found nowhere keeps offset 0,
// the perspective of the outer corners.
void SmoothLine(LineProfile& line) {
    const auto found = [&line](int k) { return k >= 0 && k <= 9 && !std::isnan(line[k]); };
    LineProfile kept = line;
    for (int k = 0; k < 10; ++k) {
        if (!found(k)) continue;
        std::vector<float> predictions;
        if (found(k - 1) && found(k + 1)) predictions.push_back((line[k - 1] + line[k + 1]) / 2.0f);
        if (found(k - 1) && found(k - 2)) predictions.push_back(2.0f * line[k - 1] - line[k - 2]);
        if (found(k + 1) && found(k + 2)) predictions.push_back(2.0f * line[k + 1] - line[k + 2]);
        const bool agrees = std::any_of(predictions.begin(), predictions.end(),
                                        [&](float p) { return std::abs(line[k] - p) <= kDisagreement; });
        if (!predictions.empty() && !agrees) kept[k] = NAN;
    }
    std::vector<int> at;
    for (int k = 0; k < 10; ++k)
        if (!std::isnan(kept[k])) at.push_back(k);
    if (at.empty()) {
        kept.fill(0.0f);
    } else if (at.size() == 1) {
        kept.fill(kept[at[0]]);
    } else {
        // Between found offsets a straight line; beyond the first and last
        // the straight continuation of the two nearest, as far as a line
        // may lie from its place.
        for (int n = 0; n < 10; ++n) {
            if (!std::isnan(kept[n])) continue;
            size_t after = 0;
            while (after < at.size() && at[after] < n) ++after;
            const size_t a = after == 0 ? 0 : after == at.size() ? at.size() - 2 : after - 1;
            const int k0 = at[a], k1 = at[a + 1];
            const float value = kept[k0] + (kept[k1] - kept[k0]) * static_cast<float>(n - k0) / (k1 - k0);
            kept[n] = std::clamp(value, -static_cast<float>(kReach), static_cast<float>(kReach));
        }
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
    // The stretch is one pitch around the crossing. Where an inner line
    // meets the outline, half of it lies outside the grid and the line is
    // rarely found there: its offset then follows from the inner crossings.
    const auto stretchStart = [](int) { return -kPitch / 2; };
    const auto stretchLength = [](int) { return kPitch; };
    for (int k = 0; k <= 9; ++k) {
        for (int l = 0; l <= 9; ++l) {
            const int x = kBorder + kPitch * l, y = kBorder + kPitch * k;
            if (k != 0 && k != 9) {
                const int start = stretchStart(l);
                down[k][l] = LineOffset(
                    [&](int d, int t) { return static_cast<int>(ink.at<unsigned char>(y + d, x + start + t)); },
                    stretchLength(l));
            }
            if (l != 0 && l != 9) {
                const int start = stretchStart(k);
                across[l][k] = LineOffset(
                    [&](int d, int t) { return static_cast<int>(ink.at<unsigned char>(y + start + t, x + d)); },
                    stretchLength(k));
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

namespace {

// The corners' grid straightened with a border of a cell all round, and its
// ink, for measuring the fit.
cv::Mat StraightInk(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners) {
    constexpr float near = kPitch, far = kPitch * 10;
    const cv::Point2f straight[4] = {{near, near}, {near, far}, {far, far}, {far, near}};
    const cv::Mat toStraight = cv::getPerspectiveTransform(corners.data(), straight, cv::DECOMP_LU);
    cv::Mat flat, ink;
    cv::warpPerspective(grey, flat, toStraight, cv::Size(11 * kPitch, 11 * kPitch), cv::INTER_LINEAR,
                        cv::BORDER_REPLICATE);
    cv::adaptiveThreshold(flat, ink, 1, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, kPitch / 2 + 1, 6);
    return ink;
}

// How the printed lines one way (vertical: x) bear out a placement: how
// many of the ten lines are found in at least five of their nine cell-long
// stretches, and whether lines 3 and 6 are thicker than every other inner
// line found (where the print has thick block lines, a placement a line off
// has them elsewhere). A line more found outweighs the block lines.
struct LineEvidence {
    int lines = 0;
    bool blocks = false;
    // Lines 0, 3, 6 and 9 found, 3 and 6 thicker than any other inner line:
    // the blocks' frame, all a blurred or faintly printed grid may show.
    bool blockFrame = false;
    int Score() const { return 2 * lines + (blocks ? 1 : 0); }
};

LineEvidence LinesOneWay(const cv::Mat& ink, bool vertical) {
    LineEvidence evidence;
    std::array<bool, 10> found{};
    std::array<float, 10> width{};
    for (int k = 0; k <= 9; ++k) {
        const int at = kPitch * (k + 1);
        int stretches = 0;
        std::vector<int> widths;
        for (int n = 0; n < 9; ++n) {
            const int start = kPitch * (n + 1);
            int w = 0;
            const float offset = LineOffset(
                [&](int d, int t) {
                    return static_cast<int>(vertical ? ink.at<unsigned char>(start + t, at + d)
                                                     : ink.at<unsigned char>(at + d, start + t));
                },
                kPitch, &w);
            if (std::isnan(offset)) continue;
            ++stretches;
            widths.push_back(w);
        }
        found[k] = stretches >= 5;
        evidence.lines += found[k];
        if (!widths.empty()) {
            std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
            width[k] = static_cast<float>(widths[widths.size() / 2]);
        }
    }
    float thin = 0.0f;
    for (int k : {1, 2, 4, 5, 7, 8})
        if (found[k]) thin = std::max(thin, width[k]);
    evidence.blocks = found[3] && found[6] && std::min(width[3], width[6]) > thin;
    evidence.blockFrame = evidence.blocks && found[0] && found[9];
    return evidence;
}

// The corners with the left and right sides (vertical) or the top and bottom
// ones moved by the given shares of the grid's width or height, along the
// grid's perspective.
std::array<cv::Point2f, 4> MoveSides(const std::array<cv::Point2f, 4>& corners, bool vertical, double first,
                                     double second) {
    const cv::Point2f unit[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const cv::Mat toPicture = cv::getPerspectiveTransform(unit, corners.data(), cv::DECOMP_LU);
    std::vector<cv::Point2f> moved(unit, unit + 4), result;
    for (cv::Point2f& p : moved) {
        float& along = vertical ? p.x : p.y;
        along = along == 0 ? static_cast<float>(first) : 1.0f + static_cast<float>(second);
    }
    cv::perspectiveTransform(moved, result, toPicture);
    return {result[0], result[1], result[2], result[3]};
}

}  // namespace

LatticeFit MeasureLatticeFit(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners) {
    const cv::Mat ink = StraightInk(grey, corners);
    return {LinesOneWay(ink, true).lines / 10.0, LinesOneWay(ink, false).lines / 10.0};
}

bool FitLatticeToLines(const cv::Mat& grey, std::array<cv::Point2f, 4>& corners) {
    const cv::Mat ink = StraightInk(grey, corners);
    std::array<cv::Point2f, 4> placed = corners;
    for (bool vertical : {true, false}) {
        const LineEvidence seen = LinesOneWay(ink, vertical);
        // Every line where it belongs, block lines too: nothing to move.
        if (seen.lines == 10 && seen.blocks) continue;
        // One cell over either way; one cell more on either side (an outer
        // line missed: the grid seen is eight cells); one cell fewer on
        // either side (print beside the grid taken in: ten cells). Only a
        // placement the lines bear out better replaces the one found.
        constexpr double kMoves[][2] = {{-1.0 / 9, -1.0 / 9}, {1.0 / 9, 1.0 / 9}, {-1.0 / 8, 0},
                                        {0, 1.0 / 8},         {1.0 / 10, 0},      {0, -1.0 / 10}};
        LineEvidence best = seen;
        std::array<cv::Point2f, 4> chosen = placed;
        for (const auto& move : kMoves) {
            const std::array<cv::Point2f, 4> moved = MoveSides(placed, vertical, move[0], move[1]);
            const LineEvidence evidence = LinesOneWay(StraightInk(grey, moved), vertical);
            if (evidence.Score() > best.Score()) {
                best = evidence;
                chosen = moved;
            }
        }
        if (best.lines >= kLinesNeeded) {
            placed = chosen;
        } else if (!seen.blockFrame) {
            // The corners as found are kept when they put the blocks'
            // frame where it is printed: a placement a cell off has its
            // lines 3 and 6 between the thick lines.
            return false;
        }
    }
    corners = placed;
    return true;
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
