// The animation screen (mode 1): actors placed from library slots, picked and
// dragged on the stage, keyed per frame, scrubbed with the frame slider and
// played. The pose screen it opens lives in pose_screen.h.
#pragma once
#include <cstdint>

#include "screens/widget_ids.h"
#include "ui/widgets.h"

// Cells of the two button strips.
enum : int32_t {
    kPlayCell = 0,
    kPoseCell = 3,
    kAddActorCell = 0,
    kFewerTabsCell = 1,
};

struct StageScreenState {
    int32_t selected_actor;      // actor index, -1 none
    int32_t actor_tab_count;     // tabs the actor strip shows
    int32_t current_frame;       // the frame slider; keys are stored here
    int32_t scale_slider_value;  // the pose screen's slider cell
    int32_t dial_value;          // the pose screen's dial: row x 100 + column
};

extern StageScreenState stage_screen;

// Everything 0: actor 0 selected (there is none yet), no tabs, frame 0.
void ResetStageScreen();

// The selected actor as an index into the stage's records, or -1: anything
// outside the records (it cannot arise from the widgets) reads as none.
int16_t SelectedActor();

// The animation screen's command list.
extern const CommandEntry kAnimationCommands[];
// White background, the actors, the key ticks of the selected actor.
void AnimationRedraw();
// One tick beside the frame slider per key of the actor; -1 draws nothing.
void DrawKeyMarks(int16_t actor);

// The stage widget's face: the selected actor's marching-ants frame. It asks
// for another redraw so that the ants keep moving.
void ActorHighlightOverlay(const WidgetRecord& widget, const SkinPicture* skin);
// The stage widget's stylus handler: picks on the pen-down, drags on moves.
void ActorStylus(const WidgetRecord& widget, int16_t x, int16_t y);
// The frame slider: a track with end dots and a knob at the current frame.
void FrameSliderFace(const WidgetRecord& widget);
