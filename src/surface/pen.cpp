#include "surface/pen.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// One channel, blended in place (not shifted down): dm * (256 - w) + sm * w
// is never negative, so the shift is exact.
static inline uint32_t BlendChannel(uint32_t d, uint32_t src, int32_t w, int32_t m) {
    int32_t dm = static_cast<int32_t>(d) & m, sm = static_cast<int32_t>(src) & m;
    return static_cast<uint32_t>((((sm - dm) * w + dm * 256) >> 8) & m);
}

static inline uint16_t Blend(uint32_t d, uint32_t src, int32_t w, int32_t red_mask,
                             int32_t green_mask, int32_t blue_mask) {
    return static_cast<uint16_t>(BlendChannel(d, src, w, blue_mask) |
                                 BlendChannel(d, src, w, green_mask) |
                                 BlendChannel(d, src, w, red_mask));
}

uint16_t BlendColourWords(const ScreenSurface& s, uint16_t d, uint16_t src, int weight) {
    return Blend(d, src, weight & 255, s.red_mask, s.green_mask, s.blue_mask);
}

void PlotSet(ScreenSurface& s) { *s.current_pixel = s.pen_colour.word; }

void PlotBlendCoverage(ScreenSurface& s, int coverage) {
    // A weight of 0 leaves the pixel as it is; anti-aliased edges plot many.
    if ((coverage & 255) == 0) return;
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, coverage);
}

void PlotBlendAlpha(ScreenSurface& s) {
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, s.pen_alpha);
}

void PlotBlendMixed(ScreenSurface& s, int coverage) {
    int weight = (((coverage & 255) + s.pen_alpha) >> 1) & 255;
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, weight);
}

void PlotXor(ScreenSurface& s) { *s.current_pixel ^= s.pen_colour.word; }

void PlotNothing(ScreenSurface&, int) {}

void PlotSetRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    s.current_pixel = SetRun(p, step, count, s.pen_colour.word);
}

// The masks and the weight are read once per run instead of once per pixel.
void PlotBlendAlphaRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    if (HasRgb565Layout(s)) {
        s.current_pixel = BlendRun(p, step, count, s.pen_colour.word, s.pen_alpha);
        return;
    }
    const uint32_t word = s.pen_colour.word;
    const int32_t w = s.pen_alpha;
    const int32_t r = s.red_mask, g = s.green_mask, b = s.blue_mask;
    for (;; p += step) {
        *p = Blend(*p, word, w, r, g, b);
        if (--count == 0) break;
    }
    s.current_pixel = p;
}

void PlotXorRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    const uint16_t word = s.pen_colour.word;
    for (;; p += step) {
        *p ^= word;
        if (--count == 0) break;
    }
    s.current_pixel = p;
}

void SelectPenMode(ScreenSurface& s, int xor_flag) {
    if ((xor_flag & 0xFF) != 0) {
        s.plain_plot = PlotXor;
        s.coverage_plot = PlotNothing;
        s.run_plot = PlotXorRun;
    } else {
        SelectPenForAlpha(s);
    }
}

void SelectPenForAlpha(ScreenSurface& s) {
    if (s.pen_alpha == 255) {
        s.plain_plot = PlotSet;
        s.coverage_plot = PlotBlendCoverage;
        s.run_plot = PlotSetRun;
    } else {
        s.plain_plot = PlotBlendAlpha;
        s.coverage_plot = PlotBlendMixed;
        s.run_plot = PlotBlendAlphaRun;
    }
}

void SetPenColour(ScreenSurface& s, const ColourRecord& c) {
    s.pen_colour = c;
    s.pen_alpha = c.alpha;
    SelectPenForAlpha(s);
}

// ---------------------------------------------------------------------------
// Translucent runs
// ---------------------------------------------------------------------------
// The interior of a translucent fill blends every pixel with one weight, so
// the source's share of each channel is formed once per run.

uint16_t* BlendRunPortable(uint16_t* p, int32_t step, int32_t count, uint16_t word, int32_t alpha) {
    const uint32_t w = static_cast<uint32_t>(alpha) & 255, keep = 256 - w;
    const uint32_t src_rb_share = SpreadRedBlue(word) * w, src_g_share = (word & 0x07E0u) * w;
    for (;; p += step) {
        *p = BlendScaled565(*p, keep, src_rb_share, src_g_share);
        if (--count == 0) return p;
    }
}

#if defined(__SSE2__)
// Eight pixels at once. Each channel is shifted to the bottom of a 16-bit
// lane, where c * (256 - w) + c_src * w is at most 63 * 256 and fits, then
// shifted down by 8 and put back in place: per channel the same integer as
// the portable form.
namespace {
struct Blend8 {
    __m128i keep, src_r_share, src_g_share, src_b_share, low5, low6;
    Blend8(uint16_t word, uint32_t w)
        : keep(_mm_set1_epi16(static_cast<int16_t>(256 - w))),
          src_r_share(_mm_set1_epi16(static_cast<int16_t>((word >> 11) * w))),
          src_g_share(_mm_set1_epi16(static_cast<int16_t>(((word >> 5) & 0x3Fu) * w))),
          src_b_share(_mm_set1_epi16(static_cast<int16_t>((word & 0x1Fu) * w))),
          low5(_mm_set1_epi16(0x1F)),
          low6(_mm_set1_epi16(0x3F)) {}
    __m128i operator()(__m128i d) const {
        __m128i r = _mm_srli_epi16(d, 11);
        __m128i g = _mm_and_si128(_mm_srli_epi16(d, 5), low6);
        __m128i b = _mm_and_si128(d, low5);
        r = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(r, keep), src_r_share), 8);
        g = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(g, keep), src_g_share), 8);
        b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(b, keep), src_b_share), 8);
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
    }
};
__m128i Load8(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store8(uint16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
__m128i Load4(const uint16_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
void Store4(uint16_t* p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }
}  // namespace

// Runs not a multiple of the vector end with a block that overlaps the one
// before it. Every block is read before the overlapping one is written, so
// an overlapped pixel is blended from its old value both times and gets the
// same word twice; nothing outside the run is read or written.
uint16_t* BlendRunSse2(uint16_t* p, int32_t count, uint16_t word, int32_t alpha) {
    if (count < 4) return BlendRunPortable(p, 1, count, word, alpha);
    const Blend8 blend(word, static_cast<uint32_t>(alpha) & 255);
    uint16_t* const last_block = p + count - (count < 8 ? 4 : 8);
    if (count < 8) {
        const __m128i out = blend(_mm_unpacklo_epi64(Load4(p), Load4(last_block)));
        Store4(p, out);
        Store4(last_block, _mm_unpackhi_epi64(out, out));
        return p + count - 1;
    }
    const __m128i tail = Load8(last_block);
    uint16_t* q = p;
    for (int32_t left = count; left >= 8; left -= 8, q += 8) Store8(q, blend(Load8(q)));
    if (q != p + count) Store8(last_block, blend(tail));
    return p + count - 1;
}
#endif

uint16_t* BlendRun(uint16_t* p, int32_t step, int32_t count, uint16_t word, int32_t alpha) {
#if defined(__SSE2__)
    if (step == 1) return BlendRunSse2(p, count, word, alpha);
#endif
    return BlendRunPortable(p, step, count, word, alpha);
}
