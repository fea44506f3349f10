// A scripted stylus for running the UI loop inside a test: each step is one
// batch of messages that exactly one PumpMessages call delivers, so a test
// says what the loop sees on each of its passes. Frames presented are kept.
#pragma once
#include <cstdint>

// Makes the scripted backend the active platform, forgets earlier steps,
// clears the shell's stylus state and the frame count.
void StartStylusScript();
// One pass each.
void StylusDown(int x, int y);
void StylusMove(int x, int y);
void StylusUp();
// Down and up delivered by the same pass (a quick tap), then a pass without
// input on which the loop sees the release.
void StylusTap(int x, int y);
// A pass with no input.
void StylusIdle();

int FramesPresented();
// The last presented frame, 240 x 320 words.
const uint16_t* LastFrame();
