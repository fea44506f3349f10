// The shell's life cycle and message pump over the headless backend's trace;
// the program's start-up, shutdown and settings (the browser's directory).
#include "shell/shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <tuple>

#include "drawing/drawing.h"
#include "platform/host_files.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "shell/main_loop.h"
#include "support/headless_session.h"
#include "support/test_files.h"

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

// The recording backend, and the settings and the skin in tovu/ under a
// temporary device root.
class Shell : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        platform = &kRecorder;
        queue.clear();
        shell = ShellState{};
        SetCloseHook(nullptr);
        ASSERT_EQ(mkdir((root + "/tovu").c_str(), 0755), 0);
        SetDeviceRoot(root.c_str());
    }
    void Settings(const std::string& bytes) { ASSERT_TRUE(WriteFile(root + "/tovu/kalvenorix.ini", bytes)); }
    TemporaryFolder folder;
    const std::string root = folder.Path();
};

}  // namespace

// The destroy message repeats the closes, as the handheld's window procedure
// did; a window that cannot be made ends the shell at once.
TEST_F(Shell, StartsUpAndTearsDownInOrderAndAFailedWindowEndsAtOnce) {
    EXPECT_EQ(ShellMain(1, [] { platform->suspend(); }), 0);
    EXPECT_STREQ(HeadlessTrace(), "set_taskbar_visible(0) create_window open_display open_input suspend close_input "
                                  "close_display set_taskbar_visible(1) destroy_window close_input close_display "
                                  "set_taskbar_visible(1)");
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
    EXPECT_EQ(pump({Pen(kMessageLeftButtonDown, 1, 2), Pen(kMessageMouseMove, 50, 60), Pen(kMessageLeftButtonUp, 200, 300)}),
              "50,60 tap 1 down 0");
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

// The line's terminator is not part of the path; a missing backslash is added
// at either end where it fits in the 512-byte path. An empty file changes nothing.
TEST_F(Shell, TheSettingsNameTheBrowsersDirectory) {
    const std::string long_line = "\\" + std::string(700, 'x') + "\n", fits = "\\" + std::string(509, 'y');
    const std::pair<std::string, std::string> rows[] = {
        {"", std::string(511, 'z')}, {"\n", "\\"}, {"\\tovu\\\nsecond line\n", "\\tovu\\"}, {"\\last\\", "\\last\\"},
        {"\\My Documents\\\r\n", "\\My Documents\\"}, {"\\a\n", "\\a\\"}, {"d\r\n", "\\d\\"},
        {"docs\\pictures", "\\docs\\pictures\\"}, {long_line, long_line.substr(0, 511)}, {fits + "\n", fits + "\\"}};
    for (const auto& [file, directory] : rows) {
        Settings(file);
        std::memset(files.directory, 'z', 511);
        files.directory[511] = '\0';
        ReadSettings();
        EXPECT_EQ(files.directory, directory) << "file: " << file;
    }
}

// The splash is the only frame until the first screen; start-up reads the
// settings and the skin; shutdown frees what start-up allocated, once.
TEST_F(Shell, ShowsTheSplashBuildsTheObjectsAndFreesThemOnce) {
    Settings("\\docs\\\n");
    ASSERT_TRUE(WriteFile(root + "/tovu/skin1.png", ReadFile(KN_ASSET_DIR "/device/tovu/skin1.png")));
    editor.current_slot = editor.selected_shape = 9;  // as an earlier run may leave them
    StartProgram();
    EXPECT_EQ(HeadlessFramesPresented(), 1u);
    EXPECT_EQ(std::tuple(editor.current_slot, editor.selected_shape), std::tuple(0, 0));
    int white = 0, other = 0;  // white text in the middle band, black elsewhere
    for (int i = 0; i < 240 * 320; ++i) {
        const bool middle = i / 240 >= 148 && i / 240 < 172 && i % 240 >= 40 && i % 240 < 200;
        (middle ? white : other) += middle ? HeadlessLastFrame()[i] == 0xFFFF : HeadlessLastFrame()[i] != 0;
    }
    EXPECT_TRUE(white > 100 && other == 0) << white << " white, " << other << " other";
    EXPECT_STREQ(files.directory, "\\docs\\");
    EXPECT_EQ(ui.stroke_colour.alpha, 255) << "the preview takes the current colour";
    ASSERT_NE(ui.skin, nullptr);
    StopProgram();
    EXPECT_EQ(ui.skin, nullptr);
    EXPECT_EQ(drawing.vertices, nullptr);
    StopProgram();
}
