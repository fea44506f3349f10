// Quadratic Bezier flattening: points in Q4 (16 = one pixel), chords in pixels.
#pragma once
#include <cstdint>

#include "geometry/fixed.h"
#include "surface/surface.h"

void CurveToLines(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2);
void CurveToEdges(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2);

// Flatness: the doubled signed area of the control triangle,
//   (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0),
// in Q4 x Q4 units (256 per square pixel). A curve whose |area| is below
// 1024 (a control triangle of 2 square pixels) is close enough to its chord.
//
// The coordinate differences can reach 2^32 for extreme input, so the two
// products are formed as unsigned magnitudes (each below 2^64) and compared
// with their signs, which gives the exact answer where 32 bits would wrap
// and cut a large curve into arbitrary pieces.
inline bool CurveTooCurved(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    constexpr uint64_t kLimit = 1024;
    const int64_t a = static_cast<int64_t>(x1) - x0, b = static_cast<int64_t>(y2) - y0;
    const int64_t c = static_cast<int64_t>(x2) - x0, d = static_cast<int64_t>(y1) - y0;
    // Differences within 2^31 (all but absurd curves): both products and
    // their difference fit 64 signed bits, and the area is formed directly.
    constexpr int64_t kHalf = int64_t{1} << 31;
    if (((static_cast<uint64_t>(a + kHalf) | static_cast<uint64_t>(b + kHalf) |
          static_cast<uint64_t>(c + kHalf) | static_cast<uint64_t>(d + kHalf)) >> 32) == 0) {
        const int64_t area = a * b - c * d;
        return area >= 1024 || area <= -1024;
    }
    const uint64_t ab = static_cast<uint64_t>(a < 0 ? -a : a) * static_cast<uint64_t>(b < 0 ? -b : b);
    const uint64_t cd = static_cast<uint64_t>(c < 0 ? -c : c) * static_cast<uint64_t>(d < 0 ? -d : d);
    const bool ab_negative = (a < 0) != (b < 0), cd_negative = (c < 0) != (d < 0);
    if (ab_negative == cd_negative) return (ab > cd ? ab - cd : cd - ab) >= kLimit;
    // Opposite signs: |area| = ab + cd, which may not fit; either term alone decides.
    return ab >= kLimit || cd >= kLimit || ab + cd >= kLimit;
}

// Floor of the mean; the sum is formed in 64 bits so it cannot wrap.
inline int32_t CurveHalf(int32_t a, int32_t b) {
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) >> 1);
}

// Splits the curve at its parameter midpoint until every piece is flat, and
// hands each piece's chord in whole pixels to chord(x0, y0, x1, y1), in order
// from P0 to P2:
//
//   P0 ---- L ---- P1          L = (P0 + P1) / 2, R = (P1 + P2) / 2,
//            \    /            M = (L + R) / 2, on the curve;
//             M--R---- P2      first half (P0, L, M), second half (M, R, P2).
//
// The first half recurses; the second half continues in the loop, so the
// stack grows only with the first halves. Each split shrinks the control
// triangle's area eightfold, and the halving makes every coordinate
// difference shrink as well, so the recursion ends for any 32-bit input.
template <typename Chord>
void FlattenCurve(Chord& chord, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2) {
    while (CurveTooCurved(x0, y0, x1, y1, x2, y2)) {
        const int32_t lx = CurveHalf(x0, x1), ly = CurveHalf(y0, y1);
        const int32_t rx = CurveHalf(x1, x2), ry = CurveHalf(y1, y2);
        const int32_t mx = CurveHalf(lx, rx), my = CurveHalf(ly, ry);
        FlattenCurve(chord, x0, y0, lx, ly, mx, my);
        x0 = mx;
        y0 = my;
        x1 = rx;
        y1 = ry;
    }
    chord(x0 >> kQ4Shift, y0 >> kQ4Shift, x2 >> kQ4Shift, y2 >> kQ4Shift);
}
