// The animation screen's commands, stylus handling and faces, called directly.
#include <gtest/gtest.h>

#include "animation_fixture.h"
#include "platform/headless.h"
#include "screens/animation_screen.h"
#include "screens/layout_tables.h"
#include "screens/pose_screen.h"
#include "support/test_surface.h"
#include "ui/ui_loop.h"

namespace {

class AnimationScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_platform_ = platform;
        platform = HeadlessBackend();
        ResetTestSurface();
        ResetAnimationScreen();
    }
    void TearDown() override { platform = saved_platform_; }

    void Add(int times = 1) {
        strip_cell = kAddActorCell;
        for (int i = 0; i < times; ++i) AnimationCommand(kAnimationAddStrip);
    }
    // The stage widget with its pressed flag as the UI loop passes it.
    static WidgetRecord StageWidget(bool pressed) {
        WidgetRecord w = animation_table[5];
        w.pressed = pressed ? 1 : 0;
        return w;
    }
    const PlatformBackend* saved_platform_ = nullptr;
};

// ---------------------------------------------------------------------------
// Adding actors and tabs
// ---------------------------------------------------------------------------
TEST_F(AnimationScreen, AnEmptyLibraryNeitherAddsNorPlays) {
    LibraryInit(library);
    Add();
    EXPECT_EQ(stage.actor_count, 0);
    EXPECT_EQ(actor_tab_count, 0);
    EXPECT_EQ(selected_actor, 0);

    // Play would wait for a tap; with no slot it returns at once and does
    // not even refresh the picks.
    AddPickRect(0, 0, 10, 10, 7);
    strip_cell = kPlayCell;
    AnimationCommand(kAnimationPlayStrip);
    EXPECT_EQ(PickOwner(5, 5), 7);
}

TEST_F(AnimationScreen, TakingTabsAwayStopsAtNoTabsAndRemovesNoActor) {
    Add(3);
    strip_cell = kFewerTabsCell;
    for (int i = 0; i < 5; ++i) AnimationCommand(kAnimationAddStrip);
    EXPECT_EQ(actor_tab_count, 0);
    EXPECT_EQ(stage.actor_count, 3);

    // The next add gets tab 1 and selects the actor of that tab.
    Add();
    EXPECT_EQ(stage.actor_count, 4);
    EXPECT_EQ(actor_tab_count, 1);
    EXPECT_EQ(selected_actor, 0);
}

TEST_F(AnimationScreen, AnAddRefusedAtSixtyFourActorsKeepsSelectionAndTabs) {
    Add(64);
    EXPECT_EQ(actor_tab_count, 64);
    EXPECT_EQ(selected_actor, 63);
    selected_actor = 5;
    Add();
    EXPECT_EQ(stage.actor_count, 64);
    EXPECT_EQ(actor_tab_count, 64);
    EXPECT_EQ(selected_actor, 5);

    // With tabs taken back, a refused add still changes nothing.
    strip_cell = kFewerTabsCell;
    AnimationCommand(kAnimationAddStrip);
    Add();
    EXPECT_EQ(actor_tab_count, 63);
    EXPECT_EQ(selected_actor, 5);
}

// ---------------------------------------------------------------------------
// Keys and frames
// ---------------------------------------------------------------------------
TEST_F(AnimationScreen, ReleasingOnTheStageKeysTheSelectedPose) {
    // Before any actor exists the selection names record 0: its all-zero
    // pose becomes a key, which the first actor takes once it exists.
    current_frame = 12;
    AnimationCommand(kAnimationStage);
    ASSERT_EQ(stage.key_count, 1);
    const Keyframe* key = FindKey(0, 12);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->scale, 0);
    Add();
    InterpolateFrame(stage, 40);
    EXPECT_EQ(stage.actors[0].pose.scale, 0);
    EXPECT_EQ(stage.actors[0].pose.x, 0);

    // Keying again at the same frame replaces the key.
    SetActorScale(stage, 0, 4000);
    AnimationCommand(kAnimationStage);
    EXPECT_EQ(stage.key_count, 1);
    EXPECT_EQ(FindKey(0, 12)->scale, 4000);

    selected_actor = -1;
    current_frame = 13;
    AnimationCommand(kAnimationStage);
    EXPECT_EQ(stage.key_count, 1);
}

TEST_F(AnimationScreen, LettingGoOfTheFrameSliderPosesTheActors) {
    Add(2);
    Pose start = stage.actors[0].pose, end = start;
    end.x = 100;
    end.angle = 300;
    SetKey(stage, 0, 0, start);
    SetKey(stage, 0, 20, end);
    ResetPickList();

    current_frame = 10;
    AnimationCommand(kAnimationFrameSlider);
    EXPECT_EQ(stage.actors[0].pose.x, 50);
    EXPECT_EQ(stage.actors[0].pose.angle, 150);
    EXPECT_EQ(stage.actors[1].pose.x, 10) << "an actor without keys keeps its pose";
    // The picks follow: actor 0's box is now centred 5 pixels further right.
    const Point32 origin = ActorOrigin(0);
    EXPECT_EQ(PickOwner(static_cast<int16_t>(origin.x), static_cast<int16_t>(origin.y)), 0);
}

// ---------------------------------------------------------------------------
// Picking and dragging
// ---------------------------------------------------------------------------
TEST_F(AnimationScreen, PenDownPicksAndCyclesThroughOverlappingActors) {
    // Actors 0 and 1 cover pixels 100..139 (the 10-unit offset is less than a
    // pixel); actor 2 covers 101..140.
    Add(3);
    RefreshActorPicks(stage);
    const WidgetRecord down = StageWidget(false);
    for (int expected : {0, 1, 2, 0}) {
        ActorStylus(down, 120, 160);
        EXPECT_EQ(selected_actor, expected);
    }
    ActorStylus(down, 140, 160);
    EXPECT_EQ(selected_actor, 2);
    ActorStylus(down, 5, 300);  // a miss keeps the selection
    EXPECT_EQ(selected_actor, 2);
}

TEST_F(AnimationScreen, SmallDragsAddUpUntilTheyMakeAWholeUnit) {
    Add();
    SetActorScale(stage, 0, 32767);  // about 2.0: a pixel is half a drawing unit
    const WidgetRecord drag = StageWidget(true);
    ui.start_x = 120;
    ui.start_y = 160;
    ActorStylus(drag, 121, 160);
    EXPECT_EQ(stage.actors[0].pose.x, 0);
    EXPECT_EQ(ui.start_x, 120) << "the drag point stays until the actor moves";
    ActorStylus(drag, 122, 160);
    EXPECT_EQ(stage.actors[0].pose.x, 1);
    EXPECT_EQ(stage.actors[0].pose.y, 0);
    EXPECT_EQ(ui.start_x, 122);
    ActorStylus(drag, 122, 170);
    EXPECT_EQ(stage.actors[0].pose.y, 5);
}

TEST_F(AnimationScreen, ADragKeepsATurnedActorUnderTheStylus) {
    Add();
    SetActorScale(stage, 0, 16384);
    SetActorAngle(stage, 0, 900);
    const Point32 before = ActorOrigin(0);
    const WidgetRecord drag = StageWidget(true);
    ui.start_x = 100;
    ui.start_y = 100;
    for (int step = 1; step <= 10; ++step) ActorStylus(drag, static_cast<int16_t>(100 + 3 * step), 100);
    const Point32 after = ActorOrigin(0);
    EXPECT_NEAR(after.x - before.x, 30, 1);
    EXPECT_NEAR(after.y - before.y, 0, 1);
}

TEST_F(AnimationScreen, DraggingWithNothingSelectedChangesNothing) {
    Add();
    selected_actor = -1;
    ui.start_x = 120;
    ui.start_y = 160;
    ActorStylus(StageWidget(true), 180, 200);
    EXPECT_EQ(stage.actors[0].pose.x, 0);
    EXPECT_EQ(ui.start_x, 120);
}

// ---------------------------------------------------------------------------
// Faces
// ---------------------------------------------------------------------------
TEST_F(AnimationScreen, KeyTicksMarkTheSelectedActorsKeysBesideTheSlider) {
    Add(2);
    for (int frame : {0, 100, 260}) SetKey(stage, 0, static_cast<uint16_t>(frame), stage.actors[0].pose);
    SetKey(stage, 1, 50, stage.actors[1].pose);
    selected_actor = 0;
    AnimationRedraw();
    for (int y : {30, 130, 290}) {
        EXPECT_EQ(PixelAt(224, y), 0) << y;
        EXPECT_EQ(PixelAt(234, y), 0) << y;
        EXPECT_EQ(PixelAt(223, y), 0xFFFF) << y;
        EXPECT_EQ(PixelAt(235, y), 0xFFFF) << y;
    }
    EXPECT_EQ(PixelAt(229, 80), 0xFFFF) << "actor 1's key is not marked";
    EXPECT_EQ(PixelAt(120, 160), PackColourWord(kActorRed)) << "the actors are drawn";

    selected_actor = -1;
    AnimationRedraw();
    EXPECT_EQ(PixelAt(229, 130), 0xFFFF);
}

TEST_F(AnimationScreen, TheHighlightAsksForAnotherRedrawWhileSomethingIsSelected) {
    Add();
    AnimationRedraw();
    const int square = CountPixelsNot(0xFFFF);
    redraw_request = 0;
    ActorHighlightOverlay(animation_table[5], nullptr);
    EXPECT_EQ(redraw_request, 1);
    // The dashed frame lies one pixel outside the square, on the white.
    EXPECT_GT(CountPixelsNot(0xFFFF), square + 40);
    int dashes = 0;  // row 139 is the frame's top edge: four on, four off
    for (int x = 99; x <= 140; ++x) dashes += PixelAt(x, 139) != 0xFFFF;
    EXPECT_GE(dashes, 16);
    EXPECT_LE(dashes, 26);

    selected_actor = -1;
    AnimationRedraw();
    const int plain = CountPixelsNot(0xFFFF);
    redraw_request = 0;
    ActorHighlightOverlay(animation_table[5], nullptr);
    EXPECT_EQ(redraw_request, 0);
    EXPECT_EQ(CountPixelsNot(0xFFFF), plain);
}

// ---------------------------------------------------------------------------
// The dial's angle
// ---------------------------------------------------------------------------
TEST(DialAngle, RunsClockwiseAndLinearWithinEachQuadrant) {
    EXPECT_EQ(DialAngle(0, 0, 10, 10), 450);
    EXPECT_EQ(DialAngle(0, 0, 20, 10), 300);
    EXPECT_EQ(DialAngle(0, 0, -10, -10), 2250);
    EXPECT_EQ(DialAngle(0, 0, 0, 0), 0);
    EXPECT_EQ(DialAngle(120, 160, 120, 160), 0);
    EXPECT_EQ(DialAngle(120, 160, 170, 160), 0);
    EXPECT_EQ(DialAngle(120, 160, 120, 200), 900);
    EXPECT_EQ(DialAngle(120, 160, 80, 160), 1800);
    EXPECT_EQ(DialAngle(120, 160, 120, 110), 2700);
    EXPECT_EQ(DialAngle(120, 160, 130, 150), 3150);
    // The dial's first cell, its top-left corner.
    EXPECT_EQ(DialAngle(120, 160, 70, 110), 2250);
}

}  // namespace
