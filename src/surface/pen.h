// The pen: colour, alpha and two plot functions in program-wide slots.
// A primitive points the surface's current pixel pointer at a pixel, then
// calls a slot; the mode is resolved when the pen is selected, never per pixel.
#pragma once
#include <cstdint>

#include "surface/surface.h"

using PlainPlot = void (*)(ScreenSurface& s);
using CoveragePlot = void (*)(ScreenSurface& s, int coverage);
// The plain plot of a run: count (at least 1) pixels from p, p advancing by
// step. It leaves the pixels and the current pixel pointer exactly as count
// plain plots would, without a call per pixel; it is chosen together with
// the plain plot, so that the spans of fills and text stay cheap.
using RunPlot = void (*)(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);

extern PlainPlot plain_plot;
extern CoveragePlot coverage_plot;
extern RunPlot run_plot;

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
