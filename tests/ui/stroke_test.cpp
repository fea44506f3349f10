#include "ui/stroke.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "support/test_surface.h"
#include "ui/ui_loop.h"

namespace {

Vertex V(int x, int y) { return Vertex{static_cast<int16_t>(x), static_cast<int16_t>(y), 0, 0}; }

void ExpectPoints(std::initializer_list<Vertex> points) {
    ASSERT_EQ(ui.point_count, points.size());
    int i = 1;
    for (const Vertex& p : points) {
        EXPECT_EQ(ui.stroke[i].x, p.x) << "point " << i;
        EXPECT_EQ(ui.stroke[i].y, p.y) << "point " << i;
        ++i;
    }
}

TEST(StrokeCapture, StraightRunMovesTheLiveEndAndABendAddsAPoint) {
    BeginStroke(ui, 10, 10);
    AddStrokePoint(ui, 20, 10);
    AddStrokePoint(ui, 30, 10);
    AddStrokePoint(ui, 30, 20);
    ExpectPoints({V(10, 10), V(30, 10), V(30, 20)});
    EXPECT_EQ(ui.stroke[0].x, 10);
    EXPECT_EQ(ui.stroke[0].y, 10);
    EXPECT_EQ(CollinearityError(V(10, 10), V(20, 10), V(30, 10)), 0);
    EXPECT_EQ(CollinearityError(V(10, 10), V(30, 10), V(30, 20)), 200);
}

TEST(StrokeCapture, TurningBackAlwaysStartsANewSegment) {
    BeginStroke(ui, 100, 100);
    AddStrokePoint(ui, 140, 100);
    AddStrokePoint(ui, 120, 100);  // on the line, but not beyond the live end
    ExpectPoints({V(100, 100), V(140, 100), V(120, 100)});
    EXPECT_EQ(CollinearityError(V(100, 100), V(140, 100), V(120, 100)), 1000);
}

TEST(StrokeCapture, SlightBendWithinTheLimitStillMovesTheLiveEnd) {
    BeginStroke(ui, 0, 0);
    AddStrokePoint(ui, 3, 0);
    AddStrokePoint(ui, 6, 3);  // error 9
    ExpectPoints({V(0, 0), V(6, 3)});
    AddStrokePoint(ui, 6, 3);  // the live end's own position: nothing
    ExpectPoints({V(0, 0), V(6, 3)});
    AddStrokePoint(ui, 10, 5);  // error 0: the live end moves again
    ExpectPoints({V(0, 0), V(10, 5)});
}

TEST(StrokeCapture, AFullStrokeDropsNewCornersButKeepsMovingItsLiveEnd) {
    BeginStroke(ui, 0, 0);
    // A zigzag: every point bends away from the last segment.
    for (int i = 1; i < 700; ++i) AddStrokePoint(ui, static_cast<int16_t>(i % 200), (i % 2) * 40);
    EXPECT_EQ(ui.point_count, 512);
    const Vertex last = ui.stroke[512];
    const Vertex before = ui.stroke[511];
    AddStrokePoint(ui, static_cast<int16_t>(last.x + 2 * (last.x - before.x)),
                   static_cast<int16_t>(last.y + 2 * (last.y - before.y)));
    EXPECT_EQ(ui.point_count, 512);
    EXPECT_EQ(ui.stroke[512].x, last.x + 2 * (last.x - before.x));
    EXPECT_EQ(ui.stroke[511].x, before.x);
}

TEST(StrokeCapture, CollinearityOfFarApartPointsDoesNotOverflow) {
    EXPECT_EQ(CollinearityError(V(-32768, -32768), V(32767, -32767), V(32767, 32767)), INT32_MAX);
}

TEST(StrokeCapture, ApproxDistanceEstimatesLengths) {
    const int rows[][3] = {{3, 4, 5},  {-4, 3, 5},      {10, 0, 9},
                           {0, -10, 9}, {100, 100, 135}, {0, 0, 0}};
    for (const auto& r : rows) EXPECT_EQ(ApproxDistance(r[0], r[1]), r[2]) << r[0] << "," << r[1];
}

class StrokePreview : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTestSurface(0xFFFF);
        ui.stroke_colour = MakeColour(255, 0, 0, 255);
    }
    void Press(int x, int y) {
        BeginStroke(ui, static_cast<int16_t>(x), static_cast<int16_t>(y));
        ui.start_x = ui.current_x = static_cast<uint16_t>(x);
        ui.start_y = ui.current_y = static_cast<uint16_t>(y);
    }
    void Drag(int x, int y) {
        AddStrokePoint(ui, static_cast<int16_t>(x), static_cast<int16_t>(y));
        ui.current_x = static_cast<uint16_t>(x);
        ui.current_y = static_cast<uint16_t>(y);
    }
};

constexpr uint16_t kRed = 0xF800;

TEST_F(StrokePreview, EachCanvasModeDrawsItsShape) {
    struct Row {
        int16_t mode;
        std::vector<std::pair<int, int>> points;  // the press, then the drags
        std::vector<std::pair<int, int>> red;
        std::pair<int, int> white;
    };
    const Row rows[] = {
        // Neither closed nor filled.
        {kCanvasPolyline, {{20, 20}, {60, 20}, {60, 80}}, {{40, 20}, {60, 50}}, {40, 50}},
        {kCanvasFilled, {{20, 20}, {100, 20}, {100, 100}, {20, 100}}, {{60, 60}}, {150, 60}},
        // The other modes go from the press point to the current point.
        {kCanvasLine, {{10, 10}, {50, 10}}, {{30, 10}}, {30, 11}},
        // Corners in either order.
        {kCanvasRectangle, {{100, 100}, {60, 140}}, {{80, 100}, {80, 140}, {60, 120}}, {80, 120}},
        // Radius ApproxDistance(0, -20) = 19.
        {kCanvasCircle, {{120, 160}, {120, 180}}, {{120, 179}, {101, 160}}, {120, 160}},
        // Radii 30 and 10.
        {kCanvasEllipse, {{120, 160}, {150, 150}}, {{150, 160}, {90, 160}, {120, 150}, {120, 170}},
         {120, 160}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << r.mode);
        ResetTestSurface(0xFFFF);
        ui.canvas_mode = r.mode;
        Press(r.points[0].first, r.points[0].second);
        for (size_t i = 1; i < r.points.size(); ++i) Drag(r.points[i].first, r.points[i].second);
        DrawStrokePreview(ui);
        for (const auto& [x, y] : r.red) EXPECT_EQ(PixelAt(x, y), kRed) << x << "," << y;
        EXPECT_EQ(PixelAt(r.white.first, r.white.second), 0xFFFF);
    }
}

TEST_F(StrokePreview, TranslucentColourBlendsAndOtherModesDrawNothing) {
    ui.stroke_colour = MakeColour(0, 0, 0, 128);
    ui.canvas_mode = kCanvasLine;
    Press(10, 10);
    Drag(50, 10);
    DrawStrokePreview(ui);
    const uint16_t blended = PixelAt(30, 10);
    EXPECT_NE(blended, 0xFFFF);
    EXPECT_NE(blended, 0x0000);

    for (int16_t m : {int16_t{0}, int16_t{-3}, int16_t{7}}) {
        ResetTestSurface(0xFFFF);
        ui.canvas_mode = m;
        DrawStrokePreview(ui);
        EXPECT_EQ(CountPixelsNot(0xFFFF), 0) << m;
    }
}

}  // namespace
