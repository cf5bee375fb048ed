// The grid outline in a photograph where the plain outline search finds
// none: uneven light, grey print, perspective and dark surroundings.
#pragma once

#include <array>

#include <opencv2/core.hpp>

namespace masuvo {

enum class PhotoOutline {
    kFound,
    kNone,
    // No grid, but a large solid outline cut straight by the picture's edge
    // where a corner should be: the grid runs out of the picture.
    kCornerOutside,
};

// Finds the largest convex quadrilateral outline in the grey picture that
// can be a photographed grid. corners: top-left, bottom-left, bottom-right,
// top-right in source pixels. largerPassedOver (may be null) is set when a
// larger outline was passed over as no quadrilateral or not solid enough:
// print joined to a grid's outline may hide the grid in it.
PhotoOutline FindPhotoGridOutline(const cv::Mat& grey, std::array<cv::Point2f, 4>& corners,
                                  bool* largerPassedOver = nullptr);

// True when a side of the outline runs along the picture's edge without a
// printed line there: the frame cuts the grid, and the outline found is
// only its visible part.
bool OutlineCutByFrame(const cv::Mat& grey, const std::array<cv::Point2f, 4>& corners);

}  // namespace masuvo
