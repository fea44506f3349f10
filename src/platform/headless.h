// The headless backend: no window, frames kept in memory, input read from a
// session script.
//
// Script format: one command per line; '#' starts a comment; blank lines are
// allowed. Numbers are decimal integers, coordinates may be negative or lie
// outside the 240 x 320 screen (they reach the program as 16-bit values).
//
//   down X Y                    stylus down at (X, Y)
//   move X Y                    stylus moves to (X, Y)
//   up                          stylus up (at the last position)
//   tap X Y                     down and up at (X, Y)
//   drag X1 Y1 X2 Y2 [STEPS]    down at (X1, Y1), STEPS moves along the line
//                               to (X2, Y2) (default 8, 1 to 1000), up there
//   wait MS                     nothing happens for MS milliseconds (0 to 86400000)
//   shot FILE                   writes the last presented frame as a 240 x 320
//                               RGB PNG, relative to the shot folder
//   expect X Y RRGGBB           checks that pixel (X, Y) of the last presented
//                               frame has the colour RRGGBB as a shot shows
//                               it (r << 3, g << 2, b << 3); a mismatch is
//                               reported, the run goes on and ends with
//                               status 1
//   key NAME                    a key press and release: a letter, a digit,
//                               space, escape, delete, backspace or f1,
//                               after modifiers ctrl+ and shift+
//                               ("ctrl+shift+z"); one input step
//
// The host's features may add commands of their own (RegisterScriptCommand):
// they run when due, between inputs, in script order; one that fails is
// reported with its line, the run goes on and ends with status 1.
//
// The whole script is checked before anything runs; an error reads
// "FILE:LINE: what is wrong".
//
// Timing. The clock is virtual, in milliseconds, and starts at 1000000:
// - every message delivered by get_message advances it by 1 ms;
// - every peek_message that finds the queue empty (after feeding, below)
//   advances it by 1 ms, so each pass of a polling loop takes at least 1 ms.
// Script steps are fed into the message queue only when the queue is empty
// and the step is due; the first step is due at once.
// - An input step (one down, one move or one up; a tap's down and up together
//   as one step; a drag's down, each of its moves and its up as separate
//   steps) makes the next step due 10 ms after it was fed: the program has
//   handled one input before the next arrives.
// - `wait MS` makes the next step due MS ms after the wait was reached.
// - `shot` runs as soon as it is due and takes no time.
// When every step has run and the last due time has passed, the backend
// queues the window-close message (16), once.
//
// Example: "tap 10 10" then "tap 20 20" with a program that pumps messages in
// a loop: the first tap's messages are queued at 1000000, the second's at
// 1000010 or at the first empty peek after it. With "wait 500" between them,
// the second tap is queued at 1000510 or just after.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

const PlatformBackend* HeadlessBackend();

// A host command: argv[0] is its name. False, with a one-line message, when
// it fails.
using ScriptCommandFunction = bool (*)(int argc, const char* const* argv, char* message,
                                       size_t capacity);
// Adds a command to the script language before any script is read; at most
// 16. False when there is no room.
bool RegisterScriptCommand(const char* name, int min_arguments, int max_arguments,
                           const char* usage, ScriptCommandFunction run);

// Forgets the script, the queue, the frames and the trace; the clock starts
// again at 1000000 and the shot folder becomes the current folder.
void ResetHeadless();

// Parses and checks a script and makes it the one the backend runs (replacing
// any earlier one). On failure, error holds "FILE:LINE: what is wrong" and the
// backend keeps no script. name is what messages call the text.
bool LoadHeadlessScriptFile(const char* path, char* error, size_t error_capacity);
bool LoadHeadlessScriptText(const char* name, const char* text, char* error, size_t error_capacity);

// Folder that `shot` file names are relative to (and the host's commands'
// file names).
void SetHeadlessShotFolder(const char* folder);
const char* HeadlessShotFolder();

uint32_t HeadlessClock();
uint32_t HeadlessFramesPresented();
// The last presented frame: 240 x 320 colour words, rows top-down.
const uint16_t* HeadlessLastFrame();
// True once every step has run and the close message has been queued.
bool HeadlessScriptFinished();
// expect lines whose pixel differed, and host commands that failed.
int HeadlessFailedChecks();
// Command lines of the script that have not run to their end.
int HeadlessLinesLeft();
// Life-cycle calls in order, separated by single spaces, for example
// "set_taskbar_visible(0) create_window open_display open_input".
const char* HeadlessTrace();

// Writes 240 x 320 colour words as an 8-bit RGB PNG (r << 3, g << 2, b << 3).
bool WriteFramePng(const uint16_t* frame, const char* host_path);
