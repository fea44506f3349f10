#include <vector>

#include "input/input.h"
#include "stage_fixture.h"

namespace {

// Virtual times at which frames reached the display.
std::vector<uint32_t> frame_times;
uint32_t tick_offset = 0;

class Playback : public StageTest {
  protected:
    void SetUp() override {
        StageTest::SetUp();
        ResetHeadless();
        backend_ = *HeadlessBackend();
        headless_end_draw_ = backend_.end_draw;
        backend_.end_draw = [] {
            frame_times.push_back(HeadlessClock());
            headless_end_draw_();
        };
        platform = &backend_;
        frame_times.clear();
        input = InputState{};
        ResetTestSurface(0x0000);

        // Actor 0 shows a red square and moves one unit per frame: frame n
        // puts it at x = n exactly.
        StoreSquare(0, 100, kRed);
        AddActor(stage, 0);
        SetKey(stage, 0, 0, Pose{0, 0, 0, 1638});
        SetKey(stage, 0, 256, Pose{0, 256, 0, 1638});
    }

    // The trailing wait keeps the script from ending (and closing the window)
    // while playback runs.
    void Run(const char* script) {
        std::string text = std::string(script) + "wait 100000\n";
        char error[200];
        ASSERT_TRUE(LoadHeadlessScriptText("playback", text.c_str(), error, sizeof error)) << error;
        start_ms_ = HeadlessClock();
        PlayAnimation(stage, surface);
        end_ms_ = HeadlessClock();
    }

    void ExpectSteadyFrames() {
        for (size_t i = 1; i < frame_times.size(); ++i) {
            EXPECT_GE(frame_times[i] - frame_times[i - 1], 48u) << "frame " << i;
            // The loop never sleeps, so a frame is never late by a whole period.
            EXPECT_LT(frame_times[i] - frame_times[i - 1], 96u) << "frame " << i;
        }
    }

    static inline void (*headless_end_draw_)() = nullptr;
    uint32_t start_ms_ = 0;
    uint32_t end_ms_ = 0;
};

}  // namespace

TEST_F(Playback, TheFirstFrameIsShownAtOnce) {
    Run("tap 10 10\n");
    ASSERT_EQ(frame_times.size(), 1u);
    EXPECT_LT(frame_times[0] - start_ms_, 10u);  // in the first pass, not a period later
    EXPECT_EQ(stage.actors[0].pose.x, 0);
    // Frame 0 on a white screen.
    EXPECT_EQ(HeadlessLastFrame()[160 * 240 + 120], kRed.word);
    EXPECT_EQ(HeadlessLastFrame()[5 * 240 + 5], 0xFFFF);
    EXPECT_EQ(input.tap_latch, 0);
}

// One frame per 48 ms of virtual time, frames 0..200 and then 0 again; the
// tap ends playback after the frame in progress and the actor keeps the pose
// of the last frame shown.
TEST_F(Playback, FramesFollowTheClockUntilATap) {
    Run("wait 11000\ntap 10 10\n");
    size_t n = frame_times.size();
    ASSERT_GT(n, 220u);
    ExpectSteadyFrames();
    EXPECT_GE(end_ms_ - start_ms_, 11000u);
    EXPECT_EQ(n, 1 + (end_ms_ - frame_times[0]) / 48);
    EXPECT_EQ(HeadlessFramesPresented(), n);
    EXPECT_EQ(stage.actors[0].pose.x, static_cast<int16_t>((n - 1) % 201));
}

TEST_F(Playback, ReturnsOnlyOnceTheStylusIsLifted) {
    Run("wait 500\ndown 10 10\nwait 300\nup\n");
    ASSERT_FALSE(frame_times.empty());
    // No frames while the stylus rests after the tap.
    EXPECT_LT(frame_times.back() - start_ms_, 500u + 48u);
    EXPECT_GE(end_ms_ - start_ms_, 800u);
    EXPECT_EQ(input.stylus_down, 0);
    EXPECT_EQ(input.tap_latch, 0);
}

// The tick counter is the device's uptime: it may read almost nothing when
// playback starts, and it wraps after 49 days.
TEST_F(Playback, TheTickCounterMayStartAtZeroOrWrap) {
    for (uint32_t offset : {0u, 0xFFFFFF00u}) {
        tick_offset = offset;
        backend_.tick_count = [] { return HeadlessClock() - 1000000u + tick_offset; };
        frame_times.clear();
        ResetHeadless();
        Run("wait 1000\ntap 10 10\n");
        ASSERT_GE(frame_times.size(), 2u);
        EXPECT_LT(frame_times[0] - start_ms_, 10u) << "offset " << offset;
        ExpectSteadyFrames();
        EXPECT_EQ(frame_times.size(), 1 + (end_ms_ - frame_times[0]) / 48) << "offset " << offset;
    }
}
