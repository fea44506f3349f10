#include "drawing/library.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "support/drawing_literal.h"

namespace {

DrawingLibrary lib, scratch;  // large: shared by the tests

std::vector<uint8_t> SlotBytes(const DrawingLibrary& l, int slot) { return {l.slots[slot].data, l.slots[slot].data + l.slots[slot].size}; }

// n two-vertex shapes whose coordinates and colours carry the tag.
void MakeTagged(Drawing& d, int n, int16_t tag) {
    d.vertex_count = d.shape_count = 0;
    for (int i = 0; i < n; ++i) {
        d.shapes[d.shape_count++] = {d.vertex_count, 2, kShapeOutline, 0, MakeColour(tag & 255, i & 255, 3, 200)};
        d.vertices[d.vertex_count++] = {tag, static_cast<int16_t>(i), kPointCorner, 0};
        d.vertices[d.vertex_count++] = {static_cast<int16_t>(-tag), 7, kPointCurveEnd, 0};
    }
}

}  // namespace

// Stores into 40 slots that grow, shrink (down to empty drawings) and skip
// places, checked against a mirror of every slot's bytes; slots outside
// 0..63 are neither stored nor fetched, and what would overflow the arena
// is refused whole. A fetched slot stored again gives the same bytes.
TEST(Library, RandomStoresMatchAByteMirror) {
    OwnedDrawing o, back;
    LibraryInit(lib);
    std::mt19937 rng(77);
    std::map<int, std::vector<uint8_t>> mirror;
    int refused = 0;
    for (int step = 0; step < 3000; ++step) {
        const int16_t slot = static_cast<int16_t>(step % 97 == 0 ? 64 - (step & 65) : rng() % 40);
        MakeTagged(o.d, static_cast<int>(rng() % 150), static_cast<int16_t>(step));
        const uint32_t old_size = slot >= 0 && slot < lib.slot_count ? lib.slots[slot].size : 0;
        const bool fits = slot >= 0 && slot < 64 && lib.used - old_size + PackedSize(o.d) <= kArenaBytes;
        ASSERT_TRUE(StoreDrawing(lib, slot, o.d) == fits && CheckLibrary(lib)) << step;
        refused += !fits;
        if (fits) mirror[slot] = SlotBytes(lib, slot);
        for (int16_t s = -1; step % 50 == 0 && s <= kSlotCount; ++s) {
            ASSERT_EQ(SlotHoldsDrawing(lib, s), mirror.count(s) == 1) << s;
            FetchDrawing(lib, s, back.d);
            if (s < 0 || s >= kSlotCount) continue;
            LibraryInit(scratch);
            ASSERT_TRUE(StoreDrawing(scratch, 0, back.d));
            ASSERT_EQ(SlotBytes(scratch, 0), mirror.count(s) ? mirror[s] : std::vector<uint8_t>(4)) << "slot " << s << " step " << step;
            ASSERT_TRUE(!mirror.count(s) || SlotBytes(lib, s) == mirror[s]) << "slot " << s << " step " << step;
        }
    }
    EXPECT_GT(refused, 30);
}
