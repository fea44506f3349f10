// The web backend over Emscripten: a message queue fed by the page's pointer
// handlers, a frame converted to RGBA for the canvas, performance.now() as
// the clock, and idle peeks that yield to the browser. The rules are stated
// at the top of web.h. Only the Emscripten build (web/CMakeLists.txt)
// compiles this file's body; native builds compile it to nothing.
#ifdef __EMSCRIPTEN__
#include "platform/web.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/host_files.h"

constexpr int kScreenW = 240;
constexpr int kScreenH = 320;
constexpr int kQueueCapacity = 64;
constexpr uint64_t kTestClockStart = 1000000;  // as the headless runner's

struct WebState {
    uint16_t frame[kScreenW * kScreenH] = {};  // the program draws here
    uint32_t rgba[kScreenW * kScreenH] = {};   // what the canvas gets, byte order R G B A

    Message queue[kQueueCapacity] = {};
    int queue_head = 0;
    int queue_count = 0;
    uint32_t last_delivered = 0;  // the message the current pump handed over last

    bool clock_read = false;  // the tick counter was read since the last peek

    bool test_mode = false;
    uint64_t test_clock_ms = kTestClockStart;
    uint64_t test_limit_ms = kTestClockStart;
};

static WebState web;

// ---------------------------------------------------------------------------
// The page side (web/host.js defines knHost)
// ---------------------------------------------------------------------------

EM_JS(int, PageTestMode, (), { return knHost.testMode ? 1 : 0; });
EM_JS(double, PageNow, (), { return performance.now(); });
EM_JS(void, PageShowFrame, (const void* rgba), { knHost.show(rgba); });
EM_JS(double, PageTestLimit, (), { return knHost.test.limit; });

// Resolves at the next animation frame when paced, else at the next input.
EM_ASYNC_JS(void, PageWait, (int paced), { await knHost.wait(paced); });

// Resolves when the test raises the limit (knRunUntil).
EM_ASYNC_JS(void, PageStopForTest, (double clock), { await knHost.stopForTest(clock); });

// ---------------------------------------------------------------------------
// Input from the page
// ---------------------------------------------------------------------------

// The page's pointer handlers call this with a stylus message and a position
// already clamped to the screen. A full queue drops the newest message, as
// the desktop's does.
extern "C" EMSCRIPTEN_KEEPALIVE void WebStylus(uint32_t message, int x, int y) {
    if (web.queue_count == kQueueCapacity) return;
    const uint32_t word_param = message == kMessageLeftButtonUp ? 0u : 1u;
    web.queue[(web.queue_head + web.queue_count) % kQueueCapacity] = {message, word_param,
                                                                      PackPosition(x, y)};
    ++web.queue_count;
}

// The page's key handlers call this with a key message, our key code and the
// modifiers held (platform.h).
extern "C" EMSCRIPTEN_KEEPALIVE void WebKey(uint32_t message, uint32_t key, uint32_t modifiers) {
    if (web.queue_count == kQueueCapacity) return;
    web.queue[(web.queue_head + web.queue_count) % kQueueCapacity] = {message, key, modifiers};
    ++web.queue_count;
}

// ---------------------------------------------------------------------------
// The backend's entry points
// ---------------------------------------------------------------------------

static GXDisplayProperties WebDisplayProperties() { return kPortraitDisplay; }

// Test mode: an empty peek below the limit costs 1 ms of virtual time; at
// the limit the program stops until the test raises it.
static int TestPeek() {
    for (;;) {
        if (web.queue_count > 0) return 1;
        if (web.test_clock_ms < web.test_limit_ms) {
            ++web.test_clock_ms;
            return 0;
        }
        PageStopForTest(static_cast<double>(web.test_clock_ms));
        web.test_limit_ms = static_cast<uint64_t>(PageTestLimit());
    }
}

static int WebPeek() {
    const uint32_t delivered = web.last_delivered;
    web.last_delivered = 0;
    if (web.queue_count > 0 && PumpEndsBetween(delivered, web.queue[web.queue_head].message)) return 0;
    if (web.test_mode) return TestPeek();
    if (web.queue_count > 0) return 1;
    if (delivered != 0) return 0;
    const bool paced = web.clock_read;
    web.clock_read = false;
    PageWait(paced ? 1 : 0);
    return web.queue_count > 0 ? 1 : 0;
}

static int WebGet(Message* out) {
    if (web.queue_count == 0) return 0;
    *out = web.queue[web.queue_head];
    web.queue_head = (web.queue_head + 1) % kQueueCapacity;
    --web.queue_count;
    web.last_delivered = out->message;
    if (web.test_mode) ++web.test_clock_ms;
    return 1;
}

static uint16_t* WebBeginDraw() { return web.frame; }

// Each channel's top bits, the low bits zero, as in the headless runner's
// screenshots, so that the canvas and a shot hold the same values.
static void WebEndDraw() {
    for (int i = 0; i < kScreenW * kScreenH; ++i) {
        const uint32_t word = web.frame[i];
        const uint32_t r = (word >> 11) << 3;
        const uint32_t g = ((word >> 5) & 63) << 2;
        const uint32_t b = (word & 31) << 3;
        web.rgba[i] = r | g << 8 | b << 16 | 0xFF000000u;
    }
    PageShowFrame(web.rgba);
}

static uint32_t WebTicks() {
    if (web.test_mode) return static_cast<uint32_t>(web.test_clock_ms);
    web.clock_read = true;
    // The counter wraps as a 32-bit millisecond count does.
    return static_cast<uint32_t>(static_cast<uint64_t>(PageNow()));
}

static int WebCreateWindow(int) { return 1; }

// The page has no taskbar and no display to open or close.
static void Nothing() {}
static void NothingWith(int) {}

static const PlatformBackend kWebBackend = {
    "web",
    WebDisplayProperties,
    WebPeek,
    WebGet,
    WebBeginDraw,
    WebEndDraw,
    WebTicks,
    WebCreateWindow,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    Nothing,
    NothingWith,
};

const PlatformBackend* WebBackend() {
    web.test_mode = PageTestMode() != 0;
    return &kWebBackend;
}

bool WebTestMode() { return web.test_mode; }

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

// The browser decoded every packed picture when the page loaded; this reads
// its pixels (RGBA) and keeps red, green and blue. A picture that was not
// packed, or that the browser could not decode, is refused.
bool DecodeImageFile(const char* device_path, DecodedImage* out) {
    if (out == nullptr) return false;
    *out = {};
    char host[512];
    if (!DeviceToHostPath(device_path, host, sizeof host)) return false;
    int width = 0, height = 0;
    char* rgba = emscripten_get_preloaded_image_data(host, &width, &height);
    if (rgba == nullptr) return false;
    bool fits = width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide;
    size_t pixels = fits ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
    auto* rgb = fits ? static_cast<uint8_t*>(std::malloc(pixels * 3)) : nullptr;
    if (rgb != nullptr) {
        for (size_t i = 0; i < pixels; ++i) std::memcpy(rgb + i * 3, rgba + i * 4, 3);
        *out = {width, height, rgb};
    }
    std::free(rgba);
    return rgb != nullptr;
}

// The page writes no PNG files: pictures leave it as downloads.
bool EncodePngFile(const char*, int32_t, int32_t, const uint8_t*) {
    errno = ENOSYS;
    return false;
}

#endif  // __EMSCRIPTEN__
