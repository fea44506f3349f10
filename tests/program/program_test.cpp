// The kalvenorix executable as a user runs it: options, script errors, and a
// headless session that writes a screenshot.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/host_files.h"

namespace {

struct ProgramRun {
    int status;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path) {
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// Runs the executable with the given arguments (already quoted for the
// shell), with no display, and collects its status and output.
ProgramRun RunProgram(const std::string& arguments, const std::string& folder) {
    std::string out = folder + "/stdout.txt", err = folder + "/stderr.txt";
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 120 '" +
                          std::string(KN_EXECUTABLE) + "' " + arguments + " >'" + out + "' 2>'" +
                          err + "' </dev/null";
    int raw = std::system(command.c_str());
    ProgramRun run = {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

class Program : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kn_program_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf '" + folder + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    void WriteScript(const std::string& name, const char* text) {
        FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
    }
    std::string Root() const { return std::string("--root '") + KN_ASSET_DIR "/device'"; }
    std::string folder;
};

}  // namespace

TEST_F(Program, VersionAndHelp) {
    ProgramRun version = RunProgram("--version", folder);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "KalveNorix [0.12]\nfile version 1.0.0.1\n");

    ProgramRun help = RunProgram("--help", folder);
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--script", "--out", "--root", "--scale", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(Program, BadOptionsExitWithStatusTwo) {
    const char* bad[] = {"--frobnicate", "--script", "--scale 0", "--scale 7", "--scale two",
                         "--scale=", "--root /nonexistent/kn", "--out /nonexistent/kn", "extra"};
    for (const char* arguments : bad) {
        ProgramRun run = RunProgram(arguments, folder);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("kalvenorix: "), std::string::npos) << arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << arguments;
    }
    ProgramRun unknown = RunProgram("--frobnicate", folder);
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
}

TEST_F(Program, ScriptErrorsNameTheLineBeforeAnythingRuns) {
    WriteScript("bad.script", "# start\ntap 10 10\nshot early.png\ntap ten 10\n");
    ProgramRun run = RunProgram("--script '" + folder + "/bad.script' --out '" + folder + "' " + Root(), folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("bad.script:4: \"ten\" is not a decimal integer"), std::string::npos)
        << run.err;
    struct stat info;
    EXPECT_NE(stat((folder + "/early.png").c_str(), &info), 0) << "nothing may run";

    ProgramRun missing = RunProgram("--script '" + folder + "/none.script' " + Root(), folder);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.script"), std::string::npos) << missing.err;
}

TEST_F(Program, HeadlessSessionWritesScreenshots) {
    WriteScript("tiny.script", "wait 100\nshot first.png\ntap 120 160\nwait 50\nshot second.png\n");
    ProgramRun run = RunProgram("--script '" + folder + "/tiny.script' --out '" + folder + "' " + Root(), folder);
    EXPECT_EQ(run.status, 0) << run.err;
    SetDeviceRoot(folder.c_str());
    for (const char* shot : {"\\first.png", "\\second.png"}) {
        DecodedImage image;
        ASSERT_TRUE(DecodeImageFile(shot, &image)) << shot;
        EXPECT_EQ(image.width, 240);
        EXPECT_EQ(image.height, 320);
        FreeDecodedImage(&image);
    }
}

TEST_F(Program, FindsItsBundledDeviceFolder) {
    WriteScript("plain.script", "tap 100 100\n");
    ProgramRun run = RunProgram("--script '" + folder + "/plain.script'", folder);
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(Program, AScreenshotThatCannotBeWrittenFailsTheRun) {
    WriteScript("lost.script", "tap 100 100\nshot missing/lost.png\ntap 50 50\n");
    ProgramRun run =
        RunProgram("--script '" + folder + "/lost.script' --out '" + folder + "' " + Root(), folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("lost.script:2: cannot write the screenshot"), std::string::npos) << run.err;
}

TEST_F(Program, QuittingBeforeTheScriptEndsNamesTheLinesLeft) {
    // The mode selector's popup, then its last item: quit. Two lines remain.
    WriteScript("quit.script",
                "tap 230 10\n"
                "tap 230 90\n"
                "tap 100 100\n"
                "wait 10\n");
    ProgramRun run = RunProgram(Root() + " --script '" + folder + "/quit.script'", folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "note: the program quit before the script ended; 2 lines were not run\n");

    WriteScript("quit1.script", "tap 230 10\ntap 230 90\nwait 10\n");
    run = RunProgram(Root() + " --script '" + folder + "/quit1.script'", folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "note: the program quit before the script ended; 1 line was not run\n");
}
