// The desktop backend over SDL2: one window, one streaming RGB565 texture
// updated from the frame buffer at the end of each presentation, and SDL
// events translated into the program's messages.
#include "platform/desktop.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

constexpr int kQueueCapacity = 64;
constexpr int kFallbackRefreshHz = 60;

using Clock = std::chrono::steady_clock;

struct DesktopState {
    int requested_scale = kAutomaticDesktopScale;
    bool scale_forced = false;  // "--scale N!": the scale even when it does not fit
    uint32_t last_delivered = 0;  // the message the current pump handed over last
    int scale = 2;  // of the open window
    bool sdl_started = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    uint16_t frame[kScreenWidth * kScreenHeight] = {};  // the program draws here

    // Presentation: what the window shows, and when it last changed.
    uint16_t shown[kScreenWidth * kScreenHeight] = {};
    bool shown_valid = false;          // shown holds a presented frame
    Clock::duration refresh_interval = std::chrono::microseconds(1000000 / kFallbackRefreshHz);
    Clock::time_point last_present = {};

    // Messages translated from SDL events, waiting for get_message.
    Message queue[kQueueCapacity] = {};
    int queue_head = 0;
    int queue_count = 0;

    bool stylus_down = false;       // the left button or the tracked finger is down
    SDL_FingerID finger = 0;        // the finger that acts as the stylus
    bool finger_down = false;
    uint32_t stylus_position = 0;   // the last position sent, packed
    bool clock_read = false;        // the tick counter was read since the last peek
    bool notice_shown = false;      // the title carries a notice until notice_until
    uint32_t notice_until = 0;
    char error[256] = {};
};

static DesktopState desktop;

const char* DesktopError() { return desktop.error; }

static void Enqueue(uint32_t message, uint32_t word_param, uint32_t long_param) {
    if (desktop.queue_count == kQueueCapacity) return;
    desktop.queue[(desktop.queue_head + desktop.queue_count) % kQueueCapacity] = {
        message, word_param, long_param};
    ++desktop.queue_count;
}

static int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

int ChooseDesktopScale(int usable_width, int usable_height) {
    int scale = kMaxDesktopScale;
    while (scale > kMinDesktopScale && (kScreenWidth * scale + kDecorationWidth > usable_width ||
                                        kScreenHeight * scale + kDecorationHeight > usable_height))
        --scale;
    return scale;
}

WindowPlacement PlaceWindow(int usable_x, int usable_y, int usable_width, int usable_height,
                            int requested_scale, bool forced) {
    WindowPlacement place = {};
    const int fits = ChooseDesktopScale(usable_width, usable_height);
    place.scale = requested_scale == kAutomaticDesktopScale ? fits : requested_scale;
    if (place.scale > fits && !forced) {
        place.scale = fits;
        place.shrunk = true;
    }
    // Centred in the usable area, but never with the top-left corner (and
    // the title bar above it) off the area.
    const int width = kScreenWidth * place.scale, height = kScreenHeight * place.scale;
    const int spare_x = usable_width - width - kDecorationWidth;
    const int spare_y = usable_height - height - kDecorationHeight;
    place.x = usable_x + kDecorationWidth / 2 + (spare_x > 0 ? spare_x / 2 : 0);
    place.y = usable_y + kTitleBarHeight + (spare_y > 0 ? spare_y / 2 : 0);
    return place;
}

int DesktopScale() { return desktop.window != nullptr ? desktop.scale : desktop.requested_scale; }

// Window pixels to screen pixels: divide by the scale, clamp to the screen.
static uint32_t WindowToScreen(int x, int y) {
    return PackPosition(Clamp(x / desktop.scale, 0, kScreenWidth - 1),
                        Clamp(y / desktop.scale, 0, kScreenHeight - 1));
}

// Finger positions are fractions of the window.
static uint32_t FingerToScreen(float fx, float fy) {
    return PackPosition(Clamp(static_cast<int>(fx * kScreenWidth), 0, kScreenWidth - 1),
                        Clamp(static_cast<int>(fy * kScreenHeight), 0, kScreenHeight - 1));
}

static void SendStylus(uint32_t message, uint32_t word_param, uint32_t position) {
    desktop.stylus_position = position;
    Enqueue(message, word_param, position);
}

// Lifts a stylus that is down where it last was: the window is losing the
// input that would have lifted it.
static void LiftStylus() {
    if (!desktop.stylus_down) return;
    if (!desktop.finger_down) SDL_CaptureMouse(SDL_FALSE);
    desktop.stylus_down = false;
    desktop.finger_down = false;
    Enqueue(kMessageLeftButtonUp, 0, desktop.stylus_position);
}

static void ShowFrame(const uint16_t* pixels);
static void ReadRefreshRate();

// SDL's key codes are ASCII for letters, digits, space, escape, backspace
// and delete, as ours are; F1 has a code of its own. Other keys: 0.
static uint32_t KeyOf(SDL_Keycode sym) {
    if (sym == SDLK_F1) return kKeyF1;
    if ((sym >= 'a' && sym <= 'z') || (sym >= '0' && sym <= '9') || sym == SDLK_SPACE ||
        sym == SDLK_ESCAPE || sym == SDLK_BACKSPACE || sym == SDLK_DELETE)
        return static_cast<uint32_t>(sym);
    return 0;
}

static void Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            Enqueue(kMessageClose, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Enqueue(kMessageSetFocus, 0, 0);
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                LiftStylus();
                Enqueue(kMessageKillFocus, 0, 0);
            }
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) Enqueue(kMessageClose, 0, 0);
            // The desktop may have thrown the window's pixels away; a program
            // that is waiting for input will not present again by itself.
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED && desktop.shown_valid)
                ShowFrame(desktop.shown);
#if SDL_VERSION_ATLEAST(2, 0, 18)
            if (e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) ReadRefreshRate();
#endif
            break;
        case SDL_MOUSEBUTTONDOWN:
            // Touches arrive as finger events; their mouse copies are dropped.
            if (e.button.which == SDL_TOUCH_MOUSEID || e.button.button != SDL_BUTTON_LEFT) break;
            desktop.stylus_down = true;
            // Motion outside the window keeps coming while the button is held.
            SDL_CaptureMouse(SDL_TRUE);
            SendStylus(kMessageLeftButtonDown, 1, WindowToScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.which == SDL_TOUCH_MOUSEID || e.button.button != SDL_BUTTON_LEFT) break;
            if (!desktop.stylus_down || desktop.finger_down) break;
            desktop.stylus_down = false;
            SDL_CaptureMouse(SDL_FALSE);
            SendStylus(kMessageLeftButtonUp, 0, WindowToScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which == SDL_TOUCH_MOUSEID || !desktop.stylus_down || desktop.finger_down)
                break;
            SendStylus(kMessageMouseMove, 1, WindowToScreen(e.motion.x, e.motion.y));
            break;
        case SDL_FINGERDOWN:
            if (desktop.finger_down || desktop.stylus_down) break;
            desktop.finger_down = true;
            desktop.stylus_down = true;
            desktop.finger = e.tfinger.fingerId;
            SendStylus(kMessageLeftButtonDown, 1, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_FINGERMOTION:
            if (!desktop.finger_down || e.tfinger.fingerId != desktop.finger) break;
            SendStylus(kMessageMouseMove, 1, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_FINGERUP:
            if (!desktop.finger_down || e.tfinger.fingerId != desktop.finger) break;
            desktop.finger_down = false;
            desktop.stylus_down = false;
            SendStylus(kMessageLeftButtonUp, 0, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint32_t key = KeyOf(e.key.keysym.sym);
            if (key == 0) break;
            uint32_t modifiers = 0;
            if (e.key.keysym.mod & KMOD_SHIFT) modifiers |= kModifierShift;
            if (e.key.keysym.mod & KMOD_CTRL) modifiers |= kModifierCtrl;
            Enqueue(e.type == SDL_KEYDOWN ? kMessageKeyDown : kMessageKeyUp, key, modifiers);
            break;
        }
        default:
            break;
    }
}

static GXDisplayProperties DesktopDisplayProperties() { return kPortraitDisplay; }

// Moves what SDL has queued into our queue, without asking the desktop for
// more; events stay in SDL's queue while ours is full.
static void TakeQueuedEvents() {
    SDL_Event e;
    while (desktop.queue_count < kQueueCapacity - 1 &&
           SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1)
        Translate(e);
}

void ShowDesktopNotice(const char* text) {
    if (desktop.window == nullptr) return;
    char title[512];
    std::snprintf(title, sizeof title, "KalveNorix - %s", text);
    SDL_SetWindowTitle(desktop.window, title);
    desktop.notice_shown = true;
    desktop.notice_until = SDL_GetTicks() + kNoticeMs;
}

// Peeks come at least every kIdleWaitMs, often enough to take a notice down.
static void ExpireNotice() {
    if (!desktop.notice_shown || !SDL_TICKS_PASSED(SDL_GetTicks(), desktop.notice_until)) return;
    desktop.notice_shown = false;
    if (desktop.window != nullptr) SDL_SetWindowTitle(desktop.window, "KalveNorix");
}

// With messages queued, answers at once. Otherwise waits for the desktop's
// next event, the processor free meanwhile: at most kTimedWaitMs when the
// program is timing something (it read the tick counter since the last peek),
// so that its deadlines are met to the millisecond, else at most kIdleWaitMs.
static int DesktopPeek() {
    ExpireNotice();
    const uint32_t delivered = desktop.last_delivered;
    desktop.last_delivered = 0;
    if (desktop.queue_count > 0)
        return PumpEndsBetween(delivered, desktop.queue[desktop.queue_head].message) ? 0 : 1;
    const uint32_t wait_ms = desktop.clock_read ? kTimedWaitMs : kIdleWaitMs;
    desktop.clock_read = false;
    if (!desktop.sdl_started) {
        SDL_Delay(wait_ms);
        return 0;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(wait_ms)) == 1) {
        Translate(e);
        TakeQueuedEvents();
    }
    return desktop.queue_count > 0 ? 1 : 0;
}

static int DesktopGet(Message* out) {
    if (desktop.queue_count == 0) return 0;
    *out = desktop.queue[desktop.queue_head];
    desktop.last_delivered = out->message;
    desktop.queue_head = (desktop.queue_head + 1) % kQueueCapacity;
    --desktop.queue_count;
    return 1;
}

static uint16_t* DesktopBeginDraw() { return desktop.frame; }

static void ShowFrame(const uint16_t* pixels) {
    SDL_UpdateTexture(desktop.texture, nullptr, pixels, kScreenWidth * 2);
    SDL_RenderClear(desktop.renderer);
    SDL_RenderCopy(desktop.renderer, desktop.texture, nullptr, nullptr);
    SDL_RenderPresent(desktop.renderer);
}

// The refresh rate of the display that shows the window; 60 Hz when it does
// not tell.
static void ReadRefreshRate() {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(desktop.window);
    int hz = kFallbackRefreshHz;
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        hz = mode.refresh_rate;
    desktop.refresh_interval = std::chrono::microseconds(1000000 / hz);
}

// A frame is shown no sooner than one refresh interval after the last: a loop
// that presents on every pass waits here for the display. The next interval
// counts from when this frame was due, so the pace does not drift with the
// sleep's lateness; after a pause it counts from now.
Clock::time_point FramePresentTime(Clock::time_point last, Clock::time_point now,
                                   Clock::duration interval) {
    const Clock::time_point due = last + interval;
    return now < due ? due : now;
}

static void PaceToDisplay() {
    const Clock::time_point now = Clock::now();
    const Clock::time_point show = FramePresentTime(desktop.last_present, now, desktop.refresh_interval);
    if (show > now) std::this_thread::sleep_until(show);
    desktop.last_present = show;
}

static void DesktopEndDraw() {
    if (desktop.texture == nullptr) return;
    PaceToDisplay();
    // Overlays that animate ask for many frames that equal the one on show
    // (marching ants step every 64 ms); those need not travel to the desktop.
    if (desktop.shown_valid && std::memcmp(desktop.shown, desktop.frame, sizeof desktop.frame) == 0)
        return;
    std::memcpy(desktop.shown, desktop.frame, sizeof desktop.frame);
    desktop.shown_valid = true;
    ShowFrame(desktop.shown);
}

static uint32_t DesktopTicks() {
    desktop.clock_read = true;
    return SDL_GetTicks();
}

static void DesktopDestroyWindow() {
    if (desktop.texture != nullptr) SDL_DestroyTexture(desktop.texture);
    if (desktop.renderer != nullptr) SDL_DestroyRenderer(desktop.renderer);
    if (desktop.window != nullptr) SDL_DestroyWindow(desktop.window);
    desktop.texture = nullptr;
    desktop.renderer = nullptr;
    desktop.window = nullptr;
    if (desktop.sdl_started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    desktop.sdl_started = false;
    desktop.stylus_down = false;
    desktop.finger_down = false;
    desktop.shown_valid = false;
    desktop.last_present = {};
    desktop.notice_shown = false;
}

static int Failed() {
    std::snprintf(desktop.error, sizeof desktop.error, "%s", SDL_GetError());
    DesktopDestroyWindow();
    return 0;
}

static int DesktopCreateWindow(int) {
    if (desktop.window != nullptr) return 1;
    desktop.error[0] = '\0';
    // Only real touch screens send finger events; the mouse stays a mouse.
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // nearest neighbour: square pixels
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::snprintf(desktop.error, sizeof desktop.error, "%s", SDL_GetError());
        return 0;
    }
    desktop.sdl_started = true;
    // Without a display SDL may settle for a driver that shows nothing; a
    // window nobody sees would run until it is killed. A driver the user
    // names in SDL_VIDEODRIVER is taken as asked.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if ((asked == nullptr || asked[0] == '\0') && driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        std::snprintf(desktop.error, sizeof desktop.error, "no display found");
        DesktopDestroyWindow();
        return 0;
    }
    // The usable area leaves out panels and docks; without it, the whole
    // display; without that, a size every desktop has.
    SDL_Rect usable = {0, 0, 0, 0};
    SDL_DisplayMode mode;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        if (SDL_GetCurrentDisplayMode(0, &mode) == 0)
            usable = {0, 0, mode.w, mode.h};
        else
            usable = {0, 0, 640, 800};
    }
    const WindowPlacement place = PlaceWindow(usable.x, usable.y, usable.w, usable.h,
                                              desktop.requested_scale, desktop.scale_forced);
    if (place.shrunk)
        std::fprintf(stderr, "kalvenorix: --scale %d does not fit the desktop (%d x %d); using %d "
                     "(--scale %d! insists)\n", desktop.requested_scale, usable.w, usable.h,
                     place.scale, desktop.requested_scale);
    desktop.scale = place.scale;
    desktop.window = SDL_CreateWindow("KalveNorix", place.x, place.y, kScreenWidth * desktop.scale,
                                      kScreenHeight * desktop.scale, 0);
    if (desktop.window == nullptr) return Failed();
    ReadRefreshRate();
    desktop.renderer = SDL_CreateRenderer(desktop.window, -1, 0);
    if (desktop.renderer == nullptr) return Failed();
    desktop.texture = SDL_CreateTexture(desktop.renderer, SDL_PIXELFORMAT_RGB565,
                                        SDL_TEXTUREACCESS_STREAMING, kScreenWidth, kScreenHeight);
    if (desktop.texture == nullptr) return Failed();
    SDL_SetRenderDrawColor(desktop.renderer, 0, 0, 0, 255);
    return 1;
}

// The desktop has no taskbar to hide and keeps drawing while in the background.
static void Nothing() {}
static void NothingWith(int) {}

static const PlatformBackend kDesktopBackend = {
    "desktop",
    DesktopDisplayProperties,
    DesktopPeek,
    DesktopGet,
    DesktopBeginDraw,
    DesktopEndDraw,
    DesktopTicks,
    DesktopCreateWindow,
    DesktopDestroyWindow,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    NothingWith,
};

const PlatformBackend* DesktopBackend(int scale, bool forced) {
    desktop.scale_forced = forced;
    desktop.requested_scale =
        scale == kAutomaticDesktopScale ? scale : Clamp(scale, kMinDesktopScale, kMaxDesktopScale);
    return &kDesktopBackend;
}
