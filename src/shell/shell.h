// The platform shell: the one window and the display's life cycle around the
// main loop. Closing the window tears the program down from inside the pump.
#pragma once
#include <cstdint>

#include "shell/main_loop.h"

struct ShellState {
    int window;  // 1 once the window exists
};

extern ShellState shell;

// The entry function: start-up, the main loop, tear-down. Returns 0.
int ShellMain(int show_command, void (*main_loop)() = RunMainLoop);

int RegisterShellClass();
int CreateShellWindow(int show_command);

// Called by the main loop once its objects exist, so that closing the window
// can release them before the program ends.
void SetShutdownHook(void (*hook)());
