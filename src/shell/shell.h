// The platform shell: the one window, the display's life cycle, the message
// pump and the stylus state that the rest of the program reads.
#pragma once
#include <cstdint>

#include "platform/platform.h"
#include "shell/main_loop.h"

// Window-procedure messages beyond those in platform.h.
enum : uint32_t {
    kMessageClose = 16,  // the user closed the window
};

struct ShellState {
    int window;           // 1 once the window exists
    uint16_t stylus_x;    // last pen-down or move position
    uint16_t stylus_y;
    uint8_t stylus_down;  // 1 between a pen-down and the next pen-up
    uint8_t tap_latch;    // set by every pen-down; only its reader clears it
};

extern ShellState shell;

// The entry function: start-up, the main loop, tear-down. Returns 0.
int ShellMain(int show_command, void (*main_loop)() = RunMainLoop);

int RegisterShellClass();
int CreateShellWindow(int show_command);
uint32_t ShellWindowProc(uint32_t message, uint32_t word_param, uint32_t long_param);
// Dispatches every queued message; returns when the queue is empty. Never blocks.
void PumpMessages();
void SetTaskbarVisible(int visible);

// Called by the main loop once its objects exist, so that closing the window
// can release them before the program ends.
void SetShutdownHook(void (*hook)());
