// The drawing editor through the real UI loop: taps on the selection canvas,
// the tool chooser, and the library chooser's tabs.
#include <gtest/gtest.h>

#include "screens/editor_fixture.h"

namespace {

using EditorThroughUiLoop = EditorSession;

TEST_F(EditorThroughUiLoop, RepeatedTapsSelectOverlappingShapesAndADragMovesOne) {
    AddBox(40, 40, 120, 120, MakeColour(0, 0, 0, 255));
    AddBox(80, 80, 160, 160, MakeColour(0, 0, 200, 255));
    Script("tap 210 10\ntap 210 90\n"  // tool 4
           "tap 100 100\ntap 100 100\ntap 100 100\n"
           "drag 150 150 170 180 5\n");
    EXPECT_EQ(Step(), kEditorToolChooser);
    EXPECT_EQ(ui.canvas_mode, kCanvasNone);
    EXPECT_EQ(Step(), kEditorSelectCanvas);
    EXPECT_EQ(selected_shape, 1);
    EXPECT_EQ(current_colour.blue, 200);  // the release takes the shape's colour
    EXPECT_EQ(Step(), kEditorSelectCanvas);
    EXPECT_EQ(selected_shape, 0);
    EXPECT_EQ(current_colour.blue, 0);
    EXPECT_EQ(Step(), kEditorSelectCanvas);
    EXPECT_EQ(selected_shape, 1);

    const Point32 start = MapPoint(inverse_view_transform, 150, 150);
    const Point32 end = MapPoint(inverse_view_transform, 170, 180);
    const Vertex before = VertexOf(1, 0);
    EXPECT_EQ(Step(), kEditorSelectCanvas);
    EXPECT_EQ(VertexOf(1, 0).x - before.x, end.x - start.x);
    EXPECT_EQ(VertexOf(1, 0).y - before.y, end.y - start.y);
}

TEST_F(EditorThroughUiLoop, TheLibraryChooserReachesRowsBelowTheListedSlots) {
    AddBox(40, 40, 120, 120);
    // Row 5 (y 80..91) is below the one listed slot; then back to A.
    Script("tap 10 10\ntap 10 85\ntap 10 10\ntap 10 25\n");
    EXPECT_EQ(Step(), kEditorLibraryButton);
    EXPECT_EQ(current_slot, 5);
    EXPECT_EQ(drawing.shape_count, 0);
    EXPECT_EQ(next_new_slot, 1);  // the list still shows only slot A
    EXPECT_EQ(ui.canvas_mode, kCanvasPolyline);
    EXPECT_EQ(Step(), kEditorLibraryButton);
    EXPECT_EQ(current_slot, 0);
    EXPECT_EQ(drawing.shape_count, 1);
}

}  // namespace
