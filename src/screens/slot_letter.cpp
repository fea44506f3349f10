// The current slot's letter in a yellow label box.
#include "screens/slot_letter.h"

#include "raster/panels.h"
#include "screens/drawing_editor.h"
#include "surface/pen.h"

void FormatSlotLetter(int32_t slot, char out[2]) {
    // The code wraps to 8 bits; slots 0..63 give 'A' .. 128.
    out[0] = static_cast<char>(static_cast<uint8_t>(65 + static_cast<uint32_t>(slot)));
    out[1] = 0;
}

void SlotLetterGridFace(const WidgetRecord& widget) {
    char label[2];
    FormatSlotLetter(editor.current_slot, label);
    SetPenColour(surface, MakeColour(kSlotLetterRed, kSlotLetterGreen, kSlotLetterBlue, 255));
    DrawLabelBoxRight(surface, static_cast<int16_t>(widget.x1), static_cast<int16_t>(widget.y1),
                      static_cast<int16_t>(widget.x2), static_cast<int16_t>(widget.y2), label);
}

void SlotLetterFace(const WidgetRecord& widget, const SkinPicture*) { SlotLetterGridFace(widget); }
