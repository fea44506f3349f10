#include "edge_recorder.h"

#include <cstdio>
#include <cstring>

#include "geometry/fixed.h"
#include "raster/lines.h"
#include "raster/polygon_fill.h"
#include "raster/shape_renderer.h"
#include "surface/pen.h"

// ---------------------------------------------------------------------------
// Recording: the renderer's walk, emitting into a list instead of the raster
// engine.
// ---------------------------------------------------------------------------
namespace {

void Emit(Recording& r, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    r.segments.push_back(Segment{x0, y0, x1, y1});
}

// Flat enough when the doubled area of the control triangle, in Q4 x Q4
// units, is below 1024; computed exactly, as the flattener does.
bool TooCurved(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const __int128 area = static_cast<__int128>(static_cast<int64_t>(x1) - x0) *
                              (static_cast<int64_t>(y2) - y0) -
                          static_cast<__int128>(static_cast<int64_t>(x2) - x0) *
                              (static_cast<int64_t>(y1) - y0);
    return area >= 1024 || area <= -1024;
}

int32_t Half(int32_t a, int32_t b) { return static_cast<int32_t>((static_cast<int64_t>(a) + b) >> 1); }

// Midpoint splitting in Q4 with floor halving; the first half first, so the
// chords come out in order from P0 to P2, each in whole pixels.
void Flatten(Recording& r, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
             int32_t y2) {
    while (TooCurved(x0, y0, x1, y1, x2, y2)) {
        const int32_t lx = Half(x0, x1), ly = Half(y0, y1);
        const int32_t rx = Half(x1, x2), ry = Half(y1, y2);
        const int32_t mx = Half(lx, rx), my = Half(ly, ry);
        Flatten(r, x0, y0, lx, ly, mx, my);
        x0 = mx;
        y0 = my;
        x1 = rx;
        y1 = ry;
    }
    Emit(r, x0 >> 4, y0 >> 4, x2 >> 4, y2 >> 4);
}

// The curve from p0 to p2 through q at its middle: Bezier control point
// 2q - (p0 + p2) / 2 (arithmetic halving), all three points in Q4.
void CurveThrough(Recording& r, Point32 p0, Point32 q, Point32 p2) {
    const int32_t bx = Sub32(Mul32(2, q.x), Add32(p0.x, p2.x) >> 1);
    const int32_t by = Sub32(Mul32(2, q.y), Add32(p0.y, p2.y) >> 1);
    Flatten(r, Shl32(p0.x, 4), Shl32(p0.y, 4), Shl32(bx, 4), Shl32(by, 4), Shl32(p2.x, 4),
            Shl32(p2.y, 4));
}

void RecordShape(Recording& r, const ShapeRecord& shape, const Transform& t, const Vertex* pool) {
    const bool filled = shape.kind == kShapeFilled;
    if (shape.count == 0 || (!filled && shape.count < 2)) return;
    const Vertex* v = pool + shape.first;
    Point32 current = MapPoint(t, v[0].x, v[0].y);
    Point32 contour_first = current;
    Point32 control = current;
    bool have_control = false;
    for (uint32_t i = 1; i < shape.count; ++i) {
        const Point32 p = MapPoint(t, v[i].x, v[i].y);
        switch (v[i].type & 3) {
            case kPointCorner:
                Emit(r, current.x, current.y, p.x, p.y);
                current = p;
                break;
            case kPointControl:
                control = p;
                have_control = true;
                break;
            case kPointCurveEnd:
                if (have_control)
                    CurveThrough(r, current, control, p);
                else
                    Emit(r, current.x, current.y, p.x, p.y);
                current = p;
                break;
            default:
                if (filled) Emit(r, current.x, current.y, contour_first.x, contour_first.y);
                current = p;
                contour_first = p;
                break;
        }
    }
    if (filled) {
        const Vertex& last = v[shape.count - 1];
        if (last.type == kPointControl)
            CurveThrough(r, current, MapPoint(t, last.x, last.y), contour_first);
        else
            Emit(r, current.x, current.y, contour_first.x, contour_first.y);
    }
}

}  // namespace

Recording RecordDrawing(const DrawingView& view, const Transform& t) {
    Recording r;
    for (uint32_t i = 0; i < view.shape_count; ++i) {
        const ShapeRecord& shape = view.shapes[i];
        if (shape.first + shape.count > view.vertex_count) continue;  // the renderer skips it too
        const uint32_t first = static_cast<uint32_t>(r.segments.size());
        RecordShape(r, shape, t, view.vertices);
        r.shapes.push_back(RecordedShape{shape.colour, shape.kind == kShapeFilled, first,
                                         static_cast<uint32_t>(r.segments.size()) - first, i});
    }
    return r;
}

// ---------------------------------------------------------------------------
// Checking a recording against the renderer
// ---------------------------------------------------------------------------
namespace {

// No stored edge ends above row 0, so this y_end marks a record no edge took.
constexpr int16_t kUnusedRecord = INT16_MIN;

void MarkPoolUnused(ScreenSurface& s) {
    for (Edge& e : s.edges.pool) e.y_end = kUnusedRecord;
}

// Records are handed out from the start of the pool, so the edges one
// shape stored are the records before the first unused one.
int UsedRecords(const ScreenSurface& s) {
    int n = 0;
    while (n < kEdgePoolSize && s.edges.pool[n].y_end != kUnusedRecord) ++n;
    return n;
}

struct EdgeValues {
    int16_t y_end;
    int32_t x_q8, dx_q8;
    bool operator==(const EdgeValues&) const = default;
};

std::vector<EdgeValues> PoolValues(const ScreenSurface& s, int n) {
    std::vector<EdgeValues> values;
    for (int i = 0; i < n; ++i)
        values.push_back({s.edges.pool[i].y_end, s.edges.pool[i].x_q8, s.edges.pool[i].dx_q8});
    return values;
}

void ClearWhite(ScreenSurface& s) {
    s.pen_colour.word = 0xFFFF;
    ClearSurface(s);
}

std::string Describe(uint32_t shape, const char* what, long expected, long got) {
    char text[160];
    std::snprintf(text, sizeof text, "shape %u: %s: renderer %ld, recording %ld", shape, what,
                  expected, got);
    return text;
}

}  // namespace

std::string CheckRecording(ScreenSurface& s, const DrawingView& view, const Transform& t,
                           const Recording& recording) {
    const size_t words = static_cast<size_t>(s.max_offset) + 1;
    std::vector<uint16_t> rendered(words);
    for (const RecordedShape& shape : recording.shapes) {
        // The renderer, alone on white.
        ClearWhite(s);
        MarkPoolUnused(s);
        RenderShape(s, view.shapes[shape.view_index], t, view.vertices);
        const int renderer_edges = UsedRecords(s);
        const std::vector<EdgeValues> renderer_values = PoolValues(s, renderer_edges);
        std::memcpy(rendered.data(), s.pixel_base, words * 2);

        // The recording, replayed through the same primitives.
        ClearWhite(s);
        MarkPoolUnused(s);
        SetPenColour(s, shape.colour);
        for (uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
            const Segment& g = recording.segments[k];
            if (shape.filled)
                AddEdge(s, g.x0, g.y0, g.x1, g.y1);
            else
                DrawLine(s, g.x0, g.y0, g.x1, g.y1);
        }
        if (shape.filled) {
            const long held = s.edges.pool_next - s.edges.pool;
            if (held != renderer_edges)
                return Describe(shape.view_index, "edges in the table", renderer_edges, held);
            FillEdges(s);
        }
        s.pen_alpha = 255;
        SelectPenForAlpha(s);

        if (PoolValues(s, renderer_edges) != renderer_values)
            return Describe(shape.view_index, "edge records differ; edges", renderer_edges,
                            renderer_edges);
        for (size_t i = 0; i < words; ++i)
            if (rendered[i] != s.pixel_base[i])
                return Describe(shape.view_index, "pixel differs at offset; word",
                                static_cast<long>(i), s.pixel_base[i]);
    }
    return {};
}
