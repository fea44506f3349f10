// The shape renderer: walks a drawing's shapes bottom to top, maps each
// vertex to whole screen pixels and follows the point types. Filled shapes
// collect all their contours as edges and are filled once, even-odd, so an
// inner contour makes a hole; outlines go straight to the line drawer.
#include "raster/shape_renderer.h"

#include "geometry/fixed.h"
#include "raster/curves.h"
#include "raster/lines.h"
#include "raster/polygon_fill.h"
#include "raster/shape_walk.h"
#include "surface/pen.h"

// Filled shapes collect edges and are filled once; outlines are lines.
struct EdgeSink {
    ScreenSurface& s;
    void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { AddEdge(s, x0, y0, x1, y1); }
    void Curve(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        CurveToEdges(s, x0, y0, x1, y1, x2, y2);
    }
};

struct LineSink {
    ScreenSurface& s;
    void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { DrawLine(s, x0, y0, x1, y1); }
    void Curve(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        CurveToLines(s, x0, y0, x1, y1, x2, y2);
    }
};

// The pen takes the shape's colour first and is put back to opaque at the
// end, whatever the shape was.
void RenderShape(ScreenSurface& s, const ShapeRecord& shape, const Transform& t,
                 const Vertex* pool) {
    if (shape.count == 0) return;
    SetPenColour(s, shape.colour);
    if (shape.kind == kShapeFilled) {
        EdgeSink edges{s};
        WalkShape(shape, t, pool, edges);
        FillEdges(s);
    } else {
        LineSink lines{s};
        WalkShape(shape, t, pool, lines);
    }
    s.pen_alpha = kOpaqueAlpha;
    SelectPenForAlpha(s);
}

// ---------------------------------------------------------------------------
// Shapes off the surface
// ---------------------------------------------------------------------------
// A shape whose pieces all lie beside the surface draws nothing, and the
// drawing skips it without walking it. The pieces are the walk's segments
// between mapped vertices and the chords of its curves. A curve from p0 to
// p2 through q has its Bezier point b = 2q - ((p0 + p2) >> 1), and the
// flattener's chord ends lie within the box of p0, b and p2 (each split
// point is a floored mean of two points within it). With every mapped
// coordinate within [lo, hi] of the vertices' box, b lies within
// [2 lo - hi, 2 hi - lo]: the vertices' box widened by its own size on each
// side holds every piece of a shape with control points. Within 2^25 of the
// origin nothing of this wraps (b within 3 * 2^25, Q4 within 2^31); a shape
// further out is always walked.
//
// A box beside the surface draws nothing: a segment with both ends left of
// column 0 (or right of the last column, above row 0, below the last row)
// is rejected by ClipLine, and a filled shape's edges then give no span
// within the surface (a pair's right edge left of column 0 is skipped, a
// left edge right of the last column ends the row, rows outside are never
// stored). So the skip changes no pixel.

constexpr int32_t kCullReach = 1 << 25;

// The vertices of the shape being drawn, mapped once for the box and the walk.
static Point32 mapped_points[kVertexCapacity];

// Maps the shape's vertices into mapped_points; true when its box, widened
// for control points, lies wholly beside the surface.
static bool MapShapeOffSurface(const ScreenSurface& s, const ShapeRecord& shape, const Vertex* v,
                               const Transform& t) {
    Point32 p = MapPoint(t, v[0].x, v[0].y);
    mapped_points[0] = p;
    int32_t min_x = p.x, max_x = p.x, min_y = p.y, max_y = p.y;
    bool curved = false;
    for (uint32_t i = 1; i < shape.count; ++i) {
        p = MapPoint(t, v[i].x, v[i].y);
        mapped_points[i] = p;
        min_x = p.x < min_x ? p.x : min_x;
        max_x = p.x > max_x ? p.x : max_x;
        min_y = p.y < min_y ? p.y : min_y;
        max_y = p.y > max_y ? p.y : max_y;
        curved |= (v[i].type & 3) == kPointControl;
    }
    if (min_x < -kCullReach || max_x > kCullReach || min_y < -kCullReach || max_y > kCullReach)
        return false;
    if (curved) {
        const int32_t w = max_x - min_x, h = max_y - min_y;
        min_x -= w;
        max_x += w;
        min_y -= h;
        max_y += h;
    }
    return max_x < 0 || max_y < 0 || min_x >= s.clip_width || min_y >= s.clip_height;
}

// Shapes in order, later ones over earlier ones. A record whose block runs
// past the view's vertices cannot come from the editing operations; it is
// skipped rather than read beyond the pool. Each shape is drawn with its
// colour as RenderShape draws it; the pen is put back to opaque once, at the
// end, holding the last shape's colour as after RenderShape.
void RenderDrawing(ScreenSurface& s, const DrawingView& view, const Transform& t) {
    const ShapeRecord* last = nullptr;
    for (uint32_t i = 0; i < view.shape_count; ++i) {
        const ShapeRecord& shape = view.shapes[i];
        if (shape.count == 0 || shape.first + shape.count > view.vertex_count) continue;
        last = &shape;
        if (shape.count > kVertexCapacity) {
            RenderShape(s, shape, t, view.vertices);
            continue;
        }
        const Vertex* v = view.vertices + shape.first;
        if (MapShapeOffSurface(s, shape, v, t)) continue;
        SetPenColour(s, shape.colour);
        const auto point = [](uint32_t k) { return mapped_points[k]; };
        if (shape.kind == kShapeFilled) {
            EdgeSink edges{s};
            WalkShapePoints(shape, v, point, edges);
            FillEdges(s);
        } else {
            LineSink lines{s};
            WalkShapePoints(shape, v, point, lines);
        }
    }
    if (last == nullptr) return;
    s.pen_colour = last->colour;
    s.pen_alpha = kOpaqueAlpha;
    SelectPenForAlpha(s);
}
