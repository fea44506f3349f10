#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"
#include "raster/font.h"

namespace {

constexpr uint16_t kWhite = 0xFFFF;

// The advance of every code 32..255, sixteen to a line.
// clang-format off
constexpr uint8_t kExpectedAdvances[224] = {
    4, 2, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5,   //  32
    6, 4, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 5, 6, 5, 6,   //  48
    6, 7, 6, 7, 7, 6, 6, 7, 7, 3, 4, 7, 6, 8, 7, 7,   //  64
    7, 7, 7, 6, 6, 7, 7, 8, 8, 7, 7, 3, 5, 3, 6, 6,   //  80
    3, 6, 6, 6, 6, 6, 3, 6, 6, 2, 3, 6, 2, 8, 6, 6,   //  96
    6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 3, 4, 7, 3,   // 112
    6, 8, 8, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,   // 128
    3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,   // 144
    3, 3, 6, 6, 6, 6, 3, 6, 3, 9, 4, 6, 6, 3, 8, 6,   // 160
    4, 6, 3, 3, 3, 6, 6, 3, 3, 3, 4, 6, 8, 8, 8, 6,   // 176
    7, 7, 7, 7, 7, 7, 9, 7, 6, 6, 6, 6, 3, 3, 3, 3,   // 192
    7, 7, 7, 7, 7, 7, 7, 6, 7, 7, 7, 7, 7, 7, 7, 6,   // 208
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 3, 4, 4, 4,  // 224
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 5,   // 240
};
// clang-format on

const uint8_t* Glyph(int code) { return &kGlyphTable[(code - 33) * kGlyphBytes]; }

bool Inked(int x, int y) { return PixelAt(x, y) != kWhite; }

// The smallest box around every pixel that is not white; empty when x1 > x2.
struct InkBox {
    int x1 = kScreenWidth, y1 = kScreenHeight, x2 = -1, y2 = -1;
    bool operator==(const InkBox&) const = default;
};

std::ostream& operator<<(std::ostream& out, const InkBox& b) {
    return out << b.x1 << "," << b.y1 << " to " << b.x2 << "," << b.y2;
}

InkBox FindInk() {
    InkBox box;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            if (!Inked(x, y)) continue;
            box = {std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x),
                   std::max(box.y2, y)};
        }
    }
    return box;
}

// The sheet goes beside the test executable, in the build folder, whatever
// directory the tests are started from.
std::string SheetPath() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "font_sheet.png";
    return (exe.parent_path() / "font_sheet.png").string();
}

TEST(FontTable, EveryCodeHasItsAdvance) {
    for (int code = 0; code < 256; ++code) {
        const int expected = code < 32 ? 4 : kExpectedAdvances[code - 32];
        EXPECT_EQ(GlyphAdvance(static_cast<uint8_t>(code)), expected) << "code " << code;
        if (code >= 33) {
            EXPECT_EQ(static_cast<int8_t>(Glyph(code)[0]) + 1, expected) << "code " << code;
        }
    }
    EXPECT_EQ(sizeof(kGlyphTable), 2899u);
}

TEST(FontTable, ExclamationMarkAndCapitalAAreExact) {
    const uint8_t exclamation[13] = {1,    0x00, 0x40, 0x40, 0x40, 0x40, 0x40,
                                     0x40, 0x40, 0x00, 0x40, 0x00, 0x00};
    const uint8_t capital_a[13] = {6,    0x00, 0x10, 0x10, 0x28, 0x28, 0x44,
                                   0x44, 0x7C, 0x82, 0x82, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(Glyph('!'), exclamation, 13), 0);
    EXPECT_EQ(std::memcmp(Glyph('A'), capital_a, 13), 0);
}

TEST(FontTable, EveryGlyphButTheBlankHasInkInsideItsAdvance) {
    for (int code = 33; code < 256; ++code) {
        const uint8_t* g = Glyph(code);
        const int advance = static_cast<int8_t>(g[0]) + 1;
        // Columns the drawing loops never reach (beyond the advance).
        const uint8_t unreachable = advance >= 8 ? 0 : static_cast<uint8_t>(0xFF >> advance);
        int ink = 0;
        for (int r = 1; r <= 12; ++r) {
            ink += g[r] != 0;
            EXPECT_EQ(g[r] & unreachable, 0) << "code " << code << " row " << r - 1;
        }
        EXPECT_EQ(ink > 0, code != 160) << "code " << code;  // 160 is the no-break space
    }
}

TEST(FontTable, CodesWithoutADesignShareTheNarrowBar) {
    const uint8_t* bar = Glyph(127);
    for (int code = 131; code <= 159; ++code) {
        const bool designed = code == 145 || code == 146;  // the small quote marks
        EXPECT_EQ(std::memcmp(Glyph(code), bar, 13) == 0, !designed) << "code " << code;
    }
}

TEST(FontTable, AccentedLettersKeepTheirBaseLetter) {
    // Small letters keep their body (rows 4..9) and gain a mark above it.
    const char* small_pairs[][2] = {{"a", "\xE0\xE1\xE2\xE3\xE4\xE5"}, {"e", "\xE8\xE9\xEA\xEB"},
                                    {"n", "\xF1"}, {"o", "\xF2\xF3\xF4\xF5\xF6"},
                                    {"u", "\xF9\xFA\xFB\xFC"}};
    for (const auto& pair : small_pairs) {
        const uint8_t* base = Glyph(static_cast<uint8_t>(pair[0][0]));
        for (const char* p = pair[1]; *p != '\0'; ++p) {
            const uint8_t* accented = Glyph(static_cast<uint8_t>(*p));
            EXPECT_EQ(std::memcmp(base + 1 + 4, accented + 1 + 4, 6), 0) << int(uint8_t(*p));
            EXPECT_NE(accented[1] | accented[2] | accented[3], 0) << int(uint8_t(*p));
        }
    }
    // Capitals keep their baseline row and carry the mark in rows 0..1;
    // the cedilla hangs below.
    const char* bases = "AAAAAA.CEEEEIIII.NOOOOO..UUUUY";  // codes 0xC0..0xDD
    for (int i = 0; bases[i] != '\0'; ++i) {
        if (bases[i] == '.') continue;
        const uint8_t* accented = Glyph(0xC0 + i);
        EXPECT_EQ(accented[1 + 9], Glyph(bases[i])[1 + 9]) << 0xC0 + i;
        const int mark_rows = bases[i] == 'C' ? accented[1 + 10] | accented[1 + 11]
                                              : accented[1 + 0] | accented[1 + 1];
        EXPECT_NE(mark_rows, 0) << 0xC0 + i;
    }
}

TEST(FontGlyph, NormalStylePlotsOnePixelPerBit) {
    ResetTestSurface();
    EXPECT_EQ(DrawGlyph(surface, 10, 20, 'A'), 7);
    int bits = 0;
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < 8; ++c) {
            const bool set = (Glyph('A')[1 + r] & (0x80 >> c)) != 0;
            bits += set;
            EXPECT_EQ(Inked(10 + c, 20 + r), set) << "row " << r << " column " << c;
        }
    }
    EXPECT_EQ(CountPixelsNot(kWhite), bits);
    EXPECT_EQ(PixelAt(13, 21), 0x0000);  // the apex, in the pen colour
}

TEST(FontGlyph, BoldStyleWidensEachBitToTheRight) {
    ResetTestSurface();
    EXPECT_EQ(DrawGlyphBold(surface, 10, 20, '!'), 2);
    for (int y = 21; y <= 29; ++y) {
        const bool bar = y != 28;
        EXPECT_EQ(Inked(11, y), bar) << y;
        EXPECT_EQ(Inked(12, y), bar) << y;
    }
    EXPECT_EQ(CountPixelsNot(kWhite), 2 * 8);

    // Neighbouring bits overlap: the bar of "A" (columns 1..5) covers 11..16.
    ResetTestSurface();
    DrawGlyphBold(surface, 10, 20, 'A');
    for (int x = 9; x <= 18; ++x) EXPECT_EQ(Inked(x, 27), x >= 11 && x <= 16) << x;
    // The feet (columns 0 and 6) become two pairs.
    for (int x = 9; x <= 18; ++x) {
        EXPECT_EQ(Inked(x, 29), x == 10 || x == 11 || x == 16 || x == 17) << x;
    }
}

TEST(FontGlyph, LargeStyleDrawsTwoByTwoBlocksAndReturnsTheNormalAdvance) {
    ResetTestSurface();
    EXPECT_EQ(DrawGlyphLarge(surface, 10, 20, '!'), 2);
    for (int y = 20; y < 44; ++y) {
        const int row = (y - 20) / 2;
        const bool set = (row >= 1 && row <= 7) || row == 9;
        for (int x = 10; x < 14; ++x) EXPECT_EQ(Inked(x, y), set && x >= 12) << x << "," << y;
    }
    EXPECT_EQ(CountPixelsNot(kWhite), 8 * 4);
}

TEST(FontGlyph, SpaceAndControlCodesAdvanceFourAndDrawNothing) {
    ResetTestSurface();
    for (int code = 0; code <= 32; ++code) {
        const uint8_t c = static_cast<uint8_t>(code);
        EXPECT_EQ(DrawGlyph(surface, 50, 50, c), 4);
        EXPECT_EQ(DrawGlyphBold(surface, 50, 50, c), 4);
        EXPECT_EQ(DrawGlyphLarge(surface, 50, 50, c), 4);
    }
    EXPECT_EQ(CountPixelsNot(kWhite), 0);
}

TEST(FontGlyph, WideLatinLettersDrawOnlyTheirEightInkColumns) {
    // The ligatures are wider than a row byte; their extra columns are spacing.
    ResetTestSurface();
    EXPECT_EQ(DrawGlyph(surface, 100, 100, 0xE6), 10);
    EXPECT_EQ(DrawGlyph(surface, 100, 120, 0xC6), 9);
    const InkBox box = FindInk();
    EXPECT_GE(box.x1, 100);
    EXPECT_LE(box.x2, 107);
}

TEST(FontClipping, GlyphsAtTheEdgesKeepTheirVisiblePart) {
    // "H" is columns 0 and 5 on rows 1..9 with a bar on row 5.
    ResetTestSurface();
    DrawGlyph(surface, 237, 0, 'H');
    for (int y = 1; y <= 9; ++y) EXPECT_TRUE(Inked(237, y)) << y;
    EXPECT_TRUE(Inked(239, 5));
    // Nothing wraps around into the next rows at the left edge.
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_FALSE(Inked(x, y)) << x << "," << y;
    }

    ResetTestSurface();
    DrawGlyphBold(surface, -5, 315, 'H');  // column 5 covers x = 0 and 1 on rows 1..4
    EXPECT_TRUE(Inked(0, 316));
    EXPECT_TRUE(Inked(1, 319));
    EXPECT_FALSE(Inked(2, 319));
    EXPECT_EQ(CountPixelsNot(kWhite), 2 * 4);

    ResetTestSurface();
    DrawGlyphLarge(surface, 229, 310, 'H');  // rows 1..4 at y 312..319, columns 0 and 5
    EXPECT_EQ(FindInk(), (InkBox{229, 312, 239, 319}));
    EXPECT_TRUE(Inked(239, 318));
}

TEST(FontClipping, GlyphsAtTheEndsOfTheCoordinateRangeAndMissingTextDrawNothing) {
    ResetTestSurface();
    const int16_t far = 32767;
    const int16_t near_far = 32760;
    for (uint8_t code : {uint8_t('A'), uint8_t('W'), uint8_t(0xC6)}) {
        DrawGlyph(surface, far, 0, code);
        DrawGlyphBold(surface, far, 0, code);
        DrawGlyphBold(surface, near_far, 0, code);
        DrawGlyphBold(surface, 0, far, code);
        DrawGlyphLarge(surface, far, 0, code);
        DrawGlyphLarge(surface, near_far, 0, code);
        DrawGlyphLarge(surface, 0, far, code);
        DrawGlyphLarge(surface, 0, near_far, code);
        DrawGlyphLarge(surface, -32768, -32768, code);
    }
    DrawTextCentred(surface, -32768, -32768, "Wide text");
    DrawTextBoldCentred(surface, 32767, 32767, "Wide text");
    DrawTextLargeCentred(surface, -32768, 100, "Wide text");
    // Missing or empty text draws nothing either.
    DrawText(surface, 10, 10, nullptr);
    DrawTextBoldCentred(surface, 10, 10, nullptr);
    DrawTextLarge(surface, 10, 10, "");
    EXPECT_EQ(CountPixelsNot(kWhite), 0);
}

TEST(FontMeasure, WidthIsTheSumOfAdvancesHeldAtTheLargestWidth) {
    const std::string wide(5000, 'W'), half(3000, 'W');  // 40000 pixels; 24000, doubled 48000
    const struct {
        const char* text;
        bool large;
        int w, h;
    } rows[] = {
        {"Hi", false, 9, 12}, {"Hi", true, 18, 24}, {"", false, 0, 12}, {"", true, 0, 24},
        {nullptr, false, 0, 12},
        // Bytes above 127 count as unsigned codes; controls and space count 4.
        {"\x81\x82", false, 16, 12}, {"\xC6\xE6 \t", false, 9 + 10 + 4 + 4, 12},
        {wide.c_str(), false, 32767, 12}, {half.c_str(), false, 24000, 12},
        {half.c_str(), true, 32767, 24},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        int16_t w = -1, h = -1;
        (rows[i].large ? MeasureTextLarge : MeasureText)(surface, rows[i].text, &w, &h);
        EXPECT_EQ(w, rows[i].w) << "row " << i;
        EXPECT_EQ(h, rows[i].h) << "row " << i;
    }
}

TEST(FontText, EachStyleStepsByItsOwnAdvance) {
    struct Style {
        void (*text)(ScreenSurface&, int16_t, int16_t, const char*);
        int (*glyph)(ScreenSurface&, int16_t, int16_t, uint8_t);
        int scale, extra;  // the pen moves by scale x advance + extra
    };
    const Style styles[] = {{DrawText, DrawGlyph, 1, 0},
                            {DrawTextBold, DrawGlyphBold, 1, 1},
                            {DrawTextLarge, DrawGlyphLarge, 2, 0}};
    const char* text = "Aj W\xE9!";
    for (const Style& style : styles) {
        ResetTestSurface();
        style.text(surface, 3, 40, text);
        const std::vector<uint16_t> whole = SurfaceSnapshot();
        ResetTestSurface();
        int x = 3;
        for (const char* p = text; *p != '\0'; ++p) {
            const int advance = style.glyph(surface, static_cast<int16_t>(x), 40,
                                            static_cast<uint8_t>(*p));
            x += style.scale * advance + style.extra;
        }
        EXPECT_TRUE(whole == SurfaceSnapshot());
        EXPECT_GT(CountPixelsNot(kWhite), 0);
    }
}

TEST(FontText, CentringSubtractsHalfTheWidthAndHalfTheHeight) {
    // "Hi" is 9 wide: H in columns 0..5, i in column 7, rows 1..9.
    ResetTestSurface();
    DrawTextCentred(surface, 100, 50, "Hi");  // left 100 - 4, top 50 - 6
    EXPECT_EQ(FindInk(), (InkBox{96, 45, 103, 53}));

    // Bold centres on 9 + 2 = 11: left 100 - 5; the i sits at 95 + 7 + 1.
    ResetTestSurface();
    DrawTextBoldCentred(surface, 100, 50, "Hi");
    EXPECT_EQ(FindInk(), (InkBox{95, 45, 104, 53}));
    const std::vector<uint16_t> centred = SurfaceSnapshot();
    ResetTestSurface();
    DrawTextBold(surface, 95, 44, "Hi");
    EXPECT_TRUE(centred == SurfaceSnapshot());

    // Large centres on 18 x 24: left 100 - 9, top 50 - 12.
    ResetTestSurface();
    DrawTextLargeCentred(surface, 100, 50, "Hi");
    EXPECT_EQ(FindInk(), (InkBox{91, 38 + 2, 91 + 14 + 1, 38 + 19}));
}

TEST(FontText, LongLinesClipAtTheRightEdge) {
    ResetTestSurface();
    const std::string line(100, 'M');
    DrawText(surface, 0, 0, line.c_str());
    const InkBox box = FindInk();
    EXPECT_EQ(box.x2, 238);  // the last M starts at 232 and inks columns 0..6
    EXPECT_EQ(box.y2, 9);     // nothing wrapped onto later rows
}

// A sheet of the whole character set for a person to look at.

TEST(FontSheet, RendersEveryCodeInEachStyle) {
    ResetTestSurface();
    auto flow = [](int (*draw)(ScreenSurface&, int16_t, int16_t, uint8_t), int y, int gap,
                   int line_height) {
        int x = 2;
        for (int code = 32; code < 256; ++code) {
            const int width = GlyphAdvance(static_cast<uint8_t>(code)) + gap;
            if (x + width > kScreenWidth - 2) {
                x = 2;
                y += line_height;
            }
            draw(surface, static_cast<int16_t>(x), static_cast<int16_t>(y),
                 static_cast<uint8_t>(code));
            x += width;
        }
        return y + line_height;
    };
    int y = flow(DrawGlyph, 1, 2, 13);
    y = flow(DrawGlyphBold, y + 3, 3, 13);
    DrawText(surface, 2, static_cast<int16_t>(y + 3),
             "The quick brown fox jumps over the lazy dog.");
    DrawTextBold(surface, 2, static_cast<int16_t>(y + 16), "Frame 12/200  Actor C  100%");
    DrawText(surface, 2, static_cast<int16_t>(y + 29), "\xC0 bient\xF4t, na\xEFve Gr\xFC\xDF"
                                                      "e \xA9 \xBD \xE6\xF8\xE5 \xC7" "a");
    DrawTextLarge(surface, 2, static_cast<int16_t>(y + 44), "KalveNorix");
    DrawTextLarge(surface, 2, static_cast<int16_t>(y + 70), "\xC9t\xE9 g?&@ 0189");
    EXPECT_TRUE(WriteSurfacePng(SheetPath().c_str()));
    EXPECT_GT(CountPixelsNot(kWhite), 2000);
}

}  // namespace
