// The layout tables, one record per line:
//   type, id, x1, y1, x2, y2, a, b, c, d, bound, count, pressed
// A null draw function draws nothing and a null press function does nothing.
#include "screens/layout_tables.h"

#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/file_browser.h"
#include "screens/pose_screen.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "screens/slot_letter.h"

// Short names for the pointer parameters, so that each record stays on one line.
static intptr_t Var(int32_t* v) { return WidgetParam(v); }
static intptr_t Sub(WidgetRecord* t) { return WidgetParam(t); }
template <typename F>
static intptr_t Fn(F f) { return WidgetParam(f); }

// ---------------------------------------------------------------------------
// Main table: the mode selector on every screen, then the current mode's page.
// ---------------------------------------------------------------------------
WidgetRecord main_table[6] = {
    {kChooserVertical, 100, 220, 0, 240, 20, 0,          0,              20,                        20, &mode,   5, 0},
    {kPage,              0,   0, 0,   0,  0, Var(&mode), kModeDrawing,   Sub(drawing_editor_table), 0,  nullptr, 0, 0},
    {kPage,              0,   0, 0,   0,  0, Var(&mode), kModeAnimation, Sub(animation_table),      0,  nullptr, 0, 0},
    {kPage,              0,   0, 0,   0,  0, Var(&mode), kModeFiles,     Sub(files_table),          0,  nullptr, 0, 0},
    {kPage,              0,   0, 0,   0,  0, Var(&mode), kModeBlank,     Sub(blank_table),          0,  nullptr, 0, 0},
    {kEnd,               0,   0, 0,   0,  0, 0,          0,              0,                         0,  nullptr, 0, 0},
};

// ---------------------------------------------------------------------------
// Drawing editor: slot letter, new/refresh strip, colour button, tool
// chooser, then the current tool's page.
// ---------------------------------------------------------------------------
WidgetRecord drawing_editor_table[11] = {
    {kCustomWidget,          12,   0, 0,  19, 19, Fn(SlotLetterFace),   0,                 0,                      0,  nullptr,     0, 0},
    {kButtonStripHorizontal, 40,  20, 0,  50, 20, 0,                    100,               15,                     20, &strip_cell, 0, 0},
    {kChooserVertical,       10, 200, 0, 220, 20, 40,                   0,                 20,                     20, &tool,       6, 0},
    {kCustomWidget,          11, 180, 0, 199, 19, Fn(ColourButtonFace), 0,                 0,                      0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolOutline,      Sub(empty_table),       0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolFilled,       Sub(empty_table),       0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolRectangle,    Sub(empty_table),       0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolEllipse,      Sub(empty_table),       0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolSelectShape,  Sub(shape_tool_table),  0,  nullptr,     0, 0},
    {kPage,                   0,   0, 0,   0,  0, Var(&tool),           kToolEditVertices, Sub(vertex_tool_table), 0,  nullptr,     0, 0},
    {kEnd,                    0,   0, 0,   0,  0, 0,                    0,                 0,                      0,  nullptr,     0, 0},
};

WidgetRecord empty_table[1] = {
    {kEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0},
};

WidgetRecord blank_table[1] = {
    {kEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0},
};

// Tool 4: shape actions (delete, duplicate, forward, back, fill/outline) and
// the full-screen selection canvas.
WidgetRecord shape_tool_table[3] = {
    {kButtonStripHorizontal, 50, 50, 0, 150,  20, 80,                      0,               20, 20, &strip_cell, 0, 0},
    {kCustomWidget,          20,  0, 0, 240, 320, Fn(SelectionBoxOverlay), Fn(ShapeStylus), 0,  0,  nullptr,     0, 0},
    {kEnd,                    0,  0, 0,   0,   0, 0,                       0,               0,  0,  nullptr,     0, 0},
};

// Tool 5: vertex actions (insert, delete, curve, contour start, previous
// shape, next shape) and the full-screen handles canvas, which returns nothing.
WidgetRecord vertex_tool_table[3] = {
    {kButtonStripHorizontal, 60, 50, 0, 170,  20, 80,                       40,               20, 20, &strip_cell, 0, 0},
    {kCustomWidget,           0,  0, 0, 240, 320, Fn(VertexHandlesOverlay), Fn(VertexStylus), 0,  0,  nullptr,     0, 0},
    {kEnd,                    0,  0, 0,   0,   0, 0,                        0,                0,  0,  nullptr,     0, 0},
};

// ---------------------------------------------------------------------------
// Animation screen: slot letter, play strip, add/fewer strip, actor tabs,
// frame slider, then the full-screen stage.
// ---------------------------------------------------------------------------
WidgetRecord animation_table[7] = {
    {kCustomWidget,          12,   0,   0,  19,  19, Fn(SlotLetterFace),        0,                    0,  0,                   nullptr,     0, 0},
    {kButtonStripHorizontal, 70,  20,   0, 100,  20, 0,                         140,                  20, 20,                  &strip_cell, 0, 0},
    {kButtonStripHorizontal, 50,   0, 300,  29, 319, 0,                         100,                  15, 20,                  &strip_cell, 0, 0},
    {kNumberTabs,            80,  30, 300, 239, 319, Var(&actor_tab_count),     Var(&selected_actor), 0,  0,                   nullptr,     0, 0},
    {kCellGrid,              90, 220,  30, 239, 290, Var(&current_frame),       200,                  1,  Fn(FrameSliderFace), nullptr,     0, 0},
    {kCustomWidget,          30,   0,   0, 240, 320, Fn(ActorHighlightOverlay), Fn(ActorStylus),      0,  0,                   nullptr,     0, 0},
    {kEnd,                    0,   0,   0,   0,   0, 0,                         0,                    0,  0,                   nullptr,     0, 0},
};

// ---------------------------------------------------------------------------
// Files screen: the path bar first (it wins over the file-page row), then the
// four grids, which the screen's redraw paints.
// ---------------------------------------------------------------------------
WidgetRecord files_table[6] = {
    {kHitArea,  50, 1,  21, 238,  35, 0,               0,  0,  0,                 nullptr, 0, 0},
    {kCellGrid, 20, 0,  33, 239,  49, Var(&list_cell), 1,  15, Fn(FilesGridFace), nullptr, 0, 0},  // file pages
    {kCellGrid, 10, 0,  50, 239, 214, Var(&list_cell), 10, 1,  Fn(FilesGridFace), nullptr, 0, 0},  // file rows
    {kCellGrid, 40, 0, 214, 239, 230, Var(&list_cell), 1,  15, Fn(FilesGridFace), nullptr, 0, 0},  // directory pages
    {kCellGrid, 30, 0, 231, 239, 300, Var(&list_cell), 5,  2,  Fn(FilesGridFace), nullptr, 0, 0},  // directory entries
    {kEnd,       0, 0,   0,   0,   0, 0,               0,  0,  0,                 nullptr, 0, 0},
};

// ---------------------------------------------------------------------------
// Pickers: their controls have id 0 and never end the loop; the full-screen
// hit area (9999) is the way out.
// ---------------------------------------------------------------------------
WidgetRecord colour_picker_table[5] = {
    {kCellGrid,    0,  60, 30, 180, 150, Var(&square_value), 120, 120, Fn(SaturationLightnessFace), nullptr, 0, 0},
    {kCellGrid,    0, 200, 30, 220, 270, Var(&hue_value),    240, 1,   Fn(HueBarFace),              nullptr, 0, 0},
    {kCellGrid,    0,  20, 30,  40, 285, Var(&alpha_value),  255, 1,   Fn(AlphaBarFace),            nullptr, 0, 0},
    {kHitArea,  9999,   0,  0, 240, 320, 0,                  0,   0,   0,                           nullptr, 0, 0},
    {kEnd,         0,   0,  0,   0,   0, 0,                  0,   0,   0,                           nullptr, 0, 0},
};

WidgetRecord library_browser_table[3] = {
    {kLetterTabs,   80, 0, 20,  19, 300, Var(&next_new_slot), Var(&current_slot), 0, 0, nullptr, 0, 0},
    {kHitArea,    9999, 0,  0, 240, 320, 0,                   0,                  0, 0, nullptr, 0, 0},
    {kEnd,           0, 0,  0,   0,   0, 0,                   0,                  0, 0, nullptr, 0, 0},
};

WidgetRecord pose_table[5] = {
    {kCellGrid,    0,   0,  40,  19, 296, Var(&current_slot),       64,  1,   Fn(SlotLetterGridFace), nullptr, 0, 0},
    {kCellGrid,    0, 210,  20, 229, 300, Var(&scale_slider_value), 64,  1,   Fn(ScaleSliderFace),    nullptr, 0, 0},
    {kCellGrid,    0,  70, 110, 170, 210, Var(&dial_value),         100, 100, Fn(AngleDialFace),      nullptr, 0, 0},
    {kHitArea,  9999,   0,   0, 240, 320, 0,                        0,   0,   0,                      nullptr, 0, 0},
    {kEnd,         0,   0,   0,   0,   0, 0,                        0,   0,   0,                      nullptr, 0, 0},
};
