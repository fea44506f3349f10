// The desktop backend on SDL's window-less video driver: event translation,
// waiting for input, pacing, presentation and the window's scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "platform/desktop.h"

namespace {

using Ms = std::chrono::duration<double, std::milli>;

// One SDL event: a mouse button (x, y, which, button), motion (x, y), a
// finger (x and y in hundredths of the window, finger id) or a window event
// (event, window id).
void Push(uint32_t type, int a = 0, int b = 0, int c = 0, int d = SDL_BUTTON_LEFT) {
    SDL_Event e = {};
    e.type = type;
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP)
        e.button.x = a, e.button.y = b, e.button.which = uint32_t(c), e.button.button = uint8_t(d);
    if (type == SDL_MOUSEMOTION) e.motion.x = a, e.motion.y = b;
    if (type == SDL_FINGERDOWN || type == SDL_FINGERUP || type == SDL_FINGERMOTION)
        e.tfinger.x = float(a) / 100, e.tfinger.y = float(b) / 100, e.tfinger.fingerId = c;
    if (type == SDL_WINDOWEVENT) e.window.event = uint8_t(a), e.window.windowID = uint32_t(b);
    SDL_PushEvent(&e);
}

SDL_Window* OpenWindow() {  // the window the backend opened (the only one)
    for (Uint32 id = 1; id < 10000; ++id) if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
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
    // 514 up, 8 and 7 focus lost and gained, 16 close), stylus messages with
    // their screen position, and "|" where a pump ended with messages queued.
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
            out += " " + std::to_string(m.message);
            if (m.message >= 512 && m.message <= 514)
                out += " " + std::to_string(m.long_param & 0xFFFF) + "," + std::to_string(m.long_param >> 16);
        }
        return out.ends_with(" |") ? out.substr(0, out.size() - 2) : out;
    }
    void Present(uint16_t colour) {
        std::fill_n(backend->begin_draw(), 240 * 320, colour);
        backend->end_draw();
    }
    const PlatformBackend* backend = nullptr;
};

}  // namespace

// At scale 2 window pixel (479, 639) is screen pixel (239, 319); positions
// are clamped to the screen. Hovering and other buttons send nothing; the
// first finger is a stylus too, its mouse copies dropped. Losing the focus
// lifts the stylus where it was last. A pump ends after a press that moves
// follow and after the last move before a release, so the UI loop sees both.
TEST_F(Desktop, MouseFingerAndWindowEventsBecomeMessages) {
    const int touch = int(SDL_TOUCH_MOUSEID), lost = SDL_WINDOWEVENT_FOCUS_LOST;
    const int events[][5] = {
        {SDL_MOUSEMOTION, 50, 50}, {SDL_MOUSEBUTTONDOWN, 101, 203}, {SDL_MOUSEBUTTONDOWN, 10, 10, 0, SDL_BUTTON_RIGHT},
        {SDL_MOUSEMOTION, 479, 639}, {SDL_MOUSEMOTION, 480, 640}, {SDL_MOUSEMOTION, -1, 300},
        {SDL_MOUSEMOTION, -400, -9000}, {SDL_MOUSEMOTION, 100000, 7}, {SDL_MOUSEBUTTONUP, 2000, -50},
        {SDL_MOUSEMOTION, 60, 60}, {SDL_FINGERDOWN, 50, 25, 7}, {SDL_MOUSEBUTTONDOWN, 240, 160, touch},
        {SDL_FINGERDOWN, 90, 90, 8}, {SDL_FINGERMOTION, 90, 90, 8}, {SDL_FINGERMOTION, 150, 0, 7},
        {SDL_FINGERUP, 90, 90, 8}, {SDL_FINGERUP, 10, 10, 7}, {SDL_MOUSEBUTTONDOWN, 100, 100},
        {SDL_MOUSEMOTION, -20, 700}, {SDL_WINDOWEVENT, lost}, {SDL_MOUSEBUTTONUP, 30, 30},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED}, {SDL_WINDOWEVENT, lost},
        {SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE},
    };
    for (const auto& e : events) Push(uint32_t(e[0]), e[1], e[2], e[3], e[4] ? e[4] : SDL_BUTTON_LEFT);
    const std::string got = Drain();  // SDL adds a quit event of its own at the end
    EXPECT_EQ(got.rfind(" 513 50,101 | 512 239,319 512 239,319 512 0,150 512 0,0 512 239,3 | 514 239,0 513 120,80 | "
                        "512 239,0 | 514 24,32 513 50,50 | 512 0,319 | 514 0,319 8 7 8 16", 0), 0u)
        << got;
}

// A peek that finds nothing waits its bound asleep; one after a read of the
// clock waits less. The median and spare milliseconds forgive late wake-ups.
TEST_F(Desktop, IdlePeeksWaitBrieflyAsleep) {
    for (bool timed : {false, true}) {
        std::vector<double> each;
        const auto wall = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        for (int i = 0; i < 101; ++i) {
            if (timed) backend->tick_count();
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(backend->peek_message(), 0);
            each.push_back(Ms(std::chrono::steady_clock::now() - start).count());
        }
        std::nth_element(each.begin(), each.begin() + 50, each.end());
        const double bound = timed ? kTimedWaitMs : kIdleWaitMs, cpu_ms = 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC;
        EXPECT_TRUE(each[50] <= bound + 3.0 && each[50] >= (timed ? 0.0 : bound - 1.0)) << timed << ": " << each[50];
        EXPECT_LT(cpu_ms, Ms(std::chrono::steady_clock::now() - wall).count() / 2) << timed;
    }
}

// Frames, equal or not, go up at most once per refresh interval; a late frame
// goes up at once and the next interval counts from it. The desktop may throw
// the window's pixels away; uncovered, it shows the last frame again at once.
// The window-less driver tells no refresh rate, so the rate is 60 Hz.
TEST_F(Desktop, PresentationKeepsToTheDisplaysRefreshRateAndSurvivesBeingCovered) {
    const int hz = 60;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i <= 12; ++i) Present(static_cast<uint16_t>(i / 2));
    EXPECT_GE(Ms(std::chrono::steady_clock::now() - start).count(), 12 * 1000.0 / hz - 1.0);

    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point last{milliseconds(1000)};
    for (int late : {1, 15, 16, 40})
        EXPECT_EQ(FramePresentTime(last, last + milliseconds(late), milliseconds(16)),
                  last + milliseconds(std::max(late, 16)))
            << late;

    SDL_Renderer* renderer = SDL_GetRenderer(OpenWindow());
    Present(0xF800);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED, int(SDL_GetWindowID(OpenWindow())));
    EXPECT_EQ(backend->peek_message(), 0);
    uint32_t argb = 0;
    const SDL_Rect one = {300, 400, 1, 1};
    SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
    EXPECT_EQ(argb & 0xFFFFFF, 0xFF0000u);
}

// The largest whole factor from 1 to 6 whose window fits the usable area;
// the window centred where it fits, else its top-left (and the title bar
// above it) on the area; a scale asked for is made smaller where it does not
// fit, unless it insists.
TEST(DesktopScale, LargestFactorThatFitsAndAPlaceOnTheDesktop) {
    const int w3 = 3 * 240 + kDecorationWidth, h3 = 3 * 320 + kDecorationHeight;
    const int cases[][3] = {
        {1366, 738, 2}, {600, 2000, 2}, {w3, h3, 3}, {w3, h3 - 1, 2}, {w3 - 1, h3, 2},
        {800, 600, 1}, {0, 0, 1}, {-5, 1000, 1}, {7680, 4320, 6},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseDesktopScale(c[0], c[1]), c[2]) << c[0] << " x " << c[1];
    const struct { int x, y, w, h, asked; bool forced; int scale, left, top; bool shrunk; } kRows[] = {
        {0, 0, 1920, 1080, 0, false, 3, 600, 68, false},    // the largest that fits, centred
        {0, 0, 1920, 1080, 6, false, 3, 600, 68, true},     // too large: made smaller, said so
        {100, 40, 800, 600, 6, true, 6, 108, 72, false},    // insisted: its top-left stays on the area
        {100, 40, 800, 600, 1, false, 1, 380, 188, false},  // an area that does not start at 0
    };
    for (const auto& r : kRows) {
        const WindowPlacement p = PlaceWindow(r.x, r.y, r.w, r.h, r.asked, r.forced);
        EXPECT_EQ(std::tuple(p.scale, p.x, p.y, p.shrunk), std::tuple(r.scale, r.left, r.top, r.shrunk)) << r.asked;
    }
}
