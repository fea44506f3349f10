// The drawing library: 64 slots of packed drawings back to back in one arena.
// Slot i + 1 always begins where slot i ends, so a slot that grows or shrinks
// slides everything after it with one overlapping move. A slot that was
// skipped over is an empty place (size 0) sharing the position of the next
// slot that got bytes.
#include "drawing/library.h"

#include <bit>
#include <cstring>

// Vertices and shape records are copied as blocks and viewed in place, which
// gives the packed little-endian layout only on a little-endian host.
static_assert(std::endian::native == std::endian::little,
              "packed drawings are read in place as host structures");

DrawingLibrary library;

static uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

static void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

static uint32_t PackedSizeOf(uint32_t vertices, uint32_t shapes) {
    return 6 * vertices + 12 * shapes + 4;
}

void LibraryInit(DrawingLibrary& lib) {
    lib.used = 0;
    lib.slot_count = 0;
    for (LibrarySlot& slot : lib.slots) slot.size = 0;
}

uint32_t PackedSize(const Drawing& d) { return PackedSizeOf(d.vertex_count, d.shape_count); }

// Layout of one slot:
//
//   0        u16 vertex count N
//   2        N vertices of 6 bytes
//   2 + 6N   u16 shape count M
//   4 + 6N   M shape records of 12 bytes
//
// The arena's room is checked before anything changes, so a refused store
// leaves every slot, pointer and used as they were. Otherwise the slots
// after s are moved first, so a growing slot never writes over its
// successors and a shrinking one leaves no hole.
bool StoreDrawing(DrawingLibrary& lib, int16_t slot, const Drawing& d) {
    if (slot < 0 || slot >= kSlotCount) return false;
    const uint32_t n = PackedSize(d);
    const bool has_place = slot < lib.slot_count;
    const uint32_t old_size = has_place ? lib.slots[slot].size : 0;
    if (n > old_size && n - old_size > kArenaBytes - lib.used) return false;

    while (lib.slot_count < slot) {
        lib.slots[lib.slot_count] = LibrarySlot{lib.arena + lib.used, 0};
        ++lib.slot_count;
    }
    if (!has_place) {
        ++lib.slot_count;
        lib.slots[slot].data = lib.arena + lib.used;
        lib.used += n;
    } else if (n != old_size) {
        if (slot + 1 < lib.slot_count) {
            uint8_t* tail = lib.slots[slot + 1].data;
            const uint32_t tail_bytes = lib.used - static_cast<uint32_t>(tail - lib.arena);
            // Every following slot lies in [tail, arena + used): one move.
            uint8_t* moved = n > old_size ? tail + (n - old_size) : tail - (old_size - n);
            std::memmove(moved, tail, tail_bytes);
            for (int i = slot + 1; i < lib.slot_count; ++i)
                lib.slots[i].data = moved + (lib.slots[i].data - tail);
        }
        lib.used = lib.used + n - old_size;
    }

    PackDrawing(d, lib.slots[slot].data);
    lib.slots[slot].size = n;
    return true;
}

uint32_t PackDrawing(const Drawing& d, uint8_t* p) {
    const uint32_t vertex_bytes = d.vertex_count * sizeof(Vertex);
    WriteU16(p, d.vertex_count);
    if (vertex_bytes != 0) std::memcpy(p + 2, d.vertices, vertex_bytes);
    WriteU16(p + 2 + vertex_bytes, d.shape_count);
    if (d.shape_count != 0)
        std::memcpy(p + 4 + vertex_bytes, d.shapes, d.shape_count * sizeof(ShapeRecord));
    return PackedSize(d);
}

// Counts that do not fit the drawing, or disagree with the size, cannot come
// from PackDrawing: nothing is copied past the end of either block.
bool UnpackDrawing(const uint8_t* p, uint32_t size, Drawing& d) {
    d.vertex_count = 0;
    d.shape_count = 0;
    if (p == nullptr || size < 4) return false;
    const uint16_t vertex_count = ReadU16(p);
    if (vertex_count > d.vertex_capacity || PackedSizeOf(vertex_count, 0) > size) return false;
    const uint32_t vertex_bytes = vertex_count * sizeof(Vertex);
    const uint16_t shape_count = ReadU16(p + 2 + vertex_bytes);
    if (shape_count > d.shape_capacity || PackedSizeOf(vertex_count, shape_count) != size)
        return false;
    if (vertex_bytes != 0) std::memcpy(d.vertices, p + 2, vertex_bytes);
    if (shape_count != 0)
        std::memcpy(d.shapes, p + 4 + vertex_bytes, shape_count * sizeof(ShapeRecord));
    d.vertex_count = vertex_count;
    d.shape_count = shape_count;
    return true;
}

// A slot that cannot be unpacked is fetched as an empty drawing.
void FetchDrawing(const DrawingLibrary& lib, int16_t slot, Drawing& d) {
    if (slot < 0 || slot >= kSlotCount) return;
    d.vertex_count = 0;
    d.shape_count = 0;
    const LibrarySlot& entry = lib.slots[slot];
    if (slot >= lib.slot_count) return;
    UnpackDrawing(entry.data, entry.size, d);
}

// Slots start at even offsets of a 4-aligned arena, so the 2-aligned vertex
// and shape structures can be read where they lie.
DrawingView MakeDrawingView(const uint8_t* data) {
    DrawingView view;
    view.vertex_count = ReadU16(data);
    view.vertices = reinterpret_cast<const Vertex*>(data + 2);
    const uint8_t* shapes = data + 2 + view.vertex_count * sizeof(Vertex);
    view.shape_count = ReadU16(shapes);
    view.shapes = reinterpret_cast<const ShapeRecord*>(shapes + 2);
    return view;
}

Bounds DrawingBounds(const DrawingView& view, const Transform& t) {
    return MappedBounds(view.vertices, view.vertex_count, t);
}

bool SlotHoldsDrawing(const DrawingLibrary& lib, int slot) {
    return slot >= 0 && slot < lib.slot_count && lib.slots[slot].size != 0;
}

bool CheckLibrary(const DrawingLibrary& lib) {
    if (lib.slot_count < 0 || lib.slot_count > kSlotCount || lib.used > kArenaBytes) return false;
    const uint8_t* expected = lib.arena;
    for (int i = 0; i < lib.slot_count; ++i) {
        const LibrarySlot& slot = lib.slots[i];
        if (slot.data != expected) return false;
        if (slot.size > kArenaBytes - static_cast<uint32_t>(expected - lib.arena)) return false;
        if (slot.size != 0) {
            const uint16_t vertex_count = ReadU16(slot.data);
            if (PackedSizeOf(vertex_count, 0) > slot.size) return false;
            const uint16_t shape_count = ReadU16(slot.data + 2 + 6 * vertex_count);
            if (PackedSizeOf(vertex_count, shape_count) != slot.size) return false;
        }
        expected += slot.size;
    }
    for (int i = lib.slot_count; i < kSlotCount; ++i)
        if (lib.slots[i].size != 0) return false;
    return expected == lib.arena + lib.used;
}
