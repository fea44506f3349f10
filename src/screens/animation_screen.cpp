// The animation screen: its command handler, its redraw, and the faces and
// stylus handler of its widgets. Every model change goes through the stage.
#include "screens/animation_screen.h"

#include "animation/stage.h"
#include "drawing/fixed.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/layout_tables.h"
#include "screens/pose_screen.h"
#include "screens/screen_state.h"
#include "surface/pen.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"

// ---------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------
// The selection always names an actor record or -1; anything else (it cannot
// arise from the widgets) is read as none rather than indexing past the stage.
static int16_t SelectedActor() {
    if (selected_actor < 0 || selected_actor >= kActorCapacity) return -1;
    return static_cast<int16_t>(selected_actor);
}

// Keys the selected actor's current pose at the current frame.
static void KeySelectedActor() {
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    SetKey(stage, actor, static_cast<uint16_t>(current_frame), stage.actors[actor].pose);
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------
// The library browser's tabs are drawn over the stage as it is.
static void KeepScreen() {}

static void ChooseSlotForActor() {
    const int16_t saved_canvas_mode = ui.canvas_mode;
    ui.canvas_mode = 0;
    RunUiLoop(ui, library_browser_table, KeepScreen);
    ui.canvas_mode = saved_canvas_mode;
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    stage.actors[actor].slot = static_cast<int16_t>(current_slot);
    RefreshActorPicks(stage);
}

// A new actor gets the next tab and the selection follows the tab count.
// An add refused at 64 actors changes neither, and taking a tab away stops at
// none, so both always name an actor record (or -1 for the selection).
static void AddStripCommand() {
    if (library.slot_count == 0) return;
    if (strip_cell == kAddActorCell) {
        if (!AddActor(stage, static_cast<int16_t>(current_slot))) return;
        selected_actor = actor_tab_count;
        actor_tab_count += 1;
    } else if (strip_cell == kFewerTabsCell) {
        if (actor_tab_count > 0) actor_tab_count -= 1;
    }
}

static void PlayStripCommand() {
    if (library.slot_count == 0) return;
    if (strip_cell == kPlayCell) {
        PlayAnimation(stage, surface);
    } else if (strip_cell == kPoseCell) {
        RunPoseScreen();
    }
    RefreshActorPicks(stage);
}

void AnimationCommand(uint16_t id) {
    switch (id) {
    case kAnimationLibraryButton:
        ChooseSlotForActor();
        break;
    case kAnimationStage:  // the stylus left the stage: the pose becomes a key
        KeySelectedActor();
        break;
    case kAnimationAddStrip:
        AddStripCommand();
        break;
    case kAnimationPlayStrip:
        PlayStripCommand();
        break;
    case kAnimationActorTabs:  // the tab press has changed the selection already
        RefreshActorPicks(stage);
        break;
    case kAnimationFrameSlider:  // actors take their poses when the slider is let go
        InterpolateFrame(stage, current_frame);
        RefreshActorPicks(stage);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Redraw
// ---------------------------------------------------------------------------
void AnimationRedraw() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    RenderActors(stage, surface);
    DrawKeyMarks(SelectedActor());
}

// A tick at y = frame + 30 lines up with the frame slider's one-pixel rows;
// the frame is read as a 16-bit value, as keys store at most 65535.
void DrawKeyMarks(int16_t actor) {
    if (actor == -1) return;
    SetPenColour(surface, kOpaqueBlack);  // the last rendered shape may have been translucent
    for (int i = 0; i < stage.key_count; ++i) {
        const Keyframe& key = stage.keys[i];
        if (key.actor != actor) continue;
        const int16_t y = static_cast<int16_t>(static_cast<int16_t>(key.frame) + 30);
        DrawHSpan(surface, 224, y, 234);
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
        if (owner >= 0 && owner < kActorCapacity) selected_actor = owner;
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
    FillSoftDisc(surface, cx, Add32(widget.y1, current_frame), 3);
}
