// Sessions through the UI loop and the main loop, run by the executable:
// headless with session scripts, and once in a real window under Xvfb.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host_files.h"

namespace {

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    std::fclose(f);
    return bytes;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// A picture as colour words, the way the program holds it.
struct Words {
    int width = 0, height = 0;
    std::vector<uint16_t> words;
    uint16_t At(int x, int y) const { return words[y * width + x]; }
};

// Shots keep every bit of a colour word. The skin loses the lowest green
// bit on loading (green takes five bits there), so skin words are packed the
// way the program packs them.
Words Load(const std::string& path, bool as_skin = false) {
    Words picture;
    const std::string bytes = ReadBytes(path);
    DecodedImage image;
    if (bytes.empty() ||
        !DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image))
        return picture;
    picture.width = image.width;
    picture.height = image.height;
    for (int i = 0; i < image.width * image.height; ++i) {
        const uint8_t* p = image.rgb + i * 3;
        const int green = as_skin ? (p[1] >> 3) << 1 : p[1] >> 2;
        picture.words.push_back(static_cast<uint16_t>((p[0] >> 3) << 11 | green << 5 | p[2] >> 3));
    }
    FreeDecodedImage(&image);
    return picture;
}

class UiSession : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kn_ui_session_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        skin_ = Load(KN_ASSET_DIR "/device/tovu/skin1.png", true);
        ASSERT_GT(skin_.width, 0);
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + folder_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    // Runs a session script headless; the status is -1 when the program did
    // not exit normally.
    int Run(const std::string& script_path) {
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 120 '" +
            std::string(KN_EXECUTABLE) + "' --root '" KN_ASSET_DIR "/device' --script '" +
            script_path + "' --out '" + folder_ + "' >'" + folder_ + "/stdout.txt' 2>&1 </dev/null";
        const int raw = std::system(command.c_str());
        output_ = ReadBytes(folder_ + "/stdout.txt");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    int RunText(const std::string& text) {
        const std::string path = folder_ + "/session.script";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) return -1;
        std::fputs(text.c_str(), f);
        std::fclose(f);
        return Run(path);
    }
    Words Shot(const char* name) { return Load(folder_ + "/" + name); }
    bool QuitBeforeTheScriptEnded() const {
        return output_.find("quit before the script ended") != std::string::npos;
    }

    // The selector shows the highlighted image of the current mode.
    void ExpectSelectorShows(const Words& shot, int item, const char* name) {
        ASSERT_EQ(shot.width, 240) << name;
        int differing = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                differing += shot.At(220 + x, y) != skin_.At(20 + x, item * 20 + y);
        EXPECT_EQ(differing, 0) << name;
    }

    std::string folder_;
    std::string output_;
    Words skin_;
};

// ---------------------------------------------------------------------------
// Modes
// ---------------------------------------------------------------------------
TEST_F(UiSession, SelectorVisitsEveryModeAndTheBlankScreenIsOneColour) {
    ASSERT_EQ(Run(KN_TEST_DIR "/scripts/ui_mode_tour.script"), 0) << output_;
    EXPECT_FALSE(QuitBeforeTheScriptEnded());

    ExpectSelectorShows(Shot("editor_first.png"), 0, "editor");
    ExpectSelectorShows(Shot("animation.png"), 1, "animation");
    ExpectSelectorShows(Shot("files.png"), 2, "files");
    ExpectSelectorShows(Shot("editor_again.png"), 0, "editor again");

    // The popup: the plain strip below the selector, the current item highlighted.
    const Words popup = Shot("popup.png");
    ASSERT_EQ(popup.width, 240);
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 20; ++x)
            differing += popup.At(220 + x, y) != skin_.At((y < 20 ? 20 : 0) + x, y);
    EXPECT_EQ(differing, 0);

    const Words blank = Shot("blank.png");
    ExpectSelectorShows(blank, 3, "blank");
    int not_blank = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            if (!(x >= 220 && y < 20)) not_blank += blank.At(x, y) != 0x00FF;
    EXPECT_EQ(not_blank, 0);
}

TEST_F(UiSession, QuitEndsTheProgramFromEveryMode) {
    for (int m = 0; m < 4; ++m) {
        std::string script;
        if (m > 0) script += "tap 230 10\ntap 230 " + std::to_string(20 * m + 10) + "\n";
        script += "shot before_quit.png\ntap 230 10\ntap 230 90\nwait 200\nshot after_quit.png\n";
        std::remove((folder_ + "/after_quit.png").c_str());
        ASSERT_EQ(RunText(script), 0) << "mode " << m << ": " << output_;
        ExpectSelectorShows(Shot("before_quit.png"), m, "before quitting");
        EXPECT_TRUE(QuitBeforeTheScriptEnded()) << "mode " << m;
        EXPECT_FALSE(Exists(folder_ + "/after_quit.png")) << "mode " << m;
    }
}

// ---------------------------------------------------------------------------
// Stroke preview
// ---------------------------------------------------------------------------
// Darkest channel sum of the pixels around (x, y): the preview line is black.
int Darkness(const Words& shot, int x, int y) {
    int best = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const uint16_t p = shot.At(x + dx, y + dy);
            const int level = 62 - ((p >> 11) + (p & 31) + ((p >> 5) & 63) / 2);
            if (level > best) best = level;
        }
    }
    return best;
}

TEST_F(UiSession, StrokePreviewIsDrawnOverTheSavedScreen) {
    ASSERT_EQ(Run(KN_TEST_DIR "/scripts/ui_stroke_preview.script"), 0) << output_;
    const Words before = Shot("before.png");
    const Words straight = Shot("straight.png");
    const Words bent = Shot("bent.png");
    ASSERT_EQ(before.width, 240);
    ASSERT_EQ(straight.width, 240);
    ASSERT_EQ(bent.width, 240);

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

// ---------------------------------------------------------------------------
// Desktop window
// ---------------------------------------------------------------------------
bool OnPath(const char* tool) {
    const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The real window under a virtual X server, driven through the selector to
// quit with mouse clicks.
TEST_F(UiSession, DesktopWindowQuitsThroughTheSelector) {
    if (!OnPath("Xvfb") || !OnPath("xdotool"))
        GTEST_SKIP() << "Xvfb or xdotool is not installed: the desktop window is not tried";
    const std::string display = ":" + std::to_string(90 + getpid() % 400);
    const std::string log = folder_ + "/desktop.txt";
    const std::string script =
        "Xvfb " + display + " -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!\n"
        "export DISPLAY=" + display + "\n"
        "for i in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done\n"
        // The desktop's system libraries (D-Bus under SDL) keep allocations
        // at exit; leak checking stays on for the headless sessions.
        "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
        "SDL_VIDEODRIVER=x11 timeout 60 '" KN_EXECUTABLE "' --scale 1 --root '" KN_ASSET_DIR
        "/device' >'" + log + "' 2>&1 & program=$!\n"
        "window=$(timeout 20 xdotool search --sync --name KalveNorix | head -n 1)\n"
        "sleep 0.5\n"
        "xdotool mousemove --window \"$window\" 230 10 click 1; sleep 0.5\n"
        "xdotool mousemove --window \"$window\" 230 90 click 1\n"
        "wait $program; status=$?\n"
        "kill $xvfb; wait $xvfb 2>/dev/null\n"
        "exit $status\n";
    const std::string path = folder_ + "/desktop.sh";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(script.c_str(), f);
    std::fclose(f);
    const int raw = std::system(("bash '" + path + "'").c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    EXPECT_EQ(status, 0) << ReadBytes(log);
}

}  // namespace
