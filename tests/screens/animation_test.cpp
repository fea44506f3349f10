// The animation screen in states its widgets cannot reach: an empty library,
// a full stage, no selection.
#include <gtest/gtest.h>

#include <tuple>

#include "animation/stage.h"
#include "drawing/library.h"
#include "screens/animation_screen.h"
#include "screens/pose_screen.h"
#include "screens/screen_state.h"
#include "support/headless_session.h"
#include "surface/pick_list.h"

namespace {

class AnimationScreen : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        LibraryInit(library);
        InitStage(stage, library);
        ClearStage(stage);
        ResetPickList();
        ResetStageScreen();
        ResetScreenControls();
    }
    static void Strip(uint16_t id, int cell, int times = 1) {
        controls.strip_cell = cell;
        for (int i = 0; i < times; ++i) RunCommand(kAnimationCommands, id);
    }
    // A square of 400 drawing units in slot 0.
    static void StoreSquare() {
        Vertex v[4] = {{-200, -200, 0, 0}, {200, -200, 0, 0}, {200, 200, 0, 0}, {-200, 200, 0, 0}};
        ShapeRecord shape = {0, 4, kShapeFilled, 0, MakeColour(255, 0, 0, 255)};
        Drawing d = {v, 4, 4, &shape, 1, 1};
        ASSERT_TRUE(StoreDrawing(library, 0, d));
    }
    // Actors on the stage, tabs shown and the selected actor.
    static std::tuple<int, int, int> Tabs() {
        return {stage.actor_count, stage_screen.actor_tab_count, stage_screen.selected_actor};
    }
};

// With no drawing in the library there is nothing to add or play: not even
// the picks are refreshed.
TEST_F(AnimationScreen, AnEmptyLibraryNeitherAddsNorPlays) {
    Strip(kAnimationAddStrip, kAddActorCell);
    EXPECT_EQ(Tabs(), std::tuple(0, 0, 0));
    AddPickRect(0, 0, 10, 10, 7);
    Strip(kAnimationPlayStrip, kPlayCell);
    EXPECT_EQ(PickOwner(5, 5), 7);
}

// Adding leaves the picks as they were, a tab press refreshes them; taking
// tabs away stops at none.
TEST_F(AnimationScreen, TabsRefreshThePicksAndStopAtNone) {
    StoreSquare();
    Strip(kAnimationAddStrip, kAddActorCell);
    Strip(kAnimationAddStrip, kFewerTabsCell, 2);
    EXPECT_EQ(Tabs(), std::tuple(1, 0, 0));
    const Point32 origin = MapPoint(stage.actors[0].transform, 0, 0);
    EXPECT_EQ(PickOwner(int16_t(origin.x), int16_t(origin.y)), -1);
    RunCommand(kAnimationCommands, kAnimationActorTabs);
    EXPECT_EQ(PickOwner(int16_t(origin.x), int16_t(origin.y)), 0);
}

// With nothing selected the pose screen's slider opens where a new actor's
// scale lies, and its controls change nothing.
TEST_F(AnimationScreen, WithNothingSelectedThePoseScreenChangesNothing) {
    StoreSquare();
    Strip(kAnimationAddStrip, kAddActorCell);
    stage_screen.selected_actor = -1;
    Script("tap 120 60\ndrag 219 100 219 180 5\ntap 150 190\ntap 120 60");
    Strip(kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(stage_screen.scale_slider_value, 6);
    Strip(kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(std::tuple(stage.actors[0].pose.scale, stage.actors[0].pose.angle, stage.key_count), std::tuple(1638, 0, 0));
}

}  // namespace
