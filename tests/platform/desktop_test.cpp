// The desktop backend on SDL's window-less video driver: event translation,
// waiting for input, pacing, presentation and the window's scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace {

using Ms = std::chrono::duration<double, std::milli>;

template <typename Fill>
void Push(uint32_t type, Fill fill) {
    SDL_Event e = {};
    e.type = type;
    fill(e);
    SDL_PushEvent(&e);
}
void Button(uint32_t type, int x, int y, uint32_t which = 0, uint8_t button = SDL_BUTTON_LEFT) {
    Push(type, [&](SDL_Event& e) { e.button.which = which, e.button.button = button, e.button.x = x, e.button.y = y; });
}
void Motion(int x, int y) { Push(SDL_MOUSEMOTION, [&](SDL_Event& e) { e.motion.x = x, e.motion.y = y; }); }
void Finger(uint32_t type, SDL_FingerID id, float x, float y) {
    Push(type, [&](SDL_Event& e) { e.tfinger.fingerId = id, e.tfinger.x = x, e.tfinger.y = y; });
}
void WindowEvent(uint8_t event, uint32_t id = 0) {
    Push(SDL_WINDOWEVENT, [&](SDL_Event& e) { e.window.event = event, e.window.windowID = id; });
}

// The window the backend opened (the only one).
SDL_Window* OpenWindow() {
    for (Uint32 id = 1; id < 10000; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

class Desktop : public testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        backend = DesktopBackend(2);
        if (backend->create_window(1) != 1) GTEST_SKIP() << "no SDL video: " << DesktopError();
        Drain();  // what the window announced at creation
    }
    void TearDown() override { backend->destroy_window(); }

    // The messages until the queue is empty, by number (513 down, 512 move,
    // 514 up, 8 and 7 focus lost and gained, 256 and 257 keys, 16 close);
    // stylus messages with their screen position.
    std::string Drain() {
        std::string out;
        Message m;
        while (backend->peek_message() == 1 && backend->get_message(&m) == 1) {
            out += " " + std::to_string(m.message);
            if (m.message >= 512 && m.message <= 514)
                out += " " + std::to_string(m.long_param & 0xFFFF) + "," + std::to_string(m.long_param >> 16);
        }
        return out;
    }
    void Present(uint16_t colour) {
        std::fill_n(backend->begin_draw(), 240 * 320, colour);
        backend->end_draw();
    }
    const PlatformBackend* backend = nullptr;
};

}  // namespace

// At scale 2 window pixel (479, 639) is screen pixel (239, 319). Fingers are
// fractions of the window; the mouse copies of a touch are dropped.
TEST_F(Desktop, MouseAndFirstFingerAreTheStylusScaledAndClampedToTheScreen) {
    Motion(50, 50);  // hovering sends nothing
    Button(SDL_MOUSEBUTTONDOWN, 101, 203);
    Button(SDL_MOUSEBUTTONDOWN, 10, 10, 0, SDL_BUTTON_RIGHT);
    for (auto [x, y] : {std::pair(479, 639), {480, 640}, {-1, 300}, {-400, -9000}, {100000, 7}}) Motion(x, y);
    Button(SDL_MOUSEBUTTONUP, 2000, -50);
    Motion(60, 60);
    Finger(SDL_FINGERDOWN, 7, 0.5f, 0.25f);
    Button(SDL_MOUSEBUTTONDOWN, 240, 160, SDL_TOUCH_MOUSEID);
    Finger(SDL_FINGERDOWN, 8, 0.9f, 0.9f);
    Finger(SDL_FINGERMOTION, 8, 0.9f, 0.9f);
    Finger(SDL_FINGERMOTION, 7, 1.5f, 0.0f);
    Finger(SDL_FINGERUP, 8, 0.9f, 0.9f);
    Finger(SDL_FINGERUP, 7, 0.1f, 0.1f);
    EXPECT_EQ(Drain(), " 513 50,101 512 239,319 512 239,319 512 0,150 512 0,0 512 239,3 514 239,0 "
                       "513 120,80 512 239,0 514 24,32");
}

TEST_F(Desktop, WindowEventsBecomeMessagesAndLosingFocusLiftsTheStylus) {
    Button(SDL_MOUSEBUTTONDOWN, 100, 100);
    Motion(-20, 700);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // lifts the stylus where it was last
    Button(SDL_MOUSEBUTTONUP, 30, 30);        // late: already lifted
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // nothing down: no lift
    Push(SDL_KEYDOWN, [](SDL_Event& e) { e.key.keysym.sym = SDLK_a; });
    Push(SDL_KEYUP, [](SDL_Event& e) { e.key.keysym.sym = SDLK_a; });
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    const std::string got = Drain();  // SDL adds a quit event of its own at the end
    EXPECT_EQ(got.rfind(" 513 50,50 512 0,319 514 0,319 8 7 8 256 257 16", 0), 0u) << got;
}

// A peek that finds nothing waits its bound asleep; one after a read of the
// clock waits less. The median and a few spare milliseconds forgive a busy
// machine's late wake-ups.
TEST_F(Desktop, IdlePeeksWaitBrieflyAsleep) {
    for (bool timed : {false, true}) {
        std::vector<double> each;
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        for (int i = 0; i < 200; ++i) {
            if (timed) backend->tick_count();
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(backend->peek_message(), 0);
            each.push_back(Ms(std::chrono::steady_clock::now() - start).count());
        }
        const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        std::sort(each.begin(), each.end());
        const double bound = timed ? kTimedWaitMs : kIdleWaitMs;
        EXPECT_LE(each[100], bound + 3.0) << timed;
        EXPECT_GE(each[100], timed ? 0.0 : bound - 1.0);
        EXPECT_LT(cpu_ms, Ms(std::chrono::steady_clock::now() - wall).count() / 2) << timed;
    }
}

// Frames, equal or not, go up at most once per refresh interval; a late frame
// goes up at once and the next interval counts from it.
TEST_F(Desktop, PresentationKeepsToTheDisplaysRefreshRate) {
    SDL_DisplayMode mode;
    int hz = 60;
    if (SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(OpenWindow()), &mode) == 0 && mode.refresh_rate > 0)
        hz = mode.refresh_rate;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i <= 12; ++i) Present(static_cast<uint16_t>(i / 2));
    EXPECT_GE(Ms(std::chrono::steady_clock::now() - start).count(), 12 * 1000.0 / hz - 1.0);

    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point last{milliseconds(1000)};
    for (int late : {1, 15, 16, 40})
        EXPECT_EQ(FramePresentTime(last, last + milliseconds(late), milliseconds(16)),
                  last + milliseconds(std::max(late, 16)))
            << late;
}

// The desktop may throw the window's pixels away; uncovered, it shows the
// last frame again. Each screen pixel is a whole square of window pixels.
TEST_F(Desktop, UncoveredWindowShowsTheLastFrameAgainInSquarePixels) {
    SDL_Renderer* renderer = SDL_GetRenderer(OpenWindow());
    ASSERT_NE(renderer, nullptr);
    auto pixel_at = [&](int x, int y) {
        SDL_Rect one = {x, y, 1, 1};
        uint32_t argb = 0;
        SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
        return argb & 0xFFFFFF;
    };
    SDL_SetRenderDrawColor(renderer, 0, 0, 255, 255);
    SDL_RenderClear(renderer);
    Present(0x0000);  // the first frame goes up even when black
    EXPECT_EQ(pixel_at(300, 400), 0u);
    Present(0xF800);
    ASSERT_EQ(pixel_at(300, 400), 0xFF0000u);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    ASSERT_EQ(pixel_at(300, 400), 0u);
    WindowEvent(SDL_WINDOWEVENT_EXPOSED, SDL_GetWindowID(OpenWindow()));
    EXPECT_EQ(backend->peek_message(), 0);
    EXPECT_EQ(pixel_at(300, 400), 0xFF0000u);

    backend->begin_draw()[1] = 0x001F;
    backend->end_draw();
    for (auto [x, y, rgb] : {std::tuple(1, 0, 0xFF0000u), {2, 0, 0xFFu}, {3, 1, 0xFFu}, {4, 0, 0xFF0000u}})
        EXPECT_EQ(pixel_at(x, y), rgb) << x << "," << y;
}

TEST(DesktopScale, LargestWholeFactorFromOneToSixWhoseWindowFitsTheUsableArea) {
    const int w3 = 3 * 240 + kDecorationWidth, h3 = 3 * 320 + kDecorationHeight;
    const int cases[][3] = {
        {1366, 738, 2}, {1920, 1053, 3}, {2560, 1400, 4}, {3840, 2100, 6}, {600, 2000, 2},
        {w3, h3, 3},    {w3, h3 - 1, 2}, {w3 - 1, h3, 2}, {800, 600, 1},    {0, 0, 1},
        {-5, 1000, 1},  {7680, 4320, 6},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseDesktopScale(c[0], c[1]), c[2]) << c[0] << " x " << c[1];

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (int asked : {kAutomaticDesktopScale, 6}) {
        const PlatformBackend* backend = DesktopBackend(asked);
        EXPECT_EQ(DesktopScale(), asked);
        if (backend->create_window(1) != 1) GTEST_SKIP() << "no SDL video: " << DesktopError();
        EXPECT_EQ(backend->create_window(1), 1) << "a second call keeps the window";
        SDL_Rect usable;
        ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
        const int scale = asked ? asked : ChooseDesktopScale(usable.w, usable.h);
        int w = 0, h = 0;
        SDL_GetWindowSize(OpenWindow(), &w, &h);
        EXPECT_EQ(DesktopScale(), scale);
        EXPECT_EQ(w, 240 * scale);
        EXPECT_EQ(h, 320 * scale);
        backend->destroy_window();
    }
    DesktopBackend(9);
    EXPECT_EQ(DesktopScale(), 6);
    DesktopBackend(-3);
    EXPECT_EQ(DesktopScale(), 1);
}
