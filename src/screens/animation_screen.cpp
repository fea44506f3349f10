// The animation screen: its command handler, its redraw, and the faces and
// stylus handler of its widgets. Every model change goes through the stage.
#include "screens/animation_screen.h"

#include "animation/stage.h"
#include "geometry/fixed.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/layout_tables.h"
#include "screens/pose_screen.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"
#include "surface/pen.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"

// ---------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------
StageScreenState stage_screen;

// Key ticks leave this many pixels of the slider free on either side.
constexpr int32_t kKeyMarkInset = 4;

void ResetStageScreen() { stage_screen = StageScreenState{}; }

int16_t SelectedActor() {
    if (stage_screen.selected_actor < 0 || stage_screen.selected_actor >= kActorCapacity) return -1;
    return static_cast<int16_t>(stage_screen.selected_actor);
}

// Keys the selected actor's current pose at the current frame.
static void KeySelectedActor() {
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    SetKey(stage, actor, static_cast<uint16_t>(stage_screen.current_frame), stage.actors[actor].pose);
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------
// The library browser's tabs are drawn over the stage as it is.
static void KeepScreen() {}

static void ChooseSlotForActor() {
    RunNestedLoop(library_browser_table, KeepScreen);
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    stage.actors[actor].slot = static_cast<int16_t>(editor.current_slot);
    RefreshActorPicks(stage);
}

// A new actor gets the next tab and the selection follows the tab count.
// An add refused at 64 actors changes neither, and taking a tab away stops at
// none, so both always name an actor record (or -1 for the selection).
static void AddStripCommand() {
    if (library.slot_count == 0) return;
    if (controls.strip_cell == kAddActorCell) {
        if (!AddActor(stage, static_cast<int16_t>(editor.current_slot))) return;
        stage_screen.selected_actor = stage_screen.actor_tab_count;
        stage_screen.actor_tab_count += 1;
    } else if (controls.strip_cell == kFewerTabsCell) {
        if (stage_screen.actor_tab_count > 0) stage_screen.actor_tab_count -= 1;
    }
}

static void PlayStripCommand() {
    if (library.slot_count == 0) return;
    if (controls.strip_cell == kPlayCell) {
        PlayAnimation(stage, surface);
    } else if (controls.strip_cell == kPoseCell) {
        RunPoseScreen();
    }
    RefreshActorPicks(stage);
}

static void RefreshPicks() { RefreshActorPicks(stage); }

// Actors take their poses when the slider is let go.
static void ShowCurrentFrame() {
    InterpolateFrame(stage, stage_screen.current_frame);
    RefreshActorPicks(stage);
}

// The stylus left the stage: the dragged pose becomes a key. A tab press has
// changed the selection already.
const CommandEntry kAnimationCommands[] = {
    {kAnimationLibraryButton, ChooseSlotForActor},
    {kAnimationStage,         KeySelectedActor},
    {kAnimationAddStrip,      AddStripCommand},
    {kAnimationPlayStrip,     PlayStripCommand},
    {kAnimationActorTabs,     RefreshPicks},
    {kAnimationFrameSlider,   ShowCurrentFrame},
    {kNoCommand,              nullptr},
};

// ---------------------------------------------------------------------------
// Redraw
// ---------------------------------------------------------------------------
void AnimationRedraw() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    RenderActors(stage, surface);
    DrawKeyMarks(SelectedActor());
}

// One tick per key beside the frame slider, on the slider's one-pixel row of
// the key's frame; the frame is read as a 16-bit value, as keys store at most
// 65535.
void DrawKeyMarks(int16_t actor) {
    if (actor == -1) return;
    const WidgetRecord& slider = *FindWidget(animation_table, kAnimationFrameSlider);
    const int16_t left = static_cast<int16_t>(slider.x1 + kKeyMarkInset);
    const int16_t right = static_cast<int16_t>(slider.x2 - kKeyMarkInset - 1);
    SetPenColour(surface, kOpaqueBlack);  // the last rendered shape may have been translucent
    for (int i = 0; i < stage.key_count; ++i) {
        const Keyframe& key = stage.keys[i];
        if (key.actor != actor) continue;
        const int16_t y = static_cast<int16_t>(static_cast<int16_t>(key.frame) + slider.y1);
        DrawHSpan(surface, left, y, right);
    }
}

// ---------------------------------------------------------------------------
// Stage widget
// ---------------------------------------------------------------------------
void ActorHighlightOverlay(const WidgetRecord&, const SkinPicture*) {
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    HighlightActor(stage, surface, actor);
    redraw_request = 1;  // once more next pass: the ants march every 64 ms
}

// A drag compares the stylus with the last point that moved the actor (the UI
// loop's press point, moved along here), both mapped into the actor's own
// units: moves too small to reach a whole unit add up until they do, and the
// actor stays under the stylus whatever its angle and scale.
void ActorStylus(const WidgetRecord& widget, int16_t x, int16_t y) {
    if (!widget.pressed) {
        const int32_t owner = PickOwner(x, y);
        if (owner >= 0 && owner < kActorCapacity) stage_screen.selected_actor = owner;
        return;
    }
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    const Transform& inverse = stage.actors[actor].inverse;
    const Point32 now = MapPoint(inverse, x, y);
    const Point32 before =
        MapPoint(inverse, static_cast<int16_t>(ui.start_x), static_cast<int16_t>(ui.start_y));
    if (now.x == before.x && now.y == before.y) return;
    MoveActor(stage, actor, static_cast<int16_t>(Sub32(now.x, before.x)),
              static_cast<int16_t>(Sub32(now.y, before.y)));
    ui.start_x = static_cast<uint16_t>(x);
    ui.start_y = static_cast<uint16_t>(y);
    RefreshActorPicks(stage);
}

// ---------------------------------------------------------------------------
// Frame slider
// ---------------------------------------------------------------------------
// One pixel row per frame: the knob sits at y1 + current frame.
void FrameSliderFace(const WidgetRecord& widget) {
    const int16_t cx = static_cast<int16_t>((widget.x1 + widget.x2) >> 1);
    SetPenColour(surface, kOpaqueBlack);
    DrawVSpan(surface, cx, static_cast<int16_t>(widget.y1), static_cast<int16_t>(widget.y2));
    FillSoftDisc(surface, cx, widget.y1, 3);
    FillSoftDisc(surface, cx, widget.y2, 3);
    SetPenColour(surface, MakeColour(0, 0, 255, 255));
    FillSoftDisc(surface, cx, Add32(widget.y1, stage_screen.current_frame), 3);
}
