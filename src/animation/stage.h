// The stage: up to 64 actors showing library drawings at poses of their own,
// and up to 1000 keyframes that pose them per frame.
#pragma once
#include <cstdint>

#include "geometry/transform.h"
#include "drawing/library.h"
#include "surface/surface.h"

constexpr int kActorCapacity = 64;
constexpr int kKeyCapacity = 1000;

struct Actor {
    int16_t slot;
    Pose pose;
    int32_t previous_key_frame;  // interpolation scratch
    int32_t next_key_frame;
    int32_t previous_key_index;
    int32_t next_key_index;
    Transform transform;
    Transform inverse;
};

// Note the order: a key stores x, y, angle, scale; a pose angle, x, y, scale.
struct Keyframe {
    int32_t frame;
    int16_t actor;
    int16_t x;
    int16_t y;
    int16_t angle;
    int16_t scale;
};

struct Stage {
    DrawingLibrary* library;
    int16_t actor_count;
    Actor actors[kActorCapacity];
    int16_t key_count;
    Keyframe keys[kKeyCapacity];
};

extern Stage stage;

void InitStage(Stage& st, DrawingLibrary& lib);
void ClearStage(Stage& st);
// False when 64 actors exist already.
bool AddActor(Stage& st, int16_t slot);
void MoveActor(Stage& st, int16_t i, int16_t dx, int16_t dy);
void SetActorAngle(Stage& st, int16_t i, int16_t angle);
void SetActorScale(Stage& st, int16_t i, int16_t scale);
void UpdateActorTransform(Actor& actor);
void RenderActors(Stage& st, ScreenSurface& s);
void RebuildAndRenderActors(Stage& st, ScreenSurface& s);
void RefreshActorPicks(Stage& st);
void HighlightActor(Stage& st, ScreenSurface& s, int16_t i);

// Creates or replaces the key of an actor at a frame; false when a new key
// would not fit (existing keys untouched).
bool SetKey(Stage& st, int16_t actor, uint16_t frame, const Pose& pose);
void InterpolateFrame(Stage& st, int32_t frame);

// Playback shows frames 0 to kLastPlayedFrame in a loop, each once more
// than kFrameWaitMs have passed since the last: 48 ms apart.
constexpr int32_t kLastPlayedFrame = 200;
constexpr uint32_t kFrameWaitMs = 47;
void PlayAnimation(Stage& st, ScreenSurface& s);
