#include <gtest/gtest.h>

#include <vector>

#include "drawing/library.h"
#include "drawing_helpers.h"
#include "raster/shape_renderer.h"
#include "support/test_surface.h"
#include "surface/pen.h"

namespace {

// Drawing units are pixels under this transform.
constexpr Transform kPixels = {16384, 0, 0, 16384, 0, 0};

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kRedWord = 0xF800;

const ColourRecord kRed = MakeColour(255, 0, 0, 255);
const ColourRecord kHalfBlue = MakeColour(0, 0, 255, 128);

void Render(const Drawing& d, const Transform& t = kPixels) {
    RenderDrawing(surface, ViewOf(d), t);
}

void ExpectPenOpaque() {
    EXPECT_EQ(surface.pen_alpha, 255);
    EXPECT_EQ(plain_plot, &PlotSet);
    EXPECT_EQ(coverage_plot, &PlotBlendCoverage);
}

std::vector<uint16_t> Snapshot() {
    return std::vector<uint16_t>(surface.pixel_base,
                                 surface.pixel_base + kScreenWidth * kScreenHeight);
}

TEST(ShapeRenderer, InnerContourOfAFilledShapeIsAHole) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {100, 20}, {100, 100}, {20, 100}, {40, 40}, {80, 40}, {80, 80},
                    {40, 80}},
              kShapeFilled, kRed);
    o.d.vertices[4].type = kPointContourStart;
    Render(o.d);
    EXPECT_EQ(PixelAt(30, 30), kRedWord);
    EXPECT_EQ(PixelAt(90, 60), kRedWord);
    EXPECT_EQ(PixelAt(60, 60), kWhite);
    EXPECT_EQ(PixelAt(45, 75), kWhite);
    EXPECT_EQ(PixelAt(110, 60), kWhite);
    EXPECT_EQ(PixelAt(60, 10), kWhite);
    ExpectPenOpaque();
}

TEST(ShapeRenderer, TranslucentShapeBlendsOverTheOneBelow) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {120, 20}, {70, 120}}, kShapeFilled, kRed);
    AddRectangle(o.d, kPixels, 60, 10, 160, 60, kHalfBlue);
    Render(o.d);
    EXPECT_EQ(PixelAt(40, 30), kRedWord);   // triangle alone
    EXPECT_EQ(PixelAt(70, 30), 0x780F);     // half blue over red
    EXPECT_EQ(PixelAt(140, 30), 0x7BFF);    // half blue over white
    EXPECT_EQ(PixelAt(70, 90), kRedWord);   // below the rectangle
    EXPECT_EQ(PixelAt(170, 30), kWhite);
    ExpectPenOpaque();
    // The pen kept the last shape's colour record, only the alpha is reset.
    EXPECT_EQ(surface.pen_colour.word, kHalfBlue.word);
}

TEST(ShapeRenderer, OutlineSubPathsAreNotJoined) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddPoints(o.d, {{20, 50}, {100, 50}}, kShapeOutline, kRed);
    AddPoints(o.d, {{20, 150}, {100, 150}}, kShapeOutline, kRed);
    MergeWithPrevious(o.d);
    ASSERT_EQ(o.d.shape_count, 1);
    Render(o.d);
    EXPECT_NE(PixelAt(60, 50), kWhite);
    EXPECT_NE(PixelAt(60, 150), kWhite);
    // The line from (100, 50) to (20, 150) would pass (60, 100); nothing is
    // drawn between the two strokes, and an outline is not closed either.
    for (int y = 52; y <= 148; ++y)
        for (int x = 0; x < kScreenWidth; ++x) ASSERT_EQ(PixelAt(x, y), kWhite) << x << "," << y;
    ExpectPenOpaque();
}

TEST(ShapeRenderer, EditorViewPutsDrawingUnitsAtATenthOfAPixel) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddRectangle(o.d, kIdentity, 100, 0, 200, 100, kRed);
    Render(o.d, kEditorView);
    // Corner (100, 0) is pixel (129, 160); (200, 100) is (139, 169), since
    // 1638 * 100 >> 14 is 9.998 cut to 9.
    EXPECT_NE(PixelAt(129, 160), kWhite);
    EXPECT_EQ(PixelAt(128, 160), kWhite);
    EXPECT_EQ(PixelAt(129, 159), kWhite);
    EXPECT_EQ(PixelAt(134, 160), kRedWord);
    EXPECT_EQ(PixelAt(134, 168), kRedWord);
    EXPECT_EQ(PixelAt(134, 169), kWhite);
}

TEST(ShapeRenderer, FilledEllipseClosesWithACurve) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddEllipse(o.d, kPixels, 120, 160, 50, 50, kRed);
    Render(o.d);
    EXPECT_EQ(PixelAt(120, 160), kRedWord);
    // At 45 degrees, radius 45: inside the circle, outside the diamond of
    // the four curve ends. The first and the closing curve both bulge out.
    EXPECT_EQ(PixelAt(151, 191), kRedWord);
    EXPECT_EQ(PixelAt(151, 128), kRedWord);
    EXPECT_EQ(PixelAt(88, 191), kRedWord);
    EXPECT_EQ(PixelAt(120, 220), kWhite);
    EXPECT_EQ(PixelAt(160, 200), kWhite);
}

TEST(ShapeRenderer, OutlineCurveFollowsItsMiddlePoint) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddPoints(o.d, {{40, 200}, {120, 100}, {200, 200}}, kShapeOutline, kRed);
    o.d.vertices[1].type = kPointControl;
    o.d.vertices[2].type = kPointCurveEnd;
    Render(o.d);
    // The curve passes the stored middle point, not the Bezier control
    // point (120, 0) above it.
    bool near_middle = false;
    for (int y = 98; y <= 102; ++y) near_middle |= PixelAt(120, y) != kWhite;
    EXPECT_TRUE(near_middle);
    for (int y = 0; y < 90; ++y) ASSERT_EQ(PixelAt(120, y), kWhite) << y;
    for (int y = 110; y < 200; ++y) ASSERT_EQ(PixelAt(120, y), kWhite) << y;
}

TEST(ShapeRenderer, DegenerateShapesDrawNothing) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddPoints(o.d, {{20, 20}, {60, 60}}, kShapeFilled, kRed);
    DeleteVertex(o.d, 0, 0);  // too small: the shape goes
    AddPoints(o.d, {{20, 20}, {60, 60}}, kShapeOutline, kRed);
    AddPoints(o.d, {{80, 20}, {90, 60}}, kShapeFilled, kRed);
    o.d.shapes[0].count = 1;  // one vertex each
    o.d.shapes[1].first = 1;
    o.d.shapes[1].count = 1;
    o.d.shapes[1].kind = kShapeFilled;
    o.d.shapes[2].first = 2;
    o.d.shapes[2].count = 0;  // no vertex at all
    o.d.vertex_count = 2;
    ASSERT_TRUE(CheckDrawing(o.d));
    Render(o.d);
    EXPECT_EQ(CountPixelsNot(kWhite), 0);
    ExpectPenOpaque();
}

TEST(ShapeRenderer, CurveEndWithoutControlPointIsACorner) {
    OwnedDrawing o;
    AddPoints(o.d, {{30, 30}, {150, 40}, {90, 200}}, kShapeFilled, kRed);
    ResetTestSurface(kWhite);
    Render(o.d);
    const std::vector<uint16_t> corners = Snapshot();
    o.d.vertices[1].type = kPointCurveEnd;
    ResetTestSurface(kWhite);
    Render(o.d);
    EXPECT_EQ(Snapshot(), corners);
    EXPECT_EQ(PixelAt(90, 90), kRedWord);
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

    ResetTestSurface(kWhite);
    Render(o.d, kEditorView);
    const std::vector<uint16_t> direct = Snapshot();
    EXPECT_GT(CountPixelsNot(kWhite), 1000);
    ResetTestSurface(kWhite);
    RenderDrawing(surface, MakeDrawingView(lib.slots[2].data), kEditorView);
    EXPECT_EQ(Snapshot(), direct);
}

TEST(ShapeRenderer, FarOffShapesAreClippedSafely) {
    ResetTestSurface(kWhite);
    OwnedDrawing o;
    AddEllipse(o.d, kIdentity, 0, 0, 30000, 30000, kRed);
    AddPoints(o.d, {{-32768, -32768}, {32767, 32767}, {-32768, 32767}}, kShapeOutline, kRed);
    o.d.vertices[9].type = kPointControl;
    o.d.vertices[10].type = kPointCurveEnd;
    AddPoints(o.d, {{-32768, 0}, {32767, 10}, {0, 32767}}, kShapeFilled, kRed);
    // Huge scale: products wrap, coordinates run far beyond the surface.
    for (int32_t scale : {16384, 16384 * 64, 16384 * 4096}) {
        const Transform t = {scale, scale / 3, -scale / 5, scale, 120, 160};
        Render(o.d, t);
    }
    ExpectPenOpaque();
}

}  // namespace
