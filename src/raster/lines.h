// Pixels, spans, anti-aliased lines and dashed lines. Everything clips to the
// surface and writes through the pen's plot slots.
#pragma once
#include <cstdint>

#include "surface/surface.h"

void PlotPixel(ScreenSurface& s, int32_t x, int32_t y);
void DrawHSpan(ScreenSurface& s, int16_t x1, int16_t y, int16_t x2);
void DrawVSpan(ScreenSurface& s, int16_t x, int16_t y1, int16_t y2);
// A horizontal span whose ends may lie outside 16 bits (insets and radii near
// the limits): the ends are held to one pixel beyond the surface, which
// clips the same way.
void DrawHSpanWide(ScreenSurface& s, int32_t x1, int32_t y, int32_t x2);

// Moves the endpoints onto the surface; 1 when some part of the segment is visible.
int ClipLine(const ScreenSurface& s, int32_t* x0, int32_t* y0, int32_t* x1, int32_t* y1);
void DrawLine(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Both endpoints must lie on the surface.
void DrawLineUnclipped(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Pixel k of the line is drawn when bit (k mod 16) of the pattern is set.
void DrawDashedLine(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    uint16_t pattern);

// Four on, four off, each entry one pixel further along than the one before.
extern const uint16_t kMarchingAnts[8];
// The entry of kMarchingAnts on show at a tick count: one step every 64 ms.
inline int32_t MarchingAntsPhase(uint32_t tick_ms) { return static_cast<int32_t>((tick_ms >> 6) & 7); }
