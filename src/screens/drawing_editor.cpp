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

EditorState editor;

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------
void ResetEditor() {
    editor = EditorState{};
    editor.tool = kToolOutline;
    editor.next_new_slot = 1;
    editor.view_pose = Pose{0, 0, 0, kTenthPixelScale};
    editor.view = BuildTransform(editor.view_pose);
    InvertTransform(editor.view, &editor.inverse_view);
}

void ShowRefusalCue() {
    editor.cue_set = true;
    editor.cue_until = GetTickCount() + kRefusalCueMs;
    redraw_request = 1;
}

bool RefusalCueShowing() {
    if (!editor.cue_set) return false;
    // Wrap-safe: the difference is negative once the time has passed.
    if (static_cast<int32_t>(editor.cue_until - GetTickCount()) <= 0) editor.cue_set = false;
    return editor.cue_set;
}

static int16_t CanvasModeOfTool() {
    const int32_t tool = editor.tool;
    return (tool >= 0 && tool < kToolCount) ? kToolCanvasMode[tool] : int16_t{kCanvasNone};
}

// The current colour follows a shape; the stroke preview follows the colour.
static void TakeColour(const ColourRecord& colour) {
    current_colour = colour;
    SyncPickerFromColour(colour);
    ui.stroke_colour = colour;
}

void RefreshToolPicks() {
    ui.canvas_mode = CanvasModeOfTool();
    if (editor.tool == kToolSelectShape) BuildShapePickList();
    if (editor.tool == kToolEditVertices) BuildVertexPickList(editor.selected_shape);
}

void CommonRefresh() {
    // A selection past the end (another slot, a shape removed by a vertex
    // deletion) moves onto the last shape, which is where the overlays show it.
    // An empty drawing has no last shape: the selection stays, so that the
    // first shape drawn is the selected one, as at start-up.
    if (drawing.shape_count > 0 && editor.selected_shape >= drawing.shape_count)
        editor.selected_shape = drawing.shape_count - 1;
    RefreshToolPicks();
}

// ---------------------------------------------------------------------------
// Slots
// ---------------------------------------------------------------------------
bool StoreEditedDrawing() {
    if (StoreDrawing(library, static_cast<int16_t>(editor.drawing_slot), drawing)) return true;
    ShowRefusalCue();
    return false;
}

// Fetches the current slot over the drawing, which has been stored.
static void FetchCurrentSlot() {
    FetchDrawing(library, static_cast<int16_t>(editor.current_slot), drawing);
    editor.drawing_slot = editor.current_slot;
}

// Whatever changed the current slot meanwhile, the drawing in memory is kept
// in its own slot before another one is fetched over it.
void EnterDrawingEditor() {
    ui.canvas_mode = CanvasModeOfTool();
    if (StoreEditedDrawing())
        FetchCurrentSlot();
    else
        editor.current_slot = editor.drawing_slot;
    CommonRefresh();
}

static void NoRedraw() {}

static void LibraryChooser() {
    if (!StoreEditedDrawing()) return;  // nothing would keep the drawing
    RunNestedLoop(library_browser_table, NoRedraw);
    FetchCurrentSlot();  // the chooser may have changed the current slot
    CommonRefresh();
}

// The next new slot stops at 63: from there every new drawing reuses slot 63.
static void NewDrawing() {
    if (!StoreEditedDrawing()) return;
    editor.current_slot = editor.next_new_slot;
    FetchCurrentSlot();  // a slot never stored clears the drawing
    if (editor.next_new_slot < kLastNewSlot) ++editor.next_new_slot;
}

// ---------------------------------------------------------------------------
// Canvas strokes
// ---------------------------------------------------------------------------
static int16_t Abs16(int32_t v) { return static_cast<int16_t>(v < 0 ? -v : v); }

static void StrokeFinished() {
    const Transform& inv = editor.inverse_view;
    const int16_t px = static_cast<int16_t>(ui.start_x), py = static_cast<int16_t>(ui.start_y);
    const int16_t cx = static_cast<int16_t>(ui.current_x), cy = static_cast<int16_t>(ui.current_y);
    const uint16_t count = ui.point_count;
    bool added = true;
    switch (editor.tool) {
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
    const int32_t s = editor.selected_shape;
    const uint16_t index = static_cast<uint16_t>(s);
    switch (cell) {
    case kShapeDelete:
        DeleteShape(drawing, index);
        if (s >= drawing.shape_count) editor.selected_shape = drawing.shape_count - 1;
        break;
    case kShapeDuplicate:
        // A refused copy leaves the selection on the original.
        if (DuplicateShape(drawing, index))
            editor.selected_shape = drawing.shape_count - 1;
        else
            ShowRefusalCue();
        break;
    case kShapeForward:
        MoveShapeForward(drawing, index);
        editor.selected_shape = s + 1 < drawing.shape_count ? s + 1 : drawing.shape_count - 1;
        break;
    case kShapeBack:
        MoveShapeBack(drawing, index);
        editor.selected_shape = s > 0 ? s - 1 : 0;
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
        if (editor.selected_shape >= drawing.shape_count) editor.selected_shape = drawing.shape_count - 1;
        const int32_t now = EditedShape();
        if (now >= 0 && editor.selected_vertex >= drawing.shapes[now].count)
            editor.selected_vertex = drawing.shapes[now].count - 1;
        BuildVertexPickList(editor.selected_shape);
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
        editor.selected_shape = editor.selected_shape - 1 < 0 ? count - 1 : editor.selected_shape - 1;
        BuildVertexPickList(editor.selected_shape);
        return;
    case kVertexNextShape:
        editor.selected_shape = editor.selected_shape + 1 >= count ? 0 : editor.selected_shape + 1;
        BuildVertexPickList(editor.selected_shape);
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
    RenderDrawing(surface, ViewOf(drawing), editor.view);
    if (RefusalCueShowing()) {
        // Two red frames round the canvas below the top bar, until the time is up.
        SetPenColour(surface, MakeColour(255, 0, 0, 255));
        FrameRect(surface, 0, 20, kScreenWidth - 1, kScreenHeight - 1);
        FrameRect(surface, 1, 21, kScreenWidth - 2, kScreenHeight - 2);
        redraw_request = 1;
    }
}

static bool EditsSelection() {
    return editor.tool == kToolSelectShape || editor.tool == kToolEditVertices;
}

// The picker recolours the selected shape when a selecting tool is on.
static void ColourPicker() {
    RunNestedLoop(colour_picker_table, ColourPickerRedraw);
    ui.stroke_colour = current_colour;
    if (EditsSelection() && ShapeSelected())
        drawing.shapes[editor.selected_shape].colour = current_colour;
}

// A selecting tool takes the selected shape's colour as the current colour.
static void ChooseTool() {
    ui.canvas_mode = CanvasModeOfTool();
    if (EditsSelection() && ShapeSelected()) TakeColour(drawing.shapes[editor.selected_shape].colour);
    CommonRefresh();
}

static void TakeSelectedColour() {
    if (ShapeSelected()) TakeColour(drawing.shapes[editor.selected_shape].colour);
}

// Cell 0 starts a new drawing; the other cell only refreshes.
static void NewDrawingStrip() {
    if (controls.strip_cell == 0) NewDrawing();
    CommonRefresh();
}

static void ShapeActions() { ShapeAction(controls.strip_cell); }
static void VertexActions() { VertexAction(controls.strip_cell); }

const CommandEntry kEditorCommands[] = {
    {kStrokeFinished,        StrokeFinished},
    {kEditorToolChooser,     ChooseTool},
    {kEditorColourButton,    ColourPicker},
    {kEditorLibraryButton,   LibraryChooser},
    {kEditorSelectCanvas,    TakeSelectedColour},
    {kEditorNewDrawingStrip, NewDrawingStrip},
    {kEditorShapeActions,    ShapeActions},
    {kEditorVertexActions,   VertexActions},
    {kNoCommand,             nullptr},
};
