// Checks made before any timing: the scenes are what they claim to be, the
// recording holds exactly the renderer's geometry, and cairo and AGG (both
// ways of drawing outlines) draw the same picture from it. A benchmark of a
// wrong scene is worse than none.
#pragma once
#include <string>

#include "agg_peer.h"
#include "cairo_peer.h"
#include "edge_recorder.h"

// Empty when every check passes, otherwise the first failure. Leaves the
// editor scene of 512 shapes loaded and its recording in *recording. With a
// folder, writes the program's and each peer's pictures of it there as PNG
// files, with a map of the pixels where each peer differs clearly from ours.
std::string RunSelfCheck(CairoPeer& cairo, AggPeer& agg, Recording* recording,
                         const char* png_folder);
