// Turns a drawing under a transform into pixels: filled shapes through the
// even-odd filler, outlines as anti-aliased lines, curves flattened.
#pragma once
#include "geometry/transform.h"
#include "drawing/drawing.h"
#include "surface/surface.h"

void RenderDrawing(ScreenSurface& s, const DrawingView& view, const Transform& t);
void RenderShape(ScreenSurface& s, const ShapeRecord& shape, const Transform& t,
                 const Vertex* pool);
