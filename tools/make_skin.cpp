// Draws the skin artwork with the program's raster engine and writes it as
// an 8-bit RGB PNG: the picture every widget image is cut from.
//
//   make_skin [OUTPUT]   (default: the skin file in the source tree's assets)
#include <png.h>

#include <cstdio>
#include <vector>

#include "surface/surface.h"
#include "ui/skin_art.h"

static bool WritePng(const char* path, const uint8_t* rgb, int width, int height) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgb + y * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : KN_SOURCE_DIR "/assets/device/tovu/skin1.png";
    const GXDisplayProperties portrait = {240, 320, 2, 480, 16, 0};
    InitScreenSurfaceFrom(surface, portrait);
    if (surface.pixel_base == nullptr) {
        std::fprintf(stderr, "make_skin: no drawing surface\n");
        return 1;
    }
    DrawSkinArt(surface);
    std::vector<uint8_t> rgb(kSkinArtWidth * kSkinArtHeight * 3);
    ReadSkinArt(surface, rgb.data());
    FreeScreenSurface(surface);
    if (!WritePng(path, rgb.data(), kSkinArtWidth, kSkinArtHeight)) {
        std::fprintf(stderr, "make_skin: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s: %d x %d\n", path, kSkinArtWidth, kSkinArtHeight);
    return 0;
}
