// The main loop: builds the program-wide objects in a fixed order, runs one
// screen at a time through the UI loop, switches modes on the mode selector
// and frees what start-up allocated.
#include "shell/main_loop.h"

#include <cstdio>
#include <cstring>

#include "animation/stage.h"
#include "geometry/transform.h"
#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/host_files.h"
#include "screens/animation_screen.h"
#include "screens/blank_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "screens/widget_ids.h"
#include "shell/shell.h"
#include "surface/surface.h"
#include "raster/font.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

const char* const kSettingsPath = "\\tovu\\kalvenorix.ini";
static const char* const kSkinPath = "\\tovu\\skin1.png";

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------
// The first line names the file browser's start directory. Its terminator
// (LF or CR LF) is not part of the path, and the browser's path begins and
// ends with a backslash, so a missing one is added where it fits.
void ReadSettings() {
    FILE* file = OpenDeviceFile(kSettingsPath, "r");
    if (file == nullptr) return;
    char line[kDirectoryBytes];
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read) return;  // an empty file leaves the directory as it was
    size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') line[--length] = 0;
    if (length > 0 && line[length - 1] == '\r') line[--length] = 0;
    size_t at = 0;
    if (line[0] != '\\' && length + 1 < kDirectoryBytes) files.directory[at++] = '\\';
    std::memcpy(files.directory + at, line, length + 1);
    length += at;
    if (files.directory[length - 1] != '\\' && length + 1 < kDirectoryBytes) {
        files.directory[length] = '\\';
        files.directory[length + 1] = 0;
    }
}

// ---------------------------------------------------------------------------
// Modes
// ---------------------------------------------------------------------------
// The drawing editor's entry (canvas mode of the tool, the current slot's
// drawing, the tool's pick list) is EnterDrawingEditor of its screen.

static void EnterAnimation() {
    ui.canvas_mode = kCanvasNone;
    RebuildAndRenderActors(stage, surface);
    RefreshActorPicks(stage);
}

static void EnterPlainScreen() { ui.canvas_mode = kCanvasNone; }

// Modes 0..3; mode 4 quits.
static const ModeEntry kModeTable[4] = {
    {DrawingEditorRedraw, kEditorCommands,    EnterDrawingEditor},  // drawing editor
    {AnimationRedraw,     kAnimationCommands, EnterAnimation},      // animation
    {FilesRedraw,         kFilesCommands,     EnterPlainScreen},    // files and about
    {BlankScreenRedraw,   kBlankCommands,     EnterPlainScreen},    // blank
};

const ModeEntry* ModeEntryOf(int32_t mode) {
    return mode >= kModeDrawing && mode <= kModeBlank ? &kModeTable[mode] : nullptr;
}

// ---------------------------------------------------------------------------
// Start-up and shutdown
// ---------------------------------------------------------------------------
static const MainLoopHooks* hooks = nullptr;

void SetMainLoopHooks(const MainLoopHooks* table) { hooks = table; }

static void CallHook(void (*hook)()) {
    if (hook != nullptr) hook();
}

static void FreeProgramObjects() {
    if (hooks != nullptr) CallHook(hooks->ending);
    if (ui.skin != nullptr) {
        FreeSkinPicture(ui.skin);  // the colour words, then the record
        ui.skin = nullptr;
    }
    FreeDrawing(drawing);  // the vertex block, then the shape block
}

void StartProgram() {
    // Splash; it stays until the first screen is drawn.
    surface.pen_colour.word = 0;
    ClearSurface(surface);
    surface.pen_colour.word = 0xFFFF;
    DrawTextLargeCentred(surface, kScreenWidth / 2, kScreenHeight / 2, "KalveNorix");
    PresentSurface(surface);

    BuildHueRamp(surface);
    AllocateDrawing(drawing);
    LibraryInit(library);
    InitStage(stage, library);
    ClearStage(stage);
    ui.skin = LoadSkinPicture(surface, kSkinPath);  // null: no widget images
    SetShutdownHook(FreeProgramObjects);

    ResetScreenControls();
    ResetEditor();  // the view too
    ResetPicker();  // the current colour too
    ui.stroke_colour = current_colour;
    ResetStageScreen();
    ResetFiles();
    ReadSettings();
    RescanDirectory();
    ui.canvas_mode = kCanvasPolyline;
}

void StopProgram() {
    FreeProgramObjects();
    SetShutdownHook(nullptr);
}

// ---------------------------------------------------------------------------
// The mode loop
// ---------------------------------------------------------------------------
void RunMainLoop() {
    StartProgram();
    if (hooks != nullptr) CallHook(hooks->started);
    const ModeEntry* screen = ModeEntryOf(controls.mode);
    if (screen == nullptr) screen = ModeEntryOf(kModeDrawing);
    bool quit = false;
    while (!quit) {
        const uint16_t id = RunUiLoop(ui, main_table, screen->redraw);
        if (id == kHostCommand) {
            if (hooks != nullptr) CallHook(hooks->host_command);
            continue;
        }
        if (id != kModeSelector) {
            RunCommand(screen->commands, id);
            if (hooks != nullptr) CallHook(hooks->command_done);
            continue;
        }
        // The UI loop has stored the chosen value in the mode already.
        if (const ModeEntry* chosen = ModeEntryOf(controls.mode)) {
            screen = chosen;
            screen->enter();
        } else if (controls.mode == kModeQuit) {
            quit = true;
        }
        // Every use of the selector, quitting included, keeps the drawing, in
        // the slot it came from (the animation screen may have changed the
        // current slot meanwhile).
        StoreEditedDrawing();
        if (!quit && hooks != nullptr) CallHook(hooks->mode_chosen);
    }
    StopProgram();
}
