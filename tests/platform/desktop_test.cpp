// The desktop backend on SDL's window-less video driver: event translation,
// waiting for input, presentation and the window's scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace {

class Desktop : public testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        backend = DesktopBackend(2);
        if (backend->create_window(1) != 1) GTEST_SKIP() << "no SDL video: " << DesktopError();
        Drain();  // what the window itself announced at creation
    }
    void TearDown() override { backend->destroy_window(); }

    static void PushButton(uint32_t type, int x, int y, uint32_t which = 0, uint8_t button = SDL_BUTTON_LEFT) {
        SDL_Event e = {};
        e.type = type;
        e.button.which = which;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    static void PushMotion(int x, int y) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }
    static void PushFinger(uint32_t type, SDL_FingerID finger, float x, float y) {
        SDL_Event e = {};
        e.type = type;
        e.tfinger.fingerId = finger;
        e.tfinger.x = x;
        e.tfinger.y = y;
        SDL_PushEvent(&e);
    }
    static void PushWindowEvent(uint8_t event, uint32_t window_id = 0) {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = window_id;
        e.window.event = event;
        SDL_PushEvent(&e);
    }

    // The messages delivered until the queue is empty, pump after pump:
    // stylus messages with their screen position ("down 50,101"), the others
    // by name, and "|" where a pump ended with messages still queued.
    std::string Drain() {
        std::string out;
        Message m;
        for (int empty = 0; empty < 2;) {
            if (backend->peek_message() != 1) {
                if (++empty == 1 && !out.empty()) out += " |";
                continue;
            }
            empty = 0;
            backend->get_message(&m);
            static const std::map<uint32_t, std::string> names = {
                {513, "down"}, {512, "move"}, {514, "up"}, {7, "set-focus"}, {8, "kill-focus"}, {256, "key-down"},
                {16, "close"}};
            const std::string name = names.count(m.message) ? names.at(m.message) : "other";
            out += out.empty() ? name : " " + name;
            if (m.message >= 512 && m.message <= 514)
                out += " " + std::to_string(m.long_param & 0xFFFF) + "," + std::to_string(m.long_param >> 16);
        }
        if (out.size() >= 2 && out.compare(out.size() - 2, 2, " |") == 0) out.resize(out.size() - 2);
        return out;
    }

    const PlatformBackend* backend = nullptr;
};

}  // namespace

// The window is at scale 2: window pixel (479, 639) is screen pixel (239, 319).
TEST_F(Desktop, MouseIsTheStylusScaledAndClampedToTheScreenEdge) {
    PushMotion(50, 50);  // button up: a hovering stylus sends nothing
    PushButton(SDL_MOUSEBUTTONDOWN, 101, 203);
    PushButton(SDL_MOUSEBUTTONDOWN, 10, 10, 0, SDL_BUTTON_RIGHT);  // other buttons do nothing
    PushMotion(479, 639);
    PushMotion(480, 640);  // one past the last window pixel
    PushMotion(-1, 300);
    PushMotion(-400, -9000);
    PushMotion(100000, 7);
    PushButton(SDL_MOUSEBUTTONUP, 2000, -50);
    PushMotion(60, 60);
    // A pump ends after the press and after the last move: each shows to the UI loop.
    EXPECT_EQ(Drain(), "down 50,101 | move 239,319 move 239,319 move 0,150 move 0,0 move 239,3 | up 239,0");
}

TEST_F(Desktop, FingerActsAsStylusAndItsMouseCopiesAreDropped) {
    PushFinger(SDL_FINGERDOWN, 7, 0.5f, 0.25f);
    PushButton(SDL_MOUSEBUTTONDOWN, 240, 160, SDL_TOUCH_MOUSEID);
    PushFinger(SDL_FINGERDOWN, 8, 0.9f, 0.9f);  // a second finger is ignored
    PushFinger(SDL_FINGERMOTION, 7, 1.5f, 0.0f);
    PushFinger(SDL_FINGERUP, 8, 0.9f, 0.9f);
    PushFinger(SDL_FINGERUP, 7, 0.1f, 0.1f);
    EXPECT_EQ(Drain(), "down 120,80 | move 239,0 | up 24,32");
}

TEST_F(Desktop, WindowEventsBecomeMessagesAndLosingFocusLiftsTheStylus) {
    PushButton(SDL_MOUSEBUTTONDOWN, 100, 100);
    PushMotion(-20, 700);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // lifts the stylus where it was last
    PushButton(SDL_MOUSEBUTTONUP, 30, 30);        // the release arrives late: already lifted
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // nothing down: no lift
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&key);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    // SDL adds its own quit event after the last window's close request.
    const std::string got = Drain();
    EXPECT_EQ(got.rfind("down 50,50 | move 0,319 | up 0,319 kill-focus set-focus kill-focus key-down close", 0), 0u)
        << got;
}

// Peeks that find nothing: the median wall time of one, and the processor
// and wall time of all, in milliseconds. read_clock reads the tick counter
// before each peek, as timed loops do.
struct PeekTimes {
    double median_ms, cpu_ms, wall_ms;
    int found;
};

static PeekTimes TimePeeks(const PlatformBackend* backend, bool read_clock) {
    using Ms = std::chrono::duration<double, std::milli>;
    PeekTimes t = {0, 0, 0, 0};
    std::vector<double> each;
    const auto wall_start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    for (int i = 0; i < 200; ++i) {
        if (read_clock) backend->tick_count();
        const auto start = std::chrono::steady_clock::now();
        t.found += backend->peek_message();
        each.push_back(Ms(std::chrono::steady_clock::now() - start).count());
    }
    t.cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    t.wall_ms = Ms(std::chrono::steady_clock::now() - wall_start).count();
    std::sort(each.begin(), each.end());
    t.median_ms = each[each.size() / 2];
    return t;
}

// A peek waits its bound and sleeps meanwhile, not spinning; a program that
// reads the clock between peeks is timing something and gets control back
// sooner. SDL's clock counts whole milliseconds and a busy machine wakes
// sleepers late: the median and a few spare milliseconds keep both out of
// the verdict.
TEST_F(Desktop, IdlePeekWaitsBrieflyAndGivesTheProcessorBack) {
    PeekTimes idle = TimePeeks(backend, false);
    EXPECT_EQ(idle.found, 0);
    EXPECT_LE(idle.median_ms, kIdleWaitMs + 3.0);
    EXPECT_GE(idle.median_ms, kIdleWaitMs - 1.0);
    EXPECT_LT(idle.cpu_ms, idle.wall_ms / 2);
    PeekTimes timed = TimePeeks(backend, true);
    EXPECT_EQ(timed.found, 0);
    EXPECT_LE(timed.median_ms, kTimedWaitMs + 3.0);
    EXPECT_LT(timed.cpu_ms, timed.wall_ms / 2);
}

// A peek that waited would take the whole bound every time; a busy machine
// may delay a few peeks, so only most of them must return at once.
TEST_F(Desktop, PendingInputIsReportedWithoutWaiting) {
    int slow = 0;
    for (int i = 0; i < 50; ++i) {
        PushButton(i % 2 == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 10, 10);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(backend->peek_message(), 1);
        slow += std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(kIdleWaitMs);
        Message m;
        ASSERT_EQ(backend->get_message(&m), 1);
        EXPECT_EQ(m.message, i % 2 == 0 ? 513u : 514u);
    }
    EXPECT_LT(slow, 10);
}

namespace {

// The window the backend opened (the only one).
SDL_Window* OpenWindow() {
    for (Uint32 id = 1; id < 10000; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

void Present(const PlatformBackend* backend, uint16_t colour) {
    uint16_t* frame = backend->begin_draw();
    for (int i = 0; i < 240 * 320; ++i) frame[i] = colour;
    backend->end_draw();
}

}  // namespace

TEST_F(Desktop, PresentationKeepsToTheDisplaysRefreshRate) {
    SDL_Window* window = OpenWindow();
    ASSERT_NE(window, nullptr);
    SDL_DisplayMode mode;
    int hz = 60;
    if (SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 && mode.refresh_rate > 0)
        hz = mode.refresh_rate;
    using Ms = std::chrono::duration<double, std::milli>;

    // A loop that presents on every pass is held to one frame per interval,
    // whether or not the frames differ.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i <= 12; ++i) Present(backend, static_cast<uint16_t>(i / 2));
    const double paced_ms = Ms(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(paced_ms, 12 * 1000.0 / hz - 1.0);
}

TEST(DesktopPacing, AFrameWaitsOnlyForTheRestOfTheInterval) {
    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point last{milliseconds(1000)};
    const auto interval = milliseconds(16);
    // Too soon: held until one interval after the last frame.
    EXPECT_EQ(FramePresentTime(last, last + milliseconds(1), interval), last + interval);
    EXPECT_EQ(FramePresentTime(last, last + milliseconds(15), interval), last + interval);
    // Late: at once, and the next interval counts from now.
    EXPECT_EQ(FramePresentTime(last, last + milliseconds(16), interval), last + milliseconds(16));
    EXPECT_EQ(FramePresentTime(last, last + milliseconds(40), interval), last + milliseconds(40));
}

TEST_F(Desktop, UncoveredWindowShowsTheLastFrameAgain) {
    SDL_Window* window = OpenWindow();
    ASSERT_NE(window, nullptr);
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    ASSERT_NE(renderer, nullptr);
    auto pixel_at = [&](int x, int y) {
        SDL_Rect one = {x, y, 1, 1};
        uint32_t argb = 0;
        SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
        return argb & 0xFFFFFF;
    };
    Present(backend, 0xF800);  // red
    ASSERT_EQ(pixel_at(300, 400), 0xFF0000u);

    // The desktop throws the window's pixels away, then says it is uncovered.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    ASSERT_EQ(pixel_at(300, 400), 0u);
    PushWindowEvent(SDL_WINDOWEVENT_EXPOSED, SDL_GetWindowID(window));
    EXPECT_EQ(backend->peek_message(), 0);
    EXPECT_EQ(pixel_at(300, 400), 0xFF0000u);

    // Each scaled pixel is a whole square: screen pixel (1, 0) is window
    // pixels (2..3, 0..1) at scale 2.
    uint16_t* frame = backend->begin_draw();
    frame[1] = 0x001F;  // blue
    backend->end_draw();
    EXPECT_EQ(pixel_at(1, 0), 0xFF0000u);
    EXPECT_EQ(pixel_at(2, 0), 0x0000FFu);
    EXPECT_EQ(pixel_at(3, 1), 0x0000FFu);
    EXPECT_EQ(pixel_at(4, 0), 0xFF0000u);
}

TEST(DesktopScale, LargestWholeFactorFromOneToSixWhoseWindowFitsTheUsableArea) {
    const int w3 = 3 * 240 + kDecorationWidth, h3 = 3 * 320 + kDecorationHeight;
    const struct {
        int width, height, scale;
    } cases[] = {
        {1366, 738, 2}, {1920, 1053, 3}, {2560, 1400, 4}, {3840, 2100, 6},  // desktops less their panels
        {600, 2000, 2},                                                      // portrait: the width limits
        {w3, h3, 3}, {w3, h3 - 1, 2}, {w3 - 1, h3, 2},  // the window with its frame fits, or misses by one
        {800, 600, 1}, {200, 150, 1}, {0, 0, 1}, {-5, 1000, 1}, {7680, 4320, 6},  // never below 1 nor above 6
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseDesktopScale(c.width, c.height), c.scale) << c.width << " x " << c.height;
}

TEST(DesktopScale, WindowIsAWholeMultipleChosenOrAskedFor) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const PlatformBackend* backend = DesktopBackend(kAutomaticDesktopScale);
    EXPECT_EQ(DesktopScale(), kAutomaticDesktopScale);
    if (backend->create_window(1) != 1) GTEST_SKIP() << "no SDL video: " << DesktopError();
    SDL_Rect usable;
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
    const int chosen = DesktopScale();
    int w = 0, h = 0;
    SDL_GetWindowSize(OpenWindow(), &w, &h);
    EXPECT_EQ(chosen, ChooseDesktopScale(usable.w, usable.h));
    EXPECT_EQ(w, 240 * chosen);
    EXPECT_EQ(h, 320 * chosen);
    backend->destroy_window();

    // A scale that does not fit is made smaller, unless it insists ("6!").
    for (const bool forced : {false, true}) {
        backend = DesktopBackend(6, forced);
        ASSERT_EQ(backend->create_window(1), 1);
        SDL_GetWindowSize(OpenWindow(), &w, &h);
        EXPECT_EQ(DesktopScale(), forced ? 6 : chosen);
        EXPECT_EQ(w, 240 * DesktopScale());
        backend->destroy_window();
    }
    DesktopBackend(9);
    EXPECT_EQ(DesktopScale(), 6);
    DesktopBackend(-3);
    EXPECT_EQ(DesktopScale(), 1);
}

// The window's place on a desktop area: centred where it fits, its top-left
// (and the title bar above it) on the area where it does not.
TEST(DesktopScale, AWindowTooLargeKeepsItsTopOnTheDesktop) {
    const struct { int x, y, w, h, asked; bool forced; int scale, left, top; bool shrunk; } kRows[] = {
        {0, 0, 1920, 1080, 0, false, 3, 600, 68, false},     // the largest that fits, centred
        {0, 0, 1920, 1080, 6, false, 3, 600, 68, true},      // too large: made smaller, said so
        {100, 40, 800, 600, 6, true, 6, 108, 72, false},     // insisted: its top-left stays on the area
        {100, 40, 800, 600, 1, false, 1, 380, 188, false},   // an area that does not start at 0
    };
    for (const auto& r : kRows) {
        const WindowPlacement p = PlaceWindow(r.x, r.y, r.w, r.h, r.asked, r.forced);
        EXPECT_EQ(p.scale, r.scale) << r.asked;
        EXPECT_EQ(p.x, r.left) << r.asked;
        EXPECT_EQ(p.y, r.top) << r.asked;
        EXPECT_EQ(p.shrunk, r.shrunk) << r.asked;
    }
}
