#include "surface/surface.h"

#include <cstdlib>
#include <cstring>

#include "platform/host_files.h"
#include "surface/pen.h"

ScreenSurface surface;

void InitScreenSurface(ScreenSurface& s) { InitScreenSurfaceFrom(s, GXGetDisplayProperties()); }

void InitScreenSurfaceFrom(ScreenSurface& s, const GXDisplayProperties& display) {
    s.min_offset = 0;
    s.max_offset = 0;
    s.display = display;
    s.x_step = display.x_pitch >> 1;
    s.y_step = display.y_pitch >> 1;

    // Offsets of the lowest and highest pixel, in 64 bits so that absurd
    // geometries are refused instead of wrapping.
    int64_t low = 0, high = 0;
    int64_t e = (static_cast<int64_t>(display.width) - 1) * s.x_step;
    if (s.x_step < 0) low = e; else high = e;
    int64_t f = (static_cast<int64_t>(display.height) - 1) * s.y_step;
    if (s.y_step < 0) low += f; else high += f;
    constexpr int64_t kLimit = INT32_MAX / 2;
    bool sane = low >= -kLimit && high <= kLimit && display.width > 0 && display.height > 0;
    s.min_offset = sane ? static_cast<int32_t>(low) : 0;
    s.max_offset = sane ? static_cast<int32_t>(high) : 0;

    s.red_shift = 11;
    s.green_shift = 6;
    s.red_mask = 0xF800;
    s.green_mask = 0x07E0;
    s.blue_mask = 0x001F;

    if (s.pixel_base != nullptr || display.bits_per_pixel != 16 || !sane) return;
    size_t pixels = static_cast<size_t>(s.max_offset - s.min_offset) + 1;
    void* block = std::calloc(pixels, 2);
    if (block == nullptr) return;
    s.buffer_allocation = block;
    s.pixel_base = static_cast<uint16_t*>(block) - s.min_offset;

    s.clip_width = static_cast<int16_t>(display.width);
    s.clip_height = static_cast<int16_t>(display.height);

    s.edges.pool_next = s.edges.pool;
    for (Edge*& bucket : s.edges.buckets) bucket = nullptr;
    s.edges.min_row = kEdgeBuckets;
    s.edges.max_row = -1;

    s.pen_alpha = 255;
    s.plain_plot = PlotSet;
    s.coverage_plot = PlotBlendCoverage;
    s.run_plot = PlotSetRun;
    s.pen_colour.word = 0;
}

void FreeScreenSurface(ScreenSurface& s) {
    std::free(s.buffer_allocation);
    s.buffer_allocation = nullptr;
    s.pixel_base = nullptr;
}

// Bytes of the back buffer from pixel (0, 0) to its end: a block copy of one
// screen never reads or writes past it, whatever the display's pitches.
static size_t BytesFromBase(const ScreenSurface& s) {
    size_t available = (static_cast<size_t>(s.max_offset) + 1) * 2;
    return available < kScreenBytes ? available : kScreenBytes;
}

void PresentSurface(ScreenSurface& s) {
    if (s.pixel_base == nullptr) return;
    uint16_t* frame = GXBeginDraw();
    if (frame != nullptr) std::memcpy(frame, s.pixel_base, BytesFromBase(s));
    GXEndDraw();
}

void SaveSurface(const ScreenSurface& s, uint8_t* destination) {
    if (s.pixel_base != nullptr) std::memcpy(destination, s.pixel_base, BytesFromBase(s));
}

void RestoreSurface(ScreenSurface& s, const uint8_t* source) {
    if (s.pixel_base != nullptr) std::memcpy(s.pixel_base, source, BytesFromBase(s));
}

void ClearSurface(ScreenSurface& s) {
    if (s.pixel_base == nullptr) return;
    const uint16_t word = s.pen_colour.word;
    const size_t count = static_cast<size_t>(s.max_offset) + 1;
    if ((word & 0xFF) == (word >> 8)) {  // white and black: both bytes alike
        std::memset(s.pixel_base, word & 0xFF, count * 2);
        return;
    }
    // Fill a first stretch word by word, then double the filled part with
    // block copies: the speed of a memory fill for any colour.
    uint16_t* base = s.pixel_base;
    size_t filled = count < 64 ? count : 64;
    for (size_t i = 0; i < filled; ++i) base[i] = word;
    while (filled < count) {
        size_t n = filled < count - filled ? filled : count - filled;
        std::memcpy(base + filled, base, n * 2);
        filled += n;
    }
}

uint16_t PackRgb(const ScreenSurface& s, uint32_t v) {
    uint32_t red = v & 255, green = (v >> 8) & 255, blue = (v >> 16) & 255;
    return static_cast<uint16_t>(((red >> 3) << s.red_shift) | ((green >> 3) << s.green_shift) |
                                 (blue >> 3));
}

SkinPicture* PictureFromRgb(ScreenSurface& s, int32_t width, int32_t height, const uint8_t* rgb) {
    if (rgb == nullptr || width < 1 || height < 1) return nullptr;
    auto* picture = static_cast<SkinPicture*>(std::calloc(1, sizeof(SkinPicture)));
    if (picture == nullptr) return nullptr;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    picture->words = static_cast<uint16_t*>(std::malloc(count * 2));
    if (picture->words == nullptr) {
        std::free(picture);
        return nullptr;
    }
    picture->width = width;
    picture->height = height;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = rgb + i * 3;
        picture->words[i] = PackRgb(s, static_cast<uint32_t>(p[2]) << 16 |
                                           static_cast<uint32_t>(p[1]) << 8 | p[0]);
    }
    return picture;
}

SkinPicture* LoadSkinPicture(ScreenSurface& s, const char* device_path) {
    DecodedImage image;
    if (!DecodeImageFile(device_path, &image)) return nullptr;
    SkinPicture* picture = PictureFromRgb(s, image.width, image.height, image.rgb);
    FreeDecodedImage(&image);
    return picture;
}

void FreeSkinPicture(SkinPicture* picture) {
    if (picture == nullptr) return;
    std::free(picture->words);
    std::free(picture);
}

int BlitPicture(ScreenSurface& s, int32_t dx, int32_t dy, int32_t w, int32_t h,
                const SkinPicture* picture, int32_t sx, int32_t sy) {
    if (s.pixel_base == nullptr || picture == nullptr || picture->words == nullptr || w < 1 ||
        h < 1 || sx < 0 || sy < 0)
        return 0;
    int32_t width = static_cast<int32_t>(s.display.width);
    int32_t height = static_cast<int32_t>(s.display.height);
    if (dx > width || dy > height) return 1;
    if (dx < 0) { w += dx; sx -= dx; dx = 0; }
    if (dy < 0) { h += dy; sy -= dy; dy = 0; }
    if (w > width - dx) w = width - dx;
    if (h > height - dy) h = height - dy;
    // The skin is user-replaceable: never read past the picture.
    if (w > picture->width - sx) w = picture->width - sx;
    if (h > picture->height - sy) h = picture->height - sy;
    for (int32_t row = 0; row < h; ++row) {
        const uint16_t* src = picture->words + static_cast<size_t>(sy + row) * picture->width + sx;
        uint16_t* dst = s.pixel_base + dx * s.x_step + (dy + row) * s.y_step;
        for (int32_t col = 0; col < w; ++col) {
            *dst = *src++;
            dst += s.x_step;
        }
    }
    return 1;
}
