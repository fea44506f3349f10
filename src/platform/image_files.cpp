// The animation encoders: libwebp's WebPAnimEncoder for lossless WebP and
// giflib for GIF, both into memory. The web build has neither library.
#include "platform/image_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static char animation_error[128] = "";

const char* AnimationError() { return animation_error; }

static bool Fail(const char* what) {
    std::snprintf(animation_error, sizeof animation_error, "%s", what);
    return false;
}

void FreeEncodedAnimation(EncodedAnimation* animation) {
    if (animation == nullptr) return;
    std::free(animation->data);
    *animation = {};
}

#ifndef __EMSCRIPTEN__
#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// The writer
// ---------------------------------------------------------------------------
struct GifState {
    GifFileType* file;
    std::vector<uint8_t> bytes;    // the file so far
    std::vector<uint8_t> pending;  // the last frame given, not yet written
    std::vector<uint8_t> shown;    // the last frame written, as given
    bool have_pending;
    bool have_shown;
    uint64_t pending_end_ms;       // when the pending frame ends
    uint64_t written_cs;           // where the frames written end
    std::vector<uint8_t> planes;   // red, green and blue planes for the quantiser
    std::vector<uint8_t> indices;  // the frame's palette indices
    std::vector<uint32_t> seen_key;  // colours met in a frame and their nearest
    std::vector<uint8_t> seen_index; // palette entries (MapToNearest)
};

struct WebpState {
    WebPAnimEncoder* encoder;
    WebPConfig config;
    int timestamp_ms;  // where the next frame starts
};

struct AnimationWriter {
    AnimationFormat format;
    int32_t width;
    int32_t height;
    bool failed;
    WebpState webp;
    GifState gif;
};

static size_t FrameBytes(const AnimationWriter& w) {
    return static_cast<size_t>(w.width) * static_cast<size_t>(w.height) * 3;
}

// ---------------------------------------------------------------------------
// WebP
// ---------------------------------------------------------------------------
// Lossless keeps every pixel. Method 1 at the lowest quality packs the
// 64-actor stage's 201 frames into a quarter less than method 0 in the same
// time (about 0.8 s of processor time); the higher efforts save a little
// more for several times the time.
static bool BeginWebp(AnimationWriter& w) {
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&w.webp.config))
        return Fail("the WebP library does not match its headers");
    options.anim_params.loop_count = 0;  // forever
    options.anim_params.bgcolor = 0xFFFFFFFF;
    options.allow_mixed = 0;
    w.webp.config.lossless = 1;
    w.webp.config.method = 1;
    w.webp.config.quality = 0;
    w.webp.encoder = WebPAnimEncoderNew(w.width, w.height, &options);
    return w.webp.encoder != nullptr || Fail("the WebP encoder cannot start");
}

// WebPAnimEncoder lengthens the previous frame by itself when a frame
// equals it.
static bool AddWebpFrame(AnimationWriter& w, const uint8_t* rgb, uint32_t duration_ms) {
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return Fail("the WebP library does not match its headers");
    picture.use_argb = 1;
    picture.width = w.width;
    picture.height = w.height;
    bool ok = WebPPictureImportRGB(&picture, rgb, w.width * 3) != 0;
    ok = ok && WebPAnimEncoderAdd(w.webp.encoder, &picture, w.webp.timestamp_ms, &w.webp.config) != 0;
    WebPPictureFree(&picture);
    w.webp.timestamp_ms += static_cast<int>(duration_ms);
    return ok || Fail("the WebP encoder failed");
}

static bool FinishWebp(AnimationWriter& w, EncodedAnimation* out) {
    WebPData data;
    WebPDataInit(&data);
    bool ok = !w.failed && WebPAnimEncoderAdd(w.webp.encoder, nullptr, w.webp.timestamp_ms, nullptr) &&
              WebPAnimEncoderAssemble(w.webp.encoder, &data);
    if (!ok && !w.failed) Fail("the WebP encoder failed");
    if (ok) {
        // The bytes belong to libwebp's allocator; the caller frees with free().
        out->data = static_cast<uint8_t*>(std::malloc(data.size));
        out->size = data.size;
        ok = out->data != nullptr || Fail("out of memory");
        if (ok) std::memcpy(out->data, data.bytes, data.size);
    }
    WebPDataClear(&data);
    WebPAnimEncoderDelete(w.webp.encoder);
    return ok;
}

// ---------------------------------------------------------------------------
// GIF
// ---------------------------------------------------------------------------
static int AppendGifBytes(GifFileType* file, const GifByteType* bytes, int count) {
    auto* out = static_cast<std::vector<uint8_t>*>(file->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

// The screen, and the application block that makes viewers loop forever.
static bool BeginGif(AnimationWriter& w) {
    GifState& g = w.gif;
    int error = 0;
    g.file = EGifOpen(&g.bytes, AppendGifBytes, &error);
    if (g.file == nullptr) return Fail("the GIF encoder cannot start");
    EGifSetGifVersion(g.file, true);
    static const GifByteType kNetscape[] = "NETSCAPE2.0";
    static const GifByteType kLoopForever[] = {1, 0, 0};
    const bool ok = EGifPutScreenDesc(g.file, w.width, w.height, 8, 0, nullptr) == GIF_OK &&
                    EGifPutExtensionLeader(g.file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
                    EGifPutExtensionBlock(g.file, 11, kNetscape) == GIF_OK &&
                    EGifPutExtensionBlock(g.file, 3, kLoopForever) == GIF_OK &&
                    EGifPutExtensionTrailer(g.file) == GIF_OK;
    g.pending.resize(FrameBytes(w));
    g.shown.resize(FrameBytes(w));
    return ok || Fail("the GIF encoder failed");
}

struct Rect {
    int32_t x, y, width, height;
};

// The smallest rectangle that holds every pixel where the frames differ;
// the whole frame when there is no earlier one. Never empty.
static Rect ChangedRect(const AnimationWriter& w) {
    const GifState& g = w.gif;
    if (!g.have_shown) return {0, 0, w.width, w.height};
    int32_t left = w.width, right = -1, top = w.height, bottom = -1;
    const size_t row_bytes = static_cast<size_t>(w.width) * 3;
    for (int32_t y = 0; y < w.height; ++y) {
        const uint8_t* a = g.shown.data() + row_bytes * static_cast<size_t>(y);
        const uint8_t* b = g.pending.data() + row_bytes * static_cast<size_t>(y);
        if (std::memcmp(a, b, row_bytes) == 0) continue;
        top = top < y ? top : y;
        bottom = y;
        for (int32_t x = 0; x < w.width; ++x) {
            if (std::memcmp(a + x * 3, b + x * 3, 3) == 0) continue;
            left = left < x ? left : x;
            right = right > x ? right : x;
        }
    }
    if (bottom < 0) return {0, 0, 1, 1};
    return {left, top, right - left + 1, bottom - top + 1};
}

// The rectangle's colours when there are at most 256 of them, each pixel's
// index written as it is met; false when there are more. An open-addressing
// table of four times the palette's size finds them.
static bool ExactPalette(AnimationWriter& w, const Rect& r, GifColorType* colours, int* count) {
    constexpr uint32_t kSlots = 1024, kEmpty = 0xFFFFFFFF;
    uint32_t key_of[kSlots];
    uint8_t index_of[kSlots];
    std::memset(key_of, 0xFF, sizeof key_of);
    *count = 0;
    uint8_t* index = w.gif.indices.data();
    for (int32_t y = r.y; y < r.y + r.height; ++y) {
        const uint8_t* p = w.gif.pending.data() + (static_cast<size_t>(y) * w.width + r.x) * 3;
        for (int32_t x = 0; x < r.width; ++x, p += 3) {
            const uint32_t key = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
            uint32_t slot = (key * 2654435761u) >> 22;
            while (key_of[slot] != key && key_of[slot] != kEmpty) slot = (slot + 1) & (kSlots - 1);
            if (key_of[slot] == kEmpty) {
                if (*count == 256) return false;
                key_of[slot] = key;
                index_of[slot] = static_cast<uint8_t>(*count);
                colours[*count] = {p[0], p[1], p[2]};
                ++*count;
            }
            *index++ = index_of[slot];
        }
    }
    return true;
}

// The palette entry nearest to a colour: the smallest sum of squared
// channel differences, the lower index on a tie.
static uint8_t Nearest(const GifColorType* colours, int count, int red, int green, int blue) {
    int best = 0, best_distance = 1 << 30;
    for (int k = 0; k < count; ++k) {
        const int dr = colours[k].Red - red, dg = colours[k].Green - green, db = colours[k].Blue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
            best = k;
            best_distance = distance;
        }
    }
    return static_cast<uint8_t>(best);
}

// Every pixel of the planes gets its nearest palette entry, searched once
// per distinct colour: a table remembers the colours met (filled to three
// quarters at most; colours beyond that are searched each time).
static void MapToNearest(GifState& g, size_t pixels, const GifColorType* colours, int count) {
    constexpr uint32_t kEmpty = 0xFFFFFFFF;
    const size_t slots = g.seen_key.size();
    std::fill(g.seen_key.begin(), g.seen_key.end(), kEmpty);
    size_t used = 0;
    const uint8_t* red = g.planes.data();
    const uint8_t* green = red + pixels;
    const uint8_t* blue = green + pixels;
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t key = static_cast<uint32_t>(red[i]) << 16 | green[i] << 8 | blue[i];
        size_t slot = ((key * 2654435761u) >> 8) & (slots - 1);
        while (g.seen_key[slot] != key && g.seen_key[slot] != kEmpty) slot = (slot + 1) & (slots - 1);
        if (g.seen_key[slot] == key) {
            g.indices[i] = g.seen_index[slot];
            continue;
        }
        g.indices[i] = Nearest(colours, count, red[i], green[i], blue[i]);
        if (4 * used >= 3 * slots) continue;
        g.seen_key[slot] = key;
        g.seen_index[slot] = g.indices[i];
        ++used;
    }
}

// More than 256 colours: giflib's median-cut quantiser picks 256. It gives
// each entry the plain mean of the distinct colours in its box, so a box of
// a large flat area (the white background) and a few edge colours gets a
// colour far from the area's; each entry becomes the mean of the pixels in
// its box instead, and then every pixel takes the entry nearest to it (the
// quantiser's own choice is its box, which need not be the nearest).
static bool QuantisedPalette(AnimationWriter& w, const Rect& r, GifColorType* colours, int* count) {
    const size_t pixels = static_cast<size_t>(r.width) * static_cast<size_t>(r.height);
    uint8_t* red = w.gif.planes.data();
    uint8_t* green = red + pixels;
    uint8_t* blue = green + pixels;
    size_t i = 0;
    for (int32_t y = r.y; y < r.y + r.height; ++y) {
        const uint8_t* p = w.gif.pending.data() + (static_cast<size_t>(y) * w.width + r.x) * 3;
        for (int32_t x = 0; x < r.width; ++x, p += 3, ++i) {
            red[i] = p[0];
            green[i] = p[1];
            blue[i] = p[2];
        }
    }
    *count = 256;
    if (GifQuantizeBuffer(static_cast<unsigned>(r.width), static_cast<unsigned>(r.height), count, red, green,
                          blue, w.gif.indices.data(), colours) != GIF_OK)
        return false;
    uint64_t sums[256][3] = {}, pixels_of[256] = {};
    for (i = 0; i < pixels; ++i) {
        const uint8_t k = w.gif.indices[i];
        sums[k][0] += red[i];
        sums[k][1] += green[i];
        sums[k][2] += blue[i];
        ++pixels_of[k];
    }
    for (int k = 0; k < *count; ++k) {
        const uint64_t n = pixels_of[k];
        if (n > 0)
            colours[k] = {static_cast<GifByteType>((sums[k][0] + n / 2) / n),
                          static_cast<GifByteType>((sums[k][1] + n / 2) / n),
                          static_cast<GifByteType>((sums[k][2] + n / 2) / n)};
    }
    MapToNearest(w.gif, pixels, colours, *count);
    return true;
}

// Writes the pending frame over the rectangle where it differs from the one
// on show, with the delay that brings the file's time to its end.
static bool WritePendingGifFrame(AnimationWriter& w) {
    GifState& g = w.gif;
    const Rect r = ChangedRect(w);
    GifColorType colours[256] = {};
    int count = 0;
    if (!ExactPalette(w, r, colours, &count) && !QuantisedPalette(w, r, colours, &count))
        return Fail("the GIF quantiser failed");
    const uint64_t end_cs = (g.pending_end_ms + 9) / 10;
    const uint64_t delay_cs = end_cs - g.written_cs;
    if (delay_cs > 65535) return Fail("a GIF frame cannot last that long");
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, static_cast<int>(delay_cs), NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ColorMapObject* map = GifMakeMapObject(1 << GifBitSize(count), colours);
    bool ok = map != nullptr && EGifPutExtension(g.file, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
              EGifPutImageDesc(g.file, r.x, r.y, r.width, r.height, false, map) == GIF_OK;
    for (int32_t y = 0; ok && y < r.height; ++y)
        ok = EGifPutLine(g.file, g.indices.data() + static_cast<size_t>(y) * r.width, r.width) == GIF_OK;
    GifFreeMapObject(map);
    std::swap(g.shown, g.pending);
    g.have_shown = true;
    g.have_pending = false;
    g.written_cs = end_cs;
    return ok || Fail("the GIF encoder failed");
}

static bool AddGifFrame(AnimationWriter& w, const uint8_t* rgb, uint32_t duration_ms) {
    GifState& g = w.gif;
    const size_t bytes = FrameBytes(w);
    if (g.have_pending && std::memcmp(g.pending.data(), rgb, bytes) == 0) {
        g.pending_end_ms += duration_ms;
        return true;
    }
    const uint64_t start_ms = g.have_pending ? g.pending_end_ms : 0;
    if (g.have_pending && !WritePendingGifFrame(w)) return false;
    std::memcpy(g.pending.data(), rgb, bytes);
    g.have_pending = true;
    g.pending_end_ms = start_ms + duration_ms;
    return true;
}

static bool FinishGif(AnimationWriter& w, EncodedAnimation* out) {
    GifState& g = w.gif;
    bool ok = !w.failed && (!g.have_pending || WritePendingGifFrame(w));
    int error = 0;
    if (EGifCloseFile(g.file, &error) != GIF_OK && ok) ok = Fail("the GIF encoder failed");
    if (ok) {
        out->data = static_cast<uint8_t*>(std::malloc(g.bytes.size()));
        out->size = g.bytes.size();
        ok = out->data != nullptr || Fail("out of memory");
        if (ok) std::memcpy(out->data, g.bytes.data(), g.bytes.size());
    }
    return ok;
}

// ---------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------
AnimationWriter* BeginAnimation(AnimationFormat format, int32_t width, int32_t height) {
    animation_error[0] = '\0';
    if (width < 1 || height < 1 || width > 16383 || height > 16383) {
        Fail("the frame size is out of range");
        return nullptr;
    }
    auto* w = new AnimationWriter{format, width, height, false, {}, {}};
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (format == AnimationFormat::kGif) {
        w->gif.planes.resize(pixels * 3);
        w->gif.indices.resize(pixels);
        w->gif.seen_key.resize(1 << 17);
        w->gif.seen_index.resize(1 << 17);
    }
    if (format == AnimationFormat::kWebp ? BeginWebp(*w) : BeginGif(*w)) return w;
    if (format == AnimationFormat::kGif && w->gif.file != nullptr) EGifCloseFile(w->gif.file, nullptr);
    delete w;
    return nullptr;
}

bool AddAnimationFrame(AnimationWriter* writer, const uint8_t* rgb, uint32_t duration_ms) {
    if (writer->failed) return false;
    const bool ok = writer->format == AnimationFormat::kWebp ? AddWebpFrame(*writer, rgb, duration_ms)
                                                             : AddGifFrame(*writer, rgb, duration_ms);
    writer->failed = !ok;
    return ok;
}

bool FinishAnimation(AnimationWriter* writer, EncodedAnimation* out) {
    *out = {};
    const bool ok = writer->format == AnimationFormat::kWebp ? FinishWebp(*writer, out)
                                                             : FinishGif(*writer, out);
    delete writer;
    return ok;
}

#else  // __EMSCRIPTEN__

// The page has no encoder; its exports are a matter of the page itself.
struct AnimationWriter {};

AnimationWriter* BeginAnimation(AnimationFormat, int32_t, int32_t) {
    Fail("this build writes no animations");
    return nullptr;
}
bool AddAnimationFrame(AnimationWriter*, const uint8_t*, uint32_t) { return false; }
bool FinishAnimation(AnimationWriter*, EncodedAnimation* out) {
    *out = {};
    return false;
}

#endif  // __EMSCRIPTEN__
