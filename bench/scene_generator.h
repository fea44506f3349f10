// Seeded drawings for the benchmarks. A scene is a run of shapes taken in
// turn from eight recipes, four vertices per shape on average:
//
//   recipe  shape                                   vertices
//   0       filled rectangle                        4 corners
//   1       filled triangle with a triangular hole  3 corners, contour start, 2 corners
//   2       filled ellipse                          8 (corner, then control/curve end pairs)
//   3       filled curved blob                      corner, control, curve end, control
//   4       outline curve                           corner, control, curve end
//   5       outline line                            2 corners
//   6       filled triangle                         3 corners
//   7       outline line                            2 corners
//
// so 512 shapes use exactly 2,048 vertices. About a third of the shapes are
// translucent. The same seed gives the same drawing on every machine (the
// generator has its own integer random source), and a scene of n shapes is
// the first n shapes of a longer one with the same seed and extent.
#pragma once
#include <cstdint>

#include "drawing/drawing.h"

struct SceneParams {
    uint32_t seed;
    uint16_t shape_count;  // a multiple of 8
    int16_t half_width;    // shape centres lie within +-half_width, +-half_height
    int16_t half_height;   // (drawing units, around the drawing's origin)
    int16_t min_radius;    // shape sizes, drawing units
    int16_t max_radius;
};

// The vertices that shape_count shapes take.
uint32_t SceneVertexCount(uint16_t shape_count);

// Replaces the drawing's contents with the scene. The drawing must have been
// allocated at the full capacities; false when the scene does not fit.
bool GenerateScene(Drawing& d, const SceneParams& p);

// The drawing editor's scene: shapes spread over the whole screen under the
// editor's view (one pixel is ten drawing units), 4 to 32 pixels in radius;
// at 512 shapes they cover the screen about five times over.
SceneParams EditorScene(uint16_t shape_count);

// Drawing k of the library used by the playback scene: 64 shapes within
// about 40 pixels at the default actor scale.
SceneParams ActorDrawingScene(int k);
