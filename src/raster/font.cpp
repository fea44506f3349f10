// Text in the built-in font: one glyph, strings, measuring and centring, each
// in three styles drawn from the same glyph bits. Every pixel goes through
// the raster primitives, which clip to the surface and write with the pen.
#include "raster/font.h"

#include "raster/lines.h"
#include "raster/panels.h"

namespace {

constexpr int kFirstGlyphCode = 33;
constexpr int kNoGlyphAdvance = 4;  // codes 0..32
constexpr int kGlyphRows = 12;
constexpr int kLargeRows = 24;
constexpr int32_t kWidthLimit = 32767;  // widths are reported as int16_t

constexpr uint8_t kColumnMasks[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

// Coordinates handed to the 16-bit span primitives. A glyph drawn near the
// top of the 16-bit range would otherwise wrap its far edge to -32768 and
// the span between the two ends would cross the whole surface; held at the
// limit, both ends stay off the surface.
int16_t ToSpanCoordinate(int32_t v) {
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<int16_t>(v);
}

// Draws the set bit in column `column`, row `row` of a glyph whose top-left
// corner is at (x, y).
using BitPainter = void (*)(ScreenSurface& s, int32_t x, int32_t y, int column, int row);

void PaintPixel(ScreenSurface& s, int32_t x, int32_t y, int column, int row) {
    PlotPixel(s, x + column, y + row);
}

// Two pixels wide: neighbouring set bits overlap by one pixel.
void PaintWide(ScreenSurface& s, int32_t x, int32_t y, int column, int row) {
    DrawHSpan(s, ToSpanCoordinate(x + column), ToSpanCoordinate(y + row),
              ToSpanCoordinate(x + column + 1));
}

// A 2 x 2 block on a grid of twice the pitch.
void PaintBlock(ScreenSurface& s, int32_t x, int32_t y, int column, int row) {
    const int32_t left = x + 2 * column;
    const int32_t top = y + 2 * row;
    FillRect(s, ToSpanCoordinate(left), ToSpanCoordinate(top), ToSpanCoordinate(left + 1),
             ToSpanCoordinate(top + 1));
}

const uint8_t* GlyphOf(uint8_t code) {
    return &kGlyphTable[(code - kFirstGlyphCode) * kGlyphBytes];
}

// The advance is the last column index plus one, in 8-bit signed arithmetic.
int AdvanceOf(const uint8_t* glyph) {
    return static_cast<int8_t>(static_cast<int8_t>(glyph[0]) + 1);
}

int PaintGlyph(ScreenSurface& s, int32_t x, int32_t y, uint8_t code, BitPainter paint) {
    if (code < kFirstGlyphCode) return kNoGlyphAdvance;
    const uint8_t* glyph = GlyphOf(code);
    const int advance = AdvanceOf(glyph);
    // A row byte holds columns 0..7; the columns of a wider advance are
    // blank spacing, so the scan stops at the last column a byte can hold.
    const int columns = advance < 8 ? advance : 8;
    for (int row = 0; row < kGlyphRows; ++row) {
        const uint8_t bits = glyph[1 + row];
        for (int column = 0; column < columns; ++column) {
            if (bits & kColumnMasks[column]) paint(s, x, y, column, row);
        }
    }
    return advance;
}

// Draws glyphs left to right; the pen position moves by scale x advance +
// spacing after each one.
void PaintString(ScreenSurface& s, int32_t x, int32_t y, const char* text, BitPainter paint,
                 int scale, int spacing) {
    if (text == nullptr) return;
    for (const char* p = text; *p != '\0'; ++p) {
        // Glyphs extend only to the right of the pen position, so once it
        // has passed the right edge nothing further can show; stopping also
        // keeps the position far from the ends of the 16-bit range.
        if (x >= s.clip_width) return;
        const int advance = PaintGlyph(s, x, y, static_cast<uint8_t>(*p), paint);
        x += scale * advance + spacing;
    }
}

// The sum of advance + spacing over the string, held at the 16-bit limit so
// that a long string cannot wrap its width negative.
int16_t SumAdvances(const char* text, int spacing) {
    if (text == nullptr) return 0;
    int32_t width = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        width += GlyphAdvance(static_cast<uint8_t>(*p)) + spacing;
        if (width >= kWidthLimit) return static_cast<int16_t>(kWidthLimit);
    }
    return static_cast<int16_t>(width);
}

int16_t LargeWidth(const char* text) {
    const int32_t width = 2 * static_cast<int32_t>(SumAdvances(text, 0));
    return static_cast<int16_t>(width < kWidthLimit ? width : kWidthLimit);
}

}  // namespace

// ---------------------------------------------------------------------------
// Glyphs

int DrawGlyph(ScreenSurface& s, int16_t x, int16_t y, uint8_t code) {
    return PaintGlyph(s, x, y, code, PaintPixel);
}

int DrawGlyphBold(ScreenSurface& s, int16_t x, int16_t y, uint8_t code) {
    return PaintGlyph(s, x, y, code, PaintWide);
}

int DrawGlyphLarge(ScreenSurface& s, int16_t x, int16_t y, uint8_t code) {
    return PaintGlyph(s, x, y, code, PaintBlock);
}

int GlyphAdvance(uint8_t code) {
    if (code < kFirstGlyphCode) return kNoGlyphAdvance;
    return AdvanceOf(GlyphOf(code));
}

// ---------------------------------------------------------------------------
// Strings

void DrawText(ScreenSurface& s, int16_t x, int16_t y, const char* text) {
    PaintString(s, x, y, text, PaintPixel, 1, 0);
}

// One pixel more per character, for the pixel each bold bit adds on its right.
void DrawTextBold(ScreenSurface& s, int16_t x, int16_t y, const char* text) {
    PaintString(s, x, y, text, PaintWide, 1, 1);
}

void DrawTextLarge(ScreenSurface& s, int16_t x, int16_t y, const char* text) {
    PaintString(s, x, y, text, PaintBlock, 2, 0);
}

// The font does not depend on the surface; it is taken for symmetry with the
// drawing calls.
void MeasureText(const ScreenSurface&, const char* text, int16_t* width, int16_t* height) {
    if (width != nullptr) *width = SumAdvances(text, 0);
    if (height != nullptr) *height = kGlyphRows;
}

void MeasureTextLarge(const ScreenSurface&, const char* text, int16_t* width, int16_t* height) {
    if (width != nullptr) *width = LargeWidth(text);
    if (height != nullptr) *height = kLargeRows;
}

// The centring subtracts half the 16-bit width (an arithmetic shift) and half
// the height; the sums are formed in 32 bits so a centre near the edge of the
// 16-bit range cannot wrap the text back onto the surface.
void DrawTextCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text) {
    const int16_t width = SumAdvances(text, 0);
    PaintString(s, cx - (width >> 1), cy - (kGlyphRows >> 1), text, PaintPixel, 1, 0);
}

void DrawTextBoldCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text) {
    const int16_t width = SumAdvances(text, 1);
    PaintString(s, cx - (width >> 1), cy - (kGlyphRows >> 1), text, PaintWide, 1, 1);
}

void DrawTextLargeCentred(ScreenSurface& s, int16_t cx, int16_t cy, const char* text) {
    const int16_t width = LargeWidth(text);
    PaintString(s, cx - (width >> 1), cy - (kLargeRows >> 1), text, PaintBlock, 2, 0);
}
