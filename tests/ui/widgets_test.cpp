#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/test_surface.h"
#include "ui/ui_loop.h"
#include "widget_records.h"

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

// One widget drawn on black: each probe is a screen pixel and the skin pixel
// it must show, or {-1, -1} for black.
struct SkinRow {
    WidgetRecord w;
    int32_t value;
    uint8_t pressed;
    std::vector<std::array<int, 4>> probes;
};

TEST_F(SkinCopies, WidgetsCopyTheirItemsAndHighlightsFromTheSkin) {
    int32_t v = 0;
    const SkinRow rows[] = {
        // (x2 - x1) x (y2 - y1) pixels of the image, the pressed image while pressed.
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 0,
         {{100, 100, 2, 3}, {109, 104, 11, 7}, {110, 104, -1, -1}, {109, 105, -1, -1}}},
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 1, {{100, 100, 20, 30}}},
        // A list strip adds its current item from the row below, or the column to the right.
        {Record(kListStripHorizontal, 1, 20, 0, 50, 20, 0, 10, 15, 20, &v), 1, 0,
         {{20, 0, 0, 10}, {35, 0, 15, 30}, {49, 19, 29, 49}}},
        {Record(kListStripVertical, 1, 200, 0, 210, 40, 4, 0, 10, 10, &v), 2, 0,
         {{200, 0, 4, 0}, {200, 20, 14, 20}, {209, 29, 23, 29}, {200, 30, 4, 30}}},
        // A button strip highlights only while pressed.
        {Record(kButtonStripHorizontal, 1, 20, 0, 50, 20, 0, 10, 15, 20, &v), 1, 0,
         {{35, 0, 15, 10}}},
        {Record(kButtonStripHorizontal, 1, 20, 0, 50, 20, 0, 10, 15, 20, &v), 1, 1,
         {{35, 0, 15, 30}}},
        // A chooser shows only its current item, highlighted.
        {Record(kChooserVertical, 1, 220, 0, 240, 20, 0, 0, 20, 10, &v, 5), 2, 0,
         {{220, 0, 20, 20}, {239, 9, 39, 29}, {220, 10, -1, -1}}},
        {Record(kChooserHorizontal, 1, 0, 100, 10, 110, 0, 0, 10, 10, &v, 5), 2, 0,
         {{0, 100, 20, 10}}},
    };
    for (const SkinRow& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << int(r.w.type) << ", pressed "
                                        << int(r.pressed));
        ResetTestSurface(0x0000);
        WidgetRecord w = r.w;
        w.pressed = r.pressed;
        v = r.value;
        DrawWidget(w, skin_);
        for (const auto& p : r.probes) {
            const uint16_t expected = p[2] < 0 ? 0 : SkinAt(p[2], p[3]);
            EXPECT_EQ(PixelAt(p[0], p[1]), expected) << p[0] << "," << p[1];
        }
    }
}

TEST_F(SkinCopies, ItemIndicesOutsideThePictureDrawNothing) {
    int32_t v = 40;
    WidgetRecord w = Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5);
    DrawWidget(w, skin_);
    v = -1;
    DrawWidget(w, skin_);
    WidgetRecord strip = Record(kListStripHorizontal, 1, 0, 100, 60, 120, 0, 0, 20, 20, &v);
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
        Record(kImageButton, 1, 0, 0, 20, 20),
        Record(kListStripVertical, 1, 20, 0, 40, 100, 0, 0, 20, 20, &v),
        Record(kButtonStripHorizontal, 1, 40, 0, 80, 20, 0, 0, 20, 20, &v),
        Record(kChooserHorizontal, 1, 80, 0, 100, 20, 0, 0, 20, 20, &v, 3),
        Area(1, 0, 0, 239, 319),
    };
    image[2].pressed = 1;
    for (const WidgetRecord& w : image) DrawWidget(w, nullptr);
    EXPECT_EQ(CountPixelsNot(0x1111), 0);
    faces = 0;
    DrawWidget(Record(kCustomWidget, 1, 0, 0, 9, 9, WidgetParam(Face)), nullptr);
    DrawWidget(Record(kCellGrid, 1, 0, 0, 9, 9, WidgetParam(&v), 1, 1, WidgetParam(GridFace)),
               nullptr);
    DrawWidget(Record(kCustomWidget, 1, 0, 0, 9, 9), nullptr);  // null face
    DrawWidget(Record(kCellGrid, 1, 0, 0, 9, 9, WidgetParam(&v), 1, 1), nullptr);
    EXPECT_EQ(faces, 11);
}

TEST(WidgetDrawing, TableDrawsActivePagesInPlace) {
    ResetTestSurface(0x1111);
    int32_t selector = 1;
    faces = 0;
    WidgetRecord inner[] = {Record(kCustomWidget, 1, 0, 0, 1, 1, WidgetParam(Face)), End()};
    WidgetRecord table[] = {
        PageOf(&selector, 1, inner),
        PageOf(&selector, 2, inner),
        End(),
        Record(kCustomWidget, 1, 0, 0, 1, 1, WidgetParam(Face)),  // after End: never drawn
    };
    DrawTable(ui, table);
    EXPECT_EQ(faces, 1);
    selector = 3;
    DrawTable(ui, table);
    EXPECT_EQ(faces, 1);
    EXPECT_EQ(CountPixelsNot(0x1111), 0);
}

bool IsGreenTab(uint16_t p) { return p == PackColourWord(0, 200, 0); }
bool IsYellowTab(uint16_t p) { return p == PackColourWord(200, 200, 0); }

TEST(WidgetDrawing, NumberTabsRunLeftFromTheRightEndWithTheSelectedOneYellow) {
    int32_t count = 0, selected = 1;
    const WidgetRecord tabs =
        Record(kNumberTabs, 1, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&selected));
    // No tabs: only the line.
    ResetTestSurface(0xFFFF);
    DrawWidget(tabs, nullptr);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 239 - 30 + 1);
    EXPECT_EQ(PixelAt(30, 309), 0);
    EXPECT_EQ(PixelAt(239, 309), 0);

    // Box k spans x2 - 14 - 14k .. x2 - 14k; sample its fill beside label and bar.
    count = 3;
    ResetTestSurface(0xFFFF);
    DrawWidget(tabs, nullptr);
    EXPECT_TRUE(IsGreenTab(PixelAt(237, 312)));   // tab 0 ("1")
    EXPECT_TRUE(IsYellowTab(PixelAt(213, 312)));  // tab 1, selected
    EXPECT_TRUE(IsGreenTab(PixelAt(208, 312)));   // tab 2
    EXPECT_EQ(PixelAt(100, 312), 0xFFFF);         // no tab 3
}

TEST(WidgetDrawing, LetterTabsRunDownFromTheTop) {
    ResetTestSurface(0xFFFF);
    int32_t count = 2, selected = 0;
    DrawWidget(Record(kLetterTabs, 1, 0, 20, 19, 300, WidgetParam(&count), WidgetParam(&selected)),
               nullptr);
    EXPECT_TRUE(IsYellowTab(PixelAt(3, 30)));  // tab 0 ("A"), selected
    EXPECT_TRUE(IsGreenTab(PixelAt(16, 42)));  // tab 1 ("B")
    EXPECT_EQ(PixelAt(9, 200), 0);             // the line runs on below the tabs
    EXPECT_EQ(PixelAt(3, 200), 0xFFFF);
}

}  // namespace
