// The drawing editor (mode 0): six tools on one canvas, the top bar with the
// library button, the new-drawing button, the tool's action strip, the colour
// button and the tool chooser. The drawing fills the screen behind the
// widgets under the fixed view transform.
#pragma once
#include <cstdint>

// Canvas mode per tool: outline freehand, filled freehand, rectangle,
// ellipse; selecting shapes and editing vertices capture no stroke.
extern const int16_t kToolCanvasMode[6];

// Widget ids the editor handles.
enum : uint16_t {
    kEditorToolChooser = 10,
    kEditorColourButton = 11,
    kEditorLibraryButton = 12,
    kEditorSelectCanvas = 20,
    kEditorNewDrawingStrip = 40,
    kEditorShapeActions = 50,
    kEditorVertexActions = 60,
};

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

// The library slot that the edited drawing was fetched from and is stored
// back into. It equals the current slot while the editor runs; other screens
// may change the current slot meanwhile.
extern int32_t drawing_slot;

// The editor's start values: tool 0, strip cell 0, shape and vertex 0,
// slots 0 and 1, no refusal cue. (Colours and the view are set by start-up.)
void ResetDrawingEditor();

// Entering mode 0: canvas mode of the tool, the drawing of the current slot,
// the pick list of the tool. A drawing that the library cannot take stays.
void EnterDrawingEditor();
// Stores the edited drawing into its own slot; false (and a cue) when the
// library is full and the slot keeps its old contents.
bool StoreEditedDrawing();

// The redraw callback: white, the drawing, and the refusal cue while it lasts.
void DrawingEditorRedraw();
// The command handler for every id the UI loop returns in mode 0.
void DrawingEditorCommand(uint16_t id);

// Canvas mode of the tool, the selection kept on an existing shape, and the
// tool's pick list rebuilt.
void CommonRefresh();

// Marks a refused change: a red frame round the canvas for a moment.
void ShowRefusalCue();
bool RefusalCueShowing();
