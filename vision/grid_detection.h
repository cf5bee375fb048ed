// Grid detection and cell extraction: finds the 9×9 grid in a colour
// picture, straightens it with a perspective warp and cuts it into 81 cell
// inputs of 28×28 values for the digit classifier, deciding on the way which
// cells are empty. Pure image processing; knows nothing of the board.
#pragma once

#include <array>
#include <vector>

#include <opencv2/core.hpp>

#include "vision/grid_lattice.h"

namespace masuvo {

// One cell input: 28×28 values, row-major (index = 28·row + column), each in
// [0, 1], 1 meaning darkest ink and 0 paper.
constexpr int kCellSide = 28;
constexpr int kCellInputSize = kCellSide * kCellSide;  // 784
using CellInput = std::array<double, kCellInputSize>;

// One cell of the grid: either empty (input then all 0) or a cell input
// to classify.
struct GridCell {
    bool empty = true;
    CellInput input{};
};

// Corner indices of GridDetection::corners.
enum GridCorner { kTopLeft = 0, kBottomLeft = 1, kBottomRight = 2, kTopRight = 3 };

// How the grid's corners were found.
enum class OutlineSource {
    kPlain,         // an outline in the global threshold or the edges
    kPhoto,         // a photographed outline in the local threshold
    kWholePicture,  // no outline: the whole nearly square picture
};

// Where the grid lies in a picture. It does not depend on the scale step or
// the pass, so a recognition finds it once and cuts it at every step.
struct GridLocation {
    // The grid's corners in source pixels (x to the right, y downwards), in
    // the order top-left, bottom-left, bottom-right, top-right.
    std::array<cv::Point2f, 4> corners{};
    OutlineSource source = OutlineSource::kPlain;
    // For an outline found in the picture, the crossings of the printed
    // lines inside it: the cells are cut along them (a bent page).
    bool meshed = false;
    GridLattice lattice;
    // Set by LocateGrid when it fails because the grid's outline runs out of
    // the picture.
    bool cornerOutside = false;
};

// The result of one successful detection.
struct GridDetection {
    std::array<cv::Point2f, 4> corners{};
    // True when no grid outline was found and the whole (nearly square)
    // picture was taken as the grid.
    bool wholePicture = false;
    OutlineSource source = OutlineSource::kPlain;
    // 81 cells in row-major board order (cell = 9·row + column).
    std::vector<GridCell> cells;
};

// Scale steps and passes DetectGrid accepts.
constexpr int kMinScaleStep = -4;
constexpr int kMaxScaleStep = 8;  // even steps only: -4, -2, 0, 2, 4, 6, 8
constexpr int kPassCount = 3;     // passes 0, 1, 2

// Finds the grid in source (8-bit, three channels, any channel order: the
// grey value weighs the stored channels 0.299, 0.587, 0.114 by position)
// and cuts it into 81 cells.
//
// scaleStep (v, even, -4..8) sets the cell pitch 28 + 2v of the warped grid,
// so negative steps shrink a digit within its 28×28 input and positive ones
// enlarge it. pass (0..2): pass 0 thins the strokes, pass 2 widens the
// margin cleared around each cell. camera: the picture is a live camera
// frame; the whole-picture fallback is then not used.
//
// Returns true and fills result (81 cells) when a grid was found or the
// whole nearly square picture was taken as the grid. Returns false and
// leaves result.cells empty when no grid was found, and also for an empty
// picture, one that is not 8-bit three-channel, or a scale step or pass out
// of range.
//
// The grid found does not depend on scaleStep or pass: every call for the
// same picture finds the same corners.
//
// preview (camera mode only; may be null): receives a copy of source with
// the found corners marked as brackets in (255, 0, 0), on every camera call,
// also when no grid was found (then unmarked). Untouched when camera is
// false.
bool DetectGrid(const cv::Mat& source, int scaleStep, int pass, bool camera, GridDetection& result,
                cv::Mat* preview = nullptr);

// The two halves of DetectGrid, for callers that cut one picture at many
// steps. GreyPicture: the grey image DetectGrid works on (empty for a
// picture that is not 8-bit three-channel). LocateGrid: the plain outline
// attempts, then the photographed outline (the larger of the grids found in
// the picture and under even light, see EvenLight), then (not for a camera frame)
// the whole nearly square picture; false when none applies. The preview is
// painted as DetectGrid paints it (camera only, may be null).
cv::Mat GreyPicture(const cv::Mat& source);
bool LocateGrid(const cv::Mat& source, const cv::Mat& grey, bool camera, GridLocation& location,
                cv::Mat* preview = nullptr);
// The grey picture with its light made even: every pixel divided by the
// paper's brightness around it (a closing wider than any printed stroke or
// line), so a shadow's edge, light falling off across the page or a row
// printed on a coloured band leaves no edge of its own and only the print
// stays dark. An empty picture gives an empty one.
cv::Mat EvenLight(const cv::Mat& grey);
// CutGrid: warps the located grid at the step and pass and cuts its 81
// cells (see DetectGrid); false for a step or pass out of range.
bool CutGrid(const cv::Mat& grey, const GridLocation& location, int scaleStep, int pass, bool camera,
             GridDetection& result);

}  // namespace masuvo
