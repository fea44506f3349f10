#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "drawing/library.h"
#include "drawing_helpers.h"

namespace {

// The library is large; the tests share one of their own and a scratch one.
DrawingLibrary lib, scratch;

std::vector<uint8_t> SlotBytes(const DrawingLibrary& l, int slot) {
    const LibrarySlot& s = l.slots[slot];
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

TEST(LibraryFormat, SlotBytesAreLittleEndianWithoutPadding) {
    OwnedDrawing o;
    EXPECT_EQ(PackedSize(o.d), 4u);
    LibraryInit(lib);
    std::vector<Vertex> stroke = {Vertex{-2, 300, kPointCorner, 0}, Vertex{0x1234, -1, 0, 0}};
    AddStrokeShape(o.d, kIdentity, 2, stroke.data(), kShapeOutline, MakeColour(255, 128, 0, 200));
    o.d.vertices[1].type = kPointCurveEnd;
    o.d.vertices[1].spare = 0x5A;  // copied as it is
    o.d.shapes[0].spare = 0xA5;
    ASSERT_TRUE(StoreDrawing(lib, 0, o.d));
    const std::vector<uint8_t> expected = {
        0x02, 0x00,                          // two vertices
        0xFE, 0xFF, 0x2C, 0x01, 0x00, 0x00,  // (-2, 300) corner
        0x34, 0x12, 0xFF, 0xFF, 0x02, 0x5A,  // (0x1234, -1) curve end
        0x01, 0x00,                          // one shape
        0x00, 0x00, 0x02, 0x00, 0x02, 0xA5,  // first 0, count 2, outline
        0xFF, 0x80, 0x00, 0xC8, 0x00, 0xFC,  // r g b a, word 0xFC00
    };
    EXPECT_EQ(SlotBytes(lib, 0), expected);
    EXPECT_EQ(lib.used, 28u);
    o.d.vertex_count = 2048;
    o.d.shape_count = 512;
    EXPECT_EQ(PackedSize(o.d), 18436u);
}

// Storing past the count leaves empty places that hold no drawing and fetch
// as an empty drawing; slots outside 0..63 are neither stored nor fetched.
TEST(LibraryStore, SkippedAndOutsideSlotsHoldNothing) {
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

    ASSERT_TRUE(StoreDrawing(lib, 3, o.d));
    EXPECT_EQ(lib.slot_count, 4);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(OffsetOf(s), 0u) << s;
    for (int s : {-1, 1, 4}) EXPECT_FALSE(SlotHoldsDrawing(lib, s)) << s;
    EXPECT_TRUE(SlotHoldsDrawing(lib, 3));
    FetchDrawing(lib, 1, o.d);
    EXPECT_EQ(o.d.vertex_count, 0);
    EXPECT_EQ(o.d.shape_count, 0);
    EXPECT_TRUE(StoreDrawing(lib, 63, o.d));  // the last slot works
    EXPECT_EQ(lib.slot_count, 64);
    EXPECT_TRUE(CheckLibrary(lib));
}

// A store past the arena's room changes nothing, not even the empty places it
// would have made before it.
TEST(LibraryStore, TheArenaRefusesWhatDoesNotFit) {
    OwnedDrawing full;
    LibraryInit(lib);
    std::vector<Vertex> stroke(512, Vertex{3, 4, kPointCorner, 0});
    for (int i = 0; i < 4; ++i)
        AddStrokeShape(full.d, kIdentity, 512, stroke.data(), kShapeFilled, MakeColour(1, 2, 3, 4));
    full.d.shape_count = 512;  // the other 508 records need only be valid bytes
    for (int i = 4; i < 512; ++i) full.d.shapes[i] = ShapeRecord{2048, 0, 0, 0, {}};
    ASSERT_EQ(PackedSize(full.d), 18436u);
    for (int16_t s = 0; s < 3; ++s) ASSERT_TRUE(StoreDrawing(lib, s, full.d));
    EXPECT_EQ(lib.used, 3u * 18436u);
    EXPECT_FALSE(StoreDrawing(lib, 5, full.d));
    EXPECT_EQ(lib.slot_count, 3);
    EXPECT_EQ(lib.used, 3u * 18436u);
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
    // Counts that disagree with the slot's size are not believed: 3 shapes
    // where the 100 bytes hold 4, or 2047 vertices. Nor is a total in use
    // other than the slots' sum.
    lib.arena[50] = 3;
    EXPECT_FALSE(CheckLibrary(lib));
    FetchDrawing(lib, 0, o.d);
    EXPECT_EQ(o.d.vertex_count, 0);
    lib.arena[50] = 4;
    lib.used += 2;
    EXPECT_FALSE(CheckLibrary(lib));
    lib.used -= 2;
    lib.arena[0] = 0xFF;
    lib.arena[1] = 0x07;  // 2047 vertices in a 100-byte slot
    EXPECT_FALSE(CheckLibrary(lib));
    FetchDrawing(lib, 0, o.d);
    EXPECT_EQ(o.d.vertex_count, 0);
    EXPECT_EQ(o.d.shape_count, 0);
    FetchDrawing(lib, 1, o.d);
    EXPECT_EQ(o.d.shape_count, 4);
}

// Stores into 40 slots that grow, shrink (down to empty drawings) and skip
// places, checked against a mirror of every slot's bytes. A fetched slot
// stored again gives the same bytes.
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
        expected[slot] = SlotBytes(lib, slot);
        ASSERT_TRUE(CheckLibrary(lib)) << step;
        if (step % 50 != 0) continue;
        for (int16_t s = 0; s < kSlotCount; ++s) {
            auto it = expected.find(s);
            ASSERT_EQ(SlotHoldsDrawing(lib, s), it != expected.end()) << s;
            if (it == expected.end()) continue;
            ASSERT_EQ(SlotBytes(lib, s), it->second) << "slot " << s << " step " << step;
            FetchDrawing(lib, s, back.d);
            ASSERT_TRUE(CheckDrawing(back.d));
            LibraryInit(scratch);
            ASSERT_TRUE(StoreDrawing(scratch, 0, back.d));
            ASSERT_EQ(SlotBytes(scratch, 0), it->second) << "slot " << s << " step " << step;
        }
    }
    EXPECT_GT(refused, 0);
}

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
    // -100 maps to 120 - 10, -50 to 160 - 5, 80 to 160 + 7.
    EXPECT_EQ(BoxOf(DrawingBounds(view, kEditorView)), (Box{110, 155, 129, 167}));
    EXPECT_EQ(BoxOf(DrawingBounds(ViewOf(o.d), kEditorView)), (Box{110, 155, 129, 167}));

    o.d.vertex_count = 0;
    o.d.shape_count = 0;
    StoreDrawing(lib, 2, o.d);
    view = MakeDrawingView(lib.slots[2].data);
    EXPECT_EQ(view.vertex_count, 0);
    EXPECT_EQ(view.shape_count, 0);
    EXPECT_TRUE(BoundsEmpty(DrawingBounds(view, kEditorView)));
}

}  // namespace
