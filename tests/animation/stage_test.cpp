#include "animation/stage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "input/input.h"
#include "platform/headless.h"
#include "support/drawing_literal.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"

namespace {

uint32_t ticks = 0, tick_offset = 0;
std::vector<uint32_t> frame_times;  // virtual times at which frames reached the display
void (*headless_end_draw)() = nullptr;
using Fields = std::array<int, 4>;  // x, y, angle, scale
Fields Of(const Pose& p) { return {p.x, p.y, p.angle, p.scale}; }
Pose At(int16_t x, int16_t y = 0, int16_t angle = 0, int16_t scale = 1638) { return Pose{angle, x, y, scale}; }
std::array<int32_t, 6> Of(const Transform& t) { return {t.a, t.b, t.c, t.d, t.tx, t.ty}; }

// A fresh stage over the program-wide library, a white surface, and a
// backend whose tick count the test sets.
class StageTest : public testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform;
        backend_ = *HeadlessBackend();
        backend_.tick_count = [] { return ticks; };
        platform = &backend_;
        ResetTestSurface();
        LibraryInit(library);
        InitStage(stage, library);
        ClearStage(stage);
    }
    void TearDown() override { platform = saved_; }
    // A filled square from (-half, -half) to (half, half) drawing units.
    static void StoreSquare(int16_t slot, int16_t half, ColourRecord colour) {
        const int16_t l = static_cast<int16_t>(-half);
        OwnedDrawing o({{kShapeFilled, colour, {{l, l}, {half, l}, {half, half}, {l, half}}}});
        ASSERT_TRUE(StoreDrawing(library, slot, o.d));
    }
    const PlatformBackend* saved_ = nullptr;
    PlatformBackend backend_{};
};

}  // namespace

// Between two keys a pose is linear, rounded toward minus infinity, with the
// angle a plain number (no wrap, no shortest turn); before the first key and
// after the last an actor takes that key's pose. Keys at 1000 or later never
// bound a frame from above, and the transform follows the pose. A key is one
// pose per actor and frame; keys of actors that do not exist (yet) touch no
// actor record.
TEST_F(StageTest, KeysPoseTheirActorsFrameByFrame) {
    const struct {
        std::vector<std::pair<uint16_t, Pose>> keys;
        std::vector<std::pair<int32_t, Fields>> frames;
    } rows[] = {
        {{{20, At(100, 8, 40, 3000)}, {10, At(9)}, {10, At(0, 7, 30, 2000)}},
         {{5, {0, 7, 30, 2000}}, {15, {50, 7, 35, 2500}}, {19, {89, 7, 38, 2899}}, {20, {100, 8, 40, 3000}}, {30, {100, 8, 40, 3000}}}},
        {{{0, At(0, 0, 3500)}, {10, At(0, 0, 100)}, {200, At(0, 0, 100, 16384)}}, {{5, {0, 0, 1800, 1638}}, {105, {0, 0, 100, 9011}}}},
        {{{1000, At(-321, 654, 3599, -32768)}}, {{999, {0, 0, 0, 1638}}, {1000, {-321, 654, 3599, -32768}}, {INT32_MAX, {-321, 654, 3599, -32768}}}},
        {{{500, At(10)}, {999, At(40)}, {2000, At(90)}, {65535, At(70)}},
         {{100, {10, 0, 0, 1638}}, {998, {39, 0, 0, 1638}}, {1500, {40, 0, 0, 1638}}, {2000, {90, 0, 0, 1638}}, {65535, {70, 0, 0, 1638}}}},
        {{{0, At(-32768, 32767, -32768, 32767)}, {2, At(32767, -32768, 32767, -32768)}}, {{1, {-1, -1, -1, -1}}, {3, {32767, -32768, 32767, -32768}}}},
    };
    for (const auto& r : rows) {
        ClearStage(stage);
        AddActor(stage, 0);
        for (const auto& [frame, pose] : r.keys) ASSERT_TRUE(SetKey(stage, 0, frame, pose));
        for (const auto& [frame, fields] : r.frames) {
            InterpolateFrame(stage, frame);
            EXPECT_TRUE(Of(stage.actors[0].pose) == fields && Of(stage.actors[0].transform) == Of(BuildTransform(stage.actors[0].pose))) << "frame " << frame;
        }
    }
    const Stage before = stage;
    for (int16_t actor : {1, -1, 32767, -32768}) SetKey(stage, actor, 2, At(static_cast<int16_t>(actor & 63)));
    InterpolateFrame(stage, 1);
    EXPECT_TRUE(stage.key_count == 6 && Of(stage.actors[0].pose) == (Fields{-1, -1, -1, -1}) &&
                std::memcmp(&before.actors[1], &stage.actors[1], sizeof(Actor) * (kActorCapacity - 1)) == 0);
    AddActor(stage, 0);
    InterpolateFrame(stage, 3);
    EXPECT_EQ(stage.actors[1].pose.x, 1);
}

// Later actors paint over earlier ones, each with one pick box around its
// drawing; actors without a drawing (an empty place, a slot never stored or
// outside the library, a drawing without vertices) show nothing at all.
// Around a selected actor's square, here (110, 150)-(129, 169), at 3 * 64 ms
// the ants use the pattern 0x7878: pixels 3..6 of every 8, clockwise from the
// top left, in XOR, one pixel outside the bounds. A huge actor's box is
// clamped to 16 bits and still answers taps. New actors start at the
// editor's view, each ten units right of and below the one before; every
// setter rebuilds the transform and its inverse, and indices outside the
// array change nothing.
TEST_F(StageTest, ActorsDrawAnswerTapsInStackingOrderAndShowWhenSelected) {
    StoreSquare(0, 100, kRed);
    StoreSquare(1, 100, kBlue);
    StoreSquare(2, 30000, kRed);
    OwnedDrawing empty;
    ASSERT_TRUE(StoreDrawing(library, 4, empty.d));
    for (int16_t slot : {0, 1, 3, 40, 4, 64}) AddActor(stage, slot);
    stage.actors[1].pose.x = 90;
    RebuildAndRenderActors(stage, surface);
    RefreshActorPicks(stage);
    // The first tap on an overlap picks the lower actor.
    const int probes[][4] = {{125, 165, 0x001F, 0}, {113, 155, 0xF800, 0}, {135, 161, 0x001F, 1}, {100, 100, 0xFFFF, -1}};
    for (const auto& p : probes) EXPECT_TRUE(PixelAt(p[0], p[1]) == p[2] && PickOwner(int16_t(p[0]), int16_t(p[1])) == p[3]) << p[0] << "," << p[1];
    const PickEntry& e = pick_list.entries[0];
    EXPECT_EQ((std::array<int, 6>{pick_list.count, e.owner, e.x1, e.y1, e.x2, e.y2}), (std::array<int, 6>{2, 0, 110, 150, 129, 169}));
    EXPECT_TRUE(Of(stage.actors[3].pose) == (Fields{30, 30, 0, 1638}));
    ResetTestSurface();
    for (int16_t i : {2, 3, 4, 5, -1, 64, 1000, -32768, 32767}) HighlightActor(stage, surface, i);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    ticks = 3 * 64 + 63;
    HighlightActor(stage, surface, 0);
    auto ant = [](int k) -> uint16_t { return (0x7878 >> (k % 16)) & 1 ? 0x0000 : 0xFFFF; };
    for (const auto& [x, y, dx, dy] : {std::array{109, 149, 1, 0}, {130, 150, 0, 1}, {130, 170, -1, 0}, {109, 169, 0, -1}})
        for (int k = 0; k < (dx ? 22 : 20); ++k) EXPECT_EQ(PixelAt(x + k * dx, y + k * dy), ant(k)) << x << "," << y << " + " << k;
    AddActor(stage, 2);
    SetActorScale(stage, 6, 32767);
    RefreshActorPicks(stage);
    EXPECT_TRUE(PickOwner(0, 0) == 6 && PickOwner(239, 319) == 6);
    const Actor& a = stage.actors[0];
    SetActorScale(stage, 0, 16384), SetActorAngle(stage, 0, 2700), MoveActor(stage, 0, 5, 0);
    const Point32 p = MapPoint(a.transform, 10, 0), back = MapPoint(a.inverse, p.x, p.y);
    EXPECT_EQ((std::array<int32_t, 5>{a.pose.angle, p.x, p.y, back.x, back.y}), (std::array<int32_t, 5>{2700, 120, 145, 10, 0}));
    const ::Stage before = stage;
    for (int16_t i : {-1, 64, 1000, -32768, 32767}) MoveActor(stage, i, 10, 10), SetActorAngle(stage, i, 900), SetActorScale(stage, i, 100);
    EXPECT_EQ(std::memcmp(&before, &stage, sizeof stage), 0);
}

// Actor 0 shows a red square and moves one unit per frame: frame n puts it at
// x = n. The first frame (frame 0, on white) goes up at once, whatever the
// tick counter reads: it may start near zero or wrap. Then one frame per
// 48 ms, frames 0..200 and 0 again, never a whole period late (the loop
// never sleeps); a tap ends playback after the frame in progress, and it
// returns only once the stylus is lifted.
TEST_F(StageTest, PlaybackFramesFollowTheClockUntilATap) {
    headless_end_draw = backend_.end_draw;
    backend_.end_draw = [] { frame_times.push_back(HeadlessClock()), headless_end_draw(); };
    backend_.tick_count = [] { return HeadlessClock() - 1000000u + tick_offset; };
    StoreSquare(0, 100, kRed);
    for (uint32_t offset : {1000000u, 0u, 0xFFFFFF00u}) {
        ResetHeadless(), frame_times.clear(), ResetTestSurface(0x0000), ClearStage(stage), AddActor(stage, 0);
        SetKey(stage, 0, 0, At(0)), SetKey(stage, 0, 256, At(256));
        input = InputState{}, tick_offset = offset;
        const std::string script = offset == 1000000u ? "wait 11000\ndown 10 10\nwait 300\nup\n" : "wait 1000\ntap 10 10\n";
        char error[200];
        ASSERT_TRUE(LoadHeadlessScriptText("playback", (script + "wait 100000\n").c_str(), error, sizeof error)) << error;
        const uint32_t start = HeadlessClock();
        PlayAnimation(stage, surface);
        const uint32_t end = HeadlessClock();
        ASSERT_GE(frame_times.size(), 2u);
        EXPECT_LT(frame_times[0] - start, 10u) << offset;
        for (size_t i = 1; i < frame_times.size(); ++i)
            EXPECT_TRUE(frame_times[i] - frame_times[i - 1] >= 48u && frame_times[i] - frame_times[i - 1] < 96u) << i;
        EXPECT_TRUE(HeadlessFramesPresented() == frame_times.size() && input.stylus_down + input.tap_latch == 0);
        if (offset != 1000000u) continue;
        EXPECT_TRUE(end - start >= 11300u && frame_times.back() - start < 11000u + 48u &&  // no frames while the stylus rests
                    frame_times.size() == 1 + (frame_times.back() - frame_times[0]) / 48);
        EXPECT_EQ(stage.actors[0].pose.x, static_cast<int16_t>((frame_times.size() - 1) % 201));
        EXPECT_TRUE(HeadlessLastFrame()[160 * 240 + 120] == kRed.word && HeadlessLastFrame()[5 * 240 + 5] == 0xFFFF);
    }
}
