#include "vision/photo_outline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace masuvo {

namespace {

using Corners = std::array<cv::Point2f, 4>;

// TL, BL, BR, TR by the sums and differences of the coordinates, which
// stays right for a grid turned by up to 45 degrees.
bool OrderByDiagonals(const std::vector<cv::Point>& quad, Corners& c) {
    int tl = 0, br = 0, bl = 0, tr = 0;
    for (int k = 1; k < 4; ++k) {
        if (quad[k].x + quad[k].y < quad[tl].x + quad[tl].y) tl = k;
        if (quad[k].x + quad[k].y > quad[br].x + quad[br].y) br = k;
        if (quad[k].y - quad[k].x > quad[bl].y - quad[bl].x) bl = k;
        if (quad[k].y - quad[k].x < quad[tr].y - quad[tr].x) tr = k;
    }
    if (tl == br || tl == bl || tl == tr || br == bl || br == tr || bl == tr) return false;
    c = {cv::Point2f(quad[tl]), cv::Point2f(quad[bl]), cv::Point2f(quad[br]), cv::Point2f(quad[tr])};
    return true;
}

double Length(cv::Point2f a, cv::Point2f b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

// A photographed square: sides within a factor 1.5 of each other, or 1.8
// when a pair of opposite sides differs by a tenth (a grid seen at a slant
// narrows away from the camera; an evenly oblong box is no such view), no
// corner far from a right angle.
bool PlausibleGrid(const Corners& c) {
    double sides[4];
    for (int k = 0; k < 4; ++k) sides[k] = Length(c[k], c[(k + 1) % 4]);
    const double shortest = *std::min_element(sides, sides + 4);
    const double longest = *std::max_element(sides, sides + 4);
    if (!(shortest > 0.0)) return false;
    const bool narrowing = std::min(sides[0], sides[2]) < 0.9 * std::max(sides[0], sides[2]) ||
                           std::min(sides[1], sides[3]) < 0.9 * std::max(sides[1], sides[3]);
    if (longest / shortest > (narrowing ? 1.8 : 1.5)) return false;
    for (int k = 0; k < 4; ++k) {
        const cv::Point2f a = c[k], b = c[(k + 1) % 4], d = c[(k + 3) % 4];
        const double cosine = (double(b.x - a.x) * (d.x - a.x) + double(b.y - a.y) * (d.y - a.y)) /
                              (Length(a, b) * Length(a, d));
        if (std::abs(cosine) > 0.35) return false;
    }
    return true;
}

// A hull with a side along the edge of the picture that is no printed line
// (the lines crossing it end there, but little ink runs along it): a grid
// the frame cuts through, one corner or a side outside the picture. A grid
// cropped tightly to its outline has its printed outline along the edge.
constexpr int kReach = 3;  // how close to the edge a side must run

bool NearEdge(cv::Point p, int width, int height) {
    return p.x <= kReach || p.y <= kReach || p.x >= width - 1 - kReach || p.y >= height - 1 - kReach;
}

bool SideCutByPictureEdge(const std::vector<cv::Point>& shape, const cv::Mat& ink) {
    const int width = ink.cols, height = ink.rows;  // how close to the edge a side must run
    const int minimum = std::min(width, height) / 20;
    for (size_t k = 0; k < shape.size(); ++k) {
        const cv::Point a = shape[k], b = shape[(k + 1) % shape.size()];
        for (int side = 0; side < 4; ++side) {
            const bool vertical = side % 2 == 0;  // left and right edges
            const int at = side == 0 ? 0 : side == 1 ? 0 : side == 2 ? width - 1 : height - 1;
            const int ca = vertical ? a.x : a.y, cb = vertical ? b.x : b.y;
            if (std::abs(ca - at) > kReach || std::abs(cb - at) > kReach) continue;
            const int from = std::min(vertical ? a.y : a.x, vertical ? b.y : b.x);
            const int to = std::max(vertical ? a.y : a.x, vertical ? b.y : b.x);
            if (to - from < minimum) continue;
            // The best inked of the lines of pixels next to the edge; the
            // outermost one is left out, as the local threshold often inks
            // it along a darker edge of the picture.
            int best = 0;
            for (int d = 1; d <= kReach; ++d) {
                const int line = at == 0 ? d : at - d;
                int inked = 0;
                for (int t = from; t <= to; ++t)
                    inked += (vertical ? ink.at<unsigned char>(t, line) : ink.at<unsigned char>(line, t)) != 0;
                best = std::max(best, inked);
            }
            if (best * 3 < 2 * (to - from + 1)) return true;
        }
    }
    return false;
}

// A grid running out of the picture: a rectangle at least half the
// picture's smaller side each way (smaller ones are a block of a grid) that
// stays off at least one edge of the picture by more than a fiftieth of its
// size (one reaching all four edges is a picture cropped to a grid printed
// without an outline).
bool LargeAndOffAnEdge(const cv::Rect& r, int width, int height) {
    const int half = std::min(width, height) / 2;
    if (r.width < half || r.height < half) return false;
    const int reach = std::max(kReach, std::min(width, height) / 50);
    return r.x > reach || r.y > reach || r.x + r.width < width - reach || r.y + r.height < height - reach;
}

bool CutByPictureEdge(const std::vector<cv::Point>& hull, const cv::Mat& ink) {
    std::vector<cv::Point> shape;
    cv::approxPolyDP(hull, shape, 0.02 * cv::arcLength(hull, true), true);
    return SideCutByPictureEdge(shape, ink);
}

// Ink against the neighbourhood: grey lines under uneven light count, and
// uniform dark surroundings do not.
cv::Mat PhotoInk(const cv::Mat& grey) {
    const int block = std::max(11, (std::min(grey.cols, grey.rows) / 24) | 1);
    cv::Mat smooth, ink;
    cv::GaussianBlur(grey, smooth, cv::Size(5, 5), 0);
    cv::adaptiveThreshold(smooth, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 4);
    return ink;
}

// The share of the points along the quadrilateral's sides with ink within
// two pixels.
double InkAlongSides(const cv::Mat& ink, const Corners& c) {
    int inked = 0, points = 0;
    for (int k = 0; k < 4; ++k) {
        const cv::Point2f a = c[k], b = c[(k + 1) % 4];
        const int steps = std::max(1, static_cast<int>(Length(a, b)));
        for (int t = 0; t < steps; ++t) {
            const cv::Point2f p = a + (b - a) * (static_cast<float>(t) / steps);
            const int x = cvRound(p.x), y = cvRound(p.y);
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && v >= 0 && u < ink.cols && v < ink.rows && ink.at<unsigned char>(v, u) != 0;
                }
            inked += found;
            ++points;
        }
    }
    return points > 0 ? static_cast<double>(inked) / points : 0.0;
}

}  // namespace

PhotoOutline FindPhotoGridOutline(const cv::Mat& grey, Corners& corners, bool* largerPassedOver) {
    if (largerPassedOver) *largerPassedOver = false;
    const int width = grey.cols, height = grey.rows;
    if (width < 32 || height < 32) return PhotoOutline::kNone;
    const cv::Mat ink = PhotoInk(grey);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(ink, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double bestArea = 0.0, largestPassedOver = 0.0;
    bool cut = false;
    for (const std::vector<cv::Point>& contour : contours) {
        const cv::Rect r = cv::boundingRect(contour);
        if (r.width < width / 4 || r.height < height / 4) continue;
        std::vector<cv::Point> hull, quad;
        cv::convexHull(contour, hull);
        const double perimeter = cv::arcLength(hull, true);
        for (double share : {0.02, 0.04, 0.06}) {
            cv::approxPolyDP(hull, quad, share * perimeter, true);
            if (quad.size() <= 4) break;
        }
        Corners c;
        const bool square = quad.size() == 4 && OrderByDiagonals(quad, c) && PlausibleGrid(c);
        // A solid outline (not a spread of print) that the frame cuts is no
        // grid to read, even where the cut is small enough to pass for a
        // quadrilateral. Nor is a square one partly inside the picture:
        // with its outer line outside, a grid's cells open onto the edge and
        // its outline is far from solid.
        const bool solid = cv::contourArea(contour) >= 0.85 * cv::contourArea(hull);
        const bool partlyInside = square && LargeAndOffAnEdge(r, width, height);
        if ((solid || partlyInside) && CutByPictureEdge(hull, ink)) {
            cut = true;
            continue;
        }
        if (!square) {
            largestPassedOver = std::max(largestPassedOver, cv::contourArea(hull));
            continue;
        }
        // The outer edge of a grid encloses the whole quadrilateral; a
        // cluster of print spread as widely does not. Where blur or grain
        // breaks the outline, the edge runs in through the gaps along the
        // cells, but ink still runs along nearly all of the sides.
        const double area = cv::contourArea(quad);
        const double enclosed = cv::contourArea(contour);
        if (enclosed < 0.85 * area && !(enclosed >= 0.5 * area && InkAlongSides(ink, c) >= 0.9)) {
            largestPassedOver = std::max(largestPassedOver, cv::contourArea(hull));
            continue;
        }
        if (area > bestArea) {
            bestArea = area;
            corners = c;
        }
    }
    if (largerPassedOver) *largerPassedOver = largestPassedOver > 1.2 * bestArea;
    if (bestArea > 0.0) return PhotoOutline::kFound;
    return cut ? PhotoOutline::kCornerOutside : PhotoOutline::kNone;
}

bool OutlineCutByFrame(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners) {
    const int width = grey.cols, height = grey.rows;
    std::vector<cv::Point> shape;
    bool near = false;
    for (const cv::Point2f& c : corners) {
        shape.emplace_back(cvRound(c.x), cvRound(c.y));
        near = near || NearEdge(shape.back(), width, height);
    }
    // Most outlines lie well inside: no threshold needed.
    if (!near) return false;
    return SideCutByPictureEdge(shape, PhotoInk(grey));
}

}  // namespace masuvo
