#include <cstring>
#include <vector>

#include "stage_fixture.h"

namespace {

Pose At(int16_t x, int16_t y = 0, int16_t angle = 0, int16_t scale = 1638) {
    return Pose{angle, x, y, scale};
}

class Keys : public StageTest {
  protected:
    void SetUp() override {
        StageTest::SetUp();
        AddActor(stage, 0);
    }
    // The interpolated pose of actor 0 at a frame.
    Pose Frame(int32_t f) {
        InterpolateFrame(stage, f);
        return stage.actors[0].pose;
    }
};

}  // namespace

// A key stores x, y, angle, scale; another actor at the same frame is another key.
TEST_F(Keys, SettingAKeyTwiceReplacesItInPlace) {
    ASSERT_TRUE(SetKey(stage, 0, 10, At(1)));
    ASSERT_TRUE(SetKey(stage, 0, 20, At(2)));
    ASSERT_TRUE(SetKey(stage, 0, 10, At(3, 4, 5, 6)));
    EXPECT_EQ(stage.key_count, 2);
    const Keyframe& k = stage.keys[0];
    EXPECT_EQ((std::array<int, 6>{k.frame, k.actor, k.x, k.y, k.angle, k.scale}),
              (std::array<int, 6>{10, 0, 3, 4, 5, 6}));
    EXPECT_EQ(stage.keys[1].x, 2);
    ASSERT_TRUE(SetKey(stage, 1, 10, At(7)));
    EXPECT_EQ(stage.key_count, 3);
}

// Between keys the pose is linear; before the first and after the last key it
// is that key's pose, and the transform follows it.
TEST_F(Keys, FramesFollowTheNearestKeys) {
    SetKey(stage, 0, 20, At(100, 8, 40, 3000));  // created out of order on purpose
    SetKey(stage, 0, 10, At(0, 7, 30, 2000));
    EXPECT_EQ(Frame(15).x, 50);
    EXPECT_EQ(Frame(10).x, 0);
    EXPECT_EQ(Frame(19).x, 89);
    EXPECT_EQ(Frame(20).x, 100);
    EXPECT_EQ(FieldsOf(Frame(5)), (PoseFields{0, 7, 30, 2000}));
    EXPECT_EQ(FieldsOf(Frame(30)), (PoseFields{100, 8, 40, 3000}));
    EXPECT_EQ(EntriesOf(stage.actors[0].transform),
              EntriesOf(BuildTransform(At(100, 8, 40, 3000))));
}

// Results round toward minus infinity, and the angle is a plain number: no
// wrap at 3600, no shortest turn.
TEST_F(Keys, ComponentsAreInterpolatedAsPlainNumbers) {
    SetKey(stage, 0, 0, At(-10));
    SetKey(stage, 0, 3, At(0));
    EXPECT_EQ(Frame(1).x, -7);
    EXPECT_EQ(Frame(2).x, -4);

    stage.key_count = 0;
    SetKey(stage, 0, 0, At(0, 0, 3500, 1638));
    SetKey(stage, 0, 10, At(0, 0, 0, 1638));
    SetKey(stage, 0, 200, At(0, 0, 0, 16384));
    EXPECT_EQ(Frame(5).angle, 1750);
    // Halfway from 10 to 200 the scale is halfway from 1638 to 16384.
    EXPECT_EQ(Frame(105).scale, 9011);
    EXPECT_EQ(stage.actors[0].transform.a, 9011);

    stage.key_count = 0;
    SetKey(stage, 0, 0, At(0, 0, 3500));
    SetKey(stage, 0, 10, At(0, 0, 100));
    EXPECT_EQ(Frame(5).angle, 1800);
}

// Actors without keys keep their poses; with no keys at all nothing changes.
TEST_F(Keys, ActorsWithoutKeysKeepTheirPoses) {
    AddActor(stage, 0);
    MoveActor(stage, 1, 55, 66);
    const Actor unkeyed = stage.actors[1];
    SetKey(stage, 0, 0, At(0));
    SetKey(stage, 0, 10, At(100));
    EXPECT_EQ(Frame(5).x, 50);
    EXPECT_EQ(FieldsOf(stage.actors[1].pose), FieldsOf(unkeyed.pose));
    EXPECT_EQ(EntriesOf(stage.actors[1].inverse), EntriesOf(unkeyed.inverse));

    stage.key_count = 0;
    std::vector<uint8_t> all_before(sizeof stage);
    std::memcpy(all_before.data(), &stage, sizeof stage);
    InterpolateFrame(stage, 8);
    EXPECT_EQ(std::memcmp(all_before.data(), &stage, sizeof stage), 0);
}

// Keys of actors that do not exist (yet), or never can, apply to no actor
// and are left as they are; once the actor exists its key applies.
TEST_F(Keys, KeysOfActorsThatDoNotExistAreNeverApplied) {
    SetKey(stage, 0, 0, At(5));
    const int16_t others[] = {1, -1, 32767, -32768};  // actor 1 is added below
    for (int16_t i = 0; i < 4; ++i) SetKey(stage, others[i], 0, At(static_cast<int16_t>(6 + i)));
    std::vector<Keyframe> keys_before(stage.keys, stage.keys + stage.key_count);
    EXPECT_EQ(Frame(3).x, 5);
    EXPECT_EQ(std::memcmp(keys_before.data(), stage.keys, keys_before.size() * sizeof(Keyframe)),
              0);
    AddActor(stage, 0);
    InterpolateFrame(stage, 3);
    EXPECT_EQ(stage.actors[1].pose.x, 6);
}

// Frames are stored as 0..65535, but a key at 1000 or later never bounds a
// frame from above: before it the pose stays, from it on a lone key gives
// its own pose (no division by a zero or negative span), and two keys
// straddling 1000 do not interpolate.
TEST_F(Keys, KeysFromAThousandOnNeverBoundFromAbove) {
    SetKey(stage, 0, 1000, At(-321, 654, 3599, -32768));
    MoveActor(stage, 0, 5, 6);
    EXPECT_EQ(Frame(0).x, 5);
    EXPECT_EQ(Frame(999).y, 6);
    for (int32_t f : {1000, 1001, 5000, 65535, 2147483647})
        EXPECT_EQ(FieldsOf(Frame(f)), (PoseFields{-321, 654, 3599, -32768})) << "frame " << f;

    stage.key_count = 0;
    SetKey(stage, 0, 500, At(10));
    SetKey(stage, 0, 999, At(40));
    SetKey(stage, 0, 2000, At(90));
    SetKey(stage, 0, 65535, At(70));
    EXPECT_EQ(Frame(100).x, 10);
    EXPECT_EQ(Frame(998).x, 39);  // t = 65404, then the shift truncates
    EXPECT_EQ(Frame(999).x, 40);
    EXPECT_EQ(Frame(1500).x, 40);
    EXPECT_EQ(Frame(2000).x, 90);
    EXPECT_EQ(Frame(65535).x, 70);
}

// Halfway between the extremes -0.5 rounds down to -1; the transforms of
// these poses must not trap either.
TEST_F(Keys, ExtremeComponentsStayInSixteenBits) {
    SetKey(stage, 0, 0, At(-32768, 32767, -32768, 32767));
    SetKey(stage, 0, 2, At(32767, -32768, 32767, -32768));
    EXPECT_EQ(FieldsOf(Frame(1)), (PoseFields{-1, -1, -1, -1}));
    for (int32_t f = 0; f <= 3; ++f) Frame(f);
    EXPECT_EQ(Frame(2).x, 32767);
}
