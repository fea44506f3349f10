// The kalvenorix executable as a user runs it: options, refused scripts,
// failed checks, quitting before a script ends, the files screen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/headless_run.h"

namespace {

class Program : public testing::Test {
  protected:
    TemporaryFolder folder;
    const std::string dir = folder.Path();
};

TEST_F(Program, VersionAndBadOptions) {
    EXPECT_EQ(RunProgram("--version", dir).out, "KalveNorix [0.12]\nfile version 1.0.0.1\n");
    const char* bad[][2] = {
        {"--frobnicate", "unknown option '--frobnicate'"}, {"--script", "--script needs a value"},
        {"--scale 0", "from 1 to 6, not '0'"}, {"--scale 7", "not '7'"}, {"--scale 12", "not '12'"}, {"--scale=", "not ''"},
        {"--root=", "--root needs a value"}, {"--root /nonexistent/kn", "--root: '/nonexistent/kn' is not a folder"},
        {"--out /nonexistent/kn", "--out: '/nonexistent/kn' is not a folder"}, {"extra", "unexpected argument 'extra'"},
    };
    for (const auto& [arguments, message] : bad) {
        const ProgramRun run = RunProgram(arguments, dir);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.err.rfind("kalvenorix: ", 0), 0u) << arguments << ": " << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << arguments;
    }
}

// A script is checked whole before it runs; a shot that cannot be written
// ends the run with status 1. Quitting through the selector, from any mode,
// ends the program: the lines left are not run, and one note counts them. An
// expect line that fails is reported and the run goes on, then ends with
// status 1. Each row: the script, its status, the start of what it says on
// stderr and on stdout, and whether shot.png was written.
TEST_F(Program, ScriptsAreCheckedFirstQuitsCountTheRestAndFailedChecksEndWithStatusOne) {
    const struct { const char* script; int status; std::string err, out; bool shot; } rows[] = {
        {"# start\ntap 10 10\nshot shot.png\ntap ten 10\n", 2, ":4: \"ten\" is not a decimal integer\n", "", false},
        {"tap 100 100\nshot missing/lost.png\nshot shot.png\n", 1, ":2: cannot write the screenshot " + dir + "/missing/lost.png", "", false},
        {"tap 230 10\ntap 230 50\ntap 230 10\ntap 230 90\nwait 200\nshot shot.png\n", 0, "",
         "note: the program quit before the script ended; 2 lines were not run\n", false},
        {"wait 20\nexpect 0 319 000000\nexpect 120 160 F8FCF8\nshot shot.png\ntap 230 10\ntap 230 90\nwait 9\n", 1,
         ":2: expected 000000 at (0, 319), the screen shows F8FCF8\n", "note: the program quit before the script ended; 1 line was not run\n", true},
    };
    for (const auto& r : rows) {
        WriteFile(dir + "/session.script", r.script);
        const ProgramRun run = RunProgram("--script '" + dir + "/session.script' --out '" + dir + "' --root '" KN_ASSET_DIR "/device'", dir);
        EXPECT_EQ(run.status, r.status) << r.script;
        EXPECT_TRUE(r.err.empty() ? run.err.empty() : run.err.rfind(dir + "/session.script" + r.err, 0) == 0) << run.err;
        EXPECT_EQ(run.out, r.out);
        EXPECT_EQ(ReadFile(dir + "/shot.png") != "", r.shot) << r.script;
    }
    EXPECT_EQ(RunProgram("--script '" + dir + "/none.script'", dir).status, 2);
}

// The files screen over a root of 25 files and 12 directories, each holding a
// directory and a file, and entries the browser skips (hidden, read-only);
// the script's expect lines are the checks.
TEST_F(Program, TheFilesScreenPagesThroughItsListsAndEntersDirectories) {
    const std::string root = dir + "/root";
    for (const std::string& made : {root, root + "/.cache"}) mkdir(made.c_str(), 0755);
    for (int i = 0; i < 25; ++i) WriteFile(root + "/f" + std::to_string(100 + i), "");
    for (int i = 0; i < 12; ++i) {
        const std::string d = root + "/d" + std::to_string(i);
        for (const std::string& made : {d, d + "/inner"}) mkdir(made.c_str(), 0755);
        WriteFile(d + "/note", "");
    }
    WriteFile(root + "/.hidden", "");
    WriteFile(root + "/locked", "");
    chmod((root + "/locked").c_str(), 0444);
    const ProgramRun run = RunProgram("--script '" KN_TEST_DIR "/program/files_pages.script' --root '" + root + "' --out '" + dir + "'", dir);
    EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
