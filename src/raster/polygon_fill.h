// Anti-aliased even-odd polygon fill over the surface's edge table.
#pragma once
#include <cstdint>

#include "geometry/fixed.h"
#include "surface/surface.h"

// The edge table (see polygon_fill.cpp for the geometry). AddEdge adds the
// edge from (x0, y0) to (x1, y1), in whole pixels, to the table; horizontal
// edges and rows outside the surface are not stored. Its common case is
// inline, since the shape renderer adds every edge of every filled shape
// through it; AddEdgeWide takes any ends, in 64-bit arithmetic, and cuts
// edges that reach too far to the side (it is exposed for tests).
void AddEdgeWide(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Rows the table can hold: the buckets bound them even for a taller surface.
inline int32_t RowLimit(const ScreenSurface& s) {
    return s.clip_height < kEdgeBuckets - 1 ? s.clip_height : kEdgeBuckets - 1;
}

// Beyond this many pixels left or right of the origin, x no longer fits the
// Q8 arithmetic of a row walk. Edges are cut there (see AddEdgeWide).
constexpr int64_t kEdgeReach = 1 << 21;

// Takes an edge from the pool into the bucket of its top row, which is kept
// sorted by the x at the bottom of the first row; equal keys keep their
// arrival order.
inline void InsertEdge(EdgeTable& t, int32_t top, int32_t y_end, int32_t x_q8, int32_t dx_q8) {
    if (t.pool_next == t.pool + kEdgePoolSize) return;
    Edge* e = t.pool_next++;
    e->y_end = static_cast<int16_t>(y_end);
    e->x_q8 = x_q8;
    e->dx_q8 = dx_q8;
    e->next_active = nullptr;
    if (top < t.min_row) t.min_row = static_cast<int16_t>(top);
    if (y_end > t.max_row) t.max_row = static_cast<int16_t>(y_end);
    const int32_t key = x_q8 + dx_q8;
    Edge** link = &t.buckets[top];
    while (*link != nullptr && (*link)->x_q8 + (*link)->dx_q8 <= key) link = &(*link)->next_in_bucket;
    e->next_in_bucket = *link;
    *link = e;
}

// Nearly every edge has both ends within reach (x in [-2^21, 2^21)) and its
// rows within [-2^29, 2^29). Then x * 256 stays within 2^29, (xb - xt) * 256
// within 2^30 and yb - yt below 2^30, so the arithmetic of AddEdgeWide's
// StoreEdge cannot leave 32 bits and is done there: the same quotient (both
// divisions truncate toward zero), the same record. Any other edge takes
// AddEdgeWide. (Each range, moved to start at 0, is a power of two, so one
// compare of the two ends' bits checks both.)
inline void AddEdge(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    constexpr uint32_t kReach = static_cast<uint32_t>(kEdgeReach), kRows = 1u << 29;
    if (((static_cast<uint32_t>(x0) + kReach) | (static_cast<uint32_t>(x1) + kReach)) >= 2 * kReach ||
        ((static_cast<uint32_t>(y0) + kRows) | (static_cast<uint32_t>(y1) + kRows)) >= 2 * kRows)
        return AddEdgeWide(s, x0, y0, x1, y1);
    if (y0 == y1) return;
    int32_t xt = x0, yt = y0, xb = x1, yb = y1;
    if (y1 < y0) {
        xt = x1; yt = y1; xb = x0; yb = y0;
    }
    const int32_t height = RowLimit(s);
    if (yb < 0 || yt >= height) return;
    int32_t x_q8 = xt * kOneQ8;
    const int32_t dx_q8 = (xb - xt) * kOneQ8 / (yb - yt);
    if (yt < 0) {
        x_q8 = static_cast<int32_t>(x_q8 - static_cast<int64_t>(dx_q8) * yt);
        yt = 0;
    }
    if (yb > height) yb = height;
    InsertEdge(s.edges, yt, yb, x_q8, dx_q8);
}

Edge* AllocEdge(ScreenSurface& s);
// Fills everything added since the last fill, then empties the table.
void FillEdges(ScreenSurface& s);

// Row steps of FillEdges, exposed for tests.
Edge* AdvanceActiveEdges(Edge* active, int32_t row);
Edge* MergeNewEdges(Edge* active, Edge* bucket);
// One span through the pen's plot slots: the general form, which the fill
// uses for the XOR pen.
void FillSpanAA(ScreenSurface& s, int32_t row, int32_t xa_q8, int32_t xb_q8, int32_t xc_q8,
                int32_t xd_q8);
// The same span as the fill draws it for the pen's mode (the opaque and
// translucent pens built in), pixel for pixel the same as FillSpanAA.
void FillSpanFast(ScreenSurface& s, int32_t row, int32_t xa_q8, int32_t xb_q8, int32_t xc_q8,
                  int32_t xd_q8);
