// The peer renderer: cairo drawing a recording into a 240 x 320 RGB565
// image, the same format as the program's back buffer. Filled shapes are
// even-odd paths, outlines anti-aliased strokes one pixel wide, each in its
// shape's colour and alpha.
#pragma once
#include <cairo.h>

#include <cstdint>

#include "edge_recorder.h"

struct CairoPeer {
    cairo_surface_t* image;
    cairo_t* context;
};

// False when cairo cannot make the surface or the context.
bool OpenCairoPeer(CairoPeer& peer);
void CloseCairoPeer(CairoPeer& peer);

// One frame: white, then every recorded shape in order.
void DrawWithCairo(CairoPeer& peer, const Recording& recording);

// The image's pixel at (x, y) as an RGB565 word.
uint16_t CairoPixel(CairoPeer& peer, int x, int y);
