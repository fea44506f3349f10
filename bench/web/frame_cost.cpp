// The benchmark's editor scene (512 shapes) and playback scene (64 actors)
// timed in the browser: each scene runs for a warm-up, then for at least a
// second, and the mean time per frame goes to the page as
// knFrameCost = {editor_us, playback_us, present_us} and to the console.
#include <emscripten.h>

#include <cstdio>

#include "scenes.h"

constexpr double kWarmUpMs = 200;
constexpr double kRunMs = 1000;

// Mean milliseconds per call of frame(k), k counting from 0.
static double TimeFrames(void (*frame)(int32_t)) {
    int32_t k = 0;
    for (double start = emscripten_get_now(); emscripten_get_now() - start < kWarmUpMs;) frame(k++);
    int32_t count = 0;
    const double start = emscripten_get_now();
    double elapsed = 0;
    while (elapsed < kRunMs) {
        frame(count++);
        elapsed = emscripten_get_now() - start;
    }
    return elapsed / count;
}

EM_JS(void, Report, (double editor_us, double playback_us, double present_us), {
    window.knFrameCost = {editor_us : editor_us, playback_us : playback_us, present_us : present_us};
});

static void Editor(int32_t) { EditorFrame(); }
static void Playback(int32_t k) { PlaybackFrame(k % 201); }
static void Present(int32_t) { ClearAndPresent(); }

int main() {
    if (!SetUpProgram() || !LoadEditorScene(512)) {
        std::puts("frame cost: cannot set up the scenes");
        return 1;
    }
    const double editor_ms = TimeFrames(Editor);
    if (!LoadPlaybackScene()) {
        std::puts("frame cost: cannot set up the playback scene");
        return 1;
    }
    const double playback_ms = TimeFrames(Playback);
    const double present_ms = TimeFrames(Present);
    std::printf("frame cost: editor %.1f us, playback %.1f us, clear and present %.1f us\n",
                editor_ms * 1000, playback_ms * 1000, present_ms * 1000);
    Report(editor_ms * 1000, playback_ms * 1000, present_ms * 1000);
    return 0;
}
