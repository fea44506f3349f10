// Randomized stylus sessions: no sequence of input may crash the program,
// break an invariant of its model, write outside a buffer or grow the heap.
// `make soak` sets the size: SOAK_STEPS (default 200000) in seeds of
// SOAK_SEED_STEPS (25000) from SOAK_SEED (1); a failure's script, shrunk for
// at most SOAK_SHRINK_SECONDS (120), goes to SOAK_OUT (the current folder).
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include "animation/stage.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "screens/animation_screen.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "surface/pick_list.h"
#include "ui/ui_loop.h"

struct SessionStep {
    enum Kind : uint8_t { kDown, kMove, kUp, kTap, kWait };
    Kind kind;
    int16_t x, y;     // kDown, kMove, kTap
    int32_t wait_ms;  // kWait
};

// `generate` steps from the seed, or the recorded steps, or the script; on
// the device folder `root`, or (null) on one of the driver's: the bundled
// skin and settings, 25 files and 15 folders with folders inside.
struct SessionSource {
    uint64_t seed = 0;
    int64_t generate = 0;
    std::vector<SessionStep> steps;
    std::string script;
    const char* root = nullptr;
};

struct SessionOutcome {
    bool failed = false;
    std::string fault;  // the broken check, the signal or the exit status
    int64_t steps_run = 0, restarts = 0;  // restarts: the program quit and was started again
    std::vector<SessionStep> steps;  // the steps fed, the faulty one included
};

// ---------------------------------------------------------------------------
// Invariants: the model's own checks, bounds on what they do not cover, guard
// zones around the back buffer (a stray write just outside the screen changes
// a guard word; one further away is the address sanitizer's to find), and a
// heap that holds what start-up left in it whenever the program waits.
// ---------------------------------------------------------------------------
// The heap: the sanitizer's count of live bytes, or the live blocks counted by
// a malloc of this binary that forwards to the C library's.
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // its header does not come with every compiler
static size_t HeapInUse() { return __sanitizer_get_current_allocated_bytes(); }
#else
static size_t live_blocks = 0;
static size_t HeapInUse() { return live_blocks; }
static void* Count(void* block, void* replaced) {
    live_blocks += (block != nullptr) - (replaced != nullptr);
    return block;
}
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);
void* malloc(size_t size) noexcept { return Count(__libc_malloc(size), nullptr); }
void* calloc(size_t count, size_t size) noexcept { return Count(__libc_calloc(count, size), nullptr); }
void* realloc(void* p, size_t size) noexcept { return Count(__libc_realloc(p, size), p); }
void free(void* p) noexcept {
    Count(nullptr, p);
    __libc_free(p);
}
}
#endif

constexpr int kGuardWords = 1024, kScreenWords = kScreenWidth * kScreenHeight;
constexpr uint16_t kGuard = 0xA55A;
static uint16_t guarded_block[kScreenWords + 2 * kGuardWords];
static uint16_t* const kGuardedScreen = guarded_block + kGuardWords;
static const char* (*extra_check)(int64_t) = nullptr;
static int64_t waits_since_start = 0;

static void SetExtraCheck(const char* (*check)(int64_t)) { extra_check = check; }

static bool Within(int64_t value, int64_t low, int64_t high) { return value >= low && value <= high; }

static const char* CheckProgramInvariants() {
    static size_t heap_after_start_up = 0;
    if (waits_since_start == 0) heap_after_start_up = HeapInUse();
    if (!CheckDrawing(drawing) || drawing.vertex_capacity != kVertexCapacity) return "CheckDrawing fails";
    if (!CheckLibrary(library)) return "CheckLibrary fails";
    if (!Within(pick_list.count, 0, kPickCapacity)) return "pick list count";
    if (pick_list.entries[pick_list.count].owner != -1) return "pick list end marker";
    if (!Within(stage.actor_count, 0, kActorCapacity) || !Within(stage.key_count, 0, kKeyCapacity)) return "actor or key count";
    for (int i = 0; i < stage.actor_count; ++i)
        if (!Within(stage.actors[i].slot, 0, kSlotCount - 1)) return "an actor names no slot";
    for (int i = 0; i < stage.key_count; ++i)
        if (!Within(stage.keys[i].actor, 0, kActorCapacity - 1)) return "a key names no actor";
    if (!Within(stage_screen.actor_tab_count, 0, kActorCapacity)) return "actor tab count";
    if (!Within(stage_screen.selected_actor, -1, kActorCapacity - 1)) return "selected actor";
    if (!Within(editor.selected_shape, -1, kShapeCapacity - 1)) return "selected shape";
    if (!Within(editor.selected_vertex, -1, kVertexCapacity - 1)) return "selected vertex";
    if (!Within(editor.current_slot, 0, kSlotCount - 1) || !Within(editor.drawing_slot, 0, kSlotCount - 1)) return "slot";
    if (!Within(editor.next_new_slot, 1, kLastNewSlot)) return "next new slot";
    if (!Within(editor.tool, kToolOutline, kToolEditVertices) || !Within(controls.mode, kModeDrawing, kModeQuit))
        return "tool or mode";
    if (ui.point_count > kStrokeMaxPoints) return "stroke points";
    if (!Within(files.file_count, 0, kListBytes / 2)) return "file count";
    if (std::memchr(files.directory, 0, kDirectoryBytes) == nullptr) return "the path lost its terminator";
    if (surface.pixel_base != kGuardedScreen) return "the back buffer moved";
    for (int i = 0; i < kGuardWords; ++i)
        if (guarded_block[i] != kGuard || kGuardedScreen[kScreenWords + i] != kGuard) return "a write outside the back buffer";
    if (HeapInUse() != heap_after_start_up) return "the heap changed after start-up";
    return extra_check != nullptr ? extra_check(waits_since_start) : nullptr;
}

// ---------------------------------------------------------------------------
// The driver. A child session shares a log with its parent: why it stopped,
// and the steps fed, generated or recorded, after the record.
// ---------------------------------------------------------------------------
struct SharedLog {
    int64_t steps_fed, restarts;
    char fault[256];
};
constexpr int64_t kGestureSlack = 1024;  // room for the last gesture's steps past the end

struct Rng {
    uint64_t state;
    uint64_t Next() {  // splitmix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
};

static struct Driver {
    uint64_t seed;
    Rng rng;
    SessionStep* steps;
    int64_t generated, fed, end;
    Message queue[2];
    int queue_head, queue_count;
    uint64_t clock, due;
    int idle_passes;  // empty pumps still owed before the next step
    int16_t last_x, last_y;
    SharedLog* log;
} driver;

static void Push(SessionStep::Kind kind, int x, int y, int32_t wait_ms = 0) {
    if (driver.generated < driver.end + kGestureSlack)
        driver.steps[driver.generated++] = SessionStep{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), wait_ms};
}

// ---------------------------------------------------------------------------
// Gestures, with the weights of the seed's profile: everything evenly, mostly
// drawing (deep drawings, a full library), mostly the stage (many actors and
// keys). The mode selector's popup picks the profile's screen 4 times in 5,
// and quit rarely, so that sessions grow deep.
// ---------------------------------------------------------------------------
enum Gesture { kWidgetTap, kWidgetPress, kStroke, kLongStroke, kRapidTaps, kLoneEvent, kOffScreen, kWaiting,
               kOnModeSelector, kAnywhere };
static const struct Profile {
    int weights[kAnywhere + 1];  // out of 100
    int32_t preferred_mode;
} kProfiles[3] = {{{30, 14, 16, 2, 8, 5, 4, 5, 10, 6}, -1},
                  {{24, 8, 44, 3, 4, 2, 2, 2, 3, 8}, kModeDrawing},
                  {{46, 14, 10, 1, 8, 2, 2, 6, 3, 8}, kModeAnimation}};
static WidgetRecord* const kAllTables[] = {main_table,      drawing_editor_table, shape_tool_table,    vertex_tool_table,
                                           animation_table, files_table,          colour_picker_table, library_browser_table,
                                           pose_table};
constexpr int kWidgetCapacity = 96;
static const WidgetRecord kScreen = {kHitArea, 0, 0, 0, kScreenWidth - 1, kScreenHeight - 1, 0, 0, 0, 0, nullptr, 0, 0};

static int CollectWidgets(const WidgetRecord* table, const WidgetRecord** out, int n, bool all_pages) {
    for (const WidgetRecord* w = table; w != nullptr && w->type != kEnd && n < kWidgetCapacity; ++w) {
        if (w->type != kPage) out[n++] = w;
        else if (all_pages || PageActive(*w)) n = CollectWidgets(PageTableOf(*w), out, n, all_pages);
    }
    return n;
}

// A widget of the current screen mostly; now and then one of any screen.
static WidgetRecord ChooseWidget() {
    Rng& r = driver.rng;
    const int32_t preferred = kProfiles[driver.seed % 3].preferred_mode;
    const WidgetRecord* widgets[kWidgetCapacity];
    const int n = r.Chance(preferred < 0 ? 10 : 3)
                      ? CollectWidgets(kAllTables[r.Below(static_cast<int>(std::size(kAllTables)))], widgets, 0, true)
                      : CollectWidgets(ui.current_table, widgets, 0, false);
    const WidgetRecord* chosen = n == 0 ? &kScreen : widgets[r.Below(n)];
    WidgetRecord w = *chosen;
    const int item = w.d > 0 ? static_cast<int>(w.d) : 20;
    if (chosen == &chooser_popup_table[0] && w.bound == &controls.mode && preferred >= 0 && r.Chance(80)) {
        w.y1 = static_cast<uint16_t>(w.y1 + preferred * item);
        w.y2 = static_cast<uint16_t>(w.y1 + item - 1);
    } else if (chosen == &chooser_popup_table[0] && w.bound == &controls.mode && r.Chance(85)) {
        w.y2 = static_cast<uint16_t>(w.y1 + kModeQuit * item - 1);
    }
    return w;
}

static void PointIn(const WidgetRecord& w, int* x, int* y) {
    *x = driver.rng.Between(w.x1, std::max(w.x1, w.x2));
    *y = driver.rng.Between(w.y1, std::max(w.y1, w.y2));
}

// Up to the ends of the 16-bit range, around the screen's edges and beyond.
static int WildCoordinate() {
    static const int kRanges[4][2] = {{-32768, 32767}, {-2000, 2000}, {-3, 3}, {236, 324}};
    const int* range = kRanges[driver.rng.Below(4)];
    return range[0] == -32768 ? range[driver.rng.Chance(50) ? 0 : 1] : driver.rng.Between(range[0], range[1]);
}

static void Tap(int x, int y) {
    if (driver.rng.Chance(30)) return Push(SessionStep::kTap, x, y);
    Push(SessionStep::kDown, x, y);
    Push(SessionStep::kUp, 0, 0);
}

static void GenerateGesture() {
    Rng& r = driver.rng;
    const int* weights = kProfiles[driver.seed % 3].weights;
    int roll = r.Below(100), gesture = 0, x = 0, y = 0;
    while (roll >= weights[gesture]) roll -= weights[gesture++];
    WidgetRecord w = kScreen;
    if (gesture == kWidgetTap || gesture == kWidgetPress || gesture == kRapidTaps) PointIn(w = ChooseWidget(), &x, &y);
    if (gesture == kStroke || gesture == kLongStroke || gesture == kLoneEvent || gesture == kAnywhere) PointIn(kScreen, &x, &y);
    switch (gesture) {
    case kWidgetTap:
    case kAnywhere: return Tap(x, y);
    case kWidgetPress:  // moves that may leave the widget and come back
        Push(SessionStep::kDown, x, y);
        for (int i = r.Between(1, 6); i > 0; --i) {
            PointIn(r.Chance(25) ? kScreen : w, &x, &y);
            Push(SessionStep::kMove, x, y);
        }
        return Push(SessionStep::kUp, 0, 0);
    case kStroke:
    case kLongStroke: {  // a walk that turns at every step, so that thinning keeps most points; a long
        Push(SessionStep::kDown, x, y);  // one has more corners than a stroke keeps
        const int reach = gesture == kLongStroke ? 25 : r.Chance(50) ? 6 : 30;
        for (int i = gesture == kLongStroke ? r.Between(500, 700) : r.Between(1, 40); i > 0; --i) {
            const int dx = r.Between(-reach, reach), dy = r.Between(-reach, reach);
            x = std::abs(x + dx) < kScreenWidth ? std::abs(x + dx) : 2 * (kScreenWidth - 1) - std::abs(x + dx);
            y = std::abs(y + dy) < kScreenHeight ? std::abs(y + dy) : 2 * (kScreenHeight - 1) - std::abs(y + dy);
            Push(SessionStep::kMove, x, y);
        }
        return Push(SessionStep::kUp, 0, 0);
    }
    case kRapidTaps:
        for (int i = r.Between(2, 10); i > 0; --i) Push(SessionStep::kTap, x + r.Between(-2, 2), y + r.Between(-2, 2));
        return;
    case kLoneEvent: return Push(static_cast<SessionStep::Kind>(r.Below(3)), x, y);  // the stylus need not be balanced
    case kOffScreen:
        x = WildCoordinate();
        y = WildCoordinate();
        if (r.Chance(50)) return Tap(x, y);
        Push(SessionStep::kDown, x, y);
        Push(SessionStep::kMove, WildCoordinate(), WildCoordinate());
        return Push(SessionStep::kUp, 0, 0);
    case kWaiting: return Push(SessionStep::kWait, 0, 0, r.Chance(70) ? r.Between(0, 120) : r.Between(120, 1500));
    default: return Tap(r.Between(221, 239), r.Between(1, 19));  // the mode selector: its popup comes next
    }
}

// ---------------------------------------------------------------------------
// The backend: the headless runner's, with input and time from the driver.
// Timing follows the runner's rules (an input step makes the next one due
// 10 ms later, a wait MS ms later) but the clock jumps to the due time: the
// program makes two passes per input step (a tap's press and its release need
// one each) and one per 40 ms of a wait, so that playback still advances.
// A script is fed by the runner itself, with its parser and its clock.
// ---------------------------------------------------------------------------
struct SessionEnd {};

[[noreturn]] static void Fail(const char* fault) {
    std::snprintf(driver.log->fault, sizeof driver.log->fault, "%s", fault);
    _exit(3);
}

// The program waits for input: check it.
static void Waiting() {
    if (const char* fault = CheckProgramInvariants()) Fail(fault);
    ++waits_since_start;
}

static void Enqueue(uint32_t message, int x, int y) {
    driver.queue[(driver.queue_head + driver.queue_count++) % 2] = Message{message, 0, PackPosition(x, y)};
}

static int DriverPeek() {
    if (driver.queue_count > 0) return 1;
    if (driver.idle_passes > 0 || driver.clock + 40 < driver.due) {  // the pump that took the input ends, then one more
        driver.clock += driver.idle_passes > 0 ? 1 : 40;
        driver.idle_passes -= driver.idle_passes > 0;
        return 0;
    }
    driver.clock = std::max(driver.clock, driver.due);
    Waiting();
    if (driver.fed == driver.end) throw SessionEnd{};
    while (driver.fed == driver.generated) GenerateGesture();
    const SessionStep step = driver.steps[driver.fed++];
    driver.log->steps_fed = driver.fed;
    driver.due = driver.clock + 10;
    if (step.kind == SessionStep::kWait) {
        driver.due = driver.clock++ + static_cast<uint64_t>(std::max(0, step.wait_ms));
        return 0;
    }
    if (step.kind != SessionStep::kUp) {  // up lifts the stylus where it was
        driver.last_x = step.x;
        driver.last_y = step.y;
    }
    static const uint32_t kMessages[] = {kMessageLeftButtonDown, kMessageMouseMove, kMessageLeftButtonUp, kMessageLeftButtonDown};
    Enqueue(kMessages[step.kind], driver.last_x, driver.last_y);
    if (step.kind == SessionStep::kTap) Enqueue(kMessageLeftButtonUp, step.x, step.y);
    return 1;
}

static int DriverGet(Message* out) {
    if (driver.queue_count == 0) return 0;
    *out = driver.queue[driver.queue_head++ % 2];
    if (--driver.queue_count == 0) driver.idle_passes = 2;
    ++driver.clock;
    return 1;
}

static uint32_t DriverTicks() { return static_cast<uint32_t>(driver.clock); }

static int ScriptPeek() {
    if (HeadlessScriptFinished()) throw SessionEnd{};
    const int queued = HeadlessBackend()->peek_message();
    if (queued == 0) Waiting();
    return queued;
}

// ---------------------------------------------------------------------------
// Running the program
// ---------------------------------------------------------------------------
// The sessions' device root and shot folder, made once per process.
static const std::string& SessionFolder() {
    static const struct Folder {
        std::string path = "/tmp/kn_sessions_XXXXXX";
        Folder() {
            if (mkdtemp(path.data()) == nullptr) return;
            (void)std::system(("cd " + path + " && mkdir shots root && cp -r " KN_ASSET_DIR "/device/tovu root && "
                               "cd root && for i in $(seq -w 0 24); do touch \"file $i.txt\"; done && "
                               "for i in $(seq -w 0 14); do mkdir -p \"folder $i/inner/deeper\" && "
                               "touch \"folder $i/a.png\" \"folder $i/b.txt\" \"folder $i/inner/c.ini\"; done").c_str());
        }
        ~Folder() { (void)std::system(("rm -rf " + path).c_str()); }
    } folder;
    return folder.path;
}

// In the child: runs the program, starting it again whenever it quits, until
// the steps run out. Start-up sets the model and the screens' state; the UI's
// is put back as the process started.
static void Run(const SessionSource& source, SharedLog* log) {
    driver = Driver{};
    driver.seed = source.seed;
    driver.rng = Rng{source.seed};
    driver.steps = reinterpret_cast<SessionStep*>(log + 1);
    driver.end = source.generate > 0 ? source.generate : static_cast<int64_t>(source.steps.size());
    driver.generated = source.generate > 0 ? 0 : driver.end;
    driver.clock = driver.due = 1000000;
    driver.log = log;
    SetDeviceRoot(source.root != nullptr ? source.root : (SessionFolder() + "/root").c_str());
    if (surface.pixel_base == nullptr) InitScreenSurfaceFrom(surface, kPortraitDisplay);
    std::fill(std::begin(guarded_block), std::end(guarded_block), kGuard);
    surface.pixel_base = kGuardedScreen;
    static PlatformBackend backend = *HeadlessBackend();
    backend.peek_message = source.script.empty() ? DriverPeek : ScriptPeek;
    backend.get_message = source.script.empty() ? DriverGet : HeadlessBackend()->get_message;
    backend.tick_count = source.script.empty() ? DriverTicks : HeadlessBackend()->tick_count;
    platform = &backend;
    ResetHeadless();
    SetHeadlessShotFolder((SessionFolder() + "/shots").c_str());
    char error[256] = "";
    if (!source.script.empty() && !LoadHeadlessScriptText("script", source.script.c_str(), error, sizeof error)) Fail(error);
    for (;; ++log->restarts) {
        std::memset(&ui, 0, sizeof ui);
        std::memset(chooser_popup_table, 0, sizeof chooser_popup_table);
        for (WidgetRecord* table : kAllTables) ClearPressedFlags(ui, table);
        ResetPickList();
        waits_since_start = 0;
        try {
            RunMainLoop();
        } catch (const SessionEnd&) {
            return;
        }
    }
}

static SessionOutcome RunSession(const SessionSource& source, bool quiet = false) {
    SessionOutcome outcome{true, "no shared memory for the step log", 0, 0, {}};
    const size_t steps = source.generate > 0 ? static_cast<size_t>(source.generate + kGestureSlack) : source.steps.size();
    const size_t bytes = sizeof(SharedLog) + sizeof(SessionStep) * steps;
    auto* log = static_cast<SharedLog*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (log == MAP_FAILED) return outcome;
    auto* logged = reinterpret_cast<SessionStep*>(log + 1);
    std::copy(source.steps.begin(), source.steps.end(), logged);
    SessionFolder();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet && std::freopen("/dev/null", "w", stderr) == nullptr) _exit(4);
        alarm(static_cast<unsigned>(120 + steps / 100));  // a session that stops pumping is a fault too
        Run(source, log);
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        outcome.fault = "could not run the session in a child process";
    else if (WIFSIGNALED(status))
        outcome.fault = WTERMSIG(status) == SIGALRM ? "the session stopped making progress"
                                                    : "killed by signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) == 3)
        outcome.fault = std::string("invariant broken: ") + log->fault;
    else if (WEXITSTATUS(status) != 0)
        outcome.fault = "exit status " + std::to_string(WEXITSTATUS(status)) + " (a sanitizer report, if any, is above)";
    else
        outcome = SessionOutcome{};
    outcome.steps_run = log->steps_fed;
    outcome.restarts = log->restarts;
    outcome.steps.assign(logged, logged + log->steps_fed);
    munmap(log, bytes);
    return outcome;
}

static SessionOutcome RunRandomSession(uint64_t seed, int64_t steps) {
    SessionSource source;
    source.seed = seed;
    source.generate = steps;
    return RunSession(source);
}

// Chunks of halving size are dropped while the rest still fails; a replay
// that fails earlier also cuts the list at its fault.
static std::vector<SessionStep> ShrinkSession(std::vector<SessionStep> steps, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    SessionSource candidate;
    for (size_t chunk = steps.size() / 2; chunk >= 1 && std::chrono::steady_clock::now() < deadline;) {
        bool dropped = false;
        for (size_t at = 0; at < steps.size() && std::chrono::steady_clock::now() < deadline;) {
            candidate.steps.assign(steps.begin(), steps.begin() + static_cast<long>(at));
            candidate.steps.insert(candidate.steps.end(), steps.begin() + static_cast<long>(std::min(at + chunk, steps.size())),
                                   steps.end());
            SessionOutcome replay = RunSession(candidate, true);
            const bool fails = replay.failed && !replay.steps.empty();
            if (fails) steps = std::move(replay.steps);
            dropped = dropped || fails;
            at += fails ? 0 : chunk;
        }
        chunk = std::min(dropped ? chunk : chunk / 2, steps.size() / 2);
    }
    return steps;
}

static std::string SessionScript(const std::vector<SessionStep>& steps, const std::string& comment) {
    static const char* const kFormats[] = {"down %d %d\n", "move %d %d\n", "up\n", "tap %d %d\n", "wait %d\n"};
    std::string text = "# " + std::regex_replace(comment, std::regex("\n"), "\n# ") + "\n";
    char line[32];
    for (const SessionStep& s : steps) {
        std::snprintf(line, sizeof line, kFormats[s.kind], s.kind == SessionStep::kWait ? s.wait_ms : s.x, s.y);
        text += line;
    }
    return text;
}

// ---------------------------------------------------------------------------
// The tests
// ---------------------------------------------------------------------------
static int64_t Env(const char* name, int64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? std::strtoll(value, nullptr, 10) : fallback;
}

TEST(RandomSessions, NoInputBreaksTheProgram) {
    const int64_t total = Env("SOAK_STEPS", 200000), per_seed = std::max<int64_t>(1, Env("SOAK_SEED_STEPS", 25000));
    const auto start = std::chrono::steady_clock::now();
    int64_t done = 0, restarts = 0;
    auto report = [&](const char* format, uint64_t seed) {
        std::printf(format, static_cast<unsigned long long>(seed),
                    static_cast<long long>(done), static_cast<long long>(total), static_cast<long long>(restarts),
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::fflush(stdout);
    };
    uint64_t seed = static_cast<uint64_t>(Env("SOAK_SEED", 1));
    for (; done < total; ++seed) {
        const SessionOutcome outcome = RunRandomSession(seed, std::min(per_seed, total - done));
        done += outcome.steps_run;
        restarts += outcome.restarts;
        report("seed %llu done: %lld of %lld steps, %lld restarts after quit, %.0f s\n", seed);
        if (!outcome.failed) continue;
        const std::string script = SessionScript(
            ShrinkSession(outcome.steps, static_cast<double>(Env("SOAK_SHRINK_SECONDS", 120))),
            "seed " + std::to_string(seed) + ", step " + std::to_string(outcome.steps_run) + ": " + outcome.fault +
                "\non the reliability tests' device folder (the bundled skin and settings, 25 files, 15 folders)");
        const std::string path = std::string(std::getenv("SOAK_OUT") != nullptr ? std::getenv("SOAK_OUT") : ".") +
                                 "/reliability_seed_" + std::to_string(seed) + ".script";
        std::ofstream(path) << script;
        FAIL() << "seed " << seed << ": " << outcome.fault << "\nreproducing script (" << path << "):\n" << script;
    }
    report("randomized sessions: seeds up to %llu, %lld of %lld steps, %lld restarts after quit, %.0f s\n", seed - 1);
}

// Every session script of the tests, without its shots (the runner's PNG
// writer is no part of the program), keeps the invariants after every step.
TEST(RandomSessions, EverySessionScriptKeepsTheInvariants) {
    DIR* dir = opendir(KN_TEST_DIR "/scripts");
    ASSERT_NE(dir, nullptr);
    for (const dirent* entry; (entry = readdir(dir)) != nullptr;) {
        const std::string name = entry->d_name;
        if (!name.ends_with(".script")) continue;
        SessionSource session;
        session.script = (std::stringstream() << std::ifstream(KN_TEST_DIR "/scripts/" + name).rdbuf()).str();
        session.script = std::regex_replace(session.script, std::regex("(^|\n)shot "), "$1# shot ");
        session.root = KN_ASSET_DIR "/device";  // as their expect lines assume
        EXPECT_EQ(RunSession(session).fault, "") << name;
    }
    closedir(dir);
}

// A planted fault (a second actor on the stage) is found by a random session
// and shrunk to a few steps (the mode selector, the animation screen, two
// adds) whose script, run by the headless runner, shows it again.
static const char* SecondActor(int64_t) { return stage.actor_count >= 2 ? "planted: two actors" : nullptr; }

TEST(RandomSessions, AFaultIsFoundAndShrunkToAShortScript) {
    SetExtraCheck(SecondActor);
    SessionOutcome outcome;
    for (uint64_t seed = 2; seed < 40 && !outcome.failed; seed += 3) outcome = RunRandomSession(seed, 20000);
    ASSERT_NE(outcome.fault.find("planted: two actors"), std::string::npos) << outcome.fault;
    const std::vector<SessionStep> shortest = ShrinkSession(outcome.steps, 60);
    SessionSource script;
    script.script = SessionScript(shortest, "shrunk");
    EXPECT_LE(shortest.size(), 12u) << script.script;
    EXPECT_NE(RunSession(script, true).fault.find("planted: two actors"), std::string::npos) << script.script;
    SetExtraCheck(nullptr);
    EXPECT_FALSE(RunSession(script, true).failed);
}
