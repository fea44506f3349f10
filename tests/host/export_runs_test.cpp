// The program as a person runs it: options and script commands, refusals
// in one line with no file left behind, Ctrl+E, undo and redo through the
// real window, and the README's export examples still what it makes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/headless_run.h"
#include "support/virtual_display.h"

namespace {

// The program without a display, in folder, after the shell words of prefix:
// its exit status and, in out, what it said on stdout and stderr.
ProgramRun RunIn(const std::string& folder, const std::string& prefix, const std::string& arguments) {
    const int raw = std::system(("cd '" + folder + "' && " + prefix + " env -u DISPLAY -u WAYLAND_DISPLAY timeout 300 '" +
                                 KN_EXECUTABLE "' " + arguments + " >said.txt 2>&1").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(folder + "/said.txt"), ""};
}

// The names in a folder, sorted; none when it does not exist.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A filled rectangle (tool 3 by its key), then the animation screen with one
// actor of it, keyed at frame 0 and moved at frame 100.
const char kDrawAndAnimate[] =
    "key 3\ndrag 60 100 150 200 4\ntap 230 10\ntap 230 30\ntap 10 310\n"
    "drag 100 150 80 130 4\ntap 229 130\ndrag 80 130 160 200 4\n";

TEST(CommandLine, RefusalsSayWhyInOneLineAndLeaveNoFile) {
    const struct {
        const char* prefix;
        const char* script;  // run with --script when not empty
        const char* arguments;
        int status;
        const char* said;
        const char* absent;  // a file that must not exist afterwards
    } kRows[] = {
        // No display: at once, not a window nobody sees (timeout would stop a hang with 124).
        {"unset SDL_VIDEODRIVER;", "", "--no-keep", 2, "no display found", ""},
        {"", "", "--no-keep --workspace /tmp/w.knw", 2, "contradict", ""},
        {"", "", "--help", 0, "Ctrl+Z", ""},  // the key list is part of the help
        {"", "", "--export-svg o.svg --slot 64", 2, "--slot takes a library slot from 0 to 63, not '64'", "o.svg"},
        {"", "", "--no-keep --export-svg o.svg --slot 5", 2, "--export-svg: slot 5 holds no drawing", "o.svg"},
        {"", "", "--slot 3", 2, "--slot goes with --export-svg", ""},
        {"", "", "--export-webp o.webp --frames 9-3", 2, "--frames takes A-B with 0 <= A <= B <= 200, not '9-3'", "o.webp"},
        {"", "", "--export-gif o.gif --frames 0-201", 2, "--frames takes A-B", "o.gif"},
        {"", "", "--export-frames f --export-scale 7", 2, "--export-scale takes a whole number from 1 to 6", "f"},
        {"touch file &&", "", "--no-keep --export-webp file/o.webp", 2,
         "--export-webp: cannot write file/o.webp (Not a directory)", "file/o.webp"},
        // A file-size limit of one block stands for a full disk.
        {"trap '' XFSZ; ulimit -f 1;", "", "--no-keep --export-frames f --export-scale 6", 2,
         "--export-frames: cannot write f/frame-000.png (File too large)", "f/frame-000.png"},
        {"", "export-svg a.svg 70\nshot after.png\n", "--out .", 1,
         "session.script:1: export-svg: the slot is 0 to 63, not \"70\"", "a.svg"},
        {"", "wait 10\nexport-svg b.svg 9\nshot after.png\n", "--out .", 1,
         "session.script:2: export-svg: slot 9 holds no drawing", "b.svg"},
    };
    for (const auto& row : kRows) {
        TemporaryFolder folder;
        const bool scripted = row.script[0] != '\0';
        if (scripted) WriteFile(folder.Path() + "/session.script", row.script);
        const ProgramRun run = RunIn(folder.Path(), row.prefix, row.arguments + std::string(scripted ? " --script session.script" : ""));
        EXPECT_EQ(run.status, row.status) << row.arguments << ": " << run.out;
        EXPECT_NE(run.out.find(row.said), std::string::npos) << row.arguments << ": " << run.out;
        EXPECT_TRUE(row.absent[0] == '\0' || ReadFile(folder.Path() + "/" + row.absent).empty()) << row.absent;
        for (const char* sub : {"", "/f"})
            for (const std::string& name : Names(folder.Path() + sub))
                EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "a temporary file is left: " << name;
        EXPECT_TRUE(!scripted || !ReadFile(folder.Path() + "/after.png").empty()) << "the session goes on";
    }
}

// Exports after a script see what it built; Ctrl+E writes the same files and
// never over one.
TEST(ExportRuns, CommandLineScriptAndCtrlEWriteEveryFile) {
    TemporaryFolder folder;
    const std::string script = std::string(kDrawAndAnimate) + "export-svg s/a.svg\nexport-frames s/f\n";
    WriteFile(folder.Path() + "/session.script", script + "key ctrl+e\nkey ctrl+e\n");
    const ProgramRun run = RunIn(folder.Path(), "XDG_PICTURES_DIR=\"$PWD/pictures\"",
                          "--no-keep --script session.script --out . --frames 98-100 --export-scale 2 "
                          "--export-svg c.svg --export-svg-all all --export-webp c.webp --export-gif c.gif");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadFile(folder.Path() + "/c.svg"), ReadFile(folder.Path() + "/s/a.svg"));
    EXPECT_NE(ReadFile(folder.Path() + "/c.svg").find("<path"), std::string::npos);
    EXPECT_EQ(Names(folder.Path() + "/all"), std::vector<std::string>{"slot-00.svg"});
    EXPECT_EQ(Names(folder.Path() + "/s/f"), (std::vector<std::string>{"frame-098.png", "frame-099.png", "frame-100.png"}));
    // Two presses, six files, none replaced: each the bytes of the command line's export.
    const std::string keyed = folder.Path() + "/pictures/KalveNorix/";
    const std::vector<std::string> names = Names(keyed);
    EXPECT_EQ(names.size(), 6u) << run.out;
    for (const std::string& name : names)
        EXPECT_EQ(ReadFile(keyed + name), ReadFile(folder.Path() + "/c" + name.substr(name.rfind('.')))) << name;
}

// The examples in docs/export come from its session script, unchanged.
TEST(ExportRuns, TheReadmeExamplesAreWhatTheProgramMakes) {
    TemporaryFolder folder;
    const std::string docs = KN_TEST_DIR "/../docs/export";
    const ProgramRun run = RunIn(folder.Path(), "", "--no-keep --script '" + docs + "/example.script' --out .");
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* name : {"drawing.svg", "animation.gif"})
        EXPECT_TRUE(ReadFile(folder.Path() + "/" + name) == ReadFile(docs + "/" + name)) << name << ": make export-examples";
}

// Undo, redo and Ctrl+E typed into the window: two rectangles drawn, both
// undone, one redone, then exported. The export's name shows in the title,
// which then goes back; its SVG holds the one rectangle.
TEST(WindowKeys, UndoRedoAndExportReachTheModel) {
    if (!CanOpenVirtualDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    TemporaryFolder folder;
    WriteFile(folder.Path() + "/run.sh",
              std::string(kStartVirtualDisplay) +
              "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 SDL_VIDEODRIVER=x11 timeout 120 '" KN_EXECUTABLE
              "' --no-keep --scale 1 --export-dir out >/dev/null 2>&1 & program=$!\n"
              "w=$(timeout 20 xdotool search --sync --name KalveNorix | head -n 1)\n"
              "title() { for i in $(seq 300); do xdotool getwindowname \"$w\" | grep -q \"$1\" && break; sleep 0.1; done\n"
              "          xdotool getwindowname \"$w\" >>title.txt; }\n"
              "drag() { xdotool mousemove --window \"$w\" $1 $2 mousedown 1; sleep 0.2; xdotool mousemove --window \"$w\" $3 $4\n"
              "         sleep 0.2; xdotool mousemove --window \"$w\" $5 $6; sleep 0.2; xdotool mouseup 1; sleep 0.5; }\n"
              "sleep 1; xdotool windowfocus --sync \"$w\" 2>/dev/null; xdotool key --window \"$w\" 3; sleep 0.5\n"
              "drag 60 100 90 130 120 160; drag 140 200 170 230 200 260\n"
              "for k in ctrl+z ctrl+z ctrl+shift+z ctrl+e; do xdotool key --window \"$w\" $k; sleep 0.5; done\n"
              "title exported; title '^KalveNorix$'\n"
              "kill $program; wait $program; kill $xvfb; wait $xvfb 2>/dev/null\n");
    std::system(("cd '" + folder.Path() + "' && bash run.sh").c_str());
    const std::string title = ReadFile(folder.Path() + "/title.txt");
    EXPECT_NE(title.find("KalveNorix - exported drawing-00-"), std::string::npos) << title;
    EXPECT_NE(title.find("\nKalveNorix\n"), std::string::npos) << "the title goes back: " << title;
    const std::vector<std::string> names = Names(folder.Path() + "/out");
    ASSERT_EQ(names.size(), 3u);
    const std::string svg = ReadFile(folder.Path() + "/out/" + names.back());  // sorted, drawing-00-*.svg comes last
    int paths = 0;
    for (size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1)) ++paths;
    EXPECT_EQ(paths, 1) << names.back() << ": two rectangles, both undone, one redone";
}

}  // namespace
