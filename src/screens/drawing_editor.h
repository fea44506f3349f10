// The drawing editor (mode 0): six tools on one canvas, the top bar with the
// library button, the new-drawing button, the tool's action strip, the colour
// button and the tool chooser. The drawing fills the screen behind the
// widgets under the fixed view transform.
#pragma once
#include <cstdint>

#include "geometry/transform.h"
#include "screens/widget_ids.h"

// Canvas mode per tool: outline freehand, filled freehand, rectangle,
// ellipse; selecting shapes and editing vertices capture no stroke.
extern const int16_t kToolCanvasMode[6];

// Cells of the shape and vertex action strips.
enum : int32_t {
    kShapeDelete = 0,
    kShapeDuplicate = 1,
    kShapeForward = 2,
    kShapeBack = 3,
    kShapeToggleFill = 4,
};
enum : int32_t {
    kVertexInsert = 0,
    kVertexDelete = 1,
    kVertexToggleCurve = 2,
    kVertexToggleContour = 3,
    kVertexPreviousShape = 4,
    kVertexNextShape = 5,
};

// The highest slot a new drawing takes; the next new slot stops there.
constexpr int32_t kLastNewSlot = 63;
// How long the red frame that marks a refused change stays up.
constexpr uint32_t kRefusalCueMs = 600;

struct EditorState {
    int32_t tool;             // the tool chooser
    int32_t current_slot;     // library slot chosen last (letter tabs, pose strip)
    int32_t next_new_slot;    // slot the next new drawing takes; stops at 63
    // The slot the edited drawing was fetched from and is stored back into.
    // It equals the current slot while the editor runs; other screens may
    // change the current slot meanwhile.
    int32_t drawing_slot;
    int32_t selected_shape;   // shape index, -1 none
    int32_t selected_vertex;  // vertex within the selected shape, -1 none
    // The fixed view: drawing units to screen pixels and back.
    Pose view_pose;
    Transform view;
    Transform inverse_view;
    // The refusal cue shows until cue_until while cue_set.
    bool cue_set;
    uint32_t cue_until;
};

extern EditorState editor;

// The start values: tool 0, slots 0 and 1, shape and vertex 0, no cue, and
// the view that puts drawing (0, 0) at the screen's centre, one drawing unit
// a tenth of a pixel.
void ResetEditor();

// The editor's command list (ids of its page and the finished stroke).
extern const CommandEntry kEditorCommands[];

// Entering mode 0: canvas mode of the tool, the drawing of the current slot,
// the pick list of the tool. A drawing that the library cannot take stays.
void EnterDrawingEditor();
// Stores the edited drawing into its own slot; false (and a cue) when the
// library is full and the slot keeps its old contents.
bool StoreEditedDrawing();

// The redraw callback: white, the drawing, and the refusal cue while it lasts.
void DrawingEditorRedraw();

// Canvas mode of the tool, the selection kept on an existing shape, and the
// tool's pick list rebuilt.
void CommonRefresh();
// The canvas mode of the tool and its pick list, the selection as it is.
void RefreshToolPicks();

// Marks a refused change: a red frame round the canvas for a moment.
void ShowRefusalCue();
bool RefusalCueShowing();
