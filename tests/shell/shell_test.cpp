#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "shell/shell.h"

namespace {

// A backend that records the life-cycle calls and serves queued messages.
std::string trace;
std::deque<Message> queue;
int window_ok = 1;

void Note(const char* what) { trace += trace.empty() ? what : std::string(" ") + what; }

const PlatformBackend kRecorder = {
    "recorder",
    [] { return GXDisplayProperties{240, 320, 2, 480, 16, 0}; },
    [] { return queue.empty() ? 0 : 1; },
    [](Message* m) {
        if (queue.empty()) return 0;
        *m = queue.front();
        queue.pop_front();
        return 1;
    },
    []() -> uint16_t* { return nullptr; },
    [] {},
    []() -> uint32_t { return 0; },
    [](int) {
        Note("create");
        return window_ok;
    },
    [] { Note("destroy"); },
    [] { Note("open-display"); },
    [] { Note("close-display"); },
    [] { Note("open-input"); },
    [] { Note("close-input"); },
    [] { Note("suspend"); },
    [] { Note("resume"); },
    [](int visible) { Note(visible ? "taskbar-shown" : "taskbar-hidden"); },
};

class Shell : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform;
        platform = &kRecorder;
        trace.clear();
        queue.clear();
        window_ok = 1;
        shell = ShellState{};
    }
    void TearDown() override { platform = saved_; }
    void Queue(uint32_t message, int x = 0, int y = 0) {
        queue.push_back({message, 0, PackPosition(x, y)});
    }
    const PlatformBackend* saved_;
};

TEST_F(Shell, StartsUpAndTearsDownInOrder) {
    ShellMain(1, [] { Note("main-loop"); });
    EXPECT_EQ(trace,
              "taskbar-hidden create open-display open-input main-loop "
              "close-input close-display taskbar-shown destroy "
              "close-input close-display taskbar-shown");
    EXPECT_EQ(shell.window, 0);
}

TEST_F(Shell, AFailedWindowEndsAtOnceWithTheTaskbarHidden) {
    window_ok = 0;
    EXPECT_EQ(ShellMain(1, [] { Note("main-loop"); }), 0);
    EXPECT_EQ(trace, "taskbar-hidden create");
}

TEST_F(Shell, PenDownSetsPositionLatchAndFlag) {
    Queue(kMessageLeftButtonDown, 12, 34);
    PumpMessages();
    EXPECT_EQ(shell.stylus_x, 12);
    EXPECT_EQ(shell.stylus_y, 34);
    EXPECT_EQ(shell.tap_latch, 1);
    EXPECT_EQ(shell.stylus_down, 1);
}

TEST_F(Shell, PenUpKeepsThePositionOfTheLastMove) {
    Queue(kMessageLeftButtonDown, 1, 2);
    Queue(kMessageMouseMove, 50, 60);
    Queue(kMessageLeftButtonUp, 200, 300);
    PumpMessages();
    EXPECT_EQ(shell.stylus_x, 50);
    EXPECT_EQ(shell.stylus_y, 60);
    EXPECT_EQ(shell.stylus_down, 0);
    EXPECT_EQ(shell.tap_latch, 1);  // a tap inside one pump is still seen
}

TEST_F(Shell, TwoPenDownsLeaveOneTapAtTheLaterPoint) {
    Queue(kMessageLeftButtonDown, 1, 1);
    Queue(kMessageLeftButtonDown, 9, 8);
    PumpMessages();
    EXPECT_EQ(shell.tap_latch, 1);
    EXPECT_EQ(shell.stylus_x, 9);
    EXPECT_EQ(shell.stylus_y, 8);
}

TEST_F(Shell, PumpReturnsAtOnceOnAnEmptyQueue) {
    PumpMessages();
    EXPECT_EQ(trace, "");
    EXPECT_EQ(shell.tap_latch, 0);
}

TEST_F(Shell, FocusAndSettingMessagesDriveTheDisplay) {
    Queue(kMessageKillFocus);
    Queue(kMessageSetFocus);
    Queue(kMessageSettingChange);
    Queue(kMessageKeyDown);
    Queue(kMessageKeyUp);
    Queue(kMessageQuit);
    PumpMessages();
    EXPECT_EQ(trace, "suspend resume taskbar-hidden");
    EXPECT_TRUE(queue.empty());
}

TEST_F(Shell, ClosingTheWindowTearsDownAndEnds) {
    EXPECT_EXIT(
        {
            shell.window = 1;
            SetShutdownHook([] { Note("free"); });
            Queue(kMessageClose);
            PumpMessages();
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
