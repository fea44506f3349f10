#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_surface.h"
#include "surface/pen.h"
#include "surface/pick_list.h"

// Overlapping rectangles take turns at one point, edges inclusive; a miss
// or a reset starts the turns again.
TEST(PickList, TapsCycleThroughTheRectanglesUnderThePoint) {
    for (int round = 0; round < 2; ++round) {
        ResetPickList();
        AddPickRect(0, 0, 10, 10, 5), AddPickRect(5, 5, 20, 20, 7), AddPickRect(30, 30, 40, 40, 9);
        EXPECT_EQ(PickOwner(6, 6), 5);
    }
    const int picks[][3] = {{6, 6, 7}, {6, 6, 5}, {6, 6, 7}, {35, 35, 9}, {35, 35, 9}, {40, 40, 9}, {41, 40, -1}, {40, 41, -1}, {6, 6, 5}, {0, 0, 5}, {20, 20, 7}};
    for (const auto& p : picks) EXPECT_EQ(PickOwner(int16_t(p[0]), int16_t(p[1])), p[2]) << p[0] << "," << p[1];
    ResetPickList();
    EXPECT_EQ(PickOwner(0, 0), -1);
}

// The back buffer holds exactly the pixels of the layout, wherever the
// pitches put pixel (0, 0); other depths and absurd sizes get none. Clearing
// fills with the pen's word; a saved screen comes back whole.
TEST(ScreenSurface, TheBufferFitsTheLayoutAndClearsSavesAndRestoresWhole) {
    const GXDisplayProperties layouts[] = {kPortraitDisplay, {240, 320, 2, -480, 16, 0}, {240, 320, -2, -480, 16, 0},
                                           {240, 320, 640, -2, 16, 0}, {240, 320, 2, 480, 8, 0}, {1u << 31, 1u << 31, 1 << 30, 1 << 30, 16, 0}};
    for (const GXDisplayProperties& d : layouts) {
        ScreenSurface s{};
        InitScreenSurfaceFrom(s, d);
        ASSERT_EQ(s.pixel_base != nullptr, d.bits_per_pixel == 16 && d.width == 240) << d.x_pitch << "," << d.y_pitch;
        ClearSurface(s);
        if (s.pixel_base == nullptr) continue;
        std::vector<int> uses(kScreenWidth * kScreenHeight);
        for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) uses.at(i % kScreenWidth * s.x_step + i / kScreenWidth * s.y_step - s.min_offset) += 1;
        EXPECT_TRUE(s.pixel_base + s.min_offset == s.buffer_allocation && s.edges.max_row == -1 &&
                    std::count(uses.begin(), uses.end(), 1) == kScreenWidth * kScreenHeight) << d.x_pitch << "," << d.y_pitch;
        FreeScreenSurface(s);
    }
    std::vector<uint8_t> saved(kScreenBytes);
    ResetTestSurface(0x0F0F), SaveSurface(surface, saved.data());
    surface.pen_colour.word = 0x1200, ClearSurface(surface);
    EXPECT_EQ(CountPixelsNot(0x1200), 0);
    RestoreSurface(surface, saved.data());
    EXPECT_EQ(CountPixelsNot(0x0F0F), 0);
}

// RGB bytes become words of 5, 5 and 5 bits (the green's low bit dropped).
// Blits clip to the surface and to the
// picture, which the user may have replaced with a smaller one. Rows: to x, y,
// size w, h, from x, y, what it returns, pixels changed, a pixel and its word.
TEST(SkinPicture, RgbBecomesColourWordsAndBlitsClipToSurfaceAndPicture) {
    ResetTestSurface();
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 128, 255, 255, 255};
    SkinPicture* p = PictureFromRgb(surface, 5, 1, rgb);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(p->words, p->words + 5), (std::vector<uint16_t>{0xF800, 0x07C0, 0x001F, 0x0010, 0xFFDF}));
    FreeSkinPicture(p);
    EXPECT_EQ(PictureFromRgb(surface, 0, 1, rgb), LoadSkinPicture(surface, "\\no\\such\\file.png"));
    uint16_t words[12] = {0, 1, 2, 3, 100, 101, 102, 103, 200, 201, 202, 203};  // 4 x 3: 100 * y + x
    const SkinPicture picture{words, 4, 3};
    const int rows[][11] = {
        {10, 20, 2, 2, 1, 1, 1, 4, 11, 21, 202}, {-2, 0, 4, 1, 0, 0, 1, 2, 0, 0, 2}, {241, 0, 2, 2, 0, 0, 1, 0}, {0, 320, 2, 2, 0, 0, 1, 0},
        {238, 318, 5, 5, 0, 0, 1, 4, 239, 319, 101}, {0, 0, 20, 20, 2, 1, 1, 4, 1, 1, 203}, {0, 0, 20, 20, 10, 10, 1, 0}, {0, 0, 0, 1, 0, 0, 0, 0},
        {0, 0, 1, 0, 0, 0, 0, 0}, {0, 0, 1, 1, -1, 0, 0, 0}, {0, 0, 1, 1, 0, -1, 0, 0}};
    for (const auto& r : rows) {
        ResetTestSurface();
        const int returned = BlitPicture(surface, r[0], r[1], r[2], r[3], &picture, r[4], r[5]);
        EXPECT_TRUE(returned == r[6] && CountPixelsNot(0xFFFF) == r[7] && PixelAt(r[8], r[9]) == (r[7] ? r[10] : 0xFFFF)) << r[0] << "," << r[1];
    }
    EXPECT_EQ(BlitPicture(surface, 0, 0, 1, 1, nullptr, 0, 0), 0);
}

// Each row (destination, pen, alpha, XOR, coverage, result) writes one pixel
// through the plain slot (coverage -1) or the coverage slot, where only the
// low byte counts. (The robustness test compares runs with plain plots.)
TEST(Pen, TheSlotsWriteByAlphaXorAndCoverage) {
    const int rows[][6] = {
        {0xFFFF, 0x1234, 255, 0, -1, 0x1234}, {0xFFFF, 0x0000, 255, 0, 128, 0x7BEF},  {0xFFFF, 0x0000, 255, 0, 8, 0xF7BE},  {0x0000, 0xFFFF, 255, 0, 255, 0xF7DE},
        {0x1234, 0x0000, 255, 0, 256, 0x1234}, {0xFFFF, 0x0000, 128, 0, -1, 0x7BEF}, {0xFFFF, 0x0000, 0, 0, -1, 0xFFFF},    {0xFFFF, 0x0000, 1, 0, 255, 0x7BEF},
        {0x1234, 0xFFFF, 255, 1, -1, 0xEDCB}, {0x1234, 0xFFFF, 255, 1, 255, 0x1234}, {0x1234, 0xFFFF, 100, 0x100, -1, 0x6C58}};
    for (const auto& [dest, pen, alpha, xor_flag, coverage, result] : rows) {
        ResetTestSurface(static_cast<uint16_t>(dest));
        SetPenColour(surface, ColourRecord{0, 0, 0, static_cast<uint8_t>(alpha), static_cast<uint16_t>(pen)});
        SelectPenMode(surface, xor_flag);
        surface.current_pixel = surface.pixel_base + 5;
        coverage < 0 ? surface.plain_plot(surface) : surface.coverage_plot(surface, coverage);
        EXPECT_EQ(PixelAt(5, 0), result) << "pen " << pen << " alpha " << alpha << " coverage " << coverage;
    }
}
