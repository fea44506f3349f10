// Whatever its arguments, no primitive writes outside the surface, and each
// honours the surface's x and y steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>

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
// the way a landscape frame buffer holds a portrait picture. Without pixels
// the clip bounds stay 0 x 0 and nothing may be addressed.
struct GuardedSurface {
    std::vector<uint16_t> buffer = std::vector<uint16_t>(kGuard * 2 + kScreenWidth * kScreenHeight, kSentinel);
    std::unique_ptr<ScreenSurface> s = std::make_unique<ScreenSurface>();

    GuardedSurface(bool rotated, bool pixels) {
        std::fill(buffer.begin() + kGuard, buffer.end() - kGuard, 0xFFFF);
        s->edges.pool_next = s->edges.pool, s->edges.min_row = kEdgeBuckets, s->edges.max_row = -1;
        s->red_mask = 0xF800, s->green_mask = 0x07E0, s->blue_mask = 0x001F;
        if (!pixels) return;
        s->x_step = rotated ? kScreenHeight : 1;
        s->y_step = rotated ? -1 : kScreenWidth;
        s->pixel_base = buffer.data() + kGuard + (rotated ? kScreenHeight - 1 : 0);
        s->clip_width = kScreenWidth, s->clip_height = kScreenHeight;
    }
    bool GuardsIntact() const {
        return std::count(buffer.begin(), buffer.begin() + kGuard, kSentinel) + std::count(buffer.end() - kGuard, buffer.end(), kSentinel) == 2 * kGuard;
    }
    uint16_t At(int x, int y) const { return s->pixel_base[x * s->x_step + y * s->y_step]; }
};

// Random arguments for every primitive, often absurd.
struct RandomDrawing {
    std::mt19937 rng;
    int32_t v[8] = {};

    int32_t Far() {
        const int32_t c[4] = {static_cast<int32_t>(rng() % 400) - 80, static_cast<int32_t>(rng() % 90000) - 45000,
                              static_cast<int32_t>(rng()), (rng() & 1 ? INT32_MAX : INT32_MIN + 3) - static_cast<int32_t>(rng() % 4)};
        return c[rng() % 4];
    }
    // Curves across the whole 32-bit range cut into hundreds of thousands of
    // chords; a few of them are enough. The boxes expect their corners in order.
    void Arguments(uint32_t kind) {
        const bool tame = (kind == 8 || kind == 9) && rng() % 8 != 0;
        for (int i = 0; i < 8; ++i) {
            v[i] = Far();
            if (i < 6 && (kind == 1 || kind == 2 || kind >= 13) && rng() % 3) v[i] %= 400;
            if (i < 6 && tame) v[i] = v[i] % 90000 * 16;
        }
        if (kind >= 16 && v[0] > v[2]) std::swap(v[0], v[2]);
        if (kind >= 16 && v[1] > v[3]) std::swap(v[1], v[3]);
    }
    void Draw(ScreenSurface& s, uint32_t kind) const {
        auto c = [&](int i) { return static_cast<int16_t>(v[i]); };
        auto Widen = [&](int x, int w) { return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{v[x]} + (v[w] & 0xFFFF))); };
        switch (kind) {
            case 0: PlotPixel(s, v[0], v[1]); break;
            case 1: DrawHSpan(s, c(0), c(1), c(2)); break;
            case 2: DrawVSpan(s, c(0), c(1), c(2)); break;
            case 3: DrawLine(s, v[0], v[1], v[2], v[3]); break;
            case 4: DrawLineUnclipped(s, v[0], v[1], v[2], v[3]); break;
            case 5: DrawDashedLine(s, v[0], v[1], v[2], v[3], static_cast<uint16_t>(v[4])); break;
            case 6: AddEdge(s, v[0], v[1], v[2], v[3]), AddEdge(s, v[2], v[3], v[4], v[5]), AddEdge(s, v[4], v[5], v[0], v[1]), FillEdges(s); break;
            case 7: (v[5] & 1 ? FillSpanAA : FillSpanFast)(s, v[0] % 330, v[1], Widen(1, 2), v[3], Widen(3, 4)); break;  // the slots' span or the fill's own
            case 8: CurveToLines(s, v[0], v[1], v[2], v[3], v[4], v[5]); break;
            case 9: CurveToEdges(s, v[0], v[1], v[2], v[3], v[4], v[5]), AddEdge(s, v[4] >> 4, v[5] >> 4, v[0] >> 4, v[1] >> 4), FillEdges(s); break;
            case 10: DrawCircle(s, v[0], v[1], v[6]); break;
            case 11: DrawEllipse(s, v[0], v[1], v[6], v[7]); break;
            case 12: FillSoftDisc(s, v[0], v[1], v[6]); break;
            case 13: FrameRect(s, c(0), c(1), c(2), c(3)); break;
            case 14: FillRect(s, c(0), c(1), c(2), c(3)); break;
            case 15: FillChamferRect(s, c(0), c(1), c(2), c(3), static_cast<uint8_t>(v[4])); break;
            case 16: DrawBevelBox(s, c(0), c(1), c(2), c(3)); break;
            case 17: DrawLabelBoxLeft(s, c(0), c(1), c(2), c(3), ""); break;
            default: DrawLabelBoxRight(s, c(0), c(1), c(2), c(3), nullptr); break;
        }
    }
    static constexpr uint32_t kKinds = 19;
};

}  // namespace

TEST(RasterRobustness, NothingIsWrittenOutsideTheSurfaceAndStepsAreHonoured) {
    GuardedSurface plain(false, true), rotated(true, true), empty(false, false);
    RandomDrawing random{std::mt19937(2024)};
    for (int i = 0; i < 2000; ++i) {
        const uint32_t kind = static_cast<uint32_t>(i) % RandomDrawing::kKinds;
        random.Arguments(kind);
        const bool xor_pen = random.rng() % 4 == 0;
        const uint8_t alpha = random.rng() % 3 == 0 ? 128 : 255;
        for (GuardedSurface* g : {&plain, &rotated, &empty}) {
            SetPenColour(*g->s, MakeColour(i * 37 & 255, i * 11 & 255, i & 255, alpha));
            SelectPenMode(*g->s, xor_pen);
            random.Draw(*g->s, kind);
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
