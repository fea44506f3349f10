#include "raster/polygon_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numeric>
#include <random>

#include "raster/lines.h"
#include "raster_helpers.h"

namespace {

using Polygon = std::vector<std::array<int32_t, 2>>;
using EdgeList = std::vector<std::array<int32_t, 4>>;  // x0, y0, x1, y1

EdgeList EdgesOf(const std::vector<Polygon>& polygons) {
    EdgeList out;
    for (const Polygon& p : polygons)
        for (size_t i = 0; i < p.size(); ++i) out.push_back({p[i][0], p[i][1], p[(i + 1) % p.size()][0], p[(i + 1) % p.size()][1]});
    return out;
}

void Fill(const EdgeList& edges) {
    for (const auto& e : edges) AddEdge(surface, e[0], e[1], e[2], e[3]);
    FillEdges(surface);
}

// The table's records bucket by bucket, in bucket order; a fill empties it.
EdgeList TakeTable() {
    EdgeList records;
    for (int32_t row = 0; row < kEdgeBuckets; ++row)
        for (const Edge* e = surface.edges.buckets[row]; e != nullptr; e = e->next_in_bucket)
            records.push_back({row, e->y_end, e->x_q8, e->dx_q8});
    FillEdges(surface);
    return records;
}

}  // namespace

// Every pixel whose centre lies clear of all edges (three pixels, plus the
// drift of an edge's Q8 step, under 1/256 pixel a row from its top) is solid
// once when the even-odd rule puts the centre inside, untouched otherwise:
// crossing and nested contours, either orientation, cut at every border and
// by far ends.
TEST(PolygonFill, PixelsAwayFromTheEdgesFollowTheEvenOddRule) {
    const int32_t g = 1000000000;
    std::vector<std::vector<Polygon>> cases = {
        {{{20, 20}, {100, 20}, {100, 100}, {20, 100}}, {{40, 40}, {40, 80}, {80, 80}, {80, 40}}},
        {{{120, 10}, {160, 150}, {40, 60}, {200, 60}, {80, 150}}},
        {{{20, -30}, {200, 10}, {150, 25}, {60, 80}}, {{200, 300}, {400, 300}, {400, 600}, {200, 600}}},
        {{{240, 10}, {260, 10}, {260, 50}, {240, 50}}, {{-100, 10}, {-10, 10}, {-10, 50}, {-100, 50}},
         {{250, 60}, {270, 60}, {270, 90}, {250, 90}}, {{100, 50}, {239, 50}, {239, 90}, {100, 90}}},
        {{{-g, -40}, {g, 360}, {g, -40}}},
        {{{g, -40}, {-g, 360}, {-g, -40}}},
        {{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}}},
        {{{-3000000, 100}, {3000000, 140}, {200, 250}}, {{5000000, 200}, {-4000000, 20}, {100, 300}}},
    };
    std::mt19937 rng(5);
    auto coordinate = [&](int32_t lo, int32_t hi, int32_t far) {
        return rng() % 12 ? lo + static_cast<int32_t>(rng() % (hi - lo)) : static_cast<int32_t>(rng()) / far;
    };
    while (cases.size() < 40) {
        cases.emplace_back(1 + rng() % 3);
        for (Polygon& p : cases.back())
            for (size_t n = 3 + rng() % 5; p.size() < n;) p.push_back({coordinate(-60, 300, 256), coordinate(-60, 380, 1 << 20)});
    }
    for (size_t c = 0; c < cases.size(); ++c) {
        const EdgeList edges = EdgesOf(cases[c]);
        UseRecordingPen();
        Fill(edges);
        for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
            const double px = i % kScreenWidth + 0.5, py = i / kScreenWidth + 0.5;
            bool inside = false, clear = true;
            for (const auto& e : edges) {
                const double ax = e[0], ay = e[1], dx = e[2] - ax, dy = e[3] - ay, len2 = dx * dx + dy * dy;
                if ((ay > py) != (ay + dy > py) && px < ax + (py - ay) * dx / dy) inside = !inside;
                const double t = len2 == 0 ? 0 : std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0);
                clear = clear && std::hypot(ax + t * dx - px, ay + t * dy - py) >= 3 + std::max(0.0, py - std::min(ay, ay + dy)) / 256;
            }
            if (!clear) continue;
            ASSERT_EQ(hits[i], inside ? 1 : 0) << "case " << c << " at " << px << "," << py;
            ASSERT_GE(coverage[i], inside ? 255 : 0) << "case " << c << " at " << px << "," << py;
        }
    }
}

// A square's rows stop above its bottom edge and its spans reach one column
// past the right. Within a row the left edge ramps coverage up over the
// columns it crosses, the right one down from the column after its start;
// both in one column give one pixel.
TEST(PolygonFill, CoverageAtTheEdgesOfSquaresAndSpans) {
    UseRecordingPen();
    Fill(EdgesOf({{{10, 10}, {20, 10}, {20, 20}, {10, 20}}}));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(CoverageAt(x, y), y < 10 || y > 19 || x < 10 || x > 20 ? 0 : x == 10 ? 255 : 256) << x << "," << y;
    UseRecordingPen();
    FillSpanAA(surface, 7, 10 * 256, 14 * 256, 30 * 256, 34 * 256);
    FillSpanAA(surface, 5, 2600, 2620, 2760, 2780);
    const int ramps[] = {0, 63, 127, 191, 255, 255, 191, 127, 63, 0};
    for (int x = 10; x <= 35; ++x) EXPECT_EQ(CoverageAt(x, 7), x <= 14 ? ramps[x - 10] : x <= 30 ? 256 : ramps[x - 26]) << x;
    EXPECT_EQ(CoverageAt(10, 5), 160);
    EXPECT_EQ(std::accumulate(hits.begin(), hits.end(), 0), 4 + 16 + 4 + 1);
}

TEST(PolygonFill, EdgeOrderAndDirectionDoNotChangeThePixels) {
    EdgeList edges = EdgesOf({{{120, 10}, {160, 150}, {40, 60}, {200, 60}, {80, 150}},
                              {{10, 200}, {110, 180}, {120, 300}, {5, 310}, {30, 240}, {60, 280}, {90, 230}, {50, 215}},
                              {{150, 170}, {235, 175}, {160, 190}, {230, 220}, {155, 215}, {239, 300}, {140, 260}}});
    const std::vector<uint16_t> reference = DrawnSurface([&] { Fill(edges); });
    EXPECT_GT(CountPixelsNot(0xFFFF), 5000);
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(edges.begin(), edges.end(), rng);
        for (auto& e : edges)
            if (rng() & 1) e = {e[2], e[3], e[0], e[1]};
        ASSERT_EQ(DrawnSurface([&] { Fill(edges); }), reference) << round;
    }
}

// New edges of a row go in bucket order, each after every active edge of
// smaller or equal x, the search starting at the edge inserted before it.
TEST(PolygonFill, NewEdgesMergeIntoTheActiveOnesByX) {
    auto make = [](int32_t x) { return Edge{9, x, 0, nullptr, nullptr}; };
    Edge a = make(0), b = make(100), n1 = make(50), n2 = make(20), n3 = make(200), n4 = make(100);
    n1.next_in_bucket = &n2;
    n2.next_in_bucket = &n3;
    for (Edge* bucket : {&n1, &n4}) {
        a.next_active = &b;
        b.next_active = nullptr;
        std::vector<Edge*> order;
        for (Edge* e = MergeNewEdges(&a, bucket); e != nullptr; e = e->next_active) order.push_back(e);
        EXPECT_EQ(order, (bucket == &n1 ? std::vector<Edge*>{&a, &n2, &n1, &b, &n3} : std::vector<Edge*>{&a, &b, &n4}));
    }
}

// AddEdge's 32-bit form against the 64-bit one: edges of every size, many at
// the ends of its range (x +-2^21, rows +-2^29), in batches (bucket order).
TEST(PolygonFill, EdgesStoredInThirtyTwoBitsMatchTheWideForm) {
    std::mt19937 rng(31);
    ResetTestSurface();
    for (int batch = 0; batch < 400; ++batch) {
        EdgeList edges(1 + rng() % 12);
        for (auto& e : edges)
            for (int k = 0; k < 4; ++k) {
                const int32_t limit = k % 2 == 0 ? 1 << 21 : batch % 2 ? 1 << 29 : 200;
                e[k] = rng() % 2 ? static_cast<int32_t>(rng()) >> (rng() % 32)
                                 : (rng() % 2 ? limit : -limit) + static_cast<int32_t>(rng() % 5) - 2;
            }
        for (const auto& e : edges) AddEdge(surface, e[0], e[1], e[2], e[3]);
        const EdgeList fast = TakeTable();
        for (const auto& e : edges) AddEdgeWide(surface, e[0], e[1], e[2], e[3]);
        ASSERT_EQ(fast, TakeTable()) << "batch " << batch;
    }
}

// The fill's own spans against FillSpanAA's, with opaque, translucent and XOR
// pens: spans ordered as the fill makes them or not, off either side, long.
TEST(FillSpan, TheFillsOwnSpansEqualTheSlotSpans) {
    std::mt19937 rng(5);
    const int32_t kRanges[4][2] = {{-30, 300}, {-8, 16}, {236, 236}, {-32768, 65536}};  // pixels
    ResetTestSurface();
    for (uint32_t i = 0; i < 20000; ++i) {
        int32_t x[4];
        const int32_t* range = kRanges[rng() % 4];
        for (int32_t& v : x) {
            range = i % 5 ? range : kRanges[rng() % 4];  // mostly one range for the whole span
            v = range[0] * 256 + static_cast<int32_t>(rng() % static_cast<uint32_t>(range[1] * 256));
        }
        if (i % 4) std::sort(x, x + 2), std::sort(x + 2, x + 4);
        for (int k : {0, 2}) x[k + 1] = i % 3 == 1 ? x[k] + static_cast<int32_t>(rng() % 2048) : x[k + 1];
        const int32_t row = static_cast<int32_t>(rng() % 360) - 20, r = row < 0 || row >= 320 ? 0 : row;
        surface.pen_colour.word = static_cast<uint16_t>(rng());
        surface.pen_alpha = static_cast<uint8_t>(rng() % 2 ? 255 : rng() % 255);
        SelectPenMode(surface, i % 7 == 0);
        std::vector<uint16_t> pictures[2];
        for (int built_in = 0; built_in < 2; ++built_in) {
            std::mt19937 words(i);
            for (int col = 0; col < 240; ++col) surface.pixel_base[r * 240 + col] = static_cast<uint16_t>(words());
            (built_in ? FillSpanFast : FillSpanAA)(surface, row, x[0], x[1], x[2], x[3]);
            pictures[built_in].assign(surface.pixel_base + r * 240, surface.pixel_base + r * 240 + 240);
        }
        ASSERT_EQ(pictures[0], pictures[1]) << "span " << i;
    }
}

// Fills (the slots' by the plain row steps) and outlines: random polygons, some
// on a grid (equal x), and two whose vertex lies on the other side.
TEST(PolygonFill, BuiltInPensFillWhatTheSlotsFill) {
    std::mt19937 rng(23);
    auto within = [&rng](int32_t size) { return static_cast<int32_t>(rng() % (2 * size + 1)) - size; };
    for (int32_t i = 0; i < 400; ++i) {
        Polygon polygon(3 + rng() % 8);
        const int32_t cx = 120 + within(150), cy = 160 + within(190);
        const int32_t size = 1 + static_cast<int32_t>(rng() % (i % 4 ? 30 : 300)), grid = i % 3 ? 1 : 1 + size / 3;
        for (auto& p : polygon) p = {cx + within(size) / grid * grid, cy + within(size) / grid * grid};
        if (i < 2) polygon = {{10 * i, 0}, {10 * i, 40}, {10 - 10 * i, 40}, {10 * i, 20}, {10 - 10 * i, 0}};
        const ColourRecord pen = MakeColour(200, 40, 90, i % 2 ? 255 : static_cast<int>(rng() % 255));
        const EdgeList edges = EdgesOf({polygon});
        ASSERT_TRUE(SameThroughTheSlots(pen, static_cast<uint32_t>(i), [&] {
            Fill(edges);
            for (const auto& e : edges) DrawLine(surface, e[0], e[1], e[2], e[3]);
        })) << i;
    }
}
