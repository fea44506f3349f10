// A whole animation session through the real UI loop and the headless
// backend: actors are added, selected, dragged, posed, keyed at two frames,
// scrubbed and played.
#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "headless_session.h"
#include "screens/animation_screen.h"

namespace {

// Pixels of a colour inside a rectangle of the back buffer.
int CountInBox(int x1, int y1, int x2, int y2, uint16_t word) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) n += PixelAt(x, y) == word;
    return n;
}

// The frame of 0..200 whose interpolated pose the actor shows, or -1.
int PlayedFrameOf(int16_t actor) {
    static Stage copy;
    copy = stage;
    for (int f = 0; f <= 200; ++f) {
        InterpolateFrame(copy, f);
        const Pose& p = copy.actors[actor].pose;
        const Pose& q = stage.actors[actor].pose;
        if (p.x == q.x && p.y == q.y && p.angle == q.angle && p.scale == q.scale) return f;
    }
    return -1;
}

class AnimationSession : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        ResetAnimationScreen();
        mode = kModeAnimation;
        RefreshActorPicks(stage);  // as the main loop does on entering the screen
    }
    uint16_t Next() { return HeadlessSession::Next(AnimationRedraw, AnimationCommand); }
};

TEST_F(AnimationSession, AddPoseKeyScrubAndPlay) {
    Script(
        "tap 10 310\ntap 10 310\ntap 10 310\n"  // three adds
        "drag 130 160 190 160 6\n"              // actor 2 (still unpickable) dragged right
        "tap 232 310\n"                         // tab 1
        "tap 185 160\n"                         // tapping actor 2 selects it
        "tap 90 10\n"                           // the pose screen
        "drag 219 40 219 48 2\n"                //   slider cell 7: scale 1792
        "tap 150 160\n"                         //   dial straight right: angle 0
        "tap 120 60\n"                          //   close
        "tap 229 130\n"                         // frame 100
        "drag 60 250 60 290 8\n"                // drag the selection 40 pixels down
        "tap 229 80\n"                          // frame 50
        "tap 30 10\n"                           // play...
        "wait 500\n"
        "tap 10 100\n");                        // ...and stop

    // Three adds select actors 0, 1, 2 in turn; the tabs grow from the right.
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(Next(), kAnimationAddStrip);
        EXPECT_EQ(selected_actor, n);
        EXPECT_EQ(actor_tab_count, n + 1);
    }
    RedrawUi(ui);
    const uint16_t yellow = PackColourWord(200, 200, 0), green = PackColourWord(0, 200, 0);
    EXPECT_GT(CountInBox(198, 301, 210, 318, yellow), 20) << "tab 3, selected";
    EXPECT_GT(CountInBox(212, 301, 224, 318, green), 20) << "tab 2";
    EXPECT_GT(CountInBox(226, 301, 238, 318, green), 20) << "tab 1";
    EXPECT_EQ(CountInBox(120, 301, 190, 318, green), 0) << "no fourth tab";

    // The adds left the picks alone, so the pen-down misses and keeps actor 2.
    const Point32 start = ActorOrigin(2);
    EXPECT_EQ(Next(), kAnimationStage);
    EXPECT_EQ(selected_actor, 2);
    EXPECT_NEAR(ActorOrigin(2).x - start.x, 60, 1);
    EXPECT_EQ(ActorOrigin(2).y, start.y);
    ASSERT_NE(FindKey(2, 0), nullptr) << "the release keyed the dragged pose";
    EXPECT_EQ(FindKey(2, 0)->x, stage.actors[2].pose.x);

    EXPECT_EQ(Next(), kAnimationActorTabs);
    EXPECT_EQ(selected_actor, 0);
    EXPECT_EQ(Next(), kAnimationStage);
    EXPECT_EQ(selected_actor, 2) << "selected by a tap on it";

    EXPECT_EQ(Next(), kAnimationPlayStrip);
    EXPECT_EQ(stage.actors[2].pose.scale, 1792);
    EXPECT_EQ(stage.actors[2].pose.angle, 0);
    ASSERT_NE(FindKey(2, 0), nullptr);
    EXPECT_EQ(FindKey(2, 0)->scale, 1792);

    EXPECT_EQ(Next(), kAnimationFrameSlider);
    EXPECT_EQ(current_frame, 100);
    EXPECT_EQ(Next(), kAnimationStage);
    const Keyframe* k0 = FindKey(2, 0);
    const Keyframe* k100 = FindKey(2, 100);
    ASSERT_NE(k100, nullptr);
    EXPECT_EQ(k100->x, k0->x);
    EXPECT_NEAR(k100->y - k0->y, 40 * 16384 / 1792, 10) << "40 pixels in drawing units";

    // Halfway between the two keys.
    EXPECT_EQ(Next(), kAnimationFrameSlider);
    EXPECT_EQ(current_frame, 50);
    EXPECT_EQ(stage.actors[2].pose.y, (k0->y + k100->y) >> 1);
    EXPECT_EQ(stage.actors[0].pose.y, 0) << "actors without keys stay";
    RedrawUi(ui);
    const Point32 middle = ActorOrigin(2);
    // Left of the label box that marks the selection's centre.
    EXPECT_EQ(PixelAt(middle.x - 15, middle.y), PackColourWord(kActorRed));
    EXPECT_EQ(PixelAt(229, 80), 0x001F) << "the slider's knob";

    // Playback shows about ten frames in half a second and stops on the tap,
    // leaving the actor at the pose of the last frame shown.
    const uint32_t frames_before = HeadlessFramesPresented();
    EXPECT_EQ(Next(), kAnimationPlayStrip);
    const int played = PlayedFrameOf(2);
    EXPECT_GE(played, 5);
    EXPECT_LE(played, 15);
    EXPECT_GE(HeadlessFramesPresented() - frames_before, 6u);
    EXPECT_EQ(current_frame, 50) << "playback leaves the slider alone";
    const Point32 shown = ActorOrigin(2);
    EXPECT_EQ(Shown(shown.x - 15, shown.y), PackColourWord(kActorRed));
    EXPECT_EQ(Shown(229, 60), 0xFFFF) << "a played frame has no widgets";
}

}  // namespace
