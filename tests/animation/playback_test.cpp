#include <gtest/gtest.h>

#include "animation/stage.h"
#include "input/input.h"
#include "platform/headless.h"
#include "support/drawing_literal.h"
#include "support/test_surface.h"

namespace {

std::vector<uint32_t> frame_times;  // virtual times at which frames reached the display
uint32_t tick_offset = 0;
void (*headless_end_draw)() = nullptr;

// Actor 0 shows a red square and moves one unit per frame: frame n puts it
// at x = n. The script's trailing wait keeps it from ending (and closing the
// window) while playback runs.
struct Playing {
    uint32_t start, end;
    explicit Playing(const char* script) {
        static PlatformBackend backend;
        ResetHeadless();
        backend = *HeadlessBackend();
        headless_end_draw = backend.end_draw;
        backend.end_draw = [] { frame_times.push_back(HeadlessClock()), headless_end_draw(); };
        backend.tick_count = [] { return HeadlessClock() - 1000000u + tick_offset; };
        platform = &backend;
        frame_times.clear();
        input = InputState{};
        ResetTestSurface(0x0000);
        LibraryInit(library);
        OwnedDrawing square({{kShapeFilled, kRed, {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}}}});
        EXPECT_TRUE(StoreDrawing(library, 0, square.d));
        InitStage(stage, library);
        ClearStage(stage);
        AddActor(stage, 0);
        SetKey(stage, 0, 0, Pose{0, 0, 0, 1638});
        SetKey(stage, 0, 256, Pose{0, 256, 0, 1638});
        char error[200];
        EXPECT_TRUE(LoadHeadlessScriptText("playback", (std::string(script) + "wait 100000\n").c_str(), error, sizeof error)) << error;
        start = HeadlessClock();
        PlayAnimation(stage, surface);
        end = HeadlessClock();
    }
};

}  // namespace

// The first frame (frame 0, on white) goes up at once, whatever the tick
// counter reads: it may start near zero or wrap. Then one frame per 48 ms,
// frames 0..200 and 0 again, never a whole period late (the loop never
// sleeps); a tap ends playback after the frame in progress, and it returns
// only once the stylus is lifted.
TEST(Playback, FramesFollowTheClockUntilATap) {
    for (uint32_t offset : {1000000u, 0u, 0xFFFFFF00u}) {
        tick_offset = offset;
        const Playing run(offset == 1000000u ? "wait 11000\ndown 10 10\nwait 300\nup\n" : "wait 1000\ntap 10 10\n");
        ASSERT_GE(frame_times.size(), 2u);
        EXPECT_LT(frame_times[0] - run.start, 10u) << offset;
        for (size_t i = 1; i < frame_times.size(); ++i) {
            EXPECT_GE(frame_times[i] - frame_times[i - 1], 48u) << i;
            EXPECT_LT(frame_times[i] - frame_times[i - 1], 96u) << i;
        }
        EXPECT_EQ(HeadlessFramesPresented(), frame_times.size());
        EXPECT_EQ(input.stylus_down + input.tap_latch, 0);
        if (offset != 1000000u) continue;
        EXPECT_GE(run.end - run.start, 11300u);
        EXPECT_LT(frame_times.back() - run.start, 11000u + 48u);  // no frames while the stylus rests
        EXPECT_EQ(frame_times.size(), 1 + (frame_times.back() - frame_times[0]) / 48);
        EXPECT_EQ(stage.actors[0].pose.x, static_cast<int16_t>((frame_times.size() - 1) % 201));
        EXPECT_EQ(HeadlessLastFrame()[160 * 240 + 120], kRed.word);
        EXPECT_EQ(HeadlessLastFrame()[5 * 240 + 5], 0xFFFF);
    }
}
