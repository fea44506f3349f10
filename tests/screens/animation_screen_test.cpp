// The animation screen: its commands, stylus handling and faces called
// directly; the nested pose screen and library chooser through the real UI
// loop; and a whole session that adds, selects, drags, poses, keys, scrubs
// and plays actors.
#include <gtest/gtest.h>

#include <tuple>

#include "animation/stage.h"
#include "drawing/library.h"
#include "screens/drawing_editor.h"
#include "screens/animation_screen.h"
#include "screens/headless_session.h"
#include "screens/pose_screen.h"
#include "surface/pick_list.h"

namespace {

const ColourRecord kActorRed = MakeColour(255, 0, 0, 255);

// A red square from (-half, -half) to (half, half) drawing units.
void StoreSquareDrawing(int16_t slot, int16_t half) {
    const int16_t lo = static_cast<int16_t>(-half);
    Vertex vertices[4] = {{lo, lo, kPointCorner, 0},
                          {half, lo, kPointCorner, 0},
                          {half, half, kPointCorner, 0},
                          {lo, half, kPointCorner, 0}};
    ShapeRecord shape = {0, 4, kShapeFilled, 0, kActorRed};
    Drawing d = {vertices, 4, 4, &shape, 1, 1};
    ASSERT_TRUE(StoreDrawing(library, slot, d));
}

// Where an actor's drawing origin lands on the screen.
Point32 ActorOrigin(int16_t actor) { return MapPoint(stage.actors[actor].transform, 0, 0); }

// The key of an actor at a frame, or null.
const Keyframe* FindKey(int16_t actor, int32_t frame) {
    for (int i = 0; i < stage.key_count; ++i)
        if (stage.keys[i].actor == actor && stage.keys[i].frame == frame) return &stage.keys[i];
    return nullptr;
}
// An actor's scale and angle, and those of its key at a frame ((-1, -1) without one).
std::tuple<int, int> ScaleAngle(int16_t actor) {
    return {stage.actors[actor].pose.scale, stage.actors[actor].pose.angle};
}
std::tuple<int, int> KeyScaleAngle(int16_t actor, int32_t frame) {
    const Keyframe* key = FindKey(actor, frame);
    return key == nullptr ? std::tuple(-1, -1) : std::tuple<int, int>(key->scale, key->angle);
}
// Actors on the stage, tabs shown and the selected actor.
std::tuple<int, int, int> Tabs() { return {stage.actor_count, stage_screen.actor_tab_count, stage_screen.selected_actor}; }

// The screen variables and the model as at program start, with a 40-pixel
// square (200 drawing units each way at the default scale) in slot 0.
class AnimationScreen : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        LibraryInit(library);
        InitStage(stage, library);
        ClearStage(stage);
        ResetPickList();
        controls.mode = kModeAnimation;
        stage_screen.selected_actor = 0;
        stage_screen.actor_tab_count = 0;
        stage_screen.current_frame = 0;
        editor.current_slot = 0;
        editor.next_new_slot = 1;
        controls.strip_cell = 0;
        stage_screen.scale_slider_value = 0;
        stage_screen.dial_value = 0;
        StoreSquareDrawing(0, 200);
    }
    static void Strip(uint16_t id, int cell) {
        controls.strip_cell = cell;
        RunCommand(kAnimationCommands, id);
    }
    static void Add(int times = 1) {
        for (int i = 0; i < times; ++i) Strip(kAnimationAddStrip, kAddActorCell);
    }
    // The stage widget with its pressed flag as the UI loop passes it.
    static WidgetRecord StageWidget(bool pressed) {
        WidgetRecord w = animation_table[5];
        w.pressed = pressed ? 1 : 0;
        return w;
    }
    uint16_t Next() { return HeadlessSession::Next(AnimationRedraw, kAnimationCommands); }
};

// Adding actors and tabs.
TEST_F(AnimationScreen, AnEmptyLibraryNeitherAddsNorPlays) {
    LibraryInit(library);
    Add();
    EXPECT_EQ(Tabs(), std::tuple(0, 0, 0));
    // Play would wait for a tap; with no slot it returns at once and does
    // not even refresh the picks.
    AddPickRect(0, 0, 10, 10, 7);
    Strip(kAnimationPlayStrip, kPlayCell);
    EXPECT_EQ(PickOwner(5, 5), 7);
}

// The tab count stays between none and the actor count; the selection names
// the actor of the newest tab, and a refused add changes neither.
TEST_F(AnimationScreen, TabsStopAtNoneAndAnAddRefusedAt64ActorsKeepsSelectionAndTabs) {
    Add(3);
    for (int i = 0; i < 5; ++i) Strip(kAnimationAddStrip, kFewerTabsCell);
    EXPECT_EQ(Tabs(), std::tuple(3, 0, 2));
    Add();
    EXPECT_EQ(Tabs(), std::tuple(4, 1, 0));
    Add(60);
    EXPECT_EQ(Tabs(), std::tuple(64, 61, 60));
    stage_screen.selected_actor = 5;
    Add();
    EXPECT_EQ(Tabs(), std::tuple(64, 61, 5));
}

// Keys and frames.
TEST_F(AnimationScreen, ReleasingOnTheStageKeysTheSelectedPose) {
    // Before any actor exists the selection names record 0: its all-zero
    // pose becomes a key, which the first actor takes once it exists.
    stage_screen.current_frame = 12;
    RunCommand(kAnimationCommands, kAnimationStage);
    ASSERT_EQ(stage.key_count, 1);
    EXPECT_EQ(KeyScaleAngle(0, 12), std::tuple(0, 0));
    Add();
    InterpolateFrame(stage, 40);
    EXPECT_EQ(stage.actors[0].pose.scale, 0);
    EXPECT_EQ(stage.actors[0].pose.x, 0);

    stage_screen.selected_actor = -1;
    stage_screen.current_frame = 13;
    RunCommand(kAnimationCommands, kAnimationStage);
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

    stage_screen.current_frame = 10;
    RunCommand(kAnimationCommands, kAnimationFrameSlider);
    EXPECT_EQ(stage.actors[0].pose.x, 50);
    EXPECT_EQ(stage.actors[0].pose.angle, 150);
    const Point32 origin = ActorOrigin(0);
    EXPECT_EQ(PickOwner(static_cast<int16_t>(origin.x), static_cast<int16_t>(origin.y)), 0)
        << "the picks follow";
    ResetPickList();
    RunCommand(kAnimationCommands, kAnimationActorTabs);
    EXPECT_EQ(PickOwner(static_cast<int16_t>(origin.x), static_cast<int16_t>(origin.y)), 0)
        << "a tab press refreshes the picks too";
}

// Picking and dragging.
TEST_F(AnimationScreen, PenDownPicksAndCyclesThroughOverlappingActors) {
    // Actors 0 and 1 cover pixels 100..139 (the 10-unit offset is less than a
    // pixel); actor 2 covers 101..140.
    Add(3);
    RefreshActorPicks(stage);
    const WidgetRecord down = StageWidget(false);
    for (int expected : {0, 1, 2, 0}) {
        ActorStylus(down, 120, 160);
        EXPECT_EQ(stage_screen.selected_actor, expected);
    }
    ActorStylus(down, 140, 160);
    EXPECT_EQ(stage_screen.selected_actor, 2);
    ActorStylus(down, 5, 300);  // a miss keeps the selection
    EXPECT_EQ(stage_screen.selected_actor, 2);
}

TEST_F(AnimationScreen, SmallDragsAddUpUntilTheyMakeAWholeUnit) {
    Add();
    SetActorScale(stage, 0, 32767);  // about 2.0: a pixel is half a drawing unit
    ui.start_x = 120;
    ui.start_y = 160;
    // The pose's x and y and the drag point, which stays until the actor moves.
    auto dragged = [] {
        return std::tuple<int, int, int>(stage.actors[0].pose.x, stage.actors[0].pose.y, ui.start_x);
    };
    const WidgetRecord drag = StageWidget(true);
    ActorStylus(drag, 121, 160);
    EXPECT_EQ(dragged(), std::tuple(0, 0, 120));
    ActorStylus(drag, 122, 160);
    EXPECT_EQ(dragged(), std::tuple(1, 0, 122));
    ActorStylus(drag, 122, 170);
    EXPECT_EQ(dragged(), std::tuple(1, 5, 122));
    stage_screen.selected_actor = -1;  // with nothing selected a drag changes nothing
    ActorStylus(drag, 180, 200);
    EXPECT_EQ(dragged(), std::tuple(1, 5, 122));
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

// Faces.
TEST_F(AnimationScreen, KeyTicksMarkTheSelectedActorsKeysBesideTheSlider) {
    Add(2);
    for (int frame : {0, 100, 260}) SetKey(stage, 0, static_cast<uint16_t>(frame), stage.actors[0].pose);
    SetKey(stage, 1, 50, stage.actors[1].pose);
    stage_screen.selected_actor = 0;
    AnimationRedraw();
    for (int y : {30, 130, 290}) {
        EXPECT_EQ(PixelAt(224, y), 0) << y;
        EXPECT_EQ(PixelAt(234, y), 0) << y;
        EXPECT_EQ(PixelAt(223, y), 0xFFFF) << y;
        EXPECT_EQ(PixelAt(235, y), 0xFFFF) << y;
    }
    EXPECT_EQ(PixelAt(229, 80), 0xFFFF) << "actor 1's key is not marked";

    stage_screen.selected_actor = -1;
    AnimationRedraw();
    EXPECT_EQ(PixelAt(229, 130), 0xFFFF);
}

TEST_F(AnimationScreen, TheFrameSlidersKnobSitsOnTheCurrentFramesRow) {
    stage_screen.current_frame = 100;  // row 130 of the slider running down x = 229 from row 30
    FrameSliderFace(animation_table[4]);
    EXPECT_EQ(PixelAt(229, 128), PackColourWord(0, 0, 255));
    EXPECT_EQ(PixelAt(229, 134), 0) << "the bare black track";
}

TEST_F(AnimationScreen, TheHighlightAsksForAnotherRedrawWhileSomethingIsSelected) {
    Add();
    AnimationRedraw();
    const int square = CountPixelsNot(0xFFFF);
    redraw_request = 0;
    ActorHighlightOverlay(animation_table[5], nullptr);
    EXPECT_EQ(redraw_request, 1);
    EXPECT_GT(CountPixelsNot(0xFFFF), square + 40) << "the dashed frame, on the white";

    stage_screen.selected_actor = -1;
    AnimationRedraw();
    const int plain = CountPixelsNot(0xFFFF);
    redraw_request = 0;
    ActorHighlightOverlay(animation_table[5], nullptr);
    EXPECT_EQ(redraw_request, 0);
    EXPECT_EQ(CountPixelsNot(0xFFFF), plain);
}

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
    EXPECT_EQ(DialAngle(120, 160, 70, 110), 2250);  // the dial's first cell, its top-left corner
}

// The nested screens through the real UI loop. A tap at (120, 60) lies on
// none of the pose screen's controls: it closes it.
TEST_F(AnimationScreen, ThePoseScreenAppliesItsControlsOnTheFirstRedraw) {
    Add();
    Script("wait 20\ntap 120 60");
    stage_screen.current_frame = 7;
    Strip(kAnimationPlayStrip, kPoseCell);
    // Scale 1638 opens the slider at cell 6 (1536); the dial's first cell
    // points up and to the left (2250).
    EXPECT_EQ(stage_screen.scale_slider_value, 6);
    EXPECT_EQ(ScaleAngle(0), std::tuple(1536, 2250));
    EXPECT_EQ(KeyScaleAngle(0, 7), std::tuple(1536, 2250));
    EXPECT_EQ(stage.key_count, 1);
    // The picks follow the new pose: turned by 45 degrees, the square reaches
    // further left than the unturned one (x 100).
    EXPECT_EQ(PickOwner(97, 160), 0);
}

// The slider opens at a new actor's scale and the controls change nothing.
TEST_F(AnimationScreen, WithNothingSelectedThePoseScreenChangesNothing) {
    Add();
    Script("wait 20\ntap 120 60\ndrag 219 100 219 180 5\ntap 120 60");
    stage_screen.selected_actor = -1;
    stage_screen.scale_slider_value = 50;
    ui.canvas_mode = 3;
    Strip(kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(stage_screen.scale_slider_value, 6);
    Strip(kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(ui.canvas_mode, 3) << "restored after the nested loop";
    EXPECT_EQ(ScaleAngle(0), std::tuple(1638, 0));
    EXPECT_EQ(stage.key_count, 0);
}

// Letter tabs are 12 pixels high from y 20: y 50 is the third, "C", and
// y 35 the second, "B". With nothing selected only the slot changes.
TEST_F(AnimationScreen, TheLibraryButtonGivesTheChosenSlotToTheSelectedActor) {
    Add();
    StoreSquareDrawing(1, 50);
    StoreSquareDrawing(2, 100);
    editor.next_new_slot = 3;
    ui.canvas_mode = 2;
    Script("tap 10 50\ntap 10 35");
    RunCommand(kAnimationCommands, kAnimationLibraryButton);
    EXPECT_EQ(editor.current_slot, 2);
    EXPECT_EQ(stage.actors[0].slot, 2);
    EXPECT_EQ(ui.canvas_mode, 2);
    // Slot 2's square is 20 pixels across, and the picks know it.
    EXPECT_EQ(PickOwner(120, 160), 0);
    EXPECT_EQ(PickOwner(105, 160), -1);

    stage_screen.selected_actor = -1;
    RunCommand(kAnimationCommands, kAnimationLibraryButton);
    EXPECT_EQ(editor.current_slot, 1);
    EXPECT_EQ(stage.actors[0].slot, 2);
}

// A whole session through the real UI loop.
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

TEST_F(AnimationScreen, AddPoseKeyScrubAndPlay) {
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
        EXPECT_EQ(Tabs(), std::tuple(n + 1, n + 1, n));
    }

    // The adds left the picks alone, so the pen-down misses and keeps actor 2.
    const Point32 start = ActorOrigin(2);
    EXPECT_EQ(Next(), kAnimationStage);
    EXPECT_EQ(stage_screen.selected_actor, 2);
    EXPECT_NEAR(ActorOrigin(2).x - start.x, 60, 1);
    EXPECT_EQ(ActorOrigin(2).y, start.y);
    ASSERT_NE(FindKey(2, 0), nullptr) << "the release keyed the dragged pose";
    EXPECT_EQ(FindKey(2, 0)->x, stage.actors[2].pose.x);

    EXPECT_EQ(Next(), kAnimationActorTabs);
    EXPECT_EQ(stage_screen.selected_actor, 0);
    EXPECT_EQ(Next(), kAnimationStage);
    EXPECT_EQ(stage_screen.selected_actor, 2) << "selected by a tap on it";

    EXPECT_EQ(Next(), kAnimationPlayStrip);
    EXPECT_EQ(ScaleAngle(2), std::tuple(1792, 0));
    EXPECT_EQ(KeyScaleAngle(2, 0), std::tuple(1792, 0));

    EXPECT_EQ(Next(), kAnimationFrameSlider);
    EXPECT_EQ(stage_screen.current_frame, 100);
    EXPECT_EQ(Next(), kAnimationStage);
    const Keyframe* k0 = FindKey(2, 0);
    const Keyframe* k100 = FindKey(2, 100);
    ASSERT_NE(k100, nullptr);
    EXPECT_EQ(k100->x, k0->x);
    EXPECT_NEAR(k100->y - k0->y, 40 * 16384 / 1792, 10) << "40 pixels in drawing units";

    // Halfway between the two keys.
    EXPECT_EQ(Next(), kAnimationFrameSlider);
    EXPECT_EQ(stage_screen.current_frame, 50);
    EXPECT_EQ(stage.actors[2].pose.y, (k0->y + k100->y) >> 1);
    EXPECT_EQ(stage.actors[0].pose.y, 0) << "actors without keys stay";

    // Playback shows about ten frames in half a second and stops on the tap,
    // leaving the actor at the pose of the last frame shown.
    const uint32_t frames_before = HeadlessFramesPresented();
    EXPECT_EQ(Next(), kAnimationPlayStrip);
    const int played = PlayedFrameOf(2);
    EXPECT_GE(played, 5);
    EXPECT_LE(played, 15);
    EXPECT_GE(HeadlessFramesPresented() - frames_before, 6u);
    EXPECT_EQ(stage_screen.current_frame, 50) << "playback leaves the slider alone";
    const Point32 shown = ActorOrigin(2);  // left of the label box at the selection's centre
    EXPECT_EQ(Shown(shown.x - 15, shown.y), PackColourWord(kActorRed));
}

}  // namespace
