#include "host/svg_writer.h"

#include <cstdio>

#include "geometry/fixed.h"
#include "platform/platform.h"
#include "raster/shape_walk.h"
#include "surface/colour_record.h"

// ---------------------------------------------------------------------------
// Text: numbers and escaped attributes
// ---------------------------------------------------------------------------

// numerator / denominator rounded half away from zero to `places` decimals,
// trailing zeros dropped: "-12", "0.5", "1200.293". Integer arithmetic only,
// so neither the locale nor a binary fraction can change a digit.
static void AppendDecimal(std::string& out, int64_t numerator, int64_t denominator, int places) {
    uint64_t scale = 1;
    for (int i = 0; i < places; ++i) scale *= 10;
    const bool negative = (numerator < 0) != (denominator < 0);
    const uint64_t n = static_cast<uint64_t>(numerator < 0 ? -numerator : numerator);
    const uint64_t d = static_cast<uint64_t>(denominator < 0 ? -denominator : denominator);
    const uint64_t scaled = (2 * n * scale + d) / (2 * d);
    if (negative && scaled != 0) out += '-';
    out += std::to_string(scaled / scale);
    uint64_t fraction = scaled % scale;
    if (fraction == 0) return;
    int digits = places;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    char text[24];
    std::snprintf(text, sizeof text, ".%0*llu", digits, static_cast<unsigned long long>(fraction));
    out += text;
}

static void AppendEscaped(std::string& out, const std::string& value) {
    for (const char ch : value) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += ch; break;
        }
    }
}

// An element is written as "<name", its attributes, then "/>" or ">".
static void Attribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscaped(out, value);
    out += '"';
}

static std::string Decimal(int64_t numerator, int64_t denominator, int places) {
    std::string text;
    AppendDecimal(text, numerator, denominator, places);
    return text;
}

static std::string HexColour(const ColourRecord& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    return text;
}

// ---------------------------------------------------------------------------
// Path data
// ---------------------------------------------------------------------------

// Receives the renderer's pieces in drawing units (segments whole, curves in
// Q4) and writes them as path data. A piece that does not start where the
// last one ended begins a subpath.
struct PathSink {
    std::string& d;
    bool open = false;
    int32_t x_q4 = 0, y_q4 = 0;  // where the last piece ended

    void Point(int32_t x_q4_, int32_t y_q4_) {
        d += ' ';
        AppendDecimal(d, x_q4_, kOneQ4, 4);
        d += ' ';
        AppendDecimal(d, y_q4_, kOneQ4, 4);
    }
    void StartAt(int32_t x0_q4, int32_t y0_q4) {
        if (open && x0_q4 == x_q4 && y0_q4 == y_q4) return;
        d += d.empty() ? "M" : " M";
        Point(x0_q4, y0_q4);
        open = true;
    }
    void EndAt(int32_t x1_q4, int32_t y1_q4) {
        Point(x1_q4, y1_q4);
        x_q4 = x1_q4;
        y_q4 = y1_q4;
    }
    void Segment(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        StartAt(Mul32(x0, kOneQ4), Mul32(y0, kOneQ4));
        d += " L";
        EndAt(Mul32(x1, kOneQ4), Mul32(y1, kOneQ4));
    }
    void Curve(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        StartAt(x0, y0);
        d += " Q";
        Point(x1, y1);
        EndAt(x2, y2);
    }
};

// ---------------------------------------------------------------------------
// The document
// ---------------------------------------------------------------------------

void WriteDrawingSvg(const DrawingView& drawing_view, const Transform& view, bool background,
                     std::string* out) {
    std::string& svg = *out;
    svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg";
    // Screen pixel X shows drawing unit (X - tx) * 16384 / a: the screen's
    // corners and size in drawing units, to a thousandth.
    const std::string left = Decimal(-static_cast<int64_t>(view.tx) * kOneQ14, view.a, 3);
    const std::string top = Decimal(-static_cast<int64_t>(view.ty) * kOneQ14, view.d, 3);
    const std::string width = Decimal(static_cast<int64_t>(kScreenWidth) * kOneQ14, view.a, 3);
    const std::string height = Decimal(static_cast<int64_t>(kScreenHeight) * kOneQ14, view.d, 3);
    Attribute(svg, "xmlns", "http://www.w3.org/2000/svg");
    Attribute(svg, "version", "1.1");
    Attribute(svg, "width", std::to_string(kScreenWidth));
    Attribute(svg, "height", std::to_string(kScreenHeight));
    Attribute(svg, "viewBox", left + " " + top + " " + width + " " + height);
    svg += ">\n";
    if (background) {
        svg += "<rect";
        Attribute(svg, "x", left);
        Attribute(svg, "y", top);
        Attribute(svg, "width", width);
        Attribute(svg, "height", height);
        Attribute(svg, "fill", "#ffffff");
        svg += "/>\n";
    }
    // One screen pixel in drawing units: the outlines' width.
    const std::string pixel = Decimal(kOneQ14, view.a, 3);
    const Transform identity = {kOneQ14, 0, 0, kOneQ14, 0, 0};
    std::string d;
    for (uint32_t i = 0; i < drawing_view.shape_count; ++i) {
        const ShapeRecord& shape = drawing_view.shapes[i];
        // As the renderer does: a record that runs past the vertices is skipped.
        if (shape.first + shape.count > drawing_view.vertex_count) continue;
        d.clear();
        PathSink sink{d};
        WalkShape(shape, identity, drawing_view.vertices, sink);
        if (d.empty()) continue;
        svg += "<path";
        Attribute(svg, "d", d);
        if (shape.kind == kShapeFilled) {
            Attribute(svg, "fill", HexColour(shape.colour));
            Attribute(svg, "fill-rule", "evenodd");
        } else {
            Attribute(svg, "fill", "none");
            Attribute(svg, "stroke", HexColour(shape.colour));
            Attribute(svg, "stroke-width", pixel);
            Attribute(svg, "stroke-linecap", "round");
            Attribute(svg, "stroke-linejoin", "round");
        }
        if (shape.colour.alpha != kOpaqueAlpha) Attribute(svg, "opacity", Decimal(shape.colour.alpha, 255, 3));
        svg += "/>\n";
    }
    svg += "</svg>\n";
}
