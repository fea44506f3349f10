#include "raster/panels.h"

#include "raster/lines.h"
#include "surface/pen.h"
#include "raster/font.h"

const ColourRecord kOpaqueWhite = {255, 255, 255, 255, 0xFFFF};
const ColourRecord kOpaqueBlack = {0, 0, 0, 255, 0x0000};

// Holds a computed coordinate to 16 bits. Callers only pass values whose
// saturation cannot change what lands on the surface.
static int16_t Saturate16(int32_t v) {
    return static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

// Under the XOR pen, a frame at least two rows high inverts every pixel once:
// the side spans leave out the corner rows.
void FrameRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    int16_t xl = x1 < x2 ? x1 : x2, xr = x1 < x2 ? x2 : x1;
    int16_t yt = y1 < y2 ? y1 : y2, yb = y1 < y2 ? y2 : y1;
    if (yb - yt >= 2) {
        int16_t inner_top = static_cast<int16_t>(yt + 1), inner_bottom = static_cast<int16_t>(yb - 1);
        DrawVSpan(s, xl, inner_top, inner_bottom);
        DrawVSpan(s, xr, inner_top, inner_bottom);
    }
    DrawHSpan(s, xl, yt, xr);
    DrawHSpan(s, xl, yb, xr);
}

void FillRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    int32_t xl = x1 < x2 ? x1 : x2, xr = x1 < x2 ? x2 : x1;
    int32_t yt = y1 < y2 ? y1 : y2, yb = y1 < y2 ? y2 : y1;
    if (xr < 0 || yb < 0 || xl >= s.clip_width || yt >= s.clip_height) return;
    if (xl < 0) xl = 0;
    if (yt < 0) yt = 0;
    if (xr > s.clip_width) xr = s.clip_width;
    if (yb > s.clip_height) yb = s.clip_height;
    for (int32_t y = yt; y <= yb; ++y) {
        DrawHSpan(s, static_cast<int16_t>(xl), static_cast<int16_t>(y), static_cast<int16_t>(xr));
    }
}

// Rows from the top: depth rows inset by depth, depth - 1, ..., 1 pixels on
// both sides, then full rows down to yb - depth, then the bottom rows inset
// by 1, 2, 3, ... (only when the whole top chamfer fitted). Rows off the
// surface are skipped but keep their place, so the visible rows get the
// insets they have in the whole shape.
void FillChamferRect(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                     uint8_t depth) {
    int32_t xl = x1 < x2 ? x1 : x2, xr = x1 < x2 ? x2 : x1;
    int32_t yt = y1 < y2 ? y1 : y2, yb = y1 < y2 ? y2 : y1;
    if (xr < 0 || yb < 0 || xl >= s.clip_width || yt >= s.clip_height) return;
    int32_t y = yt;
    int32_t inset = depth;
    for (; inset >= 1 && y <= yb; --inset, ++y) DrawHSpanWide(s, xl + inset, y, xr - inset);
    bool top_complete = inset == 0;
    for (; y <= yb - depth; ++y) DrawHSpanWide(s, xl, y, xr);
    if (!top_complete) return;
    for (inset = 1; y <= yb; ++inset, ++y) DrawHSpanWide(s, xl + inset, y, xr - inset);
}

uint16_t BlendColour(ColourRecord* colour, const ColourRecord& target, int weight) {
    // Weights outside 0..256 would leave the channel's 8 bits.
    if (weight < 0) weight = 0;
    if (weight > 256) weight = 256;
    auto blend = [weight](uint8_t old, uint8_t to) {
        return static_cast<uint8_t>((old * 256 + (to - old) * weight) >> 8);
    };
    colour->red = blend(colour->red, target.red);
    colour->green = blend(colour->green, target.green);
    colour->blue = blend(colour->blue, target.blue);
    colour->word = PackColourWord(*colour);
    return colour->word;
}

// A panel's inner rectangle, skipped when the box is too small to have one
// (its corners would cross and the fill would spill outside the box).
static void FillInner(ScreenSurface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                      uint8_t depth) {
    if (x1 > x2 || y1 > y2) return;
    FillChamferRect(s, Saturate16(x1), Saturate16(y1), Saturate16(x2), Saturate16(y2), depth);
}

void DrawBevelBox(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2) {
    const ColourRecord saved = s.pen_colour;
    const uint8_t saved_alpha = s.pen_alpha;

    ColourRecord light = saved;
    BlendColour(&light, kOpaqueWhite, 128);
    SetPenColour(s, light);
    DrawHSpan(s, x1, y1, x2);
    DrawVSpan(s, x1, y1, y2);

    ColourRecord dark = saved;
    BlendColour(&dark, kOpaqueBlack, 240);
    SetPenColour(s, dark);
    DrawHSpan(s, x1, y2, x2);
    DrawVSpan(s, x2, y1, y2);

    s.pen_colour = saved;
    s.pen_alpha = saved_alpha;
    SelectPenForAlpha(s);
    // A box narrower or shorter than three pixels has no interior; the
    // reordering inside FillRect would otherwise paint outside the box.
    if (x2 - x1 >= 2 && y2 - y1 >= 2) {
        FillRect(s, static_cast<int16_t>(x1 + 1), static_cast<int16_t>(y1 + 1),
                 static_cast<int16_t>(x2 - 1), static_cast<int16_t>(y2 - 1));
    }
}

// The body in the pen's colour, a light bar at bar_x1 .. bar_x1 + 3, then the
// text in black. The pen keeps the light colour's channels and alpha with a
// black colour word afterwards.
static void DrawLabelBox(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                         int32_t bar_x1, int32_t bar_y1, int32_t bar_y2, const char* text,
                         void (*draw_text)(ScreenSurface&, int16_t, int16_t, const char*)) {
    ColourRecord light = s.pen_colour;
    BlendColour(&light, kOpaqueWhite, 128);
    FillInner(s, x1 + 1, y1 + 1, x2 - 1, y2 - 1, 2);
    SetPenColour(s, light);
    FillInner(s, bar_x1, bar_y1, bar_x1 + 3, bar_y2, 2);
    s.pen_colour.word = 0;
    if (text == nullptr) return;
    draw_text(s, static_cast<int16_t>((x1 + x2) >> 1), Saturate16(((y1 + y2) >> 1) + 1), text);
}

void DrawLabelBoxLeft(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                      const char* text) {
    DrawLabelBox(s, x1, y1, x2, y2, x1 + 2, y1 + 2, y2 - 4, text, DrawTextCentred);
}

void DrawLabelBoxRight(ScreenSurface& s, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                       const char* text) {
    DrawLabelBox(s, x1, y1, x2, y2, x2 - 5, y1 + 4, y2 - 2, text, DrawTextBoldCentred);
}
