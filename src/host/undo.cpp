#include "host/undo.h"

#include <cstdlib>
#include <cstring>

#include "host/workspace.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"
#include "drawing/colour.h"
#include "ui/ui_loop.h"

// States are images in a ring of kUndoSteps + 1 slots: the oldest state one
// can go back to, then one per change. current is the state on show; the
// ones after it, up to newest, can be redone.
struct UndoState {
    uint8_t* images;  // (kUndoSteps + 1) * kWorkspaceCapacity bytes
    size_t sizes[kUndoSteps + 1];
    int oldest;   // ring index of the oldest state
    int count;    // states kept, 1 .. kUndoSteps + 1
    int current;  // states from the oldest to the one on show, 0 .. count - 1
    bool forgot;  // a state was dropped from the oldest end since the history began
};

static UndoState undo;
static uint8_t scratch[kWorkspaceCapacity];

static uint8_t* Image(int k) {
    return undo.images + static_cast<size_t>((undo.oldest + k) % (kUndoSteps + 1)) * kWorkspaceCapacity;
}
static size_t& Size(int k) { return undo.sizes[(undo.oldest + k) % (kUndoSteps + 1)]; }

bool InitUndo() {
    if (undo.images == nullptr)
        undo.images = static_cast<uint8_t*>(std::malloc((kUndoSteps + 1) * kWorkspaceCapacity));
    undo.count = 0;
    return undo.images != nullptr;
}

void FreeUndo() {
    std::free(undo.images);
    undo = UndoState{};
}

void ResetUndoHistory() {
    if (undo.images == nullptr) return;
    undo.oldest = 0;
    undo.forgot = false;
    Size(0) = WriteWorkspace(Image(0), kWorkspaceCapacity, kModeDrawing);
    undo.count = Size(0) > 0 ? 1 : 0;
    undo.current = 0;
}

// Only the model counts: a new tool, selection or colour is no change.
static bool SameModel(const uint8_t* a, size_t a_size, const uint8_t* b, size_t b_size) {
    return a_size == b_size && a_size >= kWorkspaceModelOffset &&
           std::memcmp(a + kWorkspaceModelOffset, b + kWorkspaceModelOffset,
                       a_size - kWorkspaceModelOffset) == 0;
}

void RecordChange() {
    if (undo.count == 0) return;
    const size_t size = WriteWorkspace(scratch, sizeof scratch, kModeDrawing);
    if (size == 0 || SameModel(scratch, size, Image(undo.current), Size(undo.current))) return;
    undo.count = undo.current + 1;  // what was undone can no longer be redone
    if (undo.count == kUndoSteps + 1) {
        undo.oldest = (undo.oldest + 1) % (kUndoSteps + 1);
        undo.forgot = true;
        --undo.count;
        --undo.current;
    }
    std::memcpy(Image(undo.count), scratch, size);
    Size(undo.count) = size;
    undo.current = undo.count++;
}

// Brings back state k's model; the screen the person is on, the tool, the
// colour and the pose controls stay.
static void Restore(int k) {
    const int32_t mode = controls.mode, strip_cell = controls.strip_cell, tool = editor.tool;
    const ColourRecord colour = current_colour;
    const PickerState picked = picker;
    const int32_t slider = stage_screen.scale_slider_value, dial = stage_screen.dial_value;
    ReadWorkspace(Image(k), Size(k), nullptr);
    controls.mode = mode;
    controls.strip_cell = strip_cell;
    editor.tool = tool;
    current_colour = colour;
    ui.stroke_colour = colour;
    picker = picked;
    stage_screen.scale_slider_value = slider;
    stage_screen.dial_value = dial;
    RestoreScreenDerivedState();
    undo.current = k;
}

bool Undo() {
    RecordChange();  // a change no command has recorded yet (a dragged vertex) is a step too
    if (undo.count == 0 || undo.current == 0) return false;
    Restore(undo.current - 1);
    return true;
}

bool Redo() {
    if (undo.current + 1 >= undo.count) return false;
    Restore(undo.current + 1);
    return true;
}

bool UndoReachesStart() { return undo.count > 0 && !undo.forgot; }
