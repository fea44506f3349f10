#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_surface.h"
#include "ui/ui_loop.h"

namespace {

// A 64 x 64 skin whose every pixel names its own position: red carries x,
// green carries y, so a copied pixel tells where in the skin it came from.
class SkinCopies : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTestSurface(0x0000);
        std::vector<uint8_t> rgb(64 * 64 * 3);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                uint8_t* p = &rgb[(y * 64 + x) * 3];
                p[0] = static_cast<uint8_t>((x & 31) << 3);
                p[1] = static_cast<uint8_t>(y << 2);
                p[2] = static_cast<uint8_t>((x >> 5) << 7 | 8);  // never all zero
            }
        }
        skin_ = PictureFromRgb(surface, 64, 64, rgb.data());
        ASSERT_NE(skin_, nullptr);
    }
    void TearDown() override { FreeSkinPicture(skin_); }
    uint16_t SkinAt(int x, int y) const { return skin_->words[y * 64 + x]; }
    SkinPicture* skin_ = nullptr;
};

WidgetRecord Record(uint8_t type, int x1, int y1, int x2, int y2, intptr_t a, intptr_t b,
                    intptr_t c, intptr_t d, int32_t* bound = nullptr, int32_t count = 0) {
    return {type, 1, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), a, b, c, d, bound, count, 0};
}

TEST_F(SkinCopies, ImageButtonShowsItsPressedImageWhilePressed) {
    WidgetRecord w = Record(kImageButton, 100, 100, 110, 105, 2, 3, 20, 30);
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(100, 100), SkinAt(2, 3));
    EXPECT_EQ(PixelAt(109, 104), SkinAt(11, 7));
    EXPECT_EQ(PixelAt(110, 104), 0);  // (x2 - x1) x (y2 - y1) pixels
    EXPECT_EQ(PixelAt(109, 105), 0);
    w.pressed = 1;
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(100, 100), SkinAt(20, 30));
}

TEST_F(SkinCopies, ListStripAddsTheCurrentItemFromTheRowBelow) {
    int32_t v = 1;
    WidgetRecord w = Record(kListStripHorizontal, 20, 0, 50, 20, 0, 10, 15, 20, &v);
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(20, 0), SkinAt(0, 10));   // plain item 0
    EXPECT_EQ(PixelAt(35, 0), SkinAt(15, 30));  // item 1 highlighted, from the row below
    EXPECT_EQ(PixelAt(49, 19), SkinAt(29, 49));
}

TEST_F(SkinCopies, VerticalStripHighlightsFromTheColumnToTheRight) {
    int32_t v = 2;
    WidgetRecord w = Record(kListStripVertical, 200, 0, 210, 40, 4, 0, 10, 10, &v);
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(200, 0), SkinAt(4, 0));
    EXPECT_EQ(PixelAt(200, 20), SkinAt(14, 20));
    EXPECT_EQ(PixelAt(209, 29), SkinAt(23, 29));
    EXPECT_EQ(PixelAt(200, 30), SkinAt(4, 30));
}

TEST_F(SkinCopies, ButtonStripHighlightsOnlyWhilePressed) {
    int32_t v = 1;
    WidgetRecord w = Record(kButtonStripHorizontal, 20, 0, 50, 20, 0, 10, 15, 20, &v);
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(35, 0), SkinAt(15, 10));
    w.pressed = 1;
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(35, 0), SkinAt(15, 30));
}

TEST_F(SkinCopies, ChooserShowsOnlyItsCurrentItemHighlighted) {
    int32_t v = 2;
    WidgetRecord w = Record(kChooserVertical, 220, 0, 240, 20, 0, 0, 20, 10, &v, 5);
    DrawWidget(w, skin_);
    EXPECT_EQ(PixelAt(220, 0), SkinAt(20, 20));
    EXPECT_EQ(PixelAt(239, 9), SkinAt(39, 29));
    EXPECT_EQ(PixelAt(220, 10), 0);  // one item only
    WidgetRecord h = Record(kChooserHorizontal, 0, 100, 10, 110, 0, 0, 10, 10, &v, 5);
    DrawWidget(h, skin_);
    EXPECT_EQ(PixelAt(0, 100), SkinAt(20, 10));
}

TEST_F(SkinCopies, ItemIndicesOutsideThePictureDrawNothing) {
    int32_t v = 40;
    WidgetRecord w = Record(kChooserVertical, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5);
    DrawWidget(w, skin_);
    v = -1;
    DrawWidget(w, skin_);
    WidgetRecord strip = Record(kListStripHorizontal, 0, 100, 60, 120, 0, 0, 20, 20, &v);
    v = 1 << 30;
    DrawWidget(strip, skin_);
    EXPECT_EQ(PixelAt(0, 0), 0);
    EXPECT_EQ(PixelAt(0, 100), SkinAt(0, 0));  // the plain strip is still there
    EXPECT_EQ(PixelAt(20, 100), SkinAt(20, 0));
}

int faces = 0;
void Face(const WidgetRecord&, const SkinPicture*) { ++faces; }
void GridFace(const WidgetRecord&) { faces += 10; }

TEST(WidgetDrawing, WithoutASkinImagesDrawNothingAndFacesStillDraw) {
    ResetTestSurface(0x1111);
    int32_t v = 0;
    WidgetRecord image[] = {
        Record(kImageButton, 0, 0, 20, 20, 0, 0, 0, 0),
        Record(kListStripVertical, 20, 0, 40, 100, 0, 0, 20, 20, &v),
        Record(kButtonStripHorizontal, 40, 0, 80, 20, 0, 0, 20, 20, &v),
        Record(kChooserHorizontal, 80, 0, 100, 20, 0, 0, 20, 20, &v, 3),
        Record(kHitArea, 0, 0, 239, 319, 0, 0, 0, 0),
    };
    image[2].pressed = 1;
    for (const WidgetRecord& w : image) DrawWidget(w, nullptr);
    EXPECT_EQ(CountPixelsNot(0x1111), 0);
    faces = 0;
    DrawWidget(Record(kCustomWidget, 0, 0, 9, 9, WidgetParam(Face), 0, 0, 0), nullptr);
    DrawWidget(Record(kCellGrid, 0, 0, 9, 9, WidgetParam(&v), 1, 1, WidgetParam(GridFace)),
               nullptr);
    DrawWidget(Record(kCustomWidget, 0, 0, 9, 9, 0, 0, 0, 0), nullptr);  // null face
    DrawWidget(Record(kCellGrid, 0, 0, 9, 9, WidgetParam(&v), 1, 1, 0), nullptr);
    EXPECT_EQ(faces, 11);
}

TEST(WidgetDrawing, TableDrawsActivePagesInPlace) {
    ResetTestSurface(0x1111);
    int32_t selector = 1;
    faces = 0;
    WidgetRecord inner[] = {Record(kCustomWidget, 0, 0, 1, 1, WidgetParam(Face), 0, 0, 0),
                            Record(kEnd, 0, 0, 0, 0, 0, 0, 0, 0)};
    WidgetRecord table[] = {
        Record(kPage, 0, 0, 0, 0, WidgetParam(&selector), 1, WidgetParam(inner), 0),
        Record(kPage, 0, 0, 0, 0, WidgetParam(&selector), 2, WidgetParam(inner), 0),
        Record(kEnd, 0, 0, 0, 0, 0, 0, 0, 0),
        Record(kCustomWidget, 0, 0, 1, 1, WidgetParam(Face), 0, 0, 0),  // after End: never drawn
    };
    DrawTable(ui, table);
    EXPECT_EQ(faces, 1);
    selector = 3;
    DrawTable(ui, table);
    EXPECT_EQ(faces, 1);
    EXPECT_EQ(CountPixelsNot(0x1111), 0);
}

// ---------------------------------------------------------------------------
// Tabs
// ---------------------------------------------------------------------------
bool IsGreenTab(uint16_t p) { return p == PackColourWord(0, 200, 0); }
bool IsYellowTab(uint16_t p) { return p == PackColourWord(200, 200, 0); }

TEST(WidgetDrawing, NumberTabsWithNoTabsDrawOnlyTheirLine) {
    ResetTestSurface(0xFFFF);
    int32_t count = 0, selected = 0;
    DrawWidget(Record(kNumberTabs, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&selected),
                      0, 0),
               nullptr);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 239 - 30 + 1);
    EXPECT_EQ(PixelAt(30, 309), 0);
    EXPECT_EQ(PixelAt(239, 309), 0);
}

TEST(WidgetDrawing, NumberTabsRunLeftFromTheRightEndWithTheSelectedOneYellow) {
    ResetTestSurface(0xFFFF);
    int32_t count = 3, selected = 1;
    DrawWidget(Record(kNumberTabs, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&selected),
                      0, 0),
               nullptr);
    // Box k spans x2 - 14 - 14k .. x2 - 14k; sample its fill beside label and bar.
    EXPECT_TRUE(IsGreenTab(PixelAt(237, 312)));   // tab 0 ("1")
    EXPECT_TRUE(IsYellowTab(PixelAt(213, 312)));  // tab 1, selected
    EXPECT_TRUE(IsGreenTab(PixelAt(208, 312)));   // tab 2
    EXPECT_EQ(PixelAt(100, 312), 0xFFFF);         // no tab 3
}

TEST(WidgetDrawing, LetterTabsRunDownFromTheTop) {
    ResetTestSurface(0xFFFF);
    int32_t count = 2, selected = 0;
    DrawWidget(Record(kLetterTabs, 0, 20, 19, 300, WidgetParam(&count), WidgetParam(&selected), 0,
                      0),
               nullptr);
    EXPECT_TRUE(IsYellowTab(PixelAt(3, 30)));  // tab 0 ("A"), selected
    EXPECT_TRUE(IsGreenTab(PixelAt(16, 42)));  // tab 1 ("B")
    EXPECT_EQ(PixelAt(9, 200), 0);             // the line runs on below the tabs
    EXPECT_EQ(PixelAt(3, 200), 0xFFFF);
}

}  // namespace
