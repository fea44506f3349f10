#include "raster/polygon_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <random>

#include "raster_helpers.h"

namespace {

struct Point {
    int32_t x, y;
};
using Polygon = std::vector<Point>;

void AddPolygons(const std::vector<Polygon>& polygons) {
    for (const Polygon& p : polygons)
        for (size_t i = 0; i < p.size(); ++i) {
            const Point& b = p[(i + 1) % p.size()];
            AddEdge(surface, p[i].x, p[i].y, b.x, b.y);
        }
}

// The even-odd rule at a pixel's centre, and whether the centre lies clear of
// every edge: three pixels, plus the drift of an edge's Q8 step over the
// rows from its top (under 1/256 pixel a row).
std::pair<bool, bool> Reference(const std::vector<Polygon>& polygons, double px, double py) {
    bool inside = false, clear = true;
    for (const Polygon& p : polygons)
        for (size_t i = 0; i < p.size(); ++i) {
            const double ax = p[i].x, ay = p[i].y;
            const double bx = p[(i + 1) % p.size()].x, by = p[(i + 1) % p.size()].y;
            if ((ay > py) != (by > py) && px < ax + (py - ay) * (bx - ax) / (by - ay)) inside = !inside;
            const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
            const double t = len2 == 0 ? 0 : std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0);
            const double drift = std::max(0.0, py - std::min(ay, by)) / 256;
            clear = clear && std::hypot(ax + t * dx - px, ay + t * dy - py) >= 3 + drift;
        }
    return {inside, clear};
}

}  // namespace

// Every pixel clear of all edges is solid (once) when the even-odd rule puts
// its centre inside, untouched otherwise: crossing and nested contours,
// either orientation, cut at every border and by far ends.
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
        std::vector<Polygon> polygons(1 + rng() % 3);
        for (Polygon& p : polygons)
            for (size_t n = 3 + rng() % 5; p.size() < n;)
                p.push_back({coordinate(-60, 300, 256), coordinate(-60, 380, 1 << 20)});
        cases.push_back(polygons);
    }
    for (size_t c = 0; c < cases.size(); ++c) {
        UseRecordingPen();
        AddPolygons(cases[c]);
        FillEdges(surface);
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                const auto [inside, clear] = Reference(cases[c], x + 0.5, y + 0.5);
                if (!clear) continue;
                const int i = y * kScreenWidth + x;
                ASSERT_EQ(hits[i], inside ? 1 : 0) << "case " << c << " at " << x << "," << y;
                if (inside) { ASSERT_GE(coverage[i], 255) << "case " << c << " at " << x << "," << y; }
            }
    }
}

// A square's rows stop above its bottom edge and its spans reach one column
// past the right. Within a row the left edge ramps coverage up over the
// columns it crosses, the right one down from the column after its start;
// both in one column give one pixel.
TEST(PolygonFill, CoverageAtTheEdgesOfSquaresAndSpans) {
    UseRecordingPen();
    AddPolygons({{{10, 10}, {20, 10}, {20, 20}, {10, 20}}});
    FillEdges(surface);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(CoverageAt(x, y), y < 10 || y > 19 || x < 10 || x > 20 ? 0 : x == 10 ? 255 : 256) << x << "," << y;
    UseRecordingPen();
    FillSpanAA(surface, 7, 10 * 256, 14 * 256, 30 * 256, 34 * 256);
    FillSpanAA(surface, 5, 2600, 2620, 2760, 2780);
    const int ramps[] = {0, 63, 127, 191, 255, 255, 191, 127, 63, 0};
    for (int x = 10; x <= 35; ++x)
        EXPECT_EQ(CoverageAt(x, 7), x <= 14 ? ramps[x - 10] : x <= 30 ? 256 : ramps[x - 26]) << x;
    EXPECT_EQ(CoverageAt(10, 5), 160);
    EXPECT_EQ(std::accumulate(hits.begin(), hits.end(), 0), 4 + 16 + 4 + 1);
}

TEST(PolygonFill, EdgeOrderAndDirectionDoNotChangeThePixels) {
    std::vector<std::array<int32_t, 4>> edges;
    for (const Polygon& p : std::vector<Polygon>{
             {{120, 10}, {160, 150}, {40, 60}, {200, 60}, {80, 150}},
             {{10, 200}, {110, 180}, {120, 300}, {5, 310}, {30, 240}, {60, 280}, {90, 230}, {50, 215}},
             {{150, 170}, {235, 175}, {160, 190}, {230, 220}, {155, 215}, {239, 300}, {140, 260}}})
        for (size_t i = 0; i < p.size(); ++i)
            edges.push_back({p[i].x, p[i].y, p[(i + 1) % p.size()].x, p[(i + 1) % p.size()].y});
    std::mt19937 rng(11);
    std::vector<uint16_t> reference;
    for (int round = 0; round < 20; ++round) {
        ResetTestSurface();
        for (const auto& e : edges) {
            if (round > 0 && rng() & 1) AddEdge(surface, e[2], e[3], e[0], e[1]);
            else AddEdge(surface, e[0], e[1], e[2], e[3]);
        }
        FillEdges(surface);
        if (round == 0) reference = SurfaceSnapshot();
        ASSERT_EQ(SurfaceSnapshot(), reference) << round;
        std::shuffle(edges.begin(), edges.end(), rng);
    }
    EXPECT_GT(CountPixelsNot(0xFFFF), 5000);
}

// 512 edges fit and later ones are dropped; every fill empties the table.
TEST(PolygonFill, TableDropsEdgesPast512AndEveryFillEmptiesIt) {
    ResetTestSurface();
    for (int i = 0; i < 256; ++i) AddPolygons({{{10, i}, {20, i}, {20, i + 1}, {10, i + 1}}});
    EXPECT_EQ(AllocEdge(surface), nullptr);
    AddPolygons({{{10, 300}, {20, 300}, {20, 301}, {10, 301}}});
    FillEdges(surface);
    EXPECT_EQ(PixelAt(15, 255), 0x0000);
    EXPECT_EQ(PixelAt(15, 300), 0xFFFF);
    AddPolygons({{{0, 310}, {30, 330}, {5, 340}}});
    FillEdges(surface);
    EXPECT_EQ(surface.edges.pool_next, surface.edges.pool);
    EXPECT_EQ(std::count(std::begin(surface.edges.buckets), std::end(surface.edges.buckets), nullptr), kEdgeBuckets);
    ResetTestSurface();
    FillEdges(surface);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
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
