// The kalvenorix executable as a user runs it: options, refused scripts,
// failed checks, quitting before a script ends, and a real window under Xvfb.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/headless_run.h"
#include "support/virtual_display.h"

namespace {

class Program : public testing::Test {
  protected:
    // The text written to session.script and run with the options.
    ProgramRun Script(const std::string& text, const std::string& options = "") {
        WriteFile(dir + "/session.script", text);
        return RunProgram("--script '" + dir + "/session.script' --out '" + dir + "' " + options, dir);
    }
    TemporaryFolder folder;
    const std::string dir = folder.Path();
};

TEST_F(Program, VersionHelpAndBadOptions) {
    EXPECT_EQ(RunProgram("--version", dir).out, "KalveNorix [0.12]\nfile version 1.0.0.1\n");
    const ProgramRun help = RunProgram("-h", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--script FILE"), std::string::npos) << help.out;
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
// ends the run with status 1; an expect line that fails is reported and the
// run goes on, to its end or to a quit (whose note counts the lines left),
// then ends with status 1.
TEST_F(Program, ScriptsAreCheckedFirstAndFailedChecksEndWithStatusOne) {
    ProgramRun run = Script("# start\ntap 10 10\nshot early.png\ntap ten 10\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, dir + "/session.script:4: \"ten\" is not a decimal integer\n");
    EXPECT_EQ(ReadFile(dir + "/early.png"), "") << "nothing may run";
    EXPECT_EQ(RunProgram("--script '" + dir + "/none.script'", dir).status, 2);

    run = Script("tap 100 100\nshot missing/lost.png\ntap 50 50\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind(dir + "/session.script:2: cannot write the screenshot " + dir + "/missing/lost.png", 0), 0u)
        << run.err;

    run = Script("wait 20\nexpect 0 319 000000\nexpect 120 160 F8FCF8\nshot last.png\ntap 230 10\ntap 230 90\nwait 9\n",
                 "--root '" KN_ASSET_DIR "/device'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, dir + "/session.script:2: expected 000000 at (0, 319), the screen shows F8FCF8\n");
    EXPECT_EQ(run.out, "note: the program quit before the script ended; 1 line was not run\n");
    EXPECT_NE(ReadFile(dir + "/last.png"), "");
}

// Quitting through the selector ends the program in every mode: the lines
// left are not run, and one note counts them.
TEST_F(Program, QuittingEndsTheProgramFromEveryModeAndCountsTheLinesLeft) {
    for (int mode = 0; mode < 4; ++mode) {
        std::string script = mode > 0 ? "tap 230 10\ntap 230 " + std::to_string(20 * mode + 10) + "\n" : "";
        script += "tap 230 10\ntap 230 90\nwait 200\nshot after.png\n";
        const ProgramRun run = Script(script);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "note: the program quit before the script ended; 2 lines were not run\n") << mode;
        EXPECT_EQ(ReadFile(dir + "/after.png"), "") << mode;
    }
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

// The real window under a virtual X server, quit through the selector with
// mouse clicks; a busy machine may take a click late, so the pair is tried
// again until the program is gone.
TEST_F(Program, TheDesktopWindowQuitsThroughTheSelector) {
    if (!CanOpenVirtualDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    const std::string log = dir + "/desktop.txt";
    WriteFile(dir + "/desktop.sh",
              "cd '" + dir + "'\n" + kStartVirtualDisplay +
              // SDL's system libraries keep allocations at exit; the headless runs check leaks.
              "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 SDL_VIDEODRIVER=x11 timeout 60 '" KN_EXECUTABLE
              "' --scale 1 >'" + log + "' 2>&1 & program=$!\n"
              "window=$(timeout 20 xdotool search --sync --name KalveNorix | head -n 1)\n"
              "for i in $(seq 20); do\n"
              "  sleep 0.5; kill -0 $program 2>/dev/null || break\n"
              "  xdotool mousemove --window \"$window\" 230 10 click 1 2>/dev/null; sleep 0.5\n"
              "  xdotool mousemove --window \"$window\" 230 90 click 1 2>/dev/null; sleep 1\n"
              "done\n"
              "wait $program; status=$?; kill $xvfb; wait $xvfb 2>/dev/null; exit $status\n");
    const int raw = std::system(("bash '" + dir + "/desktop.sh'").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0) << ReadFile(log);
}

}  // namespace
