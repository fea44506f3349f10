// Circle and ellipse outlines, and a filled disc with a faded rim.
#pragma once
#include <cstdint>

#include "surface/surface.h"

void DrawCircle(ScreenSurface& s, int32_t cx, int32_t cy, int32_t r);
void DrawEllipse(ScreenSurface& s, int32_t cx, int32_t cy, int32_t rx, int32_t ry);
void FillSoftDisc(ScreenSurface& s, int32_t cx, int32_t cy, int32_t r);
