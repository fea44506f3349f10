// The nested screens of the animation screen: the pose screen and the
// library chooser, run through the real UI loop on the headless backend.
#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "headless_session.h"
#include "screens/animation_screen.h"
#include "screens/pose_screen.h"

namespace {

class AnimationNested : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        ResetAnimationScreen();
        mode = kModeAnimation;
        strip_cell = kAddActorCell;
        AnimationCommand(kAnimationAddStrip);  // actor 0, selected
    }
    void OpenPoseScreen() {
        strip_cell = kPoseCell;
        AnimationCommand(kAnimationPlayStrip);
    }
};

// A tap at (120, 60) lies on none of the pose screen's controls: it closes it.

TEST_F(AnimationNested, ThePoseScreenAppliesItsControlsOnTheFirstRedraw) {
    Script("wait 20\ntap 120 60");
    current_frame = 7;
    OpenPoseScreen();
    // Scale 1638 opens the slider at cell 6 (1536); the dial's first cell
    // points up and to the left (2250).
    EXPECT_EQ(scale_slider_value, 6);
    EXPECT_EQ(stage.actors[0].pose.scale, 1536);
    EXPECT_EQ(stage.actors[0].pose.angle, 2250);
    const Keyframe* key = FindKey(0, 7);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->scale, 1536);
    EXPECT_EQ(key->angle, 2250);
    EXPECT_EQ(stage.key_count, 1);
}

TEST_F(AnimationNested, TheSliderAndTheDialSetScaleAndAngle) {
    // Slider rows are 4 pixels high from y 20: y 180 is cell 40 (scale 10240).
    // The dial cell at (120, 200) lies straight below its centre (900).
    Script("drag 219 100 219 180 5\ntap 120 200\ntap 120 60");
    current_frame = 30;
    OpenPoseScreen();
    EXPECT_EQ(scale_slider_value, 40);
    EXPECT_EQ(dial_value, 90 * 100 + 50);
    EXPECT_EQ(stage.actors[0].pose.scale, 10240);
    EXPECT_EQ(stage.actors[0].pose.angle, 900);
    ASSERT_NE(FindKey(0, 30), nullptr);
    EXPECT_EQ(FindKey(0, 30)->scale, 10240);
    // The picks follow the new pose: a 10240 square of 200 units reaches
    // 125 pixels from the centre.
    EXPECT_EQ(PickOwner(10, 160), 0);
}

TEST_F(AnimationNested, WithNothingSelectedThePoseScreenChangesNothing) {
    Script("drag 219 100 219 180 5\ntap 120 60");
    selected_actor = -1;
    scale_slider_value = 50;
    ui.canvas_mode = 3;
    OpenPoseScreen();
    EXPECT_EQ(ui.canvas_mode, 3) << "restored after the nested loop";
    EXPECT_EQ(stage.actors[0].pose.scale, 1638);
    EXPECT_EQ(stage.actors[0].pose.angle, 0);
    EXPECT_EQ(stage.key_count, 0);
}

TEST_F(AnimationNested, WithNothingSelectedTheSliderOpensAtTheNewActorScale) {
    Script("wait 20\ntap 120 60");
    selected_actor = -1;
    scale_slider_value = 50;
    OpenPoseScreen();
    EXPECT_EQ(scale_slider_value, 6);
}

TEST_F(AnimationNested, TheLibraryButtonGivesTheChosenSlotToTheSelectedActor) {
    StoreSquareDrawing(1, 50, kActorRed);
    StoreSquareDrawing(2, 100, kActorRed);
    next_new_slot = 3;
    ui.canvas_mode = 2;
    // Letter tabs are 12 pixels high from y 20: y 50 is the third, "C".
    Script("tap 10 50");
    AnimationCommand(kAnimationLibraryButton);
    EXPECT_EQ(current_slot, 2);
    EXPECT_EQ(stage.actors[0].slot, 2);
    EXPECT_EQ(ui.canvas_mode, 2);
    // Slot 2's square is 20 pixels across, and the picks know it.
    EXPECT_EQ(PickOwner(120, 160), 0);
    EXPECT_EQ(PickOwner(105, 160), -1);
}

TEST_F(AnimationNested, TheLibraryButtonWithNothingSelectedOnlyChoosesTheSlot) {
    StoreSquareDrawing(1, 50, kActorRed);
    next_new_slot = 2;
    selected_actor = -1;
    Script("tap 10 35");  // the second tab, "B"
    AnimationCommand(kAnimationLibraryButton);
    EXPECT_EQ(current_slot, 1);
    EXPECT_EQ(stage.actors[0].slot, 0);
}

}  // namespace
