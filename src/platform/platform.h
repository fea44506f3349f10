// What the program needs of a host: a 240 x 320 16-bit frame buffer that takes
// one block copy per frame, stylus and focus messages, a millisecond tick
// counter, and a few host-file-system services. Two backends implement the
// display and input part (desktop window, headless script runner); the
// file-system services are shared by both.
#pragma once
#include <cstddef>
#include <cstdint>

// The display's geometry as the frame buffer reports it.
struct GXDisplayProperties {
    uint32_t width;
    uint32_t height;
    int32_t x_pitch;  // bytes between horizontally adjacent pixels
    int32_t y_pitch;  // bytes between vertically adjacent pixels
    int32_t bits_per_pixel;
    uint32_t format;
};
static_assert(sizeof(GXDisplayProperties) == 24);

// The screen every host shows: 240 x 320 pixels, portrait.
constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
// Its frame buffer: 16-bit pixels, rows top-down, no padding.
constexpr GXDisplayProperties kPortraitDisplay = {kScreenWidth, kScreenHeight, 2,
                                                  2 * kScreenWidth, 16, 0};

// Message numbers the shell's window procedure knows.
enum : uint32_t {
    kMessageDestroy = 2,
    kMessageSetFocus = 7,
    kMessageKillFocus = 8,
    kMessageClose = 16,  // the user closed the window
    kMessageQuit = 18,
    kMessageSettingChange = 26,
    kMessageKeyDown = 256,
    kMessageKeyUp = 257,
    kMessageMouseMove = 512,
    kMessageLeftButtonDown = 513,
    kMessageLeftButtonUp = 514,
};

// Keys of kMessageKeyDown and kMessageKeyUp: the key in word_param, the
// modifiers held in long_param. Letters and digits are their lower-case ASCII
// codes; the described program ignores keys, the host's features use them.
enum : uint32_t {
    kKeyBackspace = 8,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyDelete = 127,
    kKeyF1 = 0x101,
};
enum : uint32_t {
    kModifierShift = 1,
    kModifierCtrl = 2,
};

struct Message {
    uint32_t message;
    uint32_t word_param;
    uint32_t long_param;  // stylus messages: x in the low 16 bits, y in the high 16 bits
};

inline uint32_t PackPosition(int x, int y) {
    return (static_cast<uint32_t>(y) & 0xFFFF) << 16 | (static_cast<uint32_t>(x) & 0xFFFF);
}

// Where a pump of a live host ends early: after a pen-down when moves follow
// it, and after a move when a pen-up follows, so that the UI loop's pass
// after each pump sees the press point and the last point while the stylus
// is down, however fast a stroke. (A pen-up right behind the press may come
// along: the up leaves the stylus where the press put it.)
inline bool PumpEndsBetween(uint32_t delivered, uint32_t next) {
    return (delivered == kMessageLeftButtonDown && next == kMessageMouseMove) ||
           (delivered == kMessageMouseMove && next == kMessageLeftButtonUp);
}

// A backend: plain function pointers, chosen once at start.
struct PlatformBackend {
    const char* name;
    GXDisplayProperties (*display_properties)();
    // 1 when a message is queued; never blocks.
    int (*peek_message)();
    // Removes the first queued message; returns 0 when there is none.
    int (*get_message)(Message* out);
    // Frame buffer access for one presentation; null when none is available.
    uint16_t* (*begin_draw)();
    void (*end_draw)();
    uint32_t (*tick_count)();
    // Window and display life cycle; a desktop may ignore the taskbar.
    int (*create_window)(int show);
    void (*destroy_window)();
    void (*open_display)();
    void (*close_display)();
    void (*open_input)();
    void (*close_input)();
    void (*suspend)();
    void (*resume)();
    void (*set_taskbar_visible)(int visible);
};

// The active backend. Set by the executable (or a test) before the surface is built.
extern const PlatformBackend* platform;

// The process's exit status when the program ends: 0 unless a host check
// failed (a session script's expect line, for example).
int ExitStatus();
void SetExitStatus(int status);

// Thin wrappers with the display API's names, for the shell and the surface.
GXDisplayProperties GXGetDisplayProperties();
uint16_t* GXBeginDraw();
void GXEndDraw();
void GXOpenDisplay();
void GXCloseDisplay();
void GXOpenInput();
void GXCloseInput();
void GXSuspend();
void GXResume();
uint32_t GetTickCount();
