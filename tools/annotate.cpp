// Draws the user guide. Each screen's picture is a shot of the guide's
// session (docs/guide/guide.script, run by the headless runner) at twice its
// size on a margin, with numbered callouts whose leader lines point at the
// controls; the guide's text says what each numbered control does. Both
// come from the tables below, so a picture and its text always agree, and
// the key list comes from the program's own table. Everything is drawn with
// the program's raster engine and font and written with the platform's PNG
// writer.
//
//   annotate SHOT_DIR PICTURE_DIR GUIDE_FILE
//
// PICTURE_DIR receives one PNG per table entry; GUIDE_FILE (Markdown) links
// them by their path relative to the guide's folder.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drawing/colour.h"
#include "guide_pages.h"
#include "host/keys.h"
#include "platform/host_files.h"
#include "raster/ellipses.h"
#include "raster/font.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "surface/pen.h"
#include "surface/surface.h"

namespace {

// ---------------------------------------------------------------------------
// Geometry. The picture is drawn in tiles of the screen's size, since the
// engine's surface (and its polygon edge table) has exactly that many rows
// and columns: each tile shows its part of the zoomed shot, and every
// primitive is drawn once per tile, moved by the tile's offset and clipped.
// ---------------------------------------------------------------------------
constexpr int kZoom = 2;
constexpr int kMargin = 20;  // screen pixels of margin round the shot
constexpr int kPictureWidth = (kScreenWidth + 2 * kMargin) * kZoom;
constexpr int kPictureHeight = (kScreenHeight + 2 * kMargin) * kZoom;

constexpr int kBubbleRadius = 14;  // picture pixels
constexpr int kDotRadius = 3;      // on the control
constexpr int kHaloWidth = 2;

// Colours as 0xRRGGBB.
constexpr uint32_t kMarginColour = 0xECEEF2;
constexpr uint32_t kFrameColour = 0x464A56;
constexpr uint32_t kCalloutColour = 0xC41464;
constexpr uint32_t kHaloColour = 0xFFFFFF;

// The picture position of a screen point: the centre of its zoomed pixel.
int PictureOf(int screen) { return (screen + kMargin) * kZoom + kZoom / 2; }

void Pen(uint32_t rgb) {
    const int red = static_cast<int>(rgb >> 16), green = static_cast<int>(rgb >> 8 & 255);
    SetPenColour(surface, MakeColour(red, green, static_cast<int>(rgb & 255), 255));
}

// A line of the given width in picture pixels, as parallel one-pixel lines.
void WideLine(int x0, int y0, int x1, int y1, int width) {
    for (int dy = -width / 2; dy < width - width / 2; ++dy)
        for (int dx = -width / 2; dx < width - width / 2; ++dx)
            DrawLine(surface, x0 + dx, y0 + dy, x1 + dx, y1 + dy);
}

// One callout in tile coordinates: its leader from the number to the
// control, a dot on the control, and the numbered bubble. White halos keep
// each part readable over any picture.
void DrawCallout(const Callout& c, int number, int tile_x, int tile_y) {
    const int x = PictureOf(c.x) - tile_x, y = PictureOf(c.y) - tile_y;
    const int bx = PictureOf(c.bubble_x) - tile_x, by = PictureOf(c.bubble_y) - tile_y;
    Pen(kHaloColour);
    WideLine(bx, by, x, y, 2 + 2 * kHaloWidth);
    FillSoftDisc(surface, x, y, kDotRadius + 1);
    FillSoftDisc(surface, bx, by, kBubbleRadius + kHaloWidth);
    Pen(kCalloutColour);
    WideLine(bx, by, x, y, 2);
    FillSoftDisc(surface, x, y, kDotRadius);
    FillSoftDisc(surface, bx, by, kBubbleRadius);
    char label[12];  // any int in decimal
    std::snprintf(label, sizeof label, "%d", number);
    Pen(kHaloColour);
    DrawTextLargeCentred(surface, static_cast<int16_t>(bx + 1), static_cast<int16_t>(by + 2), label);
}

// Draws one tile: the margin, the zoomed shot with a frame, the callouts.
void DrawTile(const DecodedImage& shot, const GuidePage& page, int tile_x, int tile_y) {
    Pen(kMarginColour);
    ClearSurface(surface);
    for (int y = 0; y < kScreenHeight; ++y) {
        const int sy = (tile_y + y) / kZoom - kMargin;
        if (sy < 0 || sy >= shot.height) continue;
        for (int x = 0; x < kScreenWidth; ++x) {
            const int sx = (tile_x + x) / kZoom - kMargin;
            if (sx < 0 || sx >= shot.width) continue;
            const uint8_t* rgb = shot.rgb + (static_cast<size_t>(sy) * shot.width + sx) * 3;
            surface.pixel_base[x * surface.x_step + y * surface.y_step] =
                PackRgb(surface, static_cast<uint32_t>(rgb[2] << 16 | rgb[1] << 8 | rgb[0]));
        }
    }
    Pen(kFrameColour);
    const int left = kMargin * kZoom - 1 - tile_x, top = kMargin * kZoom - 1 - tile_y;
    FrameRect(surface, static_cast<int16_t>(left), static_cast<int16_t>(top),
              static_cast<int16_t>(left + kScreenWidth * kZoom + 1), static_cast<int16_t>(top + kScreenHeight * kZoom + 1));
    for (int i = 0; i < page.count; ++i) DrawCallout(page.callouts[i], i + 1, tile_x, tile_y);
}

// Copies the tile into the picture's RGB rows, widening each colour word so
// that packing it again gives the same word.
void CopyTile(int tile_x, int tile_y, std::vector<uint8_t>& picture) {
    for (int y = 0; y < kScreenHeight && tile_y + y < kPictureHeight; ++y) {
        for (int x = 0; x < kScreenWidth && tile_x + x < kPictureWidth; ++x) {
            const uint16_t word = surface.pixel_base[x * surface.x_step + y * surface.y_step];
            const int r = word >> 11, g = (word >> 5) & 63, b = word & 31;
            uint8_t* out = &picture[(static_cast<size_t>(tile_y + y) * kPictureWidth + tile_x + x) * 3];
            out[0] = static_cast<uint8_t>(r << 3 | r >> 2);
            out[1] = static_cast<uint8_t>(g << 2 | g >> 4);
            out[2] = static_cast<uint8_t>(b << 3 | b >> 2);
        }
    }
}

bool ReadShot(const std::string& path, DecodedImage* shot) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.insert(bytes.end(), block, block + n);
    std::fclose(file);
    return DecodeImageMemory(bytes.data(), bytes.size(), shot);
}

bool DrawPicture(const GuidePage& page, const std::string& shot_dir, const std::string& picture_dir) {
    DecodedImage shot;
    if (!ReadShot(shot_dir + "/" + page.shot, &shot)) {
        std::fprintf(stderr, "annotate: cannot read the shot %s/%s\n", shot_dir.c_str(), page.shot);
        return false;
    }
    std::vector<uint8_t> picture(static_cast<size_t>(kPictureWidth) * kPictureHeight * 3);
    for (int tile_y = 0; tile_y < kPictureHeight; tile_y += kScreenHeight) {
        for (int tile_x = 0; tile_x < kPictureWidth; tile_x += kScreenWidth) {
            DrawTile(shot, page, tile_x, tile_y);
            CopyTile(tile_x, tile_y, picture);
        }
    }
    FreeDecodedImage(&shot);
    const std::string path = picture_dir + "/" + page.picture;
    if (!EncodePngFile(path.c_str(), kPictureWidth, kPictureHeight, picture.data())) {
        std::fprintf(stderr, "annotate: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The text
// ---------------------------------------------------------------------------
void WriteGuide(FILE* out, const std::string& picture_folder) {
    std::fprintf(out, "%s\n", kGuideIntro);
    for (int p = 0; p < kGuidePageCount; ++p) {
        const GuidePage& page = kGuidePages[p];
        std::fprintf(out, "\n## %s\n\n![%s](%s/%s)\n\n%s\n\n", page.title, page.title, picture_folder.c_str(),
                     page.picture, page.intro);
        for (int i = 0; i < page.count; ++i) std::fprintf(out, "%d. %s\n", i + 1, page.callouts[i].text);
        if (page.after != nullptr) std::fprintf(out, "\n%s\n", page.after);
    }
    std::fprintf(out, "\n## Keys\n\n%s\n\n| Keys | What they do |\n|---|---|\n", kKeysIntro);
    int count = 0;
    const KeyHelp* rows = KeyHelpRows(&count);
    for (int i = 0; i < count; ++i) std::fprintf(out, "| %s | %s |\n", rows[i].keys, rows[i].does);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: annotate SHOT_DIR PICTURE_DIR GUIDE_FILE\n");
        return 2;
    }
    const std::string shot_dir = argv[1], picture_dir = argv[2], guide_path = argv[3];
    InitScreenSurfaceFrom(surface, kPortraitDisplay);
    if (surface.pixel_base == nullptr) {
        std::fprintf(stderr, "annotate: no drawing surface\n");
        return 1;
    }
    bool ok = true;
    for (int p = 0; p < kGuidePageCount; ++p) ok = DrawPicture(kGuidePages[p], shot_dir, picture_dir) && ok;
    FreeScreenSurface(surface);

    // The pictures' folder as the guide names it: relative to the guide's own.
    const size_t slash = guide_path.rfind('/');
    const std::string guide_folder = slash == std::string::npos ? "" : guide_path.substr(0, slash + 1);
    std::string relative = picture_dir;
    if (!guide_folder.empty() && relative.compare(0, guide_folder.size(), guide_folder) == 0)
        relative = relative.substr(guide_folder.size());
    const std::string temporary = guide_path + ".new";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "annotate: cannot write %s\n", temporary.c_str());
        return 1;
    }
    WriteGuide(out, relative);
    ok = std::fclose(out) == 0 && std::rename(temporary.c_str(), guide_path.c_str()) == 0 && ok;
    if (!ok) return 1;
    std::printf("%s: %d pictures in %s\n", guide_path.c_str(), kGuidePageCount, picture_dir.c_str());
    return 0;
}
