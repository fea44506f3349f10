// Rectangles and the composite panels of the skinned screens. Corners are
// inclusive. The panels recolour the pen and leave it changed.
#pragma once
#include <cstdint>

#include "surface/surface.h"

extern const ColourRecord kOpaqueWhite;
extern const ColourRecord kOpaqueBlack;

void FrameRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
void FillRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
void FillChamferRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                     uint8_t depth);
void DrawBevelBox(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2);
// Moves red, green and blue toward the target by weight/256; returns the new word.
uint16_t BlendColour(ColourRecord* colour, const ColourRecord& target, int weight);
void DrawLabelBoxLeft(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                      const char* text);
void DrawLabelBoxRight(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                       const char* text);
