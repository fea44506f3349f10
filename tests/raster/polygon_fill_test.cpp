#include "raster/polygon_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <vector>

#include "raster/lines.h"
#include "raster_helpers.h"

namespace {

struct Point {
    int32_t x, y;
};
using EdgeArgs = std::array<int32_t, 4>;

// The edges of a closed polygon, as AddEdge arguments.
std::vector<EdgeArgs> EdgesOf(const std::vector<Point>& points) {
    std::vector<EdgeArgs> edges;
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        edges.push_back({a.x, a.y, b.x, b.y});
    }
    return edges;
}

void AddPolygon(const std::vector<Point>& points) {
    for (const EdgeArgs& e : EdgesOf(points)) AddEdge(surface, e[0], e[1], e[2], e[3]);
}

int EdgesInUse() { return static_cast<int>(surface.edges.pool_next - surface.edges.pool); }

// Clears the surface and fills the polygons together.
void FillPolygons(const std::vector<std::vector<Point>>& polygons) {
    ResetTestSurface();
    for (const auto& p : polygons) AddPolygon(p);
    FillEdges(surface);
}

// The rows that hold a changed pixel.
std::set<int> ChangedRows() {
    std::set<int> rows;
    for (const auto& [x, y] : ChangedPixels()) rows.insert(y);
    return rows;
}

// The table's records bucket by bucket, in bucket order; a fill empties it.
std::vector<std::array<int32_t, 4>> TakeTable() {
    std::vector<std::array<int32_t, 4>> records;
    for (int32_t row = 0; row < kEdgeBuckets; ++row)
        for (const Edge* e = surface.edges.buckets[row]; e != nullptr; e = e->next_in_bucket)
            records.push_back({row, e->y_end, e->x_q8, e->dx_q8});
    FillEdges(surface);
    return records;
}

}  // namespace

TEST(PolygonFill, RowsStopAboveTheBottomAndSpansReachOneColumnPastTheRight) {
    ResetTestSurface();
    AddPolygon({{10, 10}, {50, 10}, {30, 40}});
    EXPECT_EQ(EdgesInUse(), 2);  // the horizontal edge is not stored
    FillEdges(surface);
    std::set<int> rows = ChangedRows();
    EXPECT_EQ(*rows.begin(), 10);
    EXPECT_EQ(*rows.rbegin(), 39);
    EXPECT_EQ(rows.size(), 30u);

    FillPolygons({{{10, 10}, {20, 10}, {20, 20}, {10, 20}}});
    for (int y = 10; y < 20; ++y) {
        EXPECT_EQ(PixelAt(10, y), WhiteAfterCoverage(255)) << y;
        for (int x = 11; x <= 20; ++x) EXPECT_EQ(PixelAt(x, y), 0x0000) << x << "," << y;
        EXPECT_EQ(PixelAt(21, y), 0xFFFF) << y;  // coverage 0
    }
    EXPECT_EQ(CountPixelsNot(0xFFFF), 10 * 11);
}

TEST(PolygonFill, NestedSquaresMakeARingWhateverTheirOrientation) {
    std::vector<Point> outer = {{20, 20}, {100, 20}, {100, 100}, {20, 100}};
    std::vector<Point> inner = {{40, 40}, {80, 40}, {80, 80}, {40, 80}};
    std::vector<uint16_t> first;
    for (int turn = 0; turn < 4; ++turn) {
        std::vector<Point> o = outer, i = inner;
        if (turn & 1) std::reverse(o.begin(), o.end());
        if (turn & 2) std::reverse(i.begin(), i.end());
        FillPolygons({o, i});
        EXPECT_EQ(PixelAt(30, 30), 0x0000);
        EXPECT_EQ(PixelAt(90, 60), 0x0000);
        EXPECT_EQ(PixelAt(60, 60), 0xFFFF);
        if (turn == 0) first = SurfaceSnapshot();
        else EXPECT_EQ(SurfaceSnapshot(), first) << turn;
    }
}

TEST(PolygonFill, EdgeOrderAndDirectionDoNotChangeThePixels) {
    // A star that crosses itself, a ring and a fan of slivers.
    std::vector<EdgeArgs> edges;
    for (const auto& shape : std::vector<std::vector<Point>>{
             {{120, 10}, {160, 150}, {40, 60}, {200, 60}, {80, 150}},
             {{10, 200}, {110, 180}, {120, 300}, {5, 310},
              {30, 240}, {60, 280}, {90, 230}, {50, 215}},
             {{150, 170}, {235, 175}, {160, 190}, {230, 220},
              {155, 215}, {239, 300}, {140, 260}}}) {
        for (const EdgeArgs& e : EdgesOf(shape)) edges.push_back(e);
    }
    ResetTestSurface();
    for (const auto& e : edges) AddEdge(surface, e[0], e[1], e[2], e[3]);
    FillEdges(surface);
    std::vector<uint16_t> reference = SurfaceSnapshot();
    EXPECT_GT(CountPixelsNot(0xFFFF), 5000);

    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(edges.begin(), edges.end(), rng);
        ResetTestSurface();
        for (const auto& e : edges) {
            if (rng() & 1) AddEdge(surface, e[0], e[1], e[2], e[3]);
            else AddEdge(surface, e[2], e[3], e[0], e[1]);
        }
        FillEdges(surface);
        ASSERT_EQ(SurfaceSnapshot(), reference) << round;
    }
}

TEST(PolygonFill, CutAtTheTopKeepsTheRowsBelowExact) {
    // The same polygon 100 rows lower draws the same rows, shifted.
    std::vector<Point> shape = {{20, -30}, {200, 10}, {150, 25}, {60, 80}};
    FillPolygons({shape});
    std::vector<uint16_t> cut = SurfaceSnapshot();
    for (Point& p : shape) p.y += 100;
    FillPolygons({shape});
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(cut[y * 240 + x], PixelAt(x, y + 100)) << x << "," << y;
}

TEST(PolygonFill, ClipsAtTheBottomTheSidesAndTheCoordinateLimits) {
    FillPolygons({{{200, 300}, {400, 300}, {400, 600}, {200, 600}}});
    std::set<int> rows = ChangedRows();
    EXPECT_EQ(*rows.begin(), 300);
    EXPECT_EQ(*rows.rbegin(), 319);
    EXPECT_EQ(PixelAt(239, 319), 0x0000);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 20 * 40);

    ResetTestSurface();
    AddPolygon({{-100, 10}, {-10, 10}, {-10, 50}, {-100, 50}});
    AddPolygon({{10, -50}, {50, -50}, {30, -1}});
    AddPolygon({{10, 320}, {50, 320}, {30, 400}});
    EXPECT_EQ(EdgesInUse(), 2);  // only the left rectangle's sides are kept
    FillEdges(surface);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);

    AddPolygon({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX},
                {INT32_MIN, INT32_MAX}});
    FillEdges(surface);
    EXPECT_EQ(CountPixelsNot(0x0000), 0);

    // A half-plane far larger than the surface, bounded by x = y.
    const int32_t g = 1000000000;
    FillPolygons({{{-g, -g}, {g, g}, {g, -g}}});
    EXPECT_EQ(PixelAt(100, 50), 0x0000);
    EXPECT_EQ(PixelAt(50, 100), 0xFFFF);
    EXPECT_EQ(PixelAt(200, 198), 0x0000);
    EXPECT_EQ(PixelAt(198, 200), 0xFFFF);
}

TEST(PolygonFill, TableDropsEdgesPast512AndEveryFillEmptiesIt) {
    ResetTestSurface();
    FillEdges(surface);  // empty: nothing happens
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    for (int i = 0; i < 256; ++i) AddPolygon({{10, i}, {20, i}, {20, i + 1}, {10, i + 1}});
    EXPECT_EQ(EdgesInUse(), 512);
    EXPECT_EQ(AllocEdge(surface), nullptr);
    AddPolygon({{10, 300}, {20, 300}, {20, 301}, {10, 301}});
    FillEdges(surface);
    EXPECT_EQ(PixelAt(15, 255), 0x0000);
    EXPECT_EQ(PixelAt(15, 300), 0xFFFF);

    AddPolygon({{0, 310}, {30, 330}, {5, 340}});
    FillEdges(surface);
    EXPECT_EQ(surface.edges.min_row, 321);
    EXPECT_EQ(surface.edges.max_row, -1);
    EXPECT_EQ(EdgesInUse(), 0);
    for (Edge* bucket : surface.edges.buckets) EXPECT_EQ(bucket, nullptr);
    // Edges left from one fill do not reappear in the next.
    ResetTestSurface();
    FillEdges(surface);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

// AddEdge's 32-bit form against the 64-bit one: edges of every size, many at
// the ends of its range (x +-2^21, rows +-2^29), in batches (bucket order).
TEST(PolygonFill, EdgesStoredInThirtyTwoBitsMatchTheWideForm) {
    std::mt19937 rng(31);
    ResetTestSurface();
    for (int batch = 0; batch < 400; ++batch) {
        std::vector<EdgeArgs> edges(1 + rng() % 12);
        for (EdgeArgs& e : edges)
            for (int k = 0; k < 4; ++k) {
                const int32_t limit = k % 2 == 0 ? 1 << 21 : batch % 2 ? 1 << 29 : 200;
                e[k] = rng() % 2 ? static_cast<int32_t>(rng()) >> (rng() % 32)
                                 : (rng() % 2 ? limit : -limit) + static_cast<int32_t>(rng() % 5) - 2;
            }
        for (const EdgeArgs& e : edges) AddEdge(surface, e[0], e[1], e[2], e[3]);
        const auto fast = TakeTable();
        for (const EdgeArgs& e : edges) AddEdgeWide(surface, e[0], e[1], e[2], e[3]);
        ASSERT_EQ(fast, TakeTable()) << "batch " << batch;
    }
}

namespace {

Edge MakeEdge(int32_t x, int32_t dx, int16_t y_end = 100) {
    Edge e{};
    e.y_end = y_end;
    e.x_q8 = x;
    e.dx_q8 = dx;
    return e;
}

Edge* Link(std::vector<Edge*> list) {
    for (size_t i = 0; i + 1 < list.size(); ++i) list[i]->next_active = list[i + 1];
    list.back()->next_active = nullptr;
    return list.front();
}

std::vector<Edge*> Walk(Edge* head) {
    std::vector<Edge*> out;
    for (; head != nullptr; head = head->next_active) out.push_back(head);
    return out;
}

}  // namespace

TEST(PolygonFillRows, OneBubblePassSortsAndEdgesEndingAboveTheRowLeave) {
    // A large x moves far right, a small x only one place left.
    Edge a = MakeEdge(0, 100), b = MakeEdge(50, 0), c = MakeEdge(60, 0);
    EXPECT_EQ(Walk(AdvanceActiveEdges(Link({&a, &b, &c}), 5)), (std::vector<Edge*>{&b, &c, &a}));
    EXPECT_EQ(a.x_q8, 100);
    Edge d = MakeEdge(0, 0), e = MakeEdge(10, 0), f = MakeEdge(20, -100);
    EXPECT_EQ(Walk(AdvanceActiveEdges(Link({&d, &e, &f}), 5)), (std::vector<Edge*>{&d, &f, &e}));

    Edge g = MakeEdge(0, 0, 5), h = MakeEdge(10, 0, 6), i = MakeEdge(20, 0, 4);
    EXPECT_EQ(Walk(AdvanceActiveEdges(Link({&g, &h, &i}), 5)), (std::vector<Edge*>{&h}));
    EXPECT_EQ(AdvanceActiveEdges(nullptr, 5), nullptr);
}

TEST(PolygonFillRows, MergeStartsEachSearchAtThePreviousInsertion) {
    Edge a = MakeEdge(0, 0), b = MakeEdge(100, 0);
    Edge e1 = MakeEdge(50, 0), e2 = MakeEdge(20, 0), e3 = MakeEdge(200, 0), e4 = MakeEdge(100, 0);
    e1.next_in_bucket = &e2;
    e2.next_in_bucket = &e3;
    e3.next_in_bucket = nullptr;
    EXPECT_EQ(Walk(MergeNewEdges(Link({&a, &b}), &e1)),
              (std::vector<Edge*>{&a, &e2, &e1, &b, &e3}));
    // Equal x goes after the edges already there.
    EXPECT_EQ(Walk(MergeNewEdges(Link({&a, &b}), &e4)), (std::vector<Edge*>{&a, &b, &e4}));
    EXPECT_EQ(Walk(MergeNewEdges(nullptr, &e4)), (std::vector<Edge*>{&e4}));
}

TEST(FillSpan, RampsRiseOverTheLeftEdgeAndFallAfterTheRight) {
    ResetTestSurface();
    FillSpanAA(surface, 7, 10 * 256, 14 * 256, 30 * 256, 34 * 256);
    const int left[] = {0, 63, 127, 191, 255};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(PixelAt(10 + k, 7), WhiteAfterCoverage(left[k])) << k;
    for (int x = 15; x <= 30; ++x) EXPECT_EQ(PixelAt(x, 7), 0x0000) << x;
    const int right[] = {255, 191, 127, 63};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(PixelAt(31 + k, 7), WhiteAfterCoverage(right[k])) << k;
    EXPECT_EQ(PixelAt(35, 7), 0xFFFF);

    // Both edges in one column give one pixel.
    const int32_t x = 10 * 256;
    EXPECT_EQ(DrawnPixels([] { FillSpanAA(surface, 5, x + 40, x + 60, x + 200, x + 220); }),
              (PixelSet{{10, 5}}));
    EXPECT_EQ(PixelAt(10, 5), WhiteAfterCoverage(160));
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
        std::vector<Point> polygon(3 + rng() % 8);
        const int32_t cx = 120 + within(150), cy = 160 + within(190);
        const int32_t size = 1 + static_cast<int32_t>(rng() % (i % 4 ? 30 : 300)), grid = i % 3 ? 1 : 1 + size / 3;
        for (Point& p : polygon) p = {cx + within(size) / grid * grid, cy + within(size) / grid * grid};
        if (i < 2) polygon = {{10 * i, 0}, {10 * i, 40}, {10 - 10 * i, 40}, {10 * i, 20}, {10 - 10 * i, 0}};
        const ColourRecord pen = MakeColour(200, 40, 90, i % 2 ? 255 : static_cast<int>(rng() % 255));
        ASSERT_TRUE(SameThroughTheSlots(pen, static_cast<uint32_t>(i), [&] {
            AddPolygon(polygon), FillEdges(surface);
            for (const EdgeArgs& e : EdgesOf(polygon)) DrawLine(surface, e[0], e[1], e[2], e[3]);
        })) << i;
    }
}
