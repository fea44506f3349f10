// The main loop: start-up of the program-wide objects in a fixed order, the
// mode loop that runs one screen at a time through the UI loop, and shutdown.
#pragma once
#include <cstdint>

// The file browser's start directory, from the settings file's first line.
constexpr int kDirectoryBytes = 512;
extern char directory[kDirectoryBytes];

// Where the settings file lives on the device.
extern const char* const kSettingsPath;

// A screen's pair: the redraw callback and the handler of released ids.
using CommandHandler = void (*)(uint16_t id);

// Runs until the quit mode is chosen, then frees what start-up allocated.
void RunMainLoop();
// Copies the settings file's first line into the directory buffer.
void ReadSettings();

// The two halves of RunMainLoop around the mode loop, for tests.
void StartProgram();
void StopProgram();
