// The pose screen: the slot strip, the scale slider and the angle dial over
// the stage. The controls' values are applied by their faces, so the selected
// actor follows them on every redraw, the first one included.
#include "screens/pose_screen.h"

#include <cstdio>

#include "animation/stage.h"
#include "geometry/fixed.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "screens/animation_screen.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "surface/pen.h"
#include "raster/font.h"
#include "ui/ui_loop.h"

// The slider's knob travels this many pixels over 64 cells.
constexpr int32_t kScaleSliderTravel = 260;
// Slider cell of the scale a new actor starts with (1638 x 64 / 16384).
constexpr int32_t kDefaultScaleCell = 6;

// ---------------------------------------------------------------------------
// The nested loop
// ---------------------------------------------------------------------------
void RunPoseScreen() {
    const int16_t actor = SelectedActor();
    // The slider opens at the actor's scale, truncated to a whole cell. With
    // no actor it shows where a new actor's scale lies; it changes nothing then.
    stage_screen.scale_slider_value =
        actor >= 0 ? Div32(Mul32(stage.actors[actor].pose.scale, kScaleSliderCells), kOneQ14)
                   : kDefaultScaleCell;
    RunNestedLoop(pose_table, PoseScreenRedraw);
    if (actor >= 0)
        SetKey(stage, actor, static_cast<uint16_t>(stage_screen.current_frame), stage.actors[actor].pose);
}

// The info line is drawn with the pen as the last rendered shape left it.
void PoseScreenRedraw() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    RenderActors(stage, surface);
    const int16_t actor = SelectedActor();
    if (actor < 0) return;
    const Pose& pose = stage.actors[actor].pose;
    char text[48];
    std::snprintf(text, sizeof text, "x:%d y:%d a:%d s:%d", pose.x, pose.y, pose.angle, pose.scale);
    DrawText(surface, 0, 0, text);
}

// ---------------------------------------------------------------------------
// Scale slider
// ---------------------------------------------------------------------------
// A wedge, point at the top, and a knob at the cell's place; cell v is scale
// v x 256 (v x 16384 / 64), cut to 16 bits.
void ScaleSliderFace(const WidgetRecord& widget) {
    const int32_t x1 = widget.x1, y1 = widget.y1, x2 = widget.x2, y2 = widget.y2;
    const int32_t cx = (x1 + x2) >> 1;
    const int32_t v = stage_screen.scale_slider_value;
    SetPenColour(surface, kOpaqueBlack);
    DrawLine(surface, cx, y1, x2 - 5, y2);
    DrawLine(surface, cx, y1, x1 + 5, y2);
    DrawHSpan(surface, static_cast<int16_t>(x1 + 5), static_cast<int16_t>(y2),
              static_cast<int16_t>(x2 - 5));
    const int32_t ky = Add32(y1, Div32(Mul32(v, kScaleSliderTravel), kScaleSliderCells));
    SetPenColour(surface, MakeColour(0, 0, 200, 255));
    DrawLabelBoxLeft(surface, static_cast<int16_t>(x1), static_cast<int16_t>(ky - 4),
                     static_cast<int16_t>(x2), static_cast<int16_t>(ky + 4), "");
    const int16_t actor = SelectedActor();
    if (actor >= 0)
        SetActorScale(stage, actor,
                      static_cast<int16_t>(Div32(Mul32(v, kOneQ14), kScaleSliderCells)));
}

// ---------------------------------------------------------------------------
// Angle dial
// ---------------------------------------------------------------------------
// The dial value is row x 100 + column of the grid's one-pixel cells; the
// needle points from the centre to that cell.
void AngleDialFace(const WidgetRecord& widget) {
    const int16_t cx = static_cast<int16_t>((widget.x1 + widget.x2) >> 1);
    const int16_t cy = static_cast<int16_t>((widget.y1 + widget.y2) >> 1);
    SetPenColour(surface, kOpaqueBlack);
    DrawCircle(surface, cx, cy, (widget.x2 - widget.x1) >> 1);
    const int16_t px = static_cast<int16_t>(widget.x1 + stage_screen.dial_value % 100);
    const int16_t py = static_cast<int16_t>(widget.y1 + stage_screen.dial_value / 100);
    const int16_t angle = DialAngle(cx, cy, px, py);
    const int16_t actor = SelectedActor();
    if (actor >= 0) SetActorAngle(stage, actor, angle);
    DrawLine(surface, cx, cy, px, py);
}

// Not an arctangent: within each quadrant the angle is linear in
// dy / (|dx| + |dy|), 900 straight down, 1800 left, 2700 straight up.
int16_t DialAngle(int16_t cx, int16_t cy, int16_t px, int16_t py) {
    const int32_t dx = px - cx, dy = py - cy;
    const int32_t s = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
    if (s == 0) return 0;
    const int32_t q = dy * 900 / s;
    if (dx < 0) return static_cast<int16_t>(1800 - q);
    return static_cast<int16_t>(dy < 0 ? q + 3600 : q);
}
