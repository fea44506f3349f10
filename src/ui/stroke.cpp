// Canvas strokes: capture, thinning and the live preview.
#include "ui/stroke.h"

#include <cstdlib>

#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "raster/polygon_fill.h"
#include "surface/pen.h"
#include "ui/ui_loop.h"

static void SetSlot(UiState& state, int slot, int16_t x, int16_t y) {
    state.stroke[slot].x = x;
    state.stroke[slot].y = y;
}

// ---------------------------------------------------------------------------
// Capture
// ---------------------------------------------------------------------------
void BeginStroke(UiState& state, int16_t x, int16_t y) {
    SetSlot(state, 0, x, y);
    SetSlot(state, 1, x, y);
    state.point_count = 1;
}

// Slot count is the live end. A point that continues the last segment almost
// straight moves the live end; any other point becomes a new live end, while
// there is room for it.
void AddStrokePoint(UiState& state, int16_t x, int16_t y) {
    const int count = state.point_count;
    if (state.stroke[count].x == x && state.stroke[count].y == y) return;
    if (count < 2) {
        SetSlot(state, count + 1, x, y);
        state.point_count = static_cast<uint16_t>(count + 1);
        return;
    }
    Vertex next{x, y, 0, 0};
    if (CollinearityError(state.stroke[count - 1], state.stroke[count], next) < kCollinearLimit) {
        SetSlot(state, count, x, y);
    } else if (count < kStrokeMaxPoints) {
        SetSlot(state, count + 1, x, y);
        state.point_count = static_cast<uint16_t>(count + 1);
    }
    // With 512 points a new corner is dropped; the live end stays where it is.
}

// Twice the triangle's area, not divided by the segment's length: the longer
// the segment, the smaller the bend that still starts a new one. The product
// is formed in 64 bits and saturates, so far-off points always count as bends.
int32_t CollinearityError(const Vertex& p0, const Vertex& p1, const Vertex& p2) {
    const int32_t dx1 = p1.x - p0.x, dy1 = p1.y - p0.y;
    const int32_t dx2 = p2.x - p0.x, dy2 = p2.y - p0.y;
    if (std::abs(dx1) > std::abs(dx2) || std::abs(dy1) > std::abs(dy2)) return kNotBeyond;
    const int64_t area2 = static_cast<int64_t>(dx1) * dy2 - static_cast<int64_t>(dx2) * dy1;
    const int64_t error = area2 < 0 ? -area2 : area2;
    return error > INT32_MAX ? INT32_MAX : static_cast<int32_t>(error);
}

int32_t ApproxDistance(int32_t dx, int32_t dy) {
    const int32_t ax = std::abs(dx), ay = std::abs(dy);
    const int32_t longer = ax > ay ? ax : ay;
    const int32_t shorter = ax > ay ? ay : ax;
    return (246 * longer + 102 * shorter) >> 8;
}

// ---------------------------------------------------------------------------
// Preview
// ---------------------------------------------------------------------------
void DrawStrokePreview(UiState& state) {
    SetPenColour(surface, state.stroke_colour);
    const int count = state.point_count;
    const Vertex* p = state.stroke;
    const int32_t sx = state.start_x, sy = state.start_y;
    const int32_t cx = state.current_x, cy = state.current_y;
    switch (state.canvas_mode) {
    case kCanvasPolyline:
        for (int i = 1; i < count; ++i) DrawLine(surface, p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
        break;
    case kCanvasFilled:
        if (count == 0) break;
        for (int i = 1; i < count; ++i) AddEdge(surface, p[i].x, p[i].y, p[i + 1].x, p[i + 1].y);
        AddEdge(surface, p[count].x, p[count].y, p[1].x, p[1].y);
        FillEdges(surface);
        break;
    case kCanvasLine:
        DrawLine(surface, sx, sy, cx, cy);
        break;
    case kCanvasRectangle:
        FrameRect(surface, static_cast<int16_t>(sx), static_cast<int16_t>(sy),
                  static_cast<int16_t>(cx), static_cast<int16_t>(cy));
        break;
    case kCanvasCircle:
        DrawCircle(surface, sx, sy, ApproxDistance(sx - cx, sy - cy));
        break;
    case kCanvasEllipse:
        DrawEllipse(surface, sx, sy, std::abs(sx - cx), std::abs(sy - cy));
        break;
    default:  // no preview
        break;
    }
}
