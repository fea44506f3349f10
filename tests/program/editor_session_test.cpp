// The drawing editor as a user drives it: the kalvenorix executable runs a
// session script with every tool, the colour picker and the library, and the
// screenshots it writes are checked.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawing/colour.h"
#include "platform/host_files.h"

namespace {

// A screenshot as colour words (the PNG holds r << 3, g << 2, b << 3).
struct Shot {
    std::vector<uint16_t> words;
    bool ok = false;
    uint16_t at(int x, int y) const { return words[x + y * 240]; }
};

Shot ReadShot(const std::string& path) {
    Shot shot;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return shot;
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    DecodedImage image;
    if (!DecodeImageMemory(bytes.data(), bytes.size(), &image)) return shot;
    if (image.width == 240 && image.height == 320) {
        shot.words.resize(240 * 320);
        for (int i = 0; i < 240 * 320; ++i)
            shot.words[i] = PackColourWord(image.rgb[3 * i], image.rgb[3 * i + 1], image.rgb[3 * i + 2]);
        shot.ok = true;
    }
    FreeDecodedImage(&image);
    return shot;
}

class EditorSessionProgram : public testing::Test {
  protected:
    // Runs the script once for all cases: a device root without a skin
    // picture, so that only the program's own faces appear in the top bar.
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/kn_editor_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        const std::string root = folder_ + "/root";
        const std::string setup = "mkdir -p '" + root + "/tovu' '" + folder_ + "/out'";
        ASSERT_EQ(std::system(setup.c_str()), 0);
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 300 '" +
            std::string(KN_EXECUTABLE) + "' --script '" + KN_TEST_DIR +
            "/scripts/editor_every_tool.script' --out '" + folder_ + "/out' --root '" + root +
            "' >/dev/null 2>&1 </dev/null";
        const int raw = std::system(command.c_str());
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    static void TearDownTestSuite() {
        const std::string command = "rm -rf '" + folder_ + "'";
        (void)std::system(command.c_str());
    }
    static Shot Load(const char* name) {
        Shot shot = ReadShot(folder_ + "/out/" + name);
        EXPECT_TRUE(shot.ok) << name;
        return shot;
    }
    static std::string folder_;
    static int status_;
};

std::string EditorSessionProgram::folder_;
int EditorSessionProgram::status_ = -1;

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kBlack = 0x0000;

// Dark enough to be a line of a black outline (anti-aliased).
bool Dark(uint16_t w) { return (w >> 11) < 16; }
// A line through (x, y): screen points make a round trip through drawing
// units, which may move them up or left by a pixel.
bool DarkNear(const Shot& shot, int x, int y) {
    for (int dy = -2; dy <= 1; ++dy)
        if (Dark(shot.at(x, y + dy))) return true;
    return false;
}

TEST_F(EditorSessionProgram, TheSessionRunsToItsEnd) { EXPECT_EQ(status_, 0); }

TEST_F(EditorSessionProgram, FreehandRectangleAndEllipseTools) {
    const Shot outlines = Load("01-outlines.png");
    if (!outlines.ok) return;
    for (int x = 35; x <= 95; x += 10) {
        EXPECT_TRUE(DarkNear(outlines, x, 60)) << x;
        EXPECT_TRUE(DarkNear(outlines, x, 80)) << x;
    }
    EXPECT_EQ(outlines.at(60, 70), kWhite);

    const Shot filled = Load("02-filled.png");
    if (!filled.ok) return;
    EXPECT_EQ(filled.at(165, 70), kBlack);
    EXPECT_EQ(filled.at(165, 110), kWhite);

    const Shot rectangle = Load("03-rectangle.png");
    if (!rectangle.ok) return;
    EXPECT_EQ(rectangle.at(60, 145), kBlack);
    EXPECT_EQ(rectangle.at(33, 123), kBlack);
    EXPECT_EQ(rectangle.at(95, 145), kWhite);
    EXPECT_EQ(rectangle.at(60, 175), kWhite);

    // Centred on the press point (160, 150), radii 30 and 20.
    const Shot ellipse = Load("04-ellipse.png");
    if (!ellipse.ok) return;
    EXPECT_EQ(ellipse.at(160, 150), kBlack);
    EXPECT_EQ(ellipse.at(135, 150), kBlack);
    EXPECT_EQ(ellipse.at(160, 166), kBlack);
    EXPECT_EQ(ellipse.at(160, 175), kWhite);
    EXPECT_EQ(ellipse.at(195, 150), kWhite);
    EXPECT_EQ(ellipse.at(135, 135), kWhite);  // outside the rounded corner
}

TEST_F(EditorSessionProgram, ThePickerShowsTheChosenColourAndTheNextShapeTakesIt) {
    int32_t r, g, b;
    HslToRgb(160, 238, 118, &r, &g, &b);
    const uint16_t blue = PackColourWord(r, g, b);

    const Shot picker = Load("05-picker.png");
    if (!picker.ok) return;
    EXPECT_EQ(picker.at(120, 205), blue);  // preview
    EXPECT_EQ(picker.at(190, 10), blue);   // colour button
    EXPECT_EQ(picker.at(10, 150), PackColourWord(200, 200, 200));  // panel
    // The square at column 10, row 20 shows hue 160 at saturation 20, lightness 40.
    HslToRgb(160, 20, 40, &r, &g, &b);
    EXPECT_EQ(picker.at(70, 50), PackColourWord(r, g, b));
    // The alpha marker sits at the bottom (alpha 255 from start-up).
    EXPECT_EQ(picker.at(30, 30 + 254), kBlack);

    const Shot next = Load("06-blue.png");
    if (!next.ok) return;
    EXPECT_EQ(next.at(75, 260), blue);
    EXPECT_EQ(next.at(190, 10), blue);
    EXPECT_EQ(next.at(160, 150), kBlack);  // the earlier ellipse keeps its colour
}

TEST_F(EditorSessionProgram, SelectDragAndShapeActions) {
    // The rectangle (30, 120)-(90, 170) moved down by 100 and right by 20.
    const Shot moved = Load("07-moved.png");
    if (!moved.ok) return;
    EXPECT_EQ(moved.at(60, 145), kWhite);
    EXPECT_EQ(moved.at(60, 230), kBlack);
    EXPECT_EQ(moved.at(105, 240), kBlack);
    // The marching box runs one pixel outside the moved rectangle: on its top
    // row some pixels are inverted (black on white), some not.
    int inverted = 0;
    for (int x = 50; x < 110; ++x) inverted += moved.at(x, 219) == kBlack;
    EXPECT_GT(inverted, 20);
    EXPECT_LT(inverted, 40);

    // The copy lies one pixel further on and is an outline: the area the
    // original covers stays black, the copy's right edge shows beside it.
    const Shot actions = Load("08-actions.png");
    if (!actions.ok) return;
    EXPECT_EQ(actions.at(60, 230), kBlack);
    EXPECT_EQ(actions.at(140, 230), kWhite);
}

TEST_F(EditorSessionProgram, VertexDragAndVertexActions) {
    // The copy's first vertex went to (30, 195): a line now runs from there
    // to the copy's second corner at about (111, 221).
    const Shot vertex = Load("09-vertex.png");
    if (!vertex.ok) return;
    for (int x = 40; x <= 100; x += 10)
        EXPECT_TRUE(DarkNear(vertex, x, 195 + (x - 30) * 26 / 81)) << x;
    // The selected handle is drawn around the dragged vertex.
    int handle = 0;
    for (int dx = -5; dx <= 5; ++dx)
        for (int dy = -5; dy <= 5; ++dy) handle += vertex.at(30 + dx, 195 + dy) != kWhite;
    EXPECT_GT(handle, 4);

    // After insert and delete the line starts halfway along instead.
    const Shot after = Load("10-vertex-actions.png");
    if (!after.ok) return;
    EXPECT_EQ(after.at(35, 197), kWhite);
}

TEST_F(EditorSessionProgram, LibraryChooserAndNewDrawingSwitchSlots) {
    const Shot slot_b = Load("11-slot-b.png");
    const Shot slot_a = Load("12-slot-a.png");
    const Shot fresh = Load("13-new-drawing.png");
    if (!slot_b.ok || !slot_a.ok || !fresh.ok) return;
    // Slot B was never used: an empty canvas.
    int marks = 0;
    for (int y = 21; y < 320; ++y)
        for (int x = 0; x < 240; ++x) marks += slot_b.at(x, y) != kWhite;
    EXPECT_EQ(marks, 0);
    // Slot A comes back with its shapes.
    EXPECT_EQ(slot_a.at(165, 70), kBlack);
    EXPECT_NE(slot_a.at(75, 260), kWhite);
    // The letter box shows a different letter for slot B than for slot A.
    int differ = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) differ += slot_a.at(x, y) != slot_b.at(x, y);
    EXPECT_GT(differ, 0);
    // The new drawing is empty again.
    EXPECT_EQ(fresh.at(165, 70), kWhite);
    EXPECT_EQ(fresh.at(75, 260), kWhite);
}

}  // namespace
