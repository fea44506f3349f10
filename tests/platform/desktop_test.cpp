// The desktop backend on SDL's window-less video driver: event translation,
// waiting for input, presentation and the window's scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/desktop.h"

namespace {

class Desktop : public testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        backend = DesktopBackend(2);
        if (backend->create_window(1) != 1) GTEST_SKIP() << "no SDL video: " << DesktopError();
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
    static void PushMotion(int x, int y, uint32_t which = 0) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.which = which;
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
    static void PushWindowEvent(uint8_t event) {
        SDL_Event e = {};
        e.type = SDL_WINDOWEVENT;
        e.window.event = event;
        SDL_PushEvent(&e);
    }

    // Drains SDL's queue of what the window itself announced at creation.
    void Settle() {
        Message m;
        while (backend->peek_message() == 1) backend->get_message(&m);
    }

    std::vector<Message> Drain() {
        std::vector<Message> out;
        Message m;
        while (backend->peek_message() == 1) {
            backend->get_message(&m);
            out.push_back(m);
        }
        return out;
    }

    const PlatformBackend* backend = nullptr;
};

}  // namespace

TEST_F(Desktop, MouseBecomesStylusScaledAndClamped) {
    Settle();
    PushMotion(50, 50);  // button up: a hovering stylus sends nothing
    PushButton(SDL_MOUSEBUTTONDOWN, 101, 203);
    PushMotion(1000, -7);
    PushButton(SDL_MOUSEBUTTONDOWN, 10, 10, 0, SDL_BUTTON_RIGHT);  // other buttons do nothing
    PushButton(SDL_MOUSEBUTTONUP, 478, 639);
    PushMotion(60, 60);
    std::vector<Message> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, 513u);
    EXPECT_EQ(got[0].long_param, PackPosition(50, 101));
    EXPECT_EQ(got[1].message, 512u);
    EXPECT_EQ(got[1].long_param, PackPosition(239, 0));
    EXPECT_EQ(got[2].message, 514u);
    EXPECT_EQ(got[2].long_param, PackPosition(239, 319));
}

TEST_F(Desktop, FingerActsAsStylusAndItsMouseCopiesAreDropped) {
    Settle();
    PushFinger(SDL_FINGERDOWN, 7, 0.5f, 0.25f);
    PushButton(SDL_MOUSEBUTTONDOWN, 240, 160, SDL_TOUCH_MOUSEID);
    PushFinger(SDL_FINGERDOWN, 8, 0.9f, 0.9f);  // a second finger is ignored
    PushFinger(SDL_FINGERMOTION, 7, 1.5f, 0.0f);
    PushFinger(SDL_FINGERUP, 8, 0.9f, 0.9f);
    PushFinger(SDL_FINGERUP, 7, 0.1f, 0.1f);
    std::vector<Message> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, 513u);
    EXPECT_EQ(got[0].long_param, PackPosition(120, 80));
    EXPECT_EQ(got[1].message, 512u);
    EXPECT_EQ(got[1].long_param, PackPosition(239, 0));
    EXPECT_EQ(got[2].message, 514u);
    EXPECT_EQ(got[2].long_param, PackPosition(24, 32));
}

TEST_F(Desktop, FocusCloseAndKeysBecomeWindowMessages) {
    Settle();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&key);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    std::vector<Message> got = Drain();
    std::vector<uint32_t> kinds;
    for (const Message& m : got) kinds.push_back(m.message);
    // SDL adds its own quit event after the last window's close request.
    ASSERT_GE(kinds.size(), 4u);
    EXPECT_EQ(kinds[0], 8u);
    EXPECT_EQ(kinds[1], 7u);
    EXPECT_EQ(kinds[2], 256u);
    EXPECT_EQ(kinds[3], 16u);
}

TEST_F(Desktop, DragThatLeavesTheWindowRunsAlongTheScreenEdge) {
    Settle();
    PushButton(SDL_MOUSEBUTTONDOWN, 479, 639);  // the last window pixel: screen (239, 319)
    PushMotion(-1, 300);                        // just left of the window
    PushMotion(-400, -9000);                    // far above and to the left
    PushMotion(480, 640);                       // one past the last window pixel
    PushMotion(100000, 7);
    PushButton(SDL_MOUSEBUTTONUP, 2000, -50);
    std::vector<Message> got = Drain();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].long_param, PackPosition(239, 319));
    EXPECT_EQ(got[1].long_param, PackPosition(0, 150));
    EXPECT_EQ(got[2].long_param, PackPosition(0, 0));
    EXPECT_EQ(got[3].long_param, PackPosition(239, 319));
    EXPECT_EQ(got[4].long_param, PackPosition(239, 3));
    EXPECT_EQ(got[5].message, 514u);
    EXPECT_EQ(got[5].long_param, PackPosition(239, 0));
}

TEST_F(Desktop, LosingFocusLiftsAStylusThatIsDown) {
    Settle();
    PushButton(SDL_MOUSEBUTTONDOWN, 100, 100);
    PushMotion(-20, 700);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushButton(SDL_MOUSEBUTTONUP, 30, 30);  // the release arrives late: already lifted
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // nothing down: no lift
    std::vector<Message> got = Drain();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].message, 513u);
    EXPECT_EQ(got[1].message, 512u);
    EXPECT_EQ(got[2].message, 514u);
    EXPECT_EQ(got[2].long_param, PackPosition(0, 319));  // where the stylus was last
    EXPECT_EQ(got[3].message, 8u);
    EXPECT_EQ(got[4].message, 7u);
    EXPECT_EQ(got[5].message, 8u);
}

// ---------------------------------------------------------------------------
// Waiting for input
// ---------------------------------------------------------------------------
// Peeks that find nothing: the median wall time of one, and the processor
// and wall time of all, in milliseconds. read_clock reads the tick counter
// before each peek, as timed loops do.
struct PeekTimes {
    double median_ms;
    double cpu_ms;
    double wall_ms;
    int found;
};

static PeekTimes TimePeeks(const PlatformBackend* backend, int peeks, bool read_clock) {
    using Ms = std::chrono::duration<double, std::milli>;
    PeekTimes t = {0, 0, 0, 0};
    std::vector<double> each;
    const auto wall_start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    for (int i = 0; i < peeks; ++i) {
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

TEST_F(Desktop, IdlePeekWaitsBrieflyAndGivesTheProcessorBack) {
    Settle();
    // A peek waits its bound and sleeps meanwhile, not spinning. SDL's clock
    // counts whole milliseconds, and a busy machine wakes sleepers late: the
    // median and a few spare milliseconds keep both out of the verdict.
    constexpr int kPeeks = 200;
    PeekTimes idle = TimePeeks(backend, kPeeks, false);
    EXPECT_EQ(idle.found, 0);
    EXPECT_LE(idle.median_ms, kIdleWaitMs + 3.0);
    EXPECT_GE(idle.median_ms, kIdleWaitMs - 1.0);
    EXPECT_LT(idle.cpu_ms, idle.wall_ms / 2);

    // A program that reads the clock between peeks is timing something: it
    // gets control back sooner.
    PeekTimes timed = TimePeeks(backend, kPeeks, true);
    EXPECT_EQ(timed.found, 0);
    EXPECT_LE(timed.median_ms, kTimedWaitMs + 3.0);
    EXPECT_LT(timed.cpu_ms, timed.wall_ms / 2);
}

TEST_F(Desktop, PendingInputIsReportedWithoutWaiting) {
    Settle();
    for (int i = 0; i < 50; ++i) {
        PushButton(i % 2 == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 10, 10);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(backend->peek_message(), 1);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(waited, std::chrono::milliseconds(kIdleWaitMs)) << "peek " << i;
        Message m;
        ASSERT_EQ(backend->get_message(&m), 1);
        EXPECT_EQ(m.message, i % 2 == 0 ? 513u : 514u);
    }
}

// ---------------------------------------------------------------------------
// Presentation
// ---------------------------------------------------------------------------
namespace {

// The window the backend opened (the only one).
SDL_Window* OpenWindow() {
    for (Uint32 id = 1; id < 10000; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    return nullptr;
}

double RefreshIntervalMs(SDL_Window* window) {
    SDL_DisplayMode mode;
    int hz = 60;
    if (SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 && mode.refresh_rate > 0)
        hz = mode.refresh_rate;
    return 1000.0 / hz;
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
    const double interval_ms = RefreshIntervalMs(window);
    using Ms = std::chrono::duration<double, std::milli>;

    // A loop that presents on every pass is held to one frame per interval,
    // whether or not the frames differ.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i <= 12; ++i) Present(backend, static_cast<uint16_t>(i / 2));
    const double paced_ms = Ms(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(paced_ms, 12 * interval_ms - 1.0);
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
    Settle();
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
    SDL_Event e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&e);
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

// ---------------------------------------------------------------------------
// Window size
// ---------------------------------------------------------------------------
TEST(DesktopScale, LargestWholeFactorWhoseWindowFitsTheUsableArea) {
    // Usable areas of common desktops (the display less its panels).
    EXPECT_EQ(ChooseDesktopScale(1366, 738), 2);
    EXPECT_EQ(ChooseDesktopScale(1920, 1053), 3);
    EXPECT_EQ(ChooseDesktopScale(2560, 1400), 4);
    EXPECT_EQ(ChooseDesktopScale(3840, 2100), 6);
    // A portrait display limited by its width.
    EXPECT_EQ(ChooseDesktopScale(600, 2000), 2);
    // The window with its frame fits exactly, or misses by one pixel.
    EXPECT_EQ(ChooseDesktopScale(3 * 240 + kDecorationWidth, 3 * 320 + kDecorationHeight), 3);
    EXPECT_EQ(ChooseDesktopScale(3 * 240 + kDecorationWidth, 3 * 320 + kDecorationHeight - 1), 2);
    EXPECT_EQ(ChooseDesktopScale(3 * 240 + kDecorationWidth - 1, 3 * 320 + kDecorationHeight), 2);
}

TEST(DesktopScale, NeverBelowOneNorAboveSix) {
    EXPECT_EQ(ChooseDesktopScale(800, 600), 1);
    EXPECT_EQ(ChooseDesktopScale(200, 150), 1);
    EXPECT_EQ(ChooseDesktopScale(0, 0), 1);
    EXPECT_EQ(ChooseDesktopScale(-5, 1000), 1);
    EXPECT_EQ(ChooseDesktopScale(7680, 4320), 6);
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

    // An explicit scale wins even where the window does not fit.
    backend = DesktopBackend(6);
    ASSERT_EQ(backend->create_window(1), 1);
    SDL_GetWindowSize(OpenWindow(), &w, &h);
    EXPECT_EQ(DesktopScale(), 6);
    EXPECT_EQ(w, 1440);
    EXPECT_EQ(h, 1920);
    backend->destroy_window();
    DesktopBackend(9);
    EXPECT_EQ(DesktopScale(), 6);
    DesktopBackend(-3);
    EXPECT_EQ(DesktopScale(), 1);
}
