// Storage of the shared screen variables; the main loop sets the start values.
#include "screens/screen_state.h"

int32_t mode;
int32_t tool;
int32_t strip_cell;
int32_t current_slot;
int32_t next_new_slot = 1;
int32_t selected_shape;
int32_t selected_vertex;
int32_t selected_actor;
int32_t actor_tab_count;
int32_t current_frame;
int32_t list_cell;

int32_t square_value;
int32_t hue_value;
int32_t alpha_value = 255;

int32_t scale_slider_value;
int32_t dial_value;

Pose view_pose;
Transform view_transform;
Transform inverse_view_transform;
