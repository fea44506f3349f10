// The second peer renderer: Anti-Grain Geometry drawing a recording into a
// 240 x 320 RGB565 buffer through its own rgb565 pixel format, set up as a
// user who wants speed would: integer coordinates straight into the
// rasterizer, no gamma, one rasterizer and one scanline reused by every
// shape. Filled shapes are even-odd polygons through the scanline
// rasterizer (scanline_p8, solid renderer); outlines are one pixel wide,
// drawn one of two ways that AGG offers.
#pragma once
#include <cstdint>
#include <vector>

#include "edge_recorder.h"

enum class AggOutlines {
    kLineRenderer,  // renderer_outline_aa fed by rasterizer_outline_aa
    kStroke,        // conv_stroke of a path, width 1, through the scanline rasterizer
};

struct AggTools;  // AGG's pixel format, renderers, rasterizers and scanline

struct AggPeer {
    std::vector<uint16_t> pixels;  // 240 x 320 RGB565, rows 480 bytes apart
    AggTools* tools;
};

// False when the buffer or the tools cannot be allocated.
bool OpenAggPeer(AggPeer& peer);
void CloseAggPeer(AggPeer& peer);

// One frame: white, then every recorded shape in order.
void DrawWithAgg(AggPeer& peer, const Recording& recording, AggOutlines outlines);
