#include "raster/polygon_fill.h"

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

void Fill(const EdgeList& edges, void (*add)(ScreenSurface&, int32_t, int32_t, int32_t, int32_t) = AddEdge) {
    for (const auto& e : edges) add(surface, e[0], e[1], e[2], e[3]);
    FillEdges(surface);
}

}  // namespace

// A pixel whose centre lies clear of all edges (three pixels, plus the drift
// of a Q8 step, 1/256 pixel a row), in a row where no edge moves over 64
// pixels (one bubble pass a row may leave it out of order), is solid once
// when the even-odd rule puts it inside, untouched otherwise. Shuffled and
// turned edges, and AddEdge's 32-bit and 64-bit forms, give the same pixels,
// also on a grid and with ends near x +-2^21 and rows +-2^29.
TEST(PolygonFill, PixelsFollowTheEvenOddRuleWhateverTheEdgeOrder) {
    const int32_t g = 1000000000;
    std::vector<std::vector<Polygon>> cases = {
        {{{240, 10}, {260, 10}, {260, 50}, {240, 50}}, {{-100, 10}, {-10, 10}, {-10, 50}, {-100, 50}},
         {{250, 60}, {270, 60}, {270, 90}, {250, 90}}, {{100, 50}, {239, 50}, {239, 90}, {100, 90}}},
        {{{-g, -40}, {g, 360}, {g, -40}}},
        {{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}}},
        {{{-3000000, 100}, {3000000, 140}, {200, 250}}, {{5000000, 200}, {-4000000, 20}, {100, 300}}},  // edges past both sides
    };
    std::mt19937 rng(5);
    auto coordinate = [&](int32_t lo, int32_t hi, int32_t far, int32_t limit) {
        const int32_t near_limit = (rng() % 2 ? limit : -limit) + static_cast<int32_t>(rng() % 5) - 2;
        return rng() % 12 ? lo + static_cast<int32_t>(rng() % (hi - lo)) : cases.size() < 40 || rng() % 2 ? static_cast<int32_t>(rng()) / far : near_limit;
    };
    while (cases.size() < 100) {
        cases.emplace_back(1 + rng() % 3);
        const int32_t grid = cases.size() < 40 || cases.size() % 3 ? 1 : 20;
        for (Polygon& p : cases.back())
            for (size_t n = 3 + rng() % 5; p.size() < n;)
                p.push_back({coordinate(-60, 300, 256, 1 << 21) / grid * grid, coordinate(-60, 380, 1 << 20, 1 << 29) / grid * grid});
    }
    for (size_t c = 0; c < cases.size(); ++c) {
        EdgeList edges = EdgesOf(cases[c]);
        const std::vector<uint16_t> reference = DrawnSurface([&] { Fill(edges); });
        ASSERT_EQ(DrawnSurface([&] { Fill(edges, AddEdgeWide); }), reference) << "case " << c;
        std::shuffle(edges.begin(), edges.end(), rng);
        for (auto& e : edges)
            if (rng() & 1) e = {e[2], e[3], e[0], e[1]};
        ASSERT_EQ(DrawnSurface([&] { Fill(edges); }), reference) << "case " << c;
        if (c >= 40) continue;  // the exact check below is slow, and edges cut at the limits bend
        UseRecordingPen();
        Fill(edges);
        for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
            const double px = i % kScreenWidth + 0.5, py = i / kScreenWidth + 0.5;
            bool inside = false, clear = true;
            for (const auto& e : edges) {
                const double ax = e[0], ay = e[1], dx = e[2] - ax, dy = e[3] - ay, len2 = dx * dx + dy * dy;
                if ((ay > py) != (ay + dy > py) && px < ax + (py - ay) * dx / dy) inside = !inside;
                const double t = len2 == 0 ? 0 : std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0);
                clear = clear && std::hypot(ax + t * dx - px, ay + t * dy - py) >= 3 + std::max(0.0, py - std::min(ay, ay + dy)) / 256 &&
                        !((ay > py - 1) != (ay + dy > py - 1) && std::abs(dx) > 64 * std::abs(dy));
            }
            if (!clear) continue;
            ASSERT_EQ(hits[i], inside ? 1 : 0) << "case " << c << " at " << px << "," << py;
            ASSERT_GE(coverage[i], inside ? 255 : 0) << "case " << c << " at " << px << "," << py;
        }
    }
    const PixelSet half = DrawnPixels([&] { Fill(EdgesOf({{{-g, -g}, {g, g}, {g, -g}}})); });  // cut at x = +-2^21, the diagonal keeps its middle
    EXPECT_TRUE(half.count({100, 50}) && !half.count({50, 100}) && half.count({200, 198}) && !half.count({198, 200}));
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
    // A span that starts at the column past the last writes nothing, by either span code.
    ResetTestSurface();
    for (auto span : {FillSpanAA, FillSpanFast}) span(surface, 7, 240 * 256, 240 * 256, 250 * 256, 250 * 256);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}
