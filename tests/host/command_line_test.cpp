// The command line around the host's features: each row runs the program
// and checks its exit status and one line of what it said.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(CommandLine, RefusalsAndFailuresSayWhyAndEnd) {
    const struct { const char* environment; const char* arguments; int status; const char* said; } kRows[] = {
        // No display: at once, not a window nobody sees (timeout would stop a hang with 124).
        {"env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER", "--no-keep", 2, "no display found"},
        {"", "--no-keep --workspace /tmp/w.knw", 2, "contradict"},
        {"", "--scale 2x", 2, "--scale takes a whole number"},
        {"", "--scale 9!", 2, "--scale takes a whole number"},
        {"", "--help", 0, "Ctrl+Z"},  // the key list is part of the help
    };
    for (const auto& row : kRows) {
        const std::string said = "/tmp/kn-command-line-" + std::to_string(getpid()) + ".txt";
        const std::string command = std::string(row.environment) + " timeout 20 '" KN_EXECUTABLE "' " +
                                    row.arguments + " >" + said + " 2>&1";
        const int raw = std::system(command.c_str());
        std::stringstream text;
        text << std::ifstream(said).rdbuf();
        std::remove(said.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status) << row.arguments << ": " << text.str();
        EXPECT_NE(text.str().find(row.said), std::string::npos) << row.arguments << ": " << text.str();
    }
}

}  // namespace
