#include "raster/shape_renderer.h"

#include "raster/lines.h"
#include "support/drawing_literal.h"
#include "raster_helpers.h"

// Probes: x, y, word (kInk: any but white). After every drawing the pen is
// opaque again, with the last shape's colour.
TEST(ShapeRenderer, ShapesDrawWhereTheirPointTypesSay) {
    constexpr int kWhite = 0xFFFF, kInk = -1;
    const struct {
        const char* name;
        std::vector<LiteralShape> shapes;
        std::vector<std::array<int, 3>> probes;
    } cases[] = {
        {"an inner contour of a filled shape is a hole",
         {{kShapeFilled, kRed, {{20, 20}, {100, 20}, {100, 100}, {20, 100}, {40, 40, kPointContourStart}, {80, 40}, {80, 80}, {40, 80}}}},
         {{30, 30, 0xF800}, {90, 60, 0xF800}, {60, 60, kWhite}, {45, 75, kWhite}, {110, 60, kWhite}}},
        {"outline contours are neither joined nor closed",
         {{kShapeOutline, kRed, {{20, 50}, {100, 50}, {100, 80}, {20, 150, kPointContourStart}, {100, 150}, {100, 120}}}},
         {{60, 50, kInk}, {100, 65, kInk}, {60, 150, kInk}, {100, 135, kInk}, {60, 65, kWhite}, {60, 115, kWhite}, {60, 135, kWhite}}},
        {"a filled shape ending in a control point closes with a curve",  // probes at 45 degrees, radius 45: inside the circle, outside the diamond
         {{kShapeFilled, kRed, {{170, 160}, {155, 195, kPointControl}, {120, 210, kPointCurveEnd}, {85, 195, kPointControl},
                                {70, 160, kPointCurveEnd}, {85, 125, kPointControl}, {120, 110, kPointCurveEnd}, {155, 125, kPointControl}}}},
         {{151, 191, 0xF800}, {151, 128, 0xF800}, {88, 191, 0xF800}, {120, 220, kWhite}, {160, 200, kWhite}}},
        {"a curve passes its stored middle point, not the control point above it", {{kShapeOutline, kRed, {{40, 200}, {120, 100, kPointControl}, {200, 200, kPointCurveEnd}}}},
         {{120, 100, kInk}, {120, 60, kWhite}, {120, 30, kWhite}, {120, 150, kWhite}}},
        {"shapes of one vertex or none draw nothing", {{kShapeOutline, kRed, {{20, 20}}}, {kShapeFilled, kRed, {{80, 20}}}, {kShapeFilled, kRed, {}}}, {}},
    };
    for (const auto& c : cases) {
        OwnedDrawing o(c.shapes);
        ResetTestSurface();
        RenderDrawing(surface, ViewOf(o.d), kIdentity);
        for (const auto& [x, y, word] : c.probes)
            EXPECT_TRUE(word == kInk ? PixelAt(x, y) != kWhite : PixelAt(x, y) == word) << c.name << " at " << x << "," << y;
        EXPECT_TRUE(!c.probes.empty() || CountPixelsNot(kWhite) == 0) << c.name;
        surface.pixel_base[kScreenWidth * kScreenHeight - 1] = 0;
        PlotPixel(surface, 239, 319);
        EXPECT_TRUE(surface.pen_colour.word == c.shapes.back().colour.word && PixelAt(239, 319) == surface.pen_colour.word) << c.name;
        surface.pixel_base[kScreenWidth * kScreenHeight - 1] = 0;
        RenderShape(surface, o.d.shapes[o.d.shape_count - 1], kIdentity, o.d.vertices), PlotPixel(surface, 239, 319);
        EXPECT_EQ(PixelAt(239, 319), surface.pen_colour.word) << c.name << ": the last shape alone";
    }
}
