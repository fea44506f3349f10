#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "drawing/library.h"
#include "drawing_helpers.h"

namespace {

// The library is large; the tests share one of their own.
DrawingLibrary lib;

std::vector<uint8_t> SlotBytes(int slot) {
    const LibrarySlot& s = lib.slots[slot];
    return std::vector<uint8_t>(s.data, s.data + s.size);
}

uint32_t OffsetOf(int slot) { return static_cast<uint32_t>(lib.slots[slot].data - lib.arena); }

// A drawing of n two-vertex shapes whose coordinates carry the tag.
void MakeTagged(Drawing& d, int shapes, int16_t tag) {
    d.vertex_count = 0;
    d.shape_count = 0;
    for (int i = 0; i < shapes; ++i)
        AddPoints(d, {{tag, static_cast<int16_t>(i)}, {static_cast<int16_t>(-tag), 7}},
                  kShapeOutline, MakeColour(tag & 255, i & 255, 3, 200));
}

bool SameContent(const Drawing& a, const Drawing& b) {
    return a.vertex_count == b.vertex_count && a.shape_count == b.shape_count &&
           std::memcmp(a.vertices, b.vertices, a.vertex_count * sizeof(Vertex)) == 0 &&
           std::memcmp(a.shapes, b.shapes, a.shape_count * sizeof(ShapeRecord)) == 0;
}

// ---------------------------------------------------------------------------
// The packed format
// ---------------------------------------------------------------------------

TEST(LibraryFormat, PackedSizes) {
    OwnedDrawing o;
    EXPECT_EQ(PackedSize(o.d), 4u);
    AddRectangle(o.d, kIdentity, 0, 0, 9, 9, MakeColour(1, 2, 3, 4));
    EXPECT_EQ(PackedSize(o.d), 40u);
    o.d.vertex_count = 2048;
    o.d.shape_count = 512;
    EXPECT_EQ(PackedSize(o.d), 18436u);
}

TEST(LibraryFormat, SlotBytesAreLittleEndianWithoutPadding) {
    OwnedDrawing o;
    LibraryInit(lib);
    std::vector<Vertex> stroke = {Vertex{-2, 300, kPointCorner, 0}, Vertex{0x1234, -1, 0, 0}};
    AddStrokeShape(o.d, kIdentity, 2, stroke.data(), kShapeOutline, MakeColour(255, 128, 0, 200));
    o.d.vertices[1].type = kPointCurveEnd;
    o.d.vertices[1].spare = 0x5A;  // copied as it is
    o.d.shapes[0].spare = 0xA5;
    ASSERT_TRUE(StoreDrawing(lib, 0, o.d));
    const std::vector<uint8_t> expected = {
        0x02, 0x00,                                                  // two vertices
        0xFE, 0xFF, 0x2C, 0x01, 0x00, 0x00,                          // (-2, 300) corner
        0x34, 0x12, 0xFF, 0xFF, 0x02, 0x5A,                          // (0x1234, -1) curve end
        0x01, 0x00,                                                  // one shape
        0x00, 0x00, 0x02, 0x00, 0x02, 0xA5,                          // first 0, count 2, outline
        0xFF, 0x80, 0x00, 0xC8, 0x00, 0xFC,                          // r g b a, word 0xFC00
    };
    EXPECT_EQ(SlotBytes(0), expected);
    EXPECT_EQ(lib.used, 28u);
}

// ---------------------------------------------------------------------------
// Storing and fetching
// ---------------------------------------------------------------------------

TEST(LibraryStore, SkippedSlotsBecomeEmptyPlaces) {
    OwnedDrawing o;
    LibraryInit(lib);
    MakeTagged(o.d, 2, 11);
    ASSERT_TRUE(StoreDrawing(lib, 3, o.d));
    EXPECT_EQ(lib.slot_count, 4);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(OffsetOf(s), 0u) << s;
    EXPECT_EQ(lib.slots[1].size, 0u);
    EXPECT_FALSE(SlotHoldsDrawing(lib, 1));
    EXPECT_TRUE(SlotHoldsDrawing(lib, 3));
    EXPECT_FALSE(SlotHoldsDrawing(lib, 4));
    EXPECT_FALSE(SlotHoldsDrawing(lib, -1));
    EXPECT_TRUE(CheckLibrary(lib));

    FetchDrawing(lib, 1, o.d);
    EXPECT_EQ(o.d.vertex_count, 0);
    EXPECT_EQ(o.d.shape_count, 0);

    // Filling an empty place moves the slot behind it up.
    MakeTagged(o.d, 1, 22);
    ASSERT_TRUE(StoreDrawing(lib, 1, o.d));
    EXPECT_EQ(OffsetOf(2), 28u);
    EXPECT_EQ(OffsetOf(3), 28u);
    FetchDrawing(lib, 3, o.d);
    EXPECT_EQ(o.d.shape_count, 2);
    EXPECT_EQ(o.d.vertices[0].x, 11);
    EXPECT_TRUE(CheckLibrary(lib));
}

TEST(LibraryStore, GrowingAndShrinkingMovesTheFollowingSlots) {
    OwnedDrawing o, back;
    LibraryInit(lib);
    for (int s = 0; s < 3; ++s) {
        MakeTagged(o.d, s + 1, static_cast<int16_t>(100 + s));
        ASSERT_TRUE(StoreDrawing(lib, static_cast<int16_t>(s), o.d));
    }
    const std::vector<uint8_t> slot1 = SlotBytes(1), slot2 = SlotBytes(2);
    EXPECT_EQ(OffsetOf(1), 28u);
    EXPECT_EQ(OffsetOf(2), 28u + 52u);

    MakeTagged(o.d, 5, 7);  // 28 -> 124 bytes
    ASSERT_TRUE(StoreDrawing(lib, 0, o.d));
    EXPECT_EQ(OffsetOf(1), 124u);
    EXPECT_EQ(OffsetOf(2), 124u + 52u);
    EXPECT_EQ(lib.used, 124u + 52u + 76u);
    EXPECT_EQ(SlotBytes(1), slot1);
    EXPECT_EQ(SlotBytes(2), slot2);
    FetchDrawing(lib, 0, back.d);
    EXPECT_TRUE(SameContent(o.d, back.d));

    o.d.vertex_count = 0;  // shrink to an empty drawing
    o.d.shape_count = 0;
    ASSERT_TRUE(StoreDrawing(lib, 0, o.d));
    EXPECT_EQ(OffsetOf(1), 4u);
    EXPECT_EQ(lib.used, 4u + 52u + 76u);
    EXPECT_EQ(SlotBytes(1), slot1);
    EXPECT_EQ(SlotBytes(2), slot2);
    // An empty drawing still holds its slot.
    EXPECT_TRUE(SlotHoldsDrawing(lib, 0));
    EXPECT_TRUE(CheckLibrary(lib));

    // The same drawing again changes no pointer and no byte count.
    MakeTagged(o.d, 2, 9);
    ASSERT_TRUE(StoreDrawing(lib, 1, o.d));
    const uint32_t used = lib.used;
    uint8_t* pointers[3] = {lib.slots[0].data, lib.slots[1].data, lib.slots[2].data};
    ASSERT_TRUE(StoreDrawing(lib, 1, o.d));
    EXPECT_EQ(lib.used, used);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(lib.slots[s].data, pointers[s]);
    EXPECT_EQ(SlotBytes(2), slot2);
}

TEST(LibraryStore, SlotsOutsideTheTableAreIgnored) {
    OwnedDrawing o;
    LibraryInit(lib);
    MakeTagged(o.d, 3, 5);
    EXPECT_FALSE(StoreDrawing(lib, -1, o.d));
    EXPECT_FALSE(StoreDrawing(lib, 64, o.d));
    EXPECT_EQ(lib.slot_count, 0);
    EXPECT_EQ(lib.used, 0u);
    FetchDrawing(lib, 64, o.d);
    FetchDrawing(lib, -1, o.d);
    EXPECT_EQ(o.d.shape_count, 3);
    EXPECT_EQ(o.d.vertex_count, 6);
    // Slot 63, the last one, works.
    EXPECT_TRUE(StoreDrawing(lib, 63, o.d));
    EXPECT_EQ(lib.slot_count, 64);
    EXPECT_TRUE(CheckLibrary(lib));
}

TEST(LibraryStore, TheArenaRefusesWhatDoesNotFit) {
    OwnedDrawing full, small, back;
    LibraryInit(lib);
    std::vector<Vertex> stroke(512, Vertex{3, 4, kPointCorner, 0});
    for (int i = 0; i < 4; ++i)
        AddStrokeShape(full.d, kIdentity, 512, stroke.data(), kShapeFilled, MakeColour(1, 2, 3, 4));
    full.d.shape_count = 512;  // the other 508 records need only be valid bytes
    for (int i = 4; i < 512; ++i) full.d.shapes[i] = ShapeRecord{2048, 0, 0, 0, {}};
    ASSERT_EQ(PackedSize(full.d), 18436u);

    for (int16_t s = 0; s < 3; ++s) ASSERT_TRUE(StoreDrawing(lib, s, full.d));
    EXPECT_EQ(lib.used, 3u * 18436u);
    // A fourth full drawing does not fit; nothing changes, not even the
    // empty places it would have made.
    EXPECT_FALSE(StoreDrawing(lib, 5, full.d));
    EXPECT_EQ(lib.slot_count, 3);
    EXPECT_EQ(lib.used, 3u * 18436u);

    // A small slot after them; growing it beyond the room keeps its old bytes.
    MakeTagged(small.d, 1, 77);
    ASSERT_TRUE(StoreDrawing(lib, 3, small.d));
    const uint32_t room = kArenaBytes - lib.used;
    MakeTagged(small.d, 512, 1);
    ASSERT_GT(PackedSize(small.d) - 28, room);
    EXPECT_FALSE(StoreDrawing(lib, 3, small.d));
    FetchDrawing(lib, 3, back.d);
    EXPECT_EQ(back.d.shape_count, 1);
    EXPECT_EQ(back.d.vertices[0].x, 77);
    EXPECT_TRUE(CheckLibrary(lib));

    // Exactly filling the arena is allowed; one vertex more is not.
    small.d.shape_count = 0;
    small.d.vertex_count = static_cast<uint16_t>((room + 28 - 4) / 6);
    ASSERT_EQ(PackedSize(small.d), room + 28);
    std::memset(small.d.vertices, 0, kVertexCapacity * sizeof(Vertex));
    EXPECT_TRUE(StoreDrawing(lib, 3, small.d));
    EXPECT_EQ(lib.used, kArenaBytes);
    ++small.d.vertex_count;
    EXPECT_FALSE(StoreDrawing(lib, 3, small.d));
    EXPECT_FALSE(StoreDrawing(lib, 4, small.d));
    EXPECT_EQ(lib.slot_count, 4);
    EXPECT_TRUE(CheckLibrary(lib));
}

TEST(LibraryStore, ForgedCountsAreNotCopiedPastTheDrawing) {
    OwnedDrawing o;
    LibraryInit(lib);
    MakeTagged(o.d, 4, 3);
    ASSERT_TRUE(StoreDrawing(lib, 0, o.d));
    ASSERT_TRUE(StoreDrawing(lib, 1, o.d));

    // A drawing with room for only 4 vertices cannot take slot 0's 8.
    Vertex few_vertices[4];
    ShapeRecord few_shapes[4];
    Drawing tiny = {few_vertices, 1, 4, few_shapes, 1, 4};
    FetchDrawing(lib, 0, tiny);
    EXPECT_EQ(tiny.vertex_count, 0);
    EXPECT_EQ(tiny.shape_count, 0);

    // Counts that disagree with the slot's size are not believed.
    lib.arena[0] = 0xFF;
    lib.arena[1] = 0x07;  // 2047 vertices in a 100-byte slot
    EXPECT_FALSE(CheckLibrary(lib));
    FetchDrawing(lib, 0, o.d);
    EXPECT_EQ(o.d.vertex_count, 0);
    EXPECT_EQ(o.d.shape_count, 0);
    FetchDrawing(lib, 1, o.d);
    EXPECT_EQ(o.d.shape_count, 4);
}

TEST(LibraryStore, RandomStoresRoundTrip) {
    OwnedDrawing o, back;
    LibraryInit(lib);
    std::mt19937 rng(77);
    std::map<int, std::vector<uint8_t>> expected;  // slot -> packed bytes
    int refused = 0;
    for (int step = 0; step < 3000; ++step) {
        const int16_t slot = static_cast<int16_t>(rng() % 40);
        MakeTagged(o.d, static_cast<int>(rng() % 120), static_cast<int16_t>(step));
        const uint32_t old_size = slot < lib.slot_count ? lib.slots[slot].size : 0;
        const bool fits = lib.used - old_size + PackedSize(o.d) <= kArenaBytes;
        ASSERT_EQ(StoreDrawing(lib, slot, o.d), fits) << step;
        refused += !fits;
        if (!fits) continue;
        expected[slot] = SlotBytes(slot);
        ASSERT_TRUE(CheckLibrary(lib)) << step;
        if (step % 50 != 0) continue;
        for (int s = 0; s < kSlotCount; ++s) {
            auto it = expected.find(s);
            if (it == expected.end()) {
                ASSERT_FALSE(SlotHoldsDrawing(lib, s)) << s;
                continue;
            }
            ASSERT_EQ(SlotBytes(s), it->second) << "slot " << s << " step " << step;
            FetchDrawing(lib, static_cast<int16_t>(s), back.d);
            ASSERT_TRUE(CheckDrawing(back.d));
            ASSERT_EQ(PackedSize(back.d), it->second.size());
        }
    }
    EXPECT_GT(refused, 0);
}

// ---------------------------------------------------------------------------
// Views
// ---------------------------------------------------------------------------

TEST(LibraryViews, ViewReadsTheSlotInPlace) {
    OwnedDrawing o;
    LibraryInit(lib);
    MakeTagged(o.d, 1, 50);
    StoreDrawing(lib, 0, o.d);
    AddPoints(o.d, {{100, 50}, {-100, -50}, {0, 80}}, kShapeFilled, MakeColour(9, 9, 9, 255));
    StoreDrawing(lib, 1, o.d);

    DrawingView view = MakeDrawingView(lib.slots[1].data);
    ASSERT_EQ(view.vertex_count, 5);
    ASSERT_EQ(view.shape_count, 2);
    EXPECT_EQ(view.shapes[1].first, 2);
    EXPECT_EQ(view.vertices[2].x, 100);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(view.vertices), lib.slots[1].data + 2);

    Bounds b = DrawingBounds(view, kEditorView);
    EXPECT_EQ(b.min_x, 110);  // -100 -> 120 - 10
    EXPECT_EQ(b.max_x, 129);
    EXPECT_EQ(b.min_y, 155);  // -50 -> 160 - 5
    EXPECT_EQ(b.max_y, 167);  // 80 -> 160 + 7
    Bounds same = DrawingBounds(ViewOf(o.d), kEditorView);
    EXPECT_EQ(same.min_y, b.min_y);
    EXPECT_EQ(same.max_x, b.max_x);

    o.d.vertex_count = 0;
    o.d.shape_count = 0;
    StoreDrawing(lib, 2, o.d);
    view = MakeDrawingView(lib.slots[2].data);
    EXPECT_EQ(view.vertex_count, 0);
    EXPECT_EQ(view.shape_count, 0);
    EXPECT_TRUE(BoundsEmpty(DrawingBounds(view, kEditorView)));
}

}  // namespace
