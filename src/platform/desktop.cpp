// The desktop backend over SDL2: one window, one streaming RGB565 texture
// updated from the frame buffer at the end of each presentation, and SDL
// events translated into the program's messages.
#include "platform/desktop.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

constexpr int kScreenW = 240;
constexpr int kScreenH = 320;
constexpr int kQueueCapacity = 64;

struct DesktopState {
    int scale = kDefaultDesktopScale;
    bool sdl_started = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    uint16_t frame[kScreenW * kScreenH] = {};

    // Messages translated from SDL events, waiting for get_message.
    Message queue[kQueueCapacity] = {};
    int queue_head = 0;
    int queue_count = 0;

    bool stylus_down = false;       // the left button or the tracked finger is down
    SDL_FingerID finger = 0;        // the finger that acts as the stylus
    bool finger_down = false;
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

// Window pixels to screen pixels: divide by the scale, clamp to the screen.
static uint32_t WindowToScreen(int x, int y) {
    return PackPosition(Clamp(x / desktop.scale, 0, kScreenW - 1),
                        Clamp(y / desktop.scale, 0, kScreenH - 1));
}

// Finger positions are fractions of the window.
static uint32_t FingerToScreen(float fx, float fy) {
    return PackPosition(Clamp(static_cast<int>(fx * kScreenW), 0, kScreenW - 1),
                        Clamp(static_cast<int>(fy * kScreenH), 0, kScreenH - 1));
}

static void Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            Enqueue(16, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Enqueue(kMessageSetFocus, 0, 0);
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) Enqueue(kMessageKillFocus, 0, 0);
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) Enqueue(16, 0, 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
            // Touches arrive as finger events; their mouse copies are dropped.
            if (e.button.which == SDL_TOUCH_MOUSEID || e.button.button != SDL_BUTTON_LEFT) break;
            desktop.stylus_down = true;
            Enqueue(kMessageLeftButtonDown, 1, WindowToScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.which == SDL_TOUCH_MOUSEID || e.button.button != SDL_BUTTON_LEFT) break;
            if (!desktop.stylus_down) break;
            desktop.stylus_down = false;
            Enqueue(kMessageLeftButtonUp, 0, WindowToScreen(e.button.x, e.button.y));
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which == SDL_TOUCH_MOUSEID || !desktop.stylus_down || desktop.finger_down)
                break;
            Enqueue(kMessageMouseMove, 1, WindowToScreen(e.motion.x, e.motion.y));
            break;
        case SDL_FINGERDOWN:
            if (desktop.finger_down || desktop.stylus_down) break;
            desktop.finger_down = true;
            desktop.stylus_down = true;
            desktop.finger = e.tfinger.fingerId;
            Enqueue(kMessageLeftButtonDown, 1, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_FINGERMOTION:
            if (!desktop.finger_down || e.tfinger.fingerId != desktop.finger) break;
            Enqueue(kMessageMouseMove, 1, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_FINGERUP:
            if (!desktop.finger_down || e.tfinger.fingerId != desktop.finger) break;
            desktop.finger_down = false;
            desktop.stylus_down = false;
            Enqueue(kMessageLeftButtonUp, 0, FingerToScreen(e.tfinger.x, e.tfinger.y));
            break;
        case SDL_KEYDOWN:
            Enqueue(kMessageKeyDown, static_cast<uint32_t>(e.key.keysym.sym), 0);
            break;
        case SDL_KEYUP:
            Enqueue(kMessageKeyUp, static_cast<uint32_t>(e.key.keysym.sym), 0);
            break;
        default:
            break;
    }
}

static GXDisplayProperties DesktopDisplayProperties() { return {240, 320, 2, 480, 16, 0}; }

static int DesktopPeek() {
    if (desktop.sdl_started) {
        // Leave events in SDL's own queue while ours is full.
        SDL_Event e;
        while (desktop.queue_count < kQueueCapacity - 1 && SDL_PollEvent(&e)) Translate(e);
    }
    if (desktop.queue_count > 0) return 1;
    SDL_Delay(1);
    return 0;
}

static int DesktopGet(Message* out) {
    if (desktop.queue_count == 0) return 0;
    *out = desktop.queue[desktop.queue_head];
    desktop.queue_head = (desktop.queue_head + 1) % kQueueCapacity;
    --desktop.queue_count;
    return 1;
}

static uint16_t* DesktopBeginDraw() { return desktop.frame; }

static void DesktopEndDraw() {
    if (desktop.texture == nullptr) return;
    SDL_UpdateTexture(desktop.texture, nullptr, desktop.frame, kScreenW * 2);
    SDL_RenderClear(desktop.renderer);
    SDL_RenderCopy(desktop.renderer, desktop.texture, nullptr, nullptr);
    SDL_RenderPresent(desktop.renderer);
}

static uint32_t DesktopTicks() { return SDL_GetTicks(); }

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
    desktop.window = SDL_CreateWindow("KalveNorix", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                      kScreenW * desktop.scale, kScreenH * desktop.scale, 0);
    if (desktop.window == nullptr) return Failed();
    desktop.renderer = SDL_CreateRenderer(desktop.window, -1, 0);
    if (desktop.renderer == nullptr) return Failed();
    desktop.texture = SDL_CreateTexture(desktop.renderer, SDL_PIXELFORMAT_RGB565,
                                        SDL_TEXTUREACCESS_STREAMING, kScreenW, kScreenH);
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

const PlatformBackend* DesktopBackend(int scale) {
    desktop.scale = scale < kMinDesktopScale ? kMinDesktopScale
                    : scale > kMaxDesktopScale ? kMaxDesktopScale
                                               : scale;
    return &kDesktopBackend;
}
