// The built-in proportional bitmap font, 12 rows high, codes 33..255, in three
// styles. Text draws with the current pen.
#pragma once
#include <cstdint>

#include "surface/surface.h"

constexpr int kGlyphCount = 223;
constexpr int kGlyphBytes = 13;  // last column index, then 12 rows (bit 7 = column 0)

extern const uint8_t kGlyphTable[kGlyphCount * kGlyphBytes];  // 2899 bytes

int DrawGlyph(ScreenSurface& s, int16_t x, int16_t y, uint8_t code);
int DrawGlyphBold(ScreenSurface& s, int16_t x, int16_t y, uint8_t code);
int DrawGlyphLarge(ScreenSurface& s, int16_t x, int16_t y, uint8_t code);
// The advance of one code, as the glyph functions return it.
int GlyphAdvance(uint8_t code);

void DrawText(ScreenSurface& s, int16_t x, int16_t y, const char* text);
void DrawTextBold(ScreenSurface& s, int16_t x, int16_t y, const char* text);
void DrawTextLarge(ScreenSurface& s, int16_t x, int16_t y, const char* text);
void MeasureText(const ScreenSurface& s, const char* text, int16_t* width, int16_t* height);
void MeasureTextLarge(const ScreenSurface& s, const char* text, int16_t* width, int16_t* height);
void DrawTextCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text);
void DrawTextBoldCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text);
void DrawTextLargeCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text);
