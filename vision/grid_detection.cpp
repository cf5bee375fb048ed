#include "vision/grid_detection.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <opencv2/imgproc.hpp>

#include "vision/photo_outline.h"

namespace masuvo {

namespace {

using Corners = std::array<cv::Point2f, 4>;

// TL, BL, BR, TR from four points in any order. The exchange sort is kept
// as it is (it is not stable): the corners found for tied x depend on it.
void OrderCorners(Corners& c) {
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            if (c[i].x > c[j].x) std::swap(c[i], c[j]);
        }
    }
    if (c[0].y > c[1].y) std::swap(c[0], c[1]);
    if (c[3].y > c[2].y) std::swap(c[2], c[3]);
}

double Distance(cv::Point2f a, cv::Point2f b) {
    const double dx = static_cast<double>(a.x) - b.x;
    const double dy = static_cast<double>(a.y) - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Side lengths TL-BL, BL-BR, BR-TR, TR-TL and their mean; true when every
// side lies strictly within (1 ± tolerance) × mean.
bool SidesEven(const Corners& c, double tolerance, double& mean) {
    const double sides[4] = {Distance(c[0], c[1]), Distance(c[1], c[2]), Distance(c[2], c[3]),
                             Distance(c[3], c[0])};
    mean = (sides[0] + sides[1] + sides[2] + sides[3]) * 0.25;
    for (double side : sides) {
        if (!(side > (1.0 - tolerance) * mean && side < (1.0 + tolerance) * mean)) return false;
    }
    return true;
}

// Cosine of the angle at a between its neighbours b and c.
double CornerCosine(cv::Point2f a, cv::Point2f b, cv::Point2f c) {
    const double acx = static_cast<double>(a.x) - c.x, acy = static_cast<double>(a.y) - c.y;
    const double abx = static_cast<double>(a.x) - b.x, aby = static_cast<double>(a.y) - b.y;
    return (acx * abx + acy * aby) / (std::sqrt(acx * acx + acy * acy) * std::sqrt(abx * abx + aby * aby));
}

// A four-vertex outline about as wide and high as a third of the picture,
// with even sides and no acute corner.
bool PolygonTest(const std::vector<cv::Point>& contour, int width, int height, Corners& corners) {
    const cv::Rect r = cv::boundingRect(contour);
    if (!(r.width > width / 3 && r.height > height / 3)) return false;
    std::vector<cv::Point> approx;
    cv::approxPolyDP(contour, approx, 0.1 * cv::arcLength(contour, true), true);
    if (approx.size() != 4) return false;
    Corners c;
    for (int k = 0; k < 4; ++k) c[k] = cv::Point2f(static_cast<float>(approx[k].x), static_cast<float>(approx[k].y));
    OrderCorners(c);
    double mean = 0.0;
    if (!SidesEven(c, 0.05, mean)) return false;
    // Only the upper bound: obtuse corners pass.
    if (!(CornerCosine(c[0], c[1], c[3]) < 0.05)) return false;
    if (!(CornerCosine(c[1], c[2], c[0]) < 0.05)) return false;
    if (!(CornerCosine(c[2], c[3], c[1]) < 0.05)) return false;
    if (!(CornerCosine(c[3], c[0], c[2]) < 0.05)) return false;
    corners = c;
    return true;
}

// The smallest rotated rectangle around the contour, when it is a large
// square; its corners are pulled slightly inwards, since the rectangle
// encloses the outline's outer edge.
bool RotatedRectangleTest(const std::vector<cv::Point>& contour, int width, int height, Corners& corners) {
    Corners c;
    cv::minAreaRect(contour).points(c.data());
    OrderCorners(c);
    double mean = 0.0;
    const bool even = SidesEven(c, 0.01, mean);
    if (!(mean > std::max(width / 3, height / 3))) return false;
    if (!even) return false;
    const cv::Point2f centre((c[0].x + c[1].x + c[2].x + c[3].x) / 4.0f, (c[0].y + c[1].y + c[2].y + c[3].y) / 4.0f);
    for (cv::Point2f& point : c) point = centre + 0.97f * (point - centre);
    corners = c;
    return true;
}

// rectangle: set when the corners are those of the smallest rectangle
// around an outline rather than its own.
bool FindGridOutline(const cv::Mat& grey, Corners& corners, bool& rectangle) {
    cv::Mat binary, edges;
    cv::threshold(grey, binary, 128, 255, cv::THRESH_BINARY_INV);
    bool edgesMade = false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const bool useCanny = attempt % 2 == 1;
        if (useCanny && !edgesMade) {
            cv::Canny(grey, edges, 50, 200, 3, true);
            edgesMade = true;
        }
        std::vector<std::vector<cv::Point>> contours;
        std::vector<cv::Vec4i> hierarchy;
        cv::findContours(useCanny ? edges : binary, contours, hierarchy, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE,
                         cv::Point(0, 0));
        bool accepted = false;
        for (const std::vector<cv::Point>& contour : contours) {
            // The last contour accepted in an attempt gives the corners.
            const bool pass = attempt < 2 ? PolygonTest(contour, grey.cols, grey.rows, corners)
                                          : RotatedRectangleTest(contour, grey.cols, grey.rows, corners);
            accepted = accepted || pass;
        }
        if (accepted) {
            rectangle = attempt >= 2;
            return true;
        }
    }
    return false;
}

double QuadArea(const Corners& c) {
    const std::vector<cv::Point2f> points(c.begin(), c.end());
    return cv::contourArea(points);
}

// The local threshold inks the edge of a shadow or of a coloured band as a
// line, and such a line can join a grid's outline to the print around it:
// the photographed search then passes over the grid and takes a smaller
// one elsewhere on the page, such as the previous puzzle's solution
// printed beside it. Under even light those edges are gone. Of the grids
// found both ways that fit the printed lines, the larger is the board.
// Only asked where the search passed over a larger outline than the grid
// it took: evening the light costs as much as the search.
void TakeLargerGridUnderEvenLight(const cv::Mat& grey, Corners& corners) {
    Corners even;
    if (FindPhotoGridOutline(EvenLight(grey), even) != PhotoOutline::kFound) return;
    // A fifth larger: not the same outline found again a pixel wider.
    if (QuadArea(even) > 1.2 * QuadArea(corners) && FitLatticeToLines(grey, even)) corners = even;
}

void DrawCornerMarks(cv::Mat& preview, const Corners& c) {
    const auto rounded = [](cv::Point2f p) { return cv::Point(cvRound(p.x), cvRound(p.y)); };
    for (int k = 0; k < 4; ++k) {
        const int n = (k + 1) % 4;
        const cv::Point2f nearK = 0.9f * c[k] + 0.1f * c[n];
        const cv::Point2f nearN = 0.9f * c[n] + 0.1f * c[k];
        cv::line(preview, rounded(c[k]), rounded(nearK), cv::Scalar(255, 0, 0), 2, cv::LINE_AA, 0);
        cv::line(preview, rounded(c[n]), rounded(nearN), cv::Scalar(255, 0, 0), 2, cv::LINE_AA, 0);
    }
}

// Stretches the values to the full range 0..255, truncating; a uniform image
// becomes all 0.
void StretchContrast(cv::Mat& image) {
    double low = 0.0, high = 0.0;
    cv::minMaxLoc(image, &low, &high);
    for (int y = 0; y < image.rows; ++y) {
        unsigned char* row = image.ptr<unsigned char>(y);
        for (int x = 0; x < image.cols; ++x) {
            row[x] = high > low ? static_cast<unsigned char>((row[x] - low) * 255.0 / (high - low)) : 0;
        }
    }
}

// Cuts the cell at grid row i, column j out of the warped grid, decides
// whether it is empty and normalises its ink otherwise.
void ExtractCell(const cv::Mat& warped, int i, int j, int v, int margin, GridCell& cell) {
    const int pitch = 28 + 2 * v;
    const int side = warped.rows;
    const int y0 = pitch * i + 2 + v;
    const int x0 = pitch * j + 2 + v;
    CellInput window{};
    for (int r = 0; r < kCellSide; ++r) {
        const int y = y0 + r;
        if (y < 0 || y >= side) continue;  // outside the warped grid: paper
        const unsigned char* row = warped.ptr<unsigned char>(y);
        for (int k = 0; k < kCellSide; ++k) {
            const int x = x0 + k;
            if (x >= 0 && x < side) window[kCellSide * r + k] = (255 - row[x]) / 255.0;
        }
    }

    const int first = margin, last = kCellSide - 1 - margin;
    const int count = (last - first + 1) * (last - first + 1);
    double sum = 0.0, squares = 0.0;
    for (int r = first; r <= last; ++r) {
        for (int k = first; k <= last; ++k) {
            const double x = window[kCellSide * r + k];
            sum += x;
            squares += x * x;
        }
    }
    const double mean = sum / count;
    // Rounding can leave a tiny negative variance for a uniform window.
    const double deviation = std::sqrt(std::max(0.0, squares / count - mean * mean));
    int inked = 0;
    for (int r = first; r <= last; ++r) {
        for (int k = first; k <= last; ++k) {
            if (window[kCellSide * r + k] > mean + 0.18) ++inked;
        }
    }

    cell.input.fill(0.0);
    cell.empty = inked < 16;
    if (cell.empty) return;
    // At least 16 values above mean + 0.18 make the deviation positive and
    // the mean below 0.82, so high > low.
    const double low = mean;
    const double high = std::min(1.0, mean + 2.0 * deviation);
    for (int r = first; r <= last; ++r) {
        for (int k = first; k <= last; ++k) {
            const double x = (window[kCellSide * r + k] - low) / (high - low);
            cell.input[kCellSide * r + k] = std::min(1.0, std::max(0.0, x));
        }
    }
}

}  // namespace

cv::Mat GreyPicture(const cv::Mat& source) {
    cv::Mat grey;
    if (source.empty() || source.type() != CV_8UC3) return grey;
    // RGB weights applied to the stored order, whatever the source's order.
    cv::cvtColor(source, grey, cv::COLOR_RGB2GRAY, 0);
    return grey;
}

cv::Mat EvenLight(const cv::Mat& grey) {
    cv::Mat paper, even;
    if (grey.empty()) return even;
    // A thick block line or a bold digit is a few hundredths of the grid's
    // side across; the grid takes up at least a third of the picture.
    const int side = std::max(9, (std::min(grey.cols, grey.rows) / 30) | 1);
    cv::morphologyEx(grey, paper, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(side, side)));
    cv::max(paper, 1, paper);
    cv::divide(grey, paper, even, 255.0);
    return even;
}

bool LocateGrid(const cv::Mat& source, const cv::Mat& grey, bool camera, GridLocation& location, cv::Mat* preview) {
    if (grey.empty()) return false;
    const int width = grey.cols, height = grey.rows;
    Corners corners;
    // The plain attempts first; a photographed grid under uneven light or
    // in dark surroundings gives them no outline.
    OutlineSource found = OutlineSource::kWholePicture;
    location.cornerOutside = false;
    // An outline is only as good as the lines inside it: one a line off, or
    // taking in a cell too many or too few, is moved onto the printed
    // lattice (FitLatticeToLines), and not taken when no placement fits.
    // A plain outline the frame cuts, or one no lattice fits, may be other
    // print (a box running off the page, the visible part of a grid running
    // out of it) beside a grid the photographed search still finds whole.
    bool plainCut = false, rectangle = false;
    if (FindGridOutline(grey, corners, rectangle)) {
        found = OutlineSource::kPlain;
        plainCut = OutlineCutByFrame(grey, corners);
        if (plainCut || !FitLatticeToLines(grey, corners)) found = OutlineSource::kWholePicture;
    }
    if (found == OutlineSource::kPlain && rectangle) {
        // The rectangle around a grid seen at a slant holds it but is not
        // its outline: the cells would be cut askew. The photographed
        // outline follows the grid's own corners; it is taken where it
        // fits the printed lines, fills most of the rectangle from inside
        // it (not another grid elsewhere on the page) and has corners
        // apart from the rectangle's.
        Corners photo;
        if (FindPhotoGridOutline(grey, photo) == PhotoOutline::kFound && FitLatticeToLines(grey, photo)) {
            double apart = 0.0, side = 0.0;
            for (int k = 0; k < 4; ++k) {
                apart = std::max(apart, Distance(photo[k], corners[k]));
                side = std::max(side, Distance(corners[k], corners[(k + 1) % 4]));
            }
            const std::vector<cv::Point2f> box(corners.begin(), corners.end()), inner(photo.begin(), photo.end());
            bool inside = true;
            for (const cv::Point2f& p : photo) inside = inside && cv::pointPolygonTest(box, p, true) > -side / 10;
            const bool fills = cv::contourArea(inner) > 0.6 * cv::contourArea(box);
            if (inside && fills && apart > side / 25) {
                corners = photo;
                found = OutlineSource::kPhoto;
            }
        }
    }
    if (found != OutlineSource::kPlain) {
        bool misfit = false, largerPassedOver = false;
        switch (FindPhotoGridOutline(grey, corners, &largerPassedOver)) {
            case PhotoOutline::kFound:
                found = OutlineSource::kPhoto;
                misfit = !FitLatticeToLines(grey, corners);
                if (!misfit && largerPassedOver) TakeLargerGridUnderEvenLight(grey, corners);
                break;
            case PhotoOutline::kCornerOutside: location.cornerOutside = true; break;
            case PhotoOutline::kNone: location.cornerOutside = plainCut; break;
        }
        // A grid that was found but fits no lattice is not read as the
        // whole picture either.
        if (misfit) return false;
    }

    if (camera && preview != nullptr) {
        *preview = source.clone();
        if (found != OutlineSource::kWholePicture) DrawCornerMarks(*preview, corners);
    }

    if (found == OutlineSource::kWholePicture) {
        // A grid the frame cuts is not read as the whole picture: its cells
        // would all be shifted.
        if (camera || location.cornerOutside) return false;
        const double squareness = std::abs(width - height) / static_cast<double>(width + height);
        // A picture of one pixel's width or height has no four distinct corners.
        if (!(squareness < 0.02) || width < 2 || height < 2) return false;
        corners = {cv::Point2f(0.0f, 0.0f), cv::Point2f(0.0f, static_cast<float>(height - 1)),
                   cv::Point2f(static_cast<float>(width - 1), static_cast<float>(height - 1)),
                   cv::Point2f(static_cast<float>(width - 1), 0.0f)};
    }
    location.corners = corners;
    location.source = found;
    location.meshed = found != OutlineSource::kWholePicture;
    if (location.meshed) location.lattice = FindGridLattice(grey, corners);
    return true;
}

bool CutGrid(const cv::Mat& grey, const GridLocation& location, int scaleStep, int pass, bool camera,
             GridDetection& result) {
    result.cells.clear();
    result.wholePicture = false;
    const int v = scaleStep;
    if (v < kMinScaleStep || v > kMaxScaleStep || v % 2 != 0 || pass < 0 || pass >= kPassCount) return false;
    if (grey.empty()) return false;

    const int pitch = 28 + 2 * v;
    const int side = 9 * pitch;
    // The grid is mapped onto side + 3 pixels, so the last three rows and
    // columns of the bottom and right cells fall outside the warped image.
    const float far = static_cast<float>(side + 3);
    const cv::Point2f target[4] = {cv::Point2f(0.0f, 0.0f), cv::Point2f(0.0f, far), cv::Point2f(far, far),
                                   cv::Point2f(far, 0.0f)};
    cv::Mat warped;
    if (location.meshed) {
        warped = WarpGridLattice(grey, location.lattice, side, 3.0f);
    } else {
        const cv::Mat transform = cv::getPerspectiveTransform(location.corners.data(), target, cv::DECOMP_LU);
        cv::warpPerspective(grey, warped, transform, cv::Size(side, side), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                            cv::Scalar(0));
    }
    // Dark ink on light paper: dilation thins the strokes.
    if (pass == 0) cv::dilate(warped, warped, cv::Mat());
    StretchContrast(warped);

    const int base = camera || pass == 2 ? 5 : 3;
    const int margin = std::max(0, base - v);
    result.corners = location.corners;
    result.source = location.source;
    result.wholePicture = location.source == OutlineSource::kWholePicture;
    result.cells.resize(81);
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 9; ++j) ExtractCell(warped, i, j, v, margin, result.cells[9 * i + j]);
    }
    return true;
}

bool DetectGrid(const cv::Mat& source, int scaleStep, int pass, bool camera, GridDetection& result,
                cv::Mat* preview) {
    result.cells.clear();
    result.wholePicture = false;
    const int v = scaleStep;
    if (v < kMinScaleStep || v > kMaxScaleStep || v % 2 != 0 || pass < 0 || pass >= kPassCount) return false;
    cv::Mat grey = GreyPicture(source);
    GridLocation location;
    if (!LocateGrid(source, grey, camera, location, preview)) {
        // Uneven light may hide the outline; the recognition tries again
        // under even light, and so does the single detection.
        if (camera) return false;
        grey = EvenLight(grey);
        if (!LocateGrid(source, grey, camera, location, preview)) return false;
    }
    return CutGrid(grey, location, v, pass, camera, result);
}

}  // namespace masuvo
