// Stroke capture with its thinning (the previews are the UI loop test's).
#include "ui/stroke.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

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
// A zigzag of 700 corners keeps 512 points; the live end still follows.
TEST(StrokeCapture, StraightRunsMoveTheLiveEndAndBendsAddPointsUntilTheStrokeIsFull) {
    const std::pair<Points, Points> rows[] = {
        {{{10, 10}, {20, 10}, {30, 10}, {30, 20}}, {{10, 10}, {30, 10}, {30, 20}}},
        {{{100, 100}, {140, 100}, {120, 100}}, {{100, 100}, {140, 100}, {120, 100}}},
        {{{0, 0}, {3, 0}, {6, 3}, {6, 3}, {10, 5}}, {{0, 0}, {10, 5}}},  // area 9, then 0
        {{{0, 0}, {10, 0}, {20, 5}}, {{0, 0}, {10, 0}, {20, 5}}},         // area 50
        {{{5, 5}, {5, 5}}, {{5, 5}}},
    };
    for (const auto& [input, kept] : rows) EXPECT_EQ(Capture(input), kept) << input.size() << " points";
    EXPECT_EQ(CollinearityError({-32768, -32768, 0, 0}, {32767, -32767, 0, 0}, {32767, 32767, 0, 0}), INT32_MAX);

    Points zigzag;
    for (int i = 0; i < 700; ++i) zigzag.emplace_back(i % 200, (i % 2) * 40);
    EXPECT_EQ(Capture(zigzag).size(), 512u);
    const Vertex last = ui.stroke[512], before = ui.stroke[511];
    AddStrokePoint(ui, int16_t(3 * last.x - 2 * before.x), int16_t(3 * last.y - 2 * before.y));
    EXPECT_EQ(ui.point_count, 512);
    EXPECT_EQ(ui.stroke[512].x, 3 * last.x - 2 * before.x);
}

}  // namespace
