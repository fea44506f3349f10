// The colour picker's faces, its redraw and the colour button.
#include "screens/colour_picker.h"

#include "raster/font.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/layout_tables.h"
#include "screens/widget_ids.h"
#include "surface/pen.h"

PickerState picker;


// Puts the pen back to opaque with the opaque plot pair.
static void OpaquePen() {
    surface.pen_alpha = 255;
    SelectPenForAlpha(surface);
}

void FormatColourReadout(const ColourRecord& c, char out[7]) {
    static const char kDigits[] = "0123456789ABCDEF";
    const uint8_t channels[3] = {c.red, c.green, c.blue};
    for (int i = 0; i < 3; ++i) {
        out[2 * i] = kDigits[channels[i] >> 4];
        out[2 * i + 1] = kDigits[channels[i] & 15];
    }
    out[6] = 0;
}

// ---------------------------------------------------------------------------
// Redraw
// ---------------------------------------------------------------------------
void ColourPickerRedraw() {
    // The panel leaves the top bar (rows 0..19) as the editor drew it.
    SetPenColour(surface, MakeColour(200, 200, 200, 255));
    DrawBevelBox(surface, 0, 20, 239, 300);

    // The read-out comes first, so it shows the colour of the previous
    // redraw; the redraw on release brings it up to date.
    char readout[7];
    FormatColourReadout(current_colour, readout);
    surface.pen_colour.word = 0;
    DrawTextCentred(surface, 120, 180, readout);

    // Controls to colour: the square's column is saturation / 2, its row
    // lightness / 2.
    picker.hue = picker.hue_value;
    picker.saturation = (picker.square_value % kSquareCells) * 2;
    picker.lightness = (picker.square_value / kSquareCells) * 2;
    int32_t red, green, blue;
    HslToRgb(picker.hue, picker.saturation, picker.lightness, &red, &green, &blue);
    current_colour = MakeColour(red, green, blue, static_cast<uint8_t>(picker.alpha_value));

    // The preview is blended over white, so a translucent colour shows as such.
    surface.pen_colour.word = 0xFFFF;
    FillRect(surface, 60, 190, 180, 220);
    SetPenColour(surface, current_colour);
    const WidgetRecord& button = *FindWidget(drawing_editor_table, kEditorColourButton);
    FillRect(surface, static_cast<int16_t>(button.x1 + 1), static_cast<int16_t>(button.y1 + 1),
             static_cast<int16_t>(button.x2 - 1), static_cast<int16_t>(button.y2 - 1));
    FillRect(surface, 60, 190, 180, 220);
    OpaquePen();
}

// ---------------------------------------------------------------------------
// Faces
// ---------------------------------------------------------------------------
void SaturationLightnessFace(const WidgetRecord& w) {
    OpaquePen();
    // Saturation grows to the right, lightness downward.
    for (int32_t i = 0; i < kSquareCells; ++i) {
        for (int32_t j = 0; j < kSquareCells; ++j) {
            int32_t red, green, blue;
            HslToRgb(picker.hue, 2 * i, 2 * j, &red, &green, &blue);
            surface.pen_colour = MakeColour(red, green, blue, 255);
            PlotPixel(surface, w.x1 + i, w.y1 + j);
        }
    }
    // Cross-hair in XOR, so it shows on every colour of the square.
    const int16_t cx = static_cast<int16_t>(w.x1 + (picker.saturation >> 1));
    const int16_t cy = static_cast<int16_t>(w.y1 + (picker.lightness >> 1));
    surface.pen_colour.word = 0xFFFF;
    SelectPenMode(surface, 1);
    DrawHSpan(surface, static_cast<int16_t>(w.x1), cy, static_cast<int16_t>(w.x2 - 1));
    DrawVSpan(surface, cx, static_cast<int16_t>(w.y1), static_cast<int16_t>(w.y2 - 1));
    SelectPenMode(surface, 0);
}

void HueBarFace(const WidgetRecord& w) {
    OpaquePen();
    // One row per hue, as many as the grid has rows.
    const int32_t rows = w.b < kHueCount ? static_cast<int32_t>(w.b) : kHueCount;
    for (int32_t i = 0; i < rows; ++i) {
        surface.pen_colour.word = hue_ramp[i];
        DrawHSpan(surface, static_cast<int16_t>(w.x1 + 1), static_cast<int16_t>(w.y1 + i),
                  static_cast<int16_t>(w.x2 - 1));
    }
    // A three-pixel marker across the bar at the working hue.
    const int32_t h = picker.hue;
    surface.pen_colour.word = 0;
    FrameRect(surface, static_cast<int16_t>(w.x1), static_cast<int16_t>(w.y1 + h - 1),
              static_cast<int16_t>(w.x2), static_cast<int16_t>(w.y1 + h + 1));
}

void AlphaBarFace(const WidgetRecord& w) {
    OpaquePen();
    surface.pen_colour.word = 0;
    FrameRect(surface, static_cast<int16_t>(w.x1 + 1), static_cast<int16_t>(w.y1),
              static_cast<int16_t>(w.x2 - 1), static_cast<int16_t>(w.y2));
    // Transparent at the top.
    const int32_t a = picker.alpha_value;
    FrameRect(surface, static_cast<int16_t>(w.x1), static_cast<int16_t>(w.y1 + a - 1),
              static_cast<int16_t>(w.x2), static_cast<int16_t>(w.y1 + a + 1));
}

void ResetPicker() {
    picker = PickerState{};
    current_colour = MakeColour(0, 0, 0, kOpaqueAlpha);
    SyncPickerFromColour(current_colour);
}

void SyncPickerFromColour(const ColourRecord& c) {
    RgbToHsl(c.red, c.green, c.blue, &picker.hue, &picker.saturation,
             &picker.lightness);
    picker.hue_value = picker.hue;
    // The column stops at 119; the row does not, so white reads back as 240.
    int32_t column = picker.saturation / 2;
    if (column > kSquareCells - 1) column = kSquareCells - 1;
    picker.square_value = (picker.lightness / 2) * kSquareCells + column;
    picker.alpha_value = c.alpha;
}

void ColourButtonFace(const WidgetRecord& w, const SkinPicture*) {
    SetPenColour(surface, current_colour);
    FillRect(surface, static_cast<int16_t>(w.x1), static_cast<int16_t>(w.y1),
             static_cast<int16_t>(w.x2), static_cast<int16_t>(w.y2));
    OpaquePen();
    surface.pen_colour.word = 0;
    FrameRect(surface, static_cast<int16_t>(w.x1), static_cast<int16_t>(w.y1),
              static_cast<int16_t>(w.x2), static_cast<int16_t>(w.y2));
}
