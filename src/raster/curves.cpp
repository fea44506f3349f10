#include "raster/curves.h"

#include "geometry/fixed.h"
#include "raster/lines.h"
#include "raster/polygon_fill.h"

// Flatness: the doubled signed area of the control triangle,
//   (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0),
// in Q4 x Q4 units (256 per square pixel). A curve whose |area| is below
// 1024 (a control triangle of 2 square pixels) is close enough to its chord.
//
// The coordinate differences can reach 2^32 for extreme input, so the two
// products are formed as unsigned magnitudes (each below 2^64) and compared
// with their signs, which gives the exact answer where 32 bits would wrap
// and cut a large curve into arbitrary pieces.
static bool TooCurved(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    constexpr uint64_t kLimit = 1024;
    int64_t a = static_cast<int64_t>(x1) - x0, b = static_cast<int64_t>(y2) - y0;
    int64_t c = static_cast<int64_t>(x2) - x0, d = static_cast<int64_t>(y1) - y0;
    uint64_t ab = static_cast<uint64_t>(a < 0 ? -a : a) * static_cast<uint64_t>(b < 0 ? -b : b);
    uint64_t cd = static_cast<uint64_t>(c < 0 ? -c : c) * static_cast<uint64_t>(d < 0 ? -d : d);
    bool ab_negative = (a < 0) != (b < 0), cd_negative = (c < 0) != (d < 0);
    if (ab_negative == cd_negative) return (ab > cd ? ab - cd : cd - ab) >= kLimit;
    // Opposite signs: |area| = ab + cd, which may not fit; either term alone decides.
    return ab >= kLimit || cd >= kLimit || ab + cd >= kLimit;
}

// Floor of the mean; the sum is formed in 64 bits so it cannot wrap.
static int32_t Half(int32_t a, int32_t b) {
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) >> 1);
}

// Splits the curve at its parameter midpoint until every piece is flat, and
// emits each piece's chord in whole pixels, in order from P0 to P2:
//
//   P0 ---- L ---- P1          L = (P0 + P1) / 2, R = (P1 + P2) / 2,
//            \    /            M = (L + R) / 2, on the curve;
//             M--R---- P2      first half (P0, L, M), second half (M, R, P2).
//
// The first half recurses; the second half continues in the loop, so the
// stack grows only with the first halves. Each split shrinks the control
// triangle's area eightfold, and the halving makes every coordinate
// difference shrink as well, so the recursion ends for any 32-bit input.
template <void (*Emit)(ScreenSurface&, int32_t, int32_t, int32_t, int32_t)>
static void Flatten(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                    int32_t y2) {
    while (TooCurved(x0, y0, x1, y1, x2, y2)) {
        int32_t lx = Half(x0, x1), ly = Half(y0, y1);
        int32_t rx = Half(x1, x2), ry = Half(y1, y2);
        int32_t mx = Half(lx, rx), my = Half(ly, ry);
        Flatten<Emit>(s, x0, y0, lx, ly, mx, my);
        x0 = mx;
        y0 = my;
        x1 = rx;
        y1 = ry;
    }
    Emit(s, x0 >> kQ4Shift, y0 >> kQ4Shift, x2 >> kQ4Shift, y2 >> kQ4Shift);
}

void CurveToLines(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2) {
    Flatten<DrawLine>(s, x0, y0, x1, y1, x2, y2);
}

void CurveToEdges(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2) {
    Flatten<AddEdge>(s, x0, y0, x1, y1, x2, y2);
}
