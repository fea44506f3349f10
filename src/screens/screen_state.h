// Program-wide variables that the layout tables bind and the screens share.
// All are plain statically allocated values; the main loop sets their start
// values. Selections are indices with -1 meaning none.
#pragma once
#include <cstdint>

#include "animation/transform.h"

// Modes of the main loop, the values of the mode selector.
enum : int32_t {
    kModeDrawing = 0,
    kModeAnimation = 1,
    kModeFiles = 2,
    kModeBlank = 3,
    kModeQuit = 4,
};

// Tools of the drawing editor, the values of the tool chooser.
enum : int32_t {
    kToolOutline = 0,
    kToolFilled = 1,
    kToolRectangle = 2,
    kToolEllipse = 3,
    kToolSelectShape = 4,
    kToolEditVertices = 5,
};

extern int32_t mode;             // current screen (mode selector, id 100)
extern int32_t tool;             // drawing editor tool (tool chooser, id 10)
extern int32_t strip_cell;       // item last pressed in any button strip
extern int32_t current_slot;     // library slot of the edited drawing
extern int32_t next_new_slot;    // slot the next new drawing takes; stops at 63
extern int32_t selected_shape;   // shape index, -1 none
extern int32_t selected_vertex;  // vertex within the selected shape, -1 none
extern int32_t selected_actor;   // actor index, -1 none
extern int32_t actor_tab_count;  // tabs the actor strip shows
extern int32_t current_frame;    // frame slider value; keys are stored here
extern int32_t list_cell;        // file browser: cell of the grid last touched

// Colour picker controls.
extern int32_t square_value;  // row x 120 + column: lightness / 2, saturation / 2
extern int32_t hue_value;     // 0..239
extern int32_t alpha_value;   // 0..255

// Pose screen controls.
extern int32_t scale_slider_value;  // slider cell
extern int32_t dial_value;          // row x 100 + column

// The drawing editor's fixed view: drawing units to screen pixels and back.
extern Pose view_pose;
extern Transform view_transform;
extern Transform inverse_view_transform;
