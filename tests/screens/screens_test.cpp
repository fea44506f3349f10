// The drawing editor and the animation screen at their limits, called through
// their command lists: refused changes, a full library, the last new slot, an
// empty library, tabs run out, no selection.
#include <gtest/gtest.h>

#include <tuple>

#include "animation/stage.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/pose_screen.h"
#include "screens/shape_picking.h"
#include "screens/screen_state.h"
#include "support/headless_session.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"

namespace {

class Screens : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        if (drawing.vertices == nullptr) {
            ASSERT_TRUE(AllocateDrawing(drawing));
        }
        drawing.vertex_count = drawing.shape_count = 0;
        LibraryInit(library);
        InitStage(stage, library);
        ClearStage(stage);
        ResetScreenControls();
        ResetEditor();
        ResetPicker();
        ResetPickList();
        ResetStageScreen();
    }
    static void Strip(const CommandEntry* commands, uint16_t id, int cell, int times = 1) {
        controls.strip_cell = cell;
        for (int i = 0; i < times; ++i) RunCommand(commands, id);
    }
    static void Box() { ASSERT_TRUE(AddRectangle(drawing, editor.inverse_view, 20, 40, 60, 80, kOpaqueBlack)); }
    // One outline shape of n vertices.
    static void LongShape(uint16_t n) {
        for (uint16_t i = 0; i < n; ++i) drawing.vertices[drawing.vertex_count + i] = Vertex{int16_t(i), int16_t(i % 7), 0, 0};
        drawing.shapes[drawing.shape_count++] = ShapeRecord{drawing.vertex_count, n, kShapeOutline, 0, kOpaqueBlack};
        drawing.vertex_count = uint16_t(drawing.vertex_count + n);
    }
    // The current slot, the next new slot and the drawing's vertex count.
    static std::tuple<int, int, int> Slots() { return {editor.current_slot, editor.next_new_slot, drawing.vertex_count}; }
    // A square of 400 drawing units in slot 0.
    static void StoreSquare() {
        Vertex v[4] = {{-200, -200, 0, 0}, {200, -200, 0, 0}, {200, 200, 0, 0}, {-200, 200, 0, 0}};
        ShapeRecord shape = {0, 4, kShapeFilled, 0, MakeColour(255, 0, 0, 255)};
        ASSERT_TRUE(StoreDrawing(library, 0, Drawing{v, 4, 4, &shape, 1, 1}));
    }
    // Actors on the stage, tabs shown and the selected actor.
    static std::tuple<int, int, int> Tabs() { return {stage.actor_count, stage_screen.actor_tab_count, stage_screen.selected_actor}; }
};

// A refused copy, vertex or stroke changes nothing, keeps the selection and
// shows two red frames round the canvas for 600 ms.
TEST_F(Screens, RefusedEditsShowTheCueAndChangeNothing) {
    for (int i = 0; i < kShapeCapacity; ++i) Box();
    editor.tool = kToolSelectShape;
    editor.selected_shape = 2;
    Strip(kEditorCommands, kEditorShapeActions, kShapeDuplicate);
    EXPECT_EQ(std::tuple(drawing.shape_count, editor.selected_shape), std::tuple(kShapeCapacity, 2));
    EXPECT_TRUE(RefusalCueShowing());
    redraw_request = 0;
    DrawingEditorRedraw();
    EXPECT_EQ(PixelAt(0, 319) + PixelAt(238, 21), 2 * 0xF800);
    EXPECT_EQ(redraw_request, 1) << "redrawn until the time is up";
    while (HeadlessClock() < 1000599) platform->peek_message();
    EXPECT_TRUE(RefusalCueShowing());
    platform->peek_message();
    EXPECT_FALSE(RefusalCueShowing());

    editor.tool = kToolEditVertices;
    editor.selected_vertex = 1;
    Strip(kEditorCommands, kEditorVertexActions, kVertexInsert);
    EXPECT_EQ(std::tuple(drawing.vertex_count, drawing.shapes[2].count), std::tuple(kVertexCapacity, uint16_t(4)));
    EXPECT_TRUE(RefusalCueShowing());
    Strip(kEditorCommands, kEditorVertexActions, kVertexDelete);  // deleting makes room again
    Strip(kEditorCommands, kEditorVertexActions, kVertexInsert);
    EXPECT_EQ(drawing.shapes[2].count, 4);

    editor.cue_set = false;
    editor.tool = kToolRectangle;
    ui.start_x = ui.start_y = 10;
    RunCommand(kEditorCommands, kStrokeFinished);
    EXPECT_TRUE(RefusalCueShowing());
    EXPECT_TRUE(CheckDrawing(drawing));
}

// Three full drawings leave 10228 bytes of the library free: a drawing of
// 1800 vertices does not fit. Nothing then replaces it: not a new drawing,
// not the library chooser, not leaving the editor and coming back. From slot
// 62 a new drawing takes 63, which stays the next new slot: every later new
// drawing is stored there and fetched back.
TEST_F(Screens, ADrawingTheLibraryCannotTakeStaysAndNewDrawingsStopAtSlot63) {
    for (int i = 0; i < kShapeCapacity; ++i) LongShape(4);
    for (int16_t slot = 1; slot <= 3; ++slot) ASSERT_TRUE(StoreDrawing(library, slot, drawing));
    drawing.vertex_count = drawing.shape_count = 0;
    LongShape(1800);
    Strip(kEditorCommands, kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));
    EXPECT_TRUE(RefusalCueShowing());
    Script("tap 10 25");
    RunCommand(kEditorCommands, kEditorLibraryButton);
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));
    editor.current_slot = 2;  // as the animation screen may leave it
    EnterDrawingEditor();
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));

    drawing.shapes[0].count = drawing.vertex_count = 1600;  // small enough now
    Strip(kEditorCommands, kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(1, 2, 2048));
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.vertex_count, 1600);

    drawing.vertex_count = drawing.shape_count = 0;
    editor.current_slot = editor.drawing_slot = 62;
    editor.next_new_slot = 63;
    for (int vertices : {0, 4}) {
        Box();
        Strip(kEditorCommands, kEditorNewDrawingStrip, 0);
        EXPECT_EQ(Slots(), std::tuple(63, 63, vertices));
    }
    EXPECT_TRUE(SlotHoldsDrawing(library, 62));
}

// A shape is picked up to a pixel outside its bounds, a vertex from 3 pixels
// before it to 4 after; a tap that misses every vertex keeps the selected one.
// A drag's steps add up to the whole distance; drawing the box round the
// selected shape leaves the pen plain.
TEST_F(Screens, PickingDraggingAndTheSelectionBox) {
    Box();
    const Point32 corner = MapPoint(editor.view, drawing.vertices[0].x, drawing.vertices[0].y);
    const int16_t x = int16_t(corner.x), y = int16_t(corner.y);
    BuildShapePickList();
    EXPECT_EQ(std::tuple(PickOwner(x - 1, y + 5), PickOwner(x - 2, y + 5)), std::tuple(0, -1)) << x << "," << y;
    BuildVertexPickList(0);
    EXPECT_EQ(std::tuple(PickOwner(x - 3, y - 3), PickOwner(x + 4, y + 4), PickOwner(x - 4, y), PickOwner(x + 5, y)),
              std::tuple(0, 0, -1, -1));
    WidgetRecord canvas = {};
    editor.selected_vertex = 2;
    VertexStylus(canvas, 200, 300);
    EXPECT_EQ(editor.selected_vertex, 2);

    editor.selected_shape = 0;
    ui.start_x = uint16_t(x), ui.start_y = uint16_t(y);
    canvas.pressed = 1;
    for (int step = 1; step <= 3; ++step) ShapeStylus(canvas, int16_t(x + 10 * step), int16_t(y + 5 * step));
    const Point32 moved = MapPoint(editor.view, drawing.vertices[0].x, drawing.vertices[0].y);
    EXPECT_EQ(std::pair(moved.x - x, moved.y - y), std::pair(30, 15));
    ResetTestSurface(0x1234);  // a pen left inverting would keep this under a black span
    SelectionBoxOverlay(canvas, nullptr);
    surface.pen_colour.word = 0;
    DrawHSpan(surface, 0, 300, 10);
    EXPECT_EQ(PixelAt(5, 300), 0);
}

// Each action leaves the selection on the shape it acted on, wrapping round
// at the end; deleting the last vertex selects the one before. The curve
// action makes a curve and the selection canvas takes the shape's colour.
TEST_F(Screens, ActionsKeepTheSelectionOnTheirShape) {
    Box();
    Box();
    editor.selected_shape = 1;
    Strip(kEditorCommands, kEditorShapeActions, kShapeBack);
    EXPECT_EQ(editor.selected_shape, 0);
    Strip(kEditorCommands, kEditorVertexActions, kVertexNextShape, 2);
    editor.selected_vertex = 3;
    Strip(kEditorCommands, kEditorVertexActions, kVertexDelete);
    EXPECT_EQ(std::tuple(editor.selected_shape, editor.selected_vertex), std::tuple(0, 2));
    editor.selected_vertex = 1;
    Strip(kEditorCommands, kEditorVertexActions, kVertexToggleCurve);
    EXPECT_EQ(drawing.vertices[1].type, kPointControl);
    drawing.shapes[0].colour = MakeColour(0, 0, 255, 255);
    RunCommand(kEditorCommands, kEditorSelectCanvas);
    EXPECT_EQ(current_colour.word, drawing.shapes[0].colour.word);
}

// The picker's controls make the colour (the square's column is saturation
// / 2, its row lightness / 2) with the alpha chosen, read out in upper-case
// hex; a colour taken back puts the controls where it lies, so they make it again.
TEST_F(Screens, PickerControlsMakeTheColourAndAColourSetsThem) {
    picker.hue_value = 160;
    picker.square_value = 59 * kSquareCells + 119;
    picker.alpha_value = 128;
    ColourPickerRedraw();
    const ColourRecord made = current_colour;
    EXPECT_EQ(std::tuple(made.red, made.green, made.blue, made.alpha), std::tuple(1, 1, 250, 128));
    char text[7] = "";
    FormatColourReadout(made, text);
    EXPECT_STREQ(text, "0101FA");
    picker = PickerState{};
    SyncPickerFromColour(made);
    ColourPickerRedraw();
    EXPECT_EQ(current_colour.word, made.word);
}

// With no drawing in the library nothing is added or played: not even the
// picks are refreshed. Adding leaves the picks, a tab press refreshes them;
// taking tabs away stops at none. With nothing selected the pose screen's
// slider opens where a new actor's scale lies, and leaving it keys nothing.
TEST_F(Screens, TheAnimationScreensControlsWithNoDrawingOrNoSelection) {
    Strip(kAnimationCommands, kAnimationAddStrip, kAddActorCell);
    EXPECT_EQ(Tabs(), std::tuple(0, 0, 0));
    AddPickRect(0, 0, 10, 10, 7);
    Strip(kAnimationCommands, kAnimationPlayStrip, kPlayCell);
    EXPECT_EQ(PickOwner(5, 5), 7);

    StoreSquare();
    ResetPickList();
    Strip(kAnimationCommands, kAnimationAddStrip, kAddActorCell);
    Strip(kAnimationCommands, kAnimationAddStrip, kFewerTabsCell, 2);
    EXPECT_EQ(Tabs(), std::tuple(1, 0, 0));
    const Point32 origin = MapPoint(stage.actors[0].transform, 0, 0);
    EXPECT_EQ(PickOwner(int16_t(origin.x), int16_t(origin.y)), -1);
    RunCommand(kAnimationCommands, kAnimationActorTabs);
    EXPECT_EQ(PickOwner(int16_t(origin.x), int16_t(origin.y)), 0);

    stage_screen.selected_actor = -1;
    Script("tap 120 60");
    Strip(kAnimationCommands, kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(std::tuple(stage_screen.scale_slider_value, stage.key_count), std::tuple(6, 0));
    stage_screen.selected_actor = 0;  // leaving the screen keys the current frame
    stage_screen.current_frame = 7;
    Script("tap 120 60");
    Strip(kAnimationCommands, kAnimationPlayStrip, kPoseCell);
    EXPECT_EQ(std::tuple(stage.key_count, stage.keys[0].frame), std::tuple(1, 7));
}

}  // namespace
