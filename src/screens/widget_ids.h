// Every widget id of the layout tables, named once. The UI loop returns the
// id of the widget released on; id 0 is never returned. The mode selector
// belongs to the main loop; each mode's ids go to its command list, and the
// ids of nested screens end the nested loop that runs them.
#pragma once
#include <cstdint>

#include "ui/ui_loop.h"

enum : uint16_t {
    kNoCommand = 0,  // a widget that only takes its value or its press function

    // Every screen: the chooser in the top-right corner.
    kModeSelector = 100,

    // The drawing editor (mode 0).
    kEditorToolChooser = 10,
    kEditorColourButton = 11,
    kEditorLibraryButton = 12,
    kEditorSelectCanvas = 20,
    kEditorNewDrawingStrip = 40,
    kEditorShapeActions = 50,
    kEditorVertexActions = 60,

    // The animation screen (mode 1).
    kAnimationLibraryButton = 12,
    kAnimationStage = 30,
    kAnimationAddStrip = 50,
    kAnimationPlayStrip = 70,
    kAnimationActorTabs = 80,
    kAnimationFrameSlider = 90,

    // The files screen (mode 2).
    kFilesRows = 10,
    kFilesPages = 20,
    kFilesDirectoryCells = 30,
    kFilesDirectoryPages = 40,
    kFilesPathBar = 50,

    // Nested screens: a tap on a library letter, or anywhere outside a
    // picker's controls (kPickerExit), ends them.
    kLibraryLetterTabs = 80,
};

// A mode's command list: the handler of each id its page returns, ended by
// an entry with id 0.
struct CommandEntry {
    uint16_t id;
    void (*run)();
};

// Runs the entry for id; ids without one are ignored.
void RunCommand(const CommandEntry* commands, uint16_t id);
