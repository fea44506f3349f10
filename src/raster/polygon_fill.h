// Anti-aliased even-odd polygon fill over the surface's edge table.
#pragma once
#include <cstdint>

#include "surface/surface.h"

void AddEdge(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The same for any ends, in 64-bit arithmetic; AddEdge hands it the edges
// whose ends lie too far out for its 32-bit form (exposed for tests).
void AddEdgeWide(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
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
