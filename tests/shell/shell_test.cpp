// The shell: start-up and tear-down order, and the window procedure fed by
// PumpMessages, over a backend that records its calls.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "input/input.h"
#include "shell/shell.h"

namespace {

// A backend that records the life-cycle calls and serves queued messages.
std::string trace;
std::deque<Message> queue;
int window_ok = 1;

void Note(const char* what) { trace += trace.empty() ? what : std::string(" ") + what; }

const PlatformBackend kRecorder = {
    "recorder",
    [] { return kPortraitDisplay; },
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
    [](int) { Note("create"); return window_ok; },
    [] { Note("destroy"); },
    [] { Note("open-display"); },
    [] { Note("close-display"); },
    [] { Note("open-input"); },
    [] { Note("close-input"); },
    [] { Note("suspend"); },
    [] { Note("resume"); },
    [](int visible) { Note(visible ? "taskbar-shown" : "taskbar-hidden"); },
};

Message Pen(uint32_t message, int x = 0, int y = 0) { return {message, 0, PackPosition(x, y)}; }

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

    // Pumps the messages into a fresh input state: "x,y tap T down D".
    static std::string PumpFresh(std::initializer_list<Message> messages) {
        input = InputState{};
        queue.assign(messages);
        PumpMessages();
        EXPECT_TRUE(queue.empty());
        return std::to_string(input.stylus_x) + "," + std::to_string(input.stylus_y) + " tap " +
               std::to_string(input.tap_latch) + " down " + std::to_string(input.stylus_down);
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

TEST_F(Shell, PumpSetsTheStylusStateFromPenMessages) {
    EXPECT_EQ(PumpFresh({}), "0,0 tap 0 down 0");
    EXPECT_EQ(PumpFresh({Pen(kMessageLeftButtonDown, 12, 34)}), "12,34 tap 1 down 1");
    // A tap inside one pump is still seen; up keeps the position of the last move.
    EXPECT_EQ(PumpFresh({Pen(kMessageLeftButtonDown, 1, 2), Pen(kMessageMouseMove, 50, 60),
                         Pen(kMessageLeftButtonUp, 200, 300)}),
              "50,60 tap 1 down 0");
    // Two downs leave one tap at the later point.
    EXPECT_EQ(PumpFresh({Pen(kMessageLeftButtonDown, 1, 1), Pen(kMessageLeftButtonDown, 9, 8)}), "9,8 tap 1 down 1");
    EXPECT_EQ(trace, "");
}

TEST_F(Shell, FocusAndSettingMessagesDriveTheDisplay) {
    PumpFresh({Pen(kMessageKillFocus), Pen(kMessageSetFocus), Pen(kMessageSettingChange), Pen(kMessageKeyDown),
               Pen(kMessageKeyUp), Pen(kMessageQuit)});
    EXPECT_EQ(trace, "suspend resume taskbar-hidden");
}

TEST_F(Shell, ClosingTheWindowTearsDownAndEnds) {
    EXPECT_EXIT(
        {
            ShellMain(1, [] {
                SetShutdownHook([] { Note("free"); });
                queue.push_back(Pen(kMessageClose));
                PumpMessages();
            });
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
