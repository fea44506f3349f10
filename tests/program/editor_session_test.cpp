// The drawing editor as a user drives it: the kalvenorix executable runs a
// session script with every tool, the colour picker and the library, and the
// screenshots it writes are checked.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "drawing/colour.h"
#include "headless_run.h"

namespace {

class EditorSessionProgram : public testing::Test {
  protected:
    // Runs the script once for all cases: a device root without a skin
    // picture, so that only the program's own faces appear in the top bar.
    static void SetUpTestSuite() {
        folder_ = new TemporaryFolder;
        const std::string root = folder_->Path() + "/root";
        ASSERT_EQ(mkdir(root.c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root + "/tovu").c_str(), 0755), 0);
        status_ = RunScript("editor_every_tool.script", root, folder_->Path()).status;
    }
    static void TearDownTestSuite() { delete folder_; }
    void SetUp() override { ASSERT_EQ(status_, 0) << "the session runs to its end"; }
    static Picture Load(const char* name) { return LoadShot(folder_->Path(), name); }

    static TemporaryFolder* folder_;
    static int status_;
};

TemporaryFolder* EditorSessionProgram::folder_ = nullptr;
int EditorSessionProgram::status_ = -1;

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kBlack = 0x0000;

// Dark enough to be a line of a black outline (anti-aliased).
bool Dark(uint16_t w) { return (w >> 11) < 16; }
// A line through (x, y): screen points make a round trip through drawing
// units, which may move them up or left by a pixel.
bool DarkNear(const Picture& shot, int x, int y) {
    for (int dy = -2; dy <= 1; ++dy)
        if (Dark(shot.At(x, y + dy))) return true;
    return false;
}

TEST_F(EditorSessionProgram, FreehandRectangleAndEllipseTools) {
    const Picture outlines = Load("01-outlines.png");
    for (int x = 35; x <= 95; x += 10) {
        EXPECT_TRUE(DarkNear(outlines, x, 60)) << x;
        EXPECT_TRUE(DarkNear(outlines, x, 80)) << x;
    }
    EXPECT_EQ(outlines.At(60, 70), kWhite);

    const Picture filled = Load("02-filled.png");
    EXPECT_EQ(filled.At(165, 70), kBlack);
    EXPECT_EQ(filled.At(165, 110), kWhite);

    const Picture rectangle = Load("03-rectangle.png");
    EXPECT_EQ(rectangle.At(60, 145), kBlack);
    EXPECT_EQ(rectangle.At(33, 123), kBlack);
    EXPECT_EQ(rectangle.At(95, 145), kWhite);
    EXPECT_EQ(rectangle.At(60, 175), kWhite);

    // Centred on the press point (160, 150), radii 30 and 20.
    const Picture ellipse = Load("04-ellipse.png");
    EXPECT_EQ(ellipse.At(160, 150), kBlack);
    EXPECT_EQ(ellipse.At(135, 150), kBlack);
    EXPECT_EQ(ellipse.At(160, 166), kBlack);
    EXPECT_EQ(ellipse.At(160, 175), kWhite);
    EXPECT_EQ(ellipse.At(195, 150), kWhite);
    EXPECT_EQ(ellipse.At(135, 135), kWhite);  // outside the rounded corner
}

TEST_F(EditorSessionProgram, ThePickerShowsTheChosenColourAndTheNextShapeTakesIt) {
    int32_t r, g, b;
    HslToRgb(160, 238, 118, &r, &g, &b);
    const uint16_t blue = PackColourWord(r, g, b);

    const Picture picker = Load("05-picker.png");
    EXPECT_EQ(picker.At(120, 205), blue);  // preview
    EXPECT_EQ(picker.At(190, 10), blue);   // colour button
    EXPECT_EQ(picker.At(10, 150), PackColourWord(200, 200, 200));  // panel
    // The square at column 10, row 20 shows hue 160 at saturation 20, lightness 40.
    HslToRgb(160, 20, 40, &r, &g, &b);
    EXPECT_EQ(picker.At(70, 50), PackColourWord(r, g, b));
    // The alpha marker sits at the bottom (alpha 255 from start-up).
    EXPECT_EQ(picker.At(30, 30 + 254), kBlack);

    const Picture next = Load("06-blue.png");
    EXPECT_EQ(next.At(75, 260), blue);
    EXPECT_EQ(next.At(190, 10), blue);
    EXPECT_EQ(next.At(160, 150), kBlack);  // the earlier ellipse keeps its colour
}

TEST_F(EditorSessionProgram, SelectDragAndShapeActions) {
    // The rectangle (30, 120)-(90, 170) moved down by 100 and right by 20.
    const Picture moved = Load("07-moved.png");
    EXPECT_EQ(moved.At(60, 145), kWhite);
    EXPECT_EQ(moved.At(60, 230), kBlack);
    EXPECT_EQ(moved.At(105, 240), kBlack);
    // The marching box runs one pixel outside the moved rectangle: on its top
    // row some pixels are inverted (black on white), some not.
    int inverted = 0;
    for (int x = 50; x < 110; ++x) inverted += moved.At(x, 219) == kBlack;
    EXPECT_GT(inverted, 20);
    EXPECT_LT(inverted, 40);

    // The copy lies one pixel further on and is an outline: the area the
    // original covers stays black, the copy's right edge shows beside it.
    const Picture actions = Load("08-actions.png");
    EXPECT_EQ(actions.At(60, 230), kBlack);
    EXPECT_EQ(actions.At(140, 230), kWhite);
}

TEST_F(EditorSessionProgram, VertexDragAndVertexActions) {
    // The copy's first vertex went to (30, 195): a line now runs from there
    // to the copy's second corner at about (111, 221).
    const Picture vertex = Load("09-vertex.png");
    for (int x = 40; x <= 100; x += 10)
        EXPECT_TRUE(DarkNear(vertex, x, 195 + (x - 30) * 26 / 81)) << x;
    // The selected handle is drawn around the dragged vertex.
    int handle = 0;
    for (int dx = -5; dx <= 5; ++dx)
        for (int dy = -5; dy <= 5; ++dy) handle += vertex.At(30 + dx, 195 + dy) != kWhite;
    EXPECT_GT(handle, 4);

    // After insert and delete the line starts halfway along instead.
    const Picture after = Load("10-vertex-actions.png");
    EXPECT_EQ(after.At(35, 197), kWhite);
}

TEST_F(EditorSessionProgram, LibraryChooserAndNewDrawingSwitchSlots) {
    const Picture slot_b = Load("11-slot-b.png");
    const Picture slot_a = Load("12-slot-a.png");
    const Picture fresh = Load("13-new-drawing.png");
    // Slot B was never used: an empty canvas.
    int marks = 0;
    for (int y = 21; y < 320; ++y)
        for (int x = 0; x < 240; ++x) marks += slot_b.At(x, y) != kWhite;
    EXPECT_EQ(marks, 0);
    // Slot A comes back with its shapes.
    EXPECT_EQ(slot_a.At(165, 70), kBlack);
    EXPECT_NE(slot_a.At(75, 260), kWhite);
    // The letter box shows a different letter for slot B than for slot A.
    int differ = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) differ += slot_a.At(x, y) != slot_b.At(x, y);
    EXPECT_GT(differ, 0);
    // The new drawing is empty again.
    EXPECT_EQ(fresh.At(165, 70), kWhite);
    EXPECT_EQ(fresh.At(75, 260), kWhite);
}

}  // namespace
