#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "drawing/drawing.h"
#include "raster/shape_renderer.h"
#include "raster_helpers.h"

// RenderDrawing skips the shapes whose pieces all lie beside the surface;
// RenderShape walks every shape. Random drawings of corners, curves and
// contours, filled and outlined, must give the same pixels and leave the
// same pen both ways: shapes whose vertices lie just beside a side of the
// surface (where only a curve's bulge can reach it), shapes under random
// poses, and shapes so far out that their curves' Q4 points wrap around
// onto the surface.
TEST(ShapeCulling, SkippingShapesBesideTheSurfaceChangesNoPixel) {
    Drawing d{};
    ASSERT_TRUE(AllocateDrawing(d));
    std::mt19937 rng(41);
    auto range = [&rng](int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    constexpr Transform kPixels = {16384, 0, 0, 16384, 0, 0};
    for (int round = 0; round < 240; ++round) {
        const int kind = round % 3;  // beside a side, random pose, wrapped far out
        d.vertex_count = 0;
        d.shape_count = 0;
        for (int k = 0; k < 16; ++k) {
            const uint16_t first = d.vertex_count, count = static_cast<uint16_t>(range(1, 8));
            const int32_t r = range(1, kind == 0 ? 60 : 300);
            int32_t cx = range(-300, 540), cy = range(-300, 620);
            if (kind == 0) {  // centre the box on a side, then move it out by r plus a gap of -1..3
                const int32_t side = range(0, 3), out = r + range(-1, 3);
                cx = side == 0 ? -out - 1 : side == 1 ? kScreenWidth + out : cx;
                cy = side == 2 ? -out - 1 : side == 3 ? kScreenHeight + out : cy;
            }
            for (uint16_t i = 0; i < count; ++i)
                d.vertices[d.vertex_count++] = Vertex{static_cast<int16_t>(cx + range(-r, r)),
                                                      static_cast<int16_t>(cy + range(-r, r)),
                                                      static_cast<uint8_t>(range(0, 3)), 0};
            d.shapes[d.shape_count++] =
                ShapeRecord{first, count, rng() % 2 ? kShapeFilled : kShapeOutline, 0,
                            MakeColour(range(0, 255), range(0, 255), range(0, 255), rng() % 2 ? 255 : range(0, 254))};
        }
        Transform t = kPixels;
        if (kind == 1)
            t = BuildTransform(Pose{static_cast<int16_t>(range(0, 3599)), static_cast<int16_t>(range(-3000, 3000)),
                                    static_cast<int16_t>(range(-3000, 3000)), static_cast<int16_t>(range(100, 32767))});
        if (kind == 2) t.tx = t.ty = (1 << 28) * (rng() % 2 ? 1 : -1);
        ResetTestSurface(0x7BEF);
        RenderDrawing(surface, ViewOf(d), t);
        const std::vector<uint16_t> skipped = SurfaceSnapshot();
        const uint16_t pen_word = surface.pen_colour.word;
        ResetTestSurface(0x7BEF);
        for (uint16_t k = 0; k < d.shape_count; ++k) RenderShape(surface, d.shapes[k], t, d.vertices);
        ASSERT_EQ(skipped, SurfaceSnapshot()) << "round " << round;
        ASSERT_EQ(pen_word, surface.pen_colour.word);
        ASSERT_EQ(surface.plain_plot, &PlotSet);
    }
    FreeDrawing(d);
}
