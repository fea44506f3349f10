// Every layout table of the program. Tables are writable because the UI loop
// keeps each widget's pressed flag in its record; nothing else changes.
#pragma once
#include "ui/widgets.h"

extern WidgetRecord main_table[6];            // mode selector and one page per mode
extern WidgetRecord drawing_editor_table[11]; // top bar, one page per tool
extern WidgetRecord empty_table[1];           // tools 0..3 add nothing
extern WidgetRecord blank_table[1];           // mode 3
extern WidgetRecord shape_tool_table[3];      // shape actions, selection canvas
extern WidgetRecord vertex_tool_table[3];     // vertex actions, handles canvas
extern WidgetRecord animation_table[7];
extern WidgetRecord files_table[6];
extern WidgetRecord colour_picker_table[5];
extern WidgetRecord library_browser_table[3];
extern WidgetRecord pose_table[5];
