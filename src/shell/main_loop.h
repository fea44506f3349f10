// The main loop: start-up of the program-wide objects in a fixed order, the
// mode loop that runs one screen at a time through the UI loop, and shutdown.
#pragma once
#include <cstdint>

// Where the settings file lives on the device.
extern const char* const kSettingsPath;

// A mode's screen: its redraw callback (null draws nothing behind the
// widgets), its command list, and what entering it does.
struct CommandEntry;
struct ModeEntry {
    void (*redraw)();
    const CommandEntry* commands;
    void (*enter)();
};

// The screen of modes 0..3; null for any other mode (4 quits).
const ModeEntry* ModeEntryOf(int32_t mode);

// Host features beside the program (keeping the work between runs): called
// once start-up has built the program's objects, before the first screen is
// drawn (it may put other state in place, the mode included); after every
// use of the mode selector, once the edited drawing has been stored; and
// when the program ends, before its objects are freed (quitting through the
// selector, or closing the window). Null hooks, or a null table, do nothing.
struct MainLoopHooks {
    void (*started)();
    void (*mode_chosen)();
    void (*ending)();
    // After every command a screen completed, and when the UI loop returned
    // kHostCommand (a host feature's request, RequestLoopEnd) instead of a
    // widget: the host acts then, between two UI passes.
    void (*command_done)();
    void (*host_command)();
};
void SetMainLoopHooks(const MainLoopHooks* hooks);

// Runs until the quit mode is chosen, then frees what start-up allocated.
void RunMainLoop();
// Copies the settings file's first line into the file browser's path.
void ReadSettings();

// The two halves of RunMainLoop around the mode loop, for tests.
void StartProgram();
void StopProgram();
