// The benchmark scenes over the program-wide objects, set up the way
// start-up and the screens leave them, and one frame of each on the real
// code paths.
#pragma once
#include <cstdint>

// Headless backend, surface, skin picture, hue ramp, edited drawing,
// library, stage and the editor's state. False when the drawing cannot be
// allocated. Safe to call more than once.
bool SetUpProgram();

// The edited drawing becomes the editor scene of the given shape count
// (0 leaves it empty); the editor shows tool 0 in mode 0.
bool LoadEditorScene(uint16_t shape_count);

// Eight drawings of 64 shapes stored in library slots 0..7, 64 actors over
// them, each with a key at frame 0 and one at frame 200.
bool LoadPlaybackScene();

// The colour picker's controls at a mid-range hue, saturation and lightness.
void LoadPickerScene();

// One full redraw of the drawing editor's screen, as the UI loop does it:
// the redraw callback (white, the drawing), the main table's widgets for
// mode 0, and the presentation of the back buffer.
void EditorFrame();

// Clear and shapes only, without widgets and presentation.
void EditorShapesOnly();

// One frame of playback: white, the interpolated poses, the actors, the
// presentation.
void PlaybackFrame(int32_t frame);

// One full redraw of the colour picker: its redraw callback, its table's
// faces, the presentation.
void PickerFrame();

// The clear and the presentation of a frame.
void ClearAndPresent();
