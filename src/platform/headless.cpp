// The headless backend: a script fed into a message queue on a virtual clock,
// frames kept in memory and written as PNG files on request. The timing rules
// are stated at the top of headless.h.
#include "platform/headless.h"

#include "platform/host_files.h"


#include <cctype>
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

enum StepKind : uint8_t { kStepInput, kStepWait, kStepShot, kStepExpect, kStepHost };

// One unit of the script as the feeder runs it.
struct Step {
    StepKind kind;
    uint8_t message_count;  // input: 1, or 2 for a tap
    uint8_t ends_command;   // 1 on the last step of a command line
    int line;
    Message messages[2];
    uint64_t wait_ms;
    std::string text;  // shot: the file name
    std::vector<std::string> words;  // a host command: its name and arguments
    int host_command;                // its index in the registered commands
    int x, y;          // expect: the pixel
    uint32_t rgb;      // expect: its colour as a shot shows it
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
    int failed_checks = 0;
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
    headless.failed_checks = 0;
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

const char* HeadlessShotFolder() { return headless.shot_folder.c_str(); }

uint32_t HeadlessClock() { return static_cast<uint32_t>(headless.clock_ms); }
uint32_t HeadlessFramesPresented() { return headless.frames_presented; }
const uint16_t* HeadlessLastFrame() { return headless.frame; }
bool HeadlessScriptFinished() { return headless.close_queued; }
int HeadlessFailedChecks() { return headless.failed_checks; }
int HeadlessLinesLeft() { return headless.commands_total - headless.commands_done; }
const char* HeadlessTrace() { return headless.trace; }

// ---------------------------------------------------------------------------
// Script parsing
// ---------------------------------------------------------------------------

constexpr int kMaxTokens = 8;

// One command line split into words: a '#' ends the line; words beyond
// kMaxTokens are only counted.
struct Tokens {
    std::string word[kMaxTokens];
    int count = 0;
};

static bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

static Tokens Tokenize(const std::string& text) {
    Tokens t;
    size_t end = text.find('#');
    if (end == std::string::npos) end = text.size();
    for (size_t i = 0; i < end;) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < end && !IsBlank(text[i])) ++i;
        if (t.count < kMaxTokens) t.word[t.count] = text.substr(start, i - start);
        ++t.count;
    }
    return t;
}

// The parse of one script: where messages point, and where the stylus was
// left by the commands so far (an `up` lifts it there).
struct Parser {
    const char* name;
    int line;
    char* error;
    size_t error_capacity;
    int last_x;
    int last_y;
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

// Screen coordinates reach the program as 16-bit values.
static bool ParsePoint(Parser& p, const Tokens& t, int first, int* x, int* y) {
    long long vx, vy;
    if (!ParseNumber(p, t.word[first], "coordinate", -32768, 32767, &vx) ||
        !ParseNumber(p, t.word[first + 1], "coordinate", -32768, 32767, &vy))
        return false;
    *x = static_cast<int>(vx);
    *y = static_cast<int>(vy);
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

// ---------------------------------------------------------------------------
// One builder per command: it checks the arguments and appends the steps.
// ---------------------------------------------------------------------------
using StepBuilder = bool (*)(Parser& p, const Tokens& t, std::vector<Step>& steps);

static bool BuildDown(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    if (!ParsePoint(p, t, 1, &p.last_x, &p.last_y)) return false;
    steps.push_back(InputStep(p.line, kMessageLeftButtonDown, p.last_x, p.last_y));
    return true;
}

static bool BuildMove(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    if (!ParsePoint(p, t, 1, &p.last_x, &p.last_y)) return false;
    steps.push_back(InputStep(p.line, kMessageMouseMove, p.last_x, p.last_y));
    return true;
}

static bool BuildUp(Parser& p, const Tokens&, std::vector<Step>& steps) {
    steps.push_back(InputStep(p.line, kMessageLeftButtonUp, p.last_x, p.last_y));
    return true;
}

static bool BuildTap(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    if (!ParsePoint(p, t, 1, &p.last_x, &p.last_y)) return false;
    Step s = InputStep(p.line, kMessageLeftButtonDown, p.last_x, p.last_y);
    s.message_count = 2;
    s.messages[1] = {kMessageLeftButtonUp, 0, PackPosition(p.last_x, p.last_y)};
    steps.push_back(s);
    return true;
}

// Move k lands at start + (end - start) * k / moves, truncated toward zero;
// the last move is exactly the end point.
static bool BuildDrag(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    int x, y, x2, y2;
    if (!ParsePoint(p, t, 1, &x, &y) || !ParsePoint(p, t, 3, &x2, &y2)) return false;
    long long moves = kDefaultDragSteps;
    if (t.count == 6 && !ParseNumber(p, t.word[5], "steps", 1, kMaxDragSteps, &moves)) return false;
    steps.push_back(InputStep(p.line, kMessageLeftButtonDown, x, y));
    for (int k = 1; k <= moves; ++k) {
        const int mx = x + (x2 - x) * k / static_cast<int>(moves);
        const int my = y + (y2 - y) * k / static_cast<int>(moves);
        steps.push_back(InputStep(p.line, kMessageMouseMove, mx, my));
    }
    steps.push_back(InputStep(p.line, kMessageLeftButtonUp, x2, y2));
    p.last_x = x2;
    p.last_y = y2;
    return true;
}

static bool BuildWait(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    long long ms;
    if (!ParseNumber(p, t.word[1], "wait", 0, kMaxWaitMs, &ms)) return false;
    Step s = {};
    s.kind = kStepWait;
    s.line = p.line;
    s.wait_ms = static_cast<uint64_t>(ms);
    steps.push_back(s);
    return true;
}

static bool BuildShot(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    Step s = {};
    s.kind = kStepShot;
    s.line = p.line;
    s.text = t.word[1];
    steps.push_back(s);
    return true;
}

// Six hexadecimal digits, as a shot shows the colour.
static bool BuildExpect(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    int x, y;
    if (!ParsePoint(p, t, 1, &x, &y)) return false;
    if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight)
        return Fail(p, "expect: the point lies outside the 240 x 320 screen");
    const std::string& colour = t.word[3];
    bool hex = colour.size() == 6;
    for (char ch : colour) hex = hex && std::isxdigit(static_cast<unsigned char>(ch));
    if (!hex) return Fail(p, "expect: the colour is six hexadecimal digits, RRGGBB");
    Step s = {};
    s.kind = kStepExpect;
    s.line = p.line;
    s.x = x;
    s.y = y;
    s.rgb = static_cast<uint32_t>(std::strtoul(colour.c_str(), nullptr, 16));
    steps.push_back(s);
    return true;
}

// A key and the modifiers before it, joined by '+': "ctrl+shift+z", "delete".
static bool BuildKey(Parser& p, const Tokens& t, std::vector<Step>& steps) {
    static const struct { const char* name; uint32_t key; } kNamedKeys[] = {
        {"space", kKeySpace}, {"escape", kKeyEscape}, {"delete", kKeyDelete},
        {"backspace", kKeyBackspace}, {"f1", kKeyF1},
    };
    uint32_t modifiers = 0;
    std::string rest = t.word[1];
    for (char& ch : rest) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();) {
        const std::string modifier = rest.substr(0, plus);
        if (modifier == "ctrl") modifiers |= kModifierCtrl;
        else if (modifier == "shift") modifiers |= kModifierShift;
        else return Fail(p, "key: the modifiers are ctrl and shift");
        rest = rest.substr(plus + 1);
    }
    uint32_t key = 0;
    if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0])))
        key = static_cast<uint8_t>(rest[0]);
    for (const auto& named : kNamedKeys)
        if (rest == named.name) key = named.key;
    if (key == 0) return Fail(p, "key: a letter, a digit, space, escape, delete, backspace or f1");
    Step s = {};
    s.kind = kStepInput;
    s.message_count = 2;
    s.line = p.line;
    s.messages[0] = {kMessageKeyDown, key, modifiers};
    s.messages[1] = {kMessageKeyUp, key, modifiers};
    steps.push_back(s);
    return true;
}

// The host's own commands, registered before the script is read.
struct HostCommand {
    char name[24];
    int min_arguments;
    int max_arguments;
    char usage[64];
    ScriptCommandFunction run;
};
constexpr int kHostCommandCapacity = 16;
static HostCommand host_commands[kHostCommandCapacity];
static int host_command_count = 0;

bool RegisterScriptCommand(const char* name, int min_arguments, int max_arguments,
                           const char* usage, ScriptCommandFunction run) {
    if (host_command_count == kHostCommandCapacity || std::strlen(name) >= sizeof host_commands[0].name)
        return false;
    HostCommand& c = host_commands[host_command_count++];
    std::snprintf(c.name, sizeof c.name, "%s", name);
    std::snprintf(c.usage, sizeof c.usage, "%s", usage);
    c.min_arguments = min_arguments;
    c.max_arguments = max_arguments;
    c.run = run;
    return true;
}

struct CommandRule {
    const char* name;
    int min_arguments;
    int max_arguments;
    const char* usage;
    StepBuilder build;
};

static const CommandRule kCommands[] = {
    {"down",   2, 2, "down X Y",                 BuildDown},
    {"move",   2, 2, "move X Y",                 BuildMove},
    {"up",     0, 0, "up",                       BuildUp},
    {"tap",    2, 2, "tap X Y",                  BuildTap},
    {"drag",   4, 5, "drag X1 Y1 X2 Y2 [STEPS]", BuildDrag},
    {"wait",   1, 1, "wait MS",                  BuildWait},
    {"shot",   1, 1, "shot FILE",                BuildShot},
    {"expect", 3, 3, "expect X Y RRGGBB",        BuildExpect},
    {"key",    1, 1, "key NAME",                 BuildKey},
};

static bool BuildHostStep(Parser& p, const Tokens& t, int command, std::vector<Step>& steps) {
    const HostCommand& c = host_commands[command];
    const int arguments = t.count - 1;
    if (arguments < c.min_arguments || arguments > c.max_arguments || t.count > kMaxTokens) {
        char message[160];
        std::snprintf(message, sizeof message, "wrong number of arguments: %d given, the form is \"%s\"",
                      arguments, c.usage);
        return Fail(p, message);
    }
    Step s = {};
    s.kind = kStepHost;
    s.line = p.line;
    s.host_command = command;
    s.words.assign(t.word, t.word + t.count);
    steps.push_back(s);
    return true;
}

// Appends the steps of one command line; false with the error set.
static bool ParseLine(Parser& p, const std::string& text, std::vector<Step>& steps) {
    const Tokens t = Tokenize(text);
    if (t.count == 0) return true;
    const CommandRule* rule = nullptr;
    for (const CommandRule& r : kCommands)
        if (t.word[0] == r.name) rule = &r;
    for (int k = 0; rule == nullptr && k < host_command_count; ++k) {
        if (t.word[0] != host_commands[k].name) continue;
        if (!BuildHostStep(p, t, k, steps)) return false;
        steps.back().ends_command = 1;
        return true;
    }
    char message[160];
    if (rule == nullptr) {
        std::snprintf(message, sizeof message, "unknown command \"%.60s\"", t.word[0].c_str());
        return Fail(p, message);
    }
    const int arguments = t.count - 1;
    if (arguments < rule->min_arguments || arguments > rule->max_arguments) {
        std::snprintf(message, sizeof message, "wrong number of arguments: %d given, the form is \"%s\"",
                      arguments, rule->usage);
        return Fail(p, message);
    }
    if (!rule->build(p, t, steps)) return false;
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

    Parser p = {name != nullptr ? name : "script", 0, error, error_capacity, 0, 0};
    std::vector<Step> steps;
    int commands = 0;
    const char* line_start = text != nullptr ? text : "";
    for (;;) {
        const char* line_end = std::strchr(line_start, '\n');
        size_t length = line_end != nullptr ? static_cast<size_t>(line_end - line_start)
                                            : std::strlen(line_start);
        ++p.line;
        size_t before = steps.size();
        if (!ParseLine(p, std::string(line_start, length), steps)) return false;
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
    std::string path = step.text[0] == '/' ? step.text : headless.shot_folder + "/" + step.text;
    if (WriteFramePng(headless.frame, path.c_str())) return;
    std::fprintf(stderr, "%s:%d: cannot write the screenshot %s (%s)\n",
                 headless.script_name.c_str(), step.line, path.c_str(), std::strerror(errno));
    std::exit(1);
}

// The colour word as a shot writes it: each channel's top bits, low bits zero.
static uint32_t ShotRgb(uint16_t word) {
    const uint32_t red = (word >> 11) << 3, green = ((word >> 5) & 63) << 2, blue = (word & 31) << 3;
    return red << 16 | green << 8 | blue;
}

// A pixel that differs is reported and the run goes on; the program's exit
// status tells that a check failed.
static void CheckPixel(const Step& step) {
    const uint32_t shown = ShotRgb(headless.frame[step.x + step.y * kScreenWidth]);
    if (shown == step.rgb) return;
    std::fprintf(stderr, "%s:%d: expected %06X at (%d, %d), the screen shows %06X\n",
                 headless.script_name.c_str(), step.line, step.rgb, step.x, step.y, shown);
    ++headless.failed_checks;
    SetExitStatus(1);
}

// A host command that fails is reported with its line; the run goes on and
// ends with status 1.
static void RunHostCommand(const Step& step) {
    const char* argv[kMaxTokens];
    for (size_t i = 0; i < step.words.size(); ++i) argv[i] = step.words[i].c_str();
    char message[256] = "";
    if (host_commands[step.host_command].run(static_cast<int>(step.words.size()), argv, message,
                                             sizeof message))
        return;
    std::fprintf(stderr, "%s:%d: %s\n", headless.script_name.c_str(), step.line, message);
    ++headless.failed_checks;
    SetExitStatus(1);
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
            case kStepExpect:
                CheckPixel(step);
                break;
            case kStepHost:
                RunHostCommand(step);
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
