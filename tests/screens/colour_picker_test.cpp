// The colour picker: syncing from a colour, the quantisation of the controls,
// the faces' pixels, and the picker run from the editor's colour button.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "raster/panels.h"
#include "screens/editor_fixture.h"
#include "surface/pen.h"
#include "raster/font.h"

namespace {

using ColourPicker = EditorSession;
using Rgba = std::tuple<int, int, int, int>;

TEST_F(ColourPicker, StartUpBlackAndTheWorkedColoursComeBackQuantised) {
    EXPECT_EQ(picker.hue_value, 160);
    struct Row {
        ColourRecord colour;
        int32_t square;
        int red, green, blue;
    };
    const Row rows[] = {
        {MakeColour(0, 0, 0, 255), 0, 0, 0, 0},
        {MakeColour(255, 0, 0, 255), 7319, 254, 1, 1},           // row 60, column 119
        {MakeColour(255, 255, 255, 255), 14400, 255, 255, 255},  // row 120: lightness reads back as 240
        {MakeColour(0, 128, 128, 128), 3719, 0, 128, 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.square);
        SyncPickerFromColour(row.colour);
        EXPECT_EQ(picker.square_value, row.square);
        EXPECT_EQ(picker.alpha_value, row.colour.alpha);
        current_colour = row.colour;
        ColourPickerRedraw();  // turns the controls back into a colour
        const ColourRecord& c = current_colour;
        EXPECT_EQ(Rgba(c.red, c.green, c.blue, c.alpha), Rgba(row.red, row.green, row.blue, row.colour.alpha));
    }
    SyncPickerFromColour(MakeColour(255, 0, 0, 255));
    EXPECT_EQ(picker.hue_value, 0);
}

TEST_F(ColourPicker, ReadOutIsUpperCaseHexOfTheColourBeforeTheRedraw) {
    char text[7];
    FormatColourReadout(MakeColour(10, 171, 255, 255), text);
    EXPECT_STREQ(text, "0AABFF");
    FormatColourReadout(MakeColour(255, 0, 128, 9), text);
    EXPECT_STREQ(text, "FF0080");

    // The controls say red; the colour is still black when the redraw begins,
    // so this redraw shows 000000 and the next one FE0101.
    SyncPickerFromColour(MakeColour(255, 0, 0, 255));
    current_colour = MakeColour(0, 0, 0, 255);
    auto ReadOutMatches = [](const char* expected) {
        ResetTestSurface(0x1234);
        ColourPickerRedraw();
        std::vector<uint16_t> shown(surface.pixel_base, surface.pixel_base + 240 * 320);
        ResetTestSurface(0x1234);
        SetPenColour(surface, MakeColour(200, 200, 200, 255));
        FillRect(surface, 60, 170, 180, 189);
        surface.pen_colour.word = 0;
        DrawTextCentred(surface, 120, 180, expected);
        for (int y = 172; y < 188; ++y)
            for (int x = 60; x <= 180; ++x)
                if (shown[x + y * 240] != PixelAt(x, y)) return false;
        return true;
    };
    EXPECT_TRUE(ReadOutMatches("000000"));
    EXPECT_TRUE(ReadOutMatches("FE0101"));
}

TEST_F(ColourPicker, RedrawPaintsPanelPreviewAndColourButton) {
    ResetTestSurface(0x1234);
    SyncPickerFromColour(MakeColour(0, 0, 255, 255));
    ColourPickerRedraw();
    // The preview's and the colour button's corners.
    for (const auto& [x, y] : {std::pair(60, 190), {180, 220}, {181, 1}, {198, 18}})
        EXPECT_EQ(PixelAt(x, y), current_colour.word) << x << "," << y;
    EXPECT_EQ(PixelAt(180, 0), 0x1234);  // the top bar stays as it was
    EXPECT_EQ(PixelAt(120, 19), 0x1234);

    // Translucent: the preview is blended over white, the pen is opaque after.
    picker.alpha_value = 0;
    ColourPickerRedraw();
    EXPECT_EQ(current_colour.alpha, 0);
    EXPECT_EQ(PixelAt(100, 200), 0xFFFF);
    EXPECT_EQ(surface.pen_alpha, 255);
    EXPECT_EQ(surface.plain_plot, &PlotSet);
}

TEST_F(ColourPicker, FacesShowTheSquareTheHueRampTheMarkersAndTheColourButton) {
    BuildHueRamp(surface);
    ResetTestSurface(0x1234);
    SyncPickerFromColour(MakeColour(255, 0, 0, 255));  // S 240 -> column 120, L 120 -> row 60
    SaturationLightnessFace(colour_picker_table[0]);
    int32_t r, g, b;
    HslToRgb(0, 2 * 10, 2 * 20, &r, &g, &b);
    EXPECT_EQ(PixelAt(70, 50), PackColourWord(r, g, b));
    HslToRgb(0, 2 * 119, 2 * 119, &r, &g, &b);
    EXPECT_EQ(PixelAt(179, 149), PackColourWord(r, g, b));
    // The cross-hair inverts row 30 + 60 and column 60 + 120.
    HslToRgb(0, 2 * 10, 120, &r, &g, &b);
    EXPECT_EQ(PixelAt(70, 90), static_cast<uint16_t>(PackColourWord(r, g, b) ^ 0xFFFF));
    EXPECT_EQ(PixelAt(180, 50), 0x1234 ^ 0xFFFF);

    HueBarFace(colour_picker_table[1]);
    EXPECT_EQ(PixelAt(210, 30 + 100), hue_ramp[100]);
    EXPECT_EQ(PixelAt(200, 130), 0x1234);  // the bar's own columns 201..219
    EXPECT_EQ(PixelAt(200, 30), 0);        // marker around hue 0: rows 29..31
    EXPECT_EQ(PixelAt(220, 29), 0);

    picker.alpha_value = 254;
    AlphaBarFace(colour_picker_table[2]);
    EXPECT_EQ(PixelAt(21, 100), 0);  // outline
    EXPECT_EQ(PixelAt(30, 100), 0x1234);
    EXPECT_EQ(PixelAt(20, 284), 0);  // marker at 30 + 254 - 1 .. + 1
    EXPECT_EQ(PixelAt(40, 285), 0);

    ResetTestSurface(0xFFFF);
    current_colour = MakeColour(0, 200, 0, 255);
    ColourButtonFace(drawing_editor_table[3], nullptr);  // in a black frame
    EXPECT_EQ(PixelAt(180, 0), 0);
    EXPECT_EQ(PixelAt(199, 19), 0);
    EXPECT_EQ(PixelAt(190, 10), 0x0640);
    EXPECT_EQ(surface.pen_alpha, 255);
}

// Through the UI loop.
TEST_F(ColourPicker, TheEditorsButtonRunsThePickerAndTheNextShapeTakesTheColour) {
    BuildHueRamp(surface);
    Script(
        "tap 190 10\n"               // colour button
        "tap 210 30\n"               // hue 0 (red)
        "tap 179 89\n"               // square column 119, row 59
        "tap 30 285\n"               // alpha bar's bottom edge
        "tap 120 300\n"              // beside the controls: closes the picker
        "drag 60 240 100 260 4\n"    // a rectangle (tool 2)
        "tap 190 10\ntap 180 150\n"  // the square's bottom-right corner
        "tap 230 310\n");
    editor.tool = kToolRectangle;
    ui.canvas_mode = kCanvasRectangle;
    EXPECT_EQ(Step(), kEditorColourButton);
    EXPECT_EQ(picker.hue_value, 0);
    EXPECT_EQ(picker.alpha_value, 254);
    EXPECT_EQ(current_colour.alpha, 254);
    EXPECT_EQ(ui.stroke_colour.word, current_colour.word);  // the stroke preview follows
    EXPECT_EQ(ui.canvas_mode, kCanvasRectangle);

    EXPECT_EQ(Step(), kStrokeFinished);
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(drawing.shapes[0].colour.word, current_colour.word);
    EXPECT_EQ(drawing.shapes[0].colour.alpha, 254);
    // Drawn blended over white: red, with a trace of the white.
    DrawingEditorRedraw();
    const uint16_t inside = PixelAt(80, 250);
    EXPECT_NE(inside, 0xFFFF);
    EXPECT_EQ(inside >> 11, 31);

    EXPECT_EQ(Step(), kEditorColourButton);
    EXPECT_EQ(picker.square_value, 119 * 120 + 119);
    EXPECT_EQ(picker.saturation, 238);
    EXPECT_EQ(picker.lightness, 238);
}

TEST_F(ColourPicker, InTheSelectToolThePickedColourGoesToTheSelectedShape) {
    AddBox(20, 40, 60, 80);
    AddBox(80, 40, 120, 80);
    editor.tool = kToolSelectShape;
    editor.selected_shape = 0;
    ui.canvas_mode = kCanvasNone;
    Script("tap 190 10\ntap 210 110\ntap 120 90\ntap 230 310\n");  // hue 80: green
    EXPECT_EQ(Step(), kEditorColourButton);
    EXPECT_EQ(drawing.shapes[0].colour.word, current_colour.word);
    EXPECT_GT(current_colour.green, current_colour.red);
    EXPECT_EQ(drawing.shapes[1].colour.word, 0);
}

}  // namespace
