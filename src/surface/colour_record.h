// The colour record: one colour with alpha next to its packed RGB565 word,
// the value every pen, shape and widget face carries.
#pragma once
#include <cstdint>

// Six bytes, stored as they are inside shape records and therefore inside
// library slots.
struct ColourRecord {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t alpha;  // 255 opaque, less blends
    uint16_t word;  // always PackColourWord(red, green, blue)
};
static_assert(sizeof(ColourRecord) == 6);

constexpr uint8_t kOpaqueAlpha = 255;

// Drops the low bits of each channel: 5 bits red, 6 green, 5 blue.
uint16_t PackColourWord(const ColourRecord& c);
uint16_t PackColourWord(int red, int green, int blue);
ColourRecord MakeColour(int red, int green, int blue, int alpha);
