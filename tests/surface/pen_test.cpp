#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/test_surface.h"
#include "surface/pen.h"

// Each row (destination, pen, alpha, XOR, coverage, result) writes one pixel
// through the plain slot (coverage -1) or the coverage slot, where only the
// low byte counts; a run of three leaves the pixels and the current pixel as
// three plain plots do.
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
        if (coverage >= 0) continue;
        uint16_t* run = surface.pixel_base + 10 * kScreenWidth;
        surface.run_plot(surface, run, kScreenWidth, 3);
        EXPECT_TRUE(surface.current_pixel == run + 2 * kScreenWidth && run[0] == result && run[kScreenWidth] == result &&
                    run[2 * kScreenWidth] == result && CountPixelsNot(static_cast<uint16_t>(dest)) == (result != dest) * 4) << pen;
    }
}

// The built-in pens' blends against the slots' blend: the two-product blend
// for every destination word at every weight (the source word running through
// all 65536 values as well); runs of every length up to 40 at every alignment
// (and a step of 3), SSE2 where built and portable; the words around stay.
TEST(Blends, TheBuiltInFormsBlendLikeThePlot) {
    ResetTestSurface();
    int mismatches = 0;
    for (uint32_t w = 0; w < 256; ++w)
        for (uint32_t d = 0; d < 65536; ++d) {
            const uint16_t src = static_cast<uint16_t>(d * 0x9E37u + w * 0x1F3u);
            mismatches += BlendRgb565(d, SpreadRedBlue(src), src & 0x07E0u, w) != BlendColourWords(surface, uint16_t(d), src, int(w));
        }
    EXPECT_EQ(mismatches, 0);
    std::mt19937 rng(21);
    for (int i = 0; i < 4000; ++i) {
        const int32_t count = 1 + i % 40, start = (i / 40) % 8, step = i % 3 == 0 ? 3 : 1, word = static_cast<uint16_t>(rng()),
                      alpha = i % 5 == 0 ? (i / 5) % 2 * 255 : static_cast<int32_t>(rng() % 256);
        std::vector<uint16_t> expected(200);
        std::generate(expected.begin(), expected.end(), rng);
        std::vector<uint16_t> portable = expected, vector = expected;
        for (int32_t k = start; k < start + count * step; k += step) expected[k] = BlendColourWords(surface, expected[k], word, alpha);
        const RunBlend blend(word, alpha);
        ASSERT_TRUE(BlendRunPortable(blend, &portable[start], step, count) == &portable[start + (count - 1) * step] && portable == expected) << i;
#if defined(__SSE2__)
        if (step > 1) continue;
        ASSERT_TRUE(BlendRunSse2(blend, &vector[start], count) == &vector[start + count - 1] && vector == expected) << "SSE2, run " << i;
#endif
    }
}
