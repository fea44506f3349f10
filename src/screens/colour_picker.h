// The colour picker: a saturation/lightness square for the chosen hue, a hue
// bar, an alpha bar, a hexadecimal read-out and a preview. Its state is the
// values of its three controls; every redraw turns them into the current
// colour. Also the face of the drawing editor's colour button.
#pragma once
#include <cstdint>

#include "drawing/colour.h"
#include "ui/widgets.h"

// The square is 120 x 120 cells of two saturation or lightness steps each.
constexpr int32_t kSquareCells = 120;

struct PickerState {
    int32_t square_value;  // row x 120 + column: lightness / 2, saturation / 2
    int32_t hue_value;     // 0..239
    int32_t alpha_value;   // 0..255
    // Hue, saturation and lightness as last derived from the controls or
    // from a synced colour; the faces read them.
    int32_t hue;
    int32_t saturation;
    int32_t lightness;
};

extern PickerState picker;

// The current colour becomes opaque black and the controls show it.
void ResetPicker();

// The picker's redraw callback: panel, read-out of the colour as it was when
// the redraw began, the current colour recomputed from the controls, the
// preview over white and the editor's colour button repainted.
void ColourPickerRedraw();

// Cell-grid faces of the three controls.
void SaturationLightnessFace(const WidgetRecord& widget);
void HueBarFace(const WidgetRecord& widget);
void AlphaBarFace(const WidgetRecord& widget);

// Sets the working HSL and the three control values from a colour.
void SyncPickerFromColour(const ColourRecord& colour);

// The editor's colour button: the current colour (blended when translucent)
// inside a black frame.
void ColourButtonFace(const WidgetRecord& widget, const SkinPicture* skin);

// Red, green and blue as six upper-case hexadecimal digits and a zero.
void FormatColourReadout(const ColourRecord& colour, char out[7]);
