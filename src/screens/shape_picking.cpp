// Shape and vertex picking, dragging, and the selection overlays.
#include "screens/shape_picking.h"

#include "geometry/fixed.h"
#include "platform/platform.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/drawing_editor.h"
#include "surface/pen.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"

// ---------------------------------------------------------------------------
// Selection rules
// ---------------------------------------------------------------------------
bool ShapeSelected() { return editor.selected_shape >= 0 && editor.selected_shape < drawing.shape_count; }

int32_t EditedShape() {
    if (drawing.shape_count == 0) return -1;
    if (!ShapeSelected()) return drawing.shape_count - 1;
    return editor.selected_shape;
}

int32_t EditedVertex(int32_t shape) {
    if (shape < 0 || shape >= drawing.shape_count || editor.selected_vertex < 0) return -1;
    const int32_t count = drawing.shapes[shape].count;
    if (count == 0) return -1;
    return editor.selected_vertex < count ? editor.selected_vertex : count - 1;
}

int32_t OverlayPhase() { return MarchingAntsPhase(GetTickCount()); }

int32_t PulseRadius(int32_t phase) { return phase < 5 ? phase + 1 : 9 - phase; }

// ---------------------------------------------------------------------------
// Pick lists
// ---------------------------------------------------------------------------
// The last shape is added first: it is drawn on top, so the first tap finds
// it, and repeated taps cycle downward through the shapes under the point.
void BuildShapePickList() {
    ResetPickList();
    for (int32_t i = drawing.shape_count - 1; i >= 0; --i) {
        const Bounds b = ShapeBounds(drawing.shapes[i], drawing.vertices, editor.view);
        if (BoundsEmpty(b)) continue;
        AddPickRect(static_cast<int16_t>(b.min_x - 1), static_cast<int16_t>(b.min_y - 1),
                    static_cast<int16_t>(b.max_x + 1), static_cast<int16_t>(b.max_y + 1), i);
    }
}

void BuildVertexPickList(int32_t shape) {
    ResetPickList();
    if (shape < 0 || shape >= drawing.shape_count) shape = drawing.shape_count - 1;
    if (shape < 0) return;
    const ShapeRecord& s = drawing.shapes[shape];
    for (uint32_t j = 0; j < s.count; ++j) {
        const Vertex& v = drawing.vertices[s.first + j];
        const Point32 p = MapPoint(editor.view, v.x, v.y);
        AddPickRect(static_cast<int16_t>(p.x - 3), static_cast<int16_t>(p.y - 3),
                    static_cast<int16_t>(p.x + 4), static_cast<int16_t>(p.y + 4),
                    static_cast<int32_t>(j));
    }
}

// ---------------------------------------------------------------------------
// Stylus handlers
// ---------------------------------------------------------------------------
// Only the linear part of the inverse view: the offsets cancel in a difference.
static int32_t LinearPart(int32_t m, int32_t n, int32_t x, int32_t y) {
    return Add32(Mul32(m, x), Mul32(n, y)) >> kQ14Shift;
}

void ShapeStylus(const WidgetRecord& widget, int16_t x, int16_t y) {
    if (!widget.pressed) {
        editor.selected_shape = PickOwner(x, y);
        return;
    }
    if (!ShapeSelected()) return;
    // Each step is measured from the press point, which then moves on to the
    // stylus: the steps of a drag add up to the whole mapped distance.
    const Transform& inv = editor.inverse_view;
    const int32_t p = ui.start_x, q = ui.start_y;
    const int32_t dx = LinearPart(inv.a, inv.b, x, y) - LinearPart(inv.a, inv.b, p, q);
    const int32_t dy = LinearPart(inv.c, inv.d, x, y) - LinearPart(inv.c, inv.d, p, q);
    if (dx == 0 && dy == 0) return;
    TranslateShape(drawing.shapes[editor.selected_shape], drawing.vertices, static_cast<int16_t>(dx),
                   static_cast<int16_t>(dy));
    ui.start_x = static_cast<uint16_t>(x);
    ui.start_y = static_cast<uint16_t>(y);
    BuildShapePickList();
}

// A miss keeps the selected vertex. A drag works on the shape whose handles
// are shown, the selected one or else the last.
void VertexStylus(const WidgetRecord& widget, int16_t x, int16_t y) {
    if (!widget.pressed) {
        const int32_t owner = PickOwner(x, y);
        if (owner != -1) editor.selected_vertex = owner;
        return;
    }
    const int32_t shape = EditedShape();
    const int32_t vertex = EditedVertex(shape);
    if (vertex < 0) return;
    const Point32 p = MapPoint(editor.inverse_view, x, y);
    Vertex& v = drawing.vertices[drawing.shapes[shape].first + vertex];
    v.x = static_cast<int16_t>(p.x);
    v.y = static_cast<int16_t>(p.y);
    BuildVertexPickList(shape);
}

// ---------------------------------------------------------------------------
// Overlays
// ---------------------------------------------------------------------------
static int16_t Cut16(int32_t v) { return static_cast<int16_t>(v); }

// Clockwise, one pixel outside the box. The top and bottom sides take the
// corners and the left and right sides stop short of them, so under the XOR
// pen no pixel is inverted twice.
void DrawMarchingBox(const ShapeRecord& shape, const Vertex* pool, const Transform& t,
                     int32_t phase) {
    const Bounds b = ShapeBounds(shape, pool, t);
    if (BoundsEmpty(b)) return;
    const uint16_t pattern = kMarchingAnts[phase & 7];
    const int32_t x1 = b.min_x, y1 = b.min_y, x2 = b.max_x, y2 = b.max_y;
    DrawDashedLine(surface, x1 - 1, y1 - 1, x2 + 1, y1 - 1, pattern);
    DrawDashedLine(surface, x2 + 1, y1, x2 + 1, y2, pattern);
    DrawDashedLine(surface, x2 + 1, y2 + 1, x1 - 1, y2 + 1, pattern);
    DrawDashedLine(surface, x1 - 1, y2, x1 - 1, y1, pattern);
}

void DrawVertexHandles(const ShapeRecord& shape, const Vertex* pool, const Transform& t,
                       int32_t selected, int32_t phase) {
    if (shape.count == 0) return;
    if (selected >= shape.count) selected = shape.count - 1;
    const int32_t pulse = PulseRadius(phase & 7);
    for (int32_t j = 0; j < shape.count; ++j) {
        const Vertex& v = pool[shape.first + j];
        const Point32 p = MapPoint(t, v.x, v.y);
        const int32_t r = j == selected ? pulse : 2;
        FrameRect(surface, Cut16(p.x - r), Cut16(p.y - r), Cut16(p.x + r), Cut16(p.y + r));
    }
}

// Both overlays invert what they cross, so they show on any colour.
void SelectionBoxOverlay(const WidgetRecord&, const SkinPicture*) {
    if (editor.selected_shape != -1 && drawing.shape_count != 0) {
        const int32_t shape = EditedShape();
        surface.pen_colour.word = 0xFFFF;
        SelectPenMode(surface, 1);
        DrawMarchingBox(drawing.shapes[shape], drawing.vertices, editor.view, OverlayPhase());
        SelectPenMode(surface, 0);
    }
    redraw_request = 1;  // keeps the box marching
}

void VertexHandlesOverlay(const WidgetRecord&, const SkinPicture*) {
    const int32_t shape = EditedShape();
    if (editor.selected_vertex != -1 && shape != -1) {
        surface.pen_colour.word = 0xFFFF;
        SelectPenMode(surface, 1);
        DrawVertexHandles(drawing.shapes[shape], drawing.vertices, editor.view, editor.selected_vertex,
                          OverlayPhase());
        SelectPenMode(surface, 0);
    }
    redraw_request = 1;  // keeps the selected handle pulsing
}
