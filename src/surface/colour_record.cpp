#include "surface/colour_record.h"

uint16_t PackColourWord(int red, int green, int blue) {
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xFF) >> 3));
}

uint16_t PackColourWord(const ColourRecord& c) { return PackColourWord(c.red, c.green, c.blue); }

ColourRecord MakeColour(int red, int green, int blue, int alpha) {
    ColourRecord c;
    c.red = static_cast<uint8_t>(red);
    c.green = static_cast<uint8_t>(green);
    c.blue = static_cast<uint8_t>(blue);
    c.alpha = static_cast<uint8_t>(alpha);
    c.word = PackColourWord(c);
    return c;
}
