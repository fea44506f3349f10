// The pose screen: a nested UI loop over the stage with a slot strip, a scale
// slider and an angle dial. The slider and the dial apply themselves to the
// selected actor from their faces, on every redraw, while the screen is open.
#pragma once
#include <cstdint>

#include "ui/widgets.h"

// Slider cells per 1.0 of scale: cell v stands for scale v x 256.
constexpr int32_t kScaleSliderCells = 64;

// Runs the pose screen until a tap outside its controls, then keys the
// selected actor's pose at the current frame.
void RunPoseScreen();
// White background, the actors, and the selected actor's pose as text.
void PoseScreenRedraw();
// The scale slider: a wedge and a knob; sets the selected actor's scale.
void ScaleSliderFace(const WidgetRecord& widget);
// The angle dial: a circle and a needle; sets the selected actor's angle.
void AngleDialFace(const WidgetRecord& widget);
// Direction of (px, py) seen from (cx, cy) in tenths of a degree, clockwise
// from the positive x axis, linear in dy / (|dx| + |dy|) within a quadrant.
// 0 for the centre itself.
int16_t DialAngle(int16_t cx, int16_t cy, int16_t px, int16_t py);
