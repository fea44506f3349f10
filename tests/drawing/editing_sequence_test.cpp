// A long seeded run of random edits, checked after every step against a
// plain model that keeps each shape's vertices in a vector of its own.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "drawing/drawing.h"
#include "drawing_helpers.h"

namespace {

struct ModelShape {
    std::vector<Vertex> v;
    uint8_t kind;
    ColourRecord colour;
};
using Model = std::vector<ModelShape>;

size_t ModelVertices(const Model& m) {
    size_t n = 0;
    for (const ModelShape& s : m) n += s.v.size();
    return n;
}

bool SameRgba(const ColourRecord& a, const ColourRecord& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

::testing::AssertionResult Matches(const Drawing& d, const Model& m) {
    if (!CheckDrawing(d)) return ::testing::AssertionFailure() << "invariants broken";
    if (d.shape_count != m.size())
        return ::testing::AssertionFailure() << d.shape_count << " shapes, model " << m.size();
    for (size_t i = 0; i < m.size(); ++i) {
        const ShapeRecord& s = d.shapes[i];
        if (s.kind != m[i].kind || !SameRgba(s.colour, m[i].colour) || s.count != m[i].v.size())
            return ::testing::AssertionFailure() << "shape " << i << " record differs";
        for (size_t k = 0; k < m[i].v.size(); ++k) {
            const Vertex& a = d.vertices[s.first + k];
            const Vertex& b = m[i].v[k];
            if (a.x != b.x || a.y != b.y || a.type != b.type)
                return ::testing::AssertionFailure() << "shape " << i << " vertex " << k;
        }
    }
    return ::testing::AssertionSuccess();
}

// The model's own reading of each edit, one shape at a time.
void ModelDeleteVertex(Model& m, size_t shape, size_t v) {
    if (m.empty()) return;
    if (shape >= m.size()) shape = m.size() - 1;
    std::vector<Vertex>& s = m[shape].v;
    if (v >= s.size()) return;
    if (s.size() < 3) {
        m.erase(m.begin() + shape);
        return;
    }
    s.erase(s.begin() + v);
    if (v < s.size())
        s[v].type = (v > 0 && s[v - 1].type == kPointControl) ? kPointCurveEnd : kPointCorner;
    s[0].type = kPointCorner;
    if (s[1].type == kPointCurveEnd) s[1].type = kPointCorner;
}

void ModelInsertVertex(Model& m, size_t shape, size_t v) {
    std::vector<Vertex>& s = m[shape].v;
    s.insert(s.begin() + v + 1, s[v]);
    s[v].type = kPointCorner;
    if (v + 2 < s.size()) {
        s[v + 1].x = static_cast<int16_t>((int{s[v + 1].x} + s[v + 2].x) >> 1);
        s[v + 1].y = static_cast<int16_t>((int{s[v + 1].y} + s[v + 2].y) >> 1);
    }
}

void ModelTranslate(ModelShape& s, int16_t dx, int16_t dy) {
    for (Vertex& p : s.v) {
        p.x = static_cast<int16_t>(p.x + dx);
        p.y = static_cast<int16_t>(p.y + dy);
    }
}

void ModelToggleCurve(std::vector<Vertex>& s, size_t v) {
    if (v == 0 || v + 1 >= s.size()) return;
    switch (s[v].type) {
        case kPointCorner:
            s[v].type = kPointControl;
            s[v + 1].type = kPointCurveEnd;
            if (v + 2 < s.size() && s[v + 2].type == kPointCurveEnd) s[v + 2].type = kPointCorner;
            break;
        case kPointControl:
            s[v].type = s[v + 1].type = kPointCorner;
            break;
        case kPointCurveEnd:
            s[v - 1].type = s[v].type = kPointCorner;
            break;
    }
}

TEST(DrawingEditingSequence, RandomEditsKeepTheInvariantsAndMatchTheModel) {
    OwnedDrawing o;
    Drawing& d = o.d;
    Model m;
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const ColourRecord colours[3] = {MakeColour(255, 0, 0, 255), MakeColour(0, 0, 255, 128),
                                     MakeColour(0, 200, 0, 255)};
    int refused = 0, added = 0;

    for (int step = 0; step < 20000; ++step) {
        // Indices may run one or two past the end to exercise the no-ops.
        const size_t shapes = m.size();
        const uint16_t si = static_cast<uint16_t>(pick(static_cast<int>(shapes) + 2));
        const bool valid = si < shapes;
        const uint16_t vi =
            static_cast<uint16_t>(valid ? pick(static_cast<int>(m[si].v.size()) + 1) : pick(4));
        const int op = pick(15);
        switch (op) {
            case 0:
            case 1: {  // stroke; long ones now and then to reach the capacity
                const int n = pick(10) == 0 ? 200 + pick(313) : pick(12);
                std::vector<Vertex> stroke(n);
                for (Vertex& p : stroke)
                    p = Vertex{static_cast<int16_t>(pick(4000) - 2000),
                               static_cast<int16_t>(pick(4000) - 2000), kPointCorner, 0};
                const uint8_t kind = pick(2) ? kShapeOutline : kShapeFilled;
                const ColourRecord c = colours[pick(3)];
                const bool fits = n >= 2 && shapes < 512 && ModelVertices(m) + n <= 2048;
                EXPECT_EQ(AddStrokeShape(d, kIdentity, static_cast<uint16_t>(n), stroke.data(),
                                         kind, c),
                          fits);
                if (fits) m.push_back(ModelShape{stroke, kind, c});
                refused += n >= 2 && !fits;
                added += fits;
                break;
            }
            case 2:
                MergeWithPrevious(d);
                if (m.size() >= 2 && m[m.size() - 1].kind == m[m.size() - 2].kind &&
                    SameRgba(m[m.size() - 1].colour, m[m.size() - 2].colour)) {
                    ModelShape last = m.back();
                    m.pop_back();
                    last.v[0].type = kPointContourStart;
                    m.back().v.insert(m.back().v.end(), last.v.begin(), last.v.end());
                }
                break;
            case 3: {
                auto coordinate = [&] { return static_cast<int16_t>(pick(200)); };
                const int16_t x1 = coordinate(), y1 = coordinate();
                const int16_t x2 = coordinate(), y2 = coordinate();
                const bool fits = shapes < 512 && ModelVertices(m) + 4 <= 2048;
                EXPECT_EQ(AddRectangle(d, kIdentity, x1, y1, x2, y2, colours[0]), fits);
                if (fits)
                    m.push_back(ModelShape{
                        {{x1, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y2, 0, 0}, {x1, y2, 0, 0}},
                        kShapeFilled, colours[0]});
                break;
            }
            case 4: {
                const bool fits =
                    valid && shapes < 512 && ModelVertices(m) + m[si].v.size() <= 2048;
                EXPECT_EQ(DuplicateShape(d, si), fits);
                if (fits) {
                    m.push_back(m[si]);
                    ModelTranslate(m.back(), 10, 10);
                }
                break;
            }
            case 5:
                DeleteShape(d, si);
                if (valid) m.erase(m.begin() + si);
                break;
            case 6:
            case 8:  // both exchange the shape with the next one
                (op == 6 ? SwapWithNext : MoveShapeForward)(d, si);
                if (si + 1u < shapes) std::swap(m[si], m[si + 1]);
                break;
            case 7:
                MoveShapeBack(d, si);
                if (valid && si > 0) std::swap(m[si - 1], m[si]);
                break;
            case 9:
                ToggleFill(d, si);
                if (valid) m[si].kind = m[si].kind == kShapeFilled ? kShapeOutline : kShapeFilled;
                break;
            case 10:
                if (valid) {
                    const int16_t dx = static_cast<int16_t>(pick(41) - 20);
                    const int16_t dy = static_cast<int16_t>(pick(41) - 20);
                    TranslateShape(d.shapes[si], d.vertices, dx, dy);
                    ModelTranslate(m[si], dx, dy);
                }
                break;
            case 11:
                DeleteVertex(d, si, vi);
                ModelDeleteVertex(m, si, vi);
                break;
            case 12: {
                const bool fits = valid && vi < m[si].v.size() && ModelVertices(m) < 2048;
                EXPECT_EQ(InsertVertex(d, si, vi), fits);
                if (fits) ModelInsertVertex(m, si, vi);
                break;
            }
            case 13:
                if (valid) {
                    ToggleCurve(d.shapes[si], d.vertices, vi);
                    ModelToggleCurve(m[si].v, vi);
                }
                break;
            default:
                if (valid) {
                    ToggleContourStart(d.shapes[si], d.vertices, vi);
                    std::vector<Vertex>& s = m[si].v;
                    if (vi > 0 && vi + 1u < s.size()) {
                        if (s[vi].type == kPointCorner)
                            s[vi].type = kPointContourStart;
                        else if (s[vi].type == kPointContourStart)
                            s[vi].type = kPointCorner;
                    }
                }
                break;
        }
        ASSERT_TRUE(Matches(d, m)) << "step " << step << " op " << op;
    }
    // The run reached the capacities and also kept adding shapes.
    EXPECT_GT(refused, 0);
    EXPECT_GT(added, 100);
}

}  // namespace
