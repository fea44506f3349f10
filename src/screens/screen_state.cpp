#include "screens/screen_state.h"

#include "ui/stroke.h"
#include "ui/ui_loop.h"
#include "screens/widget_ids.h"

ScreenControls controls;

void ResetScreenControls() { controls = ScreenControls{kModeDrawing, 0}; }

uint16_t RunNestedLoop(WidgetRecord* table, void (*redraw)()) {
    const int16_t saved_canvas_mode = ui.canvas_mode;
    ui.canvas_mode = kCanvasNone;
    const uint16_t result = RunUiLoop(ui, table, redraw);
    ui.canvas_mode = saved_canvas_mode;
    return result;
}

void RunCommand(const CommandEntry* commands, uint16_t id) {
    for (const CommandEntry* c = commands; c->id != kNoCommand; ++c) {
        if (c->id == id) {
            c->run();
            return;
        }
    }
}
