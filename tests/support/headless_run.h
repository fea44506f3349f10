// Runs the kalvenorix executable as a user does, without a display: its exit
// status and what it printed.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_files.h"

struct ProgramRun {
    int status;  // the exit status, or -1 when the program did not exit normally
    std::string out, err;
};

// The arguments are quoted for the shell already; the output passes through
// two files in folder.
inline ProgramRun RunProgram(const std::string& arguments, const std::string& folder) {
    const std::string out = folder + "/stdout.txt", err = folder + "/stderr.txt";
    const int raw = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 300 '" KN_EXECUTABLE "' " +
                                 arguments + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
    ProgramRun run = {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}
