#include "reliability/session_driver.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "animation/stage.h"
#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/host_files.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/layout_tables.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "input/input.h"
#include "shell/shell.h"
#include "surface/pen.h"
#include "surface/pick_list.h"
#include "surface/surface.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

// ---------------------------------------------------------------------------
// The back buffer with guard zones
// ---------------------------------------------------------------------------
// The program draws into a heap block of our own with a guard zone on either
// side: a stray write just outside the screen changes a guard word, one
// further away is the address sanitizer's to find.
constexpr int kGuardWords = 1024;
constexpr uint16_t kGuardWord = 0xA55A;
constexpr int kScreenWords = kScreenWidth * kScreenHeight;
static uint16_t* guarded_block = nullptr;

static void InstallGuardedSurface() {
    if (surface.pixel_base == nullptr) {
        const GXDisplayProperties portrait = kPortraitDisplay;
        InitScreenSurfaceFrom(surface, portrait);
    }
    if (guarded_block == nullptr) {
        guarded_block = static_cast<uint16_t*>(std::calloc(kScreenWords + 2 * kGuardWords, 2));
        for (int i = 0; i < kGuardWords; ++i) {
            guarded_block[i] = kGuardWord;
            guarded_block[kGuardWords + kScreenWords + i] = kGuardWord;
        }
    }
    surface.pixel_base = guarded_block + kGuardWords;
}

static bool GuardsIntact() {
    if (guarded_block == nullptr) return true;
    for (int i = 0; i < kGuardWords; ++i)
        if (guarded_block[i] != kGuardWord || guarded_block[kGuardWords + kScreenWords + i] != kGuardWord)
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// Invariants
// ---------------------------------------------------------------------------
static char fault_text[512];

static const char* Fault(const char* what, long long value) {
    std::snprintf(fault_text, sizeof fault_text, "%s (value %lld)", what, value);
    return fault_text;
}

static bool Within(long long v, long long low, long long high) { return v >= low && v <= high; }

static const char* (*extra_check)() = nullptr;

void SetExtraCheck(const char* (*check)()) { extra_check = check; }

const char* CheckProgramInvariants() {
    if (drawing.vertices != nullptr) {
        if (!CheckDrawing(drawing)) return Fault("CheckDrawing fails: shape count", drawing.shape_count);
        if (drawing.vertex_capacity != kVertexCapacity || drawing.shape_capacity != kShapeCapacity)
            return Fault("the drawing's capacities changed", drawing.vertex_capacity);
    }
    if (!CheckLibrary(library)) return Fault("CheckLibrary fails: bytes used", library.used);
    if (library.used > kArenaBytes) return Fault("library arena overfilled", library.used);
    if (!Within(library.slot_count, 0, kSlotCount)) return Fault("library slot count", library.slot_count);
    if (!Within(pick_list.count, 0, kPickCapacity)) return Fault("pick list count", pick_list.count);
    if (pick_list.entries[pick_list.count].owner != -1)
        return Fault("pick list end marker missing at count", pick_list.count);
    if (!Within(stage.actor_count, 0, kActorCapacity)) return Fault("actor count", stage.actor_count);
    if (!Within(stage.key_count, 0, kKeyCapacity)) return Fault("key count", stage.key_count);
    for (int i = 0; i < stage.actor_count; ++i)
        if (!Within(stage.actors[i].slot, 0, kSlotCount - 1)) return Fault("actor slot", stage.actors[i].slot);
    for (int i = 0; i < stage.key_count; ++i)
        if (!Within(stage.keys[i].actor, 0, kActorCapacity - 1)) return Fault("key actor", stage.keys[i].actor);
    if (!Within(editor.selected_shape, -1, kShapeCapacity - 1)) return Fault("selected shape", editor.selected_shape);
    if (!Within(editor.selected_vertex, -1, kVertexCapacity - 1)) return Fault("selected vertex", editor.selected_vertex);
    if (!Within(stage_screen.selected_actor, -1, kActorCapacity - 1)) return Fault("selected actor", stage_screen.selected_actor);
    if (!Within(stage_screen.actor_tab_count, 0, kActorCapacity)) return Fault("actor tab count", stage_screen.actor_tab_count);
    if (!Within(editor.current_slot, 0, kSlotCount - 1)) return Fault("current slot", editor.current_slot);
    if (!Within(editor.drawing_slot, 0, kSlotCount - 1)) return Fault("drawing slot", editor.drawing_slot);
    if (!Within(editor.next_new_slot, 1, kLastNewSlot)) return Fault("next new slot", editor.next_new_slot);
    if (!Within(controls.mode, kModeDrawing, kModeQuit)) return Fault("mode", controls.mode);
    if (!Within(editor.tool, kToolOutline, kToolEditVertices)) return Fault("tool", editor.tool);
    if (ui.point_count > kStrokeMaxPoints) return Fault("stroke points", ui.point_count);
    if (!Within(files.file_count, 0, static_cast<long long>(kListBytes / 2)))
        return Fault("file count", files.file_count);
    if (std::memchr(files.directory, 0, sizeof files.directory) == nullptr) return Fault("directory unterminated", 0);
    if (guarded_block != nullptr && surface.pixel_base != guarded_block + kGuardWords)
        return Fault("the back buffer moved", 0);
    if (!GuardsIntact()) return Fault("a write landed outside the back buffer", 0);
    return extra_check != nullptr ? extra_check() : nullptr;
}

// ---------------------------------------------------------------------------
// Program-wide objects at process start
// ---------------------------------------------------------------------------
static WidgetRecord* const kAllTables[] = {
    main_table,          drawing_editor_table, shape_tool_table, vertex_tool_table,
    animation_table,     files_table,          colour_picker_table, library_browser_table,
    pose_table,
};

void ResetProgramObjects() {
    shell = ShellState{};
    shell.window = 1;
    input = InputState{};
    std::memset(&ui, 0, sizeof ui);
    redraw_request = 0;
    std::memset(chooser_popup_table, 0, sizeof chooser_popup_table);
    std::memset(&pick_list, 0, sizeof pick_list);
    ResetPickList();
    std::memset(&stage, 0, sizeof stage);
    std::memset(&library, 0, sizeof library);
    ResetScreenControls();
    ResetEditor();
    ResetPicker();
    ResetStageScreen();
    ResetFiles();
    for (WidgetRecord* table : kAllTables) ClearPressedFlags(ui, table);
    surface.pen_colour = ColourRecord{};
    surface.pen_alpha = 255;
    surface.plain_plot = PlotSet;
    surface.coverage_plot = PlotBlendCoverage;
}

// ---------------------------------------------------------------------------
// The driver's backend
// ---------------------------------------------------------------------------
// Timing follows the headless runner's rules (an input step makes the next
// one due 10 ms later, a wait MS ms later), but the clock jumps to the due
// time instead of ticking through idle passes: the program makes two passes
// per input step (a tap's press and its release need one each), and one per
// 40 ms of a wait, so that playback still advances.
constexpr uint64_t kClockStart = 1000000;
constexpr uint64_t kSettleMs = 10;
constexpr uint64_t kWaitPassMs = 40;

// Shared with the parent: what the child fed, and why it stopped. The steps
// follow the record in the same mapping, `capacity` of them.
struct SharedLog {
    int64_t steps_fed;
    int64_t restarts;
    int64_t capacity;
    SessionReach reach;
    char fault[512];
};

static SessionStep* LoggedSteps(SharedLog* log) { return reinterpret_cast<SessionStep*>(log + 1); }

struct SessionEnd {};

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

constexpr int kPendingCapacity = 1024;

struct Driver {
    // Where steps come from.
    const SessionStep* replay = nullptr;
    int64_t replay_count = 0;
    bool generate = false;
    int64_t limit = 0;
    Rng rng{0};
    int profile = 0;
    SessionStep pending[kPendingCapacity];
    int pending_head = 0, pending_count = 0;
    // Messages and time.
    Message queue[2];
    int queue_head = 0, queue_count = 0;
    uint64_t clock = kClockStart;
    uint64_t due = kClockStart;
    int idle_passes = 0;  // empty pumps still owed before the next step
    int16_t last_x = 0, last_y = 0;
    int64_t fed = 0;
    int64_t fed_in_run = 0;
    bool checks = true;
    SharedLog* log = nullptr;
    void (*before_step)(int64_t index) = nullptr;
    void (*on_end)() = nullptr;
};

static Driver driver;
static uint16_t frame_copy[kScreenWords];

static void Push(SessionStep::Kind kind, int x, int y, int32_t wait_ms = 0) {
    if (driver.pending_count == kPendingCapacity) return;
    SessionStep& s = driver.pending[(driver.pending_head + driver.pending_count) % kPendingCapacity];
    s = SessionStep{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), wait_ms};
    ++driver.pending_count;
}

// ---------------------------------------------------------------------------
// Gestures
// ---------------------------------------------------------------------------
// Gesture weights of a profile, in the order of GenerateGesture's cases.
enum Gesture {
    kWidgetTap, kWidgetPress, kCanvasStroke, kLongStroke, kRapidTaps, kLoneEvent,
    kOffScreen, kWaiting, kOnModeSelector, kAnywhere, kGestureKinds
};

// Seeds take turns among three profiles: everything evenly, mostly drawing
// (deep drawings and a full library), mostly the stage (many actors and keys).
struct Profile {
    int weights[kGestureKinds];
    int32_t preferred_mode;  // the selector's popup chooses it 4 times in 5; -1 none
};
static const Profile kProfiles[3] = {
    {{30, 14, 16, 2, 8, 5, 4, 5, 10, 6}, -1},
    {{24, 8, 44, 3, 4, 2, 2, 2, 3, 8}, kModeDrawing},
    {{46, 14, 10, 1, 8, 2, 2, 6, 3, 8}, kModeAnimation},
};

struct Box {
    int x1, y1, x2, y2;
    const WidgetRecord* widget;
};
constexpr int kBoxCapacity = 96;

static int CollectBoxes(const WidgetRecord* table, Box* out, int n, bool all_pages) {
    if (table == nullptr) return n;
    for (const WidgetRecord* w = table; w->type != kEnd && n < kBoxCapacity; ++w) {
        if (w->type == kPage) {
            if (all_pages || PageActive(*w)) n = CollectBoxes(PageTableOf(*w), out, n, all_pages);
        } else {
            out[n++] = Box{w->x1, w->y1, w->x2, w->y2, w};
        }
    }
    return n;
}

static void PointIn(const Box& b, int* x, int* y) {
    *x = driver.rng.Between(b.x1, b.x2 < b.x1 ? b.x1 : b.x2);
    *y = driver.rng.Between(b.y1, b.y2 < b.y1 ? b.y1 : b.y2);
}

// A widget of the current screen mostly; now and then one of any screen.
static Box ChooseWidget() {
    Rng& r = driver.rng;
    Box boxes[kBoxCapacity];
    int n = 0;
    if (r.Chance(kProfiles[driver.profile].preferred_mode < 0 ? 10 : 3)) {
        const int t = r.Below(static_cast<int>(sizeof kAllTables / sizeof kAllTables[0]));
        n = CollectBoxes(kAllTables[t], boxes, 0, true);
    } else {
        n = CollectBoxes(ui.current_table, boxes, 0, false);
    }
    if (n == 0) return Box{0, 0, kScreenWidth - 1, kScreenHeight - 1, nullptr};
    Box b = boxes[r.Below(n)];
    // The popup of the mode selector: the profile's screen mostly, and quit
    // rarely, so that sessions grow deep.
    if (b.widget == &chooser_popup_table[0] && b.widget->bound == &controls.mode) {
        const int item_height = b.widget->d > 0 ? static_cast<int>(b.widget->d) : 20;
        const int32_t preferred = kProfiles[driver.profile].preferred_mode;
        if (preferred >= 0 && r.Chance(80)) {
            b.y1 += preferred * item_height;
            b.y2 = b.y1 + item_height - 1;
        } else if (r.Chance(85)) {
            b.y2 = b.y1 + kModeQuit * item_height - 1;
        }
    }
    return b;
}

static void RandomPoint(int* x, int* y) {
    *x = driver.rng.Between(0, kScreenWidth - 1);
    *y = driver.rng.Between(0, kScreenHeight - 1);
}

static int WildCoordinate() {
    Rng& r = driver.rng;
    switch (r.Below(4)) {
    case 0: return r.Chance(50) ? -32768 : 32767;
    case 1: return r.Between(-2000, 2000);
    case 2: return r.Between(-3, 3);
    default: return r.Between(236, 324);
    }
}

static void Tap(int x, int y) {
    if (driver.rng.Chance(30)) {
        Push(SessionStep::kTap, x, y);
    } else {
        Push(SessionStep::kDown, x, y);
        Push(SessionStep::kUp, 0, 0);
    }
}

// A walk that turns at every step, so that thinning keeps most points.
static void Walk(int x, int y, int moves, int reach) {
    Rng& r = driver.rng;
    for (int i = 0; i < moves; ++i) {
        x += r.Between(-reach, reach);
        y += r.Between(-reach, reach);
        if (x < 0) x = -x;
        if (y < 0) y = -y;
        if (x >= kScreenWidth) x = 2 * (kScreenWidth - 1) - x;
        if (y >= kScreenHeight) y = 2 * (kScreenHeight - 1) - y;
        Push(SessionStep::kMove, x, y);
    }
}

static Gesture ChooseGesture() {
    const Profile& p = kProfiles[driver.profile];
    int total = 0;
    for (int w : p.weights) total += w;
    int roll = driver.rng.Below(total);
    for (int g = 0; g < kGestureKinds; ++g) {
        if (roll < p.weights[g]) return static_cast<Gesture>(g);
        roll -= p.weights[g];
    }
    return kAnywhere;
}

static void GenerateGesture() {
    Rng& r = driver.rng;
    int x = 0, y = 0;
    switch (ChooseGesture()) {
    case kWidgetTap:
        PointIn(ChooseWidget(), &x, &y);
        Tap(x, y);
        break;
    case kWidgetPress: {  // moves that may leave the widget and come back
        const Box b = ChooseWidget();
        PointIn(b, &x, &y);
        Push(SessionStep::kDown, x, y);
        for (int i = r.Between(1, 6); i > 0; --i) {
            if (r.Chance(25)) RandomPoint(&x, &y); else PointIn(b, &x, &y);
            Push(SessionStep::kMove, x, y);
        }
        Push(SessionStep::kUp, 0, 0);
        break;
    }
    case kCanvasStroke:
        RandomPoint(&x, &y);
        Push(SessionStep::kDown, x, y);
        Walk(x, y, r.Between(1, 40), r.Chance(50) ? 6 : 30);
        Push(SessionStep::kUp, 0, 0);
        break;
    case kLongStroke:  // more corners than a stroke keeps
        RandomPoint(&x, &y);
        Push(SessionStep::kDown, x, y);
        Walk(x, y, r.Between(500, 700), 25);
        Push(SessionStep::kUp, 0, 0);
        break;
    case kRapidTaps:
        PointIn(ChooseWidget(), &x, &y);
        for (int i = r.Between(2, 10); i > 0; --i)
            Push(SessionStep::kTap, x + r.Between(-2, 2), y + r.Between(-2, 2));
        break;
    case kLoneEvent: {  // the stylus state need not be balanced
        RandomPoint(&x, &y);
        const int kind = r.Below(3);
        Push(kind == 0 ? SessionStep::kDown : kind == 1 ? SessionStep::kMove : SessionStep::kUp, x, y);
        break;
    }
    case kOffScreen:  // up to the ends of the 16-bit range
        x = WildCoordinate();
        y = WildCoordinate();
        if (r.Chance(50)) {
            Tap(x, y);
        } else {
            Push(SessionStep::kDown, x, y);
            Push(SessionStep::kMove, WildCoordinate(), WildCoordinate());
            Push(SessionStep::kUp, 0, 0);
        }
        break;
    case kWaiting:  // playback frames, the refusal cue, the overlays' phases
        Push(SessionStep::kWait, 0, 0, r.Chance(70) ? r.Between(0, 120) : r.Between(120, 1500));
        break;
    case kOnModeSelector:  // its popup comes next as the current screen
        Tap(r.Between(221, 239), r.Between(1, 19));
        break;
    default:
        RandomPoint(&x, &y);
        Tap(x, y);
        break;
    }
}

static bool NextStep(SessionStep* out) {
    if (!driver.generate) {
        if (driver.fed >= driver.replay_count) return false;
        *out = driver.replay[driver.fed];
        return true;
    }
    if (driver.fed >= driver.limit) return false;
    while (driver.pending_count == 0) GenerateGesture();
    *out = driver.pending[driver.pending_head];
    driver.pending_head = (driver.pending_head + 1) % kPendingCapacity;
    --driver.pending_count;
    return true;
}

[[noreturn]] static void ChildFault(const char* fault) {
    if (driver.log != nullptr) {
        std::snprintf(driver.log->fault, sizeof driver.log->fault, "%s", fault);
        driver.log->steps_fed = driver.fed;
        _exit(3);
    }
    std::fprintf(stderr, "invariant broken: %s\n", fault);
    std::abort();
}

static void Raise(int32_t& mark, int32_t value) {
    if (value > mark) mark = value;
}

static void NoteReach(SessionReach& r) {
    Raise(r.shapes, drawing.shape_count);
    Raise(r.vertices, drawing.vertex_count);
    Raise(r.slots, library.slot_count);
    Raise(r.actors, stage.actor_count);
    Raise(r.keys, stage.key_count);
    Raise(r.picks, pick_list.count);
    Raise(r.stroke_points, ui.point_count);
    Raise(r.path_bytes, static_cast<int32_t>(strnlen(files.directory, sizeof files.directory)));
    if (controls.mode >= 0 && controls.mode < 5) ++r.mode_passes[controls.mode];
}

static void Enqueue(uint32_t message, int x, int y) {
    driver.queue[(driver.queue_head + driver.queue_count) % 2] = Message{message, 0, PackPosition(x, y)};
    ++driver.queue_count;
}

static int DriverPeek() {
    if (driver.queue_count > 0) return 1;
    if (driver.idle_passes > 0) {  // the pump that delivered the input ends, then one more
        --driver.idle_passes;
        ++driver.clock;
        return 0;
    }
    if (driver.clock + kWaitPassMs < driver.due) {
        driver.clock += kWaitPassMs;
        return 0;
    }
    if (driver.clock < driver.due) driver.clock = driver.due;
    // The program has made a pass since the last input: check it.
    if (driver.checks) {
        const char* fault = CheckProgramInvariants();
        if (fault != nullptr) ChildFault(fault);
    }
    if (driver.log != nullptr) NoteReach(driver.log->reach);
    SessionStep step;
    const bool more = NextStep(&step);
    if (more && driver.before_step != nullptr) driver.before_step(driver.fed_in_run);
    if (!more) {
        if (driver.on_end != nullptr) driver.on_end();
        throw SessionEnd{};
    }
    if (driver.log != nullptr && driver.fed < driver.log->capacity) {
        LoggedSteps(driver.log)[driver.fed] = step;
        driver.log->steps_fed = driver.fed + 1;
    }
    ++driver.fed;
    ++driver.fed_in_run;
    driver.due = driver.clock + kSettleMs;
    switch (step.kind) {
    case SessionStep::kDown:
        Enqueue(kMessageLeftButtonDown, step.x, step.y);
        break;
    case SessionStep::kMove:
        Enqueue(kMessageMouseMove, step.x, step.y);
        break;
    case SessionStep::kUp:
        Enqueue(kMessageLeftButtonUp, driver.last_x, driver.last_y);
        break;
    case SessionStep::kTap:
        Enqueue(kMessageLeftButtonDown, step.x, step.y);
        Enqueue(kMessageLeftButtonUp, step.x, step.y);
        break;
    case SessionStep::kWait:
        driver.due = driver.clock + static_cast<uint64_t>(step.wait_ms < 0 ? 0 : step.wait_ms);
        ++driver.clock;
        return 0;
    }
    if (step.kind != SessionStep::kUp) {
        driver.last_x = step.x;
        driver.last_y = step.y;
    }
    return 1;
}

static int DriverGet(Message* out) {
    if (driver.queue_count == 0) return 0;
    *out = driver.queue[driver.queue_head];
    driver.queue_head = (driver.queue_head + 1) % 2;
    --driver.queue_count;
    ++driver.clock;
    if (driver.queue_count == 0) driver.idle_passes = 2;
    return 1;
}

static GXDisplayProperties DriverDisplay() { return kPortraitDisplay; }
static uint16_t* DriverBeginDraw() { return frame_copy; }
static void DriverNothing() {}
static void DriverTaskbar(int) {}
static int DriverCreateWindow(int) { return 1; }
static uint32_t DriverTicks() { return static_cast<uint32_t>(driver.clock); }

static const PlatformBackend kDriverBackend = {
    "reliability",  DriverDisplay,  DriverPeek,    DriverGet,     DriverBeginDraw,
    DriverNothing,  DriverTicks,    DriverCreateWindow, DriverNothing, DriverNothing,
    DriverNothing,  DriverNothing,  DriverNothing, DriverNothing, DriverNothing,
    DriverTaskbar,
};

// ---------------------------------------------------------------------------
// The device folder of the sessions
// ---------------------------------------------------------------------------
// The bundled skin and settings, and enough files and folders for several
// pages of each list, some nested: made once per process, removed at its end.
struct DeviceFolder {
    std::string path;
    DeviceFolder() {
        char pattern[] = "/tmp/kn_sessions_XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        path = pattern;
        const std::string bundled = std::string(KN_ASSET_DIR) + "/device";
        const std::string copy = "cp -r '" + bundled + "/tovu' '" + path + "/'";
        if (std::system(copy.c_str()) != 0) path.clear();
        for (int i = 0; i < 25 && !path.empty(); ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "/file %02d.txt", i);
            if (FILE* f = std::fopen((path + name).c_str(), "w")) std::fclose(f);
            if (i >= 15) continue;
            std::snprintf(name, sizeof name, "/folder %02d", i);
            const std::string folder = path + name;
            mkdir(folder.c_str(), 0755);
            mkdir((folder + "/inner").c_str(), 0755);
            mkdir((folder + "/inner/deeper").c_str(), 0755);
            for (const char* file : {"/a.png", "/b.txt", "/inner/c.ini"})
                if (FILE* f = std::fopen((folder + file).c_str(), "w")) std::fclose(f);
        }
    }
    ~DeviceFolder() {
        if (!path.empty()) (void)std::system(("rm -rf '" + path + "'").c_str());
    }
};

static const char* SessionDeviceRoot() {
    static DeviceFolder folder;
    return folder.path.empty() ? KN_ASSET_DIR "/device" : folder.path.c_str();
}

// Starts the program, and again whenever it quits, until the steps run out.
static void RunProgramUntilStepsEnd() {
    platform = &kDriverBackend;
    for (;;) {
        ResetProgramObjects();
        try {
            RunMainLoop();
        } catch (const SessionEnd&) {
            return;
        }
        if (driver.log != nullptr) ++driver.log->restarts;
    }
}

static void ResetDriver() {
    driver.pending_head = driver.pending_count = 0;
    driver.queue_head = driver.queue_count = 0;
    driver.clock = driver.due = kClockStart;
    driver.idle_passes = 0;
    driver.last_x = driver.last_y = 0;
    driver.fed = 0;
}

void RunStepsInProcess(const SessionStep* steps, int64_t count, void (*before_step)(int64_t index),
                       void (*on_end)()) {
    const PlatformBackend* saved = platform;
    ResetDriver();
    driver.generate = false;
    driver.replay = steps;
    driver.replay_count = count;
    driver.checks = false;
    driver.log = nullptr;
    driver.before_step = before_step;
    driver.on_end = on_end;
    SetDeviceRoot(SessionDeviceRoot());
    if (surface.pixel_base == nullptr) InstallGuardedSurface();
    platform = &kDriverBackend;
    for (;;) {
        ResetProgramObjects();
        driver.fed_in_run = 0;
        try {
            RunMainLoop();
        } catch (const SessionEnd&) {
            StopProgram();
            break;
        }
        if (on_end != nullptr) on_end();
    }
    driver.before_step = nullptr;
    driver.on_end = nullptr;
    platform = saved;
}

// ---------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------
static SessionOutcome RunInChild(const SessionStep* replay, int64_t replay_count, uint64_t seed,
                                 int64_t limit, bool quiet) {
    SessionOutcome outcome;
    const int64_t capacity = replay != nullptr ? replay_count : limit;
    const size_t bytes = sizeof(SharedLog) + sizeof(SessionStep) * static_cast<size_t>(capacity);
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        outcome.failed = true;
        outcome.fault = "no shared memory for the step log";
        return outcome;
    }
    auto* log = static_cast<SharedLog*>(memory);
    log->steps_fed = 0;
    log->restarts = 0;
    log->capacity = capacity;
    log->fault[0] = '\0';
    log->reach = SessionReach{};
    const char* root = SessionDeviceRoot();
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            FILE* sink = std::freopen("/dev/null", "w", stderr);
            (void)sink;
        }
        // A session that stops pumping messages is a fault too.
        alarm(static_cast<unsigned>(120 + capacity / 100));
        ResetDriver();
        driver.generate = replay == nullptr;
        driver.replay = replay;
        driver.replay_count = replay_count;
        driver.limit = limit;
        driver.rng = Rng{seed};
        driver.profile = static_cast<int>(seed % 3);
        driver.checks = true;
        driver.log = log;
        SetDeviceRoot(root);
        InstallGuardedSurface();
        RunProgramUntilStepsEnd();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        outcome.failed = true;
        outcome.fault = "could not run the session in a child process";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        outcome.failed = true;
        outcome.fault = std::string("invariant broken: ") + log->fault;
    } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        outcome.failed = true;
        outcome.fault = "exit status " + std::to_string(WEXITSTATUS(status)) +
                        " (a sanitizer report, if any, is above)";
    } else if (WIFSIGNALED(status)) {
        outcome.failed = true;
        outcome.fault = WTERMSIG(status) == SIGALRM ? std::string("the session stopped making progress")
                                                    : "killed by signal " + std::to_string(WTERMSIG(status));
    }
    outcome.steps_run = log->steps_fed;
    outcome.restarts = log->restarts;
    outcome.reach = log->reach;
    const int64_t kept = log->steps_fed < capacity ? log->steps_fed : capacity;
    outcome.steps.assign(LoggedSteps(log), LoggedSteps(log) + kept);
    munmap(memory, bytes);
    return outcome;
}

SessionOutcome RunRandomSession(uint64_t seed, int64_t step_count) {
    return RunInChild(nullptr, 0, seed, step_count, false);
}

SessionOutcome ReplaySession(const std::vector<SessionStep>& steps, bool quiet) {
    return RunInChild(steps.data(), static_cast<int64_t>(steps.size()), 0, 0, quiet);
}

// Chunks of halving size are dropped while the rest still fails; a replay
// that fails earlier also cuts the list at its fault.
std::vector<SessionStep> ShrinkSession(std::vector<SessionStep> steps, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    auto time_left = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds;
    };
    size_t chunk = steps.size() / 2;
    while (chunk >= 1 && time_left()) {
        bool dropped = false;
        for (size_t at = 0; at < steps.size() && time_left();) {
            std::vector<SessionStep> candidate(steps.begin(), steps.begin() + static_cast<long>(at));
            const size_t end = at + chunk < steps.size() ? at + chunk : steps.size();
            candidate.insert(candidate.end(), steps.begin() + static_cast<long>(end), steps.end());
            const SessionOutcome o = ReplaySession(candidate, true);
            if (o.failed && !o.steps.empty()) {
                steps = o.steps;
                dropped = true;
            } else {
                at += chunk;
            }
        }
        if (!dropped) chunk /= 2;
        if (chunk > steps.size() / 2) chunk = steps.size() / 2;
    }
    return steps;
}

// ---------------------------------------------------------------------------
// Session scripts
// ---------------------------------------------------------------------------
std::string SessionScript(const std::vector<SessionStep>& steps, const std::string& comment) {
    std::ostringstream text;
    std::istringstream lines(comment);
    for (std::string line; std::getline(lines, line);) text << "# " << line << "\n";
    for (const SessionStep& s : steps) {
        switch (s.kind) {
        case SessionStep::kDown: text << "down " << s.x << " " << s.y << "\n"; break;
        case SessionStep::kMove: text << "move " << s.x << " " << s.y << "\n"; break;
        case SessionStep::kUp: text << "up\n"; break;
        case SessionStep::kTap: text << "tap " << s.x << " " << s.y << "\n"; break;
        case SessionStep::kWait: text << "wait " << s.wait_ms << "\n"; break;
        }
    }
    return text.str();
}

bool ParseSessionScript(const std::string& text, std::vector<SessionStep>* steps, std::string* error) {
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::string command;
        if (!(words >> command)) continue;
        long v[5] = {0, 0, 0, 0, 8};
        int n = 0;
        while (n < 5 && words >> v[n]) ++n;
        auto bad = [&] {
            *error = "line " + std::to_string(number) + ": " + line;
            return false;
        };
        auto point = [&](SessionStep::Kind kind, long x, long y) {
            steps->push_back(SessionStep{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), 0});
        };
        if (command == "down" && n == 2) {
            point(SessionStep::kDown, v[0], v[1]);
        } else if (command == "move" && n == 2) {
            point(SessionStep::kMove, v[0], v[1]);
        } else if (command == "up" && n == 0) {
            point(SessionStep::kUp, 0, 0);
        } else if (command == "tap" && n == 2) {
            point(SessionStep::kTap, v[0], v[1]);
        } else if (command == "drag" && (n == 4 || n == 5)) {
            if (v[4] < 1) return bad();
            point(SessionStep::kDown, v[0], v[1]);
            for (long k = 1; k <= v[4]; ++k)
                point(SessionStep::kMove, v[0] + (v[2] - v[0]) * k / v[4], v[1] + (v[3] - v[1]) * k / v[4]);
            point(SessionStep::kUp, 0, 0);
        } else if (command == "wait" && n == 1) {
            steps->push_back(SessionStep{SessionStep::kWait, 0, 0, static_cast<int32_t>(v[0])});
        } else if (command != "shot" && command != "expect" && command != "key") {  // not stylus input
            return bad();
        }
    }
    return true;
}
