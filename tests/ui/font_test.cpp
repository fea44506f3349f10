// The built-in font: the three styles' pixels and steps, measuring, centring
// and clipping.
#include <gtest/gtest.h>

#include <string>

#include "raster/font.h"
#include "support/test_surface.h"

namespace {

bool Inked(int x, int y) { return PixelAt(x, y) != 0xFFFF; }

// "!" is column 1 of rows 1..7 and 9 ("A" has 7 columns); bold widens each
// bit by a pixel to the right, large doubles rows and columns. Each style
// returns the plain advance; a string steps by it (+1 bold, x2 large), and
// centred it starts half its width and height before the centre.
TEST(FontGlyph, EachStyleDrawsItsPixelsAndStepsByItsAdvance) {
    using GlyphFn = int (*)(ScreenSurface&, int16_t, int16_t, uint8_t);
    using TextFn = void (*)(ScreenSurface&, int16_t, int16_t, const char*);
    const struct {
        GlyphFn glyph;
        TextFn text, centred;
        int scale, extra, width;
    } styles[] = {{DrawGlyph, DrawText, DrawTextCentred, 1, 0, 1}, {DrawGlyphBold, DrawTextBold, DrawTextBoldCentred, 1, 1, 2},
                  {DrawGlyphLarge, DrawTextLarge, DrawTextLargeCentred, 2, 0, 2}};
    for (const auto& style : styles) {
        ResetTestSurface();
        EXPECT_EQ(style.glyph(surface, 10, 20, '!'), 2);
        for (int y = 20; y < 44; ++y) {
            const int row = (y - 20) / style.scale;
            const bool set = y - 20 < 12 * style.scale && ((row >= 1 && row <= 7) || row == 9);
            for (int x = 8; x < 16; ++x)
                EXPECT_EQ(Inked(x, y), set && x >= 10 + style.scale && x < 10 + style.scale + style.width)
                    << style.scale << style.extra << " at " << x << "," << y;
        }
        ResetTestSurface();
        style.text(surface, 3, 40, "Aj W\xE9!");
        const auto whole = SurfaceSnapshot();
        ResetTestSurface();
        int x = 3;
        for (const char ch : std::string("Aj W\xE9!")) x += style.scale * style.glyph(surface, int16_t(x), 40, uint8_t(ch)) + style.extra;
        EXPECT_TRUE(whole == SurfaceSnapshot()) << style.scale << style.extra;
        ResetTestSurface();
        style.centred(surface, int16_t(3 + (x - 3) / 2), int16_t(40 + 6 * style.scale), "Aj W\xE9!");
        EXPECT_TRUE(whole == SurfaceSnapshot()) << "centred " << style.scale << style.extra;
    }
}

// Widths sum the advances (4 for controls and space), held at 32767; large
// doubles both sizes. Near the ends of the 16-bit range, and without text,
// nothing is drawn.
TEST(FontLimits, WidthsAreHeldAndGlyphsFarOutsideDrawNothing) {
    const std::string wide(5000, 'W'), half(3000, 'W');  // 40000 pixels; 24000, doubled 48000
    const struct { const char* text; bool large; int w, h; } rows[] = {
        {"Hi", false, 9, 12}, {"Hi", true, 18, 24}, {nullptr, false, 0, 12}, {"\xC6\xE6 \t", false, 27, 12},
        {wide.c_str(), false, 32767, 12}, {half.c_str(), false, 24000, 12}, {half.c_str(), true, 32767, 24},
    };
    for (const auto& r : rows) {
        int16_t w = -1, h = -1;
        (r.large ? MeasureTextLarge : MeasureText)(surface, r.text, &w, &h);
        EXPECT_EQ(w * 100 + h, r.w * 100 + r.h) << (r.text ? std::string(r.text).substr(0, 8) : "null");
    }
    ResetTestSurface();
    for (uint8_t code : {uint8_t('A'), uint8_t('W'), uint8_t(0xC6)}) {
        for (int16_t at : {int16_t(32767), int16_t(32760), int16_t(-32768)}) {
            for (auto glyph : {DrawGlyphBold, DrawGlyphLarge}) glyph(surface, at, 0, code), glyph(surface, 0, at, code);
        }
    }
    DrawTextLargeCentred(surface, -32768, 100, "Wide text");
    DrawTextBoldCentred(surface, 32767, 32767, "Wide text");
    DrawText(surface, 10, 10, nullptr);
    DrawTextLarge(surface, 10, 10, "");
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

}  // namespace
