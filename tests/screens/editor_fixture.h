// The drawing editor's program-wide state as start-up leaves it, for tests
// that call the editor's functions directly or run it through the UI loop.
#pragma once
#include <gtest/gtest.h>

#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/headless_session.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

class EditorSession : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        if (drawing.vertices == nullptr) {
            ASSERT_TRUE(AllocateDrawing(drawing));
        }
        drawing.vertex_count = 0;
        drawing.shape_count = 0;
        LibraryInit(library);
        ResetScreenControls();
        ResetEditor();
        ResetPicker();
        ui.stroke_colour = current_colour;
        ui.canvas_mode = kCanvasPolyline;
        ResetPickList();
    }

    // One id of the editor's screen through the real UI loop.
    uint16_t Step() { return Next(DrawingEditorRedraw, kEditorCommands); }

    // A rectangle between two screen points, in the given colour.
    static void AddBox(int x1, int y1, int x2, int y2, ColourRecord c = MakeColour(0, 0, 0, 255)) {
        ASSERT_TRUE(AddRectangle(drawing, editor.inverse_view, static_cast<int16_t>(x1),
                                 static_cast<int16_t>(y1), static_cast<int16_t>(x2),
                                 static_cast<int16_t>(y2), c));
    }
    // Where a drawing point appears on the screen.
    static Point32 OnScreen(const Vertex& v) { return MapPoint(editor.view, v.x, v.y); }
    static const Vertex& VertexOf(int shape, int j) {
        return drawing.vertices[drawing.shapes[shape].first + j];
    }
};
