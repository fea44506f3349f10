// The drawing editor at its limits: refused changes, a full library, the
// last new slot. Called through its command list with the state start-up leaves.
#include <gtest/gtest.h>

#include <tuple>

#include "drawing/drawing.h"
#include "drawing/library.h"
#include "raster/panels.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"
#include "support/headless_session.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"

namespace {

class Editor : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        if (drawing.vertices == nullptr) {
            ASSERT_TRUE(AllocateDrawing(drawing));
        }
        drawing.vertex_count = drawing.shape_count = 0;
        LibraryInit(library);
        ResetScreenControls();
        ResetEditor();
        ResetPicker();
        ResetPickList();
    }
    static void Strip(uint16_t id, int cell) {
        controls.strip_cell = cell;
        RunCommand(kEditorCommands, id);
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
};

// A refused copy, vertex or stroke changes nothing, keeps the selection and
// shows two red frames round the canvas for 600 ms.
TEST_F(Editor, RefusedChangesShowTheCueAndChangeNothing) {
    for (int i = 0; i < kShapeCapacity; ++i) Box();
    editor.tool = kToolSelectShape;
    editor.selected_shape = 2;
    Strip(kEditorShapeActions, kShapeDuplicate);
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
    Strip(kEditorVertexActions, kVertexInsert);
    EXPECT_EQ(std::tuple(drawing.vertex_count, drawing.shapes[2].count), std::tuple(kVertexCapacity, uint16_t(4)));
    EXPECT_TRUE(RefusalCueShowing());
    Strip(kEditorVertexActions, kVertexDelete);  // deleting makes room again
    Strip(kEditorVertexActions, kVertexInsert);
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
// not the library chooser, not leaving the editor and coming back.
TEST_F(Editor, ADrawingTheLibraryCannotTakeStays) {
    for (int i = 0; i < kShapeCapacity; ++i) LongShape(4);
    for (int16_t slot = 1; slot <= 3; ++slot) ASSERT_TRUE(StoreDrawing(library, slot, drawing));
    drawing.vertex_count = drawing.shape_count = 0;
    LongShape(1800);
    Strip(kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));
    EXPECT_TRUE(RefusalCueShowing());
    Script("tap 10 25");
    RunCommand(kEditorCommands, kEditorLibraryButton);
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));
    editor.current_slot = 2;  // as the animation screen may leave it
    EnterDrawingEditor();
    EXPECT_EQ(Slots(), std::tuple(0, 1, 1800));
    EXPECT_TRUE(CheckLibrary(library));

    drawing.shapes[0].count = drawing.vertex_count = 1600;  // small enough now
    Strip(kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(1, 2, 2048));
    FetchDrawing(library, 0, drawing);
    EXPECT_EQ(drawing.vertex_count, 1600);
}

// From slot 62 a new drawing takes 63, which stays the next new slot: every
// later new drawing is stored there and fetched back.
TEST_F(Editor, NewDrawingsStopAtSlot63) {
    editor.current_slot = editor.drawing_slot = 62;
    editor.next_new_slot = 63;
    Box();
    Strip(kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(63, 63, 0));
    Box();
    Strip(kEditorNewDrawingStrip, 0);
    EXPECT_EQ(Slots(), std::tuple(63, 63, 4));
    EXPECT_TRUE(SlotHoldsDrawing(library, 62));
}

}  // namespace
