// Direct manipulation in the drawing editor: the select tool picks and drags
// whole shapes, the vertex tool picks and drags single vertices. Each tool's
// full-screen widget has a stylus handler and an animated overlay (a marching
// dashed box, or handles with the selected one pulsing) that asks the UI loop
// to redraw again, so the overlay keeps moving.
#pragma once
#include <cstdint>

#include "geometry/transform.h"
#include "drawing/drawing.h"
#include "ui/widgets.h"

// The shape the vertex tool edits: the selected shape, or the last shape when
// the selection is -1 or past the end; -1 when there are no shapes.
int32_t EditedShape();
// The vertex of a shape that the selected vertex stands for: past the end
// means the last vertex; -1 stays none (as does a shape without vertices).
int32_t EditedVertex(int32_t shape);
// True when the selection names an existing shape.
bool ShapeSelected();

// The animation phase 0..7 of the overlays: it steps every 64 ms.
int32_t OverlayPhase();
// Half-size of the pulsing handle in phase t: 1, 2, 3, 4, 5, 4, 3, 2.
int32_t PulseRadius(int32_t phase);

// Pick rectangles of every shape, the topmost shape first.
void BuildShapePickList();
// Pick rectangles (8 x 8 pixels) of the vertices of a shape; a shape index
// past the end or -1 means the last shape, as in the vertex tool.
void BuildVertexPickList(int32_t shape);

// Stylus handlers of the two full-screen widgets (pen-down with the pressed
// flag clear, then every drag).
void ShapeStylus(const WidgetRecord& widget, int16_t x, int16_t y);
void VertexStylus(const WidgetRecord& widget, int16_t x, int16_t y);

// Overlay faces of the two widgets. Both request a redraw every time.
void SelectionBoxOverlay(const WidgetRecord& widget, const SkinPicture* skin);
void VertexHandlesOverlay(const WidgetRecord& widget, const SkinPicture* skin);

// The dashed box one pixel outside the shape's mapped bounds, drawn with the
// current pen in the marching-ants pattern of the phase.
void DrawMarchingBox(const ShapeRecord& shape, const Vertex* pool, const Transform& t,
                     int32_t phase);
// Small frames on every vertex and the pulsing frame on the given one.
void DrawVertexHandles(const ShapeRecord& shape, const Vertex* pool, const Transform& t,
                       int32_t selected_vertex, int32_t phase);
