// The workspace image and the file that keeps it: exact round trips, damage
// refused whole, the version-1 file read still; through failed saves and a
// save killed at any moment.
#include "host/workspace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "animation/stage.h"
#include "drawing/library.h"
#include "host/keep.h"
#include "host/undo.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "platform/safe_files.h"
#include "scene_generator.h"
#include "scenes.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "support/headless_run.h"
#include "support/test_surface.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"

namespace {

using Image = std::vector<uint8_t>;

Image Snapshot() {
    Image image(kWorkspaceCapacity);
    image.resize(WriteWorkspace(image.data(), image.size(), kModeDrawing));
    return image;
}

bool Load(const Image& image, const char** why = nullptr) {
    return ReadWorkspace(image.data(), image.size(), why);
}

// A fresh program, started as the program starts.
void Restart() {
    StopProgram();
    StartProgram();
}

// A full stage over eight stored drawings, an edit not yet stored, and odd
// screen, editor and colour settings, from a seed.
void BuildState(int seed) {
    ASSERT_TRUE(LoadPlaybackScene());
    ASSERT_TRUE(GenerateScene(drawing, SceneParams{static_cast<uint32_t>(seed), 40, 1200, 1600, 40, 320}));
    ASSERT_TRUE(SetKey(stage, static_cast<int16_t>(seed), static_cast<uint16_t>(seed * 17), stage.actors[0].pose));
    InterpolateFrame(stage, 10 * seed);
    controls.mode = kModeAnimation;
    stage_screen = StageScreenState{3, 5, 77, 12, 4242};
    editor.tool = kToolEditVertices;
    editor.current_slot = editor.drawing_slot = 6;
    editor.next_new_slot = 8;
    editor.selected_shape = seed * 5;
    editor.selected_vertex = 9;
    current_colour = MakeColour(10, 200, 30, seed * 30);
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
        KeepWorkIn(nullptr);
        StopProgram();
        platform = saved_;
    }
    const PlatformBackend* saved_;
    TemporaryFolder folder_;
};

// The image with a value of width bytes written into a section's payload, at
// offset (from its end when negative), and the checksum made good again:
// only the value is wrong.
Image Forge(Image image, const char* tag, int32_t offset, int32_t value, size_t width) {
    for (size_t at = 8; at + 8 <= image.size();) {
        uint32_t length;
        std::memcpy(&length, &image[at + 4], 4);
        if (std::memcmp(&image[at], tag, 4) == 0) {
            std::memcpy(&image[at + 8 + (offset < 0 ? length : 0) + offset], &value, width);
            const uint32_t crc = Crc32(0, &image[at + 8], length);
            std::memcpy(&image[at + 8 + length], &crc, 4);
            return image;
        }
        at += 12 + length;
    }
    ADD_FAILURE() << "no section " << tag;
    return image;
}

// A damaged image is refused whole and changes nothing; a good one read into
// a fresh program gives back the state and the screen it holds. A file of the
// first version of the format, kept in the tree, reads still.
TEST_F(Workspace, ImagesComeBackExactlyAndDamageIsRefusedWhole) {
    BuildState(7);
    const Image good = Snapshot();
    Restart();
    BuildState(8);
    const Image current = Snapshot();

    const auto changed = [&good](auto change) { Image image = good; change(image); return image; };
    std::vector<std::pair<std::string, Image>> bad = {
        {"newer version", changed([](Image& i) { i[4] = kWorkspaceVersion + 1; })},
        {"trailing byte", changed([](Image& i) { i.push_back(0); })},
        {"sections twice", changed([&good](Image& i) { i.insert(i.end(), good.begin() + 8, good.end()); })}};
    for (size_t cut = 0; cut < good.size(); cut += cut < 64 ? 1 : 97) bad.push_back({"cut", Image(good.begin(), good.begin() + cut)});
    for (size_t bit = 0; bit < good.size() * 8; bit += 331)
        bad.push_back({"bit " + std::to_string(bit), changed([bit](Image& i) { i[bit / 8] ^= static_cast<uint8_t>(1 << (bit % 8)); })});
    // Values out of their ranges, with good checksums.
    const int32_t first_kind = static_cast<int32_t>(2 + 6 * SceneVertexCount(40) + 2 + 4);  // of the edited drawing's first shape
    const struct { const char* tag; int32_t offset; int32_t value; size_t width; } kForged[] = {
        {"SCRN", 0, 4, 4},   {"SCRN", 8, 64, 4},    {"SCRN", 12, 65, 4},  {"SCRN", 16, 261, 4},
        {"EDIT", 0, 6, 4},   {"EDIT", 4, 64, 4},    {"EDIT", 8, 0, 4},    {"EDIT", 16, -2, 4},
        {"COLR", 4, 0x1234, 2}, {"COLR", 10, 240, 4}, {"COLR", 14, 256, 4},
        {"DRAW", 0, 2049, 2}, {"DRAW", first_kind, 1, 1}, {"LIBR", 0, 65, 2}, {"STAG", 0, 65, 2},
        {"STAG", 2, 64, 2},    // the first actor's slot
        {"STAG", 12, -1, 4},   // its previous key frame
        {"STAG", -10, 64, 2},  // the last key's actor
    };
    for (const auto& f : kForged)
        bad.push_back({std::string(f.tag) + " at " + std::to_string(f.offset), Forge(good, f.tag, f.offset, f.value, f.width)});

    for (const auto& [what, image] : bad) {
        const char* why = nullptr;
        EXPECT_FALSE(Load(image, &why)) << what;
        EXPECT_NE(why, nullptr) << what;
        ASSERT_EQ(Snapshot(), current) << what << " changed the program's state";
    }
    Restart();
    const char* why = "";
    ASSERT_TRUE(Load(good, &why)) << why;
    EXPECT_EQ(Snapshot(), good);
    EXPECT_EQ(ui.canvas_mode, 0);  // the animation screen draws no strokes
    EXPECT_EQ(pick_list.count, stage.actor_count);
    // The editor with the vertex tool: its canvas and handle picks come back.
    controls.mode = kModeDrawing;
    editor.selected_shape = 0;
    const Image editing = Snapshot();
    Restart();
    ASSERT_TRUE(Load(editing));
    EXPECT_EQ(pick_list.count, drawing.shapes[0].count);
    const std::string first_version = ReadFile(KN_TEST_DIR "/host/workspace-v1.knw");
    ASSERT_TRUE(Load(Image(first_version.begin(), first_version.end())));
    // Two slots, two actors with a key each; slot B, with one shape, edited last.
    EXPECT_EQ(std::vector<int>({controls.mode, library.slot_count, stage.actor_count, stage.key_count, drawing.shape_count}),
              std::vector<int>({kModeAnimation, 2, 2, 2, 1}));
}

// Runs the program on a script in folder f; its exit status and what it printed.
ProgramRun RunScript(const TemporaryFolder& f, const std::string& script, const std::string& options) {
    WriteFile(f.Path() + "/s.script", script);
    return RunProgram("--script " + f.Path() + "/s.script --out " + f.Path() + " " + options, f.Path());
}

// A rectangle, then the animation screen (the mode selector saves too).
const char kDrawThenAnimate[] = "tap 210 10\ntap 210 50\ndrag 60 100 120 160 4\ntap 230 10\ntap 230 30\nwait 20\nshot a.png\n";
const char kJustLook[] = "wait 20\nshot b.png\n";

// A run opens where the last kept run ended, and only with --workspace; a
// damaged file is moved aside whole, never written over.
TEST(KeepWork, RunsKeepTheirWorkAndSetDamageAside) {
    TemporaryFolder f;
    const std::string file = f.Path() + "/w.knw", keep = "--workspace " + file;
    ASSERT_EQ(RunScript(f, kDrawThenAnimate, keep).status, 0);
    ASSERT_EQ(RunScript(f, kJustLook, keep).status, 0);
    EXPECT_EQ(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png")) << "the second run opens where the first ended";
    ASSERT_EQ(RunScript(f, kJustLook, "").status, 0);
    EXPECT_NE(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png")) << "without --workspace nothing is kept";
    // A damaged file goes aside whole under the first free name.
    const std::string damaged = "KNWS\x01\x00\x00\x00 not what it should be";
    WriteFile(file, damaged);
    WriteFile(file + ".refused-1", "set aside before");
    const ProgramRun run = RunScript(f, kDrawThenAnimate, keep);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(file + ".refused-1") + ReadFile(file + ".refused-2"), "set aside before" + damaged);
    EXPECT_NE(run.err.find(file + " was refused"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the file is kept as " + file + ".refused-2\n"), std::string::npos) << run.err;
    // The fresh work of the last run was saved and opens again.
    ASSERT_EQ(RunScript(f, kJustLook, keep).status, 0);
    EXPECT_EQ(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png"));
}

int files_changed = 0;

// A folder that cannot be made: one message, the work stays, the next save
// after the obstacle is gone succeeds. Only the save that wrote the file
// tells the host to copy it out.
TEST_F(Workspace, AnUnwritableFolderGetsOneMessageAndTheNextSaveTriesAgain) {
    const std::string blocker = folder_.Path() + "/data";
    WriteFile(blocker, "a file where the folder should be");
    KeepWorkIn((blocker + "/workspace.knw").c_str());
    files_changed = 0;
    SetKeptFilesChanged([] { ++files_changed; });
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveWorkspaceNow() || SaveWorkspaceNow());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("cannot save"), said.rfind("cannot save")) << "one message: " << said;
    EXPECT_EQ(files_changed, 0);
    ASSERT_EQ(unlink(blocker.c_str()), 0);
    ASSERT_TRUE(AddRectangle(drawing, editor.inverse_view, 10, 10, 50, 50, MakeColour(1, 2, 3, 255)));
    EXPECT_TRUE(SaveWorkspaceNow() && std::filesystem::exists(blocker + "/workspace.knw"));
    EXPECT_EQ(files_changed, 1);
    EXPECT_GT(library.slots[editor.drawing_slot].size, 4u) << "the edited drawing is stored into its slot first";
    SetKeptFilesChanged(nullptr);
}

// An undo brings the model back and leaves the colour as it is.
TEST_F(Workspace, UndoBringsBackTheModelAndKeepsTheColour) {
    ASSERT_TRUE(InitUndo());
    ResetUndoHistory();
    ASSERT_TRUE(AddRectangle(drawing, editor.inverse_view, 10, 10, 50, 50, MakeColour(1, 2, 3, 255)));
    RecordChange();
    current_colour = MakeColour(200, 100, 50, 128);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(drawing.shape_count, 0u);
    EXPECT_EQ(std::tuple(current_colour.red, current_colour.alpha), std::tuple(200, 128));
    FreeUndo();
}

// A save killed at any moment leaves the old file or the new one, whole (a
// write stopped by a full disk is one of the command line's refusals); the
// killed writers' temporary files are cleared away at the next load.
TEST_F(Workspace, AKilledSaveLeavesTheOldOrTheNewFile) {
    const std::string file = folder_.Path() + "/w.knw";
    Image images[2];
    for (Image& image : images) {
        image = Snapshot();
        for (int k = 0; k < 40; ++k)
            ASSERT_TRUE(AddEllipse(drawing, editor.inverse_view, static_cast<int16_t>(5 * k), 100, 20, 10, MakeColour(0, k, 0, 255)));
    }
    ASSERT_TRUE(WriteFileAtomically(file.c_str(), images[0].data(), images[0].size()));
    std::mt19937 random(5);
    for (int round = 0; round < 1000; ++round) {
        const pid_t child = fork();
        if (child == 0)
            for (int i = 0;; ++i) WriteFileAtomically(file.c_str(), images[i & 1].data(), images[i & 1].size());
        usleep(random() % 2000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = ReadFile(file);
        ASSERT_TRUE(Image(now.begin(), now.end()) == images[0] || Image(now.begin(), now.end()) == images[1]) << round;
    }
    RemoveStaleTemporaries(file.c_str());
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1);
}

}  // namespace
