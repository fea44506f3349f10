// Draws the skin artwork with the program's raster engine and writes it as
// an 8-bit RGB PNG: the picture every widget image is cut from.
//
//   make_skin [OUTPUT]   (default: the skin file in the source tree's assets)

#include <cstdio>
#include <vector>

#include "platform/host_files.h"
#include "surface/surface.h"
#include "skin_art.h"

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : KN_SOURCE_DIR "/assets/device/tovu/skin1.png";
    const GXDisplayProperties portrait = kPortraitDisplay;
    InitScreenSurfaceFrom(surface, portrait);
    if (surface.pixel_base == nullptr) {
        std::fprintf(stderr, "make_skin: no drawing surface\n");
        return 1;
    }
    DrawSkinArt(surface);
    std::vector<uint8_t> rgb(kSkinArtWidth * kSkinArtHeight * 3);
    ReadSkinArt(surface, rgb.data());
    FreeScreenSurface(surface);
    if (!EncodePngFile(path, kSkinArtWidth, kSkinArtHeight, rgb.data())) {
        std::fprintf(stderr, "make_skin: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s: %d x %d\n", path, kSkinArtWidth, kSkinArtHeight);
    return 0;
}
