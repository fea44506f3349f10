// Stroke capture with its thinning, and the preview of each canvas mode.
#include "ui/stroke.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "support/test_surface.h"
#include "ui/ui_loop.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

Points Capture(const Points& input) {
    BeginStroke(ui, int16_t(input[0].first), int16_t(input[0].second));
    for (size_t i = 1; i < input.size(); ++i) AddStrokePoint(ui, int16_t(input[i].first), int16_t(input[i].second));
    Points kept;
    for (int i = 1; i <= ui.point_count; ++i) kept.emplace_back(ui.stroke[i].x, ui.stroke[i].y);
    return kept;
}

// A point that continues the last segment within the limit (twice the
// triangle's area under 10) moves the live end; a bend or a turn back adds one.
TEST(StrokeCapture, StraightRunsMoveTheLiveEndAndBendsAddPoints) {
    const std::pair<Points, Points> rows[] = {
        {{{10, 10}, {20, 10}, {30, 10}, {30, 20}}, {{10, 10}, {30, 10}, {30, 20}}},
        {{{100, 100}, {140, 100}, {120, 100}}, {{100, 100}, {140, 100}, {120, 100}}},
        {{{0, 0}, {3, 0}, {6, 3}, {6, 3}, {10, 5}}, {{0, 0}, {10, 5}}},  // area 9, then 0
        {{{0, 0}, {10, 0}, {20, 5}}, {{0, 0}, {10, 0}, {20, 5}}},         // area 50
        {{{5, 5}, {5, 5}}, {{5, 5}}},
    };
    for (const auto& [input, kept] : rows) EXPECT_EQ(Capture(input), kept) << input.size() << " points";
    EXPECT_EQ(CollinearityError({-32768, -32768, 0, 0}, {32767, -32767, 0, 0}, {32767, 32767, 0, 0}), INT32_MAX);
    for (auto [dx, dy, d] : {std::tuple(3, 4, 5), {-4, 3, 5}, {0, -10, 9}, {100, 100, 135}})
        EXPECT_EQ(ApproxDistance(dx, dy), d) << dx << "," << dy;
}

// A zigzag of 700 corners keeps 512 points; the live end still follows.
TEST(StrokeCapture, AFullStrokeDropsNewCornersButMovesItsLiveEnd) {
    Points zigzag;
    for (int i = 0; i < 700; ++i) zigzag.emplace_back(i % 200, (i % 2) * 40);
    EXPECT_EQ(Capture(zigzag).size(), 512u);
    const Vertex last = ui.stroke[512], before = ui.stroke[511];
    AddStrokePoint(ui, int16_t(3 * last.x - 2 * before.x), int16_t(3 * last.y - 2 * before.y));
    EXPECT_EQ(ui.point_count, 512);
    EXPECT_EQ(ui.stroke[512].x, 3 * last.x - 2 * before.x);
}

// Each row: the press, the drags, pixels in the stroke colour and one left white.
TEST(StrokePreview, EachCanvasModeDrawsItsShapeInTheStrokeColour) {
    const struct { int16_t mode; Points points, red; std::pair<int, int> white; } rows[] = {
        {kCanvasFilled, {{20, 20}, {100, 20}, {100, 100}, {20, 100}}, {{60, 60}}, {150, 60}},
        {kCanvasLine, {{10, 10}, {50, 10}}, {{30, 10}}, {30, 11}},
        {kCanvasCircle, {{120, 160}, {120, 180}}, {{120, 179}, {101, 160}}, {120, 160}},  // radius 19
        {kCanvasEllipse, {{120, 160}, {150, 150}}, {{150, 160}, {90, 160}, {120, 150}, {120, 170}}, {120, 160}},
        {kCanvasNone, {{10, 10}, {50, 10}}, {}, {30, 10}},
    };
    for (const auto& r : rows) {
        ResetTestSurface(0xFFFF);
        surface.pen_colour.word = 0;
        ui.stroke_colour = MakeColour(255, 0, 0, 255);
        ui.canvas_mode = r.mode;
        Capture(r.points);
        ui.start_x = uint16_t(r.points.front().first), ui.start_y = uint16_t(r.points.front().second);
        ui.current_x = uint16_t(r.points.back().first), ui.current_y = uint16_t(r.points.back().second);
        DrawStrokePreview(ui);
        for (const auto& [x, y] : r.red) EXPECT_EQ(PixelAt(x, y), 0xF800) << "mode " << r.mode << " at " << x << "," << y;
        EXPECT_EQ(PixelAt(r.white.first, r.white.second), 0xFFFF) << "mode " << r.mode;
    }
}

}  // namespace
