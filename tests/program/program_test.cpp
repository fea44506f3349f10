// The kalvenorix executable as a user runs it: options, script errors, and a
// headless session that writes screenshots.
#include <gtest/gtest.h>

#include <string>

#include "headless_run.h"

namespace {

class Program : public testing::Test {
  protected:
    std::string Folder() const { return folder.Path(); }
    std::string Options() const { return "--out '" + Folder() + "' --root '" + kBundledRoot + "'"; }
    TemporaryFolder folder;
};

}  // namespace

TEST_F(Program, VersionAndHelp) {
    ProgramRun version = RunProgram("--version", Folder());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "KalveNorix [0.12]\nfile version 1.0.0.1\n");

    ProgramRun help = RunProgram("--help", Folder());
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--script", "--out", "--root", "--scale", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(Program, BadOptionsExitWithStatusTwo) {
    const char* bad[] = {"--frobnicate", "--script", "--scale 0", "--scale 7", "--scale two",
                         "--scale=", "--root /nonexistent/kn", "--out /nonexistent/kn", "extra"};
    for (const char* arguments : bad) {
        ProgramRun run = RunProgram(arguments, Folder());
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("kalvenorix: "), std::string::npos) << arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << arguments;
    }
    ProgramRun unknown = RunProgram("--frobnicate", Folder());
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
}

TEST_F(Program, ScriptErrorsNameTheLineBeforeAnythingRuns) {
    ProgramRun run = RunScriptText(Folder(), "# start\ntap 10 10\nshot early.png\ntap ten 10\n", Options());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("session.script:4: \"ten\" is not a decimal integer"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Folder() + "/early.png"), "") << "nothing may run";

    ProgramRun missing = RunProgram("--script '" + Folder() + "/none.script' " + Options(), Folder());
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("none.script"), std::string::npos) << missing.err;
}

// Without --root the program finds the device folder bundled next to it.
TEST_F(Program, HeadlessSessionWritesScreenshots) {
    ProgramRun run = RunScriptText(Folder(), "wait 100\nshot first.png\ntap 120 160\nwait 50\nshot second.png\n",
                                   "--out '" + Folder() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* name : {"first.png", "second.png"}) EXPECT_TRUE(LoadShot(Folder(), name).loaded) << name;
}

TEST_F(Program, AScreenshotThatCannotBeWrittenFailsTheRun) {
    ProgramRun run = RunScriptText(Folder(), "tap 100 100\nshot missing/lost.png\ntap 50 50\n", Options());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("session.script:2: cannot write the screenshot " + Folder() + "/missing/lost.png"),
              std::string::npos)
        << run.err;
}
