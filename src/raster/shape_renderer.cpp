// The shape renderer: walks a drawing's shapes bottom to top, maps each
// vertex to whole screen pixels and follows the point types. Filled shapes
// collect all their contours as edges and are filled once, even-odd, so an
// inner contour makes a hole; outlines go straight to the line drawer.
#include "raster/shape_renderer.h"

#include "geometry/fixed.h"
#include "raster/curves.h"
#include "raster/lines.h"
#include "raster/polygon_fill.h"
#include "surface/pen.h"

using SegmentFn = void (*)(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
using CurveFn = void (*)(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                         int32_t x2, int32_t y2);

// A curve from p0 to p2 that passes through q at its middle. The quadratic
// Bezier control point that does so is b = 2q - (p0 + p2) / 2 per
// coordinate (the halving an arithmetic shift); the flattener takes all
// three points in Q4.
static void CurveThrough(ScreenSurface& s, CurveFn curve, Point32 p0, Point32 q, Point32 p2) {
    const int32_t bx = Sub32(Mul32(2, q.x), Add32(p0.x, p2.x) >> 1);
    const int32_t by = Sub32(Mul32(2, q.y), Add32(p0.y, p2.y) >> 1);
    curve(s, Shl32(p0.x, kQ4Shift), Shl32(p0.y, kQ4Shift), Shl32(bx, kQ4Shift),
          Shl32(by, kQ4Shift), Shl32(p2.x, kQ4Shift), Shl32(p2.y, kQ4Shift));
}

// Walk of one shape, in screen pixels:
//
//   corner         segment current -> vertex; vertex becomes current
//   control point  remembered as the next curve's middle; current stays
//   curve end      curve current -> vertex through the remembered middle
//   contour start  filled: close the contour with an edge to its first point;
//                  both: vertex becomes current and the contour's first point
//
// A filled shape then closes its last contour, with a curve when the last
// vertex is a control point. A curve end that no control point precedes in
// its shape is drawn as a corner. The pen takes the shape's colour first and
// is put back to opaque at the end, whatever the shape was.
void RenderShape(ScreenSurface& s, const ShapeRecord& shape, const Transform& t,
                 const Vertex* pool) {
    if (shape.count == 0) return;
    const bool filled = shape.kind == kShapeFilled;
    const SegmentFn segment = filled ? AddEdge : DrawLine;
    const CurveFn curve = filled ? CurveToEdges : CurveToLines;
    const Vertex* v = pool + shape.first;

    SetPenColour(s, shape.colour);
    if (filled || shape.count >= 2) {
        Point32 current = MapPoint(t, v[0].x, v[0].y);
        Point32 contour_first = current;
        Point32 control = current;
        bool have_control = false;
        for (uint32_t i = 1; i < shape.count; ++i) {
            const Point32 p = MapPoint(t, v[i].x, v[i].y);
            switch (v[i].type & 3) {
                case kPointCorner:
                    segment(s, current.x, current.y, p.x, p.y);
                    current = p;
                    break;
                case kPointControl:
                    control = p;
                    have_control = true;
                    break;
                case kPointCurveEnd:
                    if (have_control)
                        CurveThrough(s, curve, current, control, p);
                    else
                        segment(s, current.x, current.y, p.x, p.y);
                    current = p;
                    break;
                default:  // contour start
                    if (filled) AddEdge(s, current.x, current.y, contour_first.x, contour_first.y);
                    current = p;
                    contour_first = p;
                    break;
            }
        }
        if (filled) {
            const Vertex& last = v[shape.count - 1];
            if (last.type == kPointControl)
                CurveThrough(s, curve, current, MapPoint(t, last.x, last.y), contour_first);
            else
                AddEdge(s, current.x, current.y, contour_first.x, contour_first.y);
            FillEdges(s);
        }
    }
    s.pen_alpha = kOpaqueAlpha;
    SelectPenForAlpha(s);
}

// Shapes in order, later ones over earlier ones. A record whose block runs
// past the view's vertices cannot come from the editing operations; it is
// skipped rather than read beyond the pool.
void RenderDrawing(ScreenSurface& s, const DrawingView& view, const Transform& t) {
    for (uint32_t i = 0; i < view.shape_count; ++i) {
        const ShapeRecord& shape = view.shapes[i];
        if (shape.first + shape.count > view.vertex_count) continue;
        RenderShape(s, shape, t, view.vertices);
    }
}
