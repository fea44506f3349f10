// The workspace image: everything a person made and where they were, as one
// versioned little-endian byte string (docs/workspace-format.md). The file
// that keeps the work between runs holds it; undo keeps earlier images.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint16_t kWorkspaceVersion = 1;

// Room for the largest image: a full arena, 64 actors, 1,000 keys, a full
// edited drawing and the small sections, with their headers.
constexpr size_t kWorkspaceCapacity = 131072;

// The image of the program's state now. The edited drawing goes in as it is
// (the caller stores it into its slot first where the program would). A
// mode of 4 (quit) is kept as last_screen, the screen the person was on.
// Returns the size, or 0 when out is too small.
size_t WriteWorkspace(uint8_t* out, size_t capacity, int32_t last_screen);

// Checks a whole image; only when every check passes is the state put in
// place (and what derives from it rebuilt: transforms stay as stored, the
// pick list and canvas mode follow the screen). Otherwise nothing changes
// and *why names the first check that failed.
bool ReadWorkspace(const uint8_t* data, size_t size, const char** why);

// Where an image's model begins: the edited drawing, the library and the
// stage follow the screen, editor and colour sections, whose sizes are fixed.
constexpr size_t kWorkspaceModelOffset = 8 + (12 + 28) + (12 + 24) + (12 + 30);

// The canvas mode and pick list of the current screen, from the state as it
// is (ReadWorkspace calls it too).
void RestoreScreenDerivedState();
