// The grid's 10×10 line crossings in a picture. A photographed page is
// rarely flat: the paper bends and the lens bows straight lines, so a single
// perspective warp from the four outer corners can leave the inner lines a
// third of a cell away from where the cell windows expect them. The lattice
// follows the printed lines instead, and the mesh warp straightens every
// cell by its own four crossings.
#pragma once

#include <array>

#include <opencv2/core.hpp>

namespace masuvo {

// Crossing of horizontal line k (0 top … 9 bottom) and vertical line l
// (0 left … 9 right) at index 10·k + l, in source pixels.
struct GridLattice {
    std::array<cv::Point2f, 100> crossings{};
};

// The crossings of the grid whose outer corners (TL, BL, BR, TR) are given:
// each one moved onto the printed lines found near where the perspective of
// the corners puts it. A crossing whose lines are not found, or that
// disagrees with its neighbours, is placed by its neighbours' shifts.
GridLattice FindGridLattice(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners);

// How well the printed lines bear out the grid the corners (TL, BL, BR, TR)
// put: for the vertical lines (x) and the horizontal ones (y), the share of
// the ten lines found along most of their length within a quarter of a
// cell of where the corners put them. A grid read a line off, or with a
// line too many or too few in it, leaves most of its lines between cells.
struct LatticeFit {
    double x = 0.0;
    double y = 0.0;
};
LatticeFit MeasureLatticeFit(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners);

// How many of the ten lines each way a grid must show to be read.
constexpr int kLinesNeeded = 7;

// Checks the corners against the printed lines and, where some line is
// missing one way or the block lines are not seen at lines 3 and 6, tries that way's sides moved by a cell: the grid one
// cell over, or with one cell more or fewer taken in (an outer line missed,
// or other print beside the grid taken for it), and takes the placement
// whose lines, then block lines, are best borne out.
// Returns false, leaving the corners as they were, when even that shows
// fewer than kLinesNeeded lines, unless the corners as found show the
// blocks' frame (lines 0, 3, 6 and 9, the inner two thicker than any other
// line found): a grid so blurred or faintly printed that only its thick
// lines show is then taken where it was found.
bool FitLatticeToLines(const cv::Mat& grey, std::array<cv::Point2f, 4>& corners);

// The grey picture warped onto side × side pixels with the lattice's lines
// at multiples of (side + extra) / 9, every cell by the perspective of its
// own four crossings; pixels from outside the picture are 0. With a lattice
// on straight lines this is the warp of the four corners.
cv::Mat WarpGridLattice(const cv::Mat& grey, const GridLattice& lattice, int side, float extra);

}  // namespace masuvo
