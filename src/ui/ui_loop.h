// The modal UI loop: one event loop that every screen runs on its layout
// table, nested for sub-screens and chooser popups. It hit-tests taps,
// updates bound variables, captures canvas strokes and redraws on request.
#pragma once
#include <cstdint>

#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "surface/surface.h"
#include "ui/widgets.h"

// Stroke points live in slots 1..count; slot 0 repeats the first point.
constexpr int kStrokeSlots = 513;
constexpr int kStrokeMaxPoints = 512;

// Results of RunUiLoop besides widget ids.
constexpr uint16_t kStrokeFinished = 253;
constexpr uint16_t kNoTable = 65535;
constexpr uint16_t kPickerExit = 9999;  // full-screen exits of pickers; popup strip
constexpr uint16_t kPopupExit = 9998;   // a tap beside a chooser popup
constexpr uint16_t kHostCommand = 9997; // a host feature ended the pass (RequestLoopEnd)

using RedrawCallback = void (*)();

struct UiState {
    Vertex stroke[kStrokeSlots];   // captured points (only x and y written)
    uint16_t point_count;          // points in slots 1..point_count
    WidgetRecord* current_table;   // the table being run
    uint8_t snapshot[kScreenBytes];  // the back buffer at the stroke's pen-down
    int16_t canvas_mode;           // what a drag on no widget does; 0 nothing
    uint8_t stroke_active;         // 1 from a pen-down on no widget to its release
    ColourRecord stroke_colour;    // colour and alpha of the preview
    SkinPicture* skin;             // widget images; null draws none
    WidgetRecord* pressed_widget;  // hit by the last pen-down, or null
    uint16_t start_x, start_y;     // press point of the last pen-down
    uint16_t current_x, current_y; // last stylus point seen while down
    RedrawCallback redraw;         // paints the background; may be null
    // Host features beside the described loop:
    uint8_t depth;                 // loops running; 0 while a command runs
    struct EndRequest {
        uint16_t id;               // the id to return (RequestLoopEnd); 0 none
        const WidgetRecord* table; // the table whose loop honours it; null any
    } end_requests[2];
};

// The program-wide UI state.
extern UiState ui;
// Anyone may set it to 1 to have the loop redraw on its next pass.
extern uint8_t redraw_request;
// Built by OpenChooserPopup: the strip, the hit area around it, End.
extern WidgetRecord chooser_popup_table[3];

// Runs until a widget with a non-zero id is released on, or a canvas stroke
// ends (253), or a host feature's request ends it. 65535 when the table is
// null.
uint16_t RunUiLoop(UiState& state, WidgetRecord* table, RedrawCallback redraw);
// Redraws the screen, or the stroke preview over the snapshot, and presents it.
void RedrawUi(UiState& state);
// First widget containing the point, searching active pages in place; null when none.
WidgetRecord* HitTestTable(UiState& state, int16_t x, int16_t y, WidgetRecord* table);
// Sets the widget's value from the stylus point, by type.
void UpdateWidgetValue(WidgetRecord& widget, int16_t x, int16_t y);
// Opens a chooser's popup strip toward the middle of the screen and runs it.
void OpenChooserPopup(WidgetRecord& widget);
// The one way for a host feature (undo, keys) to act between UI passes and
// never in the middle of a stroke or a drag: the loop running the given
// table (null: whichever loop runs innermost) returns id at the end of a
// pass in which no widget is pressed, no stroke is under way and the stylus
// is up, as if a widget with that id had been released. The request waits
// while that table's loop is not the innermost one (a picker is open). Two
// requests can wait at once; a later one for the same table replaces the
// earlier, and when both places are taken the older request is dropped.
void RequestLoopEnd(uint16_t id, const WidgetRecord* table);

// pressed := 0 for every record of the table and of all its pages.
void ClearPressedFlags(UiState& state, WidgetRecord* table);
