#include "raster/ellipses.h"

#include "raster/lines.h"
#include "surface/pen.h"

// The largest radius drawn as a figure. Spans take 16-bit coordinates, and a
// larger figure that still crosses the surface needs a centre tens of
// thousands of pixels away, far outside anything on screen; its work would
// grow with the radius.
constexpr int32_t kMaxRadius = 32767;

// True when the box cx - rx .. cx + rx, cy - ry .. cy + ry misses the surface.
// After it fails, with radii up to kMaxRadius, every coordinate the figures
// compute stays well inside 32 bits.
static bool MissesSurface(const ScreenSurface& s, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    int64_t x = cx, y = cy;
    return x + rx < 0 || x - rx >= s.clip_width || y + ry < 0 || y - ry >= s.clip_height;
}

// ---------------------------------------------------------------------------
// Circle outline
// ---------------------------------------------------------------------------

// Midpoint circle over the octant from (0, r) to the diagonal, with
// d = (x + 1)^2 + y^2 - y - r^2, the midpoint test for the next column,
// kept by second-order differences: dE after a step right, dSE after a step
// right and down. Each point is mirrored into all eight octants; the mirror
// tests skip the copies that coincide on an axis or on the diagonal, so every
// outline pixel is plotted once (which matters under the XOR pen).
void DrawCircle(ScreenSurface& s, int32_t cx, int32_t cy, int32_t r) {
    if (r < 2) {
        PlotPixel(s, cx, cy);
        return;
    }
    if (r > kMaxRadius || MissesSurface(s, cx, cy, r, r)) return;
    int32_t x = 0, y = r, d = 1 - r, d_e = 3, d_se = 5 - 2 * r;
    while (x <= y) {
        PlotPixel(s, cx + x, cy + y);
        if (x != 0) PlotPixel(s, cx - x, cy + y);
        if (y != 0) PlotPixel(s, cx + x, cy - y);
        if (x != 0 && y != 0) PlotPixel(s, cx - x, cy - y);
        if (x != y) {
            PlotPixel(s, cx + y, cy + x);
            if (x != 0) PlotPixel(s, cx + y, cy - x);
            if (y != 0) PlotPixel(s, cx - y, cy + x);
            if (x != 0 && y != 0) PlotPixel(s, cx - y, cy - x);
        }
        ++x;
        if (d < 0) {
            d += d_e;
            d_e += 2;
            d_se += 2;
        } else {
            --y;
            d += d_se;
            d_e += 2;
            d_se += 4;
        }
    }
}

// ---------------------------------------------------------------------------
// Ellipse outline
// ---------------------------------------------------------------------------

// The four mirror images of (dx, dy) about the centre, a zero offset drawn once.
static void PlotMirrored(ScreenSurface& s, int32_t cx, int32_t cy, int32_t dx, int32_t dy) {
    PlotPixel(s, cx + dx, cy + dy);
    if (dx != 0) PlotPixel(s, cx - dx, cy + dy);
    if (dy != 0) PlotPixel(s, cx + dx, cy - dy);
    if (dx != 0 && dy != 0) PlotPixel(s, cx - dx, cy - dy);
}

// A circle of the larger radius R, squeezed by S / R along the smaller axis.
// The circle point (u, v) in Q6 (64 = one pixel) starts at (0, R) and turns
// by the recurrence u += v / R, v -= u / R, which stays on a closed curve
// without square roots. Each step yields two points of the octant from the
// long axis to the diagonal: (a along the short axis, b along the long one)
// and its mirror in the diagonal; the short-axis coordinate of each is
// scaled by S / R. A group is drawn only when one of its coordinates changed,
// which skips the repeats that the squeeze produces.
void DrawEllipse(ScreenSurface& s, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
    if (rx < 1) rx = 1;
    if (ry < 1) ry = 1;
    bool long_is_vertical = ry >= rx;
    int32_t big = long_is_vertical ? ry : rx, small = long_is_vertical ? rx : ry;
    if (big > kMaxRadius || MissesSurface(s, cx, cy, rx, ry)) return;

    int32_t u_q6 = 0, v_q6 = 64 * big;
    int32_t prev_a = 65535, prev_b = 65535, prev_sa = 65535, prev_sb = 65535;
    // The turn takes about 0.8 R steps; the cap only guards the loop.
    for (int32_t guard = 4 * big + 64; guard > 0; --guard) {
        int32_t a = (u_q6 + 32) >> 6, b = (v_q6 + 32) >> 6;
        int32_t sa = a * small / big, sb = b * small / big;
        if ((b != prev_b || sa != prev_sa) && a < b) {
            if (long_is_vertical) PlotMirrored(s, cx, cy, sa, b);
            else PlotMirrored(s, cx, cy, b, sa);
        }
        if ((a != prev_a || sb != prev_sb) && a < prev_b) {
            if (long_is_vertical) PlotMirrored(s, cx, cy, sb, a);
            else PlotMirrored(s, cx, cy, a, sb);
        }
        prev_a = a;
        prev_b = b;
        prev_sa = sa;
        prev_sb = sb;
        u_q6 += v_q6 / big;
        v_q6 -= u_q6 / big;
        if (b <= a) break;
    }
}

// ---------------------------------------------------------------------------
// Soft disc
// ---------------------------------------------------------------------------

static void CoverageAt(ScreenSurface& s, int32_t x, int32_t y, int coverage) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(s.clip_width) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(s.clip_height))
        return;
    s.current_pixel = s.pixel_base + x * s.x_step + y * s.y_step;
    s.coverage_plot(s, coverage);
}

// True when every pixel of the surface lies at least two pixels inside the
// circle, so the disc covers the surface with solid rows.
static bool CoversSurface(const ScreenSurface& s, int32_t cx, int32_t cy, int32_t r) {
    int64_t inner = static_cast<int64_t>(r) - 2;
    uint64_t limit = static_cast<uint64_t>(inner * inner);
    for (int32_t corner = 0; corner < 4; ++corner) {
        int64_t dx = (corner & 1 ? s.clip_width - 1 : 0) - static_cast<int64_t>(cx);
        int64_t dy = (corner & 2 ? s.clip_height - 1 : 0) - static_cast<int64_t>(cy);
        // Each square is below 2^63, their sum below 2^64.
        uint64_t distance2 = static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy);
        if (distance2 > limit) return false;
    }
    return true;
}

// The midpoint circle of DrawCircle, walked over the octant from the top
// (0, r) to the diagonal. Each column x fills the two rows cy + x and cy - x
// between the steep parts of the rim (columns cx - y + 1 .. cx + y - 1).
// When y is about to drop, the run of columns taken on this y (run of them,
// ending at x) is the flat part of the rim: it is plotted in all eight
// octants with a coverage ramp rising from the outer end to the inner end,
//
//     k = 0 .. run - 1, coverage ((k + 1) * (alpha * 256 / run)) >> 8,
//
// and the flat row's inside (|t| < x - run + 1) is filled solid. The ramp
// follows the local slope: long runs near the axes fade over many pixels,
// the diagonal over one or two.
void FillSoftDisc(ScreenSurface& s, int32_t cx, int32_t cy, int32_t r) {
    if (r < 1) {
        PlotPixel(s, cx, cy);
        return;
    }
    if (MissesSurface(s, cx, cy, r, r)) return;
    if (r > kMaxRadius) {
        if (CoversSurface(s, cx, cy, r)) {
            for (int32_t y = 0; y < s.clip_height; ++y) DrawHSpanWide(s, 0, y, s.clip_width - 1);
        }
        return;
    }
    int32_t x = 0, y = r, d = 1 - r, d_e = 3, d_se = 5 - 2 * r;
    int32_t run = 1, top = cy - r;
    for (;;) {
        if (y > 0) DrawHSpanWide(s, cx - y + 1, cy + x, cx + y - 1);
        if (x > 0) DrawHSpanWide(s, cx - y + 1, cy - x, cx + y - 1);
        if (d < 0) {
            d += d_e;
            d_e += 2;
            d_se += 2;
            ++run;
        } else {
            int32_t step = ((s.pen_alpha * 256) / run) & 0xFFFF;
            for (int32_t k = 0; k < run; ++k) {
                int coverage = ((k + 1) * step) >> 8;
                int32_t t = k - x;
                CoverageAt(s, cx + t, cy - y, coverage);
                CoverageAt(s, cx + t, cy + y, coverage);
                CoverageAt(s, cx - y, cy + x - k, coverage);
                CoverageAt(s, cx - y, cy + t, coverage);
                CoverageAt(s, cx + x - k, cy - y, coverage);
                CoverageAt(s, cx + x - k, cy + y, coverage);
                CoverageAt(s, cx + y, cy + x - k, coverage);
                CoverageAt(s, cx + y, cy + t, coverage);
            }
            if (x > run && y != x) {
                int32_t inside = x - run;
                DrawHSpanWide(s, cx - inside, top, cx + inside);
                DrawHSpanWide(s, cx - inside, cy + y, cx + inside);
            }
            --y;
            d += d_se;
            d_e += 2;
            d_se += 4;
            ++top;
            run = 1;
        }
        ++x;
        if (x > y) break;
    }
}
