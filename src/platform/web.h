// The web backend: the program in a browser page, built with Emscripten.
// The page script (web/host.js) owns the canvas and the pointer; this file
// owns the message queue, the clock and the frame.
//
// - Display: each presentation converts the 240 x 320 RGB565 frame to RGBA
//   (r << 3, g << 2, b << 3, as the headless runner's screenshots) and puts
//   it on the canvas. CSS scales the canvas; the program never sees it.
// - Input: the primary pointer (mouse button, finger or pen tip) is the
//   stylus: pointerdown, pointermove while down and pointerup become
//   pen-down, move and pen-up (513, 512, 514). The canvas captures the
//   pointer, so a drag that leaves it goes on, clamped to the screen's edge.
//   A stylus that is down when the window loses focus or the page is hidden
//   is lifted at its last position.
// - A pen-down is handed over on its own when moves follow it: the peek
//   after the get that delivered it reports nothing while a move is queued
//   next, so the pass that sees the press sees the press point, not a move
//   that came within the same pump. A pen-up may follow a pen-down in one
//   pump (a quick tap, as the headless runner delivers a tap): the pen-up
//   leaves the position where the press put it.
// - Time: the tick counter is performance.now() in whole milliseconds.
// - The loop: the program's loops poll and never sleep. A peek that finds
//   nothing queued after the pump handed a message over ends the pump, so
//   that the program makes its pass over what came (a key's command runs
//   then, not at the next input). A peek that finds nothing at the start of
//   a pump yields to the browser (ASYNCIFY unwinds the program's stack and
//   resumes it later): until the next animation frame when the program has
//   read the tick counter since its last peek (it is timing something), else
//   until the next input. An idle page runs no code.
// - Files: the bundled device folder is packed at /device; the skin picture
//   is decoded by the browser when the page loads (Emscripten's preloaded
//   image data) and read from there by DecodeImageFile.
//
// Test mode (the page opened with "?test"): the clock is virtual and follows
// the headless runner's rules (headless.h) with the test as the script
// feeder. The clock starts at 1000000; every delivered message and every
// peek that finds the queue empty advance it by 1 ms. The test sets a time
// limit; a peek that finds the queue empty with the clock at or past the
// limit stops the program there (queued input does not wake it) until the
// test, having queued the due input with real pointer events, raises the
// limit. The pen-down rule above holds in test mode too; its peek does not
// advance the clock (the queue is not empty). Scripts never queue a move
// behind a pen-down, so their replay keeps the headless runner's timing. Page API: knBlocked() and knRunUntil(ms), both
// resolving to the clock at which the program stopped.
#pragma once

#include "platform/platform.h"

const PlatformBackend* WebBackend();

// Where the page packs the bundled device folder.
constexpr const char* kWebDeviceRoot = "/device";

// True when the page was opened in test mode.
bool WebTestMode();
