// Keeping the work: a full save (the image of a full arena, 64 actors and
// 1,000 keys, written to a temporary file, synced and renamed) and a load of
// the same image. Wall time: the save waits for the disk.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "animation/stage.h"
#include "drawing/library.h"
#include "host/keep.h"
#include "host/workspace.h"
#include "scenes.h"
#include "screens/drawing_editor.h"

// Stores copies of the playback scene's drawings until the arena refuses
// one, then fills the stage's keys.
static bool LoadFullWorkspace() {
    if (!LoadPlaybackScene()) return false;
    for (int16_t slot = 8; slot < kSlotCount; ++slot) {
        FetchDrawing(library, static_cast<int16_t>(slot % 8), drawing);
        if (!StoreDrawing(library, slot, drawing)) break;
    }
    for (int k = stage.key_count; k < kKeyCapacity; ++k)
        SetKey(stage, static_cast<int16_t>(k % kActorCapacity), static_cast<uint16_t>(k / kActorCapacity + 1),
               stage.actors[k % kActorCapacity].pose);
    return stage.key_count == kKeyCapacity;
}

static void WorkspaceSave(benchmark::State& state) {
    if (!LoadFullWorkspace()) {
        state.SkipWithError("cannot fill the workspace");
        return;
    }
    char path[64];
    std::snprintf(path, sizeof path, "/tmp/kn-bench-workspace-%ld.knw", static_cast<long>(getpid()));
    KeepWorkIn(path);
    for (auto _ : state) {
        if (!SaveWorkspaceNow()) state.SkipWithError("the save failed");
    }
    KeepWorkIn(nullptr);
    std::remove(path);
    std::vector<uint8_t> image(kWorkspaceCapacity);
    state.counters["image bytes"] = static_cast<double>(WriteWorkspace(image.data(), image.size(), 0));
    state.counters["arena bytes"] = library.used;
}
BENCHMARK(WorkspaceSave)->UseRealTime()->Unit(benchmark::kMillisecond);

static void WorkspaceLoad(benchmark::State& state) {
    if (!LoadFullWorkspace()) {
        state.SkipWithError("cannot fill the workspace");
        return;
    }
    std::vector<uint8_t> image(kWorkspaceCapacity);
    image.resize(WriteWorkspace(image.data(), image.size(), 0));
    for (auto _ : state) {
        if (!ReadWorkspace(image.data(), image.size(), nullptr)) state.SkipWithError("refused");
    }
}
BENCHMARK(WorkspaceLoad)->Unit(benchmark::kMicrosecond);
