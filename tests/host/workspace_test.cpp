// The workspace image: exact round trips, damage refused whole, and the
// version-1 file that later versions must keep reading.
#include "host/workspace.h"

#include <dirent.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "animation/stage.h"
#include "drawing/library.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "platform/safe_files.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"
#include "../../fuzz/workspace_target.h"

using Image = std::vector<uint8_t>;

Image Snapshot() {
    Image image(kWorkspaceCapacity);
    image.resize(WriteWorkspace(image.data(), image.size(), kModeDrawing));
    return image;
}

bool Load(const Image& image, const char** why = nullptr) {
    return ReadWorkspace(image.data(), image.size(), why);
}

// A fresh program: every kept object back at its start value.
void ForgetEverything() {
    ResetScreenControls();
    ResetEditor();
    ResetPicker();
    ResetStageScreen();
    LibraryInit(library);
    ClearStage(stage);
    drawing.vertex_count = drawing.shape_count = 0;
}

// Shapes, slots, actors with keys and odd selections, from a seed.
void BuildState(uint32_t seed) {
    auto next = [&seed](int n) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 8) % n; };
    for (int slot = 0; slot < 6; ++slot) {
        drawing.vertex_count = drawing.shape_count = 0;
        for (int k = 0; k < 3 + next(20); ++k) {
            const int16_t x = static_cast<int16_t>(next(200)), y = static_cast<int16_t>(next(280));
            const ColourRecord c = MakeColour(next(256), next(256), next(256), next(256));
            if (next(2)) AddRectangle(drawing, editor.inverse_view, x, y, x + 30, y + 20, c);
            else AddEllipse(drawing, editor.inverse_view, x, y, 15, 9, c);
        }
        ASSERT_TRUE(StoreDrawing(library, static_cast<int16_t>(slot * 2), drawing));
    }
    AddRectangle(drawing, editor.inverse_view, 5, 5, 40, 40, MakeColour(1, 2, 3, 255));  // an edit not yet stored
    for (int a = 0; a < 5; ++a) ASSERT_TRUE(AddActor(stage, static_cast<int16_t>(2 * next(6))));
    for (int k = 0; k < 40; ++k) {
        const int16_t a = static_cast<int16_t>(next(5));
        MoveActor(stage, a, static_cast<int16_t>(next(90) - 45), static_cast<int16_t>(next(90) - 45));
        SetActorAngle(stage, a, static_cast<int16_t>(next(3600)));
        ASSERT_TRUE(SetKey(stage, a, static_cast<uint16_t>(next(200)), stage.actors[a].pose));
    }
    InterpolateFrame(stage, 77);
    controls.mode = kModeAnimation;
    stage_screen = StageScreenState{3, 5, 77, 12, 4242};
    editor.tool = kToolEditVertices;
    editor.current_slot = editor.drawing_slot = 10;
    editor.next_new_slot = 11;
    editor.selected_shape = 700 % (drawing.shape_count + 3);
    editor.selected_vertex = 9;
    current_colour = MakeColour(10, 200, 30, 128);
    SyncPickerFromColour(current_colour);
}

class Workspace : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform;
        ResetHeadless();
        platform = HeadlessBackend();
        SetDeviceRoot(KN_ASSET_DIR "/device");
        ResetTestSurface();
        StartProgram();
    }
    void TearDown() override {
        StopProgram();
        platform = saved_;
    }
    const PlatformBackend* saved_;
};

TEST_F(Workspace, LoadingIntoAFreshProgramGivesTheSameStateAndScreen) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        ForgetEverything();
        BuildState(seed);
        const Image before = Snapshot();
        ASSERT_GT(before.size(), 8u);
        ForgetEverything();
        const char* why = "";
        ASSERT_TRUE(Load(before, &why)) << why;
        EXPECT_EQ(Snapshot(), before) << "seed " << seed;
        EXPECT_EQ(ui.canvas_mode, 0);  // the animation screen draws no strokes
        EXPECT_EQ(pick_list.count, stage.actor_count);
    }
    // The editor with the vertex tool: its canvas and handle picks come back.
    controls.mode = kModeDrawing;
    editor.selected_shape = 0;
    const Image editing = Snapshot();
    ForgetEverything();
    ASSERT_TRUE(Load(editing));
    EXPECT_EQ(pick_list.count, drawing.shapes[0].count);
}

// A payload changed and its checksum made good again: only the values are wrong.
Image Forge(Image image, const char* tag, const std::function<void(uint8_t*, uint32_t)>& change) {
    for (size_t at = 8; at + 8 <= image.size();) {
        uint32_t length;
        std::memcpy(&length, &image[at + 4], 4);
        if (std::memcmp(&image[at], tag, 4) == 0) {
            change(&image[at + 8], length);
            const uint32_t crc = Crc32(0, &image[at + 8], length);
            std::memcpy(&image[at + 8 + length], &crc, 4);
            return image;
        }
        at += 12 + length;
    }
    ADD_FAILURE() << "no section " << tag;
    return image;
}

void PutI32(uint8_t* p, int32_t v) { std::memcpy(p, &v, 4); }
void PutI16(uint8_t* p, int16_t v) { std::memcpy(p, &v, 2); }

TEST_F(Workspace, DamageIsRefusedWholeAndChangesNothing) {
    BuildState(7);
    const Image good = Snapshot();
    ForgetEverything();
    BuildState(8);
    const Image current = Snapshot();

    std::vector<std::pair<std::string, Image>> bad;
    for (size_t cut = 0; cut < good.size(); cut += cut < 64 ? 1 : 97) bad.push_back({"cut", Image(good.begin(), good.begin() + cut)});
    for (size_t bit = 0; bit < good.size() * 8; bit += 331) {
        Image flipped = good;
        flipped[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8));
        bad.push_back({"bit " + std::to_string(bit), flipped});
    }
    Image newer = good;
    newer[4] = kWorkspaceVersion + 1;
    bad.push_back({"newer version", newer});
    Image extra = good;
    extra.push_back(0);
    bad.push_back({"trailing byte", extra});
    Image twice = good;
    twice.insert(twice.end(), good.begin() + 8, good.end());
    bad.push_back({"sections twice", twice});
    // Values out of their ranges, with good checksums: offsets within each payload.
    const struct { const char* tag; uint32_t offset; int32_t value; bool wide; } kForged[] = {
        {"SCRN", 0, 4, true},   {"SCRN", 8, 64, true},    {"SCRN", 12, 65, true},  {"SCRN", 16, 261, true},
        {"EDIT", 0, 6, true},   {"EDIT", 4, 64, true},    {"EDIT", 8, 0, true},    {"EDIT", 16, -2, true},
        {"COLR", 4, 0x1234, false}, {"COLR", 10, 240, true}, {"COLR", 14, 256, true},
        {"DRAW", 0, 2049, false}, {"LIBR", 0, 65, false}, {"STAG", 0, 65, false},
        {"STAG", 2, 64, false},  // the first actor's slot
        {"STAG", 12, -1, true},  // its previous key frame
    };
    for (const auto& f : kForged)
        bad.push_back({std::string(f.tag) + " at " + std::to_string(f.offset),
                       Forge(good, f.tag, [&](uint8_t* p, uint32_t) {
                           if (f.wide) PutI32(p + f.offset, f.value); else PutI16(p + f.offset, static_cast<int16_t>(f.value));
                       })});
    bad.push_back({"a key of actor 64", Forge(good, "STAG", [](uint8_t* p, uint32_t n) { PutI16(p + n - 10, 64); })});
    bad.push_back({"a shape kind 1", Forge(good, "DRAW", [](uint8_t* p, uint32_t) {
                       uint16_t vertices;
                       std::memcpy(&vertices, p, 2);
                       p[2 + 6 * vertices + 2 + 4] = 1;
                   })});

    for (const auto& [what, image] : bad) {
        const char* why = nullptr;
        EXPECT_FALSE(Load(image, &why)) << what;
        EXPECT_NE(why, nullptr) << what;
        ASSERT_EQ(Snapshot(), current) << what << " changed the program's state";
    }
    EXPECT_TRUE(Load(good));
}

// A file written by the first version of the format, kept in the tree.
TEST_F(Workspace, ReadsTheFirstVersionsFile) {
    Image image(kWorkspaceCapacity);
    size_t size = 0;
    ASSERT_EQ(ReadWholeFile(KN_TEST_DIR "/host/workspace-v1.knw", image.data(), image.size(), &size),
              ReadResult::kRead);
    image.resize(size);
    const char* why = "";
    ASSERT_TRUE(Load(image, &why)) << why;
    EXPECT_EQ(controls.mode, kModeAnimation);
    EXPECT_EQ(library.slot_count, 2);
    EXPECT_EQ(stage.actor_count, 2);
    EXPECT_EQ(stage.key_count, 2);
    EXPECT_EQ(drawing.shape_count, 1);  // slot B, edited last
}

// The fuzzer's corpus, replayed: each file is refused or read as a state the
// program can hold (the target aborts otherwise).
TEST_F(Workspace, TheFuzzCorpusIsRefusedOrReadSafely) {
    const std::string folder = KN_TEST_DIR "/../fuzz/corpus/workspace_reader";
    DIR* dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr);
    int files = 0;
    Image bytes(kWorkspaceCapacity + 1);
    while (const dirent* entry = readdir(dir)) {
        size_t size = 0;
        if (entry->d_name[0] == '.') continue;
        ReadWholeFile((folder + "/" + entry->d_name).c_str(), bytes.data(), bytes.size(), &size);
        EXPECT_EQ(fuzz::WorkspaceInput(bytes.data(), size), 0);
        ++files;
    }
    closedir(dir);
    EXPECT_GT(files, 2);
}
