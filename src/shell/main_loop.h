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

// Runs until the quit mode is chosen, then frees what start-up allocated.
void RunMainLoop();
// Copies the settings file's first line into the file browser's path.
void ReadSettings();

// The two halves of RunMainLoop around the mode loop, for tests.
void StartProgram();
void StopProgram();
