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

// Shapes in order, later ones over earlier ones. A record whose block runs
// past the view's vertices cannot come from the editing operations; it is
// skipped rather than read beyond the pool. Each shape is drawn as
// RenderShape draws it; since each sets the pen from its own colour, the pen
// goes back to opaque once, after the last one, leaving it as RenderShape
// does.
void RenderDrawing(ScreenSurface& s, const DrawingView& view, const Transform& t) {
    bool drawn = false;
    for (uint32_t i = 0; i < view.shape_count; ++i) {
        const ShapeRecord& shape = view.shapes[i];
        if (shape.count == 0 || shape.first + shape.count > view.vertex_count) continue;
        SetPenColour(s, shape.colour);
        const Vertex* v = view.vertices + shape.first;
        const auto point = [&t, v](uint32_t k) { return MapPoint(t, v[k].x, v[k].y); };
        if (shape.kind == kShapeFilled) {
            EdgeSink edges{s};
            WalkShapePoints(shape, v, point, edges);
            FillEdges(s);
        } else {
            LineSink lines{s};
            WalkShapePoints(shape, v, point, lines);
        }
        drawn = true;
    }
    if (!drawn) return;
    s.pen_alpha = kOpaqueAlpha;
    SelectPenForAlpha(s);
}
