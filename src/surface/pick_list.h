// Screen rectangles tagged with owners, queried with cycling: tapping again
// where several overlap returns the next one.
#pragma once
#include <cstdint>

constexpr int kPickCapacity = 1024;

struct PickEntry {
    int16_t x1, y1, x2, y2;  // inclusive corners
    int32_t owner;           // -1 marks the end
};

struct PickList {
    PickEntry entries[kPickCapacity + 1];
    int32_t count;
    int32_t cycle;  // hits the next query skips
};

extern PickList pick_list;

void ResetPickList();
void AddPickRect(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int32_t owner);
int32_t PickOwner(int16_t x, int16_t y);
