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

// A photographed square: sides within a factor 1.5 of each other, no
// corner far from a right angle.
bool PlausibleGrid(const Corners& c) {
    double sides[4];
    for (int k = 0; k < 4; ++k) sides[k] = Length(c[k], c[(k + 1) % 4]);
    const double shortest = *std::min_element(sides, sides + 4);
    const double longest = *std::max_element(sides, sides + 4);
    if (!(shortest > 0.0) || longest / shortest > 1.5) return false;
    for (int k = 0; k < 4; ++k) {
        const cv::Point2f a = c[k], b = c[(k + 1) % 4], d = c[(k + 3) % 4];
        const double cosine = (double(b.x - a.x) * (d.x - a.x) + double(b.y - a.y) * (d.y - a.y)) /
                              (Length(a, b) * Length(a, d));
        if (std::abs(cosine) > 0.35) return false;
    }
    return true;
}

}  // namespace

bool FindPhotoGridOutline(const cv::Mat& grey, Corners& corners) {
    const int width = grey.cols, height = grey.rows;
    if (width < 32 || height < 32) return false;
    // A threshold against the neighbourhood finds grey lines under uneven
    // light and leaves uniform dark surroundings out.
    const int block = std::max(11, (std::min(width, height) / 24) | 1);
    cv::Mat smooth, ink;
    cv::GaussianBlur(grey, smooth, cv::Size(5, 5), 0);
    cv::adaptiveThreshold(smooth, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, block, 4);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(ink, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double bestArea = 0.0;
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
        if (quad.size() != 4) continue;
        Corners c;
        if (!OrderByDiagonals(quad, c) || !PlausibleGrid(c)) continue;
        // The outer edge of a grid encloses the whole quadrilateral; a
        // cluster of print spread as widely does not.
        const double area = cv::contourArea(quad);
        if (cv::contourArea(contour) < 0.85 * area) continue;
        if (area > bestArea) {
            bestArea = area;
            corners = c;
        }
    }
    return bestArea > 0.0;
}

}  // namespace masuvo
