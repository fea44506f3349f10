// The pen: colour, alpha and the plot functions in the surface's slots.
// A primitive points the surface's current pixel pointer at a pixel, then
// calls a slot; the mode is resolved when the pen is selected, never per pixel.
#pragma once
#include <cstdint>
#include <cstring>

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
void SelectPenForAlpha(ScreenSurface& s);

// Sets the pen colour record and alpha from a record, then the slots by its alpha.
void SetPenColour(ScreenSurface& s, const ColourRecord& c);

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

// count (at least 1) pixels from p, p advancing by step, each blended toward
// word with weight alpha (0..255) exactly as PlotBlendAlpha does; returns the
// last pixel written. BlendRun takes the SSE2 form where it is built and the
// step is 1, the portable form otherwise; both give the same words.
uint16_t* BlendRun(uint16_t* p, int32_t step, int32_t count, uint16_t word, int32_t alpha);
uint16_t* BlendRunPortable(uint16_t* p, int32_t step, int32_t count, uint16_t word, int32_t alpha);
#if defined(__SSE2__)
uint16_t* BlendRunSse2(uint16_t* p, int32_t count, uint16_t word, int32_t alpha);
#endif

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
    explicit TranslucentPenKind(const ScreenSurface& s)
        : word(s.pen_colour.word), src_rb(SpreadRedBlue(word)), src_g(word & 0x07E0u),
          alpha(s.pen_alpha) {}
    void Plain(uint16_t* p) const { *p = BlendRgb565(*p, src_rb, src_g, alpha); }
    void Edge(uint16_t* p, int32_t coverage) const {
        const uint32_t w = (((static_cast<uint32_t>(coverage) & 255) + alpha) >> 1) & 255;
        *p = BlendRgb565(*p, src_rb, src_g, w);
    }
    uint16_t* Run(uint16_t* p, int32_t step, int32_t count) const {
        return BlendRun(p, step, count, word, static_cast<int32_t>(alpha));
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
