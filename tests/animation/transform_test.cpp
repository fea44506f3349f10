#include <gtest/gtest.h>

#include <cstdint>

#include "animation/transform.h"

namespace {

void ExpectTransform(const Transform& t, Transform want) {
    EXPECT_EQ(t.a, want.a);
    EXPECT_EQ(t.b, want.b);
    EXPECT_EQ(t.c, want.c);
    EXPECT_EQ(t.d, want.d);
    EXPECT_EQ(t.tx, want.tx);
    EXPECT_EQ(t.ty, want.ty);
}

void ExpectMaps(const Transform& t, int32_t x, int32_t y, int32_t want_x, int32_t want_y) {
    Point32 p = MapPoint(t, x, y);
    EXPECT_EQ(p.x, want_x) << "(" << x << ", " << y << ")";
    EXPECT_EQ(p.y, want_y) << "(" << x << ", " << y << ")";
}

TEST(Transform, FreshPoseIsTheEditorsView) {
    const Transform t = BuildTransform(Pose{0, 0, 0, 1638});
    ExpectTransform(t, {1638, 0, 0, 1638, 120, 160});
    ExpectMaps(t, 0, 0, 120, 160);
    ExpectMaps(t, 100, 50, 129, 164);
    ExpectMaps(t, 100, 0, 129, 160);
    // The shift rounds toward minus infinity: -1 unit is pixel 119.
    ExpectMaps(t, -1, -1, 119, 159);
}

TEST(Transform, InverseOfTheViewScalesByAboutTenPointOhFive) {
    Transform inverse = {};
    ASSERT_TRUE(InvertTransform(Transform{1638, 0, 0, 1638, 120, 160}, &inverse));
    ExpectTransform(inverse, {164644, 0, 0, 164644, -1205, -1607});
    ExpectMaps(inverse, 120, 160, 0, 0);
    ExpectMaps(inverse, 129, 164, 91, 41);
}

TEST(Transform, PoseTurnsClockwiseAndScalesItsOffset) {
    ExpectMaps(BuildTransform(Pose{900, 0, 0, 16384}), 10, 0, 120, 170);
    ExpectMaps(BuildTransform(Pose{900, 0, 0, 16384}), 0, 10, 110, 160);
    ExpectMaps(BuildTransform(Pose{0, 5, 0, 16384}), 0, 0, 125, 160);
    ExpectMaps(BuildTransform(Pose{0, 5, 0, 8192}), 0, 0, 122, 160);
    // The offset is turned with the drawing: x = 5 at a quarter turn goes down.
    ExpectMaps(BuildTransform(Pose{900, 5, 0, 16384}), 0, 0, 120, 165);
    // -90 degrees and 270 degrees are the same pose.
    ExpectTransform(BuildTransform(Pose{-900, 3, 4, 3000}), BuildTransform(Pose{2700, 3, 4, 3000}));
}

TEST(Transform, BuildTruncatesStepByStep) {
    // Scale first: 1638 * cos(45) is truncated before the offset is applied.
    const Transform t = BuildTransform(Pose{450, 100, 0, 1638});
    // (1638 * 11585) >> 14 = 1158.2 gives 1158 for a, c and d, and -1159 for b
    // (the shift rounds the negative product down).
    ExpectTransform(t, {1158, -1159, 1158, 1158, 127, 167});
}

TEST(Transform, ComposeReadsTheOldMatrix) {
    // Two quarter turns make a half turn only if every entry is formed from
    // the matrix as it was before the composition.
    Transform m = {0, -16384, 16384, 0, 0, 0};
    ComposeTransform(&m, Transform{0, -16384, 16384, 0, 0, 0});
    ExpectTransform(m, {-16384, 0, 0, -16384, 0, 0});

    // The right-hand offset goes through the left-hand matrix.
    Transform n = {32768, 0, 0, 8192, 10, 20};
    ComposeTransform(&n, Transform{16384, 0, 0, 16384, 3, -7});
    ExpectTransform(n, {32768, 0, 0, 8192, 16, 16});
}

TEST(Transform, SingularInverseLeavesTheOutputAlone) {
    Transform out = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(InvertTransform(BuildTransform(Pose{300, 10, 10, 0}), &out));
    ExpectTransform(out, {1, 2, 3, 4, 5, 6});
    // det below one unit after the shift is singular as well.
    EXPECT_FALSE(InvertTransform(Transform{100, 0, 0, 100, 0, 0}, &out));
    ExpectTransform(out, {1, 2, 3, 4, 5, 6});
}

TEST(Transform, InverseUndoesARotatedPose) {
    const Transform t = BuildTransform(Pose{1234, -40, 25, 16384});
    Transform inverse = {};
    ASSERT_TRUE(InvertTransform(t, &inverse));
    for (int32_t x = -200; x <= 200; x += 50) {
        for (int32_t y = -200; y <= 200; y += 50) {
            Point32 screen = MapPoint(t, x, y);
            Point32 back = MapPoint(inverse, screen.x, screen.y);
            EXPECT_NEAR(back.x, x, 2);
            EXPECT_NEAR(back.y, y, 2);
        }
    }
}

TEST(Transform, ExtremeValuesWrapWithoutTrapping) {
    const Transform huge = {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN};
    Point32 p = MapPoint(huge, 32767, -32768);
    (void)p;
    Transform m = huge;
    ComposeTransform(&m, huge);
    Transform inverse = {};
    InvertTransform(huge, &inverse);
    InvertTransform(Transform{INT32_MIN, 0, 0, -16384, 0, 0}, &inverse);
    // Mapping wraps modulo 2^32 like the handheld's registers.
    ExpectMaps(Transform{16384, 0, 0, 16384, INT32_MAX, 0}, 1, 0, INT32_MIN, 0);
}

}  // namespace
