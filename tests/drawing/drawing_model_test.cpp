#include <gtest/gtest.h>

#include <cmath>

#include "drawing/drawing.h"
#include "geometry/sincos.h"
#include "drawing_helpers.h"

namespace {

using XYList = std::vector<std::pair<int, int>>;
using Types = std::vector<uint8_t>;

TEST(DrawingStrokes, ScreenPointsMapThroughTheInverseView) {
    OwnedDrawing o;
    const Transform inverse = {164644, 0, 0, 164644, -1205, -1607};
    std::vector<Vertex> stroke = Points({{120, 160}, {129, 164}, {0, 0}});
    ASSERT_TRUE(AddStrokeShape(o.d, inverse, 3, stroke.data(), kShapeOutline, kBlue));
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{0, 0}, {91, 41}, {-1205, -1607}}));
    EXPECT_EQ(o.d.shapes[0].kind, kShapeOutline);
    EXPECT_EQ(o.d.shapes[0].colour.word, kBlue.word);
    EXPECT_EQ(o.d.shapes[0].colour.alpha, 255);
}

// Points that map outside 16 bits are skipped; a stroke left with no point,
// one of fewer than two points, or of an unknown kind adds no shape.
TEST(DrawingStrokes, UnusablePointsAndKindsAddNothing) {
    OwnedDrawing o;
    EXPECT_FALSE(AddPoints(o.d, {{5, 5}}, kShapeFilled, kRed));
    EXPECT_FALSE(AddPoints(o.d, {{5, 5}, {6, 6}}, 1, kRed));
    EXPECT_EQ(o.d.vertex_count, 0);

    const Transform times100 = {16384 * 100, 0, 0, 16384 * 100, 0, 0};
    std::vector<Vertex> stroke = Points({{1, 2}, {400, 0}, {-3, 300}});  // 400 maps to 40000
    ASSERT_TRUE(AddStrokeShape(o.d, times100, 3, stroke.data(), kShapeFilled, kRed));
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{100, 200}, {-300, 30000}}));
    std::vector<Vertex> far = Points({{400, 0}, {0, -400}});
    EXPECT_FALSE(AddStrokeShape(o.d, times100, 2, far.data(), kShapeFilled, kRed));
    EXPECT_EQ(o.d.shape_count, 1);
    EXPECT_EQ(o.d.vertex_count, 2);
}

TEST(DrawingStrokes, OutlinesOfOneColourMergeIntoSubPaths) {
    OwnedDrawing o;
    AddPoints(o.d, {{0, 0}, {10, 0}}, kShapeOutline, kRed);
    ColourRecord same = kRed;
    same.word = 0x1234;  // only r, g, b and a are compared
    AddPoints(o.d, {{0, 5}, {10, 5}, {20, 5}}, kShapeOutline, same);
    MergeWithPrevious(o.d);
    ASSERT_EQ(o.d.shape_count, 1);
    EXPECT_EQ(o.d.shapes[0].count, 5);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, kPointContourStart, 0, 0}));

    // Another kind or another alpha keeps shapes apart; two filled shapes of one colour join.
    AddPoints(o.d, {{0, 9}, {9, 9}}, kShapeFilled, kRed);
    MergeWithPrevious(o.d);
    EXPECT_EQ(o.d.shape_count, 2);
    AddPoints(o.d, {{0, 9}, {9, 9}}, kShapeFilled, MakeColour(255, 0, 0, 254));
    MergeWithPrevious(o.d);
    EXPECT_EQ(o.d.shape_count, 3);
    AddPoints(o.d, {{1, 1}, {2, 2}}, kShapeFilled, MakeColour(255, 0, 0, 254));
    MergeWithPrevious(o.d);
    EXPECT_EQ(o.d.shape_count, 3);
    EXPECT_EQ(o.d.shapes[2].count, 4);
    EXPECT_TRUE(CheckDrawing(o.d));
}

// 65536 + 10 keeps only its low 16 bits: no range test for rectangles.
TEST(DrawingShapes, RectangleCornersGoClockwiseAndAreCutTo16Bits) {
    OwnedDrawing o;
    const Transform shifted = {16384, 0, 0, 16384, 65536, -65536};
    ASSERT_TRUE(AddRectangle(o.d, shifted, 10, 20, 11, 21, kRed));
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{10, 20}, {11, 20}, {11, 21}, {10, 21}}));
    EXPECT_EQ(o.d.shapes[0].kind, kShapeFilled);
}

TEST(DrawingShapes, EllipseOfRadius100RoundsTowardZero) {
    OwnedDrawing o;
    ASSERT_TRUE(AddEllipse(o.d, kIdentity, 0, 0, 100, 100, kRed));
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{100, 0}, {70, 70}, {0, 100}, {-70, 70}, {-100, 0},
                                     {-70, -70}, {0, -100}, {70, -70}}));
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 1, 2, 1, 2, 1, 2, 1}));
    ASSERT_TRUE(AddEllipse(o.d, kIdentity, 7, -3, 0, 0, kRed));
    EXPECT_EQ(XYsOf(o.d, 1), XYList(8, {7, -3}));
}

// The 4-vertex block swaps with the 8-vertex block after it, and back.
TEST(DrawingOrder, SwapExchangesWholeBlocksEitherWay) {
    OwnedDrawing o;
    AddPoints(o.d, {{0, 0}, {0, 1}}, kShapeFilled, kRed);
    AddPoints(o.d, {{1, 0}, {1, 1}, {1, 2}, {1, 3}}, kShapeFilled, kRed);
    AddPoints(o.d, {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}}, kShapeOutline,
              kBlue);
    const XYList four = XYsOf(o.d, 1), eight = XYsOf(o.d, 2);
    SwapWithNext(o.d, 1);
    ASSERT_TRUE(CheckDrawing(o.d));
    EXPECT_EQ(o.d.shapes[2].first, 10);
    EXPECT_EQ(o.d.shapes[1].kind, kShapeOutline);
    EXPECT_EQ(XYsOf(o.d, 1), eight);
    EXPECT_EQ(XYsOf(o.d, 2), four);
    SwapWithNext(o.d, 1);
    EXPECT_EQ(o.d.shapes[2].first, 6);
    EXPECT_EQ(XYsOf(o.d, 1), four);
    EXPECT_EQ(XYsOf(o.d, 2), eight);
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{0, 0}, {0, 1}}));
}

TEST(DrawingVertices, DeletingFromSmallShapes) {
    OwnedDrawing o;
    AddPoints(o.d, {{0, 0}, {1, 0}, {2, 0}}, kShapeFilled, kRed);
    AddPoints(o.d, {{5, 0}, {6, 0}}, kShapeFilled, kRed);
    AddPoints(o.d, {{9, 0}, {9, 1}, {9, 2}}, kShapeFilled, kRed);
    DeleteVertex(o.d, 0, 1);
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{0, 0}, {2, 0}}));
    EXPECT_EQ(o.d.shapes[2].first, 4);
    DeleteVertex(o.d, 1, 0);  // two vertices left: the whole shape goes
    ASSERT_EQ(o.d.shape_count, 2);
    EXPECT_EQ(o.d.shapes[1].first, 2);
    EXPECT_EQ(XYsOf(o.d, 1), (XYList{{9, 0}, {9, 1}, {9, 2}}));
    // A vertex index past the shape does nothing; a shape index past the end means the last.
    DeleteVertex(o.d, 1, 3);
    EXPECT_EQ(o.d.vertex_count, 5);
    DeleteVertex(o.d, 40, 2);
    EXPECT_EQ(XYsOf(o.d, 1), (XYList{{9, 0}, {9, 1}}));
    EXPECT_TRUE(CheckDrawing(o.d));
}

TEST(DrawingVertices, DeletingKeepsCurvesWellFormed) {
    OwnedDrawing o;
    ASSERT_TRUE(AddEllipse(o.d, kIdentity, 0, 0, 100, 100, kRed));
    // The control point from 3 now follows a control point and ends the curve.
    DeleteVertex(o.d, 0, 2);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 1, 2, 2, 1, 2, 1}));
    // The new first vertex is a corner and the second no longer ends a curve.
    DeleteVertex(o.d, 0, 0);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 2, 1, 2, 1}));
    DeleteVertex(o.d, 0, 5);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 2, 1, 2}));
}

TEST(DrawingVertices, InsertDoublesOrSplits) {
    OwnedDrawing o;
    AddPoints(o.d, {{0, 0}, {10, 21}, {30, -5}}, kShapeFilled, kRed);
    AddPoints(o.d, {{7, 7}, {8, 8}}, kShapeFilled, kRed);
    o.d.vertices[1].type = kPointControl;
    o.d.vertices[2].type = kPointCurveEnd;
    ASSERT_TRUE(InsertVertex(o.d, 0, 1));
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{0, 0}, {10, 21}, {20, 8}, {30, -5}}));
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 1, 2}));
    EXPECT_EQ(o.d.shapes[1].first, 4);
    ASSERT_TRUE(InsertVertex(o.d, 0, 3));  // after the last: a second vertex on top of it
    EXPECT_EQ(XYsOf(o.d, 0)[4], std::make_pair(30, -5));
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 1, 0, 2}));
    EXPECT_FALSE(InsertVertex(o.d, 0, 5));
    EXPECT_FALSE(InsertVertex(o.d, 2, 0));
    EXPECT_EQ(XYsOf(o.d, 1), (XYList{{7, 7}, {8, 8}}));
    EXPECT_TRUE(CheckDrawing(o.d));
}

// The midpoint's sum is taken in 32 bits: a 16-bit sum would wrap.
TEST(DrawingVertices, InsertedMidpointOfFarVerticesStaysBetweenThem) {
    OwnedDrawing o;
    AddPoints(o.d, {{20000, -20000}, {30000, -30000}, {-32768, 32767}}, kShapeFilled, kRed);
    ASSERT_TRUE(InsertVertex(o.d, 0, 0));
    EXPECT_EQ(XYsOf(o.d, 0)[1], std::make_pair(25000, -25000));
    ASSERT_TRUE(InsertVertex(o.d, 0, 2));
    EXPECT_EQ(XYsOf(o.d, 0)[3], std::make_pair(-1384, 1383));
}

TEST(DrawingVertices, ToggleCurveAndContourStart) {
    OwnedDrawing o;
    AddPoints(o.d, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, kShapeFilled, kRed);
    const ShapeRecord& s = o.d.shapes[0];
    for (uint16_t v : {0, 4, 9}) {  // the first, the last and past the end stay
        ToggleCurve(s, o.d.vertices, v);
        ToggleContourStart(s, o.d.vertices, v);
    }
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 0, 0, 0}));
    ToggleCurve(s, o.d.vertices, 1);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 1, 2, 0, 0}));
    ToggleCurve(s, o.d.vertices, 1);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 0, 0, 0, 0}));
    // A new curve takes over a curve end that followed.
    ToggleCurve(s, o.d.vertices, 2);
    ToggleCurve(s, o.d.vertices, 1);
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 1, 2, 0, 0}));
    ToggleContourStart(s, o.d.vertices, 3);
    ToggleCurve(s, o.d.vertices, 3);         // a contour start is not a curve point
    ToggleContourStart(s, o.d.vertices, 1);  // nor is a control point a corner
    EXPECT_EQ(TypesOf(o.d, 0), (Types{0, 1, 2, 3, 0}));
}

TEST(DrawingVertices, TranslateWrapsAndBoundsMapEveryVertex) {
    OwnedDrawing o;
    AddPoints(o.d, {{32767, 0}, {-5, -32768}}, kShapeFilled, kRed);
    AddPoints(o.d, {{0, 0}, {100, 50}, {-100, 10}}, kShapeFilled, kRed);
    TranslateShape(o.d.shapes[0], o.d.vertices, 1, -1);
    EXPECT_EQ(XYsOf(o.d, 0), (XYList{{-32768, -1}, {-4, 32767}}));
    EXPECT_EQ(XYsOf(o.d, 1)[0], std::make_pair(0, 0));

    // -100 maps to 120 + (-163800 >> 14) = 110.
    EXPECT_EQ(BoxOf(ShapeBounds(o.d.shapes[1], o.d.vertices, kEditorView)),
              (Box{110, 160, 129, 164}));
    // Full 32-bit results, not cut to 16 bits.
    const Transform big = {16384 * 4, 0, 0, 16384, 0, 0};
    EXPECT_EQ(ShapeBounds(o.d.shapes[0], o.d.vertices, big).min_x, -131072);
    const ShapeRecord one = {2, 1, kShapeFilled, 0, kRed}, none = {0, 0, kShapeFilled, 0, kRed};
    EXPECT_EQ(BoxOf(ShapeBounds(one, o.d.vertices, kIdentity)), (Box{0, 0, 0, 0}));
    EXPECT_TRUE(BoundsEmpty(ShapeBounds(none, o.d.vertices, kIdentity)));
}

// With three places left, four points are refused whole and three fit.
TEST(DrawingCapacity, PartlyFullPoolRefusesWholeAdditions) {
    OwnedDrawing o;
    std::vector<Vertex> stroke(512, Vertex{1, 2, kPointCorner, 0});
    for (uint16_t n : {512, 512, 512, 509})
        ASSERT_TRUE(AddStrokeShape(o.d, kIdentity, n, stroke.data(), kShapeFilled, kRed));
    EXPECT_FALSE(AddRectangle(o.d, kIdentity, 0, 0, 5, 5, kRed));
    EXPECT_FALSE(AddEllipse(o.d, kIdentity, 0, 0, 5, 5, kRed));
    EXPECT_FALSE(AddStrokeShape(o.d, kIdentity, 4, stroke.data(), kShapeFilled, kRed));
    EXPECT_FALSE(DuplicateShape(o.d, 0));
    EXPECT_EQ(o.d.shape_count, 4);
    EXPECT_EQ(o.d.vertex_count, 2045);
    ASSERT_TRUE(AddStrokeShape(o.d, kIdentity, 3, stroke.data(), kShapeFilled, kRed));
    EXPECT_EQ(o.d.vertex_count, 2048);
    EXPECT_TRUE(CheckDrawing(o.d));
}

TEST(DrawingCapacity, CheckDrawingSeesBrokenInvariants) {
    OwnedDrawing o;
    for (int16_t x = 0; x < 3; ++x) AddPoints(o.d, {{x, 0}, {x, 1}}, kShapeFilled, kRed);
    ASSERT_TRUE(CheckDrawing(o.d));
    o.d.shapes[1].first = 3;
    EXPECT_FALSE(CheckDrawing(o.d));
    o.d.shapes[1].first = 2;
    o.d.shapes[2].kind = 1;
    EXPECT_FALSE(CheckDrawing(o.d));
    o.d.shapes[2].kind = kShapeOutline;
    ++o.d.vertex_count;
    EXPECT_FALSE(CheckDrawing(o.d));
}

// Entries lie within one unit of the truncated cosine and never rise.
TEST(SinCos, TableIsTheTruncatedQuarterWave) {
    EXPECT_EQ(kCosineTable[0], 16384);
    EXPECT_EQ(kCosineTable[121], 16019);
    EXPECT_EQ(kCosineTable[450], 11585);
    EXPECT_EQ(kCosineTable[900], 0);
    for (int i = 0; i <= 900; ++i) {
        const double exact = std::trunc(16384.0 * std::cos(i * M_PI / 1800.0));
        EXPECT_LE(std::fabs(kCosineTable[i] - exact), 1.0) << i;
        if (i > 0) {
            EXPECT_LE(kCosineTable[i], kCosineTable[i - 1]) << i;
        }
    }
}

// Every quadrant, and any 16-bit angle is reduced fully modulo 3600.
TEST(SinCos, QuadrantsAndNormalisation) {
    struct Case {
        int16_t angle;
        int sin, cos;
    } cases[] = {
        {0, 0, 16384},         {900, 16384, 0},        {1800, 0, -16384},
        {2700, -16384, 0},     {3600, 0, 16384},       {-450, -11585, 11585},
        {1350, 11585, -11585}, {2250, -11585, -11585}, {3150, -11585, 11585},
        {121, 3434, 16019},    {-3600, 0, 16384},      {4500, 16384, 0},
    };
    for (const Case& c : cases) {
        SinCosValue v = SinCos(c.angle);
        EXPECT_EQ(v.sin, c.sin) << c.angle;
        EXPECT_EQ(v.cos, c.cos) << c.angle;
    }
    for (int32_t angle = -32768; angle <= 32767; angle += 7) {
        const SinCosValue v = SinCos(static_cast<int16_t>(angle));
        const SinCosValue w = SinCos(static_cast<int16_t>((angle % 3600 + 3600) % 3600));
        ASSERT_EQ(v.sin, w.sin) << angle;
        ASSERT_EQ(v.cos, w.cos) << angle;
    }
}

}  // namespace
