// Picking and dragging shapes and vertices, and the overlays' pixels.
#include <gtest/gtest.h>

#include "raster/lines.h"
#include "screens/editor_fixture.h"
#include "surface/pen.h"

namespace {

class ShapePicking : public EditorSession {
  protected:
    WidgetRecord canvas_ = shape_tool_table[1];
    void Down(int x, int y) {
        canvas_.pressed = 0;
        ui.start_x = static_cast<uint16_t>(x);
        ui.start_y = static_cast<uint16_t>(y);
        CustomPressOf(canvas_)(canvas_, static_cast<int16_t>(x), static_cast<int16_t>(y));
        canvas_.pressed = 1;
    }
    void Move(int x, int y) {
        CustomPressOf(canvas_)(canvas_, static_cast<int16_t>(x), static_cast<int16_t>(y));
    }
    // Draws an overlay in XOR on a white screen, as the overlay functions do.
    template <typename Draw>
    static void InXor(Draw draw) {
        ResetTestSurface(0xFFFF);
        surface.pen_colour.word = 0xFFFF;
        SelectPenMode(surface, 1);
        draw();
        SelectPenMode(surface, 0);
    }
};

TEST_F(ShapePicking, RepeatedTapsCycleDownThroughOverlappingShapes) {
    AddBox(40, 40, 120, 120);
    AddBox(80, 80, 160, 160);
    BuildShapePickList();
    // The upper one first; an empty place selects nothing; the box reaches
    // one pixel beyond the shape's bounds (the corner at 40, 40 maps back to
    // 39, 39).
    const int taps[][3] = {{100, 100, 1}, {100, 100, 0}, {100, 100, 1}, {200, 250, -1},
                           {41, 41, 0},   {38, 38, 0},   {37, 37, -1}};
    for (const auto& tap : taps) {
        Down(tap[0], tap[1]);
        EXPECT_EQ(editor.selected_shape, tap[2]) << tap[0] << "," << tap[1];
    }
}

TEST_F(ShapePicking, DragStepsAddUpToTheWholeMappedDistance) {
    AddBox(40, 40, 120, 120);
    const Vertex before = VertexOf(0, 0);
    BuildShapePickList();
    Down(50, 50);
    for (int x = 51; x <= 73; x += 2) Move(x, 50 + (x - 50) / 3);
    Move(73, 61);
    const Point32 start = MapPoint(editor.inverse_view, 50, 50);
    const Point32 end = MapPoint(editor.inverse_view, 73, 61);
    EXPECT_EQ(VertexOf(0, 0).x - before.x, end.x - start.x);
    EXPECT_EQ(VertexOf(0, 0).y - before.y, end.y - start.y);
    EXPECT_EQ(ui.start_x, 73);
    // The box follows: the old place is empty, the new one picks the shape.
    EXPECT_EQ(PickOwner(45, 45), -1);
    EXPECT_EQ(PickOwner(140, 128), 0);

    // A pen-down on the empty canvas selects nothing, and the drag moves nothing.
    const Vertex moved = VertexOf(0, 0);
    Down(200, 250);
    Move(210, 260);
    EXPECT_EQ(VertexOf(0, 0).x, moved.x);
}

TEST_F(ShapePicking, VertexTapsPickHandlesAndMissesKeepTheSelection) {
    canvas_ = vertex_tool_table[1];
    AddBox(40, 40, 120, 120);
    editor.selected_shape = 0;
    editor.selected_vertex = 0;
    BuildVertexPickList(0);
    const Point32 corner = OnScreen(VertexOf(0, 2));
    Down(corner.x + 4, corner.y - 3);  // inside the 8 x 8 box
    EXPECT_EQ(editor.selected_vertex, 2);
    Down(80, 80);  // between handles
    EXPECT_EQ(editor.selected_vertex, 2);
    Move(150, 170);  // the drag puts the vertex under the stylus
    const Point32 target = MapPoint(editor.inverse_view, 150, 170);
    EXPECT_EQ(VertexOf(0, 2).x, target.x);
    EXPECT_EQ(VertexOf(0, 2).y, target.y);
    EXPECT_EQ(PickOwner(150, 170), 2);
}

TEST_F(ShapePicking, WithoutASelectedShapeTheLastShapesHandlesAreUsed) {
    canvas_ = vertex_tool_table[1];
    AddBox(40, 40, 120, 120);
    AddBox(150, 150, 200, 200);
    editor.selected_shape = -1;
    editor.selected_vertex = 1;
    BuildVertexPickList(editor.selected_shape);
    EXPECT_EQ(PickOwner(200, 150), 1);
    Down(200, 150);
    Move(210, 140);
    EXPECT_NEAR(OnScreen(VertexOf(1, 1)).x, 210, 1);

    ResetTestSurface(0xFFFF);
    VertexHandlesOverlay(canvas_, nullptr);
    EXPECT_NE(CountPixelsNot(0xFFFF), 0);
    EXPECT_EQ(redraw_request, 1);
}

TEST_F(ShapePicking, TheMarchingBoxIsFourOnFourOffOnePixelOutside) {
    AddBox(40, 40, 120, 120);
    const Bounds b = ShapeBounds(drawing.shapes[0], drawing.vertices, editor.view);
    InXor([] { DrawMarchingBox(drawing.shapes[0], drawing.vertices, editor.view, 0); });
    const int top = b.min_y - 1;
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(PixelAt(b.min_x - 1 + k, top), (k & 4) ? 0xFFFF : 0x0000) << k;
    EXPECT_EQ(PixelAt(b.min_x + 5, b.min_y + 5), 0xFFFF);  // inside untouched
    EXPECT_EQ(PixelAt(b.min_x - 1, b.min_y - 1), 0) << "each corner is inverted once, not twice";
    // Phase 1 moves every dash one pixel on.
    InXor([] { DrawMarchingBox(drawing.shapes[0], drawing.vertices, editor.view, 1); });
    EXPECT_EQ(PixelAt(b.min_x - 1, top), 0xFFFF);
    EXPECT_EQ(PixelAt(b.min_x, top), 0);
}

TEST_F(ShapePicking, OverlaysAlwaysAskForAnotherRedrawAndClipAtTheEdges) {
    ResetTestSurface(0xFFFF);
    redraw_request = 0;
    editor.selected_shape = -1;
    SelectionBoxOverlay(shape_tool_table[1], nullptr);
    EXPECT_EQ(redraw_request, 1);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);

    AddBox(-50, -50, 300, 400);  // reaches past every edge
    editor.selected_shape = 5;          // past the end: the last shape
    redraw_request = 0;
    SelectionBoxOverlay(shape_tool_table[1], nullptr);
    EXPECT_EQ(redraw_request, 1);
    EXPECT_EQ(surface.plain_plot, &PlotSet);  // XOR is off again
}

TEST_F(ShapePicking, ThePulsingHandleGrowsAndShrinks) {
    const int32_t expected[8] = {1, 2, 3, 4, 5, 4, 3, 2};
    for (int t = 0; t < 8; ++t) EXPECT_EQ(PulseRadius(t), expected[t]);

    AddBox(100, 100, 140, 140);
    InXor([] { DrawVertexHandles(drawing.shapes[0], drawing.vertices, editor.view, 0, 4); });
    const Point32 p0 = OnScreen(VertexOf(0, 0)), p2 = OnScreen(VertexOf(0, 2));
    EXPECT_EQ(PixelAt(p0.x - 5, p0.y), 0);  // radius 5 on the selected one
    EXPECT_EQ(PixelAt(p0.x - 4, p0.y), 0xFFFF);
    EXPECT_EQ(PixelAt(p2.x + 2, p2.y + 2), 0);  // radius 2 on the others
    EXPECT_EQ(PixelAt(p2.x, p2.y), 0xFFFF);
}

}  // namespace
