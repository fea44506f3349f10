// A drawing of its own at full capacity, built from a literal list of shapes
// (points in drawing units with their types) and freed at the end. Only for
// tests that link the drawing layer.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "drawing/drawing.h"

struct LiteralPoint {
    int16_t x, y;
    uint8_t type = kPointCorner;
};
struct LiteralShape {
    uint8_t kind;
    ColourRecord colour;
    std::vector<LiteralPoint> points;
};

struct OwnedDrawing {
    Drawing d{};
    explicit OwnedDrawing(const std::vector<LiteralShape>& shapes = {}) {
        EXPECT_TRUE(AllocateDrawing(d));
        for (const LiteralShape& s : shapes) {
            d.shapes[d.shape_count++] = {d.vertex_count, static_cast<uint16_t>(s.points.size()), s.kind, 0, s.colour};
            for (const LiteralPoint& p : s.points) d.vertices[d.vertex_count++] = {p.x, p.y, p.type, 0};
        }
    }
    ~OwnedDrawing() { FreeDrawing(d); }
    OwnedDrawing(const OwnedDrawing&) = delete;
    OwnedDrawing& operator=(const OwnedDrawing&) = delete;
};

constexpr Transform kIdentity = {16384, 0, 0, 16384, 0, 0};
inline const ColourRecord kRed = MakeColour(255, 0, 0, 255), kBlue = MakeColour(0, 0, 255, 255);
inline const ColourRecord kHalfBlue = MakeColour(0, 0, 255, 128);
