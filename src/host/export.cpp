#include "host/export.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "animation/stage.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "host/svg_writer.h"
#include "host/undo.h"
#include "platform/host_files.h"
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "screens/drawing_editor.h"
#include "surface/surface.h"

ExportOptions export_options = {0, kLastPlayedFrame, 1, true};

// A frame of the playback lasts one wait and a millisecond.
constexpr uint32_t kFrameMs = kFrameWaitMs + 1;

// Puts the one-line message into the target; false, for the caller to return.
[[gnu::format(printf, 2, 3)]] static bool Say(ExportTarget* target, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(target->message, sizeof target->message, format, arguments);
    va_end(arguments);
    return false;
}

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

// Writes the bytes whole under the target's path, or under the first free
// name like it; the folders on the way are made.
static bool WriteTargetFile(ExportTarget* target, const uint8_t* data, size_t size) {
    std::snprintf(target->written, sizeof target->written, "%s", target->path);
    const bool ok = MakeParentFolders(target->path) &&
                    (target->keep_existing
                         ? WriteNewFileAtomically(target->path, data, size, target->written,
                                                  sizeof target->written)
                         : WriteFileAtomically(target->path, data, size));
    return ok || Say(target, "cannot write %s (%s)", target->written, std::strerror(errno));
}

// FOLDER/NAME into out; false when it does not fit.
static bool PathIn(const char* folder, const char* name, char* out, size_t capacity) {
    const int n = std::snprintf(out, capacity, "%s/%s", folder, name);
    return n > 0 && static_cast<size_t>(n) < capacity;
}

// ---------------------------------------------------------------------------
// SVG
// ---------------------------------------------------------------------------

static bool WriteSvg(const DrawingView& view, ExportTarget* target) {
    std::string svg;
    WriteDrawingSvg(view, editor.view, export_options.svg_background, &svg);
    return WriteTargetFile(target, reinterpret_cast<const uint8_t*>(svg.data()), svg.size());
}

// The editor's slot gets the edited drawing, stored as the mode selector
// stores it (and recorded for undo as the selector's use is); a library too
// full to take it still exports what the editor shows.
bool ExportDrawingSvg(int32_t slot, ExportTarget* target) {
    if (slot < 0 || slot >= kSlotCount) return Say(target, "slot %d is not 0 to 63", slot);
    if (slot == editor.drawing_slot) {
        StoreEditedDrawing();
        RecordChange();
        return WriteSvg(ViewOf(drawing), target);
    }
    if (!SlotHoldsDrawing(library, slot)) return Say(target, "slot %d holds no drawing", slot);
    return WriteSvg(MakeDrawingView(library.slots[slot].data), target);
}

bool ExportEverySlotSvg(ExportTarget* target) {
    for (int32_t slot = 0; slot < kSlotCount; ++slot) {
        if (!SlotHoldsDrawing(library, slot) && slot != editor.drawing_slot) continue;
        char name[24], path[PATH_MAX];  // room for any int, which the compiler cannot rule out
        std::snprintf(name, sizeof name, "slot-%02d.svg", slot);
        if (!PathIn(target->path, name, path, sizeof path)) return Say(target, "the folder name is too long");
        ExportTarget file = {path, target->keep_existing, {}, {}};
        if (!ExportDrawingSvg(slot, &file)) return Say(target, "%s", file.message);
    }
    std::snprintf(target->written, sizeof target->written, "%s", target->path);
    return true;
}

// ---------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------

// The export's own surface and its frames as 8-bit RGB at the chosen scale;
// the actors' poses as they were before the first frame.
struct FrameSource {
    ScreenSurface surface;
    std::vector<uint8_t> rgb;
    int32_t scale;
    int32_t width, height;
    Actor saved[kActorCapacity];
};

static FrameSource frames;

static bool StartFrames(ExportTarget* target) {
    InitScreenSurfaceFrom(frames.surface, kPortraitDisplay);
    if (frames.surface.pixel_base == nullptr) return Say(target, "out of memory");
    frames.scale = export_options.scale;
    frames.width = kScreenWidth * frames.scale;
    frames.height = kScreenHeight * frames.scale;
    frames.rgb.resize(static_cast<size_t>(frames.width) * static_cast<size_t>(frames.height) * 3);
    std::memcpy(frames.saved, stage.actors, sizeof frames.saved);
    return true;
}

static void EndFrames() {
    std::memcpy(stage.actors, frames.saved, sizeof frames.saved);
    FreeScreenSurface(frames.surface);
    frames.rgb = std::vector<uint8_t>();
}

// The playback's frame body into the export's surface, then each pixel
// widened as the screenshots widen it (r << 3, g << 2, b << 3) and repeated
// into a square of scale x scale.
static const uint8_t* RenderFrame(int32_t frame) {
    ScreenSurface& s = frames.surface;
    s.pen_colour.word = 0xFFFF;
    ClearSurface(s);
    InterpolateFrame(stage, frame);
    RenderActors(stage, s);
    const size_t row_bytes = static_cast<size_t>(frames.width) * 3;
    for (int32_t y = 0; y < kScreenHeight; ++y) {
        uint8_t* row = frames.rgb.data() + row_bytes * static_cast<size_t>(y * frames.scale);
        uint8_t* out = row;
        for (int32_t x = 0; x < kScreenWidth; ++x) {
            const uint16_t word = s.pixel_base[x * s.x_step + y * s.y_step];
            const uint8_t red = static_cast<uint8_t>((word >> 11) << 3);
            const uint8_t green = static_cast<uint8_t>(((word >> 5) & 63) << 2);
            const uint8_t blue = static_cast<uint8_t>((word & 31) << 3);
            for (int32_t k = 0; k < frames.scale; ++k, out += 3) {
                out[0] = red;
                out[1] = green;
                out[2] = blue;
            }
        }
        for (int32_t k = 1; k < frames.scale; ++k) std::memcpy(row + row_bytes * static_cast<size_t>(k), row, row_bytes);
    }
    return frames.rgb.data();
}

bool ExportAnimation(AnimationFormat format, ExportTarget* target) {
    if (!StartFrames(target)) return false;
    AnimationWriter* writer = BeginAnimation(format, frames.width, frames.height);
    bool ok = writer != nullptr;
    for (int32_t k = export_options.first_frame; ok && k <= export_options.last_frame; ++k)
        ok = AddAnimationFrame(writer, RenderFrame(k), kFrameMs);
    EndFrames();
    EncodedAnimation file = {};
    ok = writer != nullptr && FinishAnimation(writer, &file) && ok;
    if (!ok) return Say(target, "cannot encode %s (%s)", target->path, AnimationError());
    ok = WriteTargetFile(target, file.data, file.size);
    FreeEncodedAnimation(&file);
    return ok;
}

bool ExportFrames(ExportTarget* target) {
    if (!StartFrames(target)) return false;
    bool ok = true;
    for (int32_t k = export_options.first_frame; ok && k <= export_options.last_frame; ++k) {
        char name[24];
        std::snprintf(name, sizeof name, "frame-%03d.png", k);
        if (!PathIn(target->path, name, target->written, sizeof target->written)) {
            ok = Say(target, "the folder name is too long");
            break;
        }
        const uint8_t* rgb = RenderFrame(k);
        ok = (k > export_options.first_frame || MakeParentFolders(target->written)) &&
             EncodePngFile(target->written, frames.width, frames.height, rgb);
        if (!ok) Say(target, "cannot write %s (%s)", target->written, std::strerror(errno));
    }
    EndFrames();
    if (ok) std::snprintf(target->written, sizeof target->written, "%s", target->path);
    return ok;
}

// ---------------------------------------------------------------------------
// Ctrl+E
// ---------------------------------------------------------------------------

struct KeyExport {
    char folder[PATH_MAX];  // "" for the default
    void (*notice)(const char* text);
};

static KeyExport key_export;

void SetExportFolder(const char* folder) {
    std::snprintf(key_export.folder, sizeof key_export.folder, "%s", folder != nullptr ? folder : "");
}

void SetExportNotice(void (*notice)(const char* text)) { key_export.notice = notice; }

static void Notice(const char* text) {
    if (key_export.notice != nullptr) key_export.notice(text);
}

static const char* NameOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

void ExportOnKey() {
    char folder[PATH_MAX], pictures[PATH_MAX];
    if (key_export.folder[0] != '\0') {
        std::snprintf(folder, sizeof folder, "%s", key_export.folder);
    } else if (!UserPicturesFolder(pictures, sizeof pictures) ||
               !PathIn(pictures, "KalveNorix", folder, sizeof folder)) {
        std::fprintf(stderr, "kalvenorix: no pictures folder ($XDG_PICTURES_DIR or $HOME) to export to; "
                             "--export-dir DIR names one\n");
        Notice("export failed: no pictures folder");
        return;
    }
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);

    Notice("exporting ...");  // the window waits meanwhile, a few seconds at most
    char names[3][64];
    std::snprintf(names[0], sizeof names[0], "drawing-%02d-%s.svg", editor.drawing_slot, stamp);
    std::snprintf(names[1], sizeof names[1], "animation-%s.webp", stamp);
    std::snprintf(names[2], sizeof names[2], "animation-%s.gif", stamp);
    std::string shown = "exported";
    for (int i = 0; i < 3; ++i) {
        char path[PATH_MAX];
        ExportTarget target = {path, true, {}, {}};
        bool ok = PathIn(folder, names[i], path, sizeof path) || Say(&target, "the folder name is too long");
        ok = ok && (i == 0   ? ExportDrawingSvg(editor.drawing_slot, &target)
                    : i == 1 ? ExportAnimation(AnimationFormat::kWebp, &target)
                             : ExportAnimation(AnimationFormat::kGif, &target));
        if (!ok) {
            std::fprintf(stderr, "kalvenorix: export failed: %s\n", target.message);
            Notice(("export failed: " + std::string(target.message)).c_str());
            return;
        }
        std::printf("Exported %s\n", target.written);
        shown += (i == 0 ? " " : ", ") + std::string(NameOf(target.written));
    }
    std::fflush(stdout);
    Notice(shown.c_str());
}

// ---------------------------------------------------------------------------
// The command line
// ---------------------------------------------------------------------------

static ExportRequests requests = {nullptr, -1, nullptr, nullptr, nullptr, nullptr};

void RequestExportsAtEnd(const ExportRequests& wanted) { requests = wanted; }

bool ExportsRequested() {
    return requests.svg != nullptr || requests.svg_all != nullptr || requests.webp != nullptr ||
           requests.gif != nullptr || requests.frames != nullptr;
}

// Each export that was asked for, in a fixed order; one that fails does not
// stop the others.
void RunRequestedExports() {
    const struct {
        const char* option;
        const char* path;
    } kRequests[] = {
        {"--export-svg", requests.svg},   {"--export-svg-all", requests.svg_all},
        {"--export-webp", requests.webp}, {"--export-gif", requests.gif},
        {"--export-frames", requests.frames},
    };
    for (int i = 0; i < 5; ++i) {
        if (kRequests[i].path == nullptr) continue;
        ExportTarget target = {kRequests[i].path, false, {}, {}};
        const int32_t slot = requests.svg_slot >= 0 ? requests.svg_slot : editor.drawing_slot;
        const bool ok = i == 0   ? ExportDrawingSvg(slot, &target)
                        : i == 1 ? ExportEverySlotSvg(&target)
                        : i == 2 ? ExportAnimation(AnimationFormat::kWebp, &target)
                        : i == 3 ? ExportAnimation(AnimationFormat::kGif, &target)
                                 : ExportFrames(&target);
        if (ok) {
            std::printf("Exported %s\n", kRequests[i].path);
        } else {
            std::fprintf(stderr, "kalvenorix: %s: %s\n", kRequests[i].option, target.message);
            SetExitStatus(2);
        }
    }
    std::fflush(stdout);
}
