// Export: the 64-actor playback stage's 201 frames at scale 1 as lossless
// WebP and as GIF, each rendered, encoded and written whole to a temporary
// file; and the 512-shape editor drawing as SVG text. Wall time: the writes
// wait for the disk.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "drawing/drawing.h"
#include "host/export.h"
#include "host/svg_writer.h"
#include "scenes.h"
#include "screens/drawing_editor.h"

static void ExportStage(benchmark::State& state, AnimationFormat format, const char* extension) {
    if (!LoadPlaybackScene()) {
        state.SkipWithError("cannot load the scene");
        return;
    }
    export_options = {0, 200, 1, true};
    char path[64];
    std::snprintf(path, sizeof path, "/tmp/kn-bench-export-%ld.%s", static_cast<long>(getpid()), extension);
    for (auto _ : state) {
        ExportTarget target = {path, false, {}, {}};
        if (!ExportAnimation(format, &target)) state.SkipWithError(target.message);
    }
    if (FILE* file = std::fopen(path, "rb")) {
        std::fseek(file, 0, SEEK_END);
        state.counters["file bytes"] = static_cast<double>(std::ftell(file));
        std::fclose(file);
    }
    std::remove(path);
}

static void ExportWebp(benchmark::State& state) { ExportStage(state, AnimationFormat::kWebp, "webp"); }
BENCHMARK(ExportWebp)->UseRealTime()->Unit(benchmark::kMillisecond);

static void ExportGif(benchmark::State& state) { ExportStage(state, AnimationFormat::kGif, "gif"); }
BENCHMARK(ExportGif)->UseRealTime()->Unit(benchmark::kMillisecond);

static void ExportSvg(benchmark::State& state) {
    if (!LoadEditorScene(512)) {
        state.SkipWithError("cannot load the scene");
        return;
    }
    std::string svg;
    for (auto _ : state) {
        WriteDrawingSvg(ViewOf(drawing), editor.view, true, &svg);
        benchmark::DoNotOptimize(svg.data());
    }
    state.counters["svg bytes"] = static_cast<double>(svg.size());
}
BENCHMARK(ExportSvg)->Unit(benchmark::kMicrosecond);
