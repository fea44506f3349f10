#include "raster/curves.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>
#include <random>
#include <utility>
#include <vector>

#include "raster/lines.h"
#include "raster/polygon_fill.h"
#include "raster_helpers.h"

namespace {

using Chord = std::array<int32_t, 4>;

int64_t FloorHalf(int64_t a, int64_t b) { return (a + b) >> 1; }

// Midpoint subdivision written plainly: both halves recurse and the area is
// formed in 128 bits. Chords come out in pixels, in order along the curve.
void ReferenceChords(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                     std::vector<Chord>* out) {
    __int128 area = static_cast<__int128>(x1 - x0) * (y2 - y0) -
                    static_cast<__int128>(x2 - x0) * (y1 - y0);
    if (area < 1024 && area > -1024) {
        out->push_back({static_cast<int32_t>(x0 >> 4), static_cast<int32_t>(y0 >> 4),
                        static_cast<int32_t>(x2 >> 4), static_cast<int32_t>(y2 >> 4)});
        return;
    }
    int64_t lx = FloorHalf(x0, x1), ly = FloorHalf(y0, y1);
    int64_t rx = FloorHalf(x1, x2), ry = FloorHalf(y1, y2);
    int64_t mx = FloorHalf(lx, rx), my = FloorHalf(ly, ry);
    ReferenceChords(x0, y0, lx, ly, mx, my, out);
    ReferenceChords(mx, my, rx, ry, x2, y2, out);
}

std::vector<Chord> Reference(std::array<int32_t, 6> c) {
    std::vector<Chord> out;
    ReferenceChords(c[0], c[1], c[2], c[3], c[4], c[5], &out);
    return out;
}

struct StoredEdge {
    int16_t y_end;
    int32_t x_q8, dx_q8;
    bool operator==(const StoredEdge&) const = default;
};

std::vector<StoredEdge> TableContents() {
    std::vector<StoredEdge> out;
    for (Edge* e = surface.edges.pool; e != surface.edges.pool_next; ++e)
        out.push_back({e->y_end, e->x_q8, e->dx_q8});
    return out;
}

void ClearTable() {
    surface.edges.pool_next = surface.edges.pool;
    for (Edge*& bucket : surface.edges.buckets) bucket = nullptr;
    surface.edges.min_row = 321;
    surface.edges.max_row = -1;
}

// The edge records that add stores into an empty table; the table is left empty.
template <typename Add>
std::vector<StoredEdge> EdgesAdded(Add add) {
    ClearTable();
    add();
    std::vector<StoredEdge> out = TableContents();
    ClearTable();
    return out;
}

const std::array<int32_t, 6> kCurves[] = {
    {0, 0, 800, 0, 800, 800},                  // a 50-pixel quarter bend
    {160, 3000, 1900, 100, 3700, 4900},        // a wide arc
    {3800, 5000, -900, 2000, 3800, 160},       // bends back across itself
    {100 * 16 + 7, 50 * 16 + 3, 3, 310 * 16, 230 * 16 + 15, 300 * 16 + 9},
    // Wider than 32-bit areas allow; the apex at (120, 50) lies on the surface.
    {-30000 * 16, 300 * 16, 120 * 16, -200 * 16, 30240 * 16, 300 * 16},
    // A doubled area of exactly 2^32, which 32 bits would wrap to 0; apex (120, 44).
    {1920 - 262144, 4800, 1920, 4800 - 8192, 1920 + 262144, 4800},
};

}  // namespace

TEST(CurveFlattening, DegenerateCurvesBecomeOneChord) {
    EXPECT_EQ(DrawnPixels([] { CurveToLines(surface, 160, 160, 160, 160, 160, 160); }),
              (PixelSet{{10, 10}}));
    EXPECT_EQ(EdgesAdded([] { CurveToEdges(surface, 160, 160, 160, 160, 160, 160); }).size(), 0u);

    // The control point on the chord: one straight piece, however long.
    EXPECT_EQ(DrawnSurface([] { CurveToLines(surface, 0, 0, 1600, 3200, 3200, 6400); }),
              DrawnSurface([] { DrawLine(surface, 0, 0, 200, 400); }));
    EXPECT_EQ(EdgesAdded([] { CurveToEdges(surface, 0, 0, 1600, 3200, 3200, 6400); }).size(), 1u);
}

TEST(CurveFlattening, ChordsFollowTheMidpointSubdivision) {
    for (const auto& c : kCurves) {
        SCOPED_TRACE(testing::Message() << "curve from " << c[0] << "," << c[1]);
        std::vector<Chord> chords = Reference(c);
        ASSERT_GT(chords.size(), 2u);
        EXPECT_EQ(chords.front()[0], c[0] >> 4);
        EXPECT_EQ(chords.back()[3], c[5] >> 4);

        EXPECT_EQ(EdgesAdded([&] { CurveToEdges(surface, c[0], c[1], c[2], c[3], c[4], c[5]); }),
                  EdgesAdded([&] {
                      for (const Chord& k : chords) AddEdge(surface, k[0], k[1], k[2], k[3]);
                  }));
        std::vector<uint16_t> expected = DrawnSurface([&] {
            for (const Chord& k : chords) DrawLine(surface, k[0], k[1], k[2], k[3]);
        });
        EXPECT_EQ(DrawnSurface([&] { CurveToLines(surface, c[0], c[1], c[2], c[3], c[4], c[5]); }),
                  expected);
    }
    // The two wide curves reach their apex instead of becoming one chord.
    const std::pair<std::array<int32_t, 6>, int> kApexes[] = {{kCurves[4], 50}, {kCurves[5], 44}};
    for (const auto& [c, apex_y] : kApexes) {
        ResetTestSurface();
        CurveToLines(surface, c[0], c[1], c[2], c[3], c[4], c[5]);
        bool apex = false;
        for (int y = apex_y - 2; y <= apex_y + 2; ++y) apex = apex || PixelAt(120, y) != 0xFFFF;
        EXPECT_TRUE(apex) << "apex row " << apex_y;
        EXPECT_EQ(PixelAt(120, 300), 0xFFFF) << "apex row " << apex_y;
    }
}

TEST(CurveFlattening, ExtremeCoordinatesFinishQuickly) {
    auto start = std::chrono::steady_clock::now();
    ResetTestSurface();
    CurveToLines(surface, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX);
    CurveToLines(surface, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MIN);
    CurveToEdges(surface, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX);
    CurveToEdges(surface, INT32_MAX, 0, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN);
    EXPECT_LE(TableContents().size(), 512u);
    FillEdges(surface);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The flatness test against the area in 128 bits: coordinates of every size,
// near +-2^30 and the 32-bit limits (differences across 2^31, where the test
// changes its form), and small ones whose area lies near 1024.
TEST(CurveFlattening, FlatnessEqualsTheExactAreaTest) {
    std::mt19937 rng(3);
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        int32_t v[6];
        for (int32_t& c : v) {
            const int32_t noise = static_cast<int32_t>(rng() % 65) - 32;
            const int32_t choices[4] = {noise, Add32(static_cast<int32_t>((rng() % 4) << 30), noise),
                                        noise < 0 ? INT32_MIN - noise : INT32_MAX - noise,
                                        static_cast<int32_t>(rng()) >> (rng() % 32)};
            c = choices[rng() % 4];
        }
        const __int128 area = static_cast<__int128>(int64_t{v[2]} - v[0]) * (int64_t{v[5]} - v[1]) -
                              static_cast<__int128>(int64_t{v[4]} - v[0]) * (int64_t{v[3]} - v[1]);
        mismatches += CurveTooCurved(v[0], v[1], v[2], v[3], v[4], v[5]) != (area >= 1024 || area <= -1024);
    }
    EXPECT_EQ(mismatches, 0);
}
