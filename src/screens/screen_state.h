// The values every screen shares: the mode and the last pressed strip cell,
// and the names of the modes and the editor's tools. Each screen keeps the
// rest of its state in a struct of its own, beside its functions:
//   editor        drawing_editor.h   tool, slots, selections, the fixed view
//   picker        colour_picker.h    the picker's three controls
//   stage_screen  animation_screen.h selected actor, tabs, frame, pose controls
//   files         file_browser.h     path, listings, pages, choices
// Selections are indices with -1 meaning none.
#pragma once
#include <cstdint>

// Modes of the main loop, the values of the mode selector.
enum : int32_t {
    kModeDrawing = 0,
    kModeAnimation = 1,
    kModeFiles = 2,
    kModeBlank = 3,
    kModeQuit = 4,
};

// Tools of the drawing editor, the values of the tool chooser.
enum : int32_t {
    kToolOutline = 0,
    kToolFilled = 1,
    kToolRectangle = 2,
    kToolEllipse = 3,
    kToolSelectShape = 4,
    kToolEditVertices = 5,
};
constexpr int32_t kToolCount = 6;

struct ScreenControls {
    int32_t mode;        // current screen (the mode selector)
    int32_t strip_cell;  // item last pressed in any button strip
};

extern ScreenControls controls;

// Mode 0, strip cell 0.
void ResetScreenControls();

// Runs a nested UI loop (a picker, a chooser, the pose screen) with canvas
// strokes off, and gives the screen below its canvas mode back afterwards.
// Returns what the loop returned.
struct WidgetRecord;
uint16_t RunNestedLoop(WidgetRecord* table, void (*redraw)());
