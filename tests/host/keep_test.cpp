// Keeping the work in a file: across runs of the program, through damage,
// failed saves, a full disk and a save killed at any moment.
#include "host/keep.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "host/workspace.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "platform/safe_files.h"
#include "screens/drawing_editor.h"
#include "shell/main_loop.h"
#include "support/headless_run.h"
#include "support/test_surface.h"

namespace {

// Runs the program on a script in folder f; its exit status and what it printed.
ProgramRun RunScript(const TemporaryFolder& f, const std::string& script, const std::string& options) {
    WriteFile(f.Path() + "/s.script", script);
    return RunProgram("--script " + f.Path() + "/s.script --out " + f.Path() + " " + options, f.Path());
}

// A rectangle, then the animation screen (the mode selector saves too).
const char kDrawThenAnimate[] = "tap 210 10\ntap 210 50\ndrag 60 100 120 160 4\ntap 230 10\ntap 230 30\nwait 20\nshot a.png\n";
const char kJustLook[] = "wait 20\nshot b.png\n";

TEST(KeepWork, AScriptRunKeepsItsWorkOnlyWhenAsked) {
    TemporaryFolder f;
    const std::string keep = "--workspace " + f.Path() + "/w.knw";
    ASSERT_EQ(RunScript(f, kDrawThenAnimate, keep).status, 0);
    ASSERT_EQ(RunScript(f, kJustLook, keep).status, 0);
    EXPECT_EQ(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png")) << "the second run opens where the first ended";
    ASSERT_EQ(RunScript(f, kJustLook, "").status, 0);
    EXPECT_NE(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png")) << "without --workspace nothing is kept";
    EXPECT_FALSE(std::filesystem::exists(f.Path() + "/w.knw.refused-1"));
}

TEST(KeepWork, ADamagedFileIsMovedAsideAndNeverWrittenOver) {
    TemporaryFolder f;
    const std::string file = f.Path() + "/w.knw", keep = "--workspace " + file;
    for (int k = 1; k <= 2; ++k) {
        const std::string damaged = "KNWS\x01\x00\x00\x00 not what it should be " + std::to_string(k);
        WriteFile(file, damaged);
        const ProgramRun run = RunScript(f, kDrawThenAnimate, keep);
        ASSERT_EQ(run.status, 0);
        const std::string aside = file + ".refused-" + std::to_string(k);
        EXPECT_EQ(ReadFile(aside), damaged) << "kept whole as " << aside;
        EXPECT_NE(run.err.find(file + " was refused"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(aside), std::string::npos) << run.err;
    }
    // The fresh work of the last run was saved and opens again.
    ASSERT_EQ(RunScript(f, kJustLook, keep).status, 0);
    EXPECT_EQ(ReadFile(f.Path() + "/a.png"), ReadFile(f.Path() + "/b.png"));
}

class SaveFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform;
        ResetHeadless();
        platform = HeadlessBackend();
        SetDeviceRoot(KN_ASSET_DIR "/device");
        ResetTestSurface();
        StartProgram();
        ASSERT_TRUE(AddRectangle(drawing, editor.inverse_view, 10, 10, 90, 90, MakeColour(1, 2, 3, 255)));
    }
    void TearDown() override {
        KeepWorkIn(nullptr);
        StopProgram();
        platform = saved_;
    }
    const PlatformBackend* saved_;
    TemporaryFolder folder_;
};

int files_changed = 0;
void CountFilesChanged() { ++files_changed; }

// A folder that cannot be made: one message, the work stays, the next save
// after the obstacle is gone succeeds. Only the save that wrote the file
// tells the host to copy it out.
TEST_F(SaveFaults, AnUnwritableFolderGetsOneMessageAndTheNextSaveTriesAgain) {
    const std::string blocker = folder_.Path() + "/data";
    WriteFile(blocker, "a file where the folder should be");
    KeepWorkIn((blocker + "/workspace.knw").c_str());
    files_changed = 0;
    SetKeptFilesChanged(CountFilesChanged);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveWorkspaceNow());
    EXPECT_FALSE(SaveWorkspaceNow());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("cannot save"), said.rfind("cannot save")) << "one message: " << said;
    EXPECT_EQ(files_changed, 0);
    ASSERT_EQ(unlink(blocker.c_str()), 0);
    EXPECT_TRUE(SaveWorkspaceNow());
    EXPECT_TRUE(std::filesystem::exists(blocker + "/workspace.knw"));
    EXPECT_EQ(files_changed, 1);
    SetKeptFilesChanged(nullptr);
}

// The file-size limit stands for a full disk: the save fails and the file
// on disk is still the last good one.
TEST_F(SaveFaults, AFullDiskLeavesTheOldWorkspace) {
    const std::string file = folder_.Path() + "/w.knw";
    KeepWorkIn(file.c_str());
    ASSERT_TRUE(SaveWorkspaceNow());
    const std::string before = ReadFile(file);
    for (int k = 0; k < 40; ++k)
        ASSERT_TRUE(AddEllipse(drawing, editor.inverse_view, static_cast<int16_t>(5 * k), 60, 30, 20, MakeColour(k, 0, 0, 255)));
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {static_cast<rlim_t>(before.size() + 100), static_cast<rlim_t>(before.size() + 100)};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(SaveWorkspaceNow() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save must fail";
    EXPECT_EQ(ReadFile(file), before);
    RemoveStaleTemporaries(file.c_str());
}

// A writer killed at any moment leaves the old file or the new one, whole.
TEST_F(SaveFaults, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    const std::string file = folder_.Path() + "/w.knw";
    std::vector<uint8_t> images[2];
    for (auto& image : images) {
        image.resize(kWorkspaceCapacity);
        image.resize(WriteWorkspace(image.data(), image.size(), 0));
        for (int k = 0; k < 30; ++k)
            AddEllipse(drawing, editor.inverse_view, static_cast<int16_t>(7 * k), 100, 20, 10, MakeColour(0, k, 0, 255));
    }
    ASSERT_NE(images[0], images[1]);
    ASSERT_TRUE(WriteFileAtomically(file.c_str(), images[0].data(), images[0].size()));
    std::mt19937 random(5);
    for (int round = 0; round < 1000; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i) WriteFileAtomically(file.c_str(), images[i & 1].data(), images[i & 1].size());
        }
        usleep(random() % 2000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = ReadFile(file);
        const std::vector<uint8_t> bytes(now.begin(), now.end());
        ASSERT_TRUE(bytes == images[0] || bytes == images[1]) << "round " << round;
        ASSERT_TRUE(ReadWorkspace(bytes.data(), bytes.size(), nullptr)) << "round " << round;
    }
    // The killed writers' temporary files are cleared away at the next load.
    RemoveStaleTemporaries(file.c_str());
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1);
}

}  // namespace
