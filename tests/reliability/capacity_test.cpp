// Every fixed capacity, filled through the program's own operations: the
// operation past it is refused or dropped, and nothing already stored changes.
// (The library's slot count is its random store test's.)
#include <gtest/gtest.h>

#include <cstring>

#include "animation/stage.h"
#include "drawing/library.h"
#include "raster/polygon_fill.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"

namespace {

const Transform kIdentity = {16384, 0, 0, 16384, 0, 0};
const ColourRecord kBlack = {0, 0, 0, 255, 0};
Drawing own, packing;            // the drawing rows fill one, the library rows store the other
Vertex zigzag[kVertexCapacity];  // no point on a line with its neighbours

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }
// Everything the rows store into.
std::string Everything() {
    return Bytes(own.vertices, own.vertex_count * sizeof(Vertex)) + Bytes(own.shapes, own.shape_count * sizeof(ShapeRecord)) +
           Bytes(&library, sizeof library) + Bytes(&stage, sizeof stage) + Bytes(&pick_list, sizeof pick_list) +
           Bytes(surface.edges.pool, sizeof surface.edges.pool);
}
void Empty() { own.vertex_count = own.shape_count = 0; }
// The library rows store n vertices in shapes of `per_shape`.
bool Store(int slot, int n, int per_shape) {
    packing.vertex_count = static_cast<uint16_t>(n);
    packing.shape_count = 0;
    for (int first = 0; first < n; first += per_shape)
        packing.shapes[packing.shape_count++] = ShapeRecord{
            static_cast<uint16_t>(first), static_cast<uint16_t>(std::min(per_shape, n - first)), kShapeOutline, 0, kBlack};
    return StoreDrawing(library, static_cast<int16_t>(slot), packing);
}

const struct Row {
    const char* what;
    int64_t capacity;
    void (*setup)();
    bool (*step)(int n);  // the n-th operation; false when refused or dropped
    int64_t (*held)();
    bool (*at_capacity)();  // what still works there, or null
} kRows[] = {
    {"vertices, in strokes of 512", kVertexCapacity, Empty,
     [](int) { return AddStrokeShape(own, kIdentity, 512, zigzag, kShapeOutline, kBlack); },
     [] { return int64_t{own.vertex_count}; }, nullptr},  // a deletion making room is the editor's refusal test's
    {"shapes, as rectangles", kShapeCapacity, Empty,
     [](int) { return AddRectangle(own, kIdentity, 0, 0, 10, 10, kBlack); }, [] { return int64_t{own.shape_count}; }, nullptr},
    // Three drawings at capacity leave 10,228 bytes: two outlines of 850 vertices fill them exactly.
    {"arena bytes", kArenaBytes, [] { LibraryInit(library); },
     [](int n) { return n < 3 ? Store(n, kVertexCapacity, 4) : Store(n, 1700 + n - 3, 850); },
     [] { return int64_t{library.used}; },  // a drawing of the same size still replaces another
     [] { packing.vertices[5].y = 99; return Store(1, kVertexCapacity, 4) && library.slots[1].data[2 + 5 * 6 + 2] == 99; }},
    {"actors", kActorCapacity, [] { InitStage(stage, library); ClearStage(stage); },
     [](int n) { return AddActor(stage, static_cast<int16_t>(n % 5)); }, [] { return int64_t{stage.actor_count}; }, nullptr},
    {"keys", kKeyCapacity, [] {},
     [](int n) { return SetKey(stage, static_cast<int16_t>(n % 5), static_cast<uint16_t>(n / 5), Pose{1, 2, 3, 1638}); },
     [] { return int64_t{stage.key_count}; }, [] { return SetKey(stage, 2, 10, Pose{0, 77, 0, 1638}) && stage.keys[52].x == 77; }},
    {"pick rectangles", kPickCapacity, ResetPickList, [](int n) { AddPickRect(0, 0, 5, 5, n); return pick_list.count > n; },
     [] { return int64_t{pick_list.count}; }, nullptr},
    {"polygon edges", kEdgePoolSize, [] { ResetTestSurface(); },
     [](int n) { AddEdge(surface, n % 240 * 256, 10, (n + 7) % 240 * 256, 300); return surface.edges.pool_next - surface.edges.pool > n; },
     [] { return int64_t{surface.edges.pool_next - surface.edges.pool}; },
     [] { FillEdges(surface); return surface.edges.pool_next == surface.edges.pool; }},  // a fill empties a full pool
};

}  // namespace

// Each row's operations run until the count reaches the capacity; the next
// one is refused and changes nothing.
TEST(Capacity, EachIsReachedAndTheNextOperationChangesNothing) {
    ASSERT_TRUE(AllocateDrawing(own) && AllocateDrawing(packing));
    for (int i = 0; i < kVertexCapacity; ++i) zigzag[i] = Vertex{static_cast<int16_t>(i % 200), static_cast<int16_t>(i % 2 * 50), 0, 0};
    std::memcpy(packing.vertices, zigzag, sizeof zigzag);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        row.setup();
        int n = 0;
        while (row.held() < row.capacity) ASSERT_TRUE(row.step(n++)) << "refused at " << row.held();
        EXPECT_EQ(row.held(), row.capacity);
        const std::string full = Everything();
        EXPECT_FALSE(row.step(n));
        EXPECT_EQ(Everything(), full);
        EXPECT_TRUE(row.at_capacity == nullptr || row.at_capacity());
    }
    FreeDrawing(own);
    FreeDrawing(packing);
}
