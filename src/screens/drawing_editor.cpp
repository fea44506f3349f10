// The drawing editor's commands, redraw and slot switching.
#include "screens/drawing_editor.h"

#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/platform.h"
#include "raster/panels.h"
#include "raster/shape_renderer.h"
#include "screens/colour_picker.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "surface/pen.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

const int16_t kToolCanvasMode[6] = {kCanvasPolyline, kCanvasFilled, kCanvasRectangle,
                                    kCanvasEllipse,  kCanvasNone,   kCanvasNone};

int32_t drawing_slot;

// The refusal cue: shown until this tick count, when set.
static bool cue_set;
static uint32_t cue_until;

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------
void ResetDrawingEditor() {
    tool = kToolOutline;
    strip_cell = 0;
    selected_shape = 0;
    selected_vertex = 0;
    current_slot = 0;
    next_new_slot = 1;
    drawing_slot = 0;
    cue_set = false;
}

void ShowRefusalCue() {
    cue_set = true;
    cue_until = GetTickCount() + kRefusalCueMs;
    redraw_request = 1;
}

bool RefusalCueShowing() {
    if (!cue_set) return false;
    // Wrap-safe: the difference is negative once the time has passed.
    if (static_cast<int32_t>(cue_until - GetTickCount()) <= 0) cue_set = false;
    return cue_set;
}

static int16_t CanvasModeOfTool() {
    return (tool >= 0 && tool < 6) ? kToolCanvasMode[tool] : int16_t{kCanvasNone};
}

// The current colour follows a shape; the stroke preview follows the colour.
static void TakeColour(const ColourRecord& colour) {
    current_colour = colour;
    SyncPickerFromColour(colour);
    ui.stroke_colour = colour;
}

void CommonRefresh() {
    ui.canvas_mode = CanvasModeOfTool();
    // A selection past the end (another slot, a shape removed by a vertex
    // deletion) moves onto the last shape, which is where the overlays show it.
    if (selected_shape >= drawing.shape_count) selected_shape = drawing.shape_count - 1;
    if (tool == kToolSelectShape) BuildShapePickList();
    if (tool == kToolEditVertices) BuildVertexPickList(selected_shape);
}

// ---------------------------------------------------------------------------
// Slots
// ---------------------------------------------------------------------------
bool StoreEditedDrawing() {
    if (StoreDrawing(library, static_cast<int16_t>(drawing_slot), drawing)) return true;
    ShowRefusalCue();
    return false;
}

// Fetches the current slot over the drawing, which has been stored.
static void FetchCurrentSlot() {
    FetchDrawing(library, static_cast<int16_t>(current_slot), drawing);
    drawing_slot = current_slot;
}

// Whatever changed the current slot meanwhile, the drawing in memory is kept
// in its own slot before another one is fetched over it.
void EnterDrawingEditor() {
    ui.canvas_mode = CanvasModeOfTool();
    if (StoreEditedDrawing())
        FetchCurrentSlot();
    else
        current_slot = drawing_slot;
    CommonRefresh();
}

static void NoRedraw() {}

static void LibraryChooser() {
    if (!StoreEditedDrawing()) return;  // nothing would keep the drawing
    const int16_t saved = ui.canvas_mode;
    ui.canvas_mode = kCanvasNone;
    RunUiLoop(ui, library_browser_table, NoRedraw);
    ui.canvas_mode = saved;
    FetchCurrentSlot();  // the chooser may have changed the current slot
    CommonRefresh();
}

// The next new slot stops at 63: from there every new drawing reuses slot 63.
static void NewDrawing() {
    if (!StoreEditedDrawing()) return;
    current_slot = next_new_slot;
    FetchCurrentSlot();  // a slot never stored clears the drawing
    if (next_new_slot < kLastNewSlot) ++next_new_slot;
}

// ---------------------------------------------------------------------------
// Canvas strokes
// ---------------------------------------------------------------------------
static int16_t Abs16(int32_t v) { return static_cast<int16_t>(v < 0 ? -v : v); }

static void StrokeFinished() {
    const Transform& inv = inverse_view_transform;
    const int16_t px = static_cast<int16_t>(ui.start_x), py = static_cast<int16_t>(ui.start_y);
    const int16_t cx = static_cast<int16_t>(ui.current_x), cy = static_cast<int16_t>(ui.current_y);
    const uint16_t count = ui.point_count;
    bool added = true;
    switch (tool) {
    case kToolOutline:
        // A one-point tap adds nothing, but the merge still looks at the last two.
        if (count >= 2)
            added = AddStrokeShape(drawing, inv, count, &ui.stroke[1], kShapeOutline, current_colour);
        MergeWithPrevious(drawing);
        break;
    case kToolFilled:
        if (count >= 2)
            added = AddStrokeShape(drawing, inv, count, &ui.stroke[1], kShapeFilled, current_colour);
        break;
    case kToolRectangle:
        added = AddRectangle(drawing, inv, px, py, cx, cy, current_colour);
        break;
    case kToolEllipse:
        added = AddEllipse(drawing, inv, px, py, Abs16(px - cx), Abs16(py - cy), current_colour);
        break;
    default:
        break;
    }
    if (!added) ShowRefusalCue();
}

// ---------------------------------------------------------------------------
// Shape and vertex actions
// ---------------------------------------------------------------------------
static void ShapeAction(int32_t cell) {
    if (!ShapeSelected()) return;
    const int32_t s = selected_shape;
    const uint16_t index = static_cast<uint16_t>(s);
    switch (cell) {
    case kShapeDelete:
        DeleteShape(drawing, index);
        if (s >= drawing.shape_count) selected_shape = drawing.shape_count - 1;
        break;
    case kShapeDuplicate:
        // A refused copy leaves the selection on the original.
        if (DuplicateShape(drawing, index))
            selected_shape = drawing.shape_count - 1;
        else
            ShowRefusalCue();
        break;
    case kShapeForward:
        MoveShapeForward(drawing, index);
        selected_shape = s + 1 < drawing.shape_count ? s + 1 : drawing.shape_count - 1;
        break;
    case kShapeBack:
        MoveShapeBack(drawing, index);
        selected_shape = s > 0 ? s - 1 : 0;
        break;
    case kShapeToggleFill:
        ToggleFill(drawing, index);
        return;  // the boxes did not change
    default:
        return;
    }
    BuildShapePickList();
}

static void VertexAction(int32_t cell) {
    const int32_t s = EditedShape();
    if (s < 0) return;
    const int32_t v = EditedVertex(s);
    const int32_t count = drawing.shape_count;
    switch (cell) {
    case kVertexInsert:
        if (v < 0) return;
        if (!InsertVertex(drawing, static_cast<uint16_t>(s), static_cast<uint16_t>(v)))
            ShowRefusalCue();
        BuildVertexPickList(s);
        return;
    case kVertexDelete: {
        if (v < 0) return;
        DeleteVertex(drawing, static_cast<uint16_t>(s), static_cast<uint16_t>(v));
        // The second deletion in a two-vertex shape removes the shape; the
        // selection then stays on an existing shape.
        if (selected_shape >= drawing.shape_count) selected_shape = drawing.shape_count - 1;
        const int32_t now = EditedShape();
        if (now >= 0 && selected_vertex >= drawing.shapes[now].count)
            selected_vertex = drawing.shapes[now].count - 1;
        BuildVertexPickList(selected_shape);
        return;
    }
    case kVertexToggleCurve:
        if (v >= 0)
            ToggleCurve(drawing.shapes[s], drawing.vertices, static_cast<uint16_t>(v));
        return;
    case kVertexToggleContour:
        if (v >= 0)
            ToggleContourStart(drawing.shapes[s], drawing.vertices, static_cast<uint16_t>(v));
        return;
    case kVertexPreviousShape:
        selected_shape = selected_shape - 1 < 0 ? count - 1 : selected_shape - 1;
        BuildVertexPickList(selected_shape);
        return;
    case kVertexNextShape:
        selected_shape = selected_shape + 1 >= count ? 0 : selected_shape + 1;
        BuildVertexPickList(selected_shape);
        return;
    default:
        return;
    }
}

// ---------------------------------------------------------------------------
// Redraw and commands
// ---------------------------------------------------------------------------
void DrawingEditorRedraw() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    RenderDrawing(surface, ViewOf(drawing), view_transform);
    if (RefusalCueShowing()) {
        // Two red frames round the canvas below the top bar, until the time is up.
        SetPenColour(surface, MakeColour(255, 0, 0, 255));
        FrameRect(surface, 0, 20, kScreenWidth - 1, kScreenHeight - 1);
        FrameRect(surface, 1, 21, kScreenWidth - 2, kScreenHeight - 2);
        redraw_request = 1;
    }
}

static void ColourPicker() {
    const int16_t saved = ui.canvas_mode;
    ui.canvas_mode = kCanvasNone;
    RunUiLoop(ui, colour_picker_table, ColourPickerRedraw);
    ui.stroke_colour = current_colour;
    if ((tool == kToolSelectShape || tool == kToolEditVertices) && ShapeSelected())
        drawing.shapes[selected_shape].colour = current_colour;
    ui.canvas_mode = saved;
}

void DrawingEditorCommand(uint16_t id) {
    switch (id) {
    case kStrokeFinished:
        StrokeFinished();
        break;
    case kEditorToolChooser:
        ui.canvas_mode = CanvasModeOfTool();
        if ((tool == kToolSelectShape || tool == kToolEditVertices) && ShapeSelected())
            TakeColour(drawing.shapes[selected_shape].colour);
        CommonRefresh();
        break;
    case kEditorColourButton:
        ColourPicker();
        break;
    case kEditorLibraryButton:
        LibraryChooser();
        break;
    case kEditorSelectCanvas:
        if (ShapeSelected()) TakeColour(drawing.shapes[selected_shape].colour);
        break;
    case kEditorNewDrawingStrip:
        if (strip_cell == 0) NewDrawing();
        CommonRefresh();
        break;
    case kEditorShapeActions:
        ShapeAction(strip_cell);
        break;
    case kEditorVertexActions:
        VertexAction(strip_cell);
        break;
    default:
        break;
    }
}
