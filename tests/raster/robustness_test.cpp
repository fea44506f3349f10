// Properties every primitive keeps whatever its arguments: no write outside
// the surface, the surface's x and y steps honoured, and XOR drawing undone
// by drawing again.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "raster/curves.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "raster/polygon_fill.h"
#include "raster_helpers.h"

namespace {

constexpr int kGuard = 4096;  // sentinel words on either side of the pixels
constexpr uint16_t kSentinel = 0xDEAD;

// A surface over a buffer with sentinel bands around its 240 x 320 pixels.
// Rotated, the rows run down the buffer's columns (x step 320, y step -1),
// the way a landscape frame buffer holds a portrait picture.
struct GuardedSurface {
    std::vector<uint16_t> buffer;
    std::unique_ptr<ScreenSurface> s;

    explicit GuardedSurface(bool rotated)
        : buffer(kGuard * 2 + kScreenWidth * kScreenHeight, kSentinel),
          s(std::make_unique<ScreenSurface>()) {
        for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) buffer[kGuard + i] = 0xFFFF;
        s->x_step = rotated ? kScreenHeight : 1;
        s->y_step = rotated ? -1 : kScreenWidth;
        s->pixel_base = buffer.data() + kGuard + (rotated ? kScreenHeight - 1 : 0);
        s->clip_width = kScreenWidth;
        s->clip_height = kScreenHeight;
        s->red_mask = 0xF800;
        s->green_mask = 0x07E0;
        s->blue_mask = 0x001F;
        s->edges.pool_next = s->edges.pool;
        s->edges.min_row = kEdgeBuckets;
        s->edges.max_row = -1;
        s->pen_colour = MakeColour(0, 0, 0, 255);
        s->pen_alpha = 255;
    }

    bool GuardsIntact() const {
        for (int i = 0; i < kGuard; ++i)
            if (buffer[i] != kSentinel || buffer[buffer.size() - 1 - i] != kSentinel) return false;
        return true;
    }

    uint16_t At(int x, int y) const { return s->pixel_base[x * s->x_step + y * s->y_step]; }
};

// Draws a random primitive with random, often absurd, arguments.
struct RandomDrawing {
    std::mt19937 rng;
    explicit RandomDrawing(uint32_t seed) : rng(seed) {}

    int32_t Coordinate() {
        switch (rng() % 4) {
            case 0: return static_cast<int32_t>(rng() % 400) - 80;
            case 1: return static_cast<int32_t>(rng() % 90000) - 45000;
            case 2: return static_cast<int32_t>(rng());
            default: return rng() & 1 ? INT32_MAX - static_cast<int32_t>(rng() % 4)
                                      : INT32_MIN + static_cast<int32_t>(rng() % 4);
        }
    }
    int32_t Radius() {
        switch (rng() % 3) {
            case 0: return static_cast<int32_t>(rng() % 300) - 5;
            case 1: return static_cast<int32_t>(rng() % 70000);
            default: return static_cast<int32_t>(rng());
        }
    }
    int16_t Short() { return static_cast<int16_t>(rng() % 3 ? Coordinate() % 400 : Coordinate()); }

    // x + (w & 0xFFFF), held below the 32-bit limit.
    static int32_t Widen(int32_t x, int32_t w) {
        return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{x} + (w & 0xFFFF)));
    }

    // The same kind and values draw the same thing again.
    void Draw(ScreenSurface& s, uint32_t kind, const int32_t v[8]) {
        auto c16 = [&](int i) { return static_cast<int16_t>(v[i]); };
        switch (kind) {
            case 0: PlotPixel(s, v[0], v[1]); break;
            case 1: DrawHSpan(s, c16(0), c16(1), c16(2)); break;
            case 2: DrawVSpan(s, c16(0), c16(1), c16(2)); break;
            case 3: DrawLine(s, v[0], v[1], v[2], v[3]); break;
            case 4: DrawLineUnclipped(s, v[0], v[1], v[2], v[3]); break;
            case 5: DrawDashedLine(s, v[0], v[1], v[2], v[3], static_cast<uint16_t>(v[4])); break;
            case 6:
                AddEdge(s, v[0], v[1], v[2], v[3]);
                AddEdge(s, v[2], v[3], v[4], v[5]);
                AddEdge(s, v[4], v[5], v[0], v[1]);
                FillEdges(s);
                break;
            case 7:  // the slots' span or the fill's own
                (v[5] & 1 ? FillSpanAA : FillSpanFast)(s, v[0] % 330, v[1], Widen(v[1], v[2]), v[3],
                                                      Widen(v[3], v[4]));
                break;
            case 8: CurveToLines(s, v[0], v[1], v[2], v[3], v[4], v[5]); break;
            case 9:
                CurveToEdges(s, v[0], v[1], v[2], v[3], v[4], v[5]);
                AddEdge(s, v[4] >> 4, v[5] >> 4, v[0] >> 4, v[1] >> 4);
                FillEdges(s);
                break;
            case 10: DrawCircle(s, v[0], v[1], v[6]); break;
            case 11: DrawEllipse(s, v[0], v[1], v[6], v[7]); break;
            case 12: FillSoftDisc(s, v[0], v[1], v[6]); break;
            case 13: FrameRect(s, c16(0), c16(1), c16(2), c16(3)); break;
            case 14: FillRect(s, c16(0), c16(1), c16(2), c16(3)); break;
            case 15: FillChamferRect(s, c16(0), c16(1), c16(2), c16(3), static_cast<uint8_t>(v[4])); break;
            case 16: DrawBevelBox(s, c16(0), c16(1), c16(2), c16(3)); break;
            case 17: DrawLabelBoxLeft(s, c16(0), c16(1), c16(2), c16(3), ""); break;
            default: DrawLabelBoxRight(s, c16(0), c16(1), c16(2), c16(3), nullptr); break;
        }
    }
    static constexpr uint32_t kKinds = 19;

    void Arguments(uint32_t kind, int32_t v[8]) {
        bool shorts = kind == 1 || kind == 2 || (kind >= 13);
        // Curves across the whole 32-bit range cut into hundreds of thousands
        // of chords; a few of them are enough.
        bool tame_curve = (kind == 8 || kind == 9) && rng() % 8 != 0;
        for (int i = 0; i < 6; ++i)
            v[i] = shorts ? Short() : tame_curve ? Coordinate() % 90000 * 16 : Coordinate();
        v[6] = Radius();
        v[7] = Radius();
        // Keep the order of the boxes that expect it.
        if (kind >= 16) {
            if (v[0] > v[2]) std::swap(v[0], v[2]);
            if (v[1] > v[3]) std::swap(v[1], v[3]);
        }
    }
};

}  // namespace

TEST(RasterRobustness, NothingIsWrittenOutsideTheSurfaceAndStepsAreHonoured) {
    GuardedSurface plain(false), rotated(true);
    RandomDrawing random(2024);
    for (int i = 0; i < 2000; ++i) {
        uint32_t kind = static_cast<uint32_t>(i) % RandomDrawing::kKinds;
        int32_t v[8];
        random.Arguments(kind, v);
        bool xor_pen = random.rng() % 4 == 0;
        uint8_t alpha = random.rng() % 3 == 0 ? 128 : 255;
        for (GuardedSurface* g : {&plain, &rotated}) {
            g->s->pen_colour = MakeColour(static_cast<int>(i * 37) & 255, (i * 11) & 255, i & 255, alpha);
            g->s->pen_alpha = alpha;
            SelectPenMode(*g->s, xor_pen);
            random.Draw(*g->s, kind, v);
            ASSERT_TRUE(g->GuardsIntact()) << "drawing " << i << " kind " << kind;
        }
    }
    int differences = 0, drawn = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            differences += plain.At(x, y) != rotated.At(x, y);
            drawn += plain.At(x, y) != 0xFFFF;
        }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(drawn, 1000);
}

TEST(RasterRobustness, SurfaceWithoutPixelsDrawsNothing) {
    // No back buffer: the clip bounds stay 0 x 0, so nothing is ever addressed.
    auto empty = std::make_unique<ScreenSurface>();
    empty->edges.pool_next = empty->edges.pool;
    empty->edges.min_row = kEdgeBuckets;
    empty->edges.max_row = -1;
    RandomDrawing random(5);
    for (int i = 0; i < 400; ++i) {
        uint32_t kind = static_cast<uint32_t>(i) % RandomDrawing::kKinds;
        int32_t v[8];
        random.Arguments(kind, v);
        random.Draw(*empty, kind, v);
    }
    EXPECT_EQ(empty->pixel_base, nullptr);
}

TEST(RasterRobustness, DrawingTwiceWithTheXorPenRestoresTheScreen) {
    RandomDrawing random(99);
    for (int i = 0; i < 400; ++i) {
        uint32_t kind = static_cast<uint32_t>(i) % RandomDrawing::kKinds;
        if (kind >= 16) continue;  // the panels set their own pens
        int32_t v[8];
        random.Arguments(kind, v);
        // Mostly on-surface values, so that something is drawn.
        if (i % 3 != 0) {
            for (int k = 0; k < 6; ++k) v[k] = static_cast<int32_t>(random.rng() % 300) - 30;
            if (kind == 8 || kind == 9) for (int k = 0; k < 6; ++k) v[k] *= 16;
            v[6] = static_cast<int32_t>(random.rng() % 80);
            v[7] = static_cast<int32_t>(random.rng() % 80);
        }
        ResetTestSurface(0x3C71);
        std::vector<uint16_t> before = SurfaceSnapshot();
        surface.pen_colour = MakeColour(90, 200, 30, 255);
        SelectPenMode(surface, 1);
        random.Draw(surface, kind, v);
        random.Draw(surface, kind, v);
        ASSERT_EQ(SurfaceSnapshot(), before) << "drawing " << i << " kind " << kind;
    }
}
