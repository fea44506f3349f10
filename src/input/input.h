// The input layer: the window procedure, the message pump and the stylus
// state it keeps. The UI loop and playback read the state after pumping; the
// pump is the only place where it changes.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct InputState {
    uint16_t stylus_x;    // last pen-down or move position
    uint16_t stylus_y;
    uint8_t stylus_down;  // 1 between a pen-down and the next pen-up
    uint8_t tap_latch;    // set by every pen-down; only its reader clears it
};

extern InputState input;

// Handles one window message: stylus messages update the input state, focus
// messages suspend and resume the display, the destroy message closes it,
// and closing the window calls the close hook.
uint32_t WindowProc(uint32_t message, uint32_t word_param, uint32_t long_param);

// Dispatches every queued message to WindowProc; returns when the queue is
// empty. Never blocks.
void PumpMessages();

// What closing the window does; set by the shell before the main loop runs.
// Without a hook the message is ignored.
void SetCloseHook(void (*hook)());

// What a key press does; set by the host's features (the described program
// ignores keys). key and modifiers as in platform.h.
void SetKeyHook(void (*hook)(uint32_t key, uint32_t modifiers));

// The handheld shell's taskbar; a desktop host may ignore it.
void SetTaskbarVisible(int visible);
