// A fresh stage over the program-wide library, a white test surface, and a
// backend whose tick count the test sets.
#pragma once
#include <gtest/gtest.h>

#include "animation/stage.h"
#include "platform/headless.h"
#include "support/test_surface.h"

inline uint32_t fixture_ticks = 0;

// A filled square from (-half, -half) to (half, half) drawing units.
inline void StoreSquare(int16_t slot, int16_t half, ColourRecord colour) {
    Vertex vertices[4] = {{static_cast<int16_t>(-half), static_cast<int16_t>(-half), kPointCorner, 0},
                          {half, static_cast<int16_t>(-half), kPointCorner, 0},
                          {half, half, kPointCorner, 0},
                          {static_cast<int16_t>(-half), half, kPointCorner, 0}};
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
