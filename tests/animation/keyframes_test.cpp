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

TEST_F(Keys, SettingAKeyTwiceReplacesItInPlace) {
    ASSERT_TRUE(SetKey(stage, 0, 10, At(1)));
    ASSERT_TRUE(SetKey(stage, 0, 20, At(2)));
    ASSERT_TRUE(SetKey(stage, 0, 10, At(3, 4, 5, 6)));
    EXPECT_EQ(stage.key_count, 2);
    const Keyframe& k = stage.keys[0];
    EXPECT_EQ(k.frame, 10);
    EXPECT_EQ(k.actor, 0);
    EXPECT_EQ(k.x, 3);
    EXPECT_EQ(k.y, 4);
    EXPECT_EQ(k.angle, 5);
    EXPECT_EQ(k.scale, 6);
    EXPECT_EQ(stage.keys[1].x, 2);
    // Another actor at the same frame is another key.
    ASSERT_TRUE(SetKey(stage, 1, 10, At(7)));
    EXPECT_EQ(stage.key_count, 3);
}

TEST_F(Keys, TheThousandAndFirstKeyIsRefused) {
    for (int f = 0; f < kKeyCapacity; ++f) ASSERT_TRUE(SetKey(stage, 0, static_cast<uint16_t>(f), At(1)));
    std::vector<Keyframe> before(stage.keys, stage.keys + kKeyCapacity);
    EXPECT_FALSE(SetKey(stage, 0, 1000, At(9)));
    EXPECT_FALSE(SetKey(stage, 1, 0, At(9)));
    EXPECT_EQ(stage.key_count, kKeyCapacity);
    EXPECT_EQ(std::memcmp(before.data(), stage.keys, sizeof stage.keys), 0);
    // A key that exists can still be replaced.
    EXPECT_TRUE(SetKey(stage, 0, 999, At(9)));
    EXPECT_EQ(stage.keys[999].x, 9);
    EXPECT_EQ(stage.key_count, kKeyCapacity);
}

// Between keys the pose is linear; before the first and after the last key it
// is that key's pose.
TEST_F(Keys, FramesFollowTheNearestKeys) {
    SetKey(stage, 0, 20, At(100, 8, 40, 3000));  // created out of order on purpose
    SetKey(stage, 0, 10, At(0, 7, 30, 2000));
    EXPECT_EQ(Frame(15).x, 50);
    EXPECT_EQ(Frame(10).x, 0);
    EXPECT_EQ(Frame(19).x, 89);
    EXPECT_EQ(Frame(20).x, 100);
    Pose before = Frame(5);
    EXPECT_EQ(before.x, 0);
    EXPECT_EQ(before.y, 7);
    EXPECT_EQ(before.angle, 30);
    EXPECT_EQ(before.scale, 2000);
    Pose after = Frame(30);
    EXPECT_EQ(after.x, 100);
    EXPECT_EQ(after.y, 8);
    EXPECT_EQ(after.angle, 40);
    EXPECT_EQ(after.scale, 3000);
    EXPECT_EQ(stage.actors[0].transform.a, BuildTransform(after).a);
}

// Results round toward minus infinity, and the angle is a plain number: no
// wrap at 3600, no shortest turn.
TEST_F(Keys, ComponentsAreInterpolatedAsPlainNumbers) {
    SetKey(stage, 0, 0, At(-10));
    SetKey(stage, 0, 3, At(0));
    EXPECT_EQ(Frame(1).x, -7);
    EXPECT_EQ(Frame(2).x, -4);

    ClearStage(stage);
    AddActor(stage, 0);
    SetKey(stage, 0, 0, At(0, 0, 3500, 1638));
    SetKey(stage, 0, 10, At(0, 0, 0, 1638));
    SetKey(stage, 0, 200, At(0, 0, 0, 16384));
    EXPECT_EQ(Frame(5).angle, 1750);
    // Halfway from 10 to 200 the scale is halfway from 1638 to 16384, and
    // the transform follows it.
    EXPECT_EQ(Frame(105).scale, 9011);
    EXPECT_EQ(stage.actors[0].transform.a, 9011);

    ClearStage(stage);
    AddActor(stage, 0);
    SetKey(stage, 0, 0, At(0, 0, 3500));
    SetKey(stage, 0, 10, At(0, 0, 100));
    EXPECT_EQ(Frame(5).angle, 1800);
}

// Actors without keys keep their poses; with no keys at all nothing changes.
TEST_F(Keys, ActorsWithoutKeysKeepTheirPoses) {
    AddActor(stage, 0);
    MoveActor(stage, 1, 55, 66);
    Pose before = stage.actors[1].pose;
    Transform inverse_before = stage.actors[1].inverse;
    SetKey(stage, 0, 0, At(0));
    SetKey(stage, 0, 10, At(100));
    EXPECT_EQ(Frame(5).x, 50);
    EXPECT_EQ(stage.actors[1].pose.x, before.x);
    EXPECT_EQ(stage.actors[1].pose.y, before.y);
    EXPECT_EQ(stage.actors[1].inverse.tx, inverse_before.tx);

    stage.key_count = 0;
    std::vector<uint8_t> all_before(sizeof stage);
    std::memcpy(all_before.data(), &stage, sizeof stage);
    InterpolateFrame(stage, 8);
    EXPECT_EQ(std::memcmp(all_before.data(), &stage, sizeof stage), 0);
}

TEST_F(Keys, KeysOfActorsThatDoNotExistAreNeverApplied) {
    SetKey(stage, 0, 0, At(5));
    SetKey(stage, 1, 0, At(6));       // actor 1 does not exist yet
    SetKey(stage, -1, 0, At(7));      // nor do these
    SetKey(stage, 32767, 0, At(8));
    SetKey(stage, -32768, 0, At(9));
    std::vector<Keyframe> keys_before(stage.keys, stage.keys + stage.key_count);
    EXPECT_EQ(Frame(3).x, 5);
    EXPECT_EQ(std::memcmp(keys_before.data(), stage.keys, keys_before.size() * sizeof(Keyframe)), 0);
    // Once the actor exists its key applies.
    AddActor(stage, 0);
    InterpolateFrame(stage, 3);
    EXPECT_EQ(stage.actors[1].pose.x, 6);
}

// Frames are stored as 0..65535, so the next-key bound at 1000 can lie below
// or on the previous key. A lone key there still gives its own pose, and two
// keys straddling 1000 do not interpolate.
TEST_F(Keys, FramesAtAndPastAThousandGiveTheKeyPose) {
    SetKey(stage, 0, 1000, At(-321, 654, 3599, -32768));
    // Before it, a key at 1000 or later bounds nothing: the pose stays.
    MoveActor(stage, 0, 5, 6);
    EXPECT_EQ(Frame(0).x, 5);
    EXPECT_EQ(Frame(999).y, 6);
    for (int32_t f : {1000, 1001, 5000, 65535, 2147483647}) {
        Pose p = Frame(f);
        EXPECT_EQ(p.x, -321) << "frame " << f;
        EXPECT_EQ(p.y, 654) << "frame " << f;
        EXPECT_EQ(p.angle, 3599) << "frame " << f;
        EXPECT_EQ(p.scale, -32768) << "frame " << f;
    }
}

TEST_F(Keys, KeysBeyondAThousandNeverBoundFromAbove) {
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

TEST_F(Keys, ExtremeComponentsStayInSixteenBits) {
    SetKey(stage, 0, 0, At(-32768, 32767, -32768, 32767));
    SetKey(stage, 0, 2, At(32767, -32768, 32767, -32768));
    Pose mid = Frame(1);  // halfway: -0.5 rounds down to -1
    EXPECT_EQ(mid.x, -1);
    EXPECT_EQ(mid.y, -1);
    EXPECT_EQ(mid.angle, -1);
    EXPECT_EQ(mid.scale, -1);
    for (int32_t f = 0; f <= 3; ++f) Frame(f);  // the transforms must not trap either
    EXPECT_EQ(Frame(2).x, 32767);
}
