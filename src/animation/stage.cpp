#include "animation/stage.h"

#include <cstdio>
#include <cstring>

#include "raster/lines.h"
#include "raster/panels.h"
#include "raster/shape_renderer.h"
#include "surface/pen.h"
#include "surface/pick_list.h"

Stage stage;

// Each new actor sits this many drawing units right of and below the previous one.
constexpr int16_t kActorStagger = 10;

// Box corners far off the surface are drawn at this distance instead: the
// dashed lines of a selection frame clip to the surface and restart their
// pattern at the clipped end, so the visible pixels stay the same while the
// line code never sees coordinates near the 32-bit limits.
constexpr int64_t kOffSurfaceLimit = 4096;

// Slot fields are read from a record the screen may have written; anything
// outside the library's slots shows nothing.
static bool ActorHasDrawing(const Stage& st, const Actor& actor) {
    return actor.slot >= 0 && actor.slot < kSlotCount && SlotHoldsDrawing(*st.library, actor.slot);
}

static DrawingView ActorView(const Stage& st, const Actor& actor) {
    return MakeDrawingView(st.library->slots[actor.slot].data);
}

static bool ValidActorIndex(int16_t i) { return i >= 0 && i < kActorCapacity; }

static int64_t Clamp64(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

static int16_t ClampToInt16(int32_t v) { return static_cast<int16_t>(Clamp64(v, INT16_MIN, INT16_MAX)); }

static int32_t OffSurfaceClamp(int64_t v) {
    return static_cast<int32_t>(Clamp64(v, -kOffSurfaceLimit, kOffSurfaceLimit));
}

void InitStage(Stage& st, DrawingLibrary& lib) { st.library = &lib; }

void ClearStage(Stage& st) {
    st.actor_count = 0;
    st.key_count = 0;
    std::memset(st.actors, 0, sizeof st.actors);
    std::memset(st.keys, 0, sizeof st.keys);
}

bool AddActor(Stage& st, int16_t slot) {
    if (st.actor_count >= kActorCapacity) return false;
    int16_t n = st.actor_count;
    Actor& actor = st.actors[n];
    actor.slot = slot;
    actor.pose.angle = 0;
    actor.pose.scale = kTenthPixelScale;  // as in the editor
    actor.pose.x = static_cast<int16_t>(kActorStagger * n);
    actor.pose.y = static_cast<int16_t>(kActorStagger * n);
    actor.previous_key_frame = 0;
    actor.next_key_frame = 0;
    actor.previous_key_index = -1;
    actor.next_key_index = -1;
    UpdateActorTransform(actor);
    st.actor_count = static_cast<int16_t>(n + 1);
    return true;
}

// The three pose setters take the screen's selected actor without checking it
// against the count; an index outside the array is ignored.
void MoveActor(Stage& st, int16_t i, int16_t dx, int16_t dy) {
    if (!ValidActorIndex(i)) return;
    Actor& actor = st.actors[i];
    actor.pose.x = static_cast<int16_t>(actor.pose.x + dx);  // 16-bit wrap
    actor.pose.y = static_cast<int16_t>(actor.pose.y + dy);
    UpdateActorTransform(actor);
}

void SetActorAngle(Stage& st, int16_t i, int16_t angle) {
    if (!ValidActorIndex(i)) return;
    st.actors[i].pose.angle = angle;
    UpdateActorTransform(st.actors[i]);
}

void SetActorScale(Stage& st, int16_t i, int16_t scale) {
    if (!ValidActorIndex(i)) return;
    st.actors[i].pose.scale = scale;
    UpdateActorTransform(st.actors[i]);
}

// A singular transform (scale 0) keeps the previous inverse.
void UpdateActorTransform(Actor& actor) {
    actor.transform = BuildTransform(actor.pose);
    InvertTransform(actor.transform, &actor.inverse);
}

// Index order is stacking order: later actors paint over earlier ones.
void RenderActors(Stage& st, ScreenSurface& s) {
    for (int16_t i = 0; i < st.actor_count; ++i) {
        const Actor& actor = st.actors[i];
        if (!ActorHasDrawing(st, actor)) continue;
        RenderDrawing(s, ActorView(st, actor), actor.transform);
    }
}

void RebuildAndRenderActors(Stage& st, ScreenSurface& s) {
    for (int16_t i = 0; i < st.actor_count; ++i) {
        Actor& actor = st.actors[i];
        UpdateActorTransform(actor);
        if (!ActorHasDrawing(st, actor)) continue;
        RenderDrawing(s, ActorView(st, actor), actor.transform);
    }
}

// One box per actor that shows a drawing with at least one vertex, owner =
// actor index. Bounds beyond the 16-bit pick coordinates are clamped, so a
// huge actor still answers taps on the part that is on the screen.
void RefreshActorPicks(Stage& st) {
    ResetPickList();
    for (int16_t i = 0; i < st.actor_count; ++i) {
        const Actor& actor = st.actors[i];
        if (!ActorHasDrawing(st, actor)) continue;
        Bounds b = DrawingBounds(ActorView(st, actor), actor.transform);
        if (BoundsEmpty(b)) continue;
        AddPickRect(ClampToInt16(b.min_x), ClampToInt16(b.min_y), ClampToInt16(b.max_x),
                    ClampToInt16(b.max_y), i);
    }
}

// The selection frame: marching ants in XOR one pixel outside the actor's
// bounds, drawn clockwise from the top-left corner, then a label box with the
// actor's number (counted from 1) centred on the bounds.
void HighlightActor(Stage& st, ScreenSurface& s, int16_t i) {
    if (i < 0 || i >= st.actor_count) return;
    char label[8];
    std::snprintf(label, sizeof label, "%d", i + 1);
    const Actor& actor = st.actors[i];
    if (!ActorHasDrawing(st, actor)) return;
    Bounds b = DrawingBounds(ActorView(st, actor), actor.transform);
    if (BoundsEmpty(b)) return;

    int32_t left = OffSurfaceClamp(int64_t{b.min_x} - 1);
    int32_t top = OffSurfaceClamp(int64_t{b.min_y} - 1);
    int32_t right = OffSurfaceClamp(int64_t{b.max_x} + 1);
    int32_t bottom = OffSurfaceClamp(int64_t{b.max_y} + 1);
    int32_t y1 = OffSurfaceClamp(b.min_y);
    int32_t y2 = OffSurfaceClamp(b.max_y);

    s.pen_colour.word = 0xFFFF;
    SelectPenMode(s, 1);
    // The pattern moves one pixel every 64 ms.
    const uint16_t pattern = kMarchingAnts[MarchingAntsPhase(GetTickCount())];
    DrawDashedLine(s, left, top, right, top, pattern);
    DrawDashedLine(s, right, y1, right, y2, pattern);
    DrawDashedLine(s, right, bottom, left, bottom, pattern);
    DrawDashedLine(s, left, y2, left, y1, pattern);
    SelectPenMode(s, 0);

    SetPenColour(s, MakeColour(200, 200, 0, 255));
    int32_t cx = OffSurfaceClamp((int64_t{b.min_x} + b.max_x) >> 1);
    int32_t cy = OffSurfaceClamp((int64_t{b.min_y} + b.max_y) >> 1);
    DrawLabelBoxLeft(s, static_cast<int16_t>(cx - 7), static_cast<int16_t>(cy - 6),
                     static_cast<int16_t>(cx + 7), static_cast<int16_t>(cy + 6), label);
}
