#include <cstring>

#include "stage_fixture.h"
#include "surface/pen.h"
#include "surface/pick_list.h"

namespace {

bool SameTransform(const Transform& p, const Transform& q) {
    return p.a == q.a && p.b == q.b && p.c == q.c && p.d == q.d && p.tx == q.tx && p.ty == q.ty;
}

}  // namespace

using Actors = StageTest;

TEST_F(Actors, AFreshActorShowsItsDrawingAsTheEditorDoes) {
    ASSERT_TRUE(AddActor(stage, 0));
    const Actor& a = stage.actors[0];
    EXPECT_EQ(a.slot, 0);
    EXPECT_EQ(a.pose.angle, 0);
    EXPECT_EQ(a.pose.x, 0);
    EXPECT_EQ(a.pose.y, 0);
    EXPECT_EQ(a.pose.scale, 1638);
    EXPECT_TRUE(SameTransform(a.transform, Transform{1638, 0, 0, 1638, 120, 160}));
    EXPECT_TRUE(SameTransform(a.inverse, Transform{164644, 0, 0, 164644, -1205, -1607}));
    Point32 p = MapPoint(a.transform, 100, 50);
    EXPECT_EQ(p.x, 129);
    EXPECT_EQ(p.y, 164);
}

TEST_F(Actors, EachNewActorStartsTenUnitsFurtherOn) {
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(AddActor(stage, 0));
    EXPECT_EQ(stage.actor_count, 4);
    EXPECT_EQ(stage.actors[3].pose.x, 30);
    EXPECT_EQ(stage.actors[3].pose.y, 30);
    // The offset is scaled with the drawing: 30 units at 1638 truncate to 2 pixels.
    EXPECT_EQ(stage.actors[3].transform.tx, 122);
}

TEST_F(Actors, TheSixtyFifthActorIsRefused) {
    for (int i = 0; i < kActorCapacity; ++i) ASSERT_TRUE(AddActor(stage, static_cast<int16_t>(i)));
    stage.key_count = 7;  // the field after the actor array must survive
    EXPECT_FALSE(AddActor(stage, 1));
    EXPECT_EQ(stage.actor_count, kActorCapacity);
    EXPECT_EQ(stage.key_count, 7);
    EXPECT_EQ(stage.actors[63].slot, 63);
    EXPECT_EQ(stage.actors[63].pose.x, 630);
}

TEST_F(Actors, PoseSettersRebuildTheTransforms) {
    AddActor(stage, 0);
    SetActorScale(stage, 0, 16384);
    SetActorAngle(stage, 0, 900);
    // A quarter turn clockwise on the screen.
    Point32 p = MapPoint(stage.actors[0].transform, 10, 0);
    EXPECT_EQ(p.x, 120);
    EXPECT_EQ(p.y, 170);
    Point32 back = MapPoint(stage.actors[0].inverse, 120, 170);
    EXPECT_EQ(back.x, 10);
    EXPECT_EQ(back.y, 0);

    SetActorAngle(stage, 0, 0);
    MoveActor(stage, 0, 5, 0);
    EXPECT_EQ(MapPoint(stage.actors[0].transform, 0, 0).x, 125);
    SetActorScale(stage, 0, 8192);
    EXPECT_EQ(MapPoint(stage.actors[0].transform, 0, 0).x, 122);

    // Moves wrap at 16 bits.
    MoveActor(stage, 0, 32767 - 5, -32768);
    MoveActor(stage, 0, 1, -1);
    EXPECT_EQ(stage.actors[0].pose.x, -32768);
    EXPECT_EQ(stage.actors[0].pose.y, 32767);
}

TEST_F(Actors, ScaleZeroKeepsThePreviousInverse) {
    AddActor(stage, 0);
    Transform before = stage.actors[0].inverse;
    SetActorScale(stage, 0, 0);
    EXPECT_TRUE(SameTransform(stage.actors[0].transform, Transform{0, 0, 0, 0, 120, 160}));
    EXPECT_TRUE(SameTransform(stage.actors[0].inverse, before));
}

TEST_F(Actors, SettersIgnoreIndicesOutsideTheActorArray) {
    AddActor(stage, 0);
    stage.key_count = 3;
    Stage before;
    std::memcpy(&before, &stage, sizeof stage);
    for (int16_t i : {int16_t{-1}, int16_t{64}, int16_t{1000}, int16_t{-32768}, int16_t{32767}}) {
        MoveActor(stage, i, 10, 10);
        SetActorAngle(stage, i, 900);
        SetActorScale(stage, i, 100);
        HighlightActor(stage, surface, i);
    }
    EXPECT_EQ(std::memcmp(&before, &stage, sizeof stage), 0);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

using ActorDrawing = StageTest;

TEST_F(ActorDrawing, LaterActorsPaintOverEarlierOnes) {
    StoreSquare(0, 100, kRed);
    StoreSquare(1, 100, kBlue);
    AddActor(stage, 0);  // (110, 150)-(129, 169)
    AddActor(stage, 1);
    MoveActor(stage, 1, 90, 90);  // (119, 159)-(138, 178)
    RenderActors(stage, surface);
    EXPECT_EQ(PixelAt(125, 165), kBlue.word);
    EXPECT_EQ(PixelAt(113, 155), kRed.word);
    EXPECT_EQ(PixelAt(135, 175), kBlue.word);
    EXPECT_EQ(PixelAt(100, 100), 0xFFFF);
}

// Empty places, slots never stored, slot fields outside the library and a
// stored drawing without vertices: no pixels, no pick box, no highlight.
TEST_F(ActorDrawing, ActorsWithoutADrawingDrawNothing) {
    StoreSquare(3, 100, kRed);  // slots 0..2 become empty places
    Drawing empty = {nullptr, 0, 0, nullptr, 0, 0};
    ASSERT_TRUE(StoreDrawing(library, 4, empty));
    AddActor(stage, 1);
    AddActor(stage, 40);
    AddActor(stage, 0);
    AddActor(stage, 4);
    stage.actors[2].slot = -5;
    RenderActors(stage, surface);
    RebuildAndRenderActors(stage, surface);
    RefreshActorPicks(stage);
    for (int16_t i = 0; i < 4; ++i) HighlightActor(stage, surface, i);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    EXPECT_EQ(pick_list.count, 0);
}

TEST_F(ActorDrawing, RebuildPicksUpPosesWrittenDirectly) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    stage.actors[0].pose.x = 300;  // 29 pixels to the right, transform not yet rebuilt
    RenderActors(stage, surface);
    EXPECT_EQ(PixelAt(120, 160), kRed.word);
    EXPECT_EQ(PixelAt(150, 160), 0xFFFF);

    ResetTestSurface();
    RebuildAndRenderActors(stage, surface);
    EXPECT_EQ(stage.actors[0].transform.tx, 149);
    EXPECT_EQ(PixelAt(120, 160), 0xFFFF);
    EXPECT_EQ(PixelAt(150, 160), kRed.word);
}

using ActorPicks = StageTest;

TEST_F(ActorPicks, OneBoxPerActorWithADrawing) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    AddActor(stage, 7);  // no drawing: no box
    AddActor(stage, 0);  // two pixels right of and below actor 0
    RefreshActorPicks(stage);
    ASSERT_EQ(pick_list.count, 2);
    EXPECT_EQ(pick_list.entries[0].owner, 0);
    EXPECT_EQ(pick_list.entries[0].x1, 110);
    EXPECT_EQ(pick_list.entries[0].y1, 150);
    EXPECT_EQ(pick_list.entries[0].x2, 129);
    EXPECT_EQ(pick_list.entries[0].y2, 169);
    EXPECT_EQ(pick_list.entries[1].owner, 2);
    EXPECT_EQ(PickOwner(110, 150), 0);
    EXPECT_EQ(PickOwner(130, 170), 2);
    EXPECT_EQ(PickOwner(200, 30), -1);

    // Refreshing replaces the old boxes.
    MoveActor(stage, 0, 1000, 0);
    RefreshActorPicks(stage);
    EXPECT_EQ(pick_list.count, 2);
    EXPECT_EQ(PickOwner(110, 150), -1);
}

TEST_F(ActorPicks, AHugeActorStillAnswersTapsOnTheScreen) {
    StoreSquare(0, 30000, kRed);
    AddActor(stage, 0);
    SetActorScale(stage, 0, 32767);  // about 120000 pixels across
    RefreshActorPicks(stage);
    ASSERT_EQ(pick_list.count, 1);
    EXPECT_EQ(PickOwner(0, 0), 0);
    EXPECT_EQ(PickOwner(239, 319), 0);
}

using ActorHighlight = StageTest;

// With the square of actor 0 at (110, 150)-(129, 169) and the tick count at
// 3 * 64, the ants use the pattern 0x7878: pixels 3..6 of every 8 drawn.
TEST_F(ActorHighlight, AntsRunOnePixelOutsideTheBoundsClockwise) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    fixture_ticks = 3 * 64 + 63;
    HighlightActor(stage, surface, 0);
    auto on = [](int k) { return ((0x7878 >> (k % 16)) & 1) != 0; };
    // Top: (109, 149) to (130, 149), left to right; XOR of white is black.
    for (int x = 105; x <= 134; ++x) {
        bool drawn = x >= 109 && x <= 130 && on(x - 109);
        EXPECT_EQ(PixelAt(x, 149), drawn ? 0x0000 : 0xFFFF) << "x " << x;
    }
    // Right: (130, 150) down to (130, 169).
    for (int y = 150; y <= 169; ++y) EXPECT_EQ(PixelAt(130, y), on(y - 150) ? 0 : 0xFFFF) << "y " << y;
    // Bottom: (130, 170) leftwards to (109, 170).
    for (int x = 109; x <= 130; ++x) EXPECT_EQ(PixelAt(x, 170), on(130 - x) ? 0 : 0xFFFF) << "x " << x;
    // Left: (109, 169) up to (109, 150).
    for (int y = 150; y <= 169; ++y) EXPECT_EQ(PixelAt(109, y), on(169 - y) ? 0 : 0xFFFF) << "y " << y;
    // Nothing of the drawing itself is drawn.
    EXPECT_EQ(PixelAt(111, 151), 0xFFFF);
}

TEST_F(ActorHighlight, TheLabelBoxIsCentredOnTheBounds) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    HighlightActor(stage, surface, 0);
    // Box (112, 153)-(126, 165), filled in (200, 200, 0) one pixel inside.
    EXPECT_EQ(PixelAt(124, 158), 0xCE40);
    EXPECT_EQ(PixelAt(112, 159), 0xFFFF);
    EXPECT_EQ(PixelAt(127, 159), 0xFFFF);
    // The pen is left out of XOR mode.
    EXPECT_NE(plain_plot, PlotXor);
}

TEST_F(ActorHighlight, NothingForIndicesAtOrPastTheCount) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    AddActor(stage, 0);
    HighlightActor(stage, surface, 2);
    HighlightActor(stage, surface, -1);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

// Extreme poses must neither trap nor overflow anywhere from the transform to
// the pixels (the sanitizer build checks the arithmetic).
TEST_F(Actors, ExtremePosesDrawPickAndHighlightSafely) {
    StoreSquare(0, 32767, kRed);
    StoreSquare(1, 100, kBlue);
    AddActor(stage, 0);
    AddActor(stage, 1);
    const int16_t scales[] = {0, 1, -1, 1638, 16384, 32767, -32768};
    const int16_t angles[] = {0, 900, 3600, 3601, -1, -3600, 32767, -32768};
    const int16_t offsets[] = {0, 32767, -32768};
    for (int16_t scale : scales) {
        for (int16_t angle : angles) {
            for (int16_t offset : offsets) {
                for (int16_t i = 0; i < 2; ++i) {
                    stage.actors[i].pose = Pose{angle, offset, static_cast<int16_t>(-offset), scale};
                }
                ResetTestSurface();
                RebuildAndRenderActors(stage, surface);
                RefreshActorPicks(stage);
                HighlightActor(stage, surface, 0);
                HighlightActor(stage, surface, 1);
                EXPECT_LE(pick_list.count, 2);
            }
        }
    }
}
