#include "vision/grid_lattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "vision/grid_detection.h"

namespace masuvo {
namespace {

// A grid whose outline is a straight square from (60, 60) to (510, 510) but
// whose inner lines are shifted by `shift` and bow by up to `bow` pixels, as
// on a bent page: vertical line l runs through
// x = 60 + 50 l + shift + bow · sin(π (y − 60) / 450), horizontal lines likewise.
struct BentGrid {
    static constexpr double kOrigin = 60, kPitch = 50, kSide = 450;
    double bow;
    double shift;
    cv::Mat picture;

    double Across(int l, double y) const {
        return kOrigin + kPitch * l + shift + bow * std::sin(CV_PI * (y - kOrigin) / kSide);
    }
    double Down(int k, double x) const {
        return kOrigin + kPitch * k + shift + bow * std::sin(CV_PI * (x - kOrigin) / kSide);
    }

    // Where inner vertical line l meets inner horizontal line k.
    cv::Point2d Crossing(int k, int l) const {
        cv::Point2d p(kOrigin + kPitch * l, kOrigin + kPitch * k);
        for (int n = 0; n < 50; ++n) p = {Across(l, p.y), Down(k, p.x)};
        return p;
    }

    explicit BentGrid(double bowPixels, double shiftPixels = 0.0, const std::vector<cv::Rect>& erased = {})
        : bow(bowPixels), shift(shiftPixels) {
        picture = cv::Mat(600, 600, CV_8UC3, cv::Scalar(245, 245, 245));
        for (int line = 1; line < 9; ++line) {
            std::vector<cv::Point> vertical, horizontal;
            for (int t = 0; t <= 450; t += 5) {
                vertical.emplace_back(cvRound(Across(line, kOrigin + t)), cvRound(kOrigin + t));
                horizontal.emplace_back(cvRound(kOrigin + t), cvRound(Down(line, kOrigin + t)));
            }
            const int thickness = line % 3 == 0 ? 3 : 2;
            cv::polylines(picture, vertical, false, cv::Scalar(30, 30, 30), thickness, cv::LINE_AA);
            cv::polylines(picture, horizontal, false, cv::Scalar(30, 30, 30), thickness, cv::LINE_AA);
        }
        cv::rectangle(picture, cv::Point(60, 60), cv::Point(510, 510), cv::Scalar(30, 30, 30), 5);
        for (const cv::Rect& r : erased) cv::rectangle(picture, r, cv::Scalar(245, 245, 245), cv::FILLED);
    }
};

GridLattice LatticeOf(const cv::Mat& picture) {
    cv::Mat grey;
    cv::cvtColor(picture, grey, cv::COLOR_BGR2GRAY);
    const std::array<cv::Point2f, 4> corners = {cv::Point2f(60, 60), cv::Point2f(60, 510), cv::Point2f(510, 510),
                                                cv::Point2f(510, 60)};
    return FindGridLattice(grey, corners);
}

// Bowed inner lines are followed to within two pixels (4 % of a cell), up
// to a bow of a quarter of a cell (a line's place is averaged over a stretch
// of it, and near the outline the bowed lines slope most); the outline's
// crossings stay on the corners' straight lines.
TEST(GridLattice, FollowsBowedInnerLines) {
    for (double bow : {0.0, 6.0, 12.0}) {
        const BentGrid grid(bow);
        const GridLattice lattice = LatticeOf(grid.picture);
        for (int k = 0; k <= 9; ++k) {
            for (int l = 0; l <= 9; ++l) {
                const bool outline = k == 0 || k == 9 || l == 0 || l == 9;
                const cv::Point2d expected =
                    outline ? cv::Point2d(60 + 50 * l, 60 + 50 * k) : grid.Crossing(k, l);
                const std::string where = "bow " + std::to_string(bow) + " crossing " + std::to_string(k) + "," +
                                          std::to_string(l);
                EXPECT_NEAR(lattice.crossings[10 * k + l].x, expected.x, 2.0) << where;
                EXPECT_NEAR(lattice.crossings[10 * k + l].y, expected.y, 2.0) << where;
            }
        }
    }
}

// Where a stretch of line is missing (worn print, a fold), its crossings
// lie between the found ones along the same line.
TEST(GridLattice, BridgesAMissingStretchOfLine) {
    // Inner lines printed 6 pixels off; vertical line 4 erased between
    // horizontal lines 3 and 6.
    const BentGrid grid(0.0, 6.0, {cv::Rect(255, 205, 25, 170)});
    const GridLattice lattice = LatticeOf(grid.picture);
    for (int k = 1; k <= 8; ++k) {
        const cv::Point2d expected = grid.Crossing(k, 4);
        EXPECT_NEAR(lattice.crossings[10 * k + 4].x, expected.x, 1.5) << "crossing " << k << ",4";
        EXPECT_NEAR(lattice.crossings[10 * k + 4].y, expected.y, 1.5) << "crossing " << k << ",4";
    }
}

// The mesh warp of a lattice on straight lines is the corners' perspective:
// the straightened grid puts every inner line at its multiple of the pitch.
TEST(GridLattice, WarpPutsTheLinesOnThePitch) {
    const BentGrid grid(14.0);
    cv::Mat grey;
    cv::cvtColor(grid.picture, grey, cv::COLOR_BGR2GRAY);
    const cv::Mat warped = WarpGridLattice(grey, LatticeOf(grid.picture), 252, 3.0f);
    ASSERT_EQ(warped.rows, 252);
    const double pitch = 255.0 / 9;
    for (int l = 1; l <= 8; ++l) {
        // The darkest column near each vertical line, over the middle of a row of cells.
        const int nominal = cvRound(pitch * l);
        int darkest = nominal;
        double least = 1e9;
        for (int x = nominal - 6; x <= nominal + 6; ++x) {
            const double sum = cv::sum(warped(cv::Rect(x, 100, 1, 20)))[0];
            if (sum < least) least = sum, darkest = x;
        }
        EXPECT_NEAR(darkest, pitch * l, 1.5) << "line " << l;
    }
}

// Corners a line off, or taking in a cell too many or too few, are moved
// onto the printed lattice; corners on no lattice at all are refused.
TEST(GridLattice, MovesCornersOntoThePrintedLines) {
    const BentGrid grid(0.0);
    cv::Mat grey, framed, blank(600, 600, CV_8UC1, cv::Scalar(245));
    cv::cvtColor(grid.picture, grey, cv::COLOR_BGR2GRAY);
    // A rule printed a cell to the right of the grid: a placement a line to
    // the right then finds ten lines too, but not the thick block lines.
    // Its block lines printed thick, as most puzzles print them.
    framed = grey.clone();
    for (int at : {210, 360}) {
        cv::line(framed, cv::Point(at, 60), cv::Point(at, 510), cv::Scalar(30), 6);
        cv::line(framed, cv::Point(60, at), cv::Point(510, at), cv::Scalar(30), 6);
    }
    cv::line(framed, cv::Point(560, 40), cv::Point(560, 530), cv::Scalar(30), 2);
    // Left, top, right, bottom of the grid the corners claim.
    struct Case {
        const char* name;
        const cv::Mat& picture;
        float left, top, right, bottom;
    };
    const Case cases[] = {{"right", grey, 60, 60, 510, 510},
                          {"a cell to the right", grey, 110, 60, 560, 60 + 450},
                          {"a cell up", grey, 60, 10, 510, 460},
                          {"the left column missed", grey, 60 + 50, 60, 510, 510},
                          {"the bottom row missed", grey, 60, 60, 510, 460},
                          {"a column of other print taken in", grey, 10, 60, 510, 510},
                          {"a row of other print taken in, a cell off sideways", grey, 110, 60, 560, 560},
                          {"a cell to the right, onto a rule", framed, 110, 60, 560, 510},
                          {"right, beside a rule", framed, 60, 60, 510, 510}};
    for (const Case& c : cases) {
        std::array<cv::Point2f, 4> corners = {cv::Point2f(c.left, c.top), cv::Point2f(c.left, c.bottom),
                                              cv::Point2f(c.right, c.bottom), cv::Point2f(c.right, c.top)};
        ASSERT_TRUE(FitLatticeToLines(c.picture, corners)) << c.name;
        const cv::Point2f expected[4] = {{60, 60}, {60, 510}, {510, 510}, {510, 60}};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(corners[k].x, expected[k].x, 2.0) << c.name << " corner " << k;
            EXPECT_NEAR(corners[k].y, expected[k].y, 2.0) << c.name << " corner " << k;
        }
    }
    std::array<cv::Point2f, 4> corners = {cv::Point2f(60, 60), cv::Point2f(60, 510), cv::Point2f(510, 510),
                                          cv::Point2f(510, 60)};
    EXPECT_FALSE(FitLatticeToLines(blank, corners));
    EXPECT_EQ(corners[0], cv::Point2f(60, 60));
}

}  // namespace
}  // namespace masuvo
