// Every fixed capacity, filled through the program's own operations: the
// surplus is refused or dropped, and nothing already stored is lost.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "animation/stage.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/host_files.h"
#include "raster/polygon_fill.h"
#include "raster/shape_renderer.h"
#include "reliability/session_driver.h"
#include "screens/file_browser.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "shell/main_loop.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

namespace {

const Transform kIdentity = {16384, 0, 0, 16384, 0, 0};
const ColourRecord kBlack = {0, 0, 0, 255, 0};

// A drawing of its own, freed at the end of the test.
struct OwnDrawing {
    Drawing d{};
    OwnDrawing() { EXPECT_TRUE(AllocateDrawing(d)); }
    ~OwnDrawing() { FreeDrawing(d); }
    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(d.vertices),
                                   reinterpret_cast<const uint8_t*>(d.vertices + d.vertex_count));
        bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(d.shapes),
                     reinterpret_cast<const uint8_t*>(d.shapes + d.shape_count));
        return bytes;
    }
};

// n points on a zigzag, none on a line with its neighbours.
std::vector<Vertex> Zigzag(int n) {
    std::vector<Vertex> points;
    for (int i = 0; i < n; ++i)
        points.push_back(Vertex{static_cast<int16_t>(i), static_cast<int16_t>(i % 2 == 0 ? 0 : 50), 0, 0});
    return points;
}

// A temporary folder, removed with everything in it.
struct Folder {
    std::string path;
    Folder() {
        char pattern[] = "/tmp/kn_capacity_XXXXXX";
        if (mkdtemp(pattern) != nullptr) path = pattern;
    }
    ~Folder() {
        if (!path.empty()) (void)std::system(("rm -rf '" + path + "'").c_str());
    }
    void File(const std::string& name) const { std::ofstream(path + "/" + name) << "x"; }
    void Dir(const std::string& name) const { mkdir((path + "/" + name).c_str(), 0755); }
};

std::set<std::string> Items(const char* list) {
    std::set<std::string> items;
    char name[kNameBytes];
    for (int i = 0; i < CountItems(list, kItemSeparator); ++i) {
        CopyItem(list, i, name, kItemSeparator);
        items.insert(name);
    }
    return items;
}

}  // namespace

// ---------------------------------------------------------------------------
// The drawing
// ---------------------------------------------------------------------------
TEST(Capacity, TwoThousandFortyEightVertices) {
    OwnDrawing own;
    Drawing& d = own.d;
    const std::vector<Vertex> points = Zigzag(512);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(AddStrokeShape(d, kIdentity, 512, points.data(), kShapeOutline, kBlack));
    ASSERT_EQ(d.vertex_count, kVertexCapacity);
    const std::vector<uint8_t> full = own.Bytes();

    EXPECT_FALSE(AddStrokeShape(d, kIdentity, 2, points.data(), kShapeFilled, kBlack));
    EXPECT_FALSE(AddRectangle(d, kIdentity, 0, 0, 10, 10, kBlack));
    EXPECT_FALSE(AddEllipse(d, kIdentity, 0, 0, 10, 10, kBlack));
    EXPECT_FALSE(DuplicateShape(d, 0));
    EXPECT_FALSE(InsertVertex(d, 3, 7));
    EXPECT_EQ(own.Bytes(), full);
    EXPECT_TRUE(CheckDrawing(d));

    // Room for exactly one more point after a deletion, and no more.
    DeleteVertex(d, 0, 0);
    EXPECT_TRUE(InsertVertex(d, 3, 7));
    EXPECT_EQ(d.vertex_count, kVertexCapacity);
    EXPECT_FALSE(InsertVertex(d, 3, 7));
    EXPECT_TRUE(CheckDrawing(d));
}

TEST(Capacity, FiveHundredTwelveShapes) {
    OwnDrawing own;
    Drawing& d = own.d;
    const std::vector<Vertex> points = Zigzag(2);
    for (int i = 0; i < kShapeCapacity; ++i)
        ASSERT_TRUE(AddStrokeShape(d, kIdentity, 2, points.data(), kShapeFilled, kBlack)) << i;
    ASSERT_EQ(d.shape_count, kShapeCapacity);
    const std::vector<uint8_t> full = own.Bytes();

    EXPECT_FALSE(AddStrokeShape(d, kIdentity, 2, points.data(), kShapeFilled, kBlack));
    EXPECT_FALSE(AddRectangle(d, kIdentity, 0, 0, 10, 10, kBlack));
    EXPECT_FALSE(AddEllipse(d, kIdentity, 0, 0, 10, 10, kBlack));
    EXPECT_FALSE(DuplicateShape(d, 100));
    EXPECT_EQ(own.Bytes(), full);
    EXPECT_TRUE(CheckDrawing(d));
}

// Stroke capture keeps 512 corners; later corners are dropped and the first
// ones stay where they were.
TEST(Capacity, FiveHundredTwelveStrokePoints) {
    const std::vector<Vertex> points = Zigzag(700);
    BeginStroke(ui, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) AddStrokePoint(ui, points[i].x, points[i].y);
    ASSERT_EQ(ui.point_count, kStrokeMaxPoints);
    for (int i = 1; i <= kStrokeMaxPoints; ++i) {
        EXPECT_EQ(ui.stroke[i].x, points[static_cast<size_t>(i - 1)].x) << i;
        EXPECT_EQ(ui.stroke[i].y, points[static_cast<size_t>(i - 1)].y) << i;
    }
}

// The same through the whole program: a zigzag drag of 700 moves becomes one
// outline of 512 vertices, stored in slot 0 when the drawing editor is
// chosen again.
TEST(Capacity, ALongDragBecomesAShapeOf512Vertices) {
    std::vector<SessionStep> steps;
    steps.push_back(SessionStep{SessionStep::kDown, 20, 40, 0});
    for (int i = 1; i <= 700; ++i)
        steps.push_back(SessionStep{SessionStep::kMove, static_cast<int16_t>(20 + i / 4),
                                    static_cast<int16_t>(i % 2 == 0 ? 40 : 240), 0});
    steps.push_back(SessionStep{SessionStep::kUp, 0, 0, 0});
    steps.push_back(SessionStep{SessionStep::kTap, 230, 10, 0});
    steps.push_back(SessionStep{SessionStep::kTap, 230, 10, 0});  // the editor again: stores slot 0
    RunStepsInProcess(steps.data(), static_cast<int64_t>(steps.size()), nullptr, nullptr);
    ASSERT_TRUE(SlotHoldsDrawing(library, 0));
    const DrawingView view = MakeDrawingView(library.slots[0].data);
    ASSERT_EQ(view.shape_count, 1);
    EXPECT_EQ(view.shapes[0].count, kStrokeMaxPoints);
    EXPECT_TRUE(CheckLibrary(library));
}

// ---------------------------------------------------------------------------
// The library
// ---------------------------------------------------------------------------
TEST(Capacity, ArenaOf65536Bytes) {
    LibraryInit(library);
    OwnDrawing big;
    for (int i = 0; i < kVertexCapacity; ++i) big.d.vertices[i] = Vertex{static_cast<int16_t>(i), 1, 0, 0};
    for (int i = 0; i < kShapeCapacity; ++i)
        big.d.shapes[i] = ShapeRecord{static_cast<uint16_t>(4 * i), 4, kShapeFilled, 0, kBlack};
    big.d.vertex_count = kVertexCapacity;
    big.d.shape_count = kShapeCapacity;
    for (int16_t slot = 0; slot < 3; ++slot) ASSERT_TRUE(StoreDrawing(library, slot, big.d));
    const uint32_t left = kArenaBytes - library.used;
    ASSERT_EQ(left, 10228u);

    // Two shapes of 850 vertices pack into exactly the bytes that are left.
    OwnDrawing exact;
    for (int i = 0; i < 1700; ++i) exact.d.vertices[i] = Vertex{2, static_cast<int16_t>(i), 0, 0};
    exact.d.shapes[0] = ShapeRecord{0, 850, kShapeOutline, 0, kBlack};
    exact.d.shapes[1] = ShapeRecord{850, 850, kShapeOutline, 0, kBlack};
    exact.d.vertex_count = 1700;
    exact.d.shape_count = 2;
    ASSERT_EQ(PackedSize(exact.d), left);

    // One vertex more does not fit, in a new slot or over the small one.
    exact.d.shapes[1].count = 851;
    exact.d.vertex_count = 1701;
    const std::vector<uint8_t> before(library.arena, library.arena + library.used);
    EXPECT_FALSE(StoreDrawing(library, 3, exact.d));
    EXPECT_EQ(std::vector<uint8_t>(library.arena, library.arena + library.used), before);
    EXPECT_EQ(library.slot_count, 3);

    exact.d.shapes[1].count = 850;
    exact.d.vertex_count = 1700;
    ASSERT_TRUE(StoreDrawing(library, 3, exact.d));
    EXPECT_EQ(library.used, kArenaBytes);
    EXPECT_TRUE(CheckLibrary(library));

    // Full: a growing store anywhere is refused and every slot keeps its bytes;
    // a store of the same size still replaces a slot.
    const std::vector<uint8_t> full(library.arena, library.arena + kArenaBytes);
    OwnDrawing one;
    one.d.vertices[0] = Vertex{1, 1, 0, 0};
    one.d.vertex_count = 1;
    EXPECT_FALSE(StoreDrawing(library, 4, one.d));
    exact.d.vertices[0].x = 3;
    exact.d.vertex_count = 1701;
    exact.d.shapes[1].count = 851;
    EXPECT_FALSE(StoreDrawing(library, 3, exact.d));
    EXPECT_EQ(std::vector<uint8_t>(library.arena, library.arena + kArenaBytes), full);
    big.d.vertices[5].y = 99;
    EXPECT_TRUE(StoreDrawing(library, 1, big.d));
    EXPECT_EQ(library.used, kArenaBytes);
    EXPECT_TRUE(CheckLibrary(library));
    LibraryInit(library);
}

TEST(Capacity, SixtyFourSlots) {
    LibraryInit(library);
    OwnDrawing small;
    small.d.vertices[0] = Vertex{7, 7, 0, 0};
    small.d.vertex_count = 1;
    for (int16_t slot = 0; slot < kSlotCount; ++slot) {
        small.d.vertices[0].x = slot;
        ASSERT_TRUE(StoreDrawing(library, slot, small.d)) << slot;
    }
    const std::vector<uint8_t> full(library.arena, library.arena + library.used);
    EXPECT_FALSE(StoreDrawing(library, kSlotCount, small.d));
    EXPECT_FALSE(StoreDrawing(library, -1, small.d));
    EXPECT_EQ(library.slot_count, kSlotCount);
    EXPECT_EQ(std::vector<uint8_t>(library.arena, library.arena + library.used), full);
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(MakeDrawingView(library.slots[slot].data).vertices[0].x, slot);
    EXPECT_TRUE(CheckLibrary(library));
    LibraryInit(library);
}

// Through the editor: 70 new drawings use slots up to 63 and then keep
// reusing 63; the library never holds more than 64 slots.
TEST(Capacity, NewDrawingsStopAtTheLastSlot) {
    std::vector<SessionStep> steps;
    for (int i = 0; i < 70; ++i) {
        steps.push_back(SessionStep{SessionStep::kDown, 60, static_cast<int16_t>(100 + i), 0});
        steps.push_back(SessionStep{SessionStep::kMove, 120, 200, 0});
        steps.push_back(SessionStep{SessionStep::kUp, 0, 0, 0});
        steps.push_back(SessionStep{SessionStep::kTap, 27, 10, 0});  // new drawing
    }
    RunStepsInProcess(steps.data(), static_cast<int64_t>(steps.size()), nullptr, nullptr);
    EXPECT_EQ(editor.next_new_slot, 63);
    EXPECT_EQ(editor.current_slot, 63);
    EXPECT_EQ(library.slot_count, kSlotCount);
    for (int slot = 0; slot < 63; ++slot) EXPECT_TRUE(SlotHoldsDrawing(library, slot)) << slot;
    EXPECT_TRUE(CheckLibrary(library));
}

// ---------------------------------------------------------------------------
// The stage
// ---------------------------------------------------------------------------
TEST(Capacity, SixtyFourActors) {
    InitStage(stage, library);
    ClearStage(stage);
    for (int i = 0; i < kActorCapacity; ++i) ASSERT_TRUE(AddActor(stage, static_cast<int16_t>(i % 5)));
    std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(stage.actors),
                                reinterpret_cast<uint8_t*>(stage.actors + kActorCapacity));
    EXPECT_FALSE(AddActor(stage, 1));
    EXPECT_EQ(stage.actor_count, kActorCapacity);
    EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(stage.actors),
                                   reinterpret_cast<uint8_t*>(stage.actors + kActorCapacity)),
              before);
}

// Through the animation screen: 70 taps on "add actor" stop at 64 actors,
// and the selection and the tab count keep naming actor records.
TEST(Capacity, AddingActorsOnTheStageStopsAt64) {
    std::vector<SessionStep> steps = {
        {SessionStep::kTap, 230, 10, 0}, {SessionStep::kTap, 230, 30, 0},  // the animation screen
    };
    for (int i = 0; i < 70; ++i) steps.push_back(SessionStep{SessionStep::kTap, 7, 310, 0});
    RunStepsInProcess(steps.data(), static_cast<int64_t>(steps.size()), nullptr, nullptr);
    EXPECT_EQ(stage.actor_count, kActorCapacity);
    EXPECT_EQ(stage_screen.actor_tab_count, kActorCapacity);
    EXPECT_EQ(stage_screen.selected_actor, kActorCapacity - 1);
}

TEST(Capacity, OneThousandKeys) {
    InitStage(stage, library);
    ClearStage(stage);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(AddActor(stage, 0));
    for (int k = 0; k < kKeyCapacity; ++k) {
        const Pose pose{static_cast<int16_t>(k), static_cast<int16_t>(k), 0, 1638};
        ASSERT_TRUE(SetKey(stage, static_cast<int16_t>(k % 5), static_cast<uint16_t>(k / 5), pose)) << k;
    }
    ASSERT_EQ(stage.key_count, kKeyCapacity);
    std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(stage.keys),
                                reinterpret_cast<uint8_t*>(stage.keys + kKeyCapacity));
    EXPECT_FALSE(SetKey(stage, 0, 500, Pose{1, 2, 3, 4}));
    EXPECT_EQ(stage.key_count, kKeyCapacity);
    EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(stage.keys),
                                   reinterpret_cast<uint8_t*>(stage.keys + kKeyCapacity)),
              before);
    // An existing key is still replaced in place.
    EXPECT_TRUE(SetKey(stage, 2, 10, Pose{0, 77, 0, 1638}));
    EXPECT_EQ(stage.key_count, kKeyCapacity);
    EXPECT_EQ(stage.keys[52].x, 77);
}

// ---------------------------------------------------------------------------
// Pick list and polygon edges
// ---------------------------------------------------------------------------
// The vertex tool's pick list of a shape of 2000 vertices keeps the first
// 1024 and its end marker.
TEST(Capacity, OneThousandTwentyFourPickRectangles) {
    ASSERT_EQ(drawing.vertices, nullptr);
    ASSERT_TRUE(AllocateDrawing(drawing));
    editor.view = BuildTransform(Pose{0, 0, 0, 1638});
    const std::vector<Vertex> points = Zigzag(500);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(AddStrokeShape(drawing, kIdentity, 500, points.data(), kShapeOutline, kBlack));
    MergeWithPrevious(drawing);
    MergeWithPrevious(drawing);
    MergeWithPrevious(drawing);
    ASSERT_EQ(drawing.shape_count, 1);
    BuildVertexPickList(0);
    EXPECT_EQ(pick_list.count, kPickCapacity);
    EXPECT_EQ(pick_list.entries[kPickCapacity].owner, -1);
    for (int i = 0; i < kPickCapacity; ++i) EXPECT_EQ(pick_list.entries[i].owner, i);
    AddPickRect(0, 0, 5, 5, 4000);
    EXPECT_EQ(pick_list.count, kPickCapacity);
    EXPECT_EQ(pick_list.entries[kPickCapacity].owner, -1);
    ResetPickList();
    FreeDrawing(drawing);
}

// A filled polygon of 2048 corners has more edges than the pool holds: the
// surplus is dropped, the fill ends inside the screen and the next fill
// starts with an empty pool.
TEST(Capacity, FiveHundredTwelvePolygonEdges) {
    ResetTestSurface(0xFFFF);
    for (int i = 0; i < 700; ++i) {
        const int y = i % 2 == 0 ? 10 : 300;
        AddEdge(surface, (i * 8) % 240 * 256, y, ((i + 1) * 8) % 240 * 256, 310 - y);
    }
    EXPECT_EQ(surface.edges.pool_next - surface.edges.pool, kEdgePoolSize);
    FillEdges(surface);
    EXPECT_EQ(surface.edges.pool_next, surface.edges.pool);

    OwnDrawing own;
    std::vector<Vertex> ring;
    for (int i = 0; i < kVertexCapacity; ++i)
        ring.push_back(Vertex{static_cast<int16_t>(20 + (i * 7) % 200), static_cast<int16_t>(20 + (i * 13) % 280), 0, 0});
    ASSERT_TRUE(AddStrokeShape(own.d, kIdentity, kVertexCapacity, ring.data(), kShapeFilled, kBlack));
    RenderDrawing(surface, ViewOf(own.d), kIdentity);
    EXPECT_GT(CountPixelsNot(0xFFFF), 0);
    EXPECT_EQ(surface.edges.pool_next, surface.edges.pool);
}

// ---------------------------------------------------------------------------
// The file browser's buffers
// ---------------------------------------------------------------------------
// 300 files and 300 directories of 40-byte names need about 12,300 bytes per
// list: each list stops below 8192 bytes with whole names only.
TEST(Capacity, FileAndDirectoryListsOf8192Bytes) {
    Folder folder;
    std::set<std::string> names, dirs;
    for (int i = 0; i < 300; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "file_%03d_abcdefghijklmnopqrstuvwxyz0123", i);
        folder.File(name);
        names.insert(name);
        std::snprintf(name, sizeof name, "dir_%03d_abcdefghijklmnopqrstuvwxyz012345", i);
        folder.Dir(name);
        dirs.insert(std::string("\\") + name);
    }
    SetDeviceRoot(folder.path.c_str());
    ListDirectory("\\*.*", files.file_list, files.directory_list);
    const size_t file_bytes = std::strlen(files.file_list), dir_bytes = std::strlen(files.directory_list);
    EXPECT_LT(file_bytes, kListBytes);
    EXPECT_LT(dir_bytes, kListBytes);
    EXPECT_GT(file_bytes, kListBytes - 50);
    EXPECT_GT(dir_bytes, kListBytes - 50);
    for (const std::string& item : Items(files.file_list)) EXPECT_EQ(names.count(item), 1u) << item;
    for (const std::string& item : Items(files.directory_list)) EXPECT_EQ(dirs.count(item), 1u) << item;
    EXPECT_EQ(Items(files.file_list).size(), static_cast<size_t>(CountItems(files.file_list, kItemSeparator)));

    // A small capacity holds what fits, down to nothing.
    char small_files[64], small_dirs[64];
    ListDirectory("\\*.*", small_files, small_dirs, sizeof small_files);
    EXPECT_EQ(CountItems(small_files, kItemSeparator), 1);
    ListDirectory("\\*.*", small_files, small_dirs, 2);
    EXPECT_STREQ(small_files, "");
    SetDeviceRoot(KN_ASSET_DIR "/device");
}

// Names of 255 bytes are the longest a host folder holds: a file of 255
// bytes fits a 256-byte name with its terminator, a directory with its
// leading backslash does not and is left out whole.
TEST(Capacity, NamesOf256Bytes) {
    Folder folder;
    const std::string longest(255, 'f');
    const std::string longest_dir(255, 'd');
    const std::string fits_dir(254, 'e');
    folder.File(longest);
    folder.Dir(longest_dir);
    folder.Dir(fits_dir);
    SetDeviceRoot(folder.path.c_str());
    ListDirectory("\\*.*", files.file_list, files.directory_list);
    EXPECT_EQ(std::string(files.file_list), longest);
    EXPECT_EQ(std::string(files.directory_list), "\\" + fits_dir);
    char name[kNameBytes];
    CopyItem(files.file_list, 0, name, kItemSeparator);
    EXPECT_EQ(std::strlen(name), 255u);
    CopyItem(files.directory_list, 0, name, kItemSeparator, 10);
    EXPECT_STREQ(name, "\\eeeeeeee");
    SetDeviceRoot(KN_ASSET_DIR "/device");
}

// The search pattern holds 255 characters: one that fits lists the folder,
// one character more lists nothing.
TEST(Capacity, SearchPatternOf256Characters) {
    Folder folder;
    const std::string a(120, 'a'), b(129, 'b');
    folder.Dir(a);
    folder.Dir(a + "/" + b);
    std::ofstream(folder.path + "/" + a + "/" + b + "/x.txt") << "x";
    SetDeviceRoot(folder.path.c_str());
    const std::string pattern = "\\" + a + "\\" + b + "\\*.*";
    ASSERT_EQ(pattern.size(), kPatternBytes - 1);
    ListDirectory(pattern.c_str(), files.file_list, files.directory_list);
    EXPECT_STREQ(files.file_list, "x.txt");
    const std::string longer = "\\" + a + "\\" + b + "\\\\*.*";
    ListDirectory(longer.c_str(), files.file_list, files.directory_list);
    EXPECT_STREQ(files.file_list, "");
    EXPECT_STREQ(files.directory_list, "");
    SetDeviceRoot(KN_ASSET_DIR "/device");
}

// The 512-byte path: a settings line far longer than the buffer is cut to
// 511 bytes; a path that long cannot be listed, so the lists are empty; and
// entering directories stops where the search pattern would no longer fit,
// with the path unchanged.
TEST(Capacity, PathOf512Bytes) {
    Folder folder;
    folder.Dir("tovu");
    std::ofstream(folder.path + "/tovu/kalvenorix.ini") << std::string(3000, 'p') << "\n";
    SetDeviceRoot(folder.path.c_str());
    std::strcpy(files.directory, "\\");
    ReadSettings();
    EXPECT_EQ(std::strlen(files.directory), static_cast<size_t>(kDirectoryBytes - 1));
    RescanDirectory();
    EXPECT_EQ(files.file_count, 0);
    EXPECT_EQ(files.directory_count, 0);

    // Five levels of 50 characters: the fifth would make a 260-byte pattern.
    std::string host = folder.path;
    for (int level = 0; level < 5; ++level) {
        host += "/" + std::string(50, static_cast<char>('a' + level));
        mkdir(host.c_str(), 0755);
    }
    std::strcpy(files.directory, "\\");
    RescanDirectory();
    std::string expected = "\\";
    for (int level = 0; level < 5; ++level) {
        files.list_cell = 0;
        files.directory_page = 0;
        // Skip the settings folder at the top.
        if (level == 0) {
            char name[kNameBytes];
            for (int i = 0; i < files.directory_count; ++i) {
                CopyItem(files.directory_list, i, name, kItemSeparator);
                if (name[1] == 'a') files.list_cell = i;
            }
        }
        RunCommand(kFilesCommands, kFilesDirectoryCells);
        if (level < 4) expected += std::string(50, static_cast<char>('a' + level)) + "\\";
        EXPECT_EQ(std::string(files.directory), expected) << "level " << level;
        EXPECT_LE(std::strlen(files.directory) + 4, kPatternBytes);
    }
    EXPECT_EQ(files.directory_count, 1);  // the fifth level is listed but cannot be entered
    std::strcpy(files.directory, "\\");
    SetDeviceRoot(KN_ASSET_DIR "/device");
}
