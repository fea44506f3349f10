// Quadratic Bezier flattening: points in Q4 (16 = one pixel), chords in pixels.
#pragma once
#include <cstdint>

#include "surface/surface.h"

void CurveToLines(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2);
void CurveToEdges(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2);
