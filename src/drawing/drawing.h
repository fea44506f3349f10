// The drawing being edited: a vertex pool and shape records, each shape a run
// of consecutive vertices with a kind and a colour.
#pragma once
#include <cstdint>

#include "geometry/transform.h"
#include "drawing/colour.h"

enum : uint8_t {
    kPointCorner = 0,
    kPointControl = 1,
    kPointCurveEnd = 2,
    kPointContourStart = 3,
};

enum : uint8_t {
    kShapeFilled = 0,
    kShapeOutline = 2,
};

constexpr uint16_t kVertexCapacity = 2048;
constexpr uint16_t kShapeCapacity = 512;
constexpr uint16_t kStrokeCapacity = 512;

// Six bytes, the same in memory and in library slots.
struct Vertex {
    int16_t x;
    int16_t y;
    uint8_t type;
    uint8_t spare;
};
static_assert(sizeof(Vertex) == 6);

// Twelve bytes, the same in memory and in library slots.
struct ShapeRecord {
    uint16_t first;  // first vertex in the pool
    uint16_t count;  // vertices of the shape
    uint8_t kind;    // kShapeFilled or kShapeOutline
    uint8_t spare;
    ColourRecord colour;
};
static_assert(sizeof(ShapeRecord) == 12);

struct Drawing {
    Vertex* vertices;
    uint16_t vertex_count;
    uint16_t vertex_capacity;
    ShapeRecord* shapes;
    uint16_t shape_count;
    uint16_t shape_capacity;
};

// A read-only look at a drawing's vertices and shapes: the edited drawing, or
// a library slot's packed bytes in place.
struct DrawingView {
    const Vertex* vertices;
    uint16_t vertex_count;
    const ShapeRecord* shapes;
    uint16_t shape_count;
};

// Smallest and largest mapped coordinates; empty when min_x > max_x.
struct Bounds {
    int32_t min_x, min_y, max_x, max_y;
};
inline bool BoundsEmpty(const Bounds& b) { return b.min_x > b.max_x; }

// The program-wide edited drawing.
extern Drawing drawing;

// Allocates both blocks at their capacities with zero counts; FreeDrawing releases them.
bool AllocateDrawing(Drawing& d);
void FreeDrawing(Drawing& d);
DrawingView ViewOf(const Drawing& d);

// True when the drawing keeps its invariants: contiguous blocks in shape
// order, counts within capacity, kinds 0 or 2.
bool CheckDrawing(const Drawing& d);

// Editing operations. Those that add return false when the result would not
// fit the capacities; the drawing is then unchanged.
bool AddStrokeShape(Drawing& d, const Transform& t, uint16_t count, const Vertex* points,
                    uint8_t kind, ColourRecord colour);
void MergeWithPrevious(Drawing& d);
bool AddRectangle(Drawing& d, const Transform& t, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                  ColourRecord colour);
bool AddEllipse(Drawing& d, const Transform& t, int16_t cx, int16_t cy, int16_t rx, int16_t ry,
                ColourRecord colour);
bool DuplicateShape(Drawing& d, uint16_t shape);
void DeleteShape(Drawing& d, uint16_t shape);
void SwapWithNext(Drawing& d, uint16_t shape);
void MoveShapeBack(Drawing& d, uint16_t shape);
void MoveShapeForward(Drawing& d, uint16_t shape);
void ToggleFill(Drawing& d, uint16_t shape);
void TranslateShape(const ShapeRecord& shape, Vertex* pool, int16_t dx, int16_t dy);
void DeleteVertex(Drawing& d, uint16_t shape, uint16_t vertex);
bool InsertVertex(Drawing& d, uint16_t shape, uint16_t vertex);
void ToggleCurve(const ShapeRecord& shape, Vertex* pool, uint16_t vertex);
void ToggleContourStart(const ShapeRecord& shape, Vertex* pool, uint16_t vertex);
// The box of count vertices mapped through t; empty for none, an empty box
// of small values, so that callers adding a margin cannot overflow.
Bounds MappedBounds(const Vertex* v, uint32_t count, const Transform& t);
Bounds ShapeBounds(const ShapeRecord& shape, const Vertex* pool, const Transform& t);
