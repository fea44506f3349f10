#include "agg_peer.h"

#include <agg_conv_stroke.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgb_packed.h>
#include <agg_rasterizer_outline_aa.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_outline_aa.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_p.h>

#include <new>

#include "surface/surface.h"

using BaseRenderer = agg::renderer_base<agg::pixfmt_rgb565>;
using OutlineRenderer = agg::renderer_outline_aa<BaseRenderer>;

// Each stage holds a reference to the one before it, so they are built in
// this order, once, and live as long as the peer.
struct AggTools {
    agg::rendering_buffer rows;
    agg::pixfmt_rgb565 format;
    BaseRenderer base;
    agg::renderer_scanline_aa_solid<BaseRenderer> solid;
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_p8 scanline;
    agg::line_profile_aa profile;
    OutlineRenderer outline;
    agg::rasterizer_outline_aa<OutlineRenderer> outline_rasterizer;
    agg::path_storage path;
    agg::conv_stroke<agg::path_storage> stroke;

    explicit AggTools(uint16_t* pixels)
        : rows(reinterpret_cast<agg::int8u*>(pixels), kScreenWidth, kScreenHeight,
               kScreenWidth * 2),
          format(rows),
          base(format),
          solid(base),
          outline(base, profile),
          outline_rasterizer(outline),
          stroke(path) {
        rasterizer.clip_box(0, 0, kScreenWidth, kScreenHeight);
        profile.width(1.0);  // its gamma table starts as the identity
        stroke.width(1.0);
    }
};

bool OpenAggPeer(AggPeer& peer) {
    peer.pixels.assign(kScreenWidth * kScreenHeight, 0);
    peer.tools = new (std::nothrow) AggTools(peer.pixels.data());
    return peer.tools != nullptr;
}

void CloseAggPeer(AggPeer& peer) {
    delete peer.tools;
    peer.tools = nullptr;
}

namespace {

// AGG's subpixel units: 1/256 of a pixel for polygons and for lines alike.
constexpr int kSubpixels = 256;

// Polygon vertices lie on pixel corners: each recorded point goes straight
// into the rasterizer. A piece that starts where the last one ended
// continues the contour; any other starts a new one (the rasterizer closes
// the previous one itself).
void FillShape(AggTools& t, const Recording& r, const RecordedShape& shape) {
    t.rasterizer.reset();
    t.rasterizer.filling_rule(agg::fill_even_odd);
    bool open = false;
    int32_t last_x = 0, last_y = 0;
    for (uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
        const Segment& g = r.segments[k];
        if (!open || g.x0 != last_x || g.y0 != last_y)
            t.rasterizer.move_to(g.x0 * kSubpixels, g.y0 * kSubpixels);
        t.rasterizer.line_to(g.x1 * kSubpixels, g.y1 * kSubpixels);
        open = true;
        last_x = g.x1;
        last_y = g.y1;
    }
    agg::render_scanlines(t.rasterizer, t.scanline, t.solid);
}

// A line's integer coordinates name the pixels it passes through, so its
// points go to pixel centres, half a pixel in from the corners.
void OutlineWithLineRenderer(AggTools& t, const Recording& r, const RecordedShape& shape) {
    constexpr int kCentre = kSubpixels / 2;
    bool open = false;
    int32_t last_x = 0, last_y = 0;
    for (uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
        const Segment& g = r.segments[k];
        if (!open || g.x0 != last_x || g.y0 != last_y) {
            t.outline_rasterizer.render(false);  // the polyline so far, if any
            t.outline_rasterizer.move_to(g.x0 * kSubpixels + kCentre, g.y0 * kSubpixels + kCentre);
        }
        t.outline_rasterizer.line_to(g.x1 * kSubpixels + kCentre, g.y1 * kSubpixels + kCentre);
        open = true;
        last_x = g.x1;
        last_y = g.y1;
    }
    t.outline_rasterizer.render(false);
}

// The same polyline as a path, widened to a polygon one pixel across and
// filled non-zero (the widened pieces overlap at joins).
void OutlineWithStroke(AggTools& t, const Recording& r, const RecordedShape& shape) {
    t.path.remove_all();
    bool open = false;
    int32_t last_x = 0, last_y = 0;
    for (uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
        const Segment& g = r.segments[k];
        if (!open || g.x0 != last_x || g.y0 != last_y) t.path.move_to(g.x0 + 0.5, g.y0 + 0.5);
        t.path.line_to(g.x1 + 0.5, g.y1 + 0.5);
        open = true;
        last_x = g.x1;
        last_y = g.y1;
    }
    t.rasterizer.reset();
    t.rasterizer.filling_rule(agg::fill_non_zero);
    t.rasterizer.add_path(t.stroke);
    agg::render_scanlines(t.rasterizer, t.scanline, t.solid);
}

}  // namespace

void DrawWithAgg(AggPeer& peer, const Recording& r, AggOutlines outlines) {
    AggTools& t = *peer.tools;
    t.base.clear(agg::rgba8(255, 255, 255));
    for (const RecordedShape& shape : r.shapes) {
        if (shape.count == 0) continue;
        const ColourRecord& c = shape.colour;
        const agg::rgba8 colour(c.red, c.green, c.blue, c.alpha);
        if (shape.filled) {
            t.solid.color(colour);
            FillShape(t, r, shape);
        } else if (outlines == AggOutlines::kLineRenderer) {
            t.outline.color(colour);
            OutlineWithLineRenderer(t, r, shape);
        } else {
            t.solid.color(colour);
            OutlineWithStroke(t, r, shape);
        }
    }
}
