#include "skin_art.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/host_files.h"
#include "support/test_surface.h"

namespace {

// The skin that ships is exactly what the generator draws today: change the
// artwork, then run make_skin to bring the file up to date.
TEST(SkinArt, ShippedSkinMatchesTheGenerator) {
    ResetTestSurface(0);
    DrawSkinArt(surface);
    std::vector<uint8_t> drawn(kSkinArtWidth * kSkinArtHeight * 3);
    ReadSkinArt(surface, drawn.data());

    std::ifstream in(KN_ASSET_DIR "/device/tovu/skin1.png", std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(file.empty()) << "no skin file in the assets";
    DecodedImage shipped;
    ASSERT_TRUE(DecodeImageMemory(file.data(), file.size(), &shipped));
    EXPECT_EQ(shipped.width, kSkinArtWidth);
    EXPECT_EQ(shipped.height, kSkinArtHeight);
    if (shipped.width == kSkinArtWidth && shipped.height == kSkinArtHeight) {
        int differing = 0;
        for (size_t i = 0; i < drawn.size(); ++i) differing += drawn[i] != shipped.rgb[i];
        EXPECT_EQ(differing, 0) << "the skin file is out of date: run make_skin";
    }
    FreeDecodedImage(&shipped);
}

// Highlighted items must look different from plain ones, or a pressed
// button would give no feedback.
TEST(SkinArt, EveryHighlightedItemDiffersFromItsPlainItem) {
    ResetTestSurface(0);
    DrawSkinArt(surface);
    struct Item {
        int x, y, dx, dy, w, h;
    };
    // Plain item, offset to its highlighted image, size.
    const Item items[] = {
        {0, 0, 20, 0, 20, 20},   {0, 80, 20, 0, 20, 20},    // mode selector, first and last
        {40, 0, 20, 0, 20, 20},  {40, 100, 20, 0, 20, 20},  // tool chooser
        {80, 0, 0, 20, 20, 20},  {160, 0, 0, 20, 20, 20},   // shape actions
        {80, 40, 0, 20, 20, 20}, {180, 40, 0, 20, 20, 20},  // vertex actions
        {0, 100, 0, 20, 15, 20}, {15, 100, 0, 20, 15, 20},  // two-cell strip
        {0, 140, 0, 20, 20, 20}, {60, 140, 0, 20, 20, 20},  // animation strip
    };
    for (const Item& it : items) {
        int differing = 0;
        for (int y = 0; y < it.h; ++y)
            for (int x = 0; x < it.w; ++x)
                differing +=
                    PixelAt(it.x + x, it.y + y) != PixelAt(it.x + it.dx + x, it.y + it.dy + y);
        EXPECT_GT(differing, it.w * it.h / 2) << it.x << "," << it.y;
    }
}

}  // namespace
