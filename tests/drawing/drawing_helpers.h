// Small helpers shared by the drawing model, library and renderer tests.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "drawing/drawing.h"

// A drawing of its own, allocated at full capacity and freed at the end.
struct OwnedDrawing {
    Drawing d{};
    OwnedDrawing() { EXPECT_TRUE(AllocateDrawing(d)); }
    ~OwnedDrawing() { FreeDrawing(d); }
    OwnedDrawing(const OwnedDrawing&) = delete;
    OwnedDrawing& operator=(const OwnedDrawing&) = delete;
};

constexpr Transform kIdentity = {16384, 0, 0, 16384, 0, 0};
constexpr Transform kEditorView = {1638, 0, 0, 1638, 120, 160};

inline const ColourRecord kRed = MakeColour(255, 0, 0, 255);
inline const ColourRecord kBlue = MakeColour(0, 0, 255, 255);
inline const ColourRecord kHalfBlue = MakeColour(0, 0, 255, 128);

struct XY {
    int16_t x, y;
};

inline std::vector<Vertex> Points(std::initializer_list<XY> xys) {
    std::vector<Vertex> out;
    for (XY p : xys) out.push_back(Vertex{p.x, p.y, kPointCorner, 0});
    return out;
}

// Adds the points as a shape in drawing units (identity transform).
inline bool AddPoints(Drawing& d, std::initializer_list<XY> xys, uint8_t kind,
                      ColourRecord colour) {
    std::vector<Vertex> v = Points(xys);
    return AddStrokeShape(d, kIdentity, static_cast<uint16_t>(v.size()), v.data(), kind, colour);
}

inline std::vector<uint8_t> TypesOf(const Drawing& d, uint16_t shape) {
    std::vector<uint8_t> out;
    const ShapeRecord& s = d.shapes[shape];
    for (int i = 0; i < s.count; ++i) out.push_back(d.vertices[s.first + i].type);
    return out;
}

inline std::vector<std::pair<int, int>> XYsOf(const Drawing& d, uint16_t shape) {
    std::vector<std::pair<int, int>> out;
    const ShapeRecord& s = d.shapes[shape];
    for (int i = 0; i < s.count; ++i)
        out.emplace_back(d.vertices[s.first + i].x, d.vertices[s.first + i].y);
    return out;
}

// min_x, min_y, max_x, max_y, comparable in one expectation.
using Box = std::array<int32_t, 4>;
inline Box BoxOf(const Bounds& b) { return Box{b.min_x, b.min_y, b.max_x, b.max_y}; }
