#include "skin_art.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/host_files.h"
#include "support/test_files.h"
#include "support/test_surface.h"

// The skin that ships is exactly what the generator draws today: change the
// artwork, then run make_skin to bring the file up to date.
TEST(SkinArt, ShippedSkinMatchesTheGenerator) {
    ResetTestSurface(0);
    DrawSkinArt(surface);
    std::vector<uint8_t> drawn(kSkinArtWidth * kSkinArtHeight * 3);
    ReadSkinArt(surface, drawn.data());
    const std::string file = ReadFile(KN_ASSET_DIR "/device/tovu/skin1.png");
    DecodedImage shipped;
    ASSERT_TRUE(DecodeImageMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &shipped));
    EXPECT_TRUE(shipped.width == kSkinArtWidth && shipped.height == kSkinArtHeight &&
                std::equal(drawn.begin(), drawn.end(), shipped.rgb))
        << "the skin is out of date: run make_skin";
    FreeDecodedImage(&shipped);
}
