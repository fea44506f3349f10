// Colour words (RGB565), colour records, and the integer HSL conversions.
#pragma once
#include <cstdint>

// One colour with alpha next to its packed RGB565 word. Six bytes, stored as
// they are inside shape records and therefore inside library slots.
struct ColourRecord {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;  // 255 opaque, less blends
    uint16_t word;  // always PackColourWord(red, green, blue)
};
static_assert(sizeof(ColourRecord) == 6);

struct ScreenSurface;

// Drops the low bits of each channel: 5 bits red, 6 green, 5 blue.
uint16_t PackColourWord(const ColourRecord& c);
uint16_t PackColourWord(int red, int green, int blue);
ColourRecord MakeColour(int red, int green, int blue, int alpha);

// Hue 0..239, saturation and lightness 0..240, channels 0..255.
void RgbToHsl(int32_t red, int32_t green, int32_t blue, int32_t* hue, int32_t* saturation,
              int32_t* lightness);
void HslToRgb(int32_t hue, int32_t saturation, int32_t lightness, int32_t* red, int32_t* green,
              int32_t* blue);

// Program-wide colour state.
extern uint16_t hue_ramp[240];
extern ColourRecord current_colour;

// Fills the hue ramp. The pen's colour record is the scratch record, so the
// pen ends holding the last ramp colour.
void BuildHueRamp(ScreenSurface& s);
