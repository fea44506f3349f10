#include "cairo_peer.h"

#include <cairo.h>

#include "surface/surface.h"

bool OpenCairoPeer(CairoPeer& peer) {
    peer.image = cairo_image_surface_create(CAIRO_FORMAT_RGB16_565, kScreenWidth, kScreenHeight);
    if (cairo_surface_status(peer.image) != CAIRO_STATUS_SUCCESS) return false;
    peer.context = cairo_create(peer.image);
    if (cairo_status(peer.context) != CAIRO_STATUS_SUCCESS) return false;
    cairo_set_antialias(peer.context, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_line_width(peer.context, 1.0);
    return true;
}

void CloseCairoPeer(CairoPeer& peer) {
    if (peer.context != nullptr) cairo_destroy(peer.context);
    if (peer.image != nullptr) cairo_surface_destroy(peer.image);
    peer.context = nullptr;
    peer.image = nullptr;
}

// The recorded pieces of a shape join end to start within a contour, so a
// piece that starts where the last one ended continues the sub-path and any
// other piece starts a new one. offset moves lines onto pixel centres:
// polygon vertices lie on pixel corners, while a line's integer coordinates
// name the pixels it passes through.
static void AppendPath(cairo_t* cr, const Recording& r, const RecordedShape& shape, double offset) {
    cairo_new_path(cr);
    bool open = false;
    int32_t last_x = 0, last_y = 0;
    for (uint32_t k = shape.first; k < shape.first + shape.count; ++k) {
        const Segment& g = r.segments[k];
        if (!open || g.x0 != last_x || g.y0 != last_y) cairo_move_to(cr, g.x0 + offset, g.y0 + offset);
        cairo_line_to(cr, g.x1 + offset, g.y1 + offset);
        open = true;
        last_x = g.x1;
        last_y = g.y1;
    }
}

void DrawWithCairo(CairoPeer& peer, const Recording& r) {
    cairo_t* cr = peer.context;
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    for (const RecordedShape& shape : r.shapes) {
        if (shape.count == 0) continue;
        const ColourRecord& c = shape.colour;
        cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
        if (shape.filled) {
            AppendPath(cr, r, shape, 0.0);
            cairo_fill(cr);
        } else {
            AppendPath(cr, r, shape, 0.5);
            cairo_stroke(cr);
        }
    }
    cairo_surface_flush(peer.image);
}

uint16_t CairoPixel(CairoPeer& peer, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(peer.image);
    const int stride = cairo_image_surface_get_stride(peer.image);
    return reinterpret_cast<const uint16_t*>(data + y * stride)[x];
}
