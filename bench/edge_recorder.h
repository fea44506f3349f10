// The straight pieces that the shape renderer hands to the raster engine for
// a drawing, recorded so that another renderer can draw exactly the same
// geometry. The recorder runs the renderer's own shape walk and curve
// flattener with a sink that keeps every piece with its shape's colour;
// CheckRecording proves, shape by shape, that the renderer and a replay of
// the recording agree (pixels and edge records).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "surface/surface.h"

// One piece in whole screen pixels: an edge of a filled shape or a line of
// an outline, in the order the renderer emits them.
struct Segment {
    int32_t x0, y0, x1, y1;
};

struct RecordedShape {
    ColourRecord colour;
    bool filled;
    uint32_t first;  // index of the shape's first segment
    uint32_t count;  // segments of the shape
    uint32_t view_index;  // the shape's index in the drawing
};

struct Recording {
    std::vector<RecordedShape> shapes;
    std::vector<Segment> segments;
};

Recording RecordDrawing(const DrawingView& view, const Transform& t);

// Renders each shape alone with the renderer, then replays its recorded
// segments through AddEdge/FillEdges or DrawLine, and compares the pixels,
// the number of edges the table held before the fill and every edge record.
// Empty when they agree everywhere, otherwise what differs first.
// Uses and overwrites the surface.
std::string CheckRecording(ScreenSurface& s, const DrawingView& view, const Transform& t,
                           const Recording& recording);
