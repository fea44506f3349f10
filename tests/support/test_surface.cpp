#include "support/test_surface.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "surface/pen.h"

void ResetTestSurface(uint16_t fill) {
    if (surface.pixel_base == nullptr) {
        GXDisplayProperties portrait = {240, 320, 2, 480, 16, 0};
        InitScreenSurfaceFrom(surface, portrait);
    }
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) surface.pixel_base[i] = fill;
    surface.pen_colour = MakeColour(0, 0, 0, 255);
    surface.pen_alpha = 255;
    SelectPenMode(surface, 0);
}

uint16_t PixelAt(int x, int y) { return surface.pixel_base[x + y * kScreenWidth]; }

int CountPixelsNot(uint16_t word) {
    int n = 0;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) n += surface.pixel_base[i] != word;
    return n;
}

bool WriteSurfacePng(const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, kScreenWidth, kScreenHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(kScreenWidth * 3);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            uint16_t w = PixelAt(x, y);
            row[x * 3 + 0] = static_cast<uint8_t>((w >> 11) << 3);
            row[x * 3 + 1] = static_cast<uint8_t>(((w >> 5) & 63) << 2);
            row[x * 3 + 2] = static_cast<uint8_t>((w & 31) << 3);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}
