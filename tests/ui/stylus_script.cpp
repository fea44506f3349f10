#include "stylus_script.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "shell/shell.h"

namespace {

std::deque<std::vector<Message>> steps;
std::deque<Message> current;
bool pump_starting = true;  // the previous peek found nothing: a new pump begins
int empty_peeks = 0;
int frames = 0;
uint16_t frame[240 * 320];

// Past this many empty passes the loop under test has missed its exit.
constexpr int kMaxEmptyPeeks = 100000;

int Peek() {
    if (current.empty() && pump_starting && !steps.empty()) {
        current.assign(steps.front().begin(), steps.front().end());
        steps.pop_front();
    }
    if (!current.empty()) {
        pump_starting = false;
        return 1;
    }
    pump_starting = true;
    if (steps.empty() && ++empty_peeks > kMaxEmptyPeeks) {
        std::fprintf(stderr, "stylus script ran out while the UI loop was still running\n");
        std::abort();
    }
    return 0;
}

int Get(Message* out) {
    if (current.empty()) return 0;
    *out = current.front();
    current.pop_front();
    return 1;
}

const PlatformBackend kScripted = {
    "scripted stylus",
    [] { return GXDisplayProperties{240, 320, 2, 480, 16, 0}; },
    Peek,
    Get,
    []() -> uint16_t* { return frame; },
    [] { ++frames; },
    []() -> uint32_t { return 0; },
    [](int) { return 1; },
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [](int) {},
};

void Step(std::vector<Message> messages) { steps.push_back(std::move(messages)); }

}  // namespace

void StartStylusScript() {
    platform = &kScripted;
    steps.clear();
    current.clear();
    pump_starting = true;
    empty_peeks = 0;
    frames = 0;
    shell = ShellState{};
}

void StylusDown(int x, int y) { Step({{kMessageLeftButtonDown, 1, PackPosition(x, y)}}); }
void StylusMove(int x, int y) { Step({{kMessageMouseMove, 1, PackPosition(x, y)}}); }
void StylusUp() { Step({{kMessageLeftButtonUp, 0, 0}}); }
// The loop handles the press on this pass and the release on the next, which
// must see no new input.
void StylusTap(int x, int y) {
    Step({{kMessageLeftButtonDown, 1, PackPosition(x, y)}, {kMessageLeftButtonUp, 0, 0}});
    Step({});
}
void StylusIdle() { Step({}); }

int FramesPresented() { return frames; }
const uint16_t* LastFrame() { return frame; }
