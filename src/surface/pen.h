// The pen: colour, alpha and the plot functions in the surface's slots.
// A primitive points the surface's current pixel pointer at a pixel, then
// calls a slot; the mode is resolved when the pen is selected, never per pixel.
#pragma once
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "surface/surface.h"

void PlotSet(ScreenSurface& s);
void PlotBlendCoverage(ScreenSurface& s, int coverage);
void PlotBlendAlpha(ScreenSurface& s);
void PlotBlendMixed(ScreenSurface& s, int coverage);
void PlotXor(ScreenSurface& s);
void PlotNothing(ScreenSurface& s, int coverage);
void PlotSetRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);
void PlotBlendAlphaRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);
void PlotXorRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);

// Fills both slots from the XOR flag (low byte) and the pen alpha.
void SelectPenMode(ScreenSurface& s, int xor_flag);

// The opaque or translucent pair, chosen by the pen alpha (no XOR).
inline void SelectPenForAlpha(ScreenSurface& s) {
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

// Sets the pen colour record and alpha from a record, then the slots by its
// alpha. Inline: the shape renderer sets it for every shape.
inline void SetPenColour(ScreenSurface& s, const ColourRecord& c) {
    s.pen_colour = c;
    s.pen_alpha = c.alpha;
    SelectPenForAlpha(s);
}

// Moves each channel of d toward s by weight/256, channels blended in place.
uint16_t BlendColourWords(const ScreenSurface& s, uint16_t d, uint16_t src, int weight);

// ---------------------------------------------------------------------------
// The pen's modes as types
// ---------------------------------------------------------------------------
// The plot slots cost a call per pixel. The fill and the line drawer are
// built once per mode instead: WithPenKind reads the mode from the slots and
// hands the body a pen value whose Plain, Edge and Run do, inline, what
// PlotSet/PlotBlendAlpha, PlotBlendCoverage/PlotBlendMixed and
// PlotSetRun/PlotBlendAlphaRun do. Any other slots (XOR, a test's own) and a
// surface with other channel masks get SlotPenKind, which calls the slots.
// Primitives that take this path leave current_pixel as it was.

// The surface stores RGB565: red in bits 11..15, green 5..10, blue 0..4.
inline bool HasRgb565Layout(const ScreenSurface& s) {
    return s.red_mask == 0xF800 && s.green_mask == 0x07E0 && s.blue_mask == 0x001F;
}

// Red moved up to bits 16..20 beside blue in bits 0..4: one 32-bit product
// then scales both, and neither reaches the other (31 * 256 < 2^16).
inline uint32_t SpreadRedBlue(uint32_t word) { return (word & 0x001Fu) | ((word & 0xF800u) << 5); }

// BlendColourWords for RGB565. Each channel is (d * (256 - w) + s * w) >> 8,
// which is the slots' in-place ((s - d) * w + d * 256) >> 8 rearranged
// without a negative term: the same integer for every word and every weight
// 0..255. Here the destination's share is d * keep and the source's share
// comes ready, spread (red beside blue) and multiplied by the weight.
inline uint16_t BlendScaled565(uint32_t d, uint32_t keep, uint32_t src_rb_share,
                               uint32_t src_g_share) {
    const uint32_t rb = SpreadRedBlue(d) * keep + src_rb_share;
    const uint32_t g = (d & 0x07E0u) * keep + src_g_share;
    return static_cast<uint16_t>(((rb >> 8) & 0x001Fu) | ((rb >> 13) & 0xF800u) | ((g >> 8) & 0x07E0u));
}

// The same with the weight given: src_rb = SpreadRedBlue(src), src_g = src & 0x07E0.
inline uint16_t BlendRgb565(uint32_t d, uint32_t src_rb, uint32_t src_g, uint32_t w) {
    return BlendScaled565(d, 256 - w, src_rb * w, src_g * w);
}

// ---------------------------------------------------------------------------
// Translucent runs
// ---------------------------------------------------------------------------
// The interior of a translucent fill blends every pixel with one weight: the
// source's share of each channel is formed once, when the pen is prepared,
// and a run then blends count (at least 1) pixels from p, p advancing by
// step, exactly as PlotBlendAlpha does, returning the last pixel written.
//
// Along a row (step 1) and four pixels or more, SSE2 blends eight at once
// where it is built. Each channel is shifted to the bottom of a 16-bit lane,
// where c * (256 - w) + c_src * w is at most 63 * 256 and fits, then shifted
// down by 8 and put back in place: per channel the same integer as the
// portable form. A run that is not a multiple of the vector ends with a
// block that overlaps the one before it; every block is read before the
// overlapping one is written, so an overlapped pixel is blended from its old
// value both times and gets the same word twice, and nothing outside the
// run is read or written.
struct RunBlend {
    uint32_t keep, src_rb_share, src_g_share;
#if defined(__SSE2__)
    __m128i keep_lanes, src_r_lanes, src_g_lanes, src_b_lanes;
#endif
    RunBlend(uint16_t word, int32_t alpha) {
        const uint32_t w = static_cast<uint32_t>(alpha) & 255;
        keep = 256 - w;
        src_rb_share = SpreadRedBlue(word) * w;
        src_g_share = (word & 0x07E0u) * w;
#if defined(__SSE2__)
        keep_lanes = _mm_set1_epi16(static_cast<int16_t>(keep));
        src_r_lanes = _mm_set1_epi16(static_cast<int16_t>((word >> 11) * w));
        src_g_lanes = _mm_set1_epi16(static_cast<int16_t>(((word >> 5) & 0x3Fu) * w));
        src_b_lanes = _mm_set1_epi16(static_cast<int16_t>((word & 0x1Fu) * w));
#endif
    }
};

inline uint16_t* BlendRunPortable(const RunBlend& b, uint16_t* p, int32_t step, int32_t count) {
    for (;; p += step) {
        *p = BlendScaled565(*p, b.keep, b.src_rb_share, b.src_g_share);
        if (--count == 0) return p;
    }
}

#if defined(__SSE2__)
inline __m128i BlendEight(const RunBlend& b, __m128i d) {
    const __m128i low5 = _mm_set1_epi16(0x1F), low6 = _mm_set1_epi16(0x3F);
    __m128i r = _mm_srli_epi16(d, 11);
    __m128i g = _mm_and_si128(_mm_srli_epi16(d, 5), low6);
    __m128i bl = _mm_and_si128(d, low5);
    r = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(r, b.keep_lanes), b.src_r_lanes), 8);
    g = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(g, b.keep_lanes), b.src_g_lanes), 8);
    bl = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(bl, b.keep_lanes), b.src_b_lanes), 8);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), bl);
}

// Step 1.
inline uint16_t* BlendRunSse2(const RunBlend& b, uint16_t* p, int32_t count) {
    if (count < 4) return BlendRunPortable(b, p, 1, count);
    uint16_t* const last_block = p + count - (count < 8 ? 4 : 8);
    if (count < 8) {
        const __m128i head = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(last_block));
        const __m128i out = BlendEight(b, _mm_unpacklo_epi64(head, tail));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), out);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(last_block), _mm_unpackhi_epi64(out, out));
        return p + count - 1;
    }
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last_block));
    uint16_t* q = p;
    for (int32_t left = count; left >= 8; left -= 8, q += 8)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q),
                         BlendEight(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q))));
    if (q != p + count) _mm_storeu_si128(reinterpret_cast<__m128i*>(last_block), BlendEight(b, tail));
    return p + count - 1;
}
#endif

inline uint16_t* BlendRun(const RunBlend& b, uint16_t* p, int32_t step, int32_t count) {
#if defined(__SSE2__)
    if (step == 1) return BlendRunSse2(b, p, count);
#endif
    return BlendRunPortable(b, p, step, count);
}

// count (at least 1) pixels from p, p advancing by step, set to word; returns
// the last. Along a row of step 1, four pixels at a time with one 8-byte
// store, the last four overlapping the ones before when count is not a
// multiple of four (setting a pixel twice to the same word is harmless).
inline uint16_t* SetRun(uint16_t* p, int32_t step, int32_t count, uint16_t word) {
    if (step == 1 && count >= 4) {
        const uint64_t four = word * 0x0001000100010001ull;
        int32_t i = 0;
        for (; i + 4 <= count; i += 4) std::memcpy(p + i, &four, 8);
        if (i < count) std::memcpy(p + count - 4, &four, 8);
        return p + count - 1;
    }
    for (;; p += step) {
        *p = word;
        if (--count == 0) return p;
    }
}

// The opaque pen: set, and coverage blends that skip a coverage of 0.
struct OpaquePenKind {
    uint16_t word;
    uint32_t src_rb, src_g;
    explicit OpaquePenKind(const ScreenSurface& s)
        : word(s.pen_colour.word), src_rb(SpreadRedBlue(word)), src_g(word & 0x07E0u) {}
    void Plain(uint16_t* p) const { *p = word; }
    void Edge(uint16_t* p, int32_t coverage) const {
        const uint32_t w = static_cast<uint32_t>(coverage) & 255;
        if (w != 0) *p = BlendRgb565(*p, src_rb, src_g, w);
    }
    uint16_t* Run(uint16_t* p, int32_t step, int32_t count) const { return SetRun(p, step, count, word); }
};

// The translucent pen: alpha alone, and coverage averaged with alpha.
struct TranslucentPenKind {
    uint16_t word;
    uint32_t src_rb, src_g, alpha;
    RunBlend run;
    explicit TranslucentPenKind(const ScreenSurface& s)
        : word(s.pen_colour.word), src_rb(SpreadRedBlue(word)), src_g(word & 0x07E0u),
          alpha(s.pen_alpha), run(word, s.pen_alpha) {}
    void Plain(uint16_t* p) const { *p = BlendRgb565(*p, src_rb, src_g, alpha); }
    void Edge(uint16_t* p, int32_t coverage) const {
        const uint32_t w = (((static_cast<uint32_t>(coverage) & 255) + alpha) >> 1) & 255;
        *p = BlendRgb565(*p, src_rb, src_g, w);
    }
    uint16_t* Run(uint16_t* p, int32_t step, int32_t count) const {
        return BlendRun(run, p, step, count);
    }
};

// Whatever the slots hold, called through them.
struct SlotPenKind {
    ScreenSurface* s;
    void Plain(uint16_t* p) const {
        s->current_pixel = p;
        s->plain_plot(*s);
    }
    void Edge(uint16_t* p, int32_t coverage) const {
        s->current_pixel = p;
        s->coverage_plot(*s, coverage);
    }
    uint16_t* Run(uint16_t* p, int32_t step, int32_t count) const {
        s->run_plot(*s, p, step, count);
        return s->current_pixel;
    }
};

// Calls body(pen) with the pen value that matches the slots (see above).
template <typename Body>
void WithPenKind(ScreenSurface& s, Body&& body) {
    if (HasRgb565Layout(s)) {
        if (s.plain_plot == PlotSet && s.coverage_plot == PlotBlendCoverage && s.run_plot == PlotSetRun)
            return body(OpaquePenKind(s));
        if (s.plain_plot == PlotBlendAlpha && s.coverage_plot == PlotBlendMixed &&
            s.run_plot == PlotBlendAlphaRun)
            return body(TranslucentPenKind(s));
    }
    body(SlotPenKind{&s});
}
