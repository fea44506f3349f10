// The headless backend: a script fed into a message queue on a virtual clock,
// frames kept in memory and written as PNG files on request. The timing rules
// are stated at the top of headless.h.
#include "platform/headless.h"

#include "platform/host_files.h"


#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

constexpr uint64_t kClockStart = 1000000;
constexpr uint64_t kSettleMs = 10;
constexpr int kDefaultDragSteps = 8;
constexpr int kMaxDragSteps = 1000;
constexpr int64_t kMaxWaitMs = 86400000;  // one day
constexpr int kQueueCapacity = 8;         // a step queues at most two messages, plus the close

enum StepKind : uint8_t { kStepInput, kStepWait, kStepShot };

// One unit of the script as the feeder runs it.
struct Step {
    StepKind kind;
    uint8_t message_count;  // input: 1, or 2 for a tap
    uint8_t ends_command;   // 1 on the last step of a command line
    int line;
    Message messages[2];
    uint64_t wait_ms;
    std::string shot_file;
};

struct HeadlessState {
    // The script.
    bool script_loaded = false;
    std::string script_name;
    std::vector<Step> steps;
    size_t next_step = 0;
    int commands_total = 0;
    int commands_done = 0;
    bool close_queued = false;
    std::string shot_folder = ".";

    // Time and messages.
    uint64_t clock_ms = kClockStart;
    uint64_t next_due_ms = kClockStart;
    Message queue[kQueueCapacity] = {};
    int queue_head = 0;
    int queue_count = 0;

    // Display.
    uint16_t frame[kScreenWidth * kScreenHeight] = {};
    uint32_t frames_presented = 0;

    char trace[2048] = {};
    size_t trace_length = 0;
};

static HeadlessState headless;

static void Trace(const char* call) {
    size_t length = std::strlen(call);
    size_t separator = headless.trace_length > 0 ? 1 : 0;
    // A full trace keeps its beginning; start-up order matters most.
    if (headless.trace_length + separator + length >= sizeof headless.trace) return;
    if (separator) headless.trace[headless.trace_length++] = ' ';
    std::memcpy(headless.trace + headless.trace_length, call, length + 1);
    headless.trace_length += length;
}

static void Enqueue(const Message& m) {
    if (headless.queue_count == kQueueCapacity) return;
    headless.queue[(headless.queue_head + headless.queue_count) % kQueueCapacity] = m;
    ++headless.queue_count;
}

void ResetHeadless() {
    headless.script_loaded = false;
    headless.script_name.clear();
    headless.steps.clear();
    headless.next_step = 0;
    headless.commands_total = 0;
    headless.commands_done = 0;
    headless.close_queued = false;
    headless.shot_folder = ".";
    headless.clock_ms = kClockStart;
    headless.next_due_ms = kClockStart;
    headless.queue_head = 0;
    headless.queue_count = 0;
    std::memset(headless.frame, 0, sizeof headless.frame);
    headless.frames_presented = 0;
    headless.trace[0] = '\0';
    headless.trace_length = 0;
}

void SetHeadlessShotFolder(const char* folder) {
    headless.shot_folder = folder != nullptr && folder[0] != '\0' ? folder : ".";
}

uint32_t HeadlessClock() { return static_cast<uint32_t>(headless.clock_ms); }
uint32_t HeadlessFramesPresented() { return headless.frames_presented; }
const uint16_t* HeadlessLastFrame() { return headless.frame; }
bool HeadlessScriptFinished() { return headless.close_queued; }
int HeadlessLinesLeft() { return headless.commands_total - headless.commands_done; }
const char* HeadlessTrace() { return headless.trace; }

// ---------------------------------------------------------------------------
// Script parsing
// ---------------------------------------------------------------------------

struct CommandRule {
    const char* name;
    int min_arguments;
    int max_arguments;
    const char* usage;
};

static const CommandRule kCommands[] = {
    {"down", 2, 2, "down X Y"},
    {"move", 2, 2, "move X Y"},
    {"up",   0, 0, "up"},
    {"tap",  2, 2, "tap X Y"},
    {"drag", 4, 5, "drag X1 Y1 X2 Y2 [STEPS]"},
    {"wait", 1, 1, "wait MS"},
    {"shot", 1, 1, "shot FILE"},
};

constexpr int kMaxTokens = 8;

struct Parser {
    const char* name;
    int line;
    char* error;
    size_t error_capacity;
};

static bool Fail(Parser& p, const char* what) {
    if (p.error != nullptr && p.error_capacity > 0)
        std::snprintf(p.error, p.error_capacity, "%s:%d: %s", p.name, p.line, what);
    return false;
}

// A decimal integer: an optional minus sign and digits, nothing else, within
// low .. high.
static bool ParseNumber(Parser& p, const std::string& token, const char* what, long long low,
                        long long high, long long* out) {
    char message[160];
    size_t start = token[0] == '-' ? 1 : 0;
    size_t digits = token.size() - start;
    bool decimal = digits >= 1;
    for (size_t i = start; i < token.size(); ++i) decimal = decimal && token[i] >= '0' && token[i] <= '9';
    if (!decimal) {
        std::snprintf(message, sizeof message, "\"%.60s\" is not a decimal integer", token.c_str());
        return Fail(p, message);
    }
    // More than 12 digits is out of any range here, and strtoll stays far from overflow.
    long long value = digits > 12 ? high + 1 : std::strtoll(token.c_str(), nullptr, 10);
    if (value < low || value > high) {
        std::snprintf(message, sizeof message, "%s %.40s is out of range (%lld to %lld)", what,
                      token.c_str(), low, high);
        return Fail(p, message);
    }
    *out = value;
    return true;
}

static Step InputStep(int line, uint32_t message, int x, int y) {
    Step s = {};
    s.kind = kStepInput;
    s.message_count = 1;
    s.line = line;
    s.messages[0] = {message, message == kMessageLeftButtonDown ? 1u : 0u, PackPosition(x, y)};
    return s;
}

static bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Appends the steps of one command line to steps; false with the error set.
static bool ParseLine(Parser& p, const std::string& text, std::vector<Step>& steps, int* last_x,
                      int* last_y) {
    // Words end at blanks; a '#' ends the line. Words beyond kMaxTokens are
    // only counted.
    std::string tokens[kMaxTokens];
    int count = 0;
    size_t end = text.find('#');
    if (end == std::string::npos) end = text.size();
    for (size_t i = 0; i < end;) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < end && !IsBlank(text[i])) ++i;
        if (count < kMaxTokens) tokens[count] = text.substr(start, i - start);
        ++count;
    }
    if (count == 0) return true;

    const CommandRule* rule = nullptr;
    for (const CommandRule& r : kCommands)
        if (tokens[0] == r.name) rule = &r;
    char message[160];
    if (rule == nullptr) {
        std::snprintf(message, sizeof message, "unknown command \"%.60s\"", tokens[0].c_str());
        return Fail(p, message);
    }
    int arguments = count - 1;
    if (arguments < rule->min_arguments || arguments > rule->max_arguments) {
        std::snprintf(message, sizeof message, "wrong number of arguments: %d given, the form is \"%s\"",
                      arguments, rule->usage);
        return Fail(p, message);
    }

    const std::string& command = tokens[0];
    long long v[5] = {};
    if (command == "wait") {
        if (!ParseNumber(p, tokens[1], "wait", 0, kMaxWaitMs, &v[0])) return false;
        Step s = {};
        s.kind = kStepWait;
        s.line = p.line;
        s.wait_ms = static_cast<uint64_t>(v[0]);
        steps.push_back(s);
    } else if (command == "shot") {
        Step s = {};
        s.kind = kStepShot;
        s.line = p.line;
        s.shot_file = tokens[1];
        steps.push_back(s);
    } else {
        for (int k = 0; k < arguments; ++k) {
            bool is_steps = command == "drag" && k == 4;
            if (!ParseNumber(p, tokens[k + 1], is_steps ? "steps" : "coordinate",
                             is_steps ? 1 : -32768, is_steps ? kMaxDragSteps : 32767, &v[k]))
                return false;
        }
        int x = static_cast<int>(v[0]), y = static_cast<int>(v[1]);
        if (command == "down") {
            steps.push_back(InputStep(p.line, kMessageLeftButtonDown, x, y));
        } else if (command == "move") {
            steps.push_back(InputStep(p.line, kMessageMouseMove, x, y));
        } else if (command == "up") {
            x = *last_x;
            y = *last_y;
            steps.push_back(InputStep(p.line, kMessageLeftButtonUp, x, y));
        } else if (command == "tap") {
            Step s = InputStep(p.line, kMessageLeftButtonDown, x, y);
            s.message_count = 2;
            s.messages[1] = {kMessageLeftButtonUp, 0, PackPosition(x, y)};
            steps.push_back(s);
        } else {  // drag
            int x2 = static_cast<int>(v[2]), y2 = static_cast<int>(v[3]);
            int count_moves = arguments == 5 ? static_cast<int>(v[4]) : kDefaultDragSteps;
            steps.push_back(InputStep(p.line, kMessageLeftButtonDown, x, y));
            // Move k lands at start + (end - start) * k / moves, truncated toward
            // zero; the last move is exactly the end point.
            for (int k = 1; k <= count_moves; ++k) {
                int mx = x + (x2 - x) * k / count_moves;
                int my = y + (y2 - y) * k / count_moves;
                steps.push_back(InputStep(p.line, kMessageMouseMove, mx, my));
            }
            steps.push_back(InputStep(p.line, kMessageLeftButtonUp, x2, y2));
            x = x2;
            y = y2;
        }
        *last_x = x;
        *last_y = y;
    }
    steps.back().ends_command = 1;
    return true;
}

bool LoadHeadlessScriptText(const char* name, const char* text, char* error, size_t error_capacity) {
    headless.script_loaded = false;
    headless.steps.clear();
    headless.next_step = 0;
    headless.commands_total = 0;
    headless.commands_done = 0;
    headless.close_queued = false;
    if (error != nullptr && error_capacity > 0) error[0] = '\0';

    Parser p = {name != nullptr ? name : "script", 0, error, error_capacity};
    std::vector<Step> steps;
    int commands = 0;
    int last_x = 0, last_y = 0;
    const char* line_start = text != nullptr ? text : "";
    for (;;) {
        const char* line_end = std::strchr(line_start, '\n');
        size_t length = line_end != nullptr ? static_cast<size_t>(line_end - line_start)
                                            : std::strlen(line_start);
        ++p.line;
        size_t before = steps.size();
        if (!ParseLine(p, std::string(line_start, length), steps, &last_x, &last_y)) return false;
        if (steps.size() != before) ++commands;
        if (line_end == nullptr) break;
        line_start = line_end + 1;
    }

    headless.script_name = p.name;
    headless.steps = std::move(steps);
    headless.commands_total = commands;
    headless.script_loaded = true;
    headless.next_due_ms = headless.clock_ms;
    return true;
}

bool LoadHeadlessScriptFile(const char* path, char* error, size_t error_capacity) {
    headless.script_loaded = false;
    headless.steps.clear();
    if (error != nullptr && error_capacity > 0) error[0] = '\0';
    FILE* file = std::fopen(path, "rb");
    std::string text;
    bool ok = file != nullptr;
    if (ok) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
        ok = !std::ferror(file);
        std::fclose(file);
    }
    if (!ok) {
        if (error != nullptr && error_capacity > 0)
            std::snprintf(error, error_capacity, "%s: cannot read the script (%s)", path,
                          std::strerror(errno));
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        size_t line = 1;
        for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) line += text[i] == '\n';
        if (error != nullptr && error_capacity > 0)
            std::snprintf(error, error_capacity, "%s:%zu: the script is not text", path, line);
        return false;
    }
    return LoadHeadlessScriptText(path, text.c_str(), error, error_capacity);
}

// ---------------------------------------------------------------------------
// Screenshots
// ---------------------------------------------------------------------------

bool WriteFramePng(const uint16_t* frame, const char* host_path) {
    // Each channel's top bits, the low bits zero: r << 3, g << 2, b << 3.
    static uint8_t rgb[kScreenWidth * kScreenHeight * 3];
    uint8_t* out = rgb;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i, out += 3) {
        const uint16_t word = frame[i];
        out[0] = static_cast<uint8_t>((word >> 11) << 3);
        out[1] = static_cast<uint8_t>(((word >> 5) & 63) << 2);
        out[2] = static_cast<uint8_t>((word & 31) << 3);
    }
    return EncodePngFile(host_path, kScreenWidth, kScreenHeight, rgb);
}

// A screenshot that cannot be written ends the run: a session whose results
// are missing must not look like a success.
static void TakeShot(const Step& step) {
    std::string path = step.shot_file[0] == '/' ? step.shot_file
                                                : headless.shot_folder + "/" + step.shot_file;
    if (WriteFramePng(headless.frame, path.c_str())) return;
    std::fprintf(stderr, "%s:%d: cannot write the screenshot %s (%s)\n",
                 headless.script_name.c_str(), step.line, path.c_str(), std::strerror(errno));
    std::exit(1);
}

// ---------------------------------------------------------------------------
// Feeding and the backend's entry points
// ---------------------------------------------------------------------------

// Runs the due steps while the queue is empty; queues the close message once
// the script is over and its last step has settled.
static void FeedScript() {
    if (!headless.script_loaded) return;
    while (headless.queue_count == 0 && headless.next_step < headless.steps.size() &&
           headless.clock_ms >= headless.next_due_ms) {
        const Step& step = headless.steps[headless.next_step++];
        switch (step.kind) {
            case kStepInput:
                for (int i = 0; i < step.message_count; ++i) Enqueue(step.messages[i]);
                headless.next_due_ms = headless.clock_ms + kSettleMs;
                break;
            case kStepWait:
                headless.next_due_ms = headless.clock_ms + step.wait_ms;
                break;
            case kStepShot:
                TakeShot(step);
                break;
        }
        headless.commands_done += step.ends_command;
    }
    if (headless.queue_count == 0 && headless.next_step == headless.steps.size() &&
        headless.clock_ms >= headless.next_due_ms && !headless.close_queued) {
        Enqueue({kMessageClose, 0, 0});
        headless.close_queued = true;
    }
}

static GXDisplayProperties HeadlessDisplayProperties() { return kPortraitDisplay; }

static int HeadlessPeek() {
    FeedScript();
    if (headless.queue_count > 0) return 1;
    ++headless.clock_ms;
    return 0;
}

static int HeadlessGet(Message* out) {
    if (headless.queue_count == 0) return 0;
    *out = headless.queue[headless.queue_head];
    headless.queue_head = (headless.queue_head + 1) % kQueueCapacity;
    --headless.queue_count;
    ++headless.clock_ms;
    return 1;
}

static uint16_t* HeadlessBeginDraw() { return headless.frame; }
static void HeadlessEndDraw() { ++headless.frames_presented; }
static uint32_t HeadlessTicks() { return static_cast<uint32_t>(headless.clock_ms); }

static int HeadlessCreateWindow(int) {
    Trace("create_window");
    return 1;
}
static void HeadlessDestroyWindow() { Trace("destroy_window"); }
static void HeadlessOpenDisplay() { Trace("open_display"); }
static void HeadlessCloseDisplay() { Trace("close_display"); }
static void HeadlessOpenInput() { Trace("open_input"); }
static void HeadlessCloseInput() { Trace("close_input"); }
static void HeadlessSuspend() { Trace("suspend"); }
static void HeadlessResume() { Trace("resume"); }
static void HeadlessSetTaskbarVisible(int visible) {
    Trace((visible & 0xFF) != 0 ? "set_taskbar_visible(1)" : "set_taskbar_visible(0)");
}

static const PlatformBackend kHeadlessBackend = {
    "headless",
    HeadlessDisplayProperties,
    HeadlessPeek,
    HeadlessGet,
    HeadlessBeginDraw,
    HeadlessEndDraw,
    HeadlessTicks,
    HeadlessCreateWindow,
    HeadlessDestroyWindow,
    HeadlessOpenDisplay,
    HeadlessCloseDisplay,
    HeadlessOpenInput,
    HeadlessCloseInput,
    HeadlessSuspend,
    HeadlessResume,
    HeadlessSetTaskbarVisible,
};

const PlatformBackend* HeadlessBackend() { return &kHeadlessBackend; }
