// The desktop backend's event translation, on SDL's window-less video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
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
