#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"

namespace {

TEST(BlendColourWords, MovesEachChannelInPlace) {
    ResetTestSurface();
    EXPECT_EQ(BlendColourWords(surface, 0x0000, 0xFFFF, 255), 0xF7DE);
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 255), 0x0000);
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 128), 0x7BEF);
    for (uint16_t d : {0x0000, 0x1234, 0xFFFF}) EXPECT_EQ(BlendColourWords(surface, d, 0xF81F, 0), d);
    // Only the low byte of the weight counts.
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 256 + 128), 0x7BEF);
    EXPECT_EQ(BlendColourWords(surface, 0x1234, 0xFFFF, 256), 0x1234);
}

TEST(PenModes, SelectPenModeChoosesTheSlotPairs) {
    ResetTestSurface();
    surface.pen_alpha = 255;
    SelectPenMode(surface, 0);
    EXPECT_EQ(surface.plain_plot, &PlotSet);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendCoverage);
    surface.pen_alpha = 100;
    SelectPenMode(surface, 0);
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendMixed);
    SelectPenMode(surface, 1);
    EXPECT_EQ(surface.plain_plot, &PlotXor);
    EXPECT_EQ(surface.coverage_plot, &PlotNothing);
    SelectPenMode(surface, 0x100);  // only the low byte is tested
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
}

TEST(PenModes, PlotFunctionsWriteTheCurrentPixel) {
    ResetTestSurface(0xFFFF);
    uint16_t* p = surface.pixel_base + 5;
    surface.current_pixel = p;
    surface.pen_colour.word = 0x0000;
    PlotSet(surface);
    EXPECT_EQ(*p, 0x0000);

    *p = 0xFFFF;
    surface.pen_alpha = 128;
    PlotBlendAlpha(surface);
    EXPECT_EQ(*p, 0x7BEF);

    *p = 0xFFFF;
    PlotBlendCoverage(surface, 128);
    EXPECT_EQ(*p, 0x7BEF);

    // Coverage 255 with alpha 1 blends with weight 128.
    *p = 0xFFFF;
    surface.pen_alpha = 1;
    PlotBlendMixed(surface, 255);
    EXPECT_EQ(*p, 0x7BEF);

    *p = 0x1234;
    surface.pen_colour.word = 0xFFFF;
    PlotXor(surface);
    EXPECT_EQ(*p, static_cast<uint16_t>(~0x1234));
    PlotXor(surface);
    EXPECT_EQ(*p, 0x1234);
    PlotNothing(surface, 255);
    EXPECT_EQ(*p, 0x1234);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 1);
}

TEST(PenModes, SetPenColourTakesTheRecordAndItsAlpha) {
    ResetTestSurface();
    SetPenColour(surface, MakeColour(10, 20, 30, 90));
    EXPECT_EQ(surface.pen_alpha, 90);
    EXPECT_EQ(surface.pen_colour.word, PackColourWord(10, 20, 30));
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
    SetPenColour(surface, MakeColour(10, 20, 30, 255));
    EXPECT_EQ(surface.plain_plot, &PlotSet);
}

}  // namespace

// The two-product blend against the slots' blend: every destination word at
// every weight, the source word running through all 65536 values as well.
TEST(BlendRgb565, EqualsTheSlotsBlendForEveryWordAndWeight) {
    ResetTestSurface();
    int mismatches = 0;
    for (uint32_t w = 0; w < 256; ++w)
        for (uint32_t d = 0; d < 65536; ++d) {
            const uint16_t src = static_cast<uint16_t>(d * 0x9E37u + w * 0x1F3u);
            mismatches += BlendRgb565(d, SpreadRedBlue(src), src & 0x07E0u, w) !=
                          BlendColourWords(surface, static_cast<uint16_t>(d), src, static_cast<int>(w));
        }
    EXPECT_EQ(mismatches, 0);
}

// Runs of every length up to 40 at every alignment (and a step of 3), SSE2
// where built and portable, against the slots' blend; the words around stay.
TEST(BlendRun, VectorAndPortableFormsBlendLikeThePlot) {
    ResetTestSurface();
    std::mt19937 rng(21);
    for (int i = 0; i < 4000; ++i) {
        const int32_t count = 1 + i % 40, start = (i / 40) % 8, step = i % 3 == 0 ? 3 : 1;
        const uint16_t word = static_cast<uint16_t>(rng());
        const int32_t alpha = i % 5 == 0 ? (i / 5) % 2 * 255 : static_cast<int32_t>(rng() % 256);
        std::vector<uint16_t> expected(200);
        for (uint16_t& v : expected) v = static_cast<uint16_t>(rng());
        std::vector<uint16_t> portable = expected, vector = expected;
        for (int32_t k = start; k < start + count * step; k += step) expected[k] = BlendColourWords(surface, expected[k], word, alpha);
        const RunBlend blend(word, alpha);
        ASSERT_EQ(BlendRunPortable(blend, &portable[start], step, count), &portable[start + (count - 1) * step]);
        ASSERT_EQ(portable, expected) << "portable, run " << i;
#if defined(__SSE2__)
        if (step > 1) continue;
        ASSERT_EQ(BlendRunSse2(blend, &vector[start], count), &vector[start + count - 1]);
        ASSERT_EQ(vector, expected) << "SSE2, run " << i;
#endif
    }
}
