// The screen surface: the 16-bit back buffer with the display's own memory
// layout, the pen that every primitive writes through, the polygon filler's
// edge table, and the skin picture that widget images are copied from.
#pragma once
#include <cstdint>

#include "surface/colour_record.h"
#include "platform/platform.h"

constexpr int kScreenBytes = kScreenWidth * kScreenHeight * 2;  // 153600

// One polygon edge, active on rows top .. y_end - 1.
struct Edge {
    int16_t y_end;     // first row below the edge
    int32_t x_q8;      // x at the top line of the current row
    int32_t dx_q8;     // change of x per row
    Edge* next_in_bucket;
    Edge* next_active;
};

constexpr int kEdgeBuckets = kScreenHeight + 1;  // rows 0..320
constexpr int kEdgePoolSize = 512;

struct EdgeTable {
    int16_t min_row;  // 321 when empty
    int16_t max_row;  // -1 when empty
    Edge* pool_next;
    Edge* buckets[kEdgeBuckets];
    Edge pool[kEdgePoolSize];
};

struct ScreenSurface;

// The pen's plot functions (see pen.h): a primitive points current_pixel at
// a pixel, then calls a slot; the mode is resolved when the pen is selected,
// never per pixel.
using PlainPlot = void (*)(ScreenSurface& s);
using CoveragePlot = void (*)(ScreenSurface& s, int coverage);
// The plain plot of a run: count (at least 1) pixels from p, p advancing by
// step. It leaves the pixels and the current pixel pointer exactly as count
// plain plots would, without a call per pixel; it is chosen together with
// the plain plot, so that the spans of fills and text stay cheap.
using RunPlot = void (*)(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count);

struct ScreenSurface {
    uint16_t* pixel_base;    // pixel (0, 0); null without a back buffer
    int32_t min_offset;      // lowest-addressed pixel, relative to pixel (0, 0)
    int32_t max_offset;      // highest-addressed pixel
    int32_t x_step;          // pixels between horizontal neighbours
    int32_t y_step;          // pixels between vertical neighbours
    GXDisplayProperties display;
    ColourRecord pen_colour;
    void* buffer_allocation;
    uint16_t* current_pixel;  // the pixel the next plot call writes
    uint8_t pen_alpha;        // 255 opaque
    PlainPlot plain_plot;     // the pen's slots, filled by SelectPenMode
    CoveragePlot coverage_plot;
    RunPlot run_plot;
    uint16_t red_shift, green_shift;
    uint16_t red_mask, green_mask, blue_mask;
    int16_t clip_height, clip_width;
    EdgeTable edges;
};

// The image every widget face is cut from, as colour words.
struct SkinPicture {
    uint16_t* words;  // width * height, rows top-down
    int32_t width;
    int32_t height;
};

// The program-wide surface.
extern ScreenSurface surface;

// Builds the surface from the active platform's display properties.
void InitScreenSurface(ScreenSurface& s);
// Builds it from given properties (the same steps; used for other geometries).
void InitScreenSurfaceFrom(ScreenSurface& s, const GXDisplayProperties& display);
// Frees the back buffer.
void FreeScreenSurface(ScreenSurface& s);

void PresentSurface(ScreenSurface& s);
void SaveSurface(const ScreenSurface& s, uint8_t* destination /* 153600 bytes */);
void RestoreSurface(ScreenSurface& s, const uint8_t* source /* 153600 bytes */);
void ClearSurface(ScreenSurface& s);

// v = blue << 16 | green << 8 | red.
uint16_t PackRgb(const ScreenSurface& s, uint32_t v);

SkinPicture* LoadSkinPicture(ScreenSurface& s, const char* device_path);
// Converts decoded 8-bit RGB (rows top-down) into a new picture; null on failure.
SkinPicture* PictureFromRgb(ScreenSurface& s, int32_t width, int32_t height, const uint8_t* rgb);
void FreeSkinPicture(SkinPicture* picture);

// Copies a w x h block of the picture at (sx, sy) to the screen at (dx, dy).
// 0 for rejected arguments, 1 otherwise.
int BlitPicture(ScreenSurface& s, int32_t dx, int32_t dy, int32_t w, int32_t h,
                const SkinPicture* picture, int32_t sx, int32_t sy);
