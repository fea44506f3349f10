// Widget images copied from the skin picture.
#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/test_surface.h"
#include "widget_records.h"

namespace {

// A 64 x 64 skin whose every pixel names its own position (red x, green y);
// each probe is a screen pixel and the skin pixel it shows, or -1 for black.
TEST(WidgetDrawing, ImagesComeFromTheirPlaceInTheSkinAndNeverFromOutsideIt) {
    ResetTestSurface(0);
    std::vector<uint8_t> rgb(64 * 64 * 3);
    for (int i = 0; i < 64 * 64; ++i) {
        rgb[i * 3] = uint8_t((i % 64 & 31) << 3);
        rgb[i * 3 + 1] = uint8_t(i / 64 << 2);
        rgb[i * 3 + 2] = uint8_t((i % 64 >> 5) << 7 | 8);
    }
    SkinPicture* skin = PictureFromRgb(surface, 64, 64, rgb.data());
    ASSERT_NE(skin, nullptr);
    int32_t v = 0;
    const struct { WidgetRecord w; int32_t value; uint8_t pressed; std::vector<std::array<int, 4>> probes; } rows[] = {
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 0, {{100, 100, 2, 3}, {109, 104, 11, 7}, {110, 104, -1, -1}}},
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 1, {{100, 100, 20, 30}}},
        {Record(kButtonStripVertical, 1, 200, 0, 210, 40, 4, 0, 10, 10, &v), 2, 1, {{200, 0, 4, 0}, {200, 20, 14, 20}}},
        {Record(kButtonStripHorizontal, 1, 20, 0, 50, 20, 0, 10, 15, 20, &v), 1, 0, {{35, 0, 15, 10}}},
        {Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5), 40, 0, {{0, 0, -1, -1}}},
        {Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5), -1, 0, {{0, 0, -1, -1}}},
        {Record(kListStripHorizontal, 1, 0, 100, 60, 120, 0, 44, 20, 20, &v), 1 << 30, 0, {{20, 100, 20, 44}}},
        {Record(kListStripHorizontal, 1, 0, 100, 60, 120, 44, 0, 20, 20, &v), 0, 0, {{19, 100, 63, 20}, {20, 100, -1, -1}}},
    };
    for (const auto& r : rows) {
        ResetTestSurface(0);
        WidgetRecord w = r.w;
        w.pressed = r.pressed;
        v = r.value;
        DrawWidget(w, skin);
        for (const auto& p : r.probes)
            EXPECT_EQ(PixelAt(p[0], p[1]), p[2] < 0 ? 0 : skin->words[p[3] * 64 + p[2]])
                << "type " << int(w.type) << ", pressed " << int(r.pressed) << " at " << p[0] << "," << p[1];
    }
    FreeSkinPicture(skin);
}

}  // namespace
