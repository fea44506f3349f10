// The pen: colour, alpha and the plot functions in the surface's slots.
// A primitive points the surface's current pixel pointer at a pixel, then
// calls a slot; the mode is resolved when the pen is selected, never per pixel.
#pragma once
#include <cstdint>

#include "surface/surface.h"

void PlotSet(ScreenSurface& s);
void PlotBlendCoverage(ScreenSurface& s, int coverage);
void PlotBlendAlpha(ScreenSurface& s);
void PlotBlendMixed(ScreenSurface& s, int coverage);
void PlotXor(ScreenSurface& s);
void PlotNothing(ScreenSurface& s, int coverage);
void PlotSetRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);
void PlotBlendAlphaRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);
void PlotXorRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);

// Fills both slots from the XOR flag (low byte) and the pen alpha.
void SelectPenMode(ScreenSurface& s, int xor_flag);

// The opaque or translucent pair, chosen by the pen alpha (no XOR).
void SelectPenForAlpha(ScreenSurface& s);

// Sets the pen colour record and alpha from a record, then the slots by its alpha.
void SetPenColour(ScreenSurface& s, const ColourRecord& c);

// Moves each channel of d toward s by weight/256, channels blended in place.
uint16_t BlendColourWords(const ScreenSurface& s, uint16_t d, uint16_t src, int weight);
