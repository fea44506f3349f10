// The walk of one shape in whole screen pixels, written once for the shape
// renderer and for anything that must see exactly the pieces the renderer
// draws (the benchmark's recorder hands them to other renderers). The sink
// receives them:
//   sink.Segment(x0, y0, x1, y1)          a straight piece
//   sink.Curve(x0, y0, x1, y1, x2, y2)    a quadratic curve, Q4 points
//
//   corner         segment current -> vertex; vertex becomes current
//   control point  remembered as the next curve's middle; current stays
//   curve end      curve current -> vertex through the remembered middle
//   contour start  filled: close the contour with a segment to its first
//                  point; both: vertex becomes current and the contour's
//                  first point
//
// A filled shape then closes its last contour, with a curve when the last
// vertex is a control point. A curve end that no control point precedes in
// its shape is drawn as a corner. An outline of one vertex has no pieces.
#pragma once
#include <cstdint>

#include "drawing/drawing.h"
#include "geometry/fixed.h"
#include "geometry/transform.h"

// A curve from p0 to p2 that passes through q at its middle. The quadratic
// Bezier control point that does so is b = 2q - (p0 + p2) / 2 per
// coordinate (the halving an arithmetic shift); the curve takes all three
// points in Q4.
template <typename Sink>
void CurveThrough(Sink& sink, Point32 p0, Point32 q, Point32 p2) {
    const int32_t bx = Sub32(Mul32(2, q.x), Add32(p0.x, p2.x) >> 1);
    const int32_t by = Sub32(Mul32(2, q.y), Add32(p0.y, p2.y) >> 1);
    sink.Curve(Shl32(p0.x, kQ4Shift), Shl32(p0.y, kQ4Shift), Shl32(bx, kQ4Shift),
               Shl32(by, kQ4Shift), Shl32(p2.x, kQ4Shift), Shl32(p2.y, kQ4Shift));
}

// The walk over the shape's vertices v[0 .. count - 1], point(i) giving
// vertex i in screen pixels (point is called for each vertex it needs, in
// any order and possibly twice, so it must not change anything).
template <typename Sink, typename PointOf>
void WalkShapePoints(const ShapeRecord& shape, const Vertex* v, const PointOf& point, Sink& sink) {
    const bool filled = shape.kind == kShapeFilled;
    if (shape.count == 0 || (!filled && shape.count < 2)) return;
    Point32 current = point(0);
    Point32 contour_first = current;
    Point32 control = current;
    bool have_control = false;
    for (uint32_t i = 1; i < shape.count; ++i) {
        const Point32 p = point(i);
        switch (v[i].type & 3) {
            case kPointCorner:
                sink.Segment(current.x, current.y, p.x, p.y);
                current = p;
                break;
            case kPointControl:
                control = p;
                have_control = true;
                break;
            case kPointCurveEnd:
                if (have_control)
                    CurveThrough(sink, current, control, p);
                else
                    sink.Segment(current.x, current.y, p.x, p.y);
                current = p;
                break;
            default:  // contour start
                if (filled) sink.Segment(current.x, current.y, contour_first.x, contour_first.y);
                current = p;
                contour_first = p;
                break;
        }
    }
    if (!filled) return;
    if (v[shape.count - 1].type == kPointControl)
        CurveThrough(sink, current, point(shape.count - 1), contour_first);
    else
        sink.Segment(current.x, current.y, contour_first.x, contour_first.y);
}

// The walk with each vertex mapped through t as it is needed.
template <typename Sink>
void WalkShape(const ShapeRecord& shape, const Transform& t, const Vertex* pool, Sink& sink) {
    const Vertex* v = pool + shape.first;
    WalkShapePoints(shape, v, [&t, v](uint32_t i) { return MapPoint(t, v[i].x, v[i].y); }, sink);
}
