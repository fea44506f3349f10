#include <cstring>

#include "stage_fixture.h"
#include "surface/pen.h"
#include "surface/pick_list.h"

using Actors = StageTest;

// The first actor's transform is the editor's view; each further one starts
// ten units right of and below the one before, scaled with the drawing.
TEST_F(Actors, NewActorsStartAtTheEditorsViewTenUnitsApart) {
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(AddActor(stage, 0));
    EXPECT_EQ(stage.actor_count, 4);
    const Actor& a = stage.actors[0];
    EXPECT_EQ(a.slot, 0);
    EXPECT_EQ(FieldsOf(a.pose), (PoseFields{0, 0, 0, 1638}));
    EXPECT_EQ(EntriesOf(a.transform), (Entries{1638, 0, 0, 1638, 120, 160}));
    EXPECT_EQ(EntriesOf(a.inverse), (Entries{164644, 0, 0, 164644, -1205, -1607}));
    EXPECT_EQ(Mapped(a.transform, 100, 50), XY(129, 164));
    EXPECT_EQ(FieldsOf(stage.actors[3].pose), (PoseFields{30, 30, 0, 1638}));
    EXPECT_EQ(stage.actors[3].transform.tx, 122);  // 30 units at 1638 truncate to 2 pixels
}

// Each setter rebuilds the transform and its inverse; a singular transform
// (scale 0) keeps the previous inverse, and moves wrap at 16 bits.
TEST_F(Actors, PoseSettersRebuildTheTransforms) {
    AddActor(stage, 0);
    const Actor& a = stage.actors[0];
    SetActorScale(stage, 0, 16384);
    SetActorAngle(stage, 0, 900);
    EXPECT_EQ(Mapped(a.transform, 10, 0), XY(120, 170));
    EXPECT_EQ(Mapped(a.inverse, 120, 170), XY(10, 0));
    SetActorAngle(stage, 0, 0);
    MoveActor(stage, 0, 5, 0);
    EXPECT_EQ(Mapped(a.transform, 0, 0), XY(125, 160));
    SetActorScale(stage, 0, 8192);
    EXPECT_EQ(Mapped(a.transform, 0, 0), XY(122, 160));

    const Transform before = a.inverse;
    SetActorScale(stage, 0, 0);
    EXPECT_EQ(EntriesOf(a.transform), (Entries{0, 0, 0, 0, 120, 160}));
    EXPECT_EQ(EntriesOf(a.inverse), EntriesOf(before));

    MoveActor(stage, 0, 32767 - 5, -32768);
    MoveActor(stage, 0, 1, -1);
    EXPECT_EQ(a.pose.x, -32768);
    EXPECT_EQ(a.pose.y, 32767);
}

// Setters ignore indices outside the actor array; the highlight also ignores
// indices at or past the count (actor record 1 below is zeroed, slot 0).
TEST_F(Actors, IndicesOutsideTheArrayOrCountChangeNothing) {
    StoreSquare(0, 100, kRed);
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
    ASSERT_EQ(std::memcmp(&before, &stage, sizeof stage), 0);
    HighlightActor(stage, surface, 1);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

// Extreme poses must neither trap nor overflow anywhere from the transform to
// the pixels (the sanitizer build checks the arithmetic).
TEST_F(Actors, ExtremePosesDrawPickAndHighlightSafely) {
    StoreSquare(0, 32767, kRed);
    StoreSquare(1, 100, kBlue);
    AddActor(stage, 0);
    AddActor(stage, 1);
    for (int16_t scale : {0, 1, -1, 1638, 16384, 32767, -32768}) {
        for (int16_t angle : {0, 900, 3600, 3601, -1, -3600, 32767, -32768}) {
            for (int16_t offset : {0, 32767, -32768}) {
                const Pose pose = {angle, offset, static_cast<int16_t>(-offset), scale};
                stage.actors[0].pose = stage.actors[1].pose = pose;
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
    for (int16_t slot : {1, 40, 0, 4}) AddActor(stage, slot);
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
    const PickEntry& e = pick_list.entries[0];
    EXPECT_EQ((std::array<int, 5>{e.owner, e.x1, e.y1, e.x2, e.y2}),
              (std::array<int, 5>{0, 110, 150, 129, 169}));
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

// About 120000 pixels across: the box is clamped to 16 bits, not cut.
TEST_F(ActorPicks, AHugeActorStillAnswersTapsOnTheScreen) {
    StoreSquare(0, 30000, kRed);
    AddActor(stage, 0);
    SetActorScale(stage, 0, 32767);
    RefreshActorPicks(stage);
    ASSERT_EQ(pick_list.count, 1);
    EXPECT_EQ(PickOwner(0, 0), 0);
    EXPECT_EQ(PickOwner(239, 319), 0);
}

using ActorHighlight = StageTest;

// With the square of actor 0 at (110, 150)-(129, 169) and the tick count at
// 3 * 64, the ants use the pattern 0x7878: pixels 3..6 of every 8 drawn. The
// XOR of white is black; the drawing itself is not drawn. The label box
// (112, 153)-(126, 165) is filled in (200, 200, 0) one pixel inside, and the
// pen is left out of XOR mode.
TEST_F(ActorHighlight, AntsRunOnePixelOutsideTheBoundsAroundACentredLabel) {
    StoreSquare(0, 100, kRed);
    AddActor(stage, 0);
    fixture_ticks = 3 * 64 + 63;
    HighlightActor(stage, surface, 0);
    auto ant = [](int k) -> uint16_t { return (0x7878 >> (k % 16)) & 1 ? 0x0000 : 0xFFFF; };
    // Top: (109, 149) to (130, 149), left to right.
    for (int x = 105; x <= 134; ++x)
        EXPECT_EQ(PixelAt(x, 149), x >= 109 && x <= 130 ? ant(x - 109) : 0xFFFF) << "x " << x;
    // Right: (130, 150) down to (130, 169); left: (109, 169) up to (109, 150).
    for (int y = 150; y <= 169; ++y) {
        EXPECT_EQ(PixelAt(130, y), ant(y - 150)) << "y " << y;
        EXPECT_EQ(PixelAt(109, y), ant(169 - y)) << "y " << y;
    }
    // Bottom: (130, 170) leftwards to (109, 170).
    for (int x = 109; x <= 130; ++x) EXPECT_EQ(PixelAt(x, 170), ant(130 - x)) << "x " << x;
    EXPECT_EQ(PixelAt(111, 151), 0xFFFF);
    EXPECT_EQ(PixelAt(124, 158), 0xCE40);
    EXPECT_EQ(PixelAt(112, 159), 0xFFFF);
    EXPECT_EQ(PixelAt(127, 159), 0xFFFF);
    EXPECT_NE(surface.plain_plot, PlotXor);
}
