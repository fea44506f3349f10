// The drawing's editing operations against a plain model that keeps each
// shape's points in a vector of its own, and the shapes each way of adding makes.
#include <gtest/gtest.h>

#include <random>

#include "drawing/drawing.h"
#include "support/drawing_literal.h"

namespace {

struct Point { int x, y, type; bool operator==(const Point&) const = default; };
struct Shape { std::vector<Point> v; int kind; std::array<int, 4> rgba; bool operator==(const Shape&) const = default; };
using Model = std::vector<Shape>;

std::array<int, 4> Rgba(const ColourRecord& c) { return {c.red, c.green, c.blue, c.alpha}; }

std::vector<Point> PointsOf(const Vertex* v, size_t n) {
    std::vector<Point> out;
    for (const Vertex* p = v; p < v + n; ++p) out.push_back({p->x, p->y, p->type});
    return out;
}

Model Read(const Drawing& d) {
    Model m;
    for (const ShapeRecord* s = d.shapes; s < d.shapes + d.shape_count; ++s) m.push_back({PointsOf(d.vertices + s->first, s->count), s->kind, Rgba(s->colour)});
    return m;
}

void Translate(Shape& s, int dx, int dy) { for (Point& p : s.v) p.x = static_cast<int16_t>(p.x + dx), p.y = static_cast<int16_t>(p.y + dy); }

}  // namespace

// Indices past the end change nothing. Long strokes now and then reach the
// capacities (2048 points, 512 shapes), where additions are refused whole.
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
        std::vector<Point> none, &t = valid ? m[si].v : none;  // the shape's points in the model
        const uint16_t vi = static_cast<uint16_t>(valid ? pick(t.size() + 1) : pick(4));
        const bool inner = vi > 0 && vi + 1u < t.size();  // neither the first point nor the last
        const int op = pick(14);
        switch (op) {
            case 0: case 1: {  // strokes, long ones now and then
                std::vector<Vertex> stroke(pick(10) == 0 ? 200 + pick(313) : pick(12));
                const ColourRecord c = colours[pick(3)];
                const int reach = pick(4) ? 4000 : 65536, kind = pick(2) ? kShapeOutline : kShapeFilled;
                for (Vertex& p : stroke) p = {static_cast<int16_t>(pick(reach) - reach / 2), static_cast<int16_t>(pick(reach) - reach / 2), 0, 0};
                const bool ok = stroke.size() >= 2 && fits(stroke.size());
                EXPECT_EQ(AddStrokeShape(d, kIdentity, uint16_t(stroke.size()), stroke.data(), uint8_t(kind), c), ok);
                if (ok) m.push_back({PointsOf(stroke.data(), stroke.size()), kind, Rgba(c)});
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
            case 3:  // the copy goes on top, ten units right and down
                EXPECT_EQ(DuplicateShape(d, si), valid && fits(t.size()));
                if (valid && fits(t.size())) m.push_back(m[si]), Translate(m.back(), 10, 10);
                break;
            case 4: DeleteShape(d, si); if (valid) m.erase(m.begin() + si); break;
            case 5: case 6: case 7: {  // the first two exchange the shape with the next one, the last with the one before
                const uint16_t at = static_cast<uint16_t>(si - (op == 7));
                (op == 5 ? SwapWithNext : op == 6 ? MoveShapeForward : MoveShapeBack)(d, si);
                if (valid && at + 1u < shapes) std::swap(m[at], m[at + 1]);
                break;
            }
            case 8: ToggleFill(d, si); if (valid) m[si].kind ^= kShapeFilled ^ kShapeOutline; break;
            case 9: {
                const int16_t dx = static_cast<int16_t>(pick(41) - 20), dy = static_cast<int16_t>(pick(41) - 20);
                if (valid) TranslateShape(d.shapes[si], d.vertices, dx, dy), Translate(m[si], dx, dy);
                break;
            }
            case 10: {  // a shape past the end means the last one; one left with fewer than two points goes
                DeleteVertex(d, si, vi);
                const size_t at = std::min<size_t>(si, shapes - 1);
                if (m.empty() || vi >= m[at].v.size()) break;
                std::vector<Point>& u = m[at].v;
                if (u.size() < 3) {
                    m.erase(m.begin() + at);
                    break;
                }
                // The point moving into place ends a curve after a control point;
                // the first point is a corner and the second ends no curve.
                u.erase(u.begin() + vi);
                if (vi < u.size()) u[vi].type = vi > 0 && u[vi - 1].type == kPointControl ? kPointCurveEnd : kPointCorner;
                u[0].type = kPointCorner;
                if (u[1].type == kPointCurveEnd) u[1].type = kPointCorner;
                break;
            }
            case 11:  // the point is doubled and the copy moves halfway to the next
                EXPECT_EQ(InsertVertex(d, si, vi), vi < t.size() && fits(1));
                if (vi >= t.size() || !fits(1)) break;
                t.insert(t.begin() + vi + 1, t[vi]);
                t[vi].type = kPointCorner;
                if (vi + 2u < t.size()) t[vi + 1].x = (t[vi + 1].x + t[vi + 2].x) >> 1, t[vi + 1].y = (t[vi + 1].y + t[vi + 2].y) >> 1;
                break;
            case 12:  // a corner becomes a control point before a curve's end, and back
                if (!valid) break;
                ToggleCurve(d.shapes[si], d.vertices, vi);
                if (!inner || t[vi].type == kPointContourStart) break;
                if (t[vi].type == kPointCorner) {
                    t[vi].type = kPointControl, t[vi + 1].type = kPointCurveEnd;
                    if (vi + 2u < t.size() && t[vi + 2].type == kPointCurveEnd) t[vi + 2].type = kPointCorner;
                } else {
                    t[vi].type = t[vi + (t[vi].type == kPointControl ? 1 : -1)].type = kPointCorner;
                }
                break;
            default:
                if (!valid) break;
                ToggleContourStart(d.shapes[si], d.vertices, vi);
                if (inner && (t[vi].type == kPointCorner || t[vi].type == kPointContourStart)) t[vi].type ^= kPointContourStart;
                break;
        }
        ASSERT_TRUE(CheckDrawing(d) && Read(d) == m) << "step " << step << " op " << op;
    }
    EXPECT_TRUE(refused > 0 && added > 100);
}

// Strokes map screen points through a transform and skip those outside 16
// bits; one of fewer than two points, of no usable point or of another kind
// adds nothing. Rectangles go clockwise and are cut to 16 bits; ellipses are
// four curves through points at 45 degrees, rounded toward zero. A drawing
// whose blocks do not follow each other, or with a foreign kind, is broken.
TEST(DrawingEditing, AddedShapesHoldTheirMappedPoints) {
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
    EXPECT_TRUE(AddEllipse(o.d, kIdentity, 0, 0, 100, 50, kRed));
    const int outline = kShapeOutline;
    const std::array<int, 4> blue = Rgba(kBlue), red = Rgba(kRed);
    EXPECT_TRUE(Read(o.d) == (Model{
        {{{0, 0, 0}, {91, 41, 0}, {-1205, -1607, 0}}, outline, blue},
        {{{100, 200, 0}, {-300, 30000, 0}}, outline, blue},
        {{{-32768, 32767, 0}, {-32763, 32762, 0}}, outline, blue},
        {{{100, 100, 0}}, outline, blue},
        {{{10, 20, 0}, {11, 20, 0}, {11, 21, 0}, {10, 21, 0}}, kShapeFilled, red},
        {{{100, 0, 0}, {70, 35, 1}, {0, 50, 2}, {-70, 35, 1}, {-100, 0, 2}, {-70, -35, 1}, {0, -50, 2}, {70, -35, 1}}, kShapeFilled, red}}));
    for (int fault = -1; fault < 3; ++fault) {  // a block out of place, a foreign kind, a vertex outside the blocks
        OwnedDrawing b({{kShapeFilled, kRed, {{0, 0}, {0, 1}}}, {kShapeOutline, kRed, {{1, 0}, {1, 1}}}});
        b.d.shapes[1].first += fault == 0, b.d.shapes[1].kind = fault == 1 ? 1 : b.d.shapes[1].kind, b.d.vertex_count += fault == 2;
        EXPECT_EQ(CheckDrawing(b.d), fault < 0) << fault;
    }
}
