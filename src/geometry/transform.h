// Fixed-point affine transforms: a..d in Q14 (16384 = 1.0), tx and ty in
// whole pixels. A point (x, y) maps to
//   (tx + ((a*x + b*y) >> 14), ty + ((c*x + d*y) >> 14))
// with products and sums in 32 bits and arithmetic shifts.
#pragma once
#include <cstdint>

#include "geometry/fixed.h"

// The scale at which one drawing unit is a tenth of a screen pixel: the
// drawing editor's view, and every new actor.
constexpr int16_t kTenthPixelScale = 1638;
// Where drawing (0, 0) lands on the screen under a pose at the origin.
constexpr int32_t kScreenCentreX = 120;
constexpr int32_t kScreenCentreY = 160;

struct Transform {
    int32_t a, b, c, d, tx, ty;
};

// Angle in tenths of a degree, offsets in drawing units, scale in Q14.
struct Pose {
    int16_t angle;
    int16_t x;
    int16_t y;
    int16_t scale;
};

struct Point32 {
    int32_t x, y;
};

// Inline: the shape renderer maps every vertex of every shape it draws.
inline Point32 MapPoint(const Transform& t, int32_t x, int32_t y) {
    return Point32{Add32(t.tx, Add32(Mul32(t.a, x), Mul32(t.b, y)) >> kQ14Shift),
                   Add32(t.ty, Add32(Mul32(t.c, x), Mul32(t.d, y)) >> kQ14Shift)};
}
// m := m x n, every product shifted by 14 as it is formed.
void ComposeTransform(Transform* m, const Transform& n);
Transform BuildTransform(const Pose& pose);
// Leaves *out untouched when t is singular; returns false then.
bool InvertTransform(const Transform& t, Transform* out);
