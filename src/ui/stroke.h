// Canvas strokes: capture with thinning of nearly straight runs, and the live
// preview drawn over the snapshot in the shape the canvas mode asks for.
#pragma once
#include <cstdint>

#include "drawing/drawing.h"

struct UiState;

// Canvas modes: what a drag on no widget previews.
enum : int16_t {
    kCanvasNone = 0,
    kCanvasPolyline = 1,
    kCanvasFilled = 2,
    kCanvasLine = 3,
    kCanvasRectangle = 4,
    kCanvasCircle = 5,
    kCanvasEllipse = 6,
};

// A new point whose error stays below this moves the live end instead.
constexpr int32_t kCollinearLimit = 10;
// Returned when the new point does not lie beyond the live end on both axes.
constexpr int32_t kNotBeyond = 1000;

// Slot 0 and slot 1 := (x, y); count := 1.
void BeginStroke(UiState& state, int16_t x, int16_t y);
// Adds a drag point, or moves the live end onto it when it continues the last
// segment nearly straight. Beyond 512 points new corners are dropped.
void AddStrokePoint(UiState& state, int16_t x, int16_t y);
// Twice the area of the triangle p0 p1 p2, or 1000 when p2 is not beyond p1.
int32_t CollinearityError(const Vertex& p0, const Vertex& p1, const Vertex& p2);
// Alpha-max-plus-beta-min length estimate: (246 max + 102 min) >> 8.
int32_t ApproxDistance(int32_t dx, int32_t dy);
// Draws the stroke in the stroke colour as the canvas mode asks.
void DrawStrokePreview(UiState& state);
