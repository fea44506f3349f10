// The desktop backend: an SDL2 window showing the 240 x 320 screen scaled by a
// whole factor, with the mouse (or a finger) as the stylus.
//
// - The left mouse button is the stylus: press, motion while pressed, and
//   release become pen-down, move and pen-up (513, 512, 514); a mouse that
//   moves with the button up sends nothing, as a stylus above the glass does.
//   A touch screen's first finger does the same.
// - Positions are window pixels divided by the scale, clamped to the screen.
//   The mouse stays captured while the button is held, so a drag that leaves
//   the window goes on along the screen's edge.
// - The scale is the largest whole factor at which the window fits the
//   desktop's usable area (without panels and docks), unless one is asked
//   for; one that does not fit is made smaller, with a one-line message,
//   unless forced ("--scale 6!"). The window's top-left corner stays on the
//   usable area.
// - A pump hands a pen-down over on its own when moves follow it, and ends
//   after a move when a pen-up follows: the UI loop sees the press point
//   first and the last point while the stylus is down, however fast the
//   stroke.
// - Focus lost and gained become 8 and 7; closing the window becomes 16.
// - Keys become 256 and 257 (the program ignores them).
// - A peek that finds nothing to report waits for the next event, at most
//   kIdleWaitMs, or kTimedWaitMs when the program has read the tick counter
//   since its last peek (it is timing something: playback, animated
//   overlays). Polling loops thus give the processor back without delaying
//   what they time; a loop that has not looked at the clock can only be
//   moved on by input, which ends the wait at once.
// - Presentation keeps to the display's refresh rate (60 Hz when the display
//   does not say): a frame presented sooner than one refresh interval after
//   the last is held until the interval has passed, so loops that redraw on
//   every pass run at the display's pace. A frame equal to the one on show is
//   not sent again; the window shows the last frame again whenever the desktop
//   uncovers it.
// - A stylus that is down when the window loses focus is lifted first, at its
//   last position, so that a drag never stays pressed after the user has
//   turned to another program.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/platform.h"

constexpr int kMinDesktopScale = 1;
constexpr int kMaxDesktopScale = 6;
constexpr int kAutomaticDesktopScale = 0;  // the largest that fits the desktop

// The longest a peek waits when nothing is pending, and when the program has
// read the tick counter since its last peek.
constexpr uint32_t kIdleWaitMs = 8;
constexpr uint32_t kTimedWaitMs = 1;

// Room left around the window for its frame and title bar when the scale is
// chosen automatically.
constexpr int kDecorationWidth = 16;
constexpr int kDecorationHeight = 48;
constexpr int kTitleBarHeight = 32;  // the part of it above the window

// The largest whole factor, 1 to 6, at which the 240 x 320 screen and its
// window frame fit a desktop area of the given size; 1 when none does.
int ChooseDesktopScale(int usable_width, int usable_height);

// When a frame presented at `now` goes up: no sooner than one refresh
// interval after the last frame went up, otherwise at once.
std::chrono::steady_clock::time_point FramePresentTime(std::chrono::steady_clock::time_point last,
                                                       std::chrono::steady_clock::time_point now,
                                                       std::chrono::steady_clock::duration interval);

// Where the window goes on a desktop area: the scale asked for (0 the
// largest that fits), made smaller when it does not fit unless forced
// (shrunk tells), and the top-left corner of the window's content, centred
// but always with the window's top and its title bar on the area.
struct WindowPlacement {
    int scale;
    int x, y;
    bool shrunk;
};
WindowPlacement PlaceWindow(int usable_x, int usable_y, int usable_width, int usable_height,
                            int requested_scale, bool forced);

// 0 (kAutomaticDesktopScale) chooses the scale when the window is created;
// any other scale is clamped to 1..6. A scale that does not fit the desktop
// is made smaller, with a message, unless forced.
const PlatformBackend* DesktopBackend(int scale, bool forced = false);

// The scale of the open window; before it opens, the one asked for (0 for
// automatic).
int DesktopScale();

// Shows "KalveNorix - text" as the window's title for kNoticeMs, then the
// title alone again. Nothing happens without a window.
constexpr uint32_t kNoticeMs = 5000;
void ShowDesktopNotice(const char* text);

// Why the last create_window failed (SDL's own words), or "".
const char* DesktopError();
