// Sine and cosine in Q14 of angles in tenths of a degree (3600 a full turn),
// from a 901-entry quarter-wave cosine table.
#pragma once
#include <cstdint>

// Positive sine points down the screen.
struct SinCosValue {
    int16_t sin;
    int16_t cos;
};

SinCosValue SinCos(int16_t angle);

// Entry i is 16384 * cos(i / 10 degrees), truncated.
extern const uint16_t kCosineTable[901];
