#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"
#include "surface/surface.h"

namespace {

GXDisplayProperties Portrait() { return kPortraitDisplay; }

TEST(ScreenSurface, PortraitDisplayGivesOneContiguousBuffer) {
    ScreenSurface s{};
    InitScreenSurfaceFrom(s, Portrait());
    ASSERT_NE(s.pixel_base, nullptr);
    EXPECT_EQ(s.x_step, 1);
    EXPECT_EQ(s.y_step, 240);
    EXPECT_EQ(s.min_offset, 0);
    EXPECT_EQ(s.max_offset, 76799);
    EXPECT_EQ(static_cast<void*>(s.pixel_base), s.buffer_allocation);
    EXPECT_EQ(s.clip_width, 240);
    EXPECT_EQ(s.clip_height, 320);
    EXPECT_EQ(s.edges.min_row, 321);
    EXPECT_EQ(s.edges.max_row, -1);
    EXPECT_EQ(s.edges.pool_next, s.edges.pool);
    EXPECT_EQ(s.pen_alpha, 255);
    EXPECT_EQ(s.plain_plot, &PlotSet);
    EXPECT_EQ(s.coverage_plot, &PlotBlendCoverage);
    FreeScreenSurface(s);
}

TEST(ScreenSurface, NegativePitchPutsPixelZeroInsideTheBlock) {
    // A display mounted upside down: rows run toward lower addresses.
    ScreenSurface s{};
    InitScreenSurfaceFrom(s, {240, 320, 2, -480, 16, 0});
    ASSERT_NE(s.pixel_base, nullptr);
    EXPECT_EQ(s.min_offset, -76560);
    EXPECT_EQ(s.max_offset, 239);
    EXPECT_EQ(s.pixel_base + s.min_offset, static_cast<uint16_t*>(s.buffer_allocation));
    // Clearing and presenting stay inside the block (the sanitizer build checks).
    s.pen_colour.word = 0x1234;
    ClearSurface(s);
    std::vector<uint8_t> copy(kScreenBytes, 0);
    SaveSurface(s, copy.data());
    RestoreSurface(s, copy.data());
    FreeScreenSurface(s);
}

TEST(ScreenSurface, OtherDepthsAndAbsurdGeometriesGetNoBackBuffer) {
    ScreenSurface s{};
    InitScreenSurfaceFrom(s, {240, 320, 2, 480, 8, 0});
    EXPECT_EQ(s.pixel_base, nullptr);
    InitScreenSurfaceFrom(s, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 16, 0});
    EXPECT_EQ(s.pixel_base, nullptr);
    // Nothing reads the missing buffer.
    ClearSurface(s);
    SkinPicture picture{nullptr, 1, 1};
    EXPECT_EQ(BlitPicture(s, 0, 0, 1, 1, &picture, 0, 0), 0);
}

TEST(ScreenSurface, PackRgbKeepsFiveBitsPerChannel) {
    ResetTestSurface();
    EXPECT_EQ(PackRgb(surface, 0x00FF00), 0x07C0);  // green loses bit 5
    EXPECT_EQ(PackRgb(surface, 0x0000FF), 0xF800);
    EXPECT_EQ(PackRgb(surface, 0xFF0000), 0x001F);
    EXPECT_EQ(PackRgb(surface, 0xFFFFFF), 0xFFDF);
}

TEST(ScreenSurface, SaveAndRestoreRoundTripTheWholeScreen) {
    ResetTestSurface(0x0F0F);
    std::vector<uint8_t> saved(kScreenBytes);
    SaveSurface(surface, saved.data());
    surface.pen_colour.word = 0xABCD;
    ClearSurface(surface);
    EXPECT_EQ(CountPixelsNot(0xABCD), 0);
    RestoreSurface(surface, saved.data());
    EXPECT_EQ(CountPixelsNot(0x0F0F), 0);
}

// A 4 x 3 picture whose word at (x, y) is 100 * y + x.
struct CountingPicture {
    uint16_t words[12];
    SkinPicture picture;
    CountingPicture() : picture{words, 4, 3} {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) words[y * 4 + x] = static_cast<uint16_t>(100 * y + x);
    }
};

TEST(BlitPicture, CopiesTheSourceRectangleClippedToTheSurfaceAndThePicture) {
    CountingPicture p;
    struct Row {
        int dx, dy, w, h, sx, sy;
        int changed;
        std::vector<std::array<int, 3>> pixels;  // x, y, word
    };
    const Row rows[] = {
        {10, 20, 2, 2, 1, 1, 4, {{10, 20, 101}, {11, 20, 102}, {10, 21, 201}, {11, 21, 202}}},
        // A negative destination shifts the source.
        {-2, 0, 4, 1, 0, 0, 2, {{0, 0, 2}, {1, 0, 3}}},
        {240, 0, 2, 2, 0, 0, 0, {}},
        {241, 0, 2, 2, 0, 0, 0, {}},
        {0, 320, 2, 2, 0, 0, 0, {}},
        {238, 318, 5, 5, 0, 0, 4, {{239, 319, 101}}},
        // A skin smaller than the layout expects: only its own pixels are copied.
        {0, 0, 20, 20, 2, 1, 4, {{0, 0, 102}, {1, 1, 203}}},
        {0, 0, 20, 20, 10, 10, 0, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "to " << r.dx << "," << r.dy << " from " << r.sx << ","
                                        << r.sy);
        ResetTestSurface(0xFFFF);
        EXPECT_EQ(BlitPicture(surface, r.dx, r.dy, r.w, r.h, &p.picture, r.sx, r.sy), 1);
        EXPECT_EQ(CountPixelsNot(0xFFFF), r.changed);
        for (const auto& [x, y, word] : r.pixels) EXPECT_EQ(PixelAt(x, y), word) << x << "," << y;
    }
}

TEST(BlitPicture, RejectsBadArguments) {
    ResetTestSurface();
    CountingPicture p;
    EXPECT_EQ(BlitPicture(surface, 0, 0, 0, 1, &p.picture, 0, 0), 0);
    EXPECT_EQ(BlitPicture(surface, 0, 0, 1, 0, &p.picture, 0, 0), 0);
    EXPECT_EQ(BlitPicture(surface, 0, 0, 1, 1, &p.picture, -1, 0), 0);
    EXPECT_EQ(BlitPicture(surface, 0, 0, 1, 1, &p.picture, 0, -1), 0);
    EXPECT_EQ(BlitPicture(surface, 0, 0, 1, 1, nullptr, 0, 0), 0);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

TEST(SkinPicture, RgbRowsBecomeColourWords) {
    ResetTestSurface();
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 8, 4, 8, 7, 3, 7};
    SkinPicture* p = PictureFromRgb(surface, 3, 2, rgb);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 3);
    EXPECT_EQ(p->height, 2);
    const uint16_t expected[] = {0xF800, 0x07C0, 0x001F, 0xFFDF, 0x0801, 0x0000};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p->words[i], expected[i]) << i;
    FreeSkinPicture(p);
    EXPECT_EQ(PictureFromRgb(surface, 0, 1, rgb), nullptr);
    EXPECT_EQ(LoadSkinPicture(surface, "\\no\\such\\file.png"), nullptr);
}

}  // namespace
