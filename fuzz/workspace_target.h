// The workspace reader fed from fuzzer input: whatever the bytes, the reader
// refuses them or accepts a state the program can hold. An accepted image is
// a fixed point (written again, it reads back to the same bytes), keeps the
// model's invariants, and draws. Shared by the libFuzzer binary and the
// corpus replay of the test suite.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "drawing/drawing.h"
#include "drawing/library.h"
#include "host/workspace.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "shell/main_loop.h"
#include "surface/surface.h"
#include "ui/ui_loop.h"

namespace fuzz {

inline void RequireWorkspace(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "workspace fuzz target: %s\n", what);
        std::abort();
    }
}

inline int WorkspaceInput(const uint8_t* data, size_t size) {
    // The libFuzzer binary starts the program once; the test suite's replay
    // runs inside a test that has started it already.
    if (drawing.vertices == nullptr) {
        if (platform == nullptr) platform = HeadlessBackend();
        if (surface.pixel_base == nullptr) InitScreenSurfaceFrom(surface, kPortraitDisplay);
        StartProgram();
    }
    static uint8_t first[kWorkspaceCapacity], second[kWorkspaceCapacity];
    if (!ReadWorkspace(data, size, nullptr)) return 0;
    RequireWorkspace(CheckDrawing(drawing) && CheckLibrary(library), "an accepted state breaks the model");
    const size_t n = WriteWorkspace(first, sizeof first, 0);
    RequireWorkspace(n > 0 && ReadWorkspace(first, n, nullptr), "an accepted state does not read back");
    const size_t m = WriteWorkspace(second, sizeof second, 0);
    RequireWorkspace(m == n && std::memcmp(first, second, n) == 0, "the image is not a fixed point");
    RedrawUi(ui);  // the screen it opens on draws
    return 0;
}

}  // namespace fuzz
