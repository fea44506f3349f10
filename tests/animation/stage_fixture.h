// A fresh stage over the program-wide library, a white test surface, and a
// backend whose tick count the test sets; comparable forms of transforms,
// mapped points and poses.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "animation/stage.h"
#include "platform/headless.h"
#include "support/test_surface.h"

inline uint32_t fixture_ticks = 0;

// A filled square from (-half, -half) to (half, half) drawing units.
inline void StoreSquare(int16_t slot, int16_t half, ColourRecord colour) {
    const int16_t low = static_cast<int16_t>(-half);
    Vertex vertices[4] = {{low, low, 0, 0}, {half, low, 0, 0}, {half, half, 0, 0},
                          {low, half, 0, 0}};
    ShapeRecord shape = {0, 4, kShapeFilled, 0, colour};
    Drawing d = {vertices, 4, 4, &shape, 1, 1};
    ASSERT_TRUE(StoreDrawing(library, slot, d));
}

class StageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_platform_ = platform;
        backend_ = *HeadlessBackend();
        backend_.tick_count = [] { return fixture_ticks; };
        platform = &backend_;
        fixture_ticks = 0;
        ResetTestSurface();
        LibraryInit(library);
        InitStage(stage, library);
        ClearStage(stage);
    }
    void TearDown() override { platform = saved_platform_; }

    const PlatformBackend* saved_platform_ = nullptr;
    PlatformBackend backend_{};
};

inline const ColourRecord kRed = MakeColour(255, 0, 0, 255);
inline const ColourRecord kBlue = MakeColour(0, 0, 255, 255);

// a, b, c, d, tx, ty
using Entries = std::array<int32_t, 6>;
inline Entries EntriesOf(const Transform& t) { return Entries{t.a, t.b, t.c, t.d, t.tx, t.ty}; }

using XY = std::pair<int32_t, int32_t>;
inline XY Mapped(const Transform& t, int32_t x, int32_t y) {
    const Point32 p = MapPoint(t, x, y);
    return XY{p.x, p.y};
}

// x, y, angle, scale: the order in which a key stores them.
using PoseFields = std::array<int, 4>;
inline PoseFields FieldsOf(const Pose& p) { return PoseFields{p.x, p.y, p.angle, p.scale}; }
