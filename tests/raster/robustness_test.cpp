// Whatever its arguments, no primitive writes outside the surface, each
// honours the surface's x and y steps, and the pens built into the
// primitives, with their vector runs, draw what the pen's plot slots draw
// pixel by pixel.

#include "raster/curves.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "raster/polygon_fill.h"
#include "raster_helpers.h"

namespace {

constexpr int kGuard = 4096, kSentinel = 0xDEAD;  // sentinel words on either side of the pixels

// A surface over a buffer with sentinel bands around its pixels. Rotated, the
// rows run down the columns (x step 320, y step -1) as in a landscape frame
// buffer. Without pixels the clip bounds stay 0 x 0.
struct GuardedSurface {
    std::vector<uint16_t> buffer = std::vector<uint16_t>(kGuard * 2 + kScreenWidth * kScreenHeight, kSentinel);
    std::unique_ptr<ScreenSurface> s = std::make_unique<ScreenSurface>();

    GuardedSurface(bool rotated, bool pixels) {
        std::fill(buffer.begin() + kGuard, buffer.end() - kGuard, 0xFFFF);
        s->edges.pool_next = s->edges.pool, s->edges.min_row = kEdgeBuckets, s->edges.max_row = -1;
        s->red_mask = 0xF800, s->green_mask = 0x07E0, s->blue_mask = 0x001F;
        if (!pixels) return;
        s->x_step = rotated ? kScreenHeight : 1, s->y_step = rotated ? -1 : kScreenWidth;
        s->pixel_base = buffer.data() + kGuard + (rotated ? kScreenHeight - 1 : 0);
        s->clip_width = kScreenWidth, s->clip_height = kScreenHeight;
    }
    bool GuardsIntact() const { return std::count(buffer.begin(), buffer.begin() + kGuard, kSentinel) + std::count(buffer.end() - kGuard, buffer.end(), kSentinel) == 2 * kGuard; }
    uint16_t At(int x, int y) const { return s->pixel_base[x * s->x_step + y * s->y_step]; }
};

ScreenSurface slots;  // a pen's own slots, reached by the forwarders below

// With forward, the pen's slots sit behind forwarders the primitives do not
// know, so that they plot through the slots instead of the pens built in;
// a run becomes one plain plot per pixel.
void SetPen(ScreenSurface& s, const ColourRecord& colour, bool xor_pen, bool forward) {
    for (ScreenSurface* t : {&s, &slots}) SetPenColour(*t, colour), SelectPenMode(*t, xor_pen);
    if (!forward) return;
    s.plain_plot = [](ScreenSurface& t) { slots.plain_plot(t); };
    s.coverage_plot = [](ScreenSurface& t, int c) { slots.coverage_plot(t, c); };
    s.run_plot = [](ScreenSurface& t, uint16_t* p, int32_t step, int32_t n) {
        for (; n > 0; --n, p += step) t.current_pixel = p, slots.plain_plot(t);
    };
}

// Primitive kind (of 19) with the arguments v; the boxes expect their corners in order.
void DrawKind(ScreenSurface& s, uint32_t kind, const int32_t* v) {
    auto c = [&](int i) { return static_cast<int16_t>(v[i]); };
    auto widen = [&](int x, int w) { return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{v[x]} + (v[w] & 0xFFFF))); };
    switch (kind) {
        case 0: PlotPixel(s, v[0], v[1]); break;
        case 1: DrawHSpan(s, c(0), c(1), c(2)); break;
        case 2: DrawVSpan(s, c(0), c(1), c(2)); break;
        case 3: DrawLine(s, v[0], v[1], v[2], v[3]); break;
        case 4: DrawLineUnclipped(s, v[0], v[1], v[2], v[3]); break;
        case 5: DrawDashedLine(s, v[0], v[1], v[2], v[3], static_cast<uint16_t>(v[4])); break;
        case 6: AddEdge(s, v[0], v[1], v[2], v[3]), AddEdge(s, v[2], v[3], v[4], v[5]), AddEdge(s, v[4], v[5], v[0], v[1]), FillEdges(s); break;
        case 7: (v[5] & 1 ? FillSpanAA : FillSpanFast)(s, v[0] % 330, v[1], widen(1, 2), v[3], widen(3, 4)); break;  // the slots' span or the fill's own
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

}  // namespace

// Arguments are often absurd. Curves across the whole 32-bit range cut into
// hundreds of thousands of chords, so most stay within 1.5 million.
TEST(RasterRobustness, NothingIsWrittenOutsideTheSurfaceAndStepsAreHonoured) {
    GuardedSurface plain(false, true), rotated(true, true), forwarded(false, true), empty(false, false);
    std::mt19937 rng(2024);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t kind = static_cast<uint32_t>(i) % 19;
        const bool tame = (kind == 8 || kind == 9) && rng() % 8 != 0;
        int32_t v[8];
        for (int k = 0; k < 8; ++k) {
            const int32_t far[4] = {static_cast<int32_t>(rng() % 400) - 80, static_cast<int32_t>(rng() % 90000) - 45000,
                                    static_cast<int32_t>(rng()), (rng() & 1 ? INT32_MAX : INT32_MIN + 3) - static_cast<int32_t>(rng() % 4)};
            v[k] = far[rng() % 4];
            if (k < 6 && (kind == 1 || kind == 2 || kind == 6 || kind >= 13) && rng() % 3) v[k] %= 400;
            if (k < 6 && tame) v[k] = v[k] % 90000 * 16;
        }
        if (kind >= 16 && v[0] > v[2]) std::swap(v[0], v[2]);
        if (kind >= 16 && v[1] > v[3]) std::swap(v[1], v[3]);
        const bool xor_pen = rng() % 4 == 0;
        const ColourRecord colour = MakeColour(i * 37 & 255, i * 11 & 255, i & 255, rng() % 3 == 0 ? rng() % 255 : 255);
        for (GuardedSurface* g : {&plain, &rotated, &forwarded, &empty}) {
            SetPen(*g->s, colour, xor_pen, g == &forwarded);
            DrawKind(*g->s, kind, v);
            ASSERT_TRUE(g->GuardsIntact()) << "drawing " << i << " kind " << kind;
        }
        ASSERT_TRUE(plain.buffer == forwarded.buffer) << "drawing " << i << " kind " << kind;
    }
    int differences = 0, drawn = 0;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) differences += plain.At(x, y) != rotated.At(x, y), drawn += plain.At(x, y) != 0xFFFF;
    EXPECT_TRUE(differences == 0 && drawn > 1000) << differences << " differences, " << drawn << " pixels drawn";
}
