#include "scenes.h"

#include <cstdio>

#include "animation/stage.h"
#include "geometry/transform.h"
#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "raster/shape_renderer.h"
#include "scene_generator.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/layout_tables.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "surface/pen.h"
#include "surface/surface.h"
#include "ui/ui_loop.h"

bool SetUpProgram() {
    if (drawing.vertices != nullptr) return true;
    platform = HeadlessBackend();
    ResetHeadless();
    InitScreenSurface(surface);
    SetDeviceRoot(KN_SOURCE_DIR "/assets/device");
    ui.skin = LoadSkinPicture(surface, "\\tovu\\skin1.png");
    if (ui.skin == nullptr)
        std::fprintf(stderr, "warning: no skin picture under %s: widgets draw no images\n",
                     DeviceRoot());
    BuildHueRamp(surface);
    if (!AllocateDrawing(drawing)) return false;
    LibraryInit(library);
    InitStage(stage, library);
    ClearStage(stage);

    ResetEditor();
    controls.mode = kModeDrawing;
    current_colour = MakeColour(0, 0, 0, 255);
    SyncPickerFromColour(current_colour);
    picker.alpha_value = 255;
    ui.stroke_colour = current_colour;
    ui.stroke_active = 0;
    editor.view_pose = Pose{0, 0, 0, 1638};
    editor.view = BuildTransform(editor.view_pose);
    InvertTransform(editor.view, &editor.inverse_view);
    SetPenColour(surface, MakeColour(0, 0, 0, 255));
    return true;
}

bool LoadEditorScene(uint16_t shape_count) {
    drawing.vertex_count = 0;
    drawing.shape_count = 0;
    if (shape_count > 0 && !GenerateScene(drawing, EditorScene(shape_count))) return false;
    controls.mode = kModeDrawing;
    editor.tool = kToolOutline;
    return true;
}

bool LoadPlaybackScene() {
    Drawing scratch;
    if (!AllocateDrawing(scratch)) return false;
    LibraryInit(library);
    bool ok = true;
    constexpr int kDrawings = 8;
    for (int k = 0; k < kDrawings && ok; ++k)
        ok = GenerateScene(scratch, ActorDrawingScene(k)) &&
             StoreDrawing(library, static_cast<int16_t>(k), scratch);
    FreeDrawing(scratch);
    if (!ok) return false;

    // Actors on an 8 x 8 grid over the screen, 30 by 40 pixels apart. Between
    // the keys each drifts by half a cell, turns by up to 30 degrees and grows
    // or shrinks a little; a pose's offset turns with its angle, so the grid
    // bends as the frames go on.
    ClearStage(stage);
    for (int16_t i = 0; i < kActorCapacity; ++i) {
        if (!AddActor(stage, static_cast<int16_t>(i % kDrawings))) return false;
        const int16_t column = i % 8, row = i / 8;
        const int16_t x = static_cast<int16_t>(-1050 + 300 * column);
        const int16_t y = static_cast<int16_t>(-1400 + 400 * row);
        const Pose first{0, x, y, 1638};
        const Pose last{static_cast<int16_t>(100 + 25 * (i % 9)), static_cast<int16_t>(x + 150),
                        static_cast<int16_t>(y - 200), static_cast<int16_t>(1400 + 10 * i)};
        if (!SetKey(stage, i, 0, first) || !SetKey(stage, i, 200, last)) return false;
    }
    return true;
}

void LoadPickerScene() {
    picker.hue_value = 100;
    picker.square_value = 60 * 120 + 70;
    picker.alpha_value = 200;
}

void EditorFrame() {
    ui.redraw = DrawingEditorRedraw;
    ui.current_table = main_table;
    RedrawUi(ui);
}

void EditorShapesOnly() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    RenderDrawing(surface, ViewOf(drawing), editor.view);
}

// The body of the playback loop's frame step.
void PlaybackFrame(int32_t frame) {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    InterpolateFrame(stage, frame);
    RenderActors(stage, surface);
    PresentSurface(surface);
}

void PickerFrame() {
    ui.redraw = ColourPickerRedraw;
    ui.current_table = colour_picker_table;
    RedrawUi(ui);
}

void ClearAndPresent() {
    surface.pen_colour.word = 0xFFFF;
    ClearSurface(surface);
    PresentSurface(surface);
}
