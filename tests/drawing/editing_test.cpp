// The drawing's editing operations: a long seeded run of random edits,
// checked after every step against a plain model that keeps each shape's
// points in a vector of its own, and the shapes each way of adding makes.
#include <gtest/gtest.h>

#include <random>

#include "drawing/drawing.h"
#include "support/drawing_literal.h"

namespace {

struct Point {
    int x, y, type;
    bool operator==(const Point&) const = default;
};
struct Shape {
    std::vector<Point> v;
    int kind;
    std::array<int, 4> rgba;
    bool operator==(const Shape&) const = default;
};
using Model = std::vector<Shape>;

std::array<int, 4> Rgba(const ColourRecord& c) { return {c.red, c.green, c.blue, c.alpha}; }

Model Read(const Drawing& d) {
    Model m;
    for (const ShapeRecord* s = d.shapes; s < d.shapes + d.shape_count; ++s) {
        m.push_back({{}, s->kind, Rgba(s->colour)});
        for (const Vertex* v = d.vertices + s->first; v < d.vertices + s->first + s->count; ++v) m.back().v.push_back({v->x, v->y, v->type});
    }
    return m;
}

void Translate(Shape& s, int dx, int dy) {
    for (Point& p : s.v) p.x = static_cast<int16_t>(p.x + dx), p.y = static_cast<int16_t>(p.y + dy);
}

}  // namespace

// Indices run one or two past the end now and then: those edits change
// nothing, except that a vertex's shape past the end means the last shape.
// Long strokes now and then reach the capacities (2048 points, 512 shapes),
// where additions are refused whole.
TEST(DrawingEditing, RandomEditsKeepTheInvariantsAndMatchAPlainModel) {
    OwnedDrawing o;
    Drawing& d = o.d;
    Model m;
    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return static_cast<int>(rng() % n); };
    auto fits = [&](size_t points) { size_t n = points; for (const Shape& s : m) n += s.v.size(); return m.size() < 512 && n <= 2048; };
    const ColourRecord colours[3] = {kRed, kHalfBlue, MakeColour(0, 200, 0, 255)};
    int refused = 0, added = 0;
    for (int step = 0; step < 20000; ++step) {
        const size_t shapes = m.size();
        const uint16_t si = static_cast<uint16_t>(pick(shapes + 2));
        const bool valid = si < shapes;
        std::vector<Point>* s = valid ? &m[si].v : nullptr;
        const uint16_t vi = static_cast<uint16_t>(valid ? pick(s->size() + 1) : pick(4));
        const int op = pick(15);
        switch (op) {
            case 0:
            case 1: {
                std::vector<Vertex> stroke(pick(10) == 0 ? 200 + pick(313) : pick(12));
                const ColourRecord c = colours[pick(3)];
                Shape shape{{}, pick(2) ? kShapeOutline : kShapeFilled, Rgba(c)};
                const int reach = pick(4) ? 4000 : 65536;
                for (Vertex& p : stroke) {
                    p = {static_cast<int16_t>(pick(reach) - reach / 2), static_cast<int16_t>(pick(reach) - reach / 2), 0, 0};
                    shape.v.push_back({p.x, p.y, 0});
                }
                const bool ok = stroke.size() >= 2 && fits(stroke.size());
                EXPECT_EQ(AddStrokeShape(d, kIdentity, uint16_t(stroke.size()), stroke.data(), uint8_t(shape.kind), c), ok);
                if (ok) m.push_back(shape);
                refused += stroke.size() >= 2 && !ok, added += ok;
                break;
            }
            case 2:  // the last shape becomes a contour of the one below when kind and colour agree
                MergeWithPrevious(d);
                if (shapes < 2 || m[shapes - 1].kind != m[shapes - 2].kind || m[shapes - 1].rgba != m[shapes - 2].rgba) break;
                m[shapes - 1].v[0].type = kPointContourStart;
                m[shapes - 2].v.insert(m[shapes - 2].v.end(), m[shapes - 1].v.begin(), m[shapes - 1].v.end());
                m.pop_back();
                break;
            case 3: {
                const int x1 = pick(200), y1 = pick(200), x2 = pick(200), y2 = pick(200);
                const bool ok = fits(4);
                EXPECT_EQ(AddRectangle(d, kIdentity, int16_t(x1), int16_t(y1), int16_t(x2), int16_t(y2), kRed), ok);
                if (ok) m.push_back({{{x1, y1, 0}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}}, kShapeFilled, Rgba(kRed)});
                break;
            }
            case 4:  // the copy goes on top, ten units right and down
                EXPECT_EQ(DuplicateShape(d, si), valid && fits(s->size()));
                if (valid && fits(s->size())) m.push_back(m[si]), Translate(m.back(), 10, 10);
                break;
            case 5:
                DeleteShape(d, si);
                if (valid) m.erase(m.begin() + si);
                break;
            case 6:
            case 7:
            case 8: {  // the first two exchange the shape with the next one, the last with the one before
                const uint16_t at = static_cast<uint16_t>(si - (op == 8));
                (op == 6 ? SwapWithNext : op == 7 ? MoveShapeForward : MoveShapeBack)(d, si);
                if (valid && at + 1u < shapes) std::swap(m[at], m[at + 1]);
                break;
            }
            case 9:
                ToggleFill(d, si);
                if (valid) m[si].kind ^= kShapeFilled ^ kShapeOutline;
                break;
            case 10: {
                const int16_t dx = static_cast<int16_t>(pick(41) - 20), dy = static_cast<int16_t>(pick(41) - 20);
                if (valid) TranslateShape(d.shapes[si], d.vertices, dx, dy), Translate(m[si], dx, dy);
                break;
            }
            case 11: {  // a shape left with fewer than two points goes
                DeleteVertex(d, si, vi);
                if (m.empty()) break;
                const size_t at = std::min<size_t>(si, shapes - 1);
                std::vector<Point>& t = m[at].v;
                if (vi >= t.size()) break;
                if (t.size() < 3) {
                    m.erase(m.begin() + at);
                    break;
                }
                // The point moving into place ends a curve after a control point;
                // the first point is a corner and the second ends no curve.
                t.erase(t.begin() + vi);
                if (vi < t.size()) t[vi].type = vi > 0 && t[vi - 1].type == kPointControl ? kPointCurveEnd : kPointCorner;
                t[0].type = kPointCorner;
                if (t[1].type == kPointCurveEnd) t[1].type = kPointCorner;
                break;
            }
            case 12:  // the point is doubled and the copy moves halfway to the next
                EXPECT_EQ(InsertVertex(d, si, vi), valid && vi < s->size() && fits(1));
                if (!valid || vi >= s->size() || !fits(1)) break;
                s->insert(s->begin() + vi + 1, (*s)[vi]);
                (*s)[vi].type = kPointCorner;
                if (vi + 2u < s->size()) (*s)[vi + 1].x = ((*s)[vi + 1].x + (*s)[vi + 2].x) >> 1, (*s)[vi + 1].y = ((*s)[vi + 1].y + (*s)[vi + 2].y) >> 1;
                break;
            case 13:  // a corner becomes a control point before a curve's end, and back
                if (!valid) break;
                ToggleCurve(d.shapes[si], d.vertices, vi);
                if (vi == 0 || vi + 1u >= s->size()) break;
                if ((*s)[vi].type == kPointCorner) {
                    (*s)[vi].type = kPointControl, (*s)[vi + 1].type = kPointCurveEnd;
                    if (vi + 2u < s->size() && (*s)[vi + 2].type == kPointCurveEnd) (*s)[vi + 2].type = kPointCorner;
                } else if ((*s)[vi].type != kPointContourStart) {
                    (*s)[vi].type = (*s)[vi + ((*s)[vi].type == kPointControl ? 1 : -1)].type = kPointCorner;
                }
                break;
            default:
                if (!valid) break;
                ToggleContourStart(d.shapes[si], d.vertices, vi);
                if (vi > 0 && vi + 1u < s->size() && ((*s)[vi].type == kPointCorner || (*s)[vi].type == kPointContourStart))
                    (*s)[vi].type ^= kPointContourStart;
                break;
        }
        ASSERT_TRUE(CheckDrawing(d)) << "step " << step << " op " << op;
        ASSERT_TRUE(Read(d) == m) << "step " << step << " op " << op;
    }
    EXPECT_TRUE(refused > 0 && added > 100);
}

// Strokes map screen points through a transform and skip those outside 16
// bits; one of fewer than two points, of no usable point or of another kind
// adds nothing. Rectangles go clockwise and are cut to 16 bits; ellipses are
// four curves through points at 45 degrees, rounded toward zero. Additions
// that do not fit the 2048 vertices are refused whole; a drawing whose
// blocks do not follow each other, or with a foreign kind, is broken.
TEST(DrawingEditing, AddedShapesHoldTheirMappedPointsAndFitOrAreRefused) {
    OwnedDrawing o;
    auto stroke = [&](const Transform& t, std::vector<Vertex> v, uint8_t kind = kShapeOutline) {
        return AddStrokeShape(o.d, t, static_cast<uint16_t>(v.size()), v.data(), kind, kBlue);
    };
    const Transform inverse = {164644, 0, 0, 164644, -1205, -1607}, times100 = {1638400, 0, 0, 1638400, 0, 0};
    EXPECT_TRUE(stroke(inverse, {{120, 160, 0, 0}, {129, 164, 0, 0}, {0, 0, 0, 0}}) && stroke(times100, {{1, 2, 0, 0}, {400, 0, 0, 0}, {-3, 300, 0, 0}}));
    EXPECT_TRUE(stroke({16384, 0, 0, 16384, -32768, 32767}, {{0, 0, 0, 0}, {-1, 0, 0, 0}, {0, 1, 0, 0}, {5, -5, 0, 0}}));
    EXPECT_TRUE(stroke(times100, {{400, 0, 0, 0}, {1, 1, 0, 0}}));
    EXPECT_FALSE(stroke(times100, {{400, 0, 0, 0}, {0, -400, 0, 0}}) || stroke(kIdentity, {{5, 5, 0, 0}}) || stroke(kIdentity, {{5, 5, 0, 0}, {6, 6, 0, 0}}, 1));
    EXPECT_TRUE(AddRectangle(o.d, {16384, 0, 0, 16384, 65536, -65536}, 10, 20, 11, 21, kRed));
    EXPECT_TRUE(AddEllipse(o.d, kIdentity, 0, 0, 100, 50, kRed) && AddEllipse(o.d, kIdentity, 7, -3, 0, 0, kRed));
    const int outline = kShapeOutline;
    const std::array<int, 4> blue = Rgba(kBlue), red = Rgba(kRed);
    EXPECT_TRUE(Read(o.d) == (Model{
        {{{0, 0, 0}, {91, 41, 0}, {-1205, -1607, 0}}, outline, blue},
        {{{100, 200, 0}, {-300, 30000, 0}}, outline, blue},
        {{{-32768, 32767, 0}, {-32763, 32762, 0}}, outline, blue},
        {{{100, 100, 0}}, outline, blue},
        {{{10, 20, 0}, {11, 20, 0}, {11, 21, 0}, {10, 21, 0}}, kShapeFilled, red},
        {{{100, 0, 0}, {70, 35, 1}, {0, 50, 2}, {-70, 35, 1}, {-100, 0, 2}, {-70, -35, 1}, {0, -50, 2}, {70, -35, 1}}, kShapeFilled, red},
        {{{7, -3, 0}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}}, kShapeFilled, red}}));
    // -100 maps to 120 + (-163800 >> 14) = 110.
    const Bounds b = ShapeBounds(o.d.shapes[5], o.d.vertices, kEditorView);
    EXPECT_EQ((std::array<int32_t, 4>{b.min_x, b.min_y, b.max_x, b.max_y}), (std::array<int32_t, 4>{110, 155, 129, 164}));
    EXPECT_TRUE(BoundsEmpty(ShapeBounds(ShapeRecord{0, 0, 0, 0, kRed}, o.d.vertices, kEditorView)));
    std::vector<Vertex> points(512, Vertex{1, 2, kPointCorner, 0});
    OwnedDrawing full;
    for (int n : {512, 512, 512, 509}) ASSERT_TRUE(AddStrokeShape(full.d, kIdentity, uint16_t(n), points.data(), kShapeFilled, kRed));
    EXPECT_FALSE(AddRectangle(full.d, kIdentity, 0, 0, 5, 5, kRed) || AddEllipse(full.d, kIdentity, 0, 0, 5, 5, kRed) || DuplicateShape(full.d, 0));
    EXPECT_FALSE(AddStrokeShape(full.d, kIdentity, 4, points.data(), kShapeFilled, kRed));
    EXPECT_TRUE(AddStrokeShape(full.d, kIdentity, 3, points.data(), kShapeFilled, kRed) && full.d.vertex_count == 2048 && CheckDrawing(full.d));
    for (int fault = -1; fault < 3; ++fault) {
        OwnedDrawing broken({{kShapeFilled, kRed, {{0, 0}, {0, 1}}}, {kShapeOutline, kRed, {{1, 0}, {1, 1}}}});
        if (fault == 0) broken.d.shapes[1].first = 3;
        if (fault == 1) broken.d.shapes[1].kind = 1;
        if (fault == 2) ++broken.d.vertex_count;
        EXPECT_EQ(CheckDrawing(broken.d), fault < 0) << fault;
    }
}
