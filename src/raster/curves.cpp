#include "raster/curves.h"

#include "raster/lines.h"
#include "raster/polygon_fill.h"

void CurveToLines(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2) {
    auto line = [&s](int32_t ax, int32_t ay, int32_t bx, int32_t by) { DrawLine(s, ax, ay, bx, by); };
    FlattenCurve(line, x0, y0, x1, y1, x2, y2);
}

void CurveToEdges(ScreenSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                  int32_t y2) {
    auto edge = [&s](int32_t ax, int32_t ay, int32_t bx, int32_t by) { AddEdge(s, ax, ay, bx, by); };
    FlattenCurve(edge, x0, y0, x1, y1, x2, y2);
}
