// The desktop backend: an SDL2 window showing the 240 x 320 screen scaled by a
// whole factor, with the mouse (or a finger) as the stylus.
//
// - The left mouse button is the stylus: press, motion while pressed, and
//   release become pen-down, move and pen-up (513, 512, 514); a mouse that
//   moves with the button up sends nothing, as a stylus above the glass does.
//   A touch screen's first finger does the same.
// - Positions are window pixels divided by the scale, clamped to the screen.
// - Focus lost and gained become 8 and 7; closing the window becomes 16.
// - Keys become 256 and 257 (the program ignores them).
// - A peek that finds nothing to report gives the processor back for 1 ms, so
//   the program's polling loops do not keep a core busy.
#pragma once

#include "platform/platform.h"

constexpr int kMinDesktopScale = 1;
constexpr int kMaxDesktopScale = 6;
constexpr int kDefaultDesktopScale = 2;

// The scale is clamped to 1..6.
const PlatformBackend* DesktopBackend(int scale);

// Why the last create_window failed (SDL's own words), or "".
const char* DesktopError();
