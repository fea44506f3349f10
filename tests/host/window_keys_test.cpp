// Undo and redo through the real desktop window: keys typed with xdotool
// under a virtual X server. What the window did is read back from the
// workspace it saves when it quits.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "support/virtual_display.h"

namespace {

// The shape count of the edited drawing in a workspace file: the DRAW
// section holds u16 vertices, 6 bytes each, then u16 shapes. -1 without one.
int SavedShapes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string s = bytes.str();
    const size_t at = s.find("DRAW");
    if (at == std::string::npos || at + 10 > s.size()) return -1;
    const auto u16 = [&s](size_t i) { return static_cast<uint8_t>(s[i]) | static_cast<uint8_t>(s[i + 1]) << 8; };
    const size_t shapes = at + 8 + 2 + 6 * static_cast<size_t>(u16(at + 8));
    return shapes + 2 <= s.size() ? u16(shapes) : -1;
}

// Draws a rectangle (key 3, then a drag), types the keys, quits through the
// mode selector; the number of shapes the window kept.
int ShapesAfter(const std::string& keys) {
    char folder[] = "/tmp/kn-window-XXXXXX";
    const std::string dir = mkdtemp(folder);
    const std::string script =
        "cd " + dir + "\n" + kStartVirtualDisplay +
        "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 SDL_VIDEODRIVER=x11 timeout 60 '" KN_EXECUTABLE
        "' --scale 1 --workspace " + dir + "/w.knw >/dev/null 2>&1 & program=$!\n"
        "w=$(timeout 20 xdotool search --sync --name KalveNorix | head -n 1)\n"
        "sleep 1; xdotool windowfocus --sync \"$w\" 2>/dev/null; xdotool key --window \"$w\" 3; sleep 0.5\n"
        "xdotool mousemove --window \"$w\" 60 100 mousedown 1; sleep 0.2\n"
        "xdotool mousemove --window \"$w\" 90 130; sleep 0.2; xdotool mousemove --window \"$w\" 120 160; sleep 0.2\n"
        "xdotool mouseup 1; sleep 0.5\n"
        "for k in " + keys + "; do xdotool key --window \"$w\" $k; sleep 0.5; done\n"
        "for i in $(seq 20); do\n"
        "  kill -0 $program 2>/dev/null || break\n"
        "  xdotool mousemove --window \"$w\" 230 10 click 1 2>/dev/null; sleep 0.5\n"
        "  xdotool mousemove --window \"$w\" 230 90 click 1 2>/dev/null; sleep 1\n"
        "done\n"
        "wait $program; kill $xvfb; wait $xvfb 2>/dev/null\n";
    std::ofstream(dir + "/run.sh") << script;
    std::system(("bash " + dir + "/run.sh").c_str());
    const int shapes = SavedShapes(dir + "/w.knw");
    std::system(("rm -rf " + dir).c_str());
    return shapes;
}

TEST(WindowKeys, UndoAndRedoReachTheModelThroughTheWindow) {
    if (!CanOpenVirtualDisplay())
        GTEST_SKIP() << "Xvfb or xdotool is not installed: the desktop window is not tried";
    EXPECT_EQ(ShapesAfter(""), 1) << "the rectangle drawn in the window";
    EXPECT_EQ(ShapesAfter("ctrl+z"), 0) << "undone";
    EXPECT_EQ(ShapesAfter("ctrl+z ctrl+shift+z"), 1) << "undone and redone";
}

}  // namespace
