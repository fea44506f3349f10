// The shell's life cycle and the message pump, over the headless backend's
// trace of life-cycle calls, its messages served from a queue.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

#include "shell/shell.h"
#include "support/headless_session.h"

namespace {

std::deque<Message> queue;

PlatformBackend Recorder(int window_ok) {
    PlatformBackend b = *HeadlessBackend();
    b.peek_message = [] { return queue.empty() ? 0 : 1; };
    b.get_message = [](Message* m) {
        if (queue.empty()) return 0;
        *m = queue.front();
        queue.pop_front();
        return 1;
    };
    if (!window_ok) b.create_window = [](int) { return 0; };
    return b;
}
const PlatformBackend kRecorder = Recorder(1), kNoWindow = Recorder(0);

Message Pen(uint32_t message, int x = 0, int y = 0) { return {message, 0, PackPosition(x, y)}; }

class Shell : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        platform = &kRecorder;
        queue.clear();
        shell = ShellState{};
        SetCloseHook(nullptr);
    }
};

const char* const kTearDown =
    "close_input close_display set_taskbar_visible(1) destroy_window close_input close_display set_taskbar_visible(1)";

}  // namespace

// The destroy message repeats the closes, as the handheld's window procedure did.
TEST_F(Shell, StartsUpAndTearsDownInOrderAndAFailedWindowEndsAtOnce) {
    EXPECT_EQ(ShellMain(1, [] { platform->suspend(); }), 0);
    EXPECT_EQ(HeadlessTrace(), "set_taskbar_visible(0) create_window open_display open_input suspend " +
                                   std::string(kTearDown));
    EXPECT_EQ(shell.window, 0);
    ResetHeadless();
    platform = &kNoWindow;
    EXPECT_EQ(ShellMain(1, [] { platform->suspend(); }), 0);
    EXPECT_STREQ(HeadlessTrace(), "set_taskbar_visible(0)");
}

// One pump takes every queued message: "x,y tap T down D" of a fresh state.
TEST_F(Shell, PumpKeepsTheStylusStateAndFocusMessagesDriveTheDisplay) {
    auto pump = [](std::initializer_list<Message> messages) {
        input = InputState{};
        queue.assign(messages);
        PumpMessages();
        EXPECT_TRUE(queue.empty());
        return std::to_string(input.stylus_x) + "," + std::to_string(input.stylus_y) + " tap " +
               std::to_string(input.tap_latch) + " down " + std::to_string(input.stylus_down);
    };
    EXPECT_EQ(pump({Pen(kMessageLeftButtonDown, 1234, 34567)}), "1234,34567 tap 1 down 1");
    // A tap inside one pump is still seen; up keeps the position of the last move.
    EXPECT_EQ(pump({Pen(kMessageLeftButtonDown, 1, 2), Pen(kMessageMouseMove, 50, 60),
                    Pen(kMessageLeftButtonUp, 200, 300)}),
              "50,60 tap 1 down 0");
    EXPECT_STREQ(HeadlessTrace(), "");
    EXPECT_EQ(pump({Pen(kMessageKillFocus), Pen(kMessageSetFocus), Pen(kMessageSettingChange), Pen(kMessageKeyDown),
                    Pen(kMessageKeyUp), Pen(kMessageQuit), Pen(kMessageClose)}),
              "0,0 tap 0 down 0");
    EXPECT_STREQ(HeadlessTrace(), "suspend resume set_taskbar_visible(0)");
}

// Closing the window frees the program's objects, tears the shell down and
// ends the process with status 0; the trace goes out as the process ends.
TEST_F(Shell, ClosingTheWindowFreesTheProgramTearsDownAndEnds) {
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs(HeadlessTrace(), stderr); });
            ShellMain(1, [] {
                SetShutdownHook([] { platform->resume(); });
                queue.push_back(Pen(kMessageClose));
                PumpMessages();
                platform->suspend();
            });
        },
        ::testing::ExitedWithCode(0),
        "open_input resume close_input close_display set_taskbar_visible.1. destroy_window close_input "
        "close_display set_taskbar_visible.1.$");
}
