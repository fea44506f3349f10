#include "edge_recorder.h"

#include <cstdio>
#include <cstring>

#include "geometry/fixed.h"
#include "raster/lines.h"
#include "raster/polygon_fill.h"
#include "raster/curves.h"
#include "raster/shape_renderer.h"
#include "raster/shape_walk.h"
#include "surface/pen.h"

// ---------------------------------------------------------------------------
// Recording: the renderer's walk, emitting into a list instead of the raster
// engine.
// ---------------------------------------------------------------------------
namespace {

// Straight pieces go to the list as they are; curves are flattened by the
// renderer's own flattener, so each chord is the one the raster engine gets.
struct RecordingSink {
    Recording& r;
    void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        r.segments.push_back(::Segment{x0, y0, x1, y1});
    }
    void operator()(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { Segment(x0, y0, x1, y1); }
    void Curve(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        FlattenCurve(*this, x0, y0, x1, y1, x2, y2);
    }
};

}  // namespace

Recording RecordDrawing(const DrawingView& view, const Transform& t) {
    Recording r;
    for (uint32_t i = 0; i < view.shape_count; ++i) {
        const ShapeRecord& shape = view.shapes[i];
        if (shape.first + shape.count > view.vertex_count) continue;  // the renderer skips it too
        const uint32_t first = static_cast<uint32_t>(r.segments.size());
        RecordingSink sink{r};
        WalkShape(shape, t, view.vertices, sink);
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
