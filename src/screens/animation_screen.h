// The animation screen (mode 1): actors placed from library slots, picked and
// dragged on the stage, keyed per frame, scrubbed with the frame slider and
// played. The pose screen it opens lives in pose_screen.h.
#pragma once
#include <cstdint>

#include "ui/widgets.h"

// Ids of the animation table.
enum : uint16_t {
    kAnimationLibraryButton = 12,
    kAnimationStage = 30,
    kAnimationAddStrip = 50,
    kAnimationPlayStrip = 70,
    kAnimationActorTabs = 80,
    kAnimationFrameSlider = 90,
};

// Cells of the two button strips.
enum : int32_t {
    kPlayCell = 0,
    kPoseCell = 3,
    kAddActorCell = 0,
    kFewerTabsCell = 1,
};

// Handles an id the UI loop returned on this screen.
void AnimationCommand(uint16_t id);
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
