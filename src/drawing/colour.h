// The integer HSL conversions, the hue ramp and the current colour.
#pragma once
#include <cstdint>

#include "surface/colour_record.h"

struct ScreenSurface;

// Hue 0..239, saturation and lightness 0..240, channels 0..255.
void RgbToHsl(int32_t red, int32_t green, int32_t blue, int32_t* hue, int32_t* saturation,
              int32_t* lightness);
void HslToRgb(int32_t hue, int32_t saturation, int32_t lightness, int32_t* red, int32_t* green,
              int32_t* blue);

// Program-wide colour state.
constexpr int32_t kHueCount = 240;  // hues 0..239
extern uint16_t hue_ramp[kHueCount];
extern ColourRecord current_colour;

// Fills the hue ramp. The pen's colour record is the scratch record, so the
// pen ends holding the last ramp colour.
void BuildHueRamp(ScreenSurface& s);
