// The edited drawing: allocation, the invariant check and every editing
// operation. Shapes own consecutive runs of the vertex pool in shape order, so
// every operation that changes a shape's length shifts the tail of the pool
// with one block move and adjusts the first-vertex index of every later shape.
#include "drawing/drawing.h"

#include <cstring>
#include <new>

#include "geometry/fixed.h"
#include "geometry/sincos.h"

Drawing drawing;

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

// Keeps the low 16 bits, as the handheld's 16-bit stores do.
static int16_t Cut16(int32_t v) { return static_cast<int16_t>(v); }

static bool Fits16(int32_t v) { return v >= INT16_MIN && v <= INT16_MAX; }

static void MoveVertices(Vertex* pool, uint32_t to, uint32_t from, uint32_t count) {
    if (count != 0) std::memmove(pool + to, pool + from, count * sizeof(Vertex));
}

static void ShiftLaterFirsts(Drawing& d, uint16_t shape, int32_t delta) {
    for (uint32_t i = shape + 1u; i < d.shape_count; ++i)
        d.shapes[i].first = static_cast<uint16_t>(d.shapes[i].first + delta);
}

static Bounds EmptyBounds() { return Bounds{0, 0, -1, -1}; }

// Appends a filled shape of n vertices mapped from screen points, each result
// cut to 16 bits. Refused whole when it would not fit.
static bool AddMappedShape(Drawing& d, const Transform& t, const int32_t* xs, const int32_t* ys,
                           const uint8_t* types, uint16_t n, ColourRecord colour) {
    if (d.shape_count >= d.shape_capacity || n > d.vertex_capacity - d.vertex_count) return false;
    ShapeRecord& s = d.shapes[d.shape_count];
    s.first = d.vertex_count;
    s.count = n;
    s.kind = kShapeFilled;
    s.spare = 0;
    s.colour = colour;
    for (uint16_t k = 0; k < n; ++k) {
        const Point32 p = MapPoint(t, xs[k], ys[k]);
        d.vertices[d.vertex_count + k] = Vertex{Cut16(p.x), Cut16(p.y), types[k], 0};
    }
    d.vertex_count = static_cast<uint16_t>(d.vertex_count + n);
    ++d.shape_count;
    return true;
}

// ---------------------------------------------------------------------------
// Life cycle and views
// ---------------------------------------------------------------------------

bool AllocateDrawing(Drawing& d) {
    d = Drawing{};
    d.vertices = new (std::nothrow) Vertex[kVertexCapacity];
    d.shapes = new (std::nothrow) ShapeRecord[kShapeCapacity];
    if (d.vertices == nullptr || d.shapes == nullptr) {
        FreeDrawing(d);
        return false;
    }
    d.vertex_capacity = kVertexCapacity;
    d.shape_capacity = kShapeCapacity;
    return true;
}

void FreeDrawing(Drawing& d) {
    delete[] d.vertices;
    delete[] d.shapes;
    d = Drawing{};
}

DrawingView ViewOf(const Drawing& d) {
    return DrawingView{d.vertices, d.vertex_count, d.shapes, d.shape_count};
}

bool CheckDrawing(const Drawing& d) {
    if (d.vertex_count > d.vertex_capacity || d.shape_count > d.shape_capacity) return false;
    uint32_t next_first = 0;
    for (uint32_t i = 0; i < d.shape_count; ++i) {
        const ShapeRecord& s = d.shapes[i];
        if (s.first != next_first) return false;
        if (s.kind != kShapeFilled && s.kind != kShapeOutline) return false;
        next_first += s.count;
    }
    return next_first == d.vertex_count;
}

// ---------------------------------------------------------------------------
// Adding shapes
// ---------------------------------------------------------------------------

// Points whose mapped x or y leaves the 16-bit range are skipped. A stroke
// that leaves no vertex adds no shape, and one that does not fit the pool is
// refused whole: the appended vertices are simply not counted. Kinds other
// than filled and outline are refused too; the renderer knows no others.
bool AddStrokeShape(Drawing& d, const Transform& t, uint16_t count, const Vertex* points,
                    uint8_t kind, ColourRecord colour) {
    if (count < 2 || d.shape_count >= d.shape_capacity) return false;
    if (kind != kShapeFilled && kind != kShapeOutline) return false;
    const uint16_t first = d.vertex_count;
    uint32_t added = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const Point32 p = MapPoint(t, points[i].x, points[i].y);
        if (!Fits16(p.x) || !Fits16(p.y)) continue;
        if (first + added >= d.vertex_capacity) return false;
        d.vertices[first + added] = Vertex{Cut16(p.x), Cut16(p.y), points[i].type, 0};
        ++added;
    }
    if (added == 0) return false;
    ShapeRecord& s = d.shapes[d.shape_count];
    s.first = first;
    s.count = static_cast<uint16_t>(added);
    s.kind = kind;
    s.spare = 0;
    s.colour = colour;
    d.vertex_count = static_cast<uint16_t>(first + added);
    ++d.shape_count;
    return true;
}

// The two last blocks are adjacent already, so joining them moves no vertex:
// the last shape's first vertex starts a new contour of the shape before it.
void MergeWithPrevious(Drawing& d) {
    if (d.shape_count < 2) return;
    ShapeRecord& below = d.shapes[d.shape_count - 2];
    const ShapeRecord& last = d.shapes[d.shape_count - 1];
    if (below.kind != last.kind) return;
    if (below.colour.red != last.colour.red || below.colour.green != last.colour.green ||
        below.colour.blue != last.colour.blue || below.colour.alpha != last.colour.alpha)
        return;
    if (last.count != 0) d.vertices[last.first].type = kPointContourStart;
    below.count = static_cast<uint16_t>(below.count + last.count);
    --d.shape_count;
}

bool AddRectangle(Drawing& d, const Transform& t, int16_t x1, int16_t y1, int16_t x2, int16_t y2,
                  ColourRecord colour) {
    const int32_t xs[4] = {x1, x2, x2, x1};
    const int32_t ys[4] = {y1, y1, y2, y2};
    const uint8_t types[4] = {kPointCorner, kPointCorner, kPointCorner, kPointCorner};
    return AddMappedShape(d, t, xs, ys, types, 4, colour);
}

// Eight points at 45-degree steps: the even ones lie on the ellipse and end
// curves, the odd ones are the curves' middle points, and the last curve
// closes through vertex 7 back to vertex 0.
bool AddEllipse(Drawing& d, const Transform& t, int16_t cx, int16_t cy, int16_t rx, int16_t ry,
                ColourRecord colour) {
    static const uint8_t kTypes[8] = {kPointCorner,  kPointControl, kPointCurveEnd,
                                      kPointControl, kPointCurveEnd, kPointControl,
                                      kPointCurveEnd, kPointControl};
    int32_t xs[8], ys[8];
    for (int k = 0; k < 8; ++k) {
        const SinCosValue sc = SinCos(static_cast<int16_t>(450 * k));
        // Division, not a shift: the offsets round toward zero on both sides.
        xs[k] = cx + (sc.cos * rx) / 16384;
        ys[k] = cy + (sc.sin * ry) / 16384;
    }
    return AddMappedShape(d, t, xs, ys, kTypes, 8, colour);
}

// The copy goes on top, 10 drawing units right of and below the original.
bool DuplicateShape(Drawing& d, uint16_t shape) {
    if (shape >= d.shape_count || d.shape_count >= d.shape_capacity) return false;
    ShapeRecord copy = d.shapes[shape];
    if (copy.count > d.vertex_capacity - d.vertex_count) return false;
    std::memcpy(d.vertices + d.vertex_count, d.vertices + copy.first, copy.count * sizeof(Vertex));
    copy.first = d.vertex_count;
    d.shapes[d.shape_count] = copy;
    d.vertex_count = static_cast<uint16_t>(d.vertex_count + copy.count);
    ++d.shape_count;
    TranslateShape(copy, d.vertices, 10, 10);
    return true;
}

// ---------------------------------------------------------------------------
// Removing and reordering shapes
// ---------------------------------------------------------------------------

void DeleteShape(Drawing& d, uint16_t shape) {
    if (shape >= d.shape_count) return;
    const uint16_t first = d.shapes[shape].first;
    const uint16_t n = d.shapes[shape].count;
    const uint32_t tail = d.vertex_count - (first + n);
    MoveVertices(d.vertices, first, first + n, tail);
    d.vertex_count = static_cast<uint16_t>(d.vertex_count - n);
    --d.shape_count;
    const uint32_t later = d.shape_count - shape;
    if (later != 0)
        std::memmove(d.shapes + shape, d.shapes + shape + 1, later * sizeof(ShapeRecord));
    for (uint32_t i = shape; i < d.shape_count; ++i)
        d.shapes[i].first = static_cast<uint16_t>(d.shapes[i].first - n);
}

// Block A (shape i, na vertices from a) is followed directly by block B
// (shape i + 1, nb vertices). Afterwards B starts at a and A at a + nb:
//
//   before  | A A A | B B B B B |        after  | B B B B B | A A A |
//           a      a+na                         a          a+nb
//
// Only the smaller block goes through a temporary buffer; the other slides
// inside the pool. If the buffer cannot be had, nothing changes.
void SwapWithNext(Drawing& d, uint16_t shape) {
    if (shape + 1 >= d.shape_count) return;
    ShapeRecord& rec_a = d.shapes[shape];
    ShapeRecord& rec_b = d.shapes[shape + 1];
    const uint32_t a = rec_a.first, na = rec_a.count, nb = rec_b.count;
    const uint32_t small = na <= nb ? na : nb;
    Vertex* buffer = nullptr;
    if (small != 0) {
        buffer = new (std::nothrow) Vertex[small];
        if (buffer == nullptr) return;
    }
    Vertex* pool = d.vertices;
    if (na <= nb) {
        if (na != 0) std::memcpy(buffer, pool + a, na * sizeof(Vertex));
        MoveVertices(pool, a, a + na, nb);
        if (na != 0) std::memcpy(pool + a + nb, buffer, na * sizeof(Vertex));
    } else {
        if (nb != 0) std::memcpy(buffer, pool + a + na, nb * sizeof(Vertex));
        MoveVertices(pool, a + nb, a, na);
        if (nb != 0) std::memcpy(pool + a, buffer, nb * sizeof(Vertex));
    }
    delete[] buffer;
    const ShapeRecord old_a = rec_a;
    rec_a = rec_b;
    rec_b = old_a;
    rec_a.first = static_cast<uint16_t>(a);
    rec_b.first = static_cast<uint16_t>(a + nb);
}

void MoveShapeBack(Drawing& d, uint16_t shape) {
    if (shape > 0 && shape < d.shape_count) SwapWithNext(d, static_cast<uint16_t>(shape - 1));
}

void MoveShapeForward(Drawing& d, uint16_t shape) {
    if (shape + 1 < d.shape_count) SwapWithNext(d, shape);
}

void ToggleFill(Drawing& d, uint16_t shape) {
    if (shape >= d.shape_count) return;
    uint8_t& kind = d.shapes[shape].kind;
    if (kind == kShapeFilled)
        kind = kShapeOutline;
    else if (kind == kShapeOutline)
        kind = kShapeFilled;
}

void TranslateShape(const ShapeRecord& shape, Vertex* pool, int16_t dx, int16_t dy) {
    Vertex* v = pool + shape.first;
    for (uint32_t i = 0; i < shape.count; ++i) {
        v[i].x = Cut16(v[i].x + dx);
        v[i].y = Cut16(v[i].y + dy);
    }
}

// ---------------------------------------------------------------------------
// Vertex editing
// ---------------------------------------------------------------------------

// After the removal the vertex that moved into place v picks up the role
// the removed one played for its neighbours: it ends the curve when a control
// point precedes it, and is a corner otherwise. The shape's start is always a
// corner and cannot end a curve on its second vertex.
void DeleteVertex(Drawing& d, uint16_t shape, uint16_t vertex) {
    if (d.shape_count == 0) return;
    if (shape >= d.shape_count) shape = static_cast<uint16_t>(d.shape_count - 1);
    ShapeRecord& s = d.shapes[shape];
    if (vertex >= s.count) return;
    if (s.count < 3) {
        DeleteShape(d, shape);
        return;
    }
    const uint32_t at = s.first + vertex;
    MoveVertices(d.vertices, at, at + 1, d.vertex_count - (at + 1));
    --s.count;
    --d.vertex_count;
    ShiftLaterFirsts(d, shape, -1);

    Vertex* v = d.vertices + s.first;
    if (vertex < s.count) {
        const bool after_control = vertex > 0 && v[vertex - 1].type == kPointControl;
        v[vertex].type = after_control ? kPointCurveEnd : kPointCorner;
    }
    v[0].type = kPointCorner;
    if (v[1].type == kPointCurveEnd) v[1].type = kPointCorner;
}

// Vertex v is doubled; the copy keeps v's old type and moves halfway toward
// the vertex after it, while v itself becomes a corner.
bool InsertVertex(Drawing& d, uint16_t shape, uint16_t vertex) {
    if (shape >= d.shape_count) return false;
    ShapeRecord& s = d.shapes[shape];
    if (vertex >= s.count || d.vertex_count >= d.vertex_capacity) return false;
    const bool was_last = vertex + 1 == s.count;
    const uint32_t at = s.first + vertex;
    MoveVertices(d.vertices, at + 1, at, d.vertex_count - at);
    ++s.count;
    ++d.vertex_count;
    ShiftLaterFirsts(d, shape, 1);

    Vertex* v = d.vertices + at;
    v[0].type = kPointCorner;
    if (!was_last) {
        // Sum in 32 bits: a 16-bit sum would wrap and throw the midpoint of
        // two far-out vertices to the opposite side of the drawing.
        v[1].x = static_cast<int16_t>((v[1].x + v[2].x) >> 1);
        v[1].y = static_cast<int16_t>((v[1].y + v[2].y) >> 1);
    }
    return true;
}

void ToggleCurve(const ShapeRecord& shape, Vertex* pool, uint16_t vertex) {
    if (vertex == 0 || vertex + 1 >= shape.count) return;
    Vertex* v = pool + shape.first;
    switch (v[vertex].type & 3) {
        case kPointCorner:
            v[vertex].type = kPointControl;
            v[vertex + 1].type = kPointCurveEnd;
            if (vertex + 2 < shape.count && v[vertex + 2].type == kPointCurveEnd)
                v[vertex + 2].type = kPointCorner;
            break;
        case kPointControl:
            v[vertex].type = kPointCorner;
            v[vertex + 1].type = kPointCorner;
            break;
        case kPointCurveEnd:
            v[vertex - 1].type = kPointCorner;
            v[vertex].type = kPointCorner;
            break;
        default:  // a contour start stays
            break;
    }
}

void ToggleContourStart(const ShapeRecord& shape, Vertex* pool, uint16_t vertex) {
    if (vertex == 0 || vertex + 1 >= shape.count) return;
    uint8_t& type = pool[shape.first + vertex].type;
    if (type == kPointCorner)
        type = kPointContourStart;
    else if (type == kPointContourStart)
        type = kPointCorner;
}

Bounds MappedBounds(const Vertex* v, uint32_t count, const Transform& t) {
    if (count == 0) return EmptyBounds();
    const Point32 p0 = MapPoint(t, v[0].x, v[0].y);
    Bounds b = {p0.x, p0.y, p0.x, p0.y};
    for (uint32_t i = 1; i < count; ++i) {
        const Point32 p = MapPoint(t, v[i].x, v[i].y);
        if (p.x < b.min_x) b.min_x = p.x;
        if (p.x > b.max_x) b.max_x = p.x;
        if (p.y < b.min_y) b.min_y = p.y;
        if (p.y > b.max_y) b.max_y = p.y;
    }
    return b;
}

Bounds ShapeBounds(const ShapeRecord& shape, const Vertex* pool, const Transform& t) {
    return MappedBounds(pool + shape.first, shape.count, t);
}
