// Sessions through the UI loop and the main loop, run by the executable:
// headless with session scripts, and once in a real window under Xvfb.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "headless_run.h"

namespace {

class UiSession : public ::testing::Test {
  protected:
    void SetUp() override {
        skin_ = LoadPicture(kBundledRoot + "/tovu/skin1.png", true);
        ASSERT_TRUE(skin_.loaded);
    }
    ProgramRun Run(const char* script) { return RunScript(script, kBundledRoot, out_.Path()); }
    Picture Shot(const char* name) { return LoadShot(out_.Path(), name); }

    // The selector shows the highlighted image of the current mode.
    void ExpectSelectorShows(const Picture& shot, int item, const char* name) {
        int differing = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) differing += shot.At(220 + x, y) != skin_.At(20 + x, item * 20 + y);
        EXPECT_EQ(differing, 0) << name;
    }

    TemporaryFolder out_;
    Picture skin_;
};

TEST_F(UiSession, SelectorVisitsEveryModeAndTheBlankScreenIsOneColour) {
    const ProgramRun run = Run("ui_mode_tour.script");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "") << "the script runs to its end";

    ExpectSelectorShows(Shot("editor_first.png"), 0, "editor");
    ExpectSelectorShows(Shot("animation.png"), 1, "animation");
    ExpectSelectorShows(Shot("files.png"), 2, "files");
    ExpectSelectorShows(Shot("editor_again.png"), 0, "editor again");

    // The popup: the plain strip below the selector, the current item highlighted.
    const Picture popup = Shot("popup.png");
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 20; ++x) differing += popup.At(220 + x, y) != skin_.At((y < 20 ? 20 : 0) + x, y);
    EXPECT_EQ(differing, 0);

    const Picture blank = Shot("blank.png");
    ExpectSelectorShows(blank, 3, "blank");
    int not_blank = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            if (!(x >= 220 && y < 20)) not_blank += blank.At(x, y) != 0x00FF;
    EXPECT_EQ(not_blank, 0);
}

// Quitting through the selector ends the program in every mode: the lines
// left are not run, and one note counts them.
TEST_F(UiSession, QuitEndsTheProgramFromEveryModeAndCountsTheLinesLeft) {
    for (int m = 0; m < 4; ++m) {
        SCOPED_TRACE("mode " + std::to_string(m));
        std::string script = m > 0 ? "tap 230 10\ntap 230 " + std::to_string(20 * m + 10) + "\n" : "";
        script += "shot before_quit.png\ntap 230 10\ntap 230 90\n";
        script += m > 0 ? "wait 200\nshot after_quit.png\n" : "shot after_quit.png\n";
        std::remove((out_.Path() + "/after_quit.png").c_str());
        const ProgramRun run =
            RunScriptText(out_.Path(), script, "--root '" + kBundledRoot + "' --out '" + out_.Path() + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, m > 0 ? "note: the program quit before the script ended; 2 lines were not run\n"
                                 : "note: the program quit before the script ended; 1 line was not run\n");
        ExpectSelectorShows(Shot("before_quit.png"), m, "before quitting");
        EXPECT_EQ(ReadFile(out_.Path() + "/after_quit.png"), "");
    }
}

// Darkest channel sum of the pixels around (x, y): the preview line is black.
int Darkness(const Picture& shot, int x, int y) {
    int best = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const uint16_t p = shot.At(x + dx, y + dy);
            best = std::max(best, 62 - ((p >> 11) + (p & 31) + ((p >> 5) & 63) / 2));
        }
    }
    return best;
}

TEST_F(UiSession, StrokePreviewIsDrawnOverTheSavedScreen) {
    ASSERT_EQ(Run("ui_stroke_preview.script").status, 0);
    const Picture before = Shot("before.png"), straight = Shot("straight.png"), bent = Shot("bent.png");

    for (int x = 45; x <= 115; x += 10) EXPECT_GT(Darkness(straight, x, 200), 50) << x;
    for (int y = 210; y <= 250; y += 10) EXPECT_GT(Darkness(bent, 120, y), 50) << y;
    EXPECT_GT(Darkness(bent, 80, 200), 50);  // the first segment stays

    // Away from the stroke, the preview frames are the saved screen.
    int changed = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            const bool near_first = y >= 198 && y <= 202 && x >= 38 && x <= 122;
            const bool near_second = x >= 118 && x <= 122 && y >= 198 && y <= 262;
            if (near_first || near_second) continue;
            changed += straight.At(x, y) != before.At(x, y);
            changed += bent.At(x, y) != before.At(x, y);
        }
    }
    EXPECT_EQ(changed, 0);
}

bool OnPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The real window under a virtual X server, driven through the selector to
// quit with mouse clicks.
TEST_F(UiSession, DesktopWindowQuitsThroughTheSelector) {
    if (!OnPath("Xvfb") || !OnPath("xdotool"))
        GTEST_SKIP() << "Xvfb or xdotool is not installed: the desktop window is not tried";
    const std::string display = ":" + std::to_string(90 + getpid() % 400);
    const std::string log = out_.Path() + "/desktop.txt";
    const std::string script =
        "Xvfb " + display + " -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!\n"
        "export DISPLAY=" + display + "\n"
        "for i in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done\n"
        // The desktop's system libraries (D-Bus under SDL) keep allocations
        // at exit; leak checking stays on for the headless sessions.
        "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
        "SDL_VIDEODRIVER=x11 timeout 60 '" KN_EXECUTABLE "' --scale 1 --root '" + kBundledRoot +
        "' >'" + log + "' 2>&1 & program=$!\n"
        "window=$(timeout 20 xdotool search --sync --name KalveNorix | head -n 1)\n"
        // The selector, then quit in its popup; a busy machine may take a
        // click late, so the pair is tried again until the program is gone.
        "for i in $(seq 20); do\n"
        "  sleep 0.5; kill -0 $program 2>/dev/null || break\n"
        "  xdotool mousemove --window \"$window\" 230 10 click 1 2>/dev/null; sleep 0.5\n"
        "  xdotool mousemove --window \"$window\" 230 90 click 1 2>/dev/null; sleep 1\n"
        "done\n"
        "wait $program; status=$?\n"
        "kill $xvfb; wait $xvfb 2>/dev/null\n"
        "exit $status\n";
    ASSERT_TRUE(WriteFile(out_.Path() + "/desktop.sh", script));
    const int raw = std::system(("bash '" + out_.Path() + "/desktop.sh'").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0) << ReadFile(log);
}

}  // namespace
