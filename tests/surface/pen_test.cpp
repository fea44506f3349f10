#include <gtest/gtest.h>

#include "support/test_surface.h"
#include "surface/pen.h"

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
