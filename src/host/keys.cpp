#include "host/keys.h"

#include "host/undo.h"
#include "input/input.h"
#include "screens/animation_screen.h"
#include "screens/drawing_editor.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "screens/widget_ids.h"
#include "ui/ui_loop.h"
#include "ui/widgets.h"

enum class KeyCommand { kNone, kUndo, kRedo, kDelete, kTool, kPlay, kExport };

struct KeyState {
    KeyCommand waiting;
    int32_t tool;  // for kTool
    void (*export_action)();
};

static KeyState keys;

void SetExportKeyAction(void (*action)()) { keys.export_action = action; }

static const KeyHelp kKeyHelp[] = {
    {"Ctrl+Z",                "undo the last change (up to 64)"},
    {"Ctrl+Shift+Z, Ctrl+Y",  "redo"},
    {"Delete, Backspace",     "delete the selected shape (select tool) or vertex (vertex tool)"},
    {"Escape",                "close a popup, the colour picker, the library or the pose screen"},
    {"Space",                 "play, or stop playing, on the animation screen"},
    {"1 to 6",                "choose a drawing tool: outline, filled, rectangle, ellipse, select, vertices"},
    {"Ctrl+E",                "export the drawing (SVG) and the animation (WebP and GIF)"},
    {"F1",                    "print this list"},
};

const KeyHelp* KeyHelpRows(int* count) {
    *count = static_cast<int>(sizeof kKeyHelp / sizeof kKeyHelp[0]);
    return kKeyHelp;
}

void PrintKeyList(FILE* out) {
    for (const KeyHelp& k : kKeyHelp) std::fprintf(out, "  %-22s %s\n", k.keys, k.does);
}

// A key that is handled between passes of the outermost loop.
static void Wait(KeyCommand command) {
    keys.waiting = command;
    RequestLoopEnd(kHostCommand, main_table);
}

// The full-screen area of a nested screen, whose release closes it.
static uint16_t OutsideAreaOf(const WidgetRecord* table) {
    for (const WidgetRecord* w = table; w != nullptr && w->type != kEnd; ++w)
        if (w->type == kHitArea && w->x1 == 0 && w->y1 == 0 && w->x2 >= kScreenWidth - 1 &&
            w->y2 >= kScreenHeight - 1)
            return w->id;
    return 0;
}

void OnKey(uint32_t key, uint32_t modifiers) {
    const bool ctrl = (modifiers & kModifierCtrl) != 0, shift = (modifiers & kModifierShift) != 0;
    if (ctrl) {
        if (key == 'z') Wait(shift ? KeyCommand::kRedo : KeyCommand::kUndo);
        if (key == 'y') Wait(KeyCommand::kRedo);
        if (key == 'e' && keys.export_action != nullptr) Wait(KeyCommand::kExport);
        return;
    }
    switch (key) {
    case kKeyDelete:
    case kKeyBackspace:
        Wait(KeyCommand::kDelete);
        break;
    case kKeyEscape:
        // As a tap outside it: only a nested screen (a picker, a popup) has
        // an outside; the main table has none.
        if (ui.depth > 0 && ui.current_table != main_table) {
            const uint16_t outside = OutsideAreaOf(ui.current_table);
            if (outside != 0) RequestLoopEnd(outside, nullptr);
        }
        break;
    case kKeySpace:
        // Playback runs outside the UI loop and stops at the next tap.
        if (ui.depth == 0 && controls.mode == kModeAnimation)
            input.tap_latch = 1;
        else
            Wait(KeyCommand::kPlay);
        break;
    case kKeyF1:
        PrintKeyList(stdout);
        std::fflush(stdout);
        break;
    default:
        if (key >= '1' && key <= '0' + kToolCount) {
            keys.tool = static_cast<int32_t>(key - '1');
            Wait(KeyCommand::kTool);
        }
        break;
    }
}

// Each key runs the command its tap would, with the value the tap would set.
void RunKeyCommand() {
    const KeyCommand command = keys.waiting;
    keys.waiting = KeyCommand::kNone;
    const bool editing = controls.mode == kModeDrawing;
    switch (command) {
    case KeyCommand::kUndo:
        Undo();
        return;
    case KeyCommand::kRedo:
        Redo();
        return;
    case KeyCommand::kExport:
        if (keys.export_action != nullptr) keys.export_action();
        return;
    case KeyCommand::kDelete:
        if (editing && editor.tool == kToolSelectShape) {
            controls.strip_cell = kShapeDelete;
            RunCommand(kEditorCommands, kEditorShapeActions);
        } else if (editing && editor.tool == kToolEditVertices) {
            controls.strip_cell = kVertexDelete;
            RunCommand(kEditorCommands, kEditorVertexActions);
        }
        break;
    case KeyCommand::kTool:
        if (!editing) return;
        editor.tool = keys.tool;
        RunCommand(kEditorCommands, kEditorToolChooser);
        break;
    case KeyCommand::kPlay:
        if (controls.mode != kModeAnimation) return;
        controls.strip_cell = kPlayCell;
        RunCommand(kAnimationCommands, kAnimationPlayStrip);
        break;
    case KeyCommand::kNone:
        return;
    }
    RecordChange();
}
