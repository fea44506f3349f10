#include <cstdint>

#include "geometry/transform.h"
#include "stage_fixture.h"

namespace {

TEST(Transform, FreshPoseIsTheEditorsView) {
    const Transform t = BuildTransform(Pose{0, 0, 0, 1638});
    EXPECT_EQ(EntriesOf(t), (Entries{1638, 0, 0, 1638, 120, 160}));
    EXPECT_EQ(Mapped(t, 0, 0), XY(120, 160));
    EXPECT_EQ(Mapped(t, 100, 50), XY(129, 164));
    EXPECT_EQ(Mapped(t, 100, 0), XY(129, 160));
    EXPECT_EQ(Mapped(t, -1, -1), XY(119, 159));  // the shift rounds toward minus infinity
}

TEST(Transform, InverseOfTheViewScalesByAboutTenPointOhFive) {
    Transform inverse = {};
    ASSERT_TRUE(InvertTransform(Transform{1638, 0, 0, 1638, 120, 160}, &inverse));
    EXPECT_EQ(EntriesOf(inverse), (Entries{164644, 0, 0, 164644, -1205, -1607}));
    EXPECT_EQ(Mapped(inverse, 120, 160), XY(0, 0));
    EXPECT_EQ(Mapped(inverse, 129, 164), XY(91, 41));
}

// A quarter turn is clockwise on the screen; the offset is scaled and turned
// with the drawing, and -90 and 270 degrees are the same pose.
TEST(Transform, PoseTurnsClockwiseAndScalesItsOffset) {
    EXPECT_EQ(Mapped(BuildTransform(Pose{900, 0, 0, 16384}), 10, 0), XY(120, 170));
    EXPECT_EQ(Mapped(BuildTransform(Pose{900, 0, 0, 16384}), 0, 10), XY(110, 160));
    EXPECT_EQ(Mapped(BuildTransform(Pose{0, 5, 0, 16384}), 0, 0), XY(125, 160));
    EXPECT_EQ(Mapped(BuildTransform(Pose{0, 5, 0, 8192}), 0, 0), XY(122, 160));
    EXPECT_EQ(Mapped(BuildTransform(Pose{900, 5, 0, 16384}), 0, 0), XY(120, 165));
    EXPECT_EQ(EntriesOf(BuildTransform(Pose{-900, 3, 4, 3000})),
              EntriesOf(BuildTransform(Pose{2700, 3, 4, 3000})));
}

// Scale first: (1638 * 11585) >> 14 = 1158.2 gives 1158 for a, c and d, and
// -1159 for b (the shift rounds the negative product down).
TEST(Transform, BuildTruncatesStepByStep) {
    EXPECT_EQ(EntriesOf(BuildTransform(Pose{450, 100, 0, 1638})),
              (Entries{1158, -1159, 1158, 1158, 127, 167}));
}

TEST(Transform, ComposeReadsTheOldMatrix) {
    // Two quarter turns make a half turn only if every entry reads the old matrix.
    Transform m = {0, -16384, 16384, 0, 0, 0};
    ComposeTransform(&m, Transform{0, -16384, 16384, 0, 0, 0});
    EXPECT_EQ(EntriesOf(m), (Entries{-16384, 0, 0, -16384, 0, 0}));
    // The right-hand offset goes through the left-hand matrix.
    Transform n = {32768, 0, 0, 8192, 10, 20};
    ComposeTransform(&n, Transform{16384, 0, 0, 16384, 3, -7});
    EXPECT_EQ(EntriesOf(n), (Entries{32768, 0, 0, 8192, 16, 16}));
}

// Scale 0, and a determinant below one unit after the shift, are singular.
TEST(Transform, SingularInverseLeavesTheOutputAlone) {
    Transform out = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(InvertTransform(BuildTransform(Pose{300, 10, 10, 0}), &out));
    EXPECT_FALSE(InvertTransform(Transform{100, 0, 0, 100, 0, 0}, &out));
    EXPECT_EQ(EntriesOf(out), (Entries{1, 2, 3, 4, 5, 6}));
}

TEST(Transform, InverseUndoesARotatedPose) {
    const Transform t = BuildTransform(Pose{1234, -40, 25, 16384});
    Transform inverse = {};
    ASSERT_TRUE(InvertTransform(t, &inverse));
    for (int32_t x = -200; x <= 200; x += 50) {
        for (int32_t y = -200; y <= 200; y += 50) {
            const Point32 screen = MapPoint(t, x, y);
            const Point32 back = MapPoint(inverse, screen.x, screen.y);
            EXPECT_NEAR(back.x, x, 2);
            EXPECT_NEAR(back.y, y, 2);
        }
    }
}

// Products and sums wrap modulo 2^32 like the handheld's registers; the
// sanitizer build checks that nothing traps on the way.
TEST(Transform, ExtremeValuesWrapWithoutTrapping) {
    const Transform huge = {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN};
    (void)MapPoint(huge, 32767, -32768);
    Transform m = huge;
    ComposeTransform(&m, huge);
    Transform inverse = {};
    InvertTransform(huge, &inverse);
    InvertTransform(Transform{INT32_MIN, 0, 0, -16384, 0, 0}, &inverse);
    EXPECT_EQ(Mapped(Transform{16384, 0, 0, 16384, INT32_MAX, 0}, 1, 0), XY(INT32_MIN, 0));
}

}  // namespace
