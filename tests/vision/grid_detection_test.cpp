#include "vision/grid_detection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include <opencv2/imgproc.hpp>

namespace masuvo {
namespace {

using Corners = std::array<cv::Point2f, 4>;  // TL, BL, BR, TR

const cv::Scalar kWhite(255, 255, 255);
const cv::Scalar kBlack(0, 0, 0);

// Digits by cell index, spread over the board, the corner cells included.
const std::map<int, int> kDigits = {{0, 5}, {8, 4}, {10, 3}, {20, 8}, {36, 6},
                                    {40, 1}, {44, 7}, {72, 2}, {80, 9}};

// A straight grid of side × side pixels, ink on white paper. outline: the
// outer border's thickness inside the picture (0: no border). lines: the
// colour of the inner lines.
cv::Mat FlatGrid(int side, const std::map<int, int>& digits, int outline = 6, cv::Scalar lines = kBlack) {
    cv::Mat grid(side, side, CV_8UC3, kWhite);
    const auto at = [side](int k) { return static_cast<int>(std::lround(k * side / 9.0)); };
    for (int k = 1; k < 9; ++k) {
        const int thickness = k % 3 == 0 ? 3 : 1;
        cv::line(grid, cv::Point(at(k), 0), cv::Point(at(k), side - 1), lines, thickness);
        cv::line(grid, cv::Point(0, at(k)), cv::Point(side - 1, at(k)), lines, thickness);
    }
    if (outline > 0) cv::rectangle(grid, cv::Point(0, 0), cv::Point(side - 1, side - 1), kBlack, 2 * outline);
    const double pitch = side / 9.0;
    for (const auto& [cell, digit] : digits) {
        const std::string text = std::to_string(digit);
        const double scale = pitch / 36.0;
        const int thickness = std::max(2, static_cast<int>(pitch / 9));
        int baseline = 0;
        const cv::Size size = cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, scale, thickness, &baseline);
        const double cx = (cell % 9 + 0.5) * pitch, cy = (cell / 9 + 0.5) * pitch;
        cv::putText(grid, text, cv::Point(static_cast<int>(cx - size.width / 2.0), static_cast<int>(cy + size.height / 2.0)),
                    cv::FONT_HERSHEY_SIMPLEX, scale, kBlack, thickness, cv::LINE_AA);
    }
    return grid;
}

// The flat grid warped onto a white canvas so that its outer edges run
// through the given corners.
cv::Mat OnCanvas(const cv::Mat& flat, cv::Size canvasSize, const Corners& corners) {
    const float s = static_cast<float>(flat.cols);
    const cv::Point2f from[4] = {{0, 0}, {0, s}, {s, s}, {s, 0}};
    cv::Mat canvas(canvasSize, CV_8UC3, kWhite);
    cv::warpPerspective(flat, canvas, cv::getPerspectiveTransform(from, corners.data()), canvasSize, cv::INTER_LINEAR,
                        cv::BORDER_TRANSPARENT);
    return canvas;
}

void ExpectCornersNear(const GridDetection& found, const Corners& expected, float tolerance) {
    const char* names[4] = {"TL", "BL", "BR", "TR"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(found.corners[k].x, expected[k].x, tolerance) << names[k];
        EXPECT_NEAR(found.corners[k].y, expected[k].y, tolerance) << names[k];
    }
}

void ExpectEmptyCells(const GridDetection& found, const std::map<int, int>& digits, const std::string& label) {
    ASSERT_EQ(found.cells.size(), 81u) << label;
    for (int cell = 0; cell < 81; ++cell) {
        EXPECT_EQ(found.cells[cell].empty, digits.count(cell) == 0) << label << " cell " << cell;
    }
}

struct OutlineCase {
    const char* name;
    cv::Size canvas;
    Corners corners;
    // The largest step at which the cells are told apart: blown up beyond
    // the picture's own resolution, blurred grid lines reach into the cells.
    int sharpUpTo;
};

class GridOutline : public testing::TestWithParam<OutlineCase> {};

// The outline is found in every picture with the corners in TL, BL, BR, TR
// order; every scale step and pass finds the same corners and tells the
// digit cells from the empty ones. Not at step -4 in pass 0: there the
// strokes are two pixels wide and the dilation thins them away (the other
// passes and steps read them; the vote over all runs needs no more).
TEST_P(GridOutline, GivesTheCornersAndTheEmptyCells) {
    const OutlineCase& c = GetParam();
    const cv::Mat picture = OnCanvas(FlatGrid(450, kDigits), c.canvas, c.corners);
    for (bool camera : {false, true}) {
        for (int pass = 0; pass < 3; ++pass) {
            for (int v = -4; v <= 8; v += 2) {
                const std::string label = "v " + std::to_string(v) + " pass " + std::to_string(pass) +
                                          (camera ? " camera" : "");
                GridDetection found;
                ASSERT_TRUE(DetectGrid(picture, v, pass, camera, found)) << label;
                EXPECT_FALSE(found.wholePicture);
                ExpectCornersNear(found, c.corners, 2.0f);
                if (v <= c.sharpUpTo && !(v == -4 && pass == 0)) ExpectEmptyCells(found, kDigits, label);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, GridOutline,
    testing::Values(OutlineCase{"Straight", {800, 600}, {{{100, 50}, {100, 500}, {550, 500}, {550, 50}}}, 8},
                    OutlineCase{"Perspective", {900, 700}, {{{200, 100}, {190, 560}, {660, 570}, {650, 110}}}, 8},
                    OutlineCase{"Turned", {700, 700}, {{{230, 90}, {90, 430}, {430, 570}, {570, 230}}}, 8},
                    OutlineCase{"Small", {300, 260}, {{{40, 20}, {40, 240}, {260, 240}, {260, 20}}}, 0}),
    [](const testing::TestParamInfo<OutlineCase>& info) { return std::string(info.param.name); });

// Without a recognisable outline a nearly square picture is taken whole;
// a wide one, or any camera frame, fails and yields no cells.
TEST(DetectGrid, TakesANearlySquarePictureWithoutOutlineWhole) {
    // Faint inner lines and no border: nothing but the digits is dark.
    const cv::Mat tight = FlatGrid(450, kDigits, 0, cv::Scalar(235, 235, 235));
    cv::Mat slightlyWide;
    cv::copyMakeBorder(tight, slightlyWide, 0, 0, 0, 8, cv::BORDER_CONSTANT, kWhite);  // 458 × 450: 0.9 %
    cv::Mat wide;
    cv::copyMakeBorder(tight, wide, 75, 75, 275, 275, cv::BORDER_CONSTANT, kWhite);  // 1000 × 600
    cv::Mat tooWide;
    cv::copyMakeBorder(tight, tooWide, 0, 0, 0, 19, cv::BORDER_CONSTANT, kWhite);  // 469 × 450: 2.07 %

    struct Case {
        const char* name;
        const cv::Mat& picture;
        bool camera;
        bool found;
    };
    const Case cases[] = {{"tight", tight, false, true},         {"slightly wide", slightlyWide, false, true},
                          {"tight camera", tight, true, false},  {"wide", wide, false, false},
                          {"too wide", tooWide, false, false},   {"wide camera", wide, true, false}};
    for (const Case& c : cases) {
        GridDetection found;
        found.cells.resize(81);  // stale cells must not survive a failure
        EXPECT_EQ(DetectGrid(c.picture, 0, 0, c.camera, found), c.found) << c.name;
        if (!c.found) {
            EXPECT_TRUE(found.cells.empty()) << c.name;
            continue;
        }
        EXPECT_TRUE(found.wholePicture) << c.name;
        const float w = static_cast<float>(c.picture.cols - 1), h = static_cast<float>(c.picture.rows - 1);
        ExpectCornersNear(found, {{{0, 0}, {0, h}, {w, h}, {w, 0}}}, 0.0f);
        ExpectEmptyCells(found, kDigits, c.name);
    }
}

// The plain attempts take only nearly square outlines with nearly right
// corners: sides within 5 % of their mean, corner cosines below 0.05 (about
// 87°). A photographed grid's perspective breaks both; the photo attempt
// then takes any convex outline within a factor 1.5 and about 20° of a
// square. An oblong beyond that on a wide picture is not found at all.
TEST(DetectGrid, AcceptsOnlyNearlySquareOutlines) {
    const auto skewed = [](double degrees) {
        const float side = 450, angle = static_cast<float>(degrees * CV_PI / 180);
        const cv::Point2f tl(200, 80), tr = tl + cv::Point2f(side, 0);
        const cv::Point2f down(side * std::cos(angle), side * std::sin(angle));
        return Corners{tl, tl + down, tr + down, tr};
    };
    const auto oblong = [](float width, float height) {
        return Corners{{{200, 80}, {200, 80 + height}, {200 + width, 80 + height}, {200 + width, 80}}};
    };
    struct Case {
        const char* name;
        Corners corners;
        bool found;
        OutlineSource source;
    };
    const Case cases[] = {{"square", oblong(450, 450), true, OutlineSource::kPlain},
                          {"sides 3.5 % off", oblong(440, 410), true, OutlineSource::kPlain},
                          {"sides 5.9 % off", oblong(450, 400), true, OutlineSource::kPhoto},
                          {"corners of 88°", skewed(92), true, OutlineSource::kPlain},
                          {"corners of 86°", skewed(94), true, OutlineSource::kPhoto},
                          {"sides 1.6 : 1", oblong(450, 280), false, OutlineSource::kPhoto},
                          // A grid seen at a slant: narrower on the far side.
                          {"sides 1.6 : 1 narrowing to the right",
                           Corners{{{200, 80}, {200, 360}, {600, 340}, {600, 100}}}, true, OutlineSource::kPhoto},
                          {"sides 2 : 1 narrowing to the right",
                           Corners{{{200, 80}, {200, 310}, {630, 295}, {630, 95}}}, false, OutlineSource::kPhoto},
                          {"corners of 65°", skewed(115), false, OutlineSource::kPhoto}};
    for (const Case& c : cases) {
        const cv::Mat picture = OnCanvas(FlatGrid(450, kDigits), {900, 600}, c.corners);
        GridDetection found;
        ASSERT_EQ(DetectGrid(picture, 0, 1, false, found), c.found) << c.name;
        if (!c.found) continue;
        EXPECT_EQ(found.source, c.source) << c.name;
        ExpectCornersNear(found, c.corners, 2.0f);
    }
}

// A grid seen at a slant whose bounding rectangle is square: the cells are
// cut along the grid's own corners, not the rectangle around them.
TEST(DetectGrid, TakesASlantedGridsOwnCornersOverTheRectangleAroundThem) {
    const Corners slanted = {{{235, 80}, {200, 530}, {650, 530}, {615, 80}}};
    const cv::Mat picture = OnCanvas(FlatGrid(450, kDigits), {900, 600}, slanted);
    GridDetection found;
    ASSERT_TRUE(DetectGrid(picture, 0, 1, false, found));
    ExpectCornersNear(found, slanted, 4.0f);
}

// When two outlines pass in the same attempt, the one the contour search
// lists last gives the corners.
TEST(DetectGrid, TakesTheLastOutlineThatPasses) {
    const Corners left = {{{20, 20}, {20, 430}, {430, 430}, {430, 20}}};
    const Corners right = {{{480, 30}, {480, 420}, {870, 420}, {870, 30}}};
    cv::Mat picture = OnCanvas(FlatGrid(450, kDigits), {900, 450}, left);
    picture = OnCanvas(FlatGrid(450, {}), {900, 450}, right).mul(picture, 1.0 / 255);

    cv::Mat grey, binary;
    cv::cvtColor(picture, grey, cv::COLOR_RGB2GRAY);
    cv::threshold(grey, binary, 128, 255, cv::THRESH_BINARY_INV);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(binary, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    bool rightLast = false;
    for (const auto& contour : contours) {
        const cv::Rect r = cv::boundingRect(contour);
        if (r.width > 300) rightLast = r.x > 450;
    }

    GridDetection found;
    ASSERT_TRUE(DetectGrid(picture, 0, 1, false, found));
    ExpectCornersNear(found, rightLast ? right : left, 2.0f);
}

// The empty-cell threshold, counted exactly: a picture of 256 × 256 pixels
// taken whole warps onto itself at step 0, so each dot is one value 1 in
// its cell's window. 16 dots above the cell's mean + 0.18 make a digit, 15
// do not.
TEST(DetectGrid, SixteenInkedValuesMakeACell) {
    cv::Mat picture(256, 256, CV_8UC3, kWhite);
    const auto dots = [&](int cell, int count) {
        const int x0 = 28 * (cell % 9) + 2, y0 = 28 * (cell / 9) + 2;
        for (int k = 0; k < count; ++k) {
            picture.at<cv::Vec3b>(y0 + 4 + 2 * (k / 8), x0 + 4 + 2 * (k % 8)) = cv::Vec3b(0, 0, 0);
        }
    };
    dots(0, 16);
    dots(1, 15);
    dots(40, 16);
    dots(80, 15);
    GridDetection found;
    ASSERT_TRUE(DetectGrid(picture, 0, 1, false, found));
    ASSERT_TRUE(found.wholePicture);
    EXPECT_FALSE(found.cells[0].empty);
    EXPECT_TRUE(found.cells[1].empty);
    EXPECT_FALSE(found.cells[40].empty);
    EXPECT_TRUE(found.cells[80].empty);
    int ones = 0;
    for (double value : found.cells[0].input) ones += value == 1.0;
    EXPECT_EQ(ones, 16);
}

TEST(DetectGrid, FindsOnlyEmptyCellsInABlankPicture) {
    const cv::Mat blank(300, 300, CV_8UC3, cv::Scalar(200, 180, 160));
    for (int v = -4; v <= 8; v += 2) {
        GridDetection found;
        ASSERT_TRUE(DetectGrid(blank, v, 1, false, found));
        ASSERT_EQ(found.cells.size(), 81u);
        for (const GridCell& cell : found.cells) {
            EXPECT_TRUE(cell.empty);
            EXPECT_EQ(*std::max_element(cell.input.begin(), cell.input.end()), 0.0);
        }
    }
}

// An outline whose polygon has uneven sides (one corner cut off) is still
// found through its smallest enclosing rectangle, pulled 3 % towards the
// centre.
TEST(DetectGrid, FallsBackToTheEnclosingRectangle) {
    cv::Mat flat = FlatGrid(450, kDigits);
    const std::vector<cv::Point> cut = {{300, 0}, {450, 0}, {450, 150}};
    cv::fillConvexPoly(flat, cut, kWhite);
    const cv::Mat picture = OnCanvas(flat, {800, 600}, {{{150, 60}, {150, 510}, {600, 510}, {600, 60}}});
    GridDetection found;
    ASSERT_TRUE(DetectGrid(picture, 0, 0, false, found));
    const float centreX = 375, centreY = 285, half = 225 * 0.97f;
    ExpectCornersNear(found,
                      {{{centreX - half, centreY - half}, {centreX - half, centreY + half},
                        {centreX + half, centreY + half}, {centreX + half, centreY - half}}},
                      2.0f);
}

// A grid whose outer line is faint, broken or missing on one side, beside
// other print, is found where it is printed: never a line off, which would
// read every digit in the wrong cell.
TEST(DetectGrid, FindsAGridWithAFaintOrBrokenOutlineWithoutAShift) {
    const Corners corners = {{{150, 60}, {150, 510}, {600, 510}, {600, 60}}};
    const auto grid = [](int outline, cv::Scalar colour) {
        cv::Mat flat = FlatGrid(450, kDigits, 0);
        if (outline > 0) cv::rectangle(flat, cv::Point(0, 0), cv::Point(449, 449), colour, outline);
        return flat;
    };
    cv::Mat faint = grid(3, cv::Scalar(200, 200, 200));
    cv::Mat broken = grid(6, kBlack);
    // Gaps in all four sides of the outline, away from the inner lines.
    for (int t = 15; t < 450; t += 50) {
        cv::rectangle(broken, cv::Rect(0, t, 6, 20), kWhite, cv::FILLED);
        cv::rectangle(broken, cv::Rect(444, t, 6, 20), kWhite, cv::FILLED);
        cv::rectangle(broken, cv::Rect(t, 0, 20, 6), kWhite, cv::FILLED);
        cv::rectangle(broken, cv::Rect(t, 444, 20, 6), kWhite, cv::FILLED);
    }
    cv::Mat leftMissing = grid(6, kBlack);
    cv::rectangle(leftMissing, cv::Rect(0, 0, 4, 450), kWhite, cv::FILLED);
    // Thin lines so faint that a blur leaves only the blocks' thick lines.
    cv::Mat thinLost = FlatGrid(450, kDigits, 6, cv::Scalar(235, 235, 235));
    for (int k : {3, 6}) {
        cv::line(thinLost, cv::Point(k * 50, 0), cv::Point(k * 50, 449), kBlack, 5);
        cv::line(thinLost, cv::Point(0, k * 50), cv::Point(449, k * 50), kBlack, 5);
    }
    struct Case {
        const char* name;
        cv::Mat flat;
        double blur;  // sigma of a blur over the picture, 0 for none
    };
    const Case cases[] = {{"faint", faint, 0},
                          {"broken", broken, 0},
                          {"left line missing", leftMissing, 0},
                          {"left line missing, a rule a cell beside it", leftMissing, 0},
                          {"blurred, only the thick lines left", thinLost, 5}};
    for (const Case& c : cases) {
        cv::Mat picture = OnCanvas(c.flat, {800, 600}, corners);
        if (std::string(c.name).find("rule") != std::string::npos)
            cv::line(picture, cv::Point(100, 60), cv::Point(100, 510), kBlack, 5);
        // A column of text just beside the grid.
        for (int y = 70; y < 500; y += 18) cv::putText(picture, "lorem ipsum", cv::Point(20, y), cv::FONT_HERSHEY_SIMPLEX, 0.5, kBlack, 1);
        if (c.blur > 0) cv::GaussianBlur(picture, picture, cv::Size(0, 0), c.blur);
        GridDetection found;
        EXPECT_TRUE(DetectGrid(picture, 0, 1, false, found)) << c.name;
        ExpectCornersNear(found, corners, 12.0f);
    }
}

// Grain (a dim room, a small sensor) speckles the paper with ink that
// breaks a thin outline and joins it to the cells: the grid is still found
// by the ink running along its sides.
TEST(DetectGrid, FindsAGridInAGrainyPicture) {
    const Corners corners = {{{120, 40}, {120, 440}, {520, 440}, {520, 40}}};
    // Faint grey print (paper 221, ink 188), all of it lighter than the
    // plain search's threshold.
    cv::Mat picture = OnCanvas(FlatGrid(400, kDigits, 1), {640, 480}, corners);
    picture.convertTo(picture, CV_8UC3, 0.13, 188);
    cv::Mat grain(picture.size(), CV_16SC3), noisy;
    cv::RNG random(20261211);
    random.fill(grain, cv::RNG::NORMAL, 0, 18);
    picture.convertTo(noisy, CV_16SC3);
    noisy += grain;
    noisy.convertTo(picture, CV_8UC3);
    GridDetection found;
    ASSERT_TRUE(DetectGrid(picture, 0, 1, false, found));
    ExpectCornersNear(found, corners, 6.0f);
}

// A grid that runs out of the picture, past one side or one corner, is
// refused as such rather than found as a smaller grid or not at all: the
// cells open onto the edge make its outline far from solid.
TEST(DetectGrid, TellsAGridRunningOutOfThePicture) {
    const cv::Mat page = OnCanvas(FlatGrid(450, kDigits, 2), {800, 600}, {{{150, 60}, {150, 510}, {600, 510}, {600, 60}}});
    struct Case {
        const char* name;
        cv::Rect crop;
    };
    const Case cases[] = {{"top line outside", {100, 80, 560, 470}},
                          {"top and bottom lines outside", {100, 80, 560, 420}},
                          {"top-left corner outside", {170, 80, 500, 470}}};
    for (const Case& c : cases) {
        const cv::Mat picture = page(c.crop).clone();
        GridLocation location;
        EXPECT_FALSE(LocateGrid(picture, GreyPicture(picture), false, location)) << c.name;
        EXPECT_TRUE(location.cornerOutside) << c.name;
    }
}

TEST(DetectGrid, RefusesPicturesAndParametersItCannotUse) {
    const cv::Mat picture = FlatGrid(270, kDigits);
    cv::Mat grey;
    cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    struct Case {
        const char* name;
        cv::Mat picture;
        int v, pass;
    };
    const Case cases[] = {{"odd step", picture, 1, 0},         {"step below", picture, -6, 0},
                          {"step above", picture, 10, 0},      {"pass 3", picture, 0, 3},
                          {"negative pass", picture, 0, -1},   {"one channel", grey, 0, 0},
                          {"empty", cv::Mat(), 0, 0},          {"one pixel", cv::Mat(1, 1, CV_8UC3, kWhite), 0, 0}};
    for (const Case& c : cases) {
        GridDetection found;
        EXPECT_FALSE(DetectGrid(c.picture, c.v, c.pass, false, found)) << c.name;
        EXPECT_TRUE(found.cells.empty()) << c.name;
    }
}

// Centre of mass of the values and the extent of the values above 0.5.
struct Ink {
    double x = 0, y = 0;
    int width = 0, height = 0;
};

Ink InkOf(const CellInput& input) {
    double total = 0, sx = 0, sy = 0;
    int left = kCellSide, right = -1, top = kCellSide, bottom = -1;
    for (int r = 0; r < kCellSide; ++r) {
        for (int k = 0; k < kCellSide; ++k) {
            const double value = input[kCellSide * r + k];
            total += value;
            sx += value * k;
            sy += value * r;
            if (value > 0.5) {
                left = std::min(left, k), right = std::max(right, k);
                top = std::min(top, r), bottom = std::max(bottom, r);
            }
        }
    }
    return {sx / total, sy / total, right - left + 1, bottom - top + 1};
}

// Centre of the dark pixels inside a cell of a flat grid, away from its lines.
cv::Point2d DrawnInkCentre(const cv::Mat& flat, int cell) {
    const double pitch = flat.cols / 9.0;
    const int left = static_cast<int>((cell % 9) * pitch) + 6, top = static_cast<int>((cell / 9) * pitch) + 6;
    const int right = static_cast<int>((cell % 9 + 1) * pitch) - 6, bottom = static_cast<int>((cell / 9 + 1) * pitch) - 6;
    double total = 0, sx = 0, sy = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const double ink = 255 - flat.at<cv::Vec3b>(y, x)[1];
            total += ink, sx += ink * (x + 0.5), sy += ink * (y + 0.5);
        }
    }
    return {sx / total, sy / total};
}

// A digit's cell input: ink 1 and paper 0, the margin cleared, the digit
// where the warp puts it (the grid spread over 9·pitch + 3 pixels, the
// window starting 2 + v pixels into the cell), filling more of the window
// as the step grows.
TEST(DetectGrid, NormalisesADigitCell) {
    const std::map<int, int> digits = {{0, 8}, {40, 4}, {80, 6}};
    // A square picture without outline is taken whole: the corners are
    // exactly the picture's, so the digit's place follows from the geometry.
    const cv::Mat picture = FlatGrid(451, digits, 0, cv::Scalar(235, 235, 235));
    int previousHeight = 0;
    for (int v = -4; v <= 8; v += 2) {
        for (int pass = 0; pass < 3; ++pass) {
            const std::string label = "v " + std::to_string(v) + " pass " + std::to_string(pass);
            GridDetection found;
            ASSERT_TRUE(DetectGrid(picture, v, pass, false, found)) << label;
            ASSERT_TRUE(found.wholePicture);
            const int margin = std::max(0, (pass == 2 ? 5 : 3) - v);
            const double pitch = 28 + 2 * v;
            const double zoom = (9 * pitch + 3) / 450.0;
            for (const auto& [cell, digit] : digits) {
                const std::string where = label + " cell " + std::to_string(cell);
                const CellInput& input = found.cells[cell].input;
                if (v == -4 && pass == 0) continue;  // strokes thinned away, see GridOutline
                ASSERT_FALSE(found.cells[cell].empty) << where;
                int inked = 0, paper = 0;
                for (int r = 0; r < kCellSide; ++r) {
                    for (int k = 0; k < kCellSide; ++k) {
                        const double value = input[kCellSide * r + k];
                        ASSERT_GE(value, 0.0);
                        ASSERT_LE(value, 1.0);
                        const bool inMargin = r < margin || k < margin || r >= kCellSide - margin ||
                                              k >= kCellSide - margin;
                        if (inMargin) {
                            EXPECT_EQ(value, 0.0) << where << " at " << r << "," << k;
                        }
                        inked += value == 1.0;
                        paper += value == 0.0;
                    }
                }
                EXPECT_GE(inked, 10) << where;
                EXPECT_GE(paper, kCellInputSize / 3) << where;
                const cv::Point2d drawn = DrawnInkCentre(picture, cell);
                const Ink ink = InkOf(input);
                // Pass 2's wider margin and the largest step clip the digit
                // and move its centre; elsewhere it lies where the warp puts it.
                if (pass == 1 && v < 8) {
                    EXPECT_NEAR(ink.x, drawn.x * zoom - pitch * (cell % 9) - 2 - v - 0.5, 1.0) << where;
                    EXPECT_NEAR(ink.y, drawn.y * zoom - pitch * (cell / 9) - 2 - v - 0.5, 1.0) << where;
                }
                if (cell == 40 && pass == 1) {
                    EXPECT_GT(ink.height, previousHeight) << where;
                    previousHeight = ink.height;
                }
            }
        }
    }
}

// A camera frame gets its preview copy on every call, with bracket marks at
// the corners only when a grid was found; other calls leave it alone.
TEST(DetectGrid, MarksTheCornersInTheCameraPreview) {
    const Corners corners = {{{100, 50}, {100, 500}, {550, 500}, {550, 50}}};
    const cv::Mat withGrid = OnCanvas(FlatGrid(450, kDigits), {800, 600}, corners);
    const cv::Mat blank(600, 800, CV_8UC3, kWhite);
    const auto changed = [](const cv::Mat& a, const cv::Mat& b) {
        cv::Mat difference;
        cv::absdiff(a, b, difference);
        return cv::countNonZero(difference.reshape(1)) > 0;
    };

    GridDetection found;
    cv::Mat preview;
    ASSERT_TRUE(DetectGrid(withGrid, 0, 0, true, found, &preview));
    ASSERT_EQ(preview.size(), withGrid.size());
    ASSERT_EQ(preview.type(), CV_8UC3);
    EXPECT_TRUE(changed(preview, withGrid));
    // Marks in the first channel over the first and last tenth of every
    // side, none in the middle of a side.
    const auto firstOnly = [&](cv::Point2f at) {
        const cv::Vec3b pixel = preview.at<cv::Vec3b>(cvRound(at.y), cvRound(at.x));
        return pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60;
    };
    for (int k = 0; k < 4; ++k) {
        const cv::Point2f from = found.corners[k], to = found.corners[(k + 1) % 4];
        EXPECT_TRUE(firstOnly(0.95f * from + 0.05f * to)) << "side " << k;
        EXPECT_TRUE(firstOnly(0.05f * from + 0.95f * to)) << "side " << k;
        EXPECT_FALSE(firstOnly(0.5f * from + 0.5f * to)) << "side " << k;
        EXPECT_FALSE(firstOnly(0.8f * from + 0.2f * to)) << "side " << k;
    }
    EXPECT_FALSE(changed(withGrid, OnCanvas(FlatGrid(450, kDigits), {800, 600}, corners)));  // source untouched

    cv::Mat blankPreview;
    EXPECT_FALSE(DetectGrid(blank, 0, 0, true, found, &blankPreview));
    ASSERT_EQ(blankPreview.size(), blank.size());
    EXPECT_FALSE(changed(blankPreview, blank));

    cv::Mat untouched(2, 2, CV_8UC3, kBlack);
    ASSERT_TRUE(DetectGrid(withGrid, 0, 0, false, found, &untouched));
    EXPECT_EQ(untouched.size(), cv::Size(2, 2));
}

}  // namespace
}  // namespace masuvo
