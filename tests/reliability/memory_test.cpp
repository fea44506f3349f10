// Memory stays flat: once start-up is over, the program allocates nothing but
// the buffer of a shape swap, which it frees within the same operation.
//
// Every heap allocation of this test binary is counted while a window is
// open: through the sanitizer's allocation hooks in the sanitizer build, and
// through a malloc that forwards to the C library's own otherwise.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "screens/file_browser.h"
#include "shell/main_loop.h"
#include "reliability/session_driver.h"

#if defined(__SANITIZE_ADDRESS__)
#define KN_ALLOCATION_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KN_ALLOCATION_HOOKS 1
#endif
#endif

namespace {

constexpr int kSizeRecords = 4096;

constexpr int kLiveRecords = 1024;

struct AllocationCounter {
    std::atomic<bool> open{false};
    // Blocks allocated while the window was open and not freed yet; blocks
    // from before (the drawing, the skin) may be freed by a quit and are not
    // counted.
    const volatile void* live[kLiveRecords];
    int live_count = 0;
    std::atomic<int64_t> allocations{0};
    std::atomic<int64_t> frees{0};
    // Sizes of the first allocations, for the report.
    size_t sizes[kSizeRecords];
    std::atomic<int> size_count{0};
    // Live blocks at the last step boundary, and the most seen at one.
    int64_t most_live_between_steps = 0;
};

AllocationCounter counter;

void NoteAllocation(const volatile void* p, size_t size) {
    if (!counter.open.load(std::memory_order_relaxed) || p == nullptr) return;
    counter.allocations.fetch_add(1, std::memory_order_relaxed);
    if (counter.live_count < kLiveRecords) counter.live[counter.live_count++] = p;
    const int at = counter.size_count.fetch_add(1, std::memory_order_relaxed);
    if (at < kSizeRecords) counter.sizes[at] = size;
}

void NoteFree(const volatile void* p) {
    if (p == nullptr || !counter.open.load(std::memory_order_relaxed)) return;
    for (int i = 0; i < counter.live_count; ++i) {
        if (counter.live[i] == p) {
            counter.live[i] = counter.live[--counter.live_count];
            counter.frees.fetch_add(1, std::memory_order_relaxed);
            return;
        }
    }
}

}  // namespace

#ifdef KN_ALLOCATION_HOOKS
// The sanitizer runtime's hook interface (its header does not come with every compiler).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
static void MallocHook(const volatile void* p, size_t size) { NoteAllocation(p, size); }
static void FreeHook(const volatile void* p) { NoteFree(p); }
// Each call adds a hook pair, so only the first installs.
static void InstallHooks() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(MallocHook, FreeHook) != 0;
    (void)installed;
}
#else
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) noexcept {
    void* p = __libc_malloc(size);
    NoteAllocation(p, size);
    return p;
}
void* calloc(size_t count, size_t size) noexcept {
    void* p = __libc_calloc(count, size);
    NoteAllocation(p, count * size);
    return p;
}
void* realloc(void* p, size_t size) noexcept {
    NoteFree(p);
    void* moved = __libc_realloc(p, size);
    NoteAllocation(moved, size);
    return moved;
}
void free(void* p) noexcept {
    NoteFree(p);
    __libc_free(p);
}
}
static void InstallHooks() {}
#endif

static void ResetCounter() {
    counter.allocations = 0;
    counter.frees = 0;
    counter.size_count = 0;
    counter.live_count = 0;
    counter.most_live_between_steps = 0;
}

// Opens at the first input of each run of the program, after its start-up.
static void OpenWindow(int64_t index) {
    if (index == 0) {
        counter.open = true;
        return;
    }
    const int64_t live = counter.allocations.load() - counter.frees.load();
    if (live > counter.most_live_between_steps) counter.most_live_between_steps = live;
}

static void CloseWindow() { counter.open = false; }

// A rectangle and an ellipse, then the select tool moves the ellipse back and
// forward again: each move swaps shapes of different lengths.
static const char kSwapSession[] =
    "tap 210 10\ntap 210 50\ndrag 40 100 80 140 2\n"    // rectangle tool, a rectangle
    "tap 210 10\ntap 210 70\ndrag 150 200 200 260 2\n"  // ellipse tool, an ellipse
    "tap 210 10\ntap 210 90\n"                           // select tool
    "tap 175 230\n"                                       // the ellipse
    "tap 120 10\ntap 110 10\ntap 120 10\n";             // back, forward, back

static std::vector<SessionStep> ScriptSteps(const char* name) {
    std::stringstream text;
    if (std::string(name) == "swaps") {
        text << kSwapSession;
    } else {
        std::ifstream in(std::string(KN_TEST_DIR) + "/scripts/" + name);
        text << in.rdbuf();
    }
    std::vector<SessionStep> steps;
    std::string error;
    EXPECT_TRUE(ParseSessionScript(text.str(), &steps, &error)) << name << ": " << error;
    return steps;
}

static std::string SizesSeen() {
    std::string list;
    const int n = std::min(counter.size_count.load(), 20);
    for (int i = 0; i < n; ++i) list += std::to_string(counter.sizes[i]) + " ";
    return list;
}

// The editor (every tool, strokes, shape order changes that swap shapes of
// different lengths), the colour picker, the library chooser, the stage, the
// pose screen and playback: only swap buffers, each freed before the next input.
TEST(FlatMemory, SessionsAfterStartUpAllocateOnlySwapBuffers) {
    InstallHooks();
    // The counter sees a block of its own.
    ResetCounter();
    counter.open = true;
    // The block escapes through a volatile so that the optimiser cannot elide the pair.
    void* volatile block = std::malloc(40);
    std::free(block);
    counter.open = false;
    ASSERT_EQ(counter.allocations.load(), 1);
    ASSERT_EQ(counter.frees.load(), 1);
    int64_t swap_buffers = 0;
    for (const char* name : {"swaps", "editor_every_tool.script", "animation_session.script",
                             "ui_mode_tour.script", "ui_stroke_preview.script"}) {
        const std::vector<SessionStep> steps = ScriptSteps(name);
        ASSERT_FALSE(steps.empty());
        ResetCounter();
        RunStepsInProcess(steps.data(), static_cast<int64_t>(steps.size()), OpenWindow, CloseWindow);
        CloseWindow();
        const int n = std::min(counter.size_count.load(), kSizeRecords);
        for (int i = 0; i < n; ++i) {
            const size_t size = counter.sizes[i];
            EXPECT_TRUE(size % sizeof(Vertex) == 0 && size <= kVertexCapacity * sizeof(Vertex))
                << name << ": an allocation of " << size << " bytes is no swap buffer";
        }
        EXPECT_EQ(counter.allocations.load(), counter.frees.load()) << name << ": sizes " << SizesSeen();
        EXPECT_EQ(counter.most_live_between_steps, 0) << name << ": a block outlived its operation";
        swap_buffers += counter.allocations.load();
    }
    EXPECT_GT(swap_buffers, 0) << "no session swapped shapes of different lengths";
}

// A long random session over every screen, the file browser included: every
// block is freed before the next input arrives, so the heap cannot grow.
TEST(FlatMemory, RandomSessionKeepsTheHeapFlat) {
    InstallHooks();
    for (uint64_t seed : {11u, 12u, 13u}) {
        const SessionOutcome recorded = RunRandomSession(seed, 8000);
        ASSERT_FALSE(recorded.failed) << recorded.fault;
        ResetCounter();
        RunStepsInProcess(recorded.steps.data(), static_cast<int64_t>(recorded.steps.size()), OpenWindow,
                          CloseWindow);
        CloseWindow();
        EXPECT_EQ(counter.allocations.load(), counter.frees.load()) << "seed " << seed;
        std::printf("seed %llu: %zu steps, %lld blocks allocated and freed within their operation\n",
                    static_cast<unsigned long long>(seed), recorded.steps.size(),
                    static_cast<long long>(counter.allocations.load()));
        EXPECT_EQ(counter.most_live_between_steps, 0) << "seed " << seed << ": sizes " << SizesSeen();
    }
}

// Entering and leaving directories lists them through the host's find
// functions, whose handle lives from FindFirstFile to FindClose: the blocks
// are freed before the screen is drawn again.
TEST(FlatMemory, DirectoryListingFreesWhatItTakes) {
    InstallHooks();
    const std::string script =
        "tap 230 10\ntap 230 50\n"   // the files screen
        "tap 50 236\n"               // the first sub-directory
        "tap 100 28\n"               // the path bar: back up
        "tap 50 236\ntap 100 28\n";
    std::vector<SessionStep> steps;
    std::string error;
    ASSERT_TRUE(ParseSessionScript(script, &steps, &error)) << error;
    ResetCounter();
    RunStepsInProcess(steps.data(), static_cast<int64_t>(steps.size()), OpenWindow, CloseWindow);
    CloseWindow();
    EXPECT_GT(counter.allocations.load(), 0) << "no directory was listed " << files.directory << " " << files.directory_list;
    EXPECT_EQ(counter.allocations.load(), counter.frees.load()) << SizesSeen();
    EXPECT_EQ(counter.most_live_between_steps, 0);
    std::printf("listing twice: %lld blocks (%s)\n", static_cast<long long>(counter.allocations.load()),
                SizesSeen().c_str());
}
