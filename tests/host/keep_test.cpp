// Keeping the work in a file: across runs of the program, through damage,
// failed saves, a full disk and a save killed at any moment.
#include "host/keep.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "host/workspace.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "platform/safe_files.h"
#include "screens/drawing_editor.h"
#include "shell/main_loop.h"
#include "support/test_surface.h"

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Spit(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/kn-keep-XXXXXX";
        path = mkdtemp(name);
    }
    ~Folder() { std::system(("rm -rf " + path).c_str()); }
};

// Runs the program on a script; its exit status, and what it printed on stderr.
int RunScript(const Folder& f, const std::string& script, const std::string& options, std::string* errors = nullptr) {
    Spit(f.path + "/s.script", script);
    const std::string command = std::string(KN_EXECUTABLE) + " --script " + f.path + "/s.script --out " +
                                f.path + " " + options + " 2>" + f.path + "/stderr.txt >/dev/null";
    const int status = std::system(command.c_str());
    if (errors != nullptr) *errors = Slurp(f.path + "/stderr.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A rectangle, then the animation screen (the mode selector saves too).
const char kDrawThenAnimate[] = "tap 210 10\ntap 210 50\ndrag 60 100 120 160 4\ntap 230 10\ntap 230 30\nwait 20\nshot a.png\n";
const char kJustLook[] = "wait 20\nshot b.png\n";

TEST(KeepWork, AScriptRunKeepsItsWorkOnlyWhenAsked) {
    Folder f;
    const std::string keep = "--workspace " + f.path + "/w.knw";
    ASSERT_EQ(RunScript(f, kDrawThenAnimate, keep), 0);
    ASSERT_EQ(RunScript(f, kJustLook, keep), 0);
    EXPECT_EQ(Slurp(f.path + "/a.png"), Slurp(f.path + "/b.png")) << "the second run opens where the first ended";
    ASSERT_EQ(RunScript(f, kJustLook, ""), 0);
    EXPECT_NE(Slurp(f.path + "/a.png"), Slurp(f.path + "/b.png")) << "without --workspace nothing is kept";
    EXPECT_FALSE(Exists(f.path + "/w.knw.refused-1"));
}

TEST(KeepWork, ADamagedFileIsMovedAsideAndNeverWrittenOver) {
    Folder f;
    const std::string file = f.path + "/w.knw", keep = "--workspace " + file;
    for (int k = 1; k <= 2; ++k) {
        const std::string damaged = "KNWS\x01\x00\x00\x00 not what it should be " + std::to_string(k);
        Spit(file, damaged);
        std::string errors;
        ASSERT_EQ(RunScript(f, kDrawThenAnimate, keep, &errors), 0);
        const std::string aside = file + ".refused-" + std::to_string(k);
        EXPECT_EQ(Slurp(aside), damaged) << "kept whole as " << aside;
        EXPECT_NE(errors.find(file + " was refused"), std::string::npos) << errors;
        EXPECT_NE(errors.find(aside), std::string::npos) << errors;
    }
    // The fresh work of the last run was saved and opens again.
    ASSERT_EQ(RunScript(f, kJustLook, keep), 0);
    EXPECT_EQ(Slurp(f.path + "/a.png"), Slurp(f.path + "/b.png"));
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
    Folder folder_;
};

int files_changed = 0;
void CountFilesChanged() { ++files_changed; }

// A folder that cannot be made: one message, the work stays, the next save
// after the obstacle is gone succeeds. Only the save that wrote the file
// tells the host to copy it out.
TEST_F(SaveFaults, AnUnwritableFolderGetsOneMessageAndTheNextSaveTriesAgain) {
    const std::string blocker = folder_.path + "/data";
    Spit(blocker, "a file where the folder should be");
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
    EXPECT_TRUE(Exists(blocker + "/workspace.knw"));
    EXPECT_EQ(files_changed, 1);
    SetKeptFilesChanged(nullptr);
}

// The file-size limit stands for a full disk: the save fails and the file
// on disk is still the last good one.
TEST_F(SaveFaults, AFullDiskLeavesTheOldWorkspace) {
    const std::string file = folder_.path + "/w.knw";
    KeepWorkIn(file.c_str());
    ASSERT_TRUE(SaveWorkspaceNow());
    const std::string before = Slurp(file);
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
    EXPECT_EQ(Slurp(file), before);
    RemoveStaleTemporaries(file.c_str());
}

// A writer killed at any moment leaves the old file or the new one, whole.
TEST_F(SaveFaults, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    const std::string file = folder_.path + "/w.knw";
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
        const std::string now = Slurp(file);
        const std::vector<uint8_t> bytes(now.begin(), now.end());
        ASSERT_TRUE(bytes == images[0] || bytes == images[1]) << "round " << round;
        ASSERT_TRUE(ReadWorkspace(bytes.data(), bytes.size(), nullptr)) << "round " << round;
    }
    // The killed writers' temporary files are cleared away at the next load.
    RemoveStaleTemporaries(file.c_str());
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1);
}

}  // namespace
