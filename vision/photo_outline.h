// The grid outline in a photograph where the plain outline search finds
// none: uneven light, grey print, perspective and dark surroundings.
#pragma once

#include <array>

#include <opencv2/core.hpp>

namespace masuvo {

// Finds the largest convex quadrilateral outline in the grey picture that
// can be a photographed grid. corners: top-left, bottom-left, bottom-right,
// top-right in source pixels. False when none is found.
bool FindPhotoGridOutline(const cv::Mat& grey, std::array<cv::Point2f, 4>& corners);

}  // namespace masuvo
