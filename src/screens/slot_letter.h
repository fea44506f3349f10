// The face that shows the current library slot as a letter: A for slot 0,
// B for slot 1, ... and after Z the characters that follow it.
#pragma once
#include "ui/widgets.h"

// The label box colour: yellow, as the selected tab of the letter list.
constexpr uint8_t kSlotLetterRed = 200;
constexpr uint8_t kSlotLetterGreen = 200;
constexpr uint8_t kSlotLetterBlue = 0;

// Custom-widget face: a labelled box over the whole rectangle with the letter
// of the current slot. Leaves the pen as the label box leaves it.
void SlotLetterFace(const WidgetRecord& widget, const SkinPicture* skin);
// The same face with the cell-grid signature (the pose screen's slot strip).
void SlotLetterGridFace(const WidgetRecord& widget);
// The label of a slot: the character 65 + slot (as an 8-bit code) and a zero.
void FormatSlotLetter(int32_t slot, char out[2]);
