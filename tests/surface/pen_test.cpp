#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"

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
