// The skin artwork: every widget image of the layout tables, drawn with the
// program's own raster engine. The skin generator writes it to the skin file;
// a test redraws it and compares it with the file that ships.
#pragma once
#include <cstdint>

#include "surface/surface.h"

// The picture holds every strip at the position its layout record names.
constexpr int kSkinArtWidth = 200;
constexpr int kSkinArtHeight = 180;

// Draws the whole skin into the top-left kSkinArtWidth x kSkinArtHeight
// corner of the surface. Leaves the pen changed.
void DrawSkinArt(ScreenSurface& s);

// Reads that corner back as 8-bit red, green, blue triples, rows top-down,
// each channel widened from the colour word so that packing it again gives
// the same word. rgb holds kSkinArtWidth * kSkinArtHeight * 3 bytes.
void ReadSkinArt(const ScreenSurface& s, uint8_t* rgb);
