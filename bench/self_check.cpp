#include "self_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "platform/headless.h"
#include "scene_generator.h"
#include "scenes.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "surface/surface.h"

namespace {

std::string Fail(const char* format, long a = 0, long b = 0) {
    char text[200];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

struct Mix {
    int filled = 0, outlines = 0, translucent = 0, contour_starts = 0, controls = 0;
};

Mix MixOf(const Drawing& d) {
    Mix m;
    for (uint32_t i = 0; i < d.shape_count; ++i) {
        const ShapeRecord& s = d.shapes[i];
        (s.kind == kShapeFilled ? m.filled : m.outlines)++;
        m.translucent += s.colour.alpha != 255;
        for (uint32_t k = s.first; k < s.first + s.count; ++k) {
            m.contour_starts += d.vertices[k].type == kPointContourStart;
            m.controls += d.vertices[k].type == kPointControl;
        }
    }
    return m;
}

// The scene at capacity, every kind of shape and vertex present, the same
// drawing from the same seed, and smaller scenes the start of larger ones
// (the growth series then adds shapes of the same kinds and sizes).
std::string CheckGenerator() {
    Drawing a, b;
    if (!AllocateDrawing(a) || !AllocateDrawing(b)) return "cannot allocate scratch drawings";
    std::string problem;
    if (!GenerateScene(a, EditorScene(kShapeCapacity)) ||
        !GenerateScene(b, EditorScene(kShapeCapacity)))
        problem = "the editor scene does not fit a drawing";
    else if (a.shape_count != kShapeCapacity || a.vertex_count != kVertexCapacity)
        problem = Fail("the editor scene has %ld shapes and %ld vertices, not 512 and 2048",
                       a.shape_count, a.vertex_count);
    else if (std::memcmp(a.vertices, b.vertices, a.vertex_count * sizeof(Vertex)) != 0 ||
             std::memcmp(a.shapes, b.shapes, a.shape_count * sizeof(ShapeRecord)) != 0)
        problem = "the same seed gave two different scenes";
    if (problem.empty()) {
        const Mix m = MixOf(a);
        if (m.filled == 0 || m.outlines == 0 || m.translucent == 0 || m.contour_starts == 0 ||
            m.controls == 0)
            problem = "the editor scene lacks a kind of shape or vertex";
    }
    if (problem.empty() && GenerateScene(b, EditorScene(64)) &&
        (std::memcmp(a.vertices, b.vertices, b.vertex_count * sizeof(Vertex)) != 0 ||
         std::memcmp(a.shapes, b.shapes, b.shape_count * sizeof(ShapeRecord)) != 0))
        problem = "the 64-shape scene is not the start of the 512-shape one";
    FreeDrawing(a);
    FreeDrawing(b);
    return problem;
}

int Channel(uint16_t word, int shift, int bits) {
    return (word >> shift & ((1 << bits) - 1)) * 255 / ((1 << bits) - 1);
}

// Whether two RGB565 words agree within a quarter of each channel's range:
// anti-aliasing and rounding stay well inside that, another colour does not.
bool Close(uint16_t a, uint16_t b) {
    for (int c = 0; c < 3; ++c) {
        const int shift = c == 0 ? 11 : (c == 1 ? 5 : 0), bits = c == 1 ? 6 : 5;
        if (std::abs(Channel(a, shift, bits) - Channel(b, shift, bits)) > 64) return false;
    }
    return true;
}

// Share of our pixels, in ten-thousandths, that no pixel of a peer's
// picture within one pixel of them comes close to. Boundaries that the two
// anti-alias differently or place a pixel apart pass (they differ in about
// 5% of the pixels one to one); a missing shape or a hole filled by the
// wrong rule does not. Such pixels are black in *map, the others white.
long FarPixels(const uint16_t* theirs, std::vector<uint16_t>* map) {
    long far = 0;
    map->assign(kScreenWidth * kScreenHeight, 0xFFFF);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const uint16_t ours = surface.pixel_base[y * kScreenWidth + x];
            bool near = false;
            for (int v = std::max(y - 1, 0); v <= std::min(y + 1, kScreenHeight - 1); ++v)
                for (int u = std::max(x - 1, 0); u <= std::min(x + 1, kScreenWidth - 1); ++u)
                    near = near || Close(ours, theirs[v * kScreenWidth + u]);
            if (!near) {
                ++far;
                (*map)[y * kScreenWidth + x] = 0;
            }
        }
    return far * 10000 / (kScreenWidth * kScreenHeight);
}

bool NonWhitePixels() {
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
        if (surface.pixel_base[i] != 0xFFFF) return true;
    return false;
}

}  // namespace

std::string RunSelfCheck(CairoPeer& cairo, AggPeer& agg, Recording* recording,
                         const char* png_folder) {
    std::string problem = CheckGenerator();
    if (!problem.empty()) return problem;

    if (!LoadPlaybackScene()) return "the playback scene does not fit the library or the stage";
    PlaybackFrame(100);
    if (!NonWhitePixels()) return "the playback scene draws nothing";
    const std::string folder = png_folder != nullptr ? png_folder : "";
    if (png_folder != nullptr &&
        !WriteFramePng(surface.pixel_base, (folder + "/playback_frame.png").c_str()))
        return "cannot write the pictures to " + folder;

    if (!LoadEditorScene(kShapeCapacity)) return "cannot load the editor scene";
    const DrawingView view = ViewOf(drawing);
    *recording = RecordDrawing(view, editor.view);
    if (recording->shapes.size() != kShapeCapacity) return "the recording lost shapes";
    problem = CheckRecording(surface, view, editor.view, *recording);
    if (!problem.empty()) return "recording and renderer differ: " + problem;

    // Each peer's picture of the same geometry, as RGB565 words in rows.
    struct PeerPicture {
        const char* name;  // in messages and file names
        std::vector<uint16_t> pixels;
    };
    PeerPicture pictures[3] = {{"cairo", {}}, {"agg", {}}, {"agg_stroke", {}}};
    DrawWithCairo(cairo, *recording);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            pictures[0].pixels.push_back(CairoPixel(cairo, x, y));
    DrawWithAgg(agg, *recording, AggOutlines::kLineRenderer);
    pictures[1].pixels = agg.pixels;
    DrawWithAgg(agg, *recording, AggOutlines::kStroke);
    pictures[2].pixels = agg.pixels;

    EditorShapesOnly();
    if (png_folder != nullptr &&
        !WriteFramePng(surface.pixel_base, (folder + "/editor_scene.png").c_str()))
        return "cannot write the pictures to " + folder;
    std::printf("Editor scene: %zu edges and lines recorded for %zu shapes, the same as the "
                "renderer's. Pixels of ours that no peer pixel within one pixel comes close to:",
                recording->segments.size(), recording->shapes.size());
    long worst = 0;
    const char* worst_name = "";
    for (const PeerPicture& p : pictures) {
        std::vector<uint16_t> difference_map;
        const long far = FarPixels(p.pixels.data(), &difference_map);
        std::printf(" %s %ld.%02ld%%", p.name, far / 100, far % 100);
        if (far > worst) {
            worst = far;
            worst_name = p.name;
        }
        const std::string stem = folder + "/editor_scene_" + p.name;
        if (png_folder != nullptr && (!WriteFramePng(p.pixels.data(), (stem + ".png").c_str()) ||
                                      !WriteFramePng(difference_map.data(),
                                                     (stem + "_differences.png").c_str())))
            return "cannot write the pictures to " + folder;
    }
    std::printf(".\n");
    // The peers drawing the scene right leave about 0.4% (thin slivers and
    // line ends); filling the holes by the non-zero rule alone makes it 1.1%.
    if (worst > 80)
        return std::string(worst_name) +
               Fail("'s picture is far from ours in %ld of every 10,000 pixels", worst);
    return {};
}
