#include "raster/lines.h"

#include "geometry/fixed.h"
#include "surface/pen.h"

const uint16_t kMarchingAnts[8] = {
    0x0F0F, 0x1E1E, 0x3C3C, 0x7878, 0xF0F0, 0xE1E1, 0xC3C3, 0x8787,
};

// ---------------------------------------------------------------------------
// Pixels and spans
// ---------------------------------------------------------------------------

static inline uint16_t* PixelAddress(const ScreenSurface& s, int32_t x, int32_t y) {
    return s.pixel_base + x * s.x_step + y * s.y_step;
}

static inline bool OnSurface(const ScreenSurface& s, int32_t x, int32_t y) {
    // Unsigned compares reject negative values as well.
    return static_cast<uint32_t>(x) < static_cast<uint32_t>(s.clip_width) &&
           static_cast<uint32_t>(y) < static_cast<uint32_t>(s.clip_height);
}

void PlotPixel(ScreenSurface& s, int32_t x, int32_t y) {
    if (!OnSurface(s, x, y)) return;
    s.current_pixel = PixelAddress(s, x, y);
    s.plain_plot(s);
}

void DrawHSpan(ScreenSurface& s, int16_t x1, int16_t y, int16_t x2) {
    int32_t lo = x1 < x2 ? x1 : x2;
    int32_t hi = x1 < x2 ? x2 : x1;
    if (hi < 0 || lo >= s.clip_width || y < 0 || y >= s.clip_height) return;
    if (lo < 0) lo = 0;
    if (hi > s.clip_width - 1) hi = s.clip_width - 1;
    s.run_plot(s, PixelAddress(s, lo, y), s.x_step, hi - lo + 1);
}

void DrawHSpanWide(ScreenSurface& s, int32_t x1, int32_t y, int32_t x2) {
    if (y < 0 || y >= s.clip_height) return;
    const int32_t w = s.clip_width;
    x1 = x1 < -1 ? -1 : x1 > w ? w : x1;
    x2 = x2 < -1 ? -1 : x2 > w ? w : x2;
    DrawHSpan(s, static_cast<int16_t>(x1), static_cast<int16_t>(y), static_cast<int16_t>(x2));
}

void DrawVSpan(ScreenSurface& s, int16_t x, int16_t y1, int16_t y2) {
    int32_t lo = y1 < y2 ? y1 : y2;
    int32_t hi = y1 < y2 ? y2 : y1;
    if (hi < 0 || lo >= s.clip_height || x < 0 || x >= s.clip_width) return;
    if (lo < 0) lo = 0;
    if (hi > s.clip_height - 1) hi = s.clip_height - 1;
    s.run_plot(s, PixelAddress(s, x, lo), s.y_step, hi - lo + 1);
}

// ---------------------------------------------------------------------------
// Clipping
// ---------------------------------------------------------------------------

enum : int { kOutLeft = 1, kOutRight = 2, kOutAbove = 4, kOutBelow = 8 };

static int OutcodeX(const ScreenSurface& s, int64_t x) {
    return (x < 0 ? kOutLeft : 0) | (x >= s.clip_width ? kOutRight : 0);
}

static int Outcode(const ScreenSurface& s, int64_t x, int64_t y) {
    return OutcodeX(s, x) | (y < 0 ? kOutAbove : 0) | (y >= s.clip_height ? kOutBelow : 0);
}

// a * b / c truncated toward zero, for |a|, |b| < 2^32 and |a * b / c| within
// 32 bits. The product of the magnitudes is formed unsigned, where it cannot
// overflow, so the quotient is exact for every pair of 32-bit endpoints.
static int64_t MulDivTrunc(int64_t a, int64_t b, int64_t c) {
    bool negative = (a < 0) != (b < 0);
    negative = negative != (c < 0);
    uint64_t ma = static_cast<uint64_t>(a < 0 ? -a : a);
    uint64_t mb = static_cast<uint64_t>(b < 0 ? -b : b);
    uint64_t mc = static_cast<uint64_t>(c < 0 ? -c : c);
    uint64_t q = ma * mb / mc;
    return negative ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

// One pass of outcode clipping: the vertical bounds first, then the horizontal
// ones. A step is taken only when the two ends lie on different sides of the
// bound concerned, so no divisor is zero, and every moved coordinate lies
// between the two old ones, so it fits in 32 bits again.
int ClipLine(const ScreenSurface& s, int32_t* px0, int32_t* py0, int32_t* px1, int32_t* py1) {
    if (s.clip_width < 1 || s.clip_height < 1) return 0;
    int64_t x0 = *px0, y0 = *py0, x1 = *px1, y1 = *py1;
    int c0 = Outcode(s, x0, y0), c1 = Outcode(s, x1, y1);
    if ((c0 & c1) != 0) return 0;
    if ((c0 | c1) == 0) return 1;

    if ((c0 & (kOutAbove | kOutBelow)) != 0) {
        int64_t y_new = (c0 & kOutBelow) != 0 ? s.clip_height - 1 : 0;
        x0 = x0 + MulDivTrunc(x1 - x0, y_new - y0, y1 - y0);
        y0 = y_new;
        c0 = OutcodeX(s, x0);
    }
    if ((c1 & (kOutAbove | kOutBelow)) != 0) {
        int64_t y_new = (c1 & kOutBelow) != 0 ? s.clip_height - 1 : 0;
        x1 = x1 + MulDivTrunc(x1 - x0, y_new - y1, y1 - y0);
        y1 = y_new;
        c1 = OutcodeX(s, x1);
    }
    if ((c0 & c1) != 0) return 0;
    if ((c0 | c1) != 0) {
        if (c0 != 0) {
            int64_t x_new = c0 == kOutLeft ? 0 : s.clip_width - 1;
            y0 = y0 + MulDivTrunc(y1 - y0, x_new - x0, x1 - x0);
            x0 = x_new;
        }
        if (c1 != 0) {
            int64_t x_new = c1 == kOutLeft ? 0 : s.clip_width - 1;
            y1 = y1 + MulDivTrunc(y1 - y0, x_new - x1, x1 - x0);
            x1 = x_new;
        }
    }
    *px0 = static_cast<int32_t>(x0);
    *py0 = static_cast<int32_t>(y0);
    *px1 = static_cast<int32_t>(x1);
    *py1 = static_cast<int32_t>(y1);
    return 1;
}

// ---------------------------------------------------------------------------
// Anti-aliased lines
// ---------------------------------------------------------------------------

// The line steps one pixel per iteration along its major axis. A 16-bit
// accumulator adds minor/major * 65536 each step; when it wraps, the line
// moves one pixel along the minor axis as well. The fraction acc >> 8 says how
// far the true line has moved past the pixel centre towards the next minor
// position: the main pixel gets 255 - w and its neighbour on that side gets w.
//
//   major step  --->
//   [main 255-w][main ...]
//   [nbr  w    ][nbr  ...]      (neighbour one pixel further along the minor axis)
//
// The main pixels never leave the box spanned by the two endpoints (the
// accumulator wraps at most |minor| times); only the neighbour can, and it is
// skipped then. A 45-degree line has step 65536, which is 0 modulo 65536:
// every iteration counts as a wrap, so it advances diagonally at full coverage.
//
// Both endpoints lie on the surface. The pen is a value from WithPenKind, so
// the opaque and translucent pens plot inline; a vertical or horizontal line
// is one run, as DrawVSpan and DrawHSpan draw it.
template <typename Pen>
static void DrawLineWith(const ScreenSurface& s, const Pen& pen, int32_t x0, int32_t y0, int32_t x1,
                         int32_t y1) {
    if (x0 == x1) {
        const int32_t lo = y0 < y1 ? y0 : y1, hi = y0 < y1 ? y1 : y0;
        pen.Run(PixelAddress(s, x0, lo), s.y_step, hi - lo + 1);
        return;
    }
    if (y0 == y1) {
        const int32_t lo = x0 < x1 ? x0 : x1, hi = x0 < x1 ? x1 : x0;
        pen.Run(PixelAddress(s, lo, y0), s.x_step, hi - lo + 1);
        return;
    }
    int32_t dx = x1 - x0, dy = y1 - y0;
    int32_t sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    int32_t adx = dx > 0 ? dx : -dx, ady = dy > 0 ? dy : -dy;

    uint16_t* p = PixelAddress(s, x0, y0);
    pen.Plain(p);

    int32_t x_step_px = sx * s.x_step, y_step_px = sy * s.y_step;
    uint16_t acc = 0;
    if (ady > adx) {
        uint16_t step = static_cast<uint16_t>((adx * 65536) / ady);
        int32_t x = x0;
        for (int32_t n = ady; n > 0; --n) {
            p += y_step_px;
            uint16_t acc_new = static_cast<uint16_t>(acc + step);
            if (acc_new <= acc) {
                x += sx;
                p += x_step_px;
            }
            acc = acc_new;
            int w = acc >> 8;
            pen.Edge(p, kFullCoverage - w);
            if (static_cast<uint32_t>(x + sx) < static_cast<uint32_t>(s.clip_width))
                pen.Edge(p + x_step_px, w);
        }
    } else {
        uint16_t step = static_cast<uint16_t>((ady * 65536) / adx);
        int32_t y = y0;
        for (int32_t n = adx; n > 0; --n) {
            p += x_step_px;
            uint16_t acc_new = static_cast<uint16_t>(acc + step);
            if (acc_new <= acc) {
                y += sy;
                p += y_step_px;
            }
            acc = acc_new;
            int w = acc >> 8;
            pen.Edge(p, kFullCoverage - w);
            if (static_cast<uint32_t>(y + sy) < static_cast<uint32_t>(s.clip_height))
                pen.Edge(p + y_step_px, w);
        }
    }
}

// Endpoints both on the surface need no clipping: ClipLine would hand them
// back unchanged.
void DrawLine(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (!(OnSurface(s, x0, y0) && OnSurface(s, x1, y1)) && !ClipLine(s, &x0, &y0, &x1, &y1)) return;
    WithPenKind(s, [&](const auto& pen) { DrawLineWith(s, pen, x0, y0, x1, y1); });
}

void DrawLineUnclipped(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    // Endpoints off the surface are a caller's mistake; clip them rather than
    // write outside the buffer.
    DrawLine(s, x0, y0, x1, y1);
}

// ---------------------------------------------------------------------------
// Dashed lines
// ---------------------------------------------------------------------------

// Bresenham along the major axis (ties count as steep). The pattern starts at
// the clipped start point: pixel k tests bit k mod 16.
void DrawDashedLine(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    uint16_t pattern) {
    if (!ClipLine(s, &x0, &y0, &x1, &y1)) return;
    int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int32_t adx = x1 > x0 ? x1 - x0 : x0 - x1;
    int32_t ady = y1 > y0 ? y1 - y0 : y0 - y1;
    int32_t x_step_px = sx * s.x_step, y_step_px = sy * s.y_step;

    uint16_t* p = PixelAddress(s, x0, y0);
    if ((pattern & 1) != 0) {
        s.current_pixel = p;
        s.plain_plot(s);
    }
    uint16_t mask = 2;
    // Steep lines step y every pixel and x on a Bresenham carry; flat ones the reverse.
    int32_t major = adx <= ady ? ady : adx;
    int32_t minor = adx <= ady ? adx : ady;
    int32_t major_px = adx <= ady ? y_step_px : x_step_px;
    int32_t minor_px = adx <= ady ? x_step_px : y_step_px;
    int32_t err = 2 * minor - major;
    for (int32_t n = major; n > 0; --n) {
        if (err >= 0) {
            p += minor_px;
            err += 2 * (minor - major);
        } else {
            err += 2 * minor;
        }
        p += major_px;
        if ((pattern & mask) != 0) {
            s.current_pixel = p;
            s.plain_plot(s);
        }
        mask = static_cast<uint16_t>(mask == 0x8000 ? 1 : mask << 1);
    }
}
