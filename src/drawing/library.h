// The library: up to 64 drawings packed back to back in one 65536-byte arena.
// Packed drawing, little-endian, no padding:
//   u16 vertex count N, N x 6-byte vertices, u16 shape count M, M x 12-byte shapes.
#pragma once
#include <cstdint>

#include "drawing/drawing.h"

constexpr uint32_t kArenaBytes = 65536;
constexpr int kSlotCount = 64;

struct LibrarySlot {
    uint8_t* data;  // null for a slot that never had a place
    uint32_t size;  // 0 for a slot without a stored drawing
};

struct DrawingLibrary {
    alignas(4) uint8_t arena[kArenaBytes];
    uint32_t used;
    LibrarySlot slots[kSlotCount];
    int16_t slot_count;
};

extern DrawingLibrary library;

void LibraryInit(DrawingLibrary& lib);
uint32_t PackedSize(const Drawing& d);
// False (and the slot keeps its old contents) when the arena cannot hold the result.
bool StoreDrawing(DrawingLibrary& lib, int16_t slot, const Drawing& d);
void FetchDrawing(const DrawingLibrary& lib, int16_t slot, Drawing& d);
// The packed form of a drawing at p (PackedSize(d) bytes); returns the size.
uint32_t PackDrawing(const Drawing& d, uint8_t* p);
// A packed drawing of size bytes into d; false (and d empty) when its counts
// do not fit d's capacities or disagree with the size.
bool UnpackDrawing(const uint8_t* p, uint32_t size, Drawing& d);
DrawingView MakeDrawingView(const uint8_t* data);
// Empty bounds (min_x > max_x) for a view without vertices.
Bounds DrawingBounds(const DrawingView& view, const Transform& t);
// True when a slot holds a drawing.
bool SlotHoldsDrawing(const DrawingLibrary& lib, int slot);

// True when slots lie back to back and used is the sum of their sizes.
bool CheckLibrary(const DrawingLibrary& lib);
