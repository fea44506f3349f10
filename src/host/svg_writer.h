// A drawing as an SVG 1.1 document that looks like the drawing editor's
// canvas: one <path> per shape in drawing order, walked exactly as the shape
// renderer walks it (shape_walk.h), in drawing units.
//
//   corner          L to the vertex
//   curve end       Q with the Bezier control point the renderer derives
//                   from the control point, which the curve passes through
//   contour start   M: a new subpath
//   filled shape    fill, fill-rule="evenodd", every contour closed the way
//                   the renderer closes it
//   outline         an open path stroked one screen pixel wide, round caps
//                   and joins (fill="none")
//   colour          #rrggbb from the colour record's 8-bit channels,
//                   opacity = alpha / 255 when below 255
//
// The viewBox is the 240 x 320 screen in drawing units under the editor's
// view, and width and height are the screen's, so a viewer shows the drawing
// where the editor does. A white rectangle over the viewBox comes first
// when background is set. A shape that gives the renderer no pieces gets no
// path. Numbers are plain decimals (no exponent, at most four places),
// attribute values are escaped, and the document is well-formed XML.
#pragma once
#include <string>

#include "drawing/drawing.h"
#include "geometry/transform.h"

// view: the editor's view transform (drawing units to screen pixels), which
// does not turn: b and c are 0.
void WriteDrawingSvg(const DrawingView& drawing_view, const Transform& view, bool background,
                     std::string* out);
