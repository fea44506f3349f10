// Export, read back by other programs' code: SVG drawn by librsvg
// (rsvg-convert, which refuses XML that is not well formed) against the
// editor's canvas; WebP and GIF decoded by libwebp and giflib, PNG frames by
// libpng, against the headless runner's playback frames.
#include "host/export.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "animation/stage.h"
#include "host/svg_writer.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "raster/shape_renderer.h"
#include "support/drawing_literal.h"
#include "support/test_files.h"
#include "support/virtual_display.h"
#include "scene_generator.h"
#include "scenes.h"
#include "screens/drawing_editor.h"

namespace {

// 8-bit channels of a colour word as the shots widen them.
int Channel(uint16_t word, int c) {
    return c == 0 ? (word >> 11) << 3 : c == 1 ? ((word >> 5) & 63) << 2 : (word & 31) << 3;
}

// The largest channel difference between a colour word and 8-bit RGB.
int Difference(uint16_t word, const uint8_t* rgb) {
    int most = 0;
    for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(Channel(word, c) - rgb[c]));
    return most;
}

// A PNG file's pixels as 8-bit RGB; none unless it is width x height.
std::vector<uint8_t> ReadPng(const std::string& path, int width, int height) {
    const std::string bytes = ReadFile(path);
    DecodedImage image;
    if (!DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image)) return {};
    std::vector<uint8_t> rgb;
    if (image.width == width && image.height == height) rgb.assign(image.rgb, image.rgb + 3 * width * height);
    FreeDecodedImage(&image);
    return rgb;
}

// The editor's canvas against librsvg's picture of the SVG, in two ways.
// Inside pixels, whose 3 x 3 neighbourhood on the canvas holds one colour,
// must agree with librsvg's pixel: no channel differs by more than
// kTolerance (8-bit values; the screen keeps 5 or 6 bits a channel and
// blends in them). Marked pixels, those further than that from white, show
// where something is drawn, anti-aliased edges and outlines included: each
// one of either picture must have a marked pixel within one pixel of it in
// the other (a missing, extra or misplaced shape or outline does not).
constexpr int kTolerance = 16;

const uint8_t kWhite[3] = {255, 255, 255};
bool Marked(uint16_t word) { return Difference(word, kWhite) > kTolerance; }
bool Marked(const uint8_t* rgb) { return Difference(0xFFFF, rgb) > kTolerance; }

TEST(ExportSvg, RsvgDrawsWhatTheEditorShows) {
    if (!OnPath("rsvg-convert")) GTEST_SKIP() << "librsvg2-bin is missing";
    ASSERT_TRUE(SetUpProgram());
    TemporaryFolder folder;
    const std::string file = folder.Path() + "/drawing.svg", png = folder.Path() + "/drawing.png";
    // A sparse generated scene, where each shape shows whole (holes, curves,
    // open outlines, translucent fills), the dense editor scene, and large
    // holes with outlines of two strokes over them, which the generator does
    // not make (drawing units, ten to a pixel).
    const SceneParams kScenes[] = {{1, 16, 1000, 1400, 150, 450}, EditorScene(512)};
    constexpr uint8_t Q = kPointControl, E = kPointCurveEnd, S = kPointContourStart;
    const OwnedDrawing literal({
        {kShapeFilled, MakeColour(220, 30, 40, 255),
         {{-800, -800}, {800, -800}, {800, 800}, {-800, 800}, {-400, -400, S}, {400, -400}, {400, 400}, {-400, 400}}},
        {kShapeFilled, MakeColour(20, 60, 230, 128), {{-1100, 900}, {1100, 900}, {0, 1500}, {-300, 1000, S}, {300, 1000}, {0, 1300}}},
        {kShapeOutline, MakeColour(0, 0, 0, 255), {{-1000, -1000}, {1000, -900}, {-900, 1000, S}, {0, 200, Q}, {1000, 1000, E}}},
        {kShapeOutline, MakeColour(200, 0, 150, 160), {{-1000, 0}, {1000, 100}, {0, -1400, S}, {50, 1400}}}});
    for (int k = 0; k < 3; ++k) {
        const std::string name = k < 2 ? "scene " + std::to_string(k) : "holes and two-stroke outlines";
        ASSERT_TRUE(k == 2 || GenerateScene(drawing, kScenes[k]));
        const DrawingView view = ViewOf(k < 2 ? drawing : literal.d);
        surface.pen_colour.word = 0xFFFF;
        ClearSurface(surface);
        RenderDrawing(surface, view, editor.view);
        std::string svg;
        WriteDrawingSvg(view, editor.view, true, &svg);
        ASSERT_TRUE(WriteFile(file, svg));
        ASSERT_EQ(std::system(("rsvg-convert -w 240 -h 320 -f png -o '" + png + "' '" + file + "'").c_str()), 0);
        const std::vector<uint8_t> rgb = ReadPng(png, kScreenWidth, kScreenHeight);
        ASSERT_EQ(rgb.size(), 3u * kScreenWidth * kScreenHeight);
        int inside = 0, inside_agree = 0, marked = 0, marked_near = 0;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                const int here = x + y * kScreenWidth;
                bool uniform = true, canvas_near = false, rsvg_near = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int at = std::clamp(x + dx, 0, kScreenWidth - 1) + std::clamp(y + dy, 0, kScreenHeight - 1) * kScreenWidth;
                        uniform = uniform && surface.pixel_base[at] == surface.pixel_base[here];
                        canvas_near = canvas_near || Marked(surface.pixel_base[at]);
                        rsvg_near = rsvg_near || Marked(&rgb[at * 3]);
                    }
                inside += uniform;
                inside_agree += uniform && Difference(surface.pixel_base[here], &rgb[here * 3]) <= kTolerance;
                marked += Marked(surface.pixel_base[here]) + Marked(&rgb[here * 3]);
                marked_near += (Marked(surface.pixel_base[here]) && rsvg_near) + (Marked(&rgb[here * 3]) && canvas_near);
            }
        EXPECT_GE(100.0 * inside_agree / inside, 99.0) << name << ": inside pixels that agree";
        EXPECT_GE(100.0 * marked_near / marked, 99.0) << name << ": marked pixels with one near";
    }
    ExportTarget kept = {file.c_str(), true, {}, {}};  // as Ctrl+E's files: never one replaced
    ASSERT_TRUE(ExportDrawingSvg(editor.drawing_slot, &kept)) << kept.message;
    EXPECT_EQ(kept.written, folder.Path() + "/drawing-2.svg");
}

int SquaredDistance(uint16_t word, const GifColorType& c) {
    const int dr = Channel(word, 0) - c.Red, dg = Channel(word, 1) - c.Green, db = Channel(word, 2) - c.Blue;
    return dr * dr + dg * dg + db * db;
}

// The playback scene exported from a pose that is no frame's first, read back
// against the headless runner's playback frames; the exports leave the actors
// and the screen as they were. WebP: every frame exact, 48 ms each, looping.
// GIF: each frame ends at the first centisecond at or after its playback
// frames' end, and each pixel it writes has the colour of its palette nearest
// to the playback's pixel (exact where a frame has at most 256 colours, within
// the quantiser's error where it has more). PNG: the chosen frames, each scaled
// up exactly.
TEST(ExportAnimation, EveryFormatHoldsThePlaybackFrames) {
    ASSERT_TRUE(SetUpProgram());
    ASSERT_TRUE(LoadPlaybackScene());
    std::vector<std::vector<uint16_t>> expected;
    for (int32_t k = 0; k <= kLastPlayedFrame; ++k) {
        PlaybackFrame(k);
        expected.emplace_back(HeadlessLastFrame(), HeadlessLastFrame() + kScreenWidth * kScreenHeight);
    }
    InterpolateFrame(stage, 77);
    const std::vector<uint8_t> actors(reinterpret_cast<uint8_t*>(stage.actors),
                                      reinterpret_cast<uint8_t*>(stage.actors + kActorCapacity));
    const std::vector<uint16_t> screen(surface.pixel_base, surface.pixel_base + kScreenWidth * kScreenHeight);
    TemporaryFolder folder;
    const std::string webp_path = folder.Path() + "/a.webp", gif_path = folder.Path() + "/a.gif";
    ExportTarget webp_target = {webp_path.c_str(), false, {}, {}}, gif_target = {gif_path.c_str(), false, {}, {}};
    ExportTarget frames_target = {folder.Path().c_str(), false, {}, {}};
    export_options = {0, kLastPlayedFrame, 1, true};
    ASSERT_TRUE(ExportAnimation(AnimationFormat::kWebp, &webp_target)) << webp_target.message;
    ASSERT_TRUE(ExportAnimation(AnimationFormat::kGif, &gif_target)) << gif_target.message;
    export_options = {199, 200, 3, true};
    ASSERT_TRUE(ExportFrames(&frames_target)) << frames_target.message;
    EXPECT_TRUE(std::equal(actors.begin(), actors.end(), reinterpret_cast<uint8_t*>(stage.actors)));
    EXPECT_TRUE(std::equal(screen.begin(), screen.end(), surface.pixel_base));

    const std::string webp = ReadFile(webp_path);
    const WebPData data = {reinterpret_cast<const uint8_t*>(webp.data()), webp.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr);
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
    EXPECT_EQ(info.loop_count, 0u);
    int start_ms = 0, wrong = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* rgba = nullptr;
        int end_ms = 0;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &end_ms));
        ASSERT_TRUE(start_ms % 48 == 0 && end_ms % 48 == 0 && end_ms > start_ms) << start_ms << " " << end_ms;
        for (int k = start_ms / 48; k < end_ms / 48; ++k)
            for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) wrong += Difference(expected[k][i], rgba + 4 * i) != 0;
        start_ms = end_ms;
    }
    WebPAnimDecoderDelete(decoder);
    EXPECT_EQ(start_ms, 201 * 48) << "201 frames of 48 ms";
    EXPECT_EQ(wrong, 0) << "WebP";

    int error = 0;
    GifFileType* file = DGifOpenFileName(gif_path.c_str(), &error);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(DGifSlurp(file), GIF_OK);
    int end_cs = 0, frame = 0;
    wrong = 0;
    std::vector<int> nearest_of(65536);  // per colour word, its nearest palette distance
    for (int i = 0; i < file->ImageCount; ++i) {
        std::fill(nearest_of.begin(), nearest_of.end(), -1);
        const SavedImage& image = file->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : file->SColorMap;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
                const int at = (d.Top + y) * kScreenWidth + d.Left + x;
                int& nearest = nearest_of[expected[frame][at]];
                if (nearest < 0) {
                    nearest = 1 << 30;
                    for (int k = 0; k < map->ColorCount; ++k)
                        nearest = std::min(nearest, SquaredDistance(expected[frame][at], map->Colors[k]));
                }
                wrong += SquaredDistance(expected[frame][at], c) != nearest;
            }
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(file, i, &control), GIF_OK);
        end_cs += control.DelayTime;
        while (frame <= kLastPlayedFrame && (frame * 48 + 9) / 10 < end_cs) ++frame;
        EXPECT_EQ(end_cs, (frame * 48 + 9) / 10) << "frame " << frame;
    }
    DGifCloseFile(file, &error);
    EXPECT_EQ(frame, 201);
    EXPECT_EQ(wrong, 0) << "GIF pixels not of the nearest palette colour";

    for (int k = 199; k <= 200; ++k) {
        const std::vector<uint8_t> rgb = ReadPng(folder.Path() + "/frame-" + std::to_string(k) + ".png", 720, 960);
        ASSERT_EQ(rgb.size(), 3u * 720 * 960);
        wrong = 0;
        for (int i = 0; i < 720 * 960; ++i) wrong += Difference(expected[k][i % 720 / 3 + i / 720 / 3 * 240], &rgb[3 * i]) != 0;
        EXPECT_EQ(wrong, 0) << k;
    }
}

}  // namespace
