#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>

#include "geometry/fixed.h"
#include "geometry/sincos.h"
#include "geometry/transform.h"

using Entries = std::array<int32_t, 6>;  // a, b, c, d, tx, ty
static Entries Of(const Transform& t) { return {t.a, t.b, t.c, t.d, t.tx, t.ty}; }

// Positive angles turn clockwise on the screen; the table's entries are truncated.
TEST(SinCos, EverySixteenBitAngleIsWithinTwoUnitsOfTheExactValue) {
    for (int32_t a = -32768; a <= 32767; ++a)
        ASSERT_TRUE(std::abs(SinCos(int16_t(a)).sin - 16384 * std::sin(a * M_PI / 1800)) < 2 && std::abs(SinCos(int16_t(a)).cos - 16384 * std::cos(a * M_PI / 1800)) < 2) << a;
}

// Every Q14 product is shifted (toward minus infinity) as soon as it is
// formed, so the order of the steps decides the low bits; divisions cannot
// trap (by 0 gives 0, by -1 negates with wrap-around).
TEST(Transform, BuildMapComposeAndInvertTruncateStepByStep) {
    EXPECT_EQ((std::array<int32_t, 4>{Div32(7, 0), Div32(INT32_MIN, -1), Div32(5, -1), Div32(-7, 2)}), (std::array<int32_t, 4>{0, INT32_MIN, -5, -3}));
    // Scale first: (1638 * 11585) >> 14 gives 1158, and -1159 for b.
    const std::pair<Pose, Entries> poses[] = {{{450, 100, 0, 1638}, {1158, -1159, 1158, 1158, 127, 167}},
                                              {{900, 5, 0, 16384}, {0, -16384, 16384, 0, 120, 165}}};
    for (const auto& [pose, entries] : poses) EXPECT_EQ(Of(BuildTransform(pose)), entries) << pose.angle;
    // Two quarter turns make a half turn; the right-hand offset goes through the left matrix.
    Transform m = {0, -16384, 16384, 0, 0, 0}, n = {32768, 0, 0, 8192, 10, 20};
    ComposeTransform(&m, Transform{0, -16384, 16384, 0, 0, 0}), ComposeTransform(&n, Transform{16384, 0, 0, 16384, 3, -7});
    EXPECT_TRUE(Of(m) == (Entries{-16384, 0, 0, -16384, 0, 0}) && Of(n) == (Entries{32768, 0, 0, 8192, 16, 16}));
    // The determinant is taken in Q14 after one shift: 1638 inverts to 164644.
    // Scale 0, or a determinant below one unit after the shift, is singular.
    const std::pair<Transform, Entries> inverses[] = {{{1638, 0, 0, 1638, 120, 160}, {164644, 0, 0, 164644, -1205, -1607}},
                                                      {{0, -16384, 16384, 0, 120, 165}, {0, 16384, -16384, 0, -165, 120}},
                                                      {{-16384, 0, 0, 1, 0, 0}, {-16384, 0, 0, 268435456, 0, 0}},
                                                      {BuildTransform(Pose{300, 10, 10, 0}), {1, 2, 3, 4, 5, 6}},
                                                      {{100, 0, 0, 100, 0, 0}, {1, 2, 3, 4, 5, 6}}};
    for (const auto& [t, entries] : inverses) {
        Transform inverse = {1, 2, 3, 4, 5, 6};
        EXPECT_TRUE(InvertTransform(t, &inverse) == (entries[0] != 1) && Of(inverse) == entries) << t.a;
    }
}
