#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <random>

#include "geometry/fixed.h"
#include "geometry/sincos.h"
#include "geometry/transform.h"

namespace {

using Entries = std::array<int32_t, 6>;  // a, b, c, d, tx, ty
Entries Of(const Transform& t) { return {t.a, t.b, t.c, t.d, t.tx, t.ty}; }
constexpr Transform kView = {1638, 0, 0, 1638, 120, 160};

}  // namespace

// Positive angles turn clockwise on the screen; the table's entries are
// truncated, and entry 121 is one unit lower still.
TEST(SinCos, EverySixteenBitAngleIsWithinTwoUnitsOfTheExactValue) {
    for (int32_t a = -32768; a <= 32767; ++a) {
        const SinCosValue v = SinCos(static_cast<int16_t>(a));
        ASSERT_LT(std::abs(v.sin - 16384 * std::sin(a * M_PI / 1800)), 2.0) << a;
        ASSERT_LT(std::abs(v.cos - 16384 * std::cos(a * M_PI / 1800)), 2.0) << a;
    }
}

// Divisions cannot trap: by 0 gives 0, by -1 negates with wrap-around.
TEST(Transform, BuildMapComposeAndInvertTruncateStepByStep) {
    EXPECT_EQ((std::array<int32_t, 4>{Div32(7, 0), Div32(INT32_MIN, -1), Div32(5, -1), Div32(-7, 2)}),
              (std::array<int32_t, 4>{0, INT32_MIN, -5, -3}));
    // Scale first: (1638 * 11585) >> 14 gives 1158, and -1159 for b.
    const std::pair<Pose, Entries> poses[] = {
        {{0, 0, 0, 1638}, {1638, 0, 0, 1638, 120, 160}},
        {{450, 100, 0, 1638}, {1158, -1159, 1158, 1158, 127, 167}},
        {{900, 5, 0, 16384}, {0, -16384, 16384, 0, 120, 165}},
        {{0, 5, 0, 8192}, {8192, 0, 0, 8192, 122, 160}},
    };
    for (const auto& [pose, entries] : poses) EXPECT_EQ(Of(BuildTransform(pose)), entries) << pose.angle;
    const std::pair<std::array<int32_t, 2>, std::array<int32_t, 2>> points[] = {
        {{0, 0}, {120, 160}}, {{100, 50}, {129, 164}}, {{-1, -1}, {119, 159}}};
    for (const auto& [from, to] : points) {
        const Point32 p = MapPoint(kView, from[0], from[1]);
        EXPECT_EQ((std::array<int32_t, 2>{p.x, p.y}), to) << from[0];
    }
    // Two quarter turns make a half turn; the right-hand offset goes through the left matrix.
    Transform m = {0, -16384, 16384, 0, 0, 0}, n = {32768, 0, 0, 8192, 10, 20};
    ComposeTransform(&m, Transform{0, -16384, 16384, 0, 0, 0});
    ComposeTransform(&n, Transform{16384, 0, 0, 16384, 3, -7});
    EXPECT_EQ(Of(m), (Entries{-16384, 0, 0, -16384, 0, 0}));
    EXPECT_EQ(Of(n), (Entries{32768, 0, 0, 8192, 16, 16}));
    // The determinant is taken in Q14 after one shift: 1638 inverts to 164644.
    Transform inverse = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(InvertTransform(BuildTransform(Pose{300, 10, 10, 0}), &inverse));
    EXPECT_FALSE(InvertTransform(Transform{100, 0, 0, 100, 0, 0}, &inverse));
    EXPECT_EQ(Of(inverse), (Entries{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(InvertTransform(kView, &inverse));
    EXPECT_EQ(Of(inverse), (Entries{164644, 0, 0, 164644, -1205, -1607}));
}

TEST(Transform, TheInverseUndoesAnyPoseWithinTwoUnits) {
    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) {
        const Pose pose = {static_cast<int16_t>(rng()), static_cast<int16_t>(rng() % 2000 - 1000),
                           static_cast<int16_t>(rng() % 2000 - 1000), static_cast<int16_t>(12000 + rng() % 20000)};
        const Transform t = BuildTransform(pose);
        Transform inverse;
        ASSERT_TRUE(InvertTransform(t, &inverse));
        const int32_t x = static_cast<int32_t>(rng() % 4000) - 2000, y = static_cast<int32_t>(rng() % 4000) - 2000;
        const Point32 screen = MapPoint(t, x, y), back = MapPoint(inverse, screen.x, screen.y);
        ASSERT_LE(std::abs(back.x - x) + std::abs(back.y - y), 4) << i;
    }
}
