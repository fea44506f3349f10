// The drawing editor's command handler: what each action does to the
// drawing, the selection and the library slots.
#include <gtest/gtest.h>

#include "screens/editor_fixture.h"

namespace {

class EditorCommands : public EditorSession {
  protected:
    void ShapeAction(int cell) {
        strip_cell = cell;
        DrawingEditorCommand(kEditorShapeActions);
    }
    void VertexAction(int cell) {
        strip_cell = cell;
        DrawingEditorCommand(kEditorVertexActions);
    }
    void ChooseTool(int t) {
        tool = t;
        DrawingEditorCommand(kEditorToolChooser);
    }
    void NewDrawing() {
        strip_cell = 0;
        DrawingEditorCommand(kEditorNewDrawingStrip);
    }
    // Three boxes in different colours; shape i is coloured (i * 50, 0, 0).
    void ThreeBoxes() {
        AddBox(20, 40, 60, 80, MakeColour(0, 0, 0, 255));
        AddBox(80, 40, 120, 80, MakeColour(50, 0, 0, 255));
        AddBox(140, 40, 180, 80, MakeColour(100, 0, 0, 255));
    }
    // A stroke as the UI loop leaves it when the stylus comes up.
    static void Stroke(std::initializer_list<std::pair<int, int>> points) {
        uint16_t n = 0;
        for (const auto& p : points) {
            ++n;
            ui.stroke[n] = Vertex{static_cast<int16_t>(p.first), static_cast<int16_t>(p.second), 0, 0};
        }
        ui.stroke[0] = ui.stroke[1];
        ui.point_count = n;
        ui.start_x = static_cast<uint16_t>(points.begin()->first);
        ui.start_y = static_cast<uint16_t>(points.begin()->second);
        ui.current_x = static_cast<uint16_t>(ui.stroke[n].x);
        ui.current_y = static_cast<uint16_t>(ui.stroke[n].y);
        DrawingEditorCommand(kStrokeFinished);
    }
};

// ---------------------------------------------------------------------------
// Strokes by tool
// ---------------------------------------------------------------------------
TEST_F(EditorCommands, OutlineStrokesOfOneColourMergeAndAnotherColourStaysApart) {
    tool = kToolOutline;
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

TEST_F(EditorCommands, FilledStrokeRectangleAndEllipseLandInDrawingUnits) {
    tool = kToolFilled;
    Stroke({{120, 160}, {130, 160}, {130, 170}});
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(drawing.shapes[0].kind, kShapeFilled);
    EXPECT_EQ(VertexOf(0, 0).x, 0);  // the screen centre is drawing (0, 0)
    EXPECT_NEAR(VertexOf(0, 1).x, 100, 1);

    tool = kToolRectangle;
    Stroke({{100, 150}, {140, 170}});
    ASSERT_EQ(drawing.shape_count, 2);
    EXPECT_EQ(drawing.shapes[1].count, 4);
    EXPECT_NEAR(VertexOf(1, 0).x, -200, 1);
    EXPECT_NEAR(VertexOf(1, 2).y, 100, 1);

    // Press at (100, 100), release at (130, 90): centred on the press point,
    // radii of 30 and 10 pixels.
    tool = kToolEllipse;
    Stroke({{100, 100}, {130, 90}});
    ASSERT_EQ(drawing.shape_count, 3);
    const Point32 centre = OnScreen(VertexOf(2, 0));
    EXPECT_EQ(drawing.shapes[2].count, 8);
    EXPECT_NEAR(centre.x, 130, 1);  // vertex 0 lies at angle 0, rx to the right
    EXPECT_NEAR(centre.y, 100, 1);
    EXPECT_NEAR(OnScreen(VertexOf(2, 2)).y, 110, 1);  // 90 degrees: ry further down
    EXPECT_EQ(drawing.shapes[0].colour.word, 0);
}

TEST_F(EditorCommands, TapsAddZeroSizeBoxesButNoFreehandShape) {
    tool = kToolFilled;
    Stroke({{50, 50}});
    EXPECT_EQ(drawing.shape_count, 0);
    tool = kToolRectangle;
    Stroke({{50, 50}});
    tool = kToolEllipse;
    Stroke({{50, 50}});
    ASSERT_EQ(drawing.shape_count, 2);
    const Bounds dot = ShapeBounds(drawing.shapes[1], drawing.vertices, view_transform);
    EXPECT_EQ(dot.min_x, dot.max_x);  // all eight vertices on the tap
    EXPECT_NEAR(dot.max_x, 50, 1);

    // A tap with tool 0 still merges the last two shapes when they match: two
    // filled shapes of one colour become one of two contours.
    tool = kToolOutline;
    Stroke({{50, 50}});
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(drawing.shapes[0].count, 12);
}

TEST_F(EditorCommands, AddingShapesLeavesTheSelectionAlone) {
    ThreeBoxes();
    selected_shape = 1;
    tool = kToolRectangle;
    Stroke({{10, 200}, {30, 220}});
    EXPECT_EQ(selected_shape, 1);
}

// ---------------------------------------------------------------------------
// Shape actions
// ---------------------------------------------------------------------------
TEST_F(EditorCommands, DeleteKeepsTheIndexOrMovesToTheNewLastShape) {
    ThreeBoxes();
    ChooseTool(kToolSelectShape);
    selected_shape = 1;
    ShapeAction(kShapeDelete);
    EXPECT_EQ(drawing.shape_count, 2);
    EXPECT_EQ(selected_shape, 1);  // now the former shape 2
    EXPECT_EQ(drawing.shapes[1].colour.red, 100);
    ShapeAction(kShapeDelete);
    EXPECT_EQ(selected_shape, 0);
    ShapeAction(kShapeDelete);
    EXPECT_EQ(drawing.shape_count, 0);
    EXPECT_EQ(selected_shape, -1);
    ShapeAction(kShapeDelete);  // nothing selected: nothing happens
    EXPECT_EQ(selected_shape, -1);
}

TEST_F(EditorCommands, DuplicateSelectsTheCopyAndARefusedCopyKeepsTheOriginal) {
    ThreeBoxes();
    tool = kToolSelectShape;
    selected_shape = 0;
    ShapeAction(kShapeDuplicate);
    ASSERT_EQ(drawing.shape_count, 4);
    EXPECT_EQ(selected_shape, 3);
    EXPECT_EQ(VertexOf(3, 0).x, VertexOf(0, 0).x + 10);

    // Fill the shape records to capacity: the next copy is refused.
    while (drawing.shape_count < kShapeCapacity) AddBox(0, 0, 1, 1);
    selected_shape = 2;
    ShapeAction(kShapeDuplicate);
    EXPECT_EQ(drawing.shape_count, kShapeCapacity);
    EXPECT_EQ(selected_shape, 2);
    EXPECT_TRUE(RefusalCueShowing());
    EXPECT_TRUE(CheckDrawing(drawing));
}

TEST_F(EditorCommands, ForwardAndBackFollowTheShapeAndStopAtTheEnds) {
    ThreeBoxes();
    tool = kToolSelectShape;
    selected_shape = 0;
    ShapeAction(kShapeBack);
    EXPECT_EQ(selected_shape, 0);
    EXPECT_EQ(drawing.shapes[0].colour.red, 0);
    ShapeAction(kShapeForward);
    EXPECT_EQ(selected_shape, 1);
    EXPECT_EQ(drawing.shapes[1].colour.red, 0);
    ShapeAction(kShapeForward);
    ShapeAction(kShapeForward);
    EXPECT_EQ(selected_shape, 2);
    EXPECT_EQ(drawing.shapes[2].colour.red, 0);
    ShapeAction(kShapeBack);
    EXPECT_EQ(selected_shape, 1);
    EXPECT_EQ(drawing.shapes[1].colour.red, 0);
}

TEST_F(EditorCommands, ToggleFillAndThePickListFollowTheActions) {
    ThreeBoxes();
    ChooseTool(kToolSelectShape);
    selected_shape = 2;
    ShapeAction(kShapeToggleFill);
    EXPECT_EQ(drawing.shapes[2].kind, kShapeOutline);
    EXPECT_EQ(selected_shape, 2);
    ShapeAction(kShapeDelete);
    // The deleted box's place picks nothing any more; the others still pick.
    EXPECT_EQ(PickOwner(160, 60), -1);
    EXPECT_EQ(PickOwner(100, 60), 1);
}

TEST_F(EditorCommands, ChoosingTheSelectOrVertexToolTakesTheSelectedShapesColour) {
    ThreeBoxes();
    selected_shape = 2;
    ChooseTool(kToolSelectShape);
    EXPECT_EQ(current_colour.red, 100);
    EXPECT_EQ(ui.stroke_colour.red, 100);
    EXPECT_EQ(ui.canvas_mode, kCanvasNone);
    EXPECT_EQ(hue_value, 0);  // the picker follows: pure red hue

    selected_shape = -1;
    current_colour = MakeColour(0, 0, 0, 255);
    ChooseTool(kToolEditVertices);
    EXPECT_EQ(current_colour.red, 0);
    ChooseTool(kToolEllipse);
    EXPECT_EQ(ui.canvas_mode, kCanvasEllipse);

    // A release on the selection canvas takes the colour too.
    tool = kToolSelectShape;
    selected_shape = 1;
    DrawingEditorCommand(kEditorSelectCanvas);
    EXPECT_EQ(current_colour.red, 50);
}

// ---------------------------------------------------------------------------
// Vertex actions
// ---------------------------------------------------------------------------
TEST_F(EditorCommands, PreviousAndNextShapeWrapAround) {
    ThreeBoxes();
    tool = kToolEditVertices;
    selected_shape = 0;
    selected_vertex = 3;
    VertexAction(kVertexPreviousShape);
    EXPECT_EQ(selected_shape, 2);
    VertexAction(kVertexNextShape);
    EXPECT_EQ(selected_shape, 0);
    VertexAction(kVertexNextShape);
    EXPECT_EQ(selected_shape, 1);
    EXPECT_EQ(selected_vertex, 3);
    // The pick list now holds the vertices of shape 1: its corner (80, 40).
    EXPECT_EQ(PickOwner(80, 40), 0);
}

TEST_F(EditorCommands, WithoutASelectionTheVertexToolEditsTheLastShape) {
    ThreeBoxes();
    tool = kToolEditVertices;
    selected_shape = -1;
    selected_vertex = 0;
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[2].count, 5);
    EXPECT_EQ(drawing.shapes[0].count, 4);

    // A vertex past the end stands for the last one.
    selected_shape = 0;
    selected_vertex = 99;
    VertexAction(kVertexToggleContour);  // the last vertex never changes
    VertexAction(kVertexInsert);          // doubles the last vertex
    EXPECT_EQ(drawing.shapes[0].count, 5);
    EXPECT_EQ(VertexOf(0, 4).x, VertexOf(0, 3).x);

    selected_vertex = 1;
    VertexAction(kVertexToggleCurve);
    EXPECT_EQ(VertexOf(0, 1).type, kPointControl);
    EXPECT_EQ(VertexOf(0, 2).type, kPointCurveEnd);
    selected_vertex = 2;
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
    tool = kToolFilled;
    Stroke({{100, 100}, {140, 100}, {140, 140}});
    ASSERT_EQ(drawing.shape_count, 2);
    ASSERT_EQ(drawing.shapes[1].count, 3);
    tool = kToolEditVertices;
    selected_shape = 1;
    selected_vertex = 2;
    VertexAction(kVertexDelete);
    EXPECT_EQ(drawing.shapes[1].count, 2);
    EXPECT_EQ(selected_vertex, 1);  // no longer below the count: the new last
    VertexAction(kVertexDelete);
    EXPECT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(selected_shape, 0);  // kept on an existing shape
    EXPECT_TRUE(CheckDrawing(drawing));
}

TEST_F(EditorCommands, InsertingIntoAFullPoolIsRefused) {
    AddLongShape(static_cast<uint16_t>(kVertexCapacity - 4));
    AddBox(20, 40, 60, 80);
    tool = kToolEditVertices;
    selected_shape = 1;
    selected_vertex = 0;
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[1].count, 4);
    EXPECT_EQ(drawing.vertex_count, kVertexCapacity);
    EXPECT_TRUE(RefusalCueShowing());
    // The editor goes on: deleting still works and makes room again.
    VertexAction(kVertexDelete);
    VertexAction(kVertexInsert);
    EXPECT_EQ(drawing.shapes[1].count, 4);
}

// ---------------------------------------------------------------------------
// Slots
// ---------------------------------------------------------------------------
TEST_F(EditorCommands, NewDrawingTakesTheNextSlotAndStopsAt63) {
    AddBox(20, 40, 60, 80);
    NewDrawing();
    EXPECT_EQ(current_slot, 1);
    EXPECT_EQ(next_new_slot, 2);
    EXPECT_EQ(drawing.shape_count, 0);
    EXPECT_TRUE(SlotHoldsDrawing(library, 0));

    // From 62 with the next new slot at 63: on to 63, which stays next.
    current_slot = drawing_slot = 62;
    next_new_slot = 63;
    AddBox(20, 40, 60, 80);
    NewDrawing();
    EXPECT_EQ(current_slot, 63);
    EXPECT_EQ(next_new_slot, 63);
    EXPECT_EQ(drawing.shape_count, 0);

    // At 63 with 63 next: stored and fetched back, so the drawing stays.
    AddBox(20, 40, 60, 80);
    AddBox(80, 40, 120, 80);
    NewDrawing();
    EXPECT_EQ(current_slot, 63);
    EXPECT_EQ(next_new_slot, 63);
    EXPECT_EQ(drawing.shape_count, 2);

    // Cell 1 of the strip only refreshes.
    strip_cell = 1;
    DrawingEditorCommand(kEditorNewDrawingStrip);
    EXPECT_EQ(current_slot, 63);
    EXPECT_EQ(drawing.shape_count, 2);
}

TEST_F(EditorCommands, ARefusedStoreKeepsTheSlotAndTheDrawing) {
    FillLibrary();
    AddLongShape(1800);  // 10816 packed bytes; 10228 are free
    NewDrawing();
    EXPECT_EQ(current_slot, 0);
    EXPECT_EQ(next_new_slot, 1);
    EXPECT_EQ(drawing.vertex_count, 1800);
    EXPECT_TRUE(RefusalCueShowing());

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
    EXPECT_EQ(current_slot, 1);
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.vertex_count, 1600);
}

TEST_F(EditorCommands, EnteringTheEditorKeepsItsDrawingAndShowsTheCurrentSlot) {
    AddBox(20, 40, 60, 80);
    EnterDrawingEditor();  // the editor chosen while in it: nothing is lost
    EXPECT_EQ(drawing.shape_count, 1);

    // Another screen made slot 2 current: the drawing goes back to slot 0
    // and slot 2 (never stored) comes up empty.
    current_slot = 2;
    EnterDrawingEditor();
    EXPECT_EQ(drawing.shape_count, 0);
    EXPECT_EQ(drawing_slot, 2);
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.shape_count, 1);
}

TEST_F(EditorCommands, AStaleSelectionMovesOntoTheLastShapeOfAnotherSlot) {
    AddBox(20, 40, 60, 80);
    ASSERT_TRUE(StoreDrawing(library, 1, drawing));
    AddBox(80, 40, 120, 80);
    AddBox(140, 40, 180, 80);
    selected_shape = 2;
    tool = kToolSelectShape;
    current_slot = 1;
    EnterDrawingEditor();
    ASSERT_EQ(drawing.shape_count, 1);
    EXPECT_EQ(selected_shape, 0);
    EXPECT_EQ(PickOwner(40, 60), 0);
}

}  // namespace
