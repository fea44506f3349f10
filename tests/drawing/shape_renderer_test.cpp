#include <gtest/gtest.h>

#include <vector>

#include "drawing/library.h"
#include "drawing_helpers.h"
#include "raster/shape_renderer.h"
#include "support/test_surface.h"
#include "surface/pen.h"

namespace {

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kRedWord = 0xF800;

// Renders on a white screen; drawing units are pixels unless a view is given.
void RenderOnWhite(const Drawing& d, const Transform& t = kIdentity) {
    ResetTestSurface(kWhite);
    RenderDrawing(surface, ViewOf(d), t);
}

struct Probe {
    int x, y;
    uint16_t word;
};

void ExpectPixels(std::initializer_list<Probe> probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(PixelAt(p.x, p.y), p.word) << "pixel (" << p.x << ", " << p.y << ")";
}

void ExpectPenOpaque() {
    EXPECT_EQ(surface.pen_alpha, 255);
    EXPECT_EQ(surface.plain_plot, &PlotSet);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendCoverage);
}

std::vector<uint16_t> Snapshot() {
    return std::vector<uint16_t>(surface.pixel_base,
                                 surface.pixel_base + kScreenWidth * kScreenHeight);
}

TEST(ShapeRenderer, InnerContourOfAFilledShapeIsAHole) {
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {100, 20}, {100, 100}, {20, 100}, {40, 40}, {80, 40}, {80, 80},
                    {40, 80}},
              kShapeFilled, kRed);
    o.d.vertices[4].type = kPointContourStart;
    RenderOnWhite(o.d);
    ExpectPixels({{30, 30, kRedWord}, {90, 60, kRedWord}, {60, 60, kWhite}, {45, 75, kWhite},
                  {110, 60, kWhite}, {60, 10, kWhite}});
    ExpectPenOpaque();
}

TEST(ShapeRenderer, TranslucentShapeBlendsOverTheOneBelow) {
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {120, 20}, {70, 120}}, kShapeFilled, kRed);
    AddRectangle(o.d, kIdentity, 60, 10, 160, 60, kHalfBlue);
    RenderOnWhite(o.d);
    // Triangle alone, half blue over red, half blue over white, below the rectangle, outside.
    ExpectPixels({{40, 30, kRedWord}, {70, 30, 0x780F}, {140, 30, 0x7BFF}, {70, 90, kRedWord},
                  {170, 30, kWhite}});
    ExpectPenOpaque();
    // The pen kept the last shape's colour record, only the alpha is reset.
    EXPECT_EQ(surface.pen_colour.word, kHalfBlue.word);
}

// The line from (100, 50) to (20, 150) would pass (60, 100): nothing is
// drawn between the two strokes, and an outline is not closed either.
TEST(ShapeRenderer, OutlineSubPathsAreNotJoined) {
    OwnedDrawing o;
    AddPoints(o.d, {{20, 50}, {100, 50}}, kShapeOutline, kRed);
    AddPoints(o.d, {{20, 150}, {100, 150}}, kShapeOutline, kRed);
    MergeWithPrevious(o.d);
    ASSERT_EQ(o.d.shape_count, 1);
    RenderOnWhite(o.d);
    EXPECT_NE(PixelAt(60, 50), kWhite);
    EXPECT_NE(PixelAt(60, 150), kWhite);
    for (int y = 52; y <= 148; ++y)
        for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(PixelAt(x, y), kWhite) << x << "," << y;
    ExpectPenOpaque();
}

// Corner (100, 0) is pixel (129, 160); (200, 100) is (139, 169), since
// 1638 * 100 >> 14 is 9.998 cut to 9.
TEST(ShapeRenderer, EditorViewPutsDrawingUnitsAtATenthOfAPixel) {
    OwnedDrawing o;
    AddRectangle(o.d, kIdentity, 100, 0, 200, 100, kRed);
    RenderOnWhite(o.d, kEditorView);
    EXPECT_NE(PixelAt(129, 160), kWhite);
    ExpectPixels({{128, 160, kWhite}, {129, 159, kWhite}, {134, 160, kRedWord},
                  {134, 168, kRedWord}, {134, 169, kWhite}});
}

// At 45 degrees, radius 45: inside the circle, outside the diamond of the
// four curve ends. The first and the closing curve both bulge out.
TEST(ShapeRenderer, FilledEllipseClosesWithACurve) {
    OwnedDrawing o;
    AddEllipse(o.d, kIdentity, 120, 160, 50, 50, kRed);
    RenderOnWhite(o.d);
    ExpectPixels({{120, 160, kRedWord}, {151, 191, kRedWord}, {151, 128, kRedWord},
                  {88, 191, kRedWord}, {120, 220, kWhite}, {160, 200, kWhite}});
}

// The curve passes the stored middle point, not the Bezier control point
// (120, 0) above it.
TEST(ShapeRenderer, OutlineCurveFollowsItsMiddlePoint) {
    OwnedDrawing o;
    AddPoints(o.d, {{40, 200}, {120, 100}, {200, 200}}, kShapeOutline, kRed);
    o.d.vertices[1].type = kPointControl;
    o.d.vertices[2].type = kPointCurveEnd;
    RenderOnWhite(o.d);
    bool near_middle = false;
    for (int y = 98; y <= 102; ++y) near_middle |= PixelAt(120, y) != kWhite;
    EXPECT_TRUE(near_middle);
    for (int y = 0; y < 90; ++y) ASSERT_EQ(PixelAt(120, y), kWhite) << y;
    for (int y = 110; y < 200; ++y) ASSERT_EQ(PixelAt(120, y), kWhite) << y;
}

// Shapes of one vertex (filled or outline) and of none draw no pixel.
TEST(ShapeRenderer, DegenerateShapesDrawNothing) {
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {60, 60}}, kShapeOutline, kRed);
    AddPoints(o.d, {{80, 20}, {90, 60}}, kShapeFilled, kRed);
    AddPoints(o.d, {{80, 20}, {90, 60}}, kShapeFilled, kRed);
    o.d.shapes[0].count = 1;
    o.d.shapes[1] = ShapeRecord{1, 1, kShapeFilled, 0, kRed};
    o.d.shapes[2] = ShapeRecord{2, 0, kShapeFilled, 0, kRed};
    o.d.vertex_count = 2;
    ASSERT_TRUE(CheckDrawing(o.d));
    RenderOnWhite(o.d);
    EXPECT_EQ(CountPixelsNot(kWhite), 0);
    ExpectPenOpaque();
}

TEST(ShapeRenderer, CurveEndWithoutControlPointIsACorner) {
    OwnedDrawing o;
    AddPoints(o.d, {{30, 30}, {150, 40}, {90, 200}}, kShapeFilled, kRed);
    RenderOnWhite(o.d);
    const std::vector<uint16_t> corners = Snapshot();
    o.d.vertices[1].type = kPointCurveEnd;
    RenderOnWhite(o.d);
    EXPECT_EQ(Snapshot(), corners);
    EXPECT_EQ(PixelAt(90, 90), kRedWord);

    // In an outline too, also where the curve end follows a corner.
    o.d.shapes[0].kind = kShapeOutline;
    o.d.vertices[1].type = kPointCorner;
    RenderOnWhite(o.d);
    const std::vector<uint16_t> lines = Snapshot();
    o.d.vertices[1].type = kPointCurveEnd;
    o.d.vertices[2].type = kPointCurveEnd;
    RenderOnWhite(o.d);
    EXPECT_EQ(Snapshot(), lines);
}

// A record whose block runs past the view's vertices draws nothing; the
// shapes before it draw as usual.
TEST(ShapeRenderer, AShapeRunningPastTheViewsVerticesIsSkipped) {
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {60, 20}, {60, 60}}, kShapeFilled, kRed);
    RenderOnWhite(o.d);
    const std::vector<uint16_t> first = Snapshot();
    AddPoints(o.d, {{100, 100}, {140, 100}, {140, 140}}, kShapeFilled, kRed);
    ASSERT_EQ(o.d.vertex_count, 6);
    DrawingView view = ViewOf(o.d);
    view.vertex_count = 5;
    ResetTestSurface(kWhite);
    RenderDrawing(surface, view, kIdentity);
    EXPECT_EQ(Snapshot(), first);
}

TEST(ShapeRenderer, LibraryViewDrawsLikeTheDrawing) {
    static DrawingLibrary lib;
    LibraryInit(lib);
    OwnedDrawing o;
    AddEllipse(o.d, kIdentity, 0, 0, 300, 200, kRed);
    AddPoints(o.d, {{-500, -500}, {400, 300}, {-200, 600}}, kShapeOutline,
              MakeColour(0, 128, 0, 255));
    AddRectangle(o.d, kIdentity, -100, -100, 100, 900, kHalfBlue);
    ASSERT_TRUE(StoreDrawing(lib, 2, o.d));
    RenderOnWhite(o.d, kEditorView);
    const std::vector<uint16_t> direct = Snapshot();
    EXPECT_GT(CountPixelsNot(kWhite), 1000);
    ResetTestSurface(kWhite);
    RenderDrawing(surface, MakeDrawingView(lib.slots[2].data), kEditorView);
    EXPECT_EQ(Snapshot(), direct);
}

// Huge scales: products wrap and coordinates run far beyond the surface.
TEST(ShapeRenderer, FarOffShapesAreClippedSafely) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddEllipse(o.d, kIdentity, 0, 0, 30000, 30000, kRed);
    AddPoints(o.d, {{-32768, -32768}, {32767, 32767}, {-32768, 32767}}, kShapeOutline, kRed);
    o.d.vertices[9].type = kPointControl;
    o.d.vertices[10].type = kPointCurveEnd;
    AddPoints(o.d, {{-32768, 0}, {32767, 10}, {0, 32767}}, kShapeFilled, kRed);
    for (int32_t scale : {16384, 16384 * 64, 16384 * 4096}) {
        const Transform t = {scale, scale / 3, -scale / 5, scale, 120, 160};
        RenderDrawing(surface, ViewOf(o.d), t);
    }
    ExpectPenOpaque();
}

}  // namespace
