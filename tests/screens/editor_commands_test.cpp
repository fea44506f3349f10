// The drawing editor's command handler: what each action does to the
// drawing, the selection and the library slots, called directly and through
// the real UI loop.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "screens/editor_fixture.h"

namespace {

class EditorCommands : public EditorSession {
  protected:
    static void Strip(uint16_t id, int cell) {
        controls.strip_cell = cell;
        RunCommand(kEditorCommands, id);
    }
    static void ShapeAction(int cell) { Strip(kEditorShapeActions, cell); }
    static void VertexAction(int cell) { Strip(kEditorVertexActions, cell); }
    static void NewDrawing() { Strip(kEditorNewDrawingStrip, 0); }
    // The current slot, the next new slot and the drawing's shape count.
    static std::tuple<int, int, int> Slots() { return {editor.current_slot, editor.next_new_slot, drawing.shape_count}; }
    static void ChooseTool(int t) {
        editor.tool = t;
        RunCommand(kEditorCommands, kEditorToolChooser);
    }
    // Three boxes side by side; shape i is coloured (i * 50, 0, 0).
    static void ThreeBoxes() {
        for (int i = 0; i < 3; ++i) AddBox(20 + 60 * i, 40, 60 + 60 * i, 80, MakeColour(50 * i, 0, 0, 255));
    }
    // A stroke as the UI loop leaves it when the stylus comes up.
    static void Stroke(std::initializer_list<std::pair<int, int>> points) {
        ui.point_count = 0;
        for (const auto& [x, y] : points)
            ui.stroke[++ui.point_count] = Vertex{static_cast<int16_t>(x), static_cast<int16_t>(y), 0, 0};
        ui.stroke[0] = ui.stroke[1];
        ui.start_x = static_cast<uint16_t>(ui.stroke[1].x);
        ui.start_y = static_cast<uint16_t>(ui.stroke[1].y);
        ui.current_x = static_cast<uint16_t>(ui.stroke[ui.point_count].x);
        ui.current_y = static_cast<uint16_t>(ui.stroke[ui.point_count].y);
        RunCommand(kEditorCommands, kStrokeFinished);
    }
    // Stores three full drawings (2048 vertices, 512 shapes) into slots 1..3
    // and starts again from an empty one; 10228 bytes of the arena stay free.
    static void FillLibrary() {
        for (uint32_t i = 0; i < kShapeCapacity; ++i) AddLongShape(4);
        for (int16_t slot = 1; slot <= 3; ++slot) ASSERT_TRUE(StoreDrawing(library, slot, drawing));
        drawing.vertex_count = 0;
        drawing.shape_count = 0;
    }
    // One outline shape of n vertices.
    static void AddLongShape(uint16_t n) {
        for (uint32_t i = 0; i < n; ++i)
            drawing.vertices[drawing.vertex_count + i] =
                Vertex{static_cast<int16_t>(i), static_cast<int16_t>(i % 7), 0, 0};
        drawing.shapes[drawing.shape_count++] =
            ShapeRecord{drawing.vertex_count, n, kShapeOutline, 0, MakeColour(0, 0, 0, 255)};
        drawing.vertex_count = static_cast<uint16_t>(drawing.vertex_count + n);
    }
};

// Strokes by tool.
TEST_F(EditorCommands, OutlineStrokesOfOneColourMergeAndAnotherColourStaysApart) {
    editor.tool = kToolOutline;
    Stroke({{20, 40}, {60, 40}, {60, 80}});
    Stroke({{100, 100}, {140, 120}});
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(drawing.shapes[0].count, 5);
    EXPECT_EQ(drawing.shapes[0].kind, kShapeOutline);
    EXPECT_EQ(VertexOf(0, 3).type, kPointContourStart);

    current_colour = MakeColour(0, 0, 200, 255);
    Stroke({{30, 200}, {90, 220}});
    EXPECT_EQ(drawing.shape_count, 2);
    EXPECT_EQ(drawing.shapes[1].colour.blue, 200);
}

TEST_F(EditorCommands, TapsAddZeroSizeBoxesButNoFreehandShape) {
    editor.selected_shape = 0;
    editor.tool = kToolFilled;
    Stroke({{50, 50}});
    EXPECT_EQ(drawing.shape_count, 0);
    editor.tool = kToolRectangle;
    Stroke({{50, 50}});
    editor.tool = kToolEllipse;
    Stroke({{50, 50}});
    ASSERT_EQ(drawing.shape_count, 2);
    const Bounds dot = ShapeBounds(drawing.shapes[1], drawing.vertices, editor.view);
    EXPECT_EQ(dot.min_x, dot.max_x);  // all eight vertices on the tap
    EXPECT_NEAR(dot.max_x, 50, 1);
    EXPECT_EQ(editor.selected_shape, 0) << "adding shapes leaves the selection alone";

    // A tap with tool 0 still merges the last two shapes when they match.
    editor.tool = kToolOutline;
    Stroke({{50, 50}});
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(drawing.shapes[0].count, 12);
}

// Shape actions.
TEST_F(EditorCommands, DeleteAndToggleFillKeepTheSelectionOnAnExistingShape) {
    ThreeBoxes();
    ChooseTool(kToolSelectShape);
    editor.selected_shape = 2;
    ShapeAction(kShapeToggleFill);
    EXPECT_EQ(drawing.shapes[2].kind, kShapeOutline);
    EXPECT_EQ(editor.selected_shape, 2);

    editor.selected_shape = 1;
    ShapeAction(kShapeDelete);
    EXPECT_EQ(editor.selected_shape, 1);  // now the former shape 2
    EXPECT_EQ(drawing.shapes[1].colour.red, 100);
    EXPECT_EQ(PickOwner(100, 60), -1) << "the pick list follows";
    EXPECT_EQ(PickOwner(160, 60), 1);
    for (int expected : {0, -1, -1}) {  // onto the new last shape; at the end nothing happens
        ShapeAction(kShapeDelete);
        EXPECT_EQ(editor.selected_shape, expected);
    }
    EXPECT_EQ(drawing.shape_count, 0);
}

TEST_F(EditorCommands, DuplicateSelectsTheCopyAndARefusedCopyKeepsTheOriginal) {
    ThreeBoxes();
    editor.tool = kToolSelectShape;
    editor.selected_shape = 0;
    ShapeAction(kShapeDuplicate);
    ASSERT_EQ(drawing.shape_count, 4);
    EXPECT_EQ(editor.selected_shape, 3);
    EXPECT_EQ(VertexOf(3, 0).x, VertexOf(0, 0).x + 10);

    while (drawing.shape_count < kShapeCapacity) AddBox(0, 0, 1, 1);
    editor.selected_shape = 2;
    ShapeAction(kShapeDuplicate);
    EXPECT_EQ(drawing.shape_count, kShapeCapacity);
    EXPECT_EQ(editor.selected_shape, 2);
    EXPECT_TRUE(RefusalCueShowing());
    EXPECT_TRUE(CheckDrawing(drawing));
}

TEST_F(EditorCommands, ForwardAndBackFollowTheShapeAndStopAtTheEnds) {
    ThreeBoxes();
    editor.tool = kToolSelectShape;
    editor.selected_shape = 0;
    const std::pair<int, int> steps[] = {
        {kShapeBack, 0}, {kShapeForward, 1}, {kShapeForward, 2}, {kShapeForward, 2}, {kShapeBack, 1}};
    for (const auto& [cell, expected] : steps) {
        ShapeAction(cell);
        EXPECT_EQ(editor.selected_shape, expected);
        EXPECT_EQ(drawing.shapes[expected].colour.red, 0) << "the selection stays on the black box";
    }
}

TEST_F(EditorCommands, ChoosingTheSelectOrVertexToolTakesTheSelectedShapesColour) {
    ThreeBoxes();
    editor.selected_shape = 2;
    ChooseTool(kToolSelectShape);
    EXPECT_EQ(current_colour.red, 100);
    EXPECT_EQ(ui.stroke_colour.red, 100);
    EXPECT_EQ(ui.canvas_mode, kCanvasNone);
    EXPECT_EQ(picker.hue_value, 0);  // the picker follows: pure red hue

    editor.selected_shape = -1;
    current_colour = MakeColour(0, 0, 0, 255);
    ChooseTool(kToolEditVertices);
    EXPECT_EQ(current_colour.red, 0);
    ChooseTool(kToolEllipse);
    EXPECT_EQ(ui.canvas_mode, kCanvasEllipse);
}

// Vertex actions.
TEST_F(EditorCommands, VertexActionsEditTheSelectedOrElseTheLastShape) {
    ThreeBoxes();
    editor.tool = kToolEditVertices;
    editor.selected_shape = -1;
    editor.selected_vertex = 0;
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[2].count, 5);
    EXPECT_EQ(drawing.shapes[0].count, 4);

    // Previous and next shape wrap around and keep the vertex.
    editor.selected_shape = 0;
    editor.selected_vertex = 3;
    const std::pair<int, int> steps[] = {
        {kVertexPreviousShape, 2}, {kVertexNextShape, 0}, {kVertexNextShape, 1}};
    for (const auto& [cell, expected] : steps) {
        VertexAction(cell);
        EXPECT_EQ(editor.selected_shape, expected);
    }
    EXPECT_EQ(editor.selected_vertex, 3);
    EXPECT_EQ(PickOwner(80, 40), 0) << "the pick list holds shape 1's vertices";

    // A vertex past the end stands for the last one.
    editor.selected_shape = 0;
    editor.selected_vertex = 99;
    VertexAction(kVertexInsert);  // doubles the last vertex
    EXPECT_EQ(drawing.shapes[0].count, 5);
    EXPECT_EQ(VertexOf(0, 4).x, VertexOf(0, 3).x);

    editor.selected_vertex = 1;
    VertexAction(kVertexToggleCurve);
    EXPECT_EQ(VertexOf(0, 1).type, kPointControl);
    EXPECT_EQ(VertexOf(0, 2).type, kPointCurveEnd);
    editor.selected_vertex = 2;
    VertexAction(kVertexToggleContour);  // a curve end is not a corner: stays
    EXPECT_EQ(VertexOf(0, 2).type, kPointCurveEnd);

    drawing.shape_count = 0;
    drawing.vertex_count = 0;
    VertexAction(kVertexInsert);  // no shapes: nothing
    VertexAction(kVertexNextShape);
    EXPECT_EQ(drawing.vertex_count, 0);
}

TEST_F(EditorCommands, DeletingVerticesRemovesAThreeVertexShapeAtTheSecondDeletion) {
    AddBox(20, 40, 60, 80);
    editor.tool = kToolFilled;
    Stroke({{100, 100}, {140, 100}, {140, 140}});
    ASSERT_EQ(drawing.shapes[1].count, 3);
    editor.tool = kToolEditVertices;
    editor.selected_shape = 1;
    editor.selected_vertex = 2;
    VertexAction(kVertexDelete);
    EXPECT_EQ(drawing.shapes[1].count, 2);
    EXPECT_EQ(editor.selected_vertex, 1);  // no longer below the count: the new last
    VertexAction(kVertexDelete);
    EXPECT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(editor.selected_shape, 0);  // kept on an existing shape
    EXPECT_TRUE(CheckDrawing(drawing));
}

TEST_F(EditorCommands, InsertingIntoAFullPoolIsRefused) {
    AddLongShape(static_cast<uint16_t>(kVertexCapacity - 4));
    AddBox(20, 40, 60, 80);
    editor.tool = kToolEditVertices;
    editor.selected_shape = 1;
    editor.selected_vertex = 0;
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[1].count, 4);
    EXPECT_EQ(drawing.vertex_count, kVertexCapacity);
    EXPECT_TRUE(RefusalCueShowing());
    // The editor goes on: deleting still works and makes room again.
    VertexAction(kVertexDelete);
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[1].count, 4);
}

// Slots.
TEST_F(EditorCommands, NewDrawingTakesTheNextSlotAndStopsAt63) {
    AddBox(20, 40, 60, 80);
    NewDrawing();
    EXPECT_EQ(Slots(), std::tuple(1, 2, 0));
    EXPECT_TRUE(SlotHoldsDrawing(library, 0));
    Strip(kEditorNewDrawingStrip, 1);  // cell 1 only refreshes
    EXPECT_EQ(Slots(), std::tuple(1, 2, 0));

    // From 62 with the next new slot at 63: on to 63, which stays next.
    editor.current_slot = editor.drawing_slot = 62;
    editor.next_new_slot = 63;
    AddBox(20, 40, 60, 80);
    NewDrawing();
    EXPECT_EQ(Slots(), std::tuple(63, 63, 0));

    // At 63 with 63 next: stored and fetched back, so the drawing stays.
    AddBox(20, 40, 60, 80);
    AddBox(80, 40, 120, 80);
    NewDrawing();
    EXPECT_EQ(Slots(), std::tuple(63, 63, 2));
}

TEST_F(EditorCommands, ARefusedStoreKeepsTheSlotAndTheDrawing) {
    FillLibrary();
    AddLongShape(1800);  // 10816 packed bytes; 10228 are free
    NewDrawing();
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1));
    EXPECT_EQ(drawing.vertex_count, 1800);
    EXPECT_TRUE(RefusalCueShowing());
    // The library chooser does not open either: the slot it fetched would replace the drawing.
    Script("tap 10 25\n");
    RunCommand(kEditorCommands, kEditorLibraryButton);
    EXPECT_EQ(drawing.vertex_count, 1800);

    // Leaving through the mode selector and coming back keeps it as well.
    EXPECT_FALSE(StoreEditedDrawing());
    EnterDrawingEditor();
    EXPECT_EQ(drawing.vertex_count, 1800);
    EXPECT_TRUE(CheckLibrary(library));

    // Once it is small enough, the store and the switch go through.
    DeleteVertex(drawing, 0, 0);
    drawing.shapes[0].count = 1600;
    drawing.vertex_count = 1600;
    NewDrawing();
    EXPECT_EQ(editor.current_slot, 1);
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.vertex_count, 1600);
}

// Whatever screen changed the current slot, the drawing goes back into the
// slot it came from before the current one is fetched; a selection past the
// end moves onto the last shape.
TEST_F(EditorCommands, EnteringTheEditorStoresItsDrawingThenFetchesTheCurrentSlot) {
    AddBox(20, 40, 60, 80);
    ASSERT_TRUE(StoreDrawing(library, 1, drawing));
    AddBox(80, 40, 120, 80);
    EnterDrawingEditor();  // the editor chosen while in it: nothing is lost
    EXPECT_EQ(drawing.shape_count, 2);

    AddBox(140, 40, 180, 80);
    editor.selected_shape = 2;
    editor.tool = kToolSelectShape;
    editor.current_slot = 1;
    EnterDrawingEditor();
    EXPECT_EQ(editor.drawing_slot, 1);
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(editor.selected_shape, 0);
    EXPECT_EQ(PickOwner(40, 60), 0);

    editor.current_slot = 2;  // never stored: comes up empty
    EnterDrawingEditor();
    EXPECT_EQ(drawing.shape_count, 0);
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.shape_count, 3);
}

// Through the UI loop.
TEST_F(EditorCommands, RepeatedTapsOnTheSelectionCanvasSelectAndTakeTheColour) {
    AddBox(40, 40, 120, 120, MakeColour(0, 0, 0, 255));
    AddBox(80, 80, 160, 160, MakeColour(0, 0, 200, 255));
    Script("tap 210 10\ntap 210 90\ntap 100 100\ntap 100 100\ntap 100 100\n");  // tool 4, three taps
    EXPECT_EQ(Step(), kEditorToolChooser);
    EXPECT_EQ(ui.canvas_mode, kCanvasNone);
    for (int expected : {1, 0, 1}) {
        EXPECT_EQ(Step(), kEditorSelectCanvas);
        EXPECT_EQ(editor.selected_shape, expected);
        EXPECT_EQ(current_colour.blue, expected == 1 ? 200 : 0);
    }
}

TEST_F(EditorCommands, TheLibraryChooserReachesRowsBelowTheListedSlots) {
    AddBox(40, 40, 120, 120);
    // Row 5 (y 80..91) is below the one listed slot; then back to A.
    Script("tap 10 10\ntap 10 85\ntap 10 10\ntap 10 25\n");
    EXPECT_EQ(Step(), kEditorLibraryButton);
    EXPECT_EQ(Slots(), std::tuple(5, 1, 0)) << "the list still shows only slot A";
    EXPECT_EQ(ui.canvas_mode, kCanvasPolyline);
    EXPECT_EQ(Step(), kEditorLibraryButton);
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1));
}

}  // namespace
