// A fresh animation screen: one square drawing in library slot 0, an empty
// stage, and the screen variables as the program starts them.
#pragma once
#include <gtest/gtest.h>

#include "animation/stage.h"
#include "drawing/library.h"
#include "screens/screen_state.h"
#include "surface/pick_list.h"

// A filled square from (-half, -half) to (half, half) drawing units.
inline void StoreSquareDrawing(int16_t slot, int16_t half, ColourRecord colour) {
    const int16_t lo = static_cast<int16_t>(-half);
    Vertex vertices[4] = {{lo, lo, kPointCorner, 0},
                          {half, lo, kPointCorner, 0},
                          {half, half, kPointCorner, 0},
                          {lo, half, kPointCorner, 0}};
    ShapeRecord shape = {0, 4, kShapeFilled, 0, colour};
    Drawing d = {vertices, 4, 4, &shape, 1, 1};
    ASSERT_TRUE(StoreDrawing(library, slot, d));
}

inline const ColourRecord kActorRed = MakeColour(255, 0, 0, 255);

// Screen variables and model as at program start, with a 40-pixel red square
// (200 drawing units each way at the default scale) in slot 0.
inline void ResetAnimationScreen() {
    LibraryInit(library);
    InitStage(stage, library);
    ClearStage(stage);
    ResetPickList();
    selected_actor = 0;
    actor_tab_count = 0;
    current_frame = 0;
    current_slot = 0;
    next_new_slot = 1;
    strip_cell = 0;
    scale_slider_value = 0;
    dial_value = 0;
    StoreSquareDrawing(0, 200, kActorRed);
}

// Where an actor's drawing origin lands on the screen.
inline Point32 ActorOrigin(int16_t actor) { return MapPoint(stage.actors[actor].transform, 0, 0); }

// The key of an actor at a frame, or null.
inline const Keyframe* FindKey(int16_t actor, int32_t frame) {
    for (int i = 0; i < stage.key_count; ++i)
        if (stage.keys[i].actor == actor && stage.keys[i].frame == frame) return &stage.keys[i];
    return nullptr;
}
