// The program-wide surface, built once for the portrait 240 x 320 display and
// reset between tests.
#pragma once
#include <cstdint>
#include <vector>

#include "surface/surface.h"

// Builds the surface if needed, fills every pixel with fill and puts the pen
// back to opaque black with the opaque plot pair.
void ResetTestSurface(uint16_t fill = 0xFFFF);
uint16_t PixelAt(int x, int y);
// Number of pixels that differ from the given word.
int CountPixelsNot(uint16_t word);
// A copy of all 240 x 320 pixels, for comparing two drawings.
std::vector<uint16_t> SurfaceSnapshot();
