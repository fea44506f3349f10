#include "raster/polygon_fill.h"

#include <type_traits>

#include "geometry/fixed.h"
#include "surface/pen.h"

// Geometry: vertices sit on pixel corners; row y is the band between the
// horizontal lines y and y + 1. An edge from (xt, yt) down to (xb, yb) is
// active on rows yt .. yb - 1 and, while row y is drawn, x_q8 is its x on the
// line y and x_q8 + dx_q8 its x on the line y + 1. Edges are kept in buckets
// by their top row; each row the active list is advanced, re-sorted by one
// bubble pass, merged with the row's new edges and filled pair by pair
// (even-odd rule).

Edge* AllocEdge(ScreenSurface& s) {
    EdgeTable& t = s.edges;
    if (t.pool_next - t.pool >= kEdgePoolSize) return nullptr;
    return t.pool_next++;
}

// Stores one downward edge whose ends both lie within kEdgeReach: every Q8
// value it produces (x, x + dx, x after any number of rows it is active)
// lies between xt * 256 and xb * 256, so 32 bits hold them all.
static void StoreEdge(ScreenSurface& s, int32_t xt, int64_t yt, int32_t xb, int64_t yb) {
    if (yt == yb) return;
    int32_t height = RowLimit(s);
    if (yb < 0 || yt >= height) return;

    // Scale, then divide: the order decides the low bits of dx.
    int32_t x_q8 = xt * kOneQ8;
    int32_t dx_q8 = static_cast<int32_t>(static_cast<int64_t>(xb - xt) * kOneQ8 / (yb - yt));
    if (yt < 0) {
        x_q8 = static_cast<int32_t>(x_q8 - static_cast<int64_t>(dx_q8) * yt);
        yt = 0;
    }
    if (yb > height) yb = height;
    InsertEdge(s.edges, static_cast<int32_t>(yt), static_cast<int32_t>(yb), x_q8, dx_q8);
}

// The row where the segment crosses the vertical line x = bound, truncated
// toward its top end; the segment's ends lie on either side of that line.
static int64_t RowAtX(int64_t xt, int64_t yt, int64_t xb, int64_t yb, int64_t bound) {
    // The magnitudes are below 2^32 and their product below 2^64, so it is
    // formed unsigned; the quotient lies between 0 and yb - yt.
    uint64_t across = static_cast<uint64_t>(bound > xt ? bound - xt : xt - bound);
    uint64_t width = static_cast<uint64_t>(xb > xt ? xb - xt : xt - xb);
    return yt + static_cast<int64_t>(across * static_cast<uint64_t>(yb - yt) / width);
}

static int64_t ClampToReach(int64_t x) {
    return x < -kEdgeReach ? -kEdgeReach : x > kEdgeReach ? kEdgeReach : x;
}

// An edge with an end further than kEdgeReach to the side is cut where it
// crosses x = -kEdgeReach or x = +kEdgeReach, and each part beyond becomes a
// vertical edge on that line. Every row then crosses the same number of
// edges on either side of any visible pixel, so the even-odd fill of the
// surface is unchanged; edges within reach are stored exactly as given.
void AddEdgeWide(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (y0 == y1) return;
    int64_t xt = x0, yt = y0, xb = x1, yb = y1;
    if (y1 < y0) {
        xt = x1; yt = y1; xb = x0; yb = y0;
    }
    if (yb < 0 || yt >= RowLimit(s)) return;
    if (ClampToReach(xt) == xt && ClampToReach(xb) == xb) {
        StoreEdge(s, static_cast<int32_t>(xt), yt, static_cast<int32_t>(xb), yb);
        return;
    }
    // The two lines in the order the edge meets them going down.
    int64_t lines[2] = {-kEdgeReach, kEdgeReach};
    if (xb < xt) {
        lines[0] = kEdgeReach;
        lines[1] = -kEdgeReach;
    }
    int64_t piece_x = ClampToReach(xt), piece_y = yt;
    for (int64_t line : lines) {
        if ((xt < line) == (xb < line)) continue;
        int64_t cross_y = RowAtX(xt, yt, xb, yb, line);
        StoreEdge(s, static_cast<int32_t>(piece_x), piece_y, static_cast<int32_t>(line), cross_y);
        piece_x = line;
        piece_y = cross_y;
    }
    StoreEdge(s, static_cast<int32_t>(piece_x), piece_y, static_cast<int32_t>(ClampToReach(xb)), yb);
}

// ---------------------------------------------------------------------------
// Row steps
// ---------------------------------------------------------------------------

// Drops the edges that end above this row, moves the rest down one row, and
// restores the x order with one bubble pass: an edge whose new x is smaller
// than its predecessor's swaps with it, and the walk goes on comparing the
// next edge with the larger of the two.
Edge* AdvanceActiveEdges(Edge* active, int32_t row) {
    Edge* head = active;
    Edge** link = &head;        // the slot that holds the edge being looked at
    Edge** prev_link = nullptr;  // the slot that holds prev
    Edge* prev = nullptr;        // the last edge kept, the largest x so far
    while (*link != nullptr) {
        Edge* e = *link;
        if (e->y_end <= row) {
            *link = e->next_active;
            continue;
        }
        e->x_q8 = Add32(e->x_q8, e->dx_q8);
        if (prev != nullptr && e->x_q8 < prev->x_q8) {
            prev->next_active = e->next_active;
            e->next_active = prev;
            *prev_link = e;
            prev_link = &e->next_active;
            link = &prev->next_active;
        } else {
            prev_link = link;
            prev = e;
            link = &e->next_active;
        }
    }
    return head;
}

// Inserts the bucket's edges, in bucket order, each after every active edge
// whose x is smaller or equal. The search for each edge starts at the one
// inserted before it; an edge left of that one goes directly before it.
Edge* MergeNewEdges(Edge* active, Edge* bucket) {
    Edge* head = active;
    Edge** link = &head;  // slot of the edge inserted last (or the list head)
    bool first = true;
    for (Edge* e = bucket; e != nullptr;) {
        Edge* next = e->next_in_bucket;
        if (first || e->x_q8 >= (*link)->x_q8) {
            while (*link != nullptr && (*link)->x_q8 <= e->x_q8) link = &(*link)->next_active;
        }
        e->next_active = *link;
        *link = e;
        first = false;
        e = next;
    }
    return head;
}

// One span of a row. xa..xb is the left edge's x range within the row and
// xc..xd the right edge's, all Q8. Columns are pixel indices (x_q8 >> 8).
//
//   L0      L1              R0     R1
//   |ramp up|  solid ...     solid |ramp down|
//
// The left boundary gets a coverage ramp over the columns its edge crosses
// (or one pixel of the uncovered fraction); the interior runs solid up to and
// including R0, the right edge's start column; the right boundary starts one
// column further right (R0 + 1) and falls from 255 over the columns up to R1,
// or carries the mean fraction in one pixel when the edge stays in a column.
// No column is written twice and nothing outside the surface is written.
// A ramp's coverage in Q8, from full (255 << 8) down to none or back.
constexpr int32_t kFullRampQ8 = kFullCoverage * kOneQ8;

void FillSpanAA(ScreenSurface& s, int32_t row, int32_t xa_q8, int32_t xb_q8, int32_t xc_q8,
                int32_t xd_q8) {
    const int32_t width = s.clip_width;
    if (static_cast<uint32_t>(row) >= static_cast<uint32_t>(s.clip_height)) return;
    if (xb_q8 > xc_q8) {
        xb_q8 = xc_q8;
        if (xa_q8 > xc_q8) xa_q8 = xc_q8;
    }
    if (xa_q8 < 0) xa_q8 = 0;
    if (xb_q8 < 0) xb_q8 = 0;
    constexpr int32_t kFraction = kOneQ8 - 1;
    int32_t l0 = xa_q8 >> kQ8Shift, l1 = xb_q8 >> kQ8Shift, r0 = xc_q8 >> kQ8Shift, r1 = xd_q8 >> kQ8Shift;
    int32_t fa = xa_q8 & kFraction, fb = xb_q8 & kFraction, fc = xc_q8 & kFraction,
            fd = xd_q8 & kFraction;
    if (xd_q8 < 0 || l0 >= width) return;

    const int32_t step_px = s.x_step;
    uint16_t* const row_start = s.pixel_base + row * s.y_step;
    uint16_t* p = row_start + l0 * step_px;
    int32_t last = l0;  // the rightmost column written so far

    // Left boundary.
    if (l0 == l1 && l1 != r0) {
        s.current_pixel = p;
        s.coverage_plot(s, kFullCoverage - ((fa + fb) >> 1));
    } else if (l0 == l1) {
        int32_t l = (fa + fb) >> 1, r = (fc + fd) >> 1;
        s.current_pixel = p;
        if (r0 == r1) {
            s.coverage_plot(s, l > r ? l - r : r - l);
            return;
        }
        s.coverage_plot(s, l > r ? l : r);
    } else {
        int32_t step = kFullRampQ8 / (l1 - l0);
        if (l1 >= width) l1 = width - 1;
        int32_t acc = 0;
        for (int32_t col = l0;; ++col) {
            s.current_pixel = p;
            s.coverage_plot(s, (acc >> kQ8Shift) & kFullCoverage);
            if (col >= l1) break;
            acc += step;
            p += step_px;
        }
        if (l1 > last) last = l1;
    }

    // Interior, solid up to and including the right edge's start column.
    int32_t r0c = r0 < width - 1 ? r0 : width - 1;
    if (r0c > last) {
        s.run_plot(s, row_start + (last + 1) * step_px, step_px, r0c - last);
        last = r0c;
    }

    // Right boundary, from column r0 + 1; columns at or left of the last one
    // written, or beyond the surface, are skipped.
    int32_t first = last + 1 > r0 + 1 ? last + 1 : r0 + 1;
    int32_t end = r1 < width - 1 ? r1 : width - 1;
    if (r0 == r1) {
        if (first == r0 + 1 && first < width) {
            s.current_pixel = row_start + first * step_px;
            s.coverage_plot(s, (fc + fd) >> 1);
        }
        return;
    }
    if (first > end) return;
    int32_t step = -kFullRampQ8 / (r1 - r0);
    // Column r0 + 1 + k gets 65280 + k * step; |k * step| stays below 65281.
    int32_t acc = kFullRampQ8 + (first - (r0 + 1)) * step;
    p = row_start + first * step_px;
    for (int32_t col = first;; ++col) {
        s.current_pixel = p;
        s.coverage_plot(s, (acc >> kQ8Shift) & kFullCoverage);
        if (col == end) break;
        acc += step;
        p += step_px;
    }
}

// ---------------------------------------------------------------------------
// The span with the pen built in
// ---------------------------------------------------------------------------
// FillSpanAA plots through the slots, a call per pixel. The fill draws the
// same spans with a pen value instead (surface/pen.h): the same columns in
// the same order with the same coverages, so the same words, with the
// plots inline and the pen's colour prepared once per fill. The caller has
// checked the row, and the ramp steps come from a table for the lengths a
// surface row can have: 65280 / n and -65280 / n are the quotients of the
// division (C++ truncates toward zero, so the negative step is the negated
// quotient).

constexpr int32_t kRampTableSize = 256;
struct RampTable {
    int32_t step_q8[kRampTableSize];  // 65280 / n; entry 0 unused
    constexpr RampTable() : step_q8() {
        for (int32_t n = 1; n < kRampTableSize; ++n) step_q8[n] = kFullRampQ8 / n;
    }
};
constexpr RampTable kRamp;

static inline int32_t RampStepQ8(int32_t columns) {
    return static_cast<uint32_t>(columns) < kRampTableSize ? kRamp.step_q8[columns]
                                                           : kFullRampQ8 / columns;
}

// Step is int32_t, or UnitStep where the surface's rows run left to right
// in memory (x step 1, the display's own layout), which saves the
// multiplications of the addresses.
using UnitStep = std::integral_constant<int32_t, 1>;

template <typename Pen, typename Step>
[[gnu::always_inline]] static inline void FillSpanWith(const Pen& pen, uint16_t* const row_start,
                                                       const int32_t width, const Step step_px,
                                                       int32_t xa_q8, int32_t xb_q8, int32_t xc_q8,
                                                       int32_t xd_q8) {
    constexpr int32_t kFraction = kOneQ8 - 1;
    // Most spans lie wholly on the surface, short of its last column, with
    // their edges apart: 0 <= xa <= xb <= xc <= xd < (width - 1) * 256. Then
    // nothing is clamped, the left boundary ends at or before r0, so the
    // right one starts at r0 + 1 from full coverage and ends at r1 within the
    // surface, and the same pixels get the same coverages without the checks.
    if (xa_q8 >= 0 && xa_q8 <= xb_q8 && xb_q8 <= xc_q8 && xc_q8 <= xd_q8 &&
        xd_q8 < (width - 1) * kOneQ8) {
        const int32_t l0 = xa_q8 >> kQ8Shift, l1 = xb_q8 >> kQ8Shift;
        const int32_t r0 = xc_q8 >> kQ8Shift, r1 = xd_q8 >> kQ8Shift;
        uint16_t* p = row_start + l0 * step_px;
        if (l0 == l1) {
            const int32_t l = ((xa_q8 & kFraction) + (xb_q8 & kFraction)) >> 1;
            if (l1 != r0) {
                pen.Edge(p, kFullCoverage - l);
            } else {
                const int32_t r = ((xc_q8 & kFraction) + (xd_q8 & kFraction)) >> 1;
                if (r0 == r1) {
                    pen.Edge(p, l > r ? l - r : r - l);
                    return;
                }
                pen.Edge(p, l > r ? l : r);
            }
        } else {
            const int32_t step = RampStepQ8(l1 - l0);
            int32_t acc = 0;
            for (int32_t col = l0;; ++col) {
                pen.Edge(p, (acc >> kQ8Shift) & kFullCoverage);
                if (col == l1) break;
                acc += step;
                p += step_px;
            }
        }
        if (r0 > l1) pen.Run(row_start + (l1 + 1) * step_px, step_px, r0 - l1);
        p = row_start + (r0 + 1) * step_px;
        if (r0 == r1) {
            pen.Edge(p, ((xc_q8 & kFraction) + (xd_q8 & kFraction)) >> 1);
            return;
        }
        const int32_t step = -RampStepQ8(r1 - r0);
        int32_t acc = kFullRampQ8;
        for (int32_t col = r0 + 1;; ++col) {
            pen.Edge(p, (acc >> kQ8Shift) & kFullCoverage);
            if (col == r1) break;
            acc += step;
            p += step_px;
        }
        return;
    }

    if (xb_q8 > xc_q8) {
        xb_q8 = xc_q8;
        if (xa_q8 > xc_q8) xa_q8 = xc_q8;
    }
    if (xa_q8 < 0) xa_q8 = 0;
    if (xb_q8 < 0) xb_q8 = 0;
    const int32_t l0 = xa_q8 >> kQ8Shift;
    if (xd_q8 < 0 || l0 >= width) return;
    int32_t l1 = xb_q8 >> kQ8Shift;
    const int32_t r0 = xc_q8 >> kQ8Shift, r1 = xd_q8 >> kQ8Shift;
    uint16_t* p = row_start + l0 * step_px;
    int32_t last = l0;  // the rightmost column written so far

    // Left boundary.
    if (l0 == l1) {
        const int32_t l = ((xa_q8 & kFraction) + (xb_q8 & kFraction)) >> 1;
        if (l1 != r0) {
            pen.Edge(p, kFullCoverage - l);
        } else {
            const int32_t r = ((xc_q8 & kFraction) + (xd_q8 & kFraction)) >> 1;
            if (r0 == r1) {
                pen.Edge(p, l > r ? l - r : r - l);
                return;
            }
            pen.Edge(p, l > r ? l : r);
        }
    } else {
        const int32_t step = RampStepQ8(l1 - l0);
        if (l1 >= width) l1 = width - 1;
        int32_t acc = 0;
        for (int32_t col = l0;; ++col) {
            pen.Edge(p, (acc >> kQ8Shift) & kFullCoverage);
            if (col >= l1) break;
            acc += step;
            p += step_px;
        }
        if (l1 > last) last = l1;
    }

    // Interior, solid up to and including the right edge's start column.
    const int32_t r0c = r0 < width - 1 ? r0 : width - 1;
    if (r0c > last) {
        pen.Run(row_start + (last + 1) * step_px, step_px, r0c - last);
        last = r0c;
    }

    // Right boundary, from column r0 + 1.
    const int32_t first = last > r0 ? last + 1 : r0 + 1;
    if (r0 == r1) {
        if (first == r0 + 1 && first < width)
            pen.Edge(row_start + first * step_px, ((xc_q8 & kFraction) + (xd_q8 & kFraction)) >> 1);
        return;
    }
    const int32_t end = r1 < width - 1 ? r1 : width - 1;
    if (first > end) return;
    const int32_t step = -RampStepQ8(r1 - r0);
    int32_t acc = kFullRampQ8 + (first - (r0 + 1)) * step;
    p = row_start + first * step_px;
    for (int32_t col = first;; ++col) {
        pen.Edge(p, (acc >> kQ8Shift) & kFullCoverage);
        if (col == end) break;
        acc += step;
        p += step_px;
    }
}

void FillSpanFast(ScreenSurface& s, int32_t row, int32_t xa_q8, int32_t xb_q8, int32_t xc_q8,
                  int32_t xd_q8) {
    if (static_cast<uint32_t>(row) >= static_cast<uint32_t>(s.clip_height)) return;
    uint16_t* const row_start = s.pixel_base + row * s.y_step;
    WithPenKind(s, [&](const auto& pen) {
        if (s.x_step == 1)
            FillSpanWith(pen, row_start, s.clip_width, UnitStep{}, xa_q8, xb_q8, xc_q8, xd_q8);
        else
            FillSpanWith(pen, row_start, s.clip_width, s.x_step, xa_q8, xb_q8, xc_q8, xd_q8);
    });
}

// ---------------------------------------------------------------------------
// The fill
// ---------------------------------------------------------------------------

// The pair loop of one row: the edges pair up left to right (even-odd); a
// pair whose right edge lies left of the surface draws nothing, and once a
// left edge lies right of it no later pair can draw. span(xa, xb, xc, xd)
// draws a pair's span from the x ranges of its edges within the row.
template <typename Span>
[[gnu::always_inline]] static inline void FillPairs(const Edge* active, int32_t right_q8,
                                                    const Span& span) {
    for (const Edge* l = active; l != nullptr && l->next_active != nullptr;) {
        const Edge* r = l->next_active;
        const Edge* next_pair = r->next_active;
        if (r->x_q8 >= 0) {
            if (l->x_q8 > right_q8) break;
            const int32_t l_next = Add32(l->x_q8, l->dx_q8), r_next = Add32(r->x_q8, r->dx_q8);
            span(l->x_q8 < l_next ? l->x_q8 : l_next, l->x_q8 < l_next ? l_next : l->x_q8,
                 r->x_q8 < r_next ? r->x_q8 : r_next, r->x_q8 < r_next ? r_next : r->x_q8);
        }
        l = next_pair;
    }
}

// Through the slots (the XOR pen, or slots of a test's own): the rows in
// their plain form, AdvanceActiveEdges and MergeNewEdges on every row and
// FillSpanAA for every span. The fill with the pen built in must draw
// exactly this.
template <typename Step>
static void FillRows(ScreenSurface& s, const SlotPenKind&, Step) {
    EdgeTable& t = s.edges;
    Edge* active = nullptr;
    for (int32_t y = t.min_row; y < t.max_row; ++y) {
        active = AdvanceActiveEdges(active, y);
        active = MergeNewEdges(active, t.buckets[y]);
        FillPairs(active, s.clip_width * kOneQ8, [&s, y](int32_t xa, int32_t xb, int32_t xc, int32_t xd) {
            FillSpanAA(s, y, xa, xb, xc, xd);
        });
    }
}

// With the pen built in: spans by FillSpanWith, inline. Rows min_row ..
// max_row - 1 lie within the surface (see StoreEdge), so they need no row
// check. Most rows of small shapes have exactly two active edges, and two
// cases of them are written out here with the result of the general steps:
// both go on and none starts (the bubble pass is one compare), or one ends
// and one starts (the merge of one edge beside the one left is one compare).
template <typename Pen, typename Step>
static void FillRows(ScreenSurface& s, const Pen& pen, Step step_px) {
    EdgeTable& t = s.edges;
    const int32_t width = s.clip_width, right_q8 = width * kOneQ8, row_step_px = s.y_step;
    uint16_t* const base = s.pixel_base;
    int32_t row_offset = t.min_row * row_step_px;
    Edge* active = nullptr;
    for (int32_t y = t.min_row; y < t.max_row; ++y, row_offset += row_step_px) {
        uint16_t* const row_start = base + row_offset;
        Edge* const bucket = t.buckets[y];
        Edge* const second = active != nullptr ? active->next_active : nullptr;
        const bool pair = second != nullptr && second->next_active == nullptr;
        const bool first_goes_on = pair && active->y_end > y, second_goes_on = pair && second->y_end > y;
        if (first_goes_on && second_goes_on && bucket == nullptr) {
            active->x_q8 = Add32(active->x_q8, active->dx_q8);
            second->x_q8 = Add32(second->x_q8, second->dx_q8);
            if (second->x_q8 < active->x_q8) {
                active->next_active = nullptr;
                second->next_active = active;
                active = second;
            }
        } else if (first_goes_on != second_goes_on && bucket != nullptr &&
                   bucket->next_in_bucket == nullptr) {
            Edge* keep = first_goes_on ? active : second;
            keep->x_q8 = Add32(keep->x_q8, keep->dx_q8);
            Edge* left = keep->x_q8 <= bucket->x_q8 ? keep : bucket;
            Edge* right = left == keep ? bucket : keep;
            left->next_active = right;
            right->next_active = nullptr;
            active = left;
        } else {
            if (active != nullptr) active = AdvanceActiveEdges(active, y);
            if (bucket != nullptr) active = MergeNewEdges(active, bucket);
        }
        FillPairs(active, right_q8, [&](int32_t xa, int32_t xb, int32_t xc, int32_t xd) {
            FillSpanWith(pen, row_start, width, step_px, xa, xb, xc, xd);
        });
    }
}

void FillEdges(ScreenSurface& s) {
    EdgeTable& t = s.edges;
    if (t.max_row == -1) return;
    WithPenKind(s, [&s](const auto& pen) {
        if (s.x_step == 1) FillRows(s, pen, UnitStep{});
        else FillRows(s, pen, s.x_step);
    });
    for (int32_t y = t.min_row; y <= t.max_row; ++y) t.buckets[y] = nullptr;
    t.max_row = -1;
    t.min_row = static_cast<int16_t>(RowLimit(s) + 1);
    t.pool_next = t.pool;
}
