// The program's speed figures: the editor's and the colour picker's full
// redraws, a playback frame, the clear and presentation against the
// memory-copy limit, the growth of the editor redraw with the shape count,
// and cairo and AGG drawing the editor scene's exact geometry. The end of a
// run prints each scene's time per frame and the ratios that matter.
//
//   kalvenorix_bench [benchmark flags] [--short] [--png=DIR]
//   kalvenorix_bench --frame=editor|playback|picker
//
// --short runs every benchmark for a moment only (for CI, which does not
// judge timings); --png writes the editor scene as drawn by the program, by
// cairo and by AGG; --frame sets up one scene and draws a single frame inside
// CountedFrame, for an instruction count (bench/callgrind.sh).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "agg_peer.h"
#include "cairo_peer.h"
#include "edge_recorder.h"
#include "platform/platform.h"
#include "scenes.h"
#include "self_check.h"
#include "surface/surface.h"

static CairoPeer peer;
static AggPeer agg_peer;
static Recording editor_recording;

// ---------------------------------------------------------------------------
// Scenes
// ---------------------------------------------------------------------------
static void EditorRedraw(benchmark::State& state) {
    if (!LoadEditorScene(static_cast<uint16_t>(state.range(0)))) {
        state.SkipWithError("cannot load the scene");
        return;
    }
    for (auto _ : state) {
        EditorFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(EditorRedraw)->Arg(0)->Arg(64)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMicrosecond);

static void EditorShapes(benchmark::State& state) {
    if (!LoadEditorScene(512)) {
        state.SkipWithError("cannot load the scene");
        return;
    }
    for (auto _ : state) {
        EditorShapesOnly();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(EditorShapes)->Unit(benchmark::kMicrosecond);

static void CairoPeerShapes(benchmark::State& state) {
    for (auto _ : state) {
        DrawWithCairo(peer, editor_recording);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CairoPeerShapes)->Unit(benchmark::kMicrosecond);

// AGG on the same recording, once per way of drawing its outlines; the
// summary takes the faster as AGG's figure.
static void AggPeerShapes(benchmark::State& state) {
    const AggOutlines outlines = static_cast<AggOutlines>(state.range(0));
    for (auto _ : state) {
        DrawWithAgg(agg_peer, editor_recording, outlines);
        benchmark::ClobberMemory();
    }
    state.SetLabel(outlines == AggOutlines::kLineRenderer ? "line renderer" : "conv_stroke");
}
BENCHMARK(AggPeerShapes)
    ->Arg(static_cast<int>(AggOutlines::kLineRenderer))
    ->Arg(static_cast<int>(AggOutlines::kStroke))
    ->Unit(benchmark::kMicrosecond);

static void PlaybackFrames(benchmark::State& state) {
    if (!LoadPlaybackScene()) {
        state.SkipWithError("cannot load the scene");
        return;
    }
    int32_t frame = 0;
    for (auto _ : state) {
        PlaybackFrame(frame);
        benchmark::ClobberMemory();
        frame = frame == 200 ? 0 : frame + 1;
    }
}
BENCHMARK(PlaybackFrames)->Unit(benchmark::kMicrosecond);

static void PickerRedraw(benchmark::State& state) {
    LoadPickerScene();
    for (auto _ : state) {
        PickerFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PickerRedraw)->Unit(benchmark::kMicrosecond);

static void ClearPresent(benchmark::State& state) {
    for (auto _ : state) {
        ClearAndPresent();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ClearPresent)->Unit(benchmark::kMicrosecond);

// The same bytes between the same two buffers with the C library's block
// functions: the fastest a clear and a presentation can be.
static void MemsetMemcpy(benchmark::State& state) {
    uint16_t* frame = GXBeginDraw();
    GXEndDraw();
    for (auto _ : state) {
        std::memset(surface.pixel_base, 0xFF, kScreenBytes);
        benchmark::ClobberMemory();
        std::memcpy(frame, surface.pixel_base, kScreenBytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemsetMemcpy)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// Summary
// ---------------------------------------------------------------------------
// Keeps each benchmark's mean processor time per iteration, in seconds,
// while the console shows the usual table. Processor time, not wall time:
// the machines this runs on are shared, and a benchmark that waits for a
// core it lost would otherwise be charged for the wait.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                seconds[run.benchmark_name()] =
                    run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
    double Micro(const std::string& name) const {
        auto it = seconds.find(name);
        return it == seconds.end() ? -1.0 : it->second * 1e6;
    }
};

static const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

static void PrintSummary(const SummaryReporter& r) {
    const double editor = r.Micro("EditorRedraw/512"), shapes = r.Micro("EditorShapes");
    const double cairo = r.Micro("CairoPeerShapes"), playback = r.Micro("PlaybackFrames");
    const double picker = r.Micro("PickerRedraw"), clear = r.Micro("ClearPresent");
    const double limit = r.Micro("MemsetMemcpy"), empty = r.Micro("EditorRedraw/0");
    const double agg_lines = r.Micro("AggPeerShapes/0"), agg_stroke = r.Micro("AggPeerShapes/1");
    if (editor < 0 || shapes < 0 || cairo < 0 || playback < 0 || picker < 0 || clear < 0 ||
        limit < 0 || empty < 0 || agg_lines < 0 || agg_stroke < 0) {
        std::printf("\nSummary skipped: not every scene ran (a filter, or an error above).\n");
        return;
    }
    std::printf("\nScene                                   processor time per frame\n");
    std::printf("1 editor redraw, 512 shapes, widgets, present    %9.1f us\n", editor);
    std::printf("  the same, clear and shapes only                %9.1f us\n", shapes);
    std::printf("6 cairo, the same edges and lines                %9.1f us\n", cairo);
    std::printf("  AGG, the same, outlines by its line renderer   %9.1f us\n", agg_lines);
    std::printf("  AGG, the same, outlines by conv_stroke         %9.1f us\n", agg_stroke);
    std::printf("2 playback frame, 64 actors x 64 shapes          %9.1f us\n", playback);
    std::printf("3 colour picker redraw                           %9.1f us\n", picker);
    std::printf("4 clear + present                                %9.1f us\n", clear);
    std::printf("  memset + memcpy, 153,600 bytes each            %9.1f us\n", limit);
    std::printf("5 editor redraw by shape count (marginal = above the empty drawing's %.1f us)\n",
                empty);
    double marginal64 = 0, marginal512 = 0;
    for (int n : {64, 128, 256, 512}) {
        const double t = r.Micro("EditorRedraw/" + std::to_string(n));
        const double marginal = (t - empty) / n;
        if (n == 64) marginal64 = marginal;
        if (n == 512) marginal512 = marginal;
        std::printf("  %3d shapes %9.1f us   %6.3f us per shape   %6.3f us per shape marginal\n", n,
                    t, t / n, marginal);
    }
    std::printf("\nTarget                                                   ratio   verdict\n");
    std::printf("cairo / editor redraw (scene 6 / scene 1), at least 5    %6.2f   %s\n",
                cairo / editor, Verdict(cairo >= 5 * editor));
    const double agg = agg_lines < agg_stroke ? agg_lines : agg_stroke;
    std::printf("agg / editor redraw (the faster outlines), at least 2.5  %6.2f   %s\n",
                agg / editor, Verdict(agg >= 2.5 * editor));
    std::printf("cairo / clear and shapes only (for reference)            %6.2f\n", cairo / shapes);
    std::printf("clear + present / memset + memcpy, at most 1.25          %6.2f   %s\n",
                clear / limit, Verdict(clear <= 1.25 * limit));
    std::printf("marginal per shape 512 / 64, at most 1.5                 %6.2f   %s\n",
                marginal512 / marginal64, Verdict(marginal512 <= 1.5 * marginal64));
    std::printf("Instruction counts per frame: bench/callgrind.sh\n");
}

// ---------------------------------------------------------------------------
// One counted frame
// ---------------------------------------------------------------------------
enum class Scene { kEditor, kPlayback, kPicker };

static void DrawScene(Scene scene) {
    switch (scene) {
        case Scene::kEditor: EditorFrame(); break;
        case Scene::kPlayback: PlaybackFrame(100); break;
        case Scene::kPicker: PickerFrame(); break;
    }
}

// The instruction counter collects inside this function only.
__attribute__((noinline)) void CountedFrame(Scene scene) { DrawScene(scene); }

static int RunCountedFrame(const char* name) {
    Scene scene;
    bool loaded = true;
    if (std::strcmp(name, "editor") == 0) {
        scene = Scene::kEditor;
        loaded = LoadEditorScene(512);
    } else if (std::strcmp(name, "playback") == 0) {
        scene = Scene::kPlayback;
        loaded = LoadPlaybackScene();
    } else if (std::strcmp(name, "picker") == 0) {
        scene = Scene::kPicker;
        LoadPickerScene();
    } else {
        std::fprintf(stderr, "--frame takes editor, playback or picker\n");
        return 2;
    }
    if (!loaded) {
        std::fprintf(stderr, "cannot load the %s scene\n", name);
        return 1;
    }
    DrawScene(scene);  // first calls into the C library resolve outside the count
    CountedFrame(scene);
    return 0;
}

// ---------------------------------------------------------------------------
// Entry
// ---------------------------------------------------------------------------
int main(int argc, char** argv) {
    const char* frame = nullptr;
    const char* png_folder = nullptr;
    bool quick = false;
    std::vector<char*> args;
    static char min_time[] = "--benchmark_min_time=0.001";
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frame=", 8) == 0)
            frame = argv[i] + 8;
        else if (std::strncmp(argv[i], "--png=", 6) == 0)
            png_folder = argv[i] + 6;
        else if (std::strcmp(argv[i], "--short") == 0)
            quick = true;
        else
            args.push_back(argv[i]);
    }
    if (quick) args.push_back(min_time);

    if (!SetUpProgram()) {
        std::fprintf(stderr, "cannot allocate the edited drawing\n");
        return 1;
    }
    if (frame != nullptr) return RunCountedFrame(frame);

    if (!OpenCairoPeer(peer)) {
        std::fprintf(stderr, "cairo cannot make a 240 x 320 RGB565 image\n");
        return 1;
    }
    if (!OpenAggPeer(agg_peer)) {
        std::fprintf(stderr, "cannot allocate AGG's buffer and renderers\n");
        CloseCairoPeer(peer);
        return 1;
    }
    const std::string problem = RunSelfCheck(peer, agg_peer, &editor_recording, png_folder);
    if (!problem.empty()) {
        std::fprintf(stderr, "Self-check failed: %s\n", problem.c_str());
        CloseAggPeer(agg_peer);
        CloseCairoPeer(peer);
        return 1;
    }

    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    CloseAggPeer(agg_peer);
    CloseCairoPeer(peer);
    return 0;
}
