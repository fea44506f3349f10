// The layout tables, one record per line:
//   type, id, x1, y1, x2, y2, a, b, c, d, bound, count, pressed
// A null draw function draws nothing and a null press function does nothing.
#include "screens/layout_tables.h"

#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/pose_screen.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "screens/slot_letter.h"
#include "screens/widget_ids.h"

// Short names for the pointer parameters, so that each record stays on one line.
static intptr_t Var(int32_t* v) { return WidgetParam(v); }
static intptr_t Sub(WidgetRecord* t) { return WidgetParam(t); }
template <typename F>
static intptr_t Fn(F f) { return WidgetParam(f); }

// ---------------------------------------------------------------------------
// Main table: the mode selector on every screen, then the current mode's page.
// ---------------------------------------------------------------------------
WidgetRecord main_table[6] = {
    {kChooserVertical, kModeSelector, 220, 0, 240, 20, 0,                   0,              20,                        20, &controls.mode, 5, 0},
    {kPage,            kNoCommand,      0, 0,   0,  0, Var(&controls.mode), kModeDrawing,   Sub(drawing_editor_table), 0,  nullptr,        0, 0},
    {kPage,            kNoCommand,      0, 0,   0,  0, Var(&controls.mode), kModeAnimation, Sub(animation_table),      0,  nullptr,        0, 0},
    {kPage,            kNoCommand,      0, 0,   0,  0, Var(&controls.mode), kModeFiles,     Sub(files_table),          0,  nullptr,        0, 0},
    {kPage,            kNoCommand,      0, 0,   0,  0, Var(&controls.mode), kModeBlank,     Sub(blank_table),          0,  nullptr,        0, 0},
    {kEnd,             kNoCommand,      0, 0,   0,  0, 0,                   0,              0,                         0,  nullptr,        0, 0},
};

// ---------------------------------------------------------------------------
// Drawing editor: slot letter, new/refresh strip, tool chooser, colour
// button, then the current tool's page.
// ---------------------------------------------------------------------------
WidgetRecord drawing_editor_table[11] = {
    {kCustomWidget,          kEditorLibraryButton,   0,   0, 19,  19, Fn(SlotLetterFace),   0,                 0,                      0,  nullptr,              0, 0},
    {kButtonStripHorizontal, kEditorNewDrawingStrip, 20,  0, 50,  20, 0,                    100,               15,                     20, &controls.strip_cell, 0, 0},
    {kChooserVertical,       kEditorToolChooser,     200, 0, 220, 20, 40,                   0,                 20,                     20, &editor.tool,         6, 0},
    {kCustomWidget,          kEditorColourButton,    180, 0, 199, 19, Fn(ColourButtonFace), 0,                 0,                      0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolOutline,      Sub(empty_table),       0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolFilled,       Sub(empty_table),       0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolRectangle,    Sub(empty_table),       0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolEllipse,      Sub(empty_table),       0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolSelectShape,  Sub(shape_tool_table),  0,  nullptr,              0, 0},
    {kPage,                  kNoCommand,             0,   0, 0,   0,  Var(&editor.tool),    kToolEditVertices, Sub(vertex_tool_table), 0,  nullptr,              0, 0},
    {kEnd,                   kNoCommand,             0,   0, 0,   0,  0,                    0,                 0,                      0,  nullptr,              0, 0},
};

WidgetRecord empty_table[1] = {
    {kEnd, kNoCommand, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0},
};

WidgetRecord blank_table[1] = {
    {kEnd, kNoCommand, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0},
};

// Tool 4: shape actions (delete, duplicate, forward, back, fill/outline) and
// the full-screen selection canvas.
WidgetRecord shape_tool_table[3] = {
    {kButtonStripHorizontal, kEditorShapeActions, 50, 0, 150, 20,  80,                      0,               20, 20, &controls.strip_cell, 0, 0},
    {kCustomWidget,          kEditorSelectCanvas, 0,  0, 240, 320, Fn(SelectionBoxOverlay), Fn(ShapeStylus), 0,  0,  nullptr,              0, 0},
    {kEnd,                   kNoCommand,          0,  0, 0,   0,   0,                       0,               0,  0,  nullptr,              0, 0},
};

// Tool 5: vertex actions (insert, delete, curve, contour start, previous
// shape, next shape) and the full-screen handles canvas, which returns nothing.
WidgetRecord vertex_tool_table[3] = {
    {kButtonStripHorizontal, kEditorVertexActions, 50, 0, 170, 20,  80,                       40,               20, 20, &controls.strip_cell, 0, 0},
    {kCustomWidget,          kNoCommand,           0,  0, 240, 320, Fn(VertexHandlesOverlay), Fn(VertexStylus), 0,  0,  nullptr,              0, 0},
    {kEnd,                   kNoCommand,           0,  0, 0,   0,   0,                        0,                0,  0,  nullptr,              0, 0},
};

// ---------------------------------------------------------------------------
// Animation screen: slot letter, play strip, add/fewer strip, actor tabs,
// frame slider, then the full-screen stage.
// ---------------------------------------------------------------------------
WidgetRecord animation_table[7] = {
    {kCustomWidget,          kAnimationLibraryButton, 0,   0,   19,  19,  Fn(SlotLetterFace),                0,                                 0,  0,                   nullptr,              0, 0},
    {kButtonStripHorizontal, kAnimationPlayStrip,     20,  0,   100, 20,  0,                                 140,                               20, 20,                  &controls.strip_cell, 0, 0},
    {kButtonStripHorizontal, kAnimationAddStrip,      0,   300, 29,  319, 0,                                 100,                               15, 20,                  &controls.strip_cell, 0, 0},
    {kNumberTabs,            kAnimationActorTabs,     30,  300, 239, 319, Var(&stage_screen.actor_tab_count), Var(&stage_screen.selected_actor), 0,  0,                   nullptr,              0, 0},
    {kCellGrid,              kAnimationFrameSlider,   220, 30,  239, 290, Var(&stage_screen.current_frame),   200,                               1,  Fn(FrameSliderFace), nullptr,              0, 0},
    {kCustomWidget,          kAnimationStage,         0,   0,   240, 320, Fn(ActorHighlightOverlay),         Fn(ActorStylus),                   0,  0,                   nullptr,              0, 0},
    {kEnd,                   kNoCommand,              0,   0,   0,   0,   0,                                 0,                                 0,  0,                   nullptr,              0, 0},
};

// ---------------------------------------------------------------------------
// Files screen: the path bar first (it wins over the file-page row), then the
// four grids, which the screen's redraw paints.
// ---------------------------------------------------------------------------
WidgetRecord files_table[6] = {
    {kHitArea,  kFilesPathBar,        1, 21,  238, 35,  0,                    0,  0,  0,                 nullptr, 0, 0},
    {kCellGrid, kFilesPages,          0, 33,  239, 49,  Var(&files.list_cell), 1,  15, Fn(FilesGridFace), nullptr, 0, 0},
    {kCellGrid, kFilesRows,           0, 50,  239, 214, Var(&files.list_cell), 10, 1,  Fn(FilesGridFace), nullptr, 0, 0},
    {kCellGrid, kFilesDirectoryPages, 0, 214, 239, 230, Var(&files.list_cell), 1,  15, Fn(FilesGridFace), nullptr, 0, 0},
    {kCellGrid, kFilesDirectoryCells, 0, 231, 239, 300, Var(&files.list_cell), 5,  2,  Fn(FilesGridFace), nullptr, 0, 0},
    {kEnd,      kNoCommand,           0, 0,   0,   0,   0,                    0,  0,  0,                 nullptr, 0, 0},
};

// ---------------------------------------------------------------------------
// Pickers: their controls have id 0 and never end the loop; the full-screen
// hit area is the way out.
// ---------------------------------------------------------------------------
WidgetRecord colour_picker_table[5] = {
    {kCellGrid, kNoCommand,  60,  30, 180, 150, Var(&picker.square_value), 120, 120, Fn(SaturationLightnessFace), nullptr, 0, 0},
    {kCellGrid, kNoCommand,  200, 30, 220, 270, Var(&picker.hue_value),    240, 1,   Fn(HueBarFace),              nullptr, 0, 0},
    {kCellGrid, kNoCommand,  20,  30, 40,  285, Var(&picker.alpha_value),  255, 1,   Fn(AlphaBarFace),            nullptr, 0, 0},
    {kHitArea,  kPickerExit, 0,   0,  240, 320, 0,                         0,   0,   0,                           nullptr, 0, 0},
    {kEnd,      kNoCommand,  0,   0,  0,   0,   0,                         0,   0,   0,                           nullptr, 0, 0},
};

WidgetRecord library_browser_table[3] = {
    {kLetterTabs, kLibraryLetterTabs, 0, 20, 19,  300, Var(&editor.next_new_slot), Var(&editor.current_slot), 0, 0, nullptr, 0, 0},
    {kHitArea,    kPickerExit,        0, 0,  240, 320, 0,                          0,                         0, 0, nullptr, 0, 0},
    {kEnd,        kNoCommand,         0, 0,  0,   0,   0,                          0,                         0, 0, nullptr, 0, 0},
};

WidgetRecord pose_table[5] = {
    {kCellGrid, kNoCommand,  0,   40,  19,  296, Var(&editor.current_slot),             64,  1,   Fn(SlotLetterGridFace), nullptr, 0, 0},
    {kCellGrid, kNoCommand,  210, 20,  229, 300, Var(&stage_screen.scale_slider_value), 64,  1,   Fn(ScaleSliderFace),    nullptr, 0, 0},
    {kCellGrid, kNoCommand,  70,  110, 170, 210, Var(&stage_screen.dial_value),         100, 100, Fn(AngleDialFace),      nullptr, 0, 0},
    {kHitArea,  kPickerExit, 0,   0,   240, 320, 0,                                     0,   0,   0,                      nullptr, 0, 0},
    {kEnd,      kNoCommand,  0,   0,   0,   0,   0,                                     0,   0,   0,                      nullptr, 0, 0},
};
