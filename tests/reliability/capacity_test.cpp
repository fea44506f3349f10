// Every fixed capacity, filled through the program's own operations: the
// operation past it is refused or dropped, and nothing already stored changes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "animation/stage.h"
#include "drawing/library.h"
#include "platform/host_files.h"
#include "raster/polygon_fill.h"
#include "reliability/session_driver.h"
#include "screens/animation_screen.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

namespace {

const Transform kIdentity = {16384, 0, 0, 16384, 0, 0};
const ColourRecord kBlack = {0, 0, 0, 255, 0};
Drawing own;      // the drawing the drawing rows fill
Drawing packing;  // what the library rows store
Vertex zigzag[kVertexCapacity];  // no point on a line with its neighbours

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }
std::string DrawingBytes() {
    return Bytes(own.vertices, own.vertex_count * sizeof(Vertex)) + Bytes(own.shapes, own.shape_count * sizeof(ShapeRecord));
}
std::string LibraryBytes() { return Bytes(&library, sizeof library); }
std::string StageBytes() { return Bytes(&stage, sizeof stage); }
int64_t Vertices() { return own.vertex_count; }
int64_t Shapes() { return own.shape_count; }

void FreshDrawing() {
    for (int i = 0; i < kVertexCapacity; ++i)
        zigzag[i] = Vertex{static_cast<int16_t>(i % 200), static_cast<int16_t>(i % 2 * 50), 0, 0};
    if (own.vertices == nullptr) {
        ASSERT_TRUE(AllocateDrawing(own) && AllocateDrawing(packing));
    }
    std::memcpy(packing.vertices, zigzag, sizeof zigzag);
    own.vertex_count = own.shape_count = 0;
}
void OneStroke(int points) {
    FreshDrawing();
    AddStrokeShape(own, kIdentity, static_cast<uint16_t>(points), zigzag, kShapeFilled, kBlack);
}
// The library rows store a drawing of n vertices in shapes of `per_shape`.
bool Store(int slot, int n, int per_shape) {
    packing.vertex_count = static_cast<uint16_t>(n);
    packing.shape_count = 0;
    for (int first = 0; first < n; first += per_shape)
        packing.shapes[packing.shape_count++] = ShapeRecord{
            static_cast<uint16_t>(first), static_cast<uint16_t>(std::min(per_shape, n - first)), kShapeOutline, 0, kBlack};
    return StoreDrawing(library, static_cast<int16_t>(slot), packing);
}

struct Row {
    const char* what;
    int64_t capacity;
    void (*setup)();
    bool (*step)(int n);  // the n-th operation; false when refused or dropped
    int64_t (*held)();
    std::string (*kept)();
    bool (*after)();  // what still works at capacity, or null
};

const Row kRows[] = {
    {"vertices, in strokes of 512", kVertexCapacity, FreshDrawing,
     [](int) { return AddStrokeShape(own, kIdentity, 512, zigzag, kShapeOutline, kBlack); }, Vertices, DrawingBytes,
     [] {  // room for exactly one point after a deletion
         DeleteVertex(own, 0, 0);
         return InsertVertex(own, 3, 7) && !InsertVertex(own, 3, 7) && CheckDrawing(own);
     }},
    {"vertices, inserted one by one", kVertexCapacity, [] { OneStroke(2); }, [](int) { return InsertVertex(own, 0, 0); },
     Vertices, DrawingBytes, nullptr},
    {"vertices, in ellipses", kVertexCapacity, FreshDrawing,
     [](int) { return AddEllipse(own, kIdentity, 0, 0, 10, 10, kBlack); }, Vertices, DrawingBytes, nullptr},
    {"vertices, duplicated", kVertexCapacity, [] { OneStroke(512); }, [](int) { return DuplicateShape(own, 0); },
     Vertices, DrawingBytes, nullptr},
    {"shapes, as rectangles", kShapeCapacity, FreshDrawing,
     [](int) { return AddRectangle(own, kIdentity, 0, 0, 10, 10, kBlack); }, Shapes, DrawingBytes, nullptr},
    {"shapes, duplicated", kShapeCapacity, [] { OneStroke(2); }, [](int) { return DuplicateShape(own, 0); }, Shapes,
     DrawingBytes, nullptr},
    {"stroke points", kStrokeMaxPoints, [] { BeginStroke(ui, zigzag[0].x, zigzag[0].y); },
     [](int n) {
         const uint16_t before = ui.point_count;
         AddStrokePoint(ui, zigzag[n + 1].x, zigzag[n + 1].y);
         return ui.point_count > before;
     },
     [] { return int64_t{ui.point_count}; }, [] { return Bytes(ui.stroke, sizeof ui.stroke); },
     [] { return ui.stroke[kStrokeMaxPoints].y == zigzag[kStrokeMaxPoints - 1].y && ui.stroke[2].y == zigzag[1].y; }},
    // Three drawings at capacity, then two outlines of 850 vertices fill the
    // 10,228 bytes left exactly; one vertex more does not fit.
    {"arena bytes", kArenaBytes, [] { LibraryInit(library); },
     [](int n) { return n < 3 ? Store(n, kVertexCapacity, 4) : Store(n, 1700 + n - 3, 850); },
     [] { return int64_t{library.used}; }, LibraryBytes,
     [] { return Store(1, kVertexCapacity, 4) && library.used == kArenaBytes && CheckLibrary(library); }},
    {"library slots", kSlotCount, [] { LibraryInit(library); }, [](int n) { return Store(n, 1, 1); },
     [] { return int64_t{library.slot_count}; }, LibraryBytes, [] { return !Store(-1, 1, 1) && CheckLibrary(library); }},
    {"actors", kActorCapacity, [] { InitStage(stage, library); ClearStage(stage); },
     [](int n) { return AddActor(stage, static_cast<int16_t>(n % 5)); }, [] { return int64_t{stage.actor_count}; },
     StageBytes, nullptr},
    {"keys", kKeyCapacity, [] {},
     [](int n) { return SetKey(stage, static_cast<int16_t>(n % 5), static_cast<uint16_t>(n / 5), Pose{1, 2, 3, 1638}); },
     [] { return int64_t{stage.key_count}; }, StageBytes,
     [] { return SetKey(stage, 2, 10, Pose{0, 77, 0, 1638}) && stage.keys[52].x == 77; }},  // replaced in place
    {"pick rectangles", kPickCapacity, ResetPickList,
     [](int n) {
         AddPickRect(0, 0, 5, 5, n);
         return pick_list.count > n;
     },
     [] { return int64_t{pick_list.count}; }, [] { return Bytes(&pick_list, sizeof pick_list); }, nullptr},
    {"polygon edges", kEdgePoolSize, [] { ResetTestSurface(); },
     [](int n) {
         AddEdge(surface, n % 240 * 256, 10, (n + 7) % 240 * 256, 300);
         return surface.edges.pool_next - surface.edges.pool > n;
     },
     [] { return int64_t{surface.edges.pool_next - surface.edges.pool}; },
     [] { return Bytes(surface.edges.pool, sizeof surface.edges.pool); },
     [] {  // the fill ends inside the screen and empties the pool
         FillEdges(surface);
         return surface.edges.pool_next == surface.edges.pool;
     }},
};

}  // namespace

// Each row's operations run until the first is refused: the count is the
// capacity, and the refused operation changed nothing.
TEST(Capacity, EachIsReachedAndTheNextOperationChangesNothing) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        row.setup();
        std::string before;
        for (int n = 0; n <= row.capacity; ++n) {
            before = row.kept();
            if (!row.step(n)) break;
        }
        EXPECT_EQ(row.held(), row.capacity);
        EXPECT_EQ(row.kept(), before);
        EXPECT_TRUE(row.after == nullptr || row.after());
    }
    FreeDrawing(own);
    FreeDrawing(packing);
}

// The same through the whole program: a zigzag drag of 700 moves becomes one
// outline of 512 vertices, stored in slot 0 when the editor is chosen again;
// 70 new drawings take slots up to 63, then keep reusing 63; 70 taps on the
// stage's add actor stop at 64, the tabs and the selection still naming actors.
TEST(Capacity, ThroughTheWholeProgram) {
    SessionSource session;
    session.script = "down 20 40\n";
    for (int i = 1; i <= 700; ++i) session.script += "move " + std::to_string(20 + i / 4) + (i % 2 ? " 240\n" : " 40\n");
    session.script += "up\ntap 230 10\ntap 230 10\n";
    for (int i = 0; i < 70; ++i) session.script += "tap 27 10\ndown 60 " + std::to_string(100 + i) + "\nmove 120 200\nup\n";
    session.script += "tap 230 10\ntap 230 30\n";
    for (int i = 0; i < 70; ++i) session.script += "tap 7 310\n";
    RunSessionInProcess(session);
    EXPECT_EQ(MakeDrawingView(library.slots[0].data).shapes[0].count, kStrokeMaxPoints);
    EXPECT_EQ(library.slot_count, kSlotCount);
    EXPECT_EQ(editor.next_new_slot, kLastNewSlot);
    EXPECT_EQ(editor.current_slot, kLastNewSlot);
    EXPECT_EQ(stage.actor_count, kActorCapacity);
    EXPECT_EQ(stage_screen.actor_tab_count, kActorCapacity);
    EXPECT_EQ(stage_screen.selected_actor, kActorCapacity - 1);
}

// The file browser's buffers, on folders made for them.
TEST(Capacity, FileBrowserBuffers) {
    char base[] = "/tmp/kn_capacity_XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    const std::string root = base, a(120, 'a'), b(129, 'b');
    ASSERT_EQ(std::system(("cd " + root + " && mkdir lists names deep tovu && cd lists && for i in $(seq 100 399); do "
                           "touch file_${i}_abcdefghijklmnopqrstuvwxyz0123 && mkdir dir_${i}_abcdefghijklmnopqrstuvwxyz012345; "
                           "done && cd ../names && touch $(printf 'f%.0s' $(seq 255)) && mkdir $(printf 'd%.0s' $(seq 255)) "
                           "$(printf 'e%.0s' $(seq 254)) && mkdir -p ../deep/" + a + "/" + b + " && touch ../deep/" + a + "/" +
                           b + "/x.txt && cd ../deep && mkdir -p $(printf '%050d/' 1 2 3 4 5)").c_str()), 0);
    SetDeviceRoot(root.c_str());
    // 300 files and 300 folders of 40-byte names would need about 12,300
    // bytes per list: each stops short of 8,192 bytes with whole names.
    ListDirectory("\\lists\\*.*", files.file_list, files.directory_list);
    for (const char* list : {files.file_list, files.directory_list}) {
        const std::string items = std::string(list) + "|";
        EXPECT_GT(items.size(), kListBytes - 50);
        EXPECT_LE(items.size(), kListBytes);
        for (size_t at = 0; at < items.size(); at = items.find('|', at) + 1)
            EXPECT_EQ(items.find('|', at) - at, list == files.file_list ? 39u : 41u) << items.substr(at, 50);
    }
    char small_files[64], small_dirs[64];
    ListDirectory("\\lists\\*.*", small_files, small_dirs, sizeof small_files);
    EXPECT_EQ(CountItems(small_files, kItemSeparator), 1);
    // Names of 255 bytes: a file fits a 256-byte name, a folder with its
    // leading backslash does not and is left out whole.
    ListDirectory("\\names\\*.*", files.file_list, files.directory_list);
    EXPECT_EQ(std::string(files.file_list), std::string(255, 'f'));
    EXPECT_EQ(std::string(files.directory_list), "\\" + std::string(254, 'e'));
    // A search pattern of 255 characters lists the folder; one more lists nothing.
    ListDirectory(("\\deep\\" + a + "\\" + b + "\\*.*").substr(5).c_str(), files.file_list, files.directory_list);
    EXPECT_STREQ(files.file_list, "");
    SetDeviceRoot((root + "/deep").c_str());
    ListDirectory(("\\" + a + "\\" + b + "\\*.*").c_str(), files.file_list, files.directory_list);
    EXPECT_STREQ(files.file_list, "x.txt");
    ListDirectory(("\\" + a + "\\" + b + "\\\\*.*").c_str(), files.file_list, files.directory_list);
    EXPECT_STREQ(files.file_list, "");
    (void)std::system(("rm -rf " + root).c_str());
}
