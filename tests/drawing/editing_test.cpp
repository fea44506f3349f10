// The drawing's editing operations: a long seeded run of random edits,
// checked after every step against a plain model that keeps each shape's
// vertices in a vector of its own, and the ways shapes are added.
#include <gtest/gtest.h>

#include <random>

#include "drawing/drawing.h"
#include "support/drawing_literal.h"

namespace {

struct ModelShape {
    std::vector<Vertex> v;
    uint8_t kind;
    ColourRecord colour;
};
using Model = std::vector<ModelShape>;

bool SameRgba(const ColourRecord& a, const ColourRecord& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

testing::AssertionResult Matches(const Drawing& d, const Model& m) {
    if (!CheckDrawing(d)) return testing::AssertionFailure() << "invariants broken";
    if (d.shape_count != m.size()) return testing::AssertionFailure() << d.shape_count << " shapes, model " << m.size();
    for (size_t i = 0; i < m.size(); ++i) {
        const ShapeRecord& s = d.shapes[i];
        if (s.kind != m[i].kind || !SameRgba(s.colour, m[i].colour) || s.count != m[i].v.size())
            return testing::AssertionFailure() << "shape " << i << " record differs";
        for (size_t k = 0; k < m[i].v.size(); ++k) {
            const Vertex &a = d.vertices[s.first + k], &b = m[i].v[k];
            if (a.x != b.x || a.y != b.y || a.type != b.type) return testing::AssertionFailure() << "shape " << i << " vertex " << k;
        }
    }
    return testing::AssertionSuccess();
}

size_t Vertices(const Model& m) {
    size_t n = 0;
    for (const ModelShape& s : m) n += s.v.size();
    return n;
}

// The model's own reading of the vertex edits, one shape at a time.
void ModelDeleteVertex(Model& m, size_t shape, size_t v) {
    if (m.empty()) return;
    const size_t at = std::min(shape, m.size() - 1);
    std::vector<Vertex>& s = m[at].v;
    if (v >= s.size()) return;
    if (s.size() < 3) {
        m.erase(m.begin() + at);
        return;
    }
    s.erase(s.begin() + v);
    if (v < s.size()) s[v].type = v > 0 && s[v - 1].type == kPointControl ? kPointCurveEnd : kPointCorner;
    s[0].type = kPointCorner;
    if (s[1].type == kPointCurveEnd) s[1].type = kPointCorner;
}

void ModelInsertVertex(std::vector<Vertex>& s, size_t v) {
    s.insert(s.begin() + v + 1, s[v]);
    s[v].type = kPointCorner;
    if (v + 2 < s.size()) {
        s[v + 1].x = static_cast<int16_t>((s[v + 1].x + s[v + 2].x) >> 1);
        s[v + 1].y = static_cast<int16_t>((s[v + 1].y + s[v + 2].y) >> 1);
    }
}

void ModelToggleCurve(std::vector<Vertex>& s, size_t v) {
    if (v == 0 || v + 1 >= s.size()) return;
    if (s[v].type == kPointCorner) {
        s[v].type = kPointControl;
        s[v + 1].type = kPointCurveEnd;
        if (v + 2 < s.size() && s[v + 2].type == kPointCurveEnd) s[v + 2].type = kPointCorner;
    } else if (s[v].type == kPointControl) {
        s[v].type = s[v + 1].type = kPointCorner;
    } else if (s[v].type == kPointCurveEnd) {
        s[v - 1].type = s[v].type = kPointCorner;
    }
}

void ModelTranslate(ModelShape& s, int dx, int dy) {
    for (Vertex& p : s.v) p.x = static_cast<int16_t>(p.x + dx), p.y = static_cast<int16_t>(p.y + dy);
}

}  // namespace

TEST(DrawingEditing, RandomEditsKeepTheInvariantsAndMatchTheModel) {
    OwnedDrawing o;
    Drawing& d = o.d;
    Model m;
    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return static_cast<int>(rng() % n); };
    const ColourRecord colours[3] = {kRed, kHalfBlue, MakeColour(0, 200, 0, 255)};
    int refused = 0, added = 0;
    for (int step = 0; step < 20000; ++step) {
        // Indices run one or two past the end now and then: those edits change nothing.
        const size_t shapes = m.size();
        const uint16_t si = static_cast<uint16_t>(pick(shapes + 2));
        const bool valid = si < shapes;
        const uint16_t vi = static_cast<uint16_t>(valid ? pick(m[si].v.size() + 1) : pick(4));
        const int op = pick(15);
        switch (op) {
            case 0:
            case 1: {  // strokes, long ones now and then to reach the capacities
                std::vector<Vertex> stroke(pick(10) == 0 ? 200 + pick(313) : pick(12));
                for (Vertex& p : stroke)
                    p = Vertex{static_cast<int16_t>(pick(4000) - 2000), static_cast<int16_t>(pick(4000) - 2000), 0, 0};
                const uint8_t kind = pick(2) ? kShapeOutline : kShapeFilled;
                const ColourRecord c = colours[pick(3)];
                const bool fits = stroke.size() >= 2 && shapes < 512 && Vertices(m) + stroke.size() <= 2048;
                EXPECT_EQ(AddStrokeShape(d, kIdentity, static_cast<uint16_t>(stroke.size()), stroke.data(), kind, c), fits);
                if (fits) m.push_back(ModelShape{stroke, kind, c});
                refused += stroke.size() >= 2 && !fits;
                added += fits;
                break;
            }
            case 2:
                MergeWithPrevious(d);
                if (shapes >= 2 && m[shapes - 1].kind == m[shapes - 2].kind && SameRgba(m[shapes - 1].colour, m[shapes - 2].colour)) {
                    m[shapes - 1].v[0].type = kPointContourStart;
                    m[shapes - 2].v.insert(m[shapes - 2].v.end(), m[shapes - 1].v.begin(), m[shapes - 1].v.end());
                    m.pop_back();
                }
                break;
            case 3: {
                const int16_t x1 = static_cast<int16_t>(pick(200)), y1 = static_cast<int16_t>(pick(200));
                const int16_t x2 = static_cast<int16_t>(pick(200)), y2 = static_cast<int16_t>(pick(200));
                const bool fits = shapes < 512 && Vertices(m) + 4 <= 2048;
                EXPECT_EQ(AddRectangle(d, kIdentity, x1, y1, x2, y2, kRed), fits);
                if (fits) m.push_back({{{x1, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y2, 0, 0}, {x1, y2, 0, 0}}, kShapeFilled, kRed});
                break;
            }
            case 4: {
                const bool fits = valid && shapes < 512 && Vertices(m) + m[si].v.size() <= 2048;
                EXPECT_EQ(DuplicateShape(d, si), fits);
                if (fits) m.push_back(m[si]), ModelTranslate(m.back(), 10, 10);
                break;
            }
            case 5:
                DeleteShape(d, si);
                if (valid) m.erase(m.begin() + si);
                break;
            case 6:
            case 7:  // both exchange the shape with the next one
                (op == 6 ? SwapWithNext : MoveShapeForward)(d, si);
                if (si + 1u < shapes) std::swap(m[si], m[si + 1]);
                break;
            case 8:
                MoveShapeBack(d, si);
                if (valid && si > 0) std::swap(m[si - 1], m[si]);
                break;
            case 9:
                ToggleFill(d, si);
                if (valid) m[si].kind = m[si].kind == kShapeFilled ? kShapeOutline : kShapeFilled;
                break;
            case 10: {
                const int16_t dx = static_cast<int16_t>(pick(41) - 20), dy = static_cast<int16_t>(pick(41) - 20);
                if (valid) TranslateShape(d.shapes[si], d.vertices, dx, dy), ModelTranslate(m[si], dx, dy);
                break;
            }
            case 11:
                DeleteVertex(d, si, vi);
                ModelDeleteVertex(m, si, vi);
                break;
            case 12: {
                const bool fits = valid && vi < m[si].v.size() && Vertices(m) < 2048;
                EXPECT_EQ(InsertVertex(d, si, vi), fits);
                if (fits) ModelInsertVertex(m[si].v, vi);
                break;
            }
            case 13:
                if (valid) ToggleCurve(d.shapes[si], d.vertices, vi), ModelToggleCurve(m[si].v, vi);
                break;
            default:
                if (!valid) break;
                ToggleContourStart(d.shapes[si], d.vertices, vi);
                if (vi > 0 && vi + 1u < m[si].v.size() && (m[si].v[vi].type == kPointCorner || m[si].v[vi].type == kPointContourStart))
                    m[si].v[vi].type ^= kPointContourStart;
                break;
        }
        ASSERT_TRUE(Matches(d, m)) << "step " << step << " op " << op;
    }
    EXPECT_GT(refused, 0);  // the run reached the capacities and kept adding shapes
    EXPECT_GT(added, 100);
}

// Strokes map screen points through a transform and skip those outside 16
// bits; one of fewer than two points, of no usable point or of another kind
// adds nothing. Rectangles go clockwise and are cut to 16 bits; ellipses are
// four curves through points at 45 degrees, rounded toward zero.
TEST(DrawingEditing, AddedShapesHoldTheirMappedPoints) {
    OwnedDrawing o;
    auto stroke = [&](const Transform& t, std::vector<Vertex> v, uint8_t kind = kShapeOutline) {
        return AddStrokeShape(o.d, t, static_cast<uint16_t>(v.size()), v.data(), kind, kBlue);
    };
    const Transform inverse = {164644, 0, 0, 164644, -1205, -1607}, times100 = {1638400, 0, 0, 1638400, 0, 0};
    const Transform corner = {16384, 0, 0, 16384, -32768, 32767}, wrapped = {16384, 0, 0, 16384, 65536, -65536};
    EXPECT_TRUE(stroke(inverse, {{120, 160, 0, 0}, {129, 164, 0, 0}, {0, 0, 0, 0}}));
    EXPECT_TRUE(stroke(times100, {{1, 2, 0, 0}, {400, 0, 0, 0}, {-3, 300, 0, 0}}));
    EXPECT_TRUE(stroke(corner, {{0, 0, 0, 0}, {-1, 0, 0, 0}, {0, 1, 0, 0}, {5, -5, 0, 0}}));
    EXPECT_TRUE(stroke(times100, {{400, 0, 0, 0}, {1, 1, 0, 0}}));
    EXPECT_FALSE(stroke(times100, {{400, 0, 0, 0}, {0, -400, 0, 0}}));
    EXPECT_FALSE(stroke(kIdentity, {{5, 5, 0, 0}}));
    EXPECT_FALSE(stroke(kIdentity, {{5, 5, 0, 0}, {6, 6, 0, 0}}, 1));
    EXPECT_TRUE(AddRectangle(o.d, wrapped, 10, 20, 11, 21, kRed));
    EXPECT_TRUE(AddEllipse(o.d, kIdentity, 0, 0, 100, 50, kRed));
    EXPECT_TRUE(AddEllipse(o.d, kIdentity, 7, -3, 0, 0, kRed));
    const std::vector<std::vector<std::array<int, 3>>> expected = {
        {{0, 0, 0}, {91, 41, 0}, {-1205, -1607, 0}},
        {{100, 200, 0}, {-300, 30000, 0}},
        {{-32768, 32767, 0}, {-32763, 32762, 0}},
        {{100, 100, 0}},
        {{10, 20, 0}, {11, 20, 0}, {11, 21, 0}, {10, 21, 0}},
        {{100, 0, 0}, {70, 35, 1}, {0, 50, 2}, {-70, 35, 1}, {-100, 0, 2}, {-70, -35, 1}, {0, -50, 2}, {70, -35, 1}},
        {{7, -3, 0}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}, {7, -3, 2}, {7, -3, 1}},
    };
    ASSERT_EQ(o.d.shape_count, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ShapeRecord& s = o.d.shapes[i];
        std::vector<std::array<int, 3>> got;
        for (const Vertex* v = o.d.vertices + s.first; v < o.d.vertices + s.first + s.count; ++v) got.push_back({v->x, v->y, v->type});
        EXPECT_EQ(got, expected[i]) << "shape " << i;
        EXPECT_EQ(s.kind, i < 4 ? kShapeOutline : kShapeFilled) << "shape " << i;
    }
    // -100 maps to 120 + (-163800 >> 14) = 110.
    const Bounds b = ShapeBounds(o.d.shapes[5], o.d.vertices, kEditorView);
    EXPECT_EQ((std::array<int32_t, 4>{b.min_x, b.min_y, b.max_x, b.max_y}), (std::array<int32_t, 4>{110, 155, 129, 164}));
    EXPECT_TRUE(BoundsEmpty(ShapeBounds(ShapeRecord{0, 0, 0, 0, kRed}, o.d.vertices, kEditorView)));
}

// Additions that do not fit the 2048 vertices are refused whole; a drawing
// whose blocks do not follow each other, or with a foreign kind, is broken.
TEST(DrawingEditing, CapacitiesAndBrokenInvariants) {
    std::vector<Vertex> stroke(512, Vertex{1, 2, kPointCorner, 0});
    for (uint16_t last : {508, 509}) {
        OwnedDrawing o;
        for (int n : {512, 512, 512, int{last}}) ASSERT_TRUE(AddStrokeShape(o.d, kIdentity, static_cast<uint16_t>(n), stroke.data(), kShapeFilled, kRed));
        EXPECT_EQ(AddRectangle(o.d, kIdentity, 0, 0, 5, 5, kRed), last == 508);
        if (last == 508) continue;
        EXPECT_FALSE(AddEllipse(o.d, kIdentity, 0, 0, 5, 5, kRed));
        EXPECT_FALSE(AddStrokeShape(o.d, kIdentity, 4, stroke.data(), kShapeFilled, kRed));
        EXPECT_FALSE(DuplicateShape(o.d, 0));
        EXPECT_TRUE(AddStrokeShape(o.d, kIdentity, 3, stroke.data(), kShapeFilled, kRed));
        EXPECT_EQ(o.d.vertex_count, 2048);
        EXPECT_TRUE(CheckDrawing(o.d));
    }
    for (int fault = -1; fault < 3; ++fault) {
        OwnedDrawing broken({{kShapeFilled, kRed, {{0, 0}, {0, 1}}}, {kShapeOutline, kRed, {{1, 0}, {1, 1}}}});
        if (fault == 0) broken.d.shapes[1].first = 3;
        if (fault == 1) broken.d.shapes[1].kind = 1;
        if (fault == 2) ++broken.d.vertex_count;
        EXPECT_EQ(CheckDrawing(broken.d), fault < 0) << fault;
    }
}
