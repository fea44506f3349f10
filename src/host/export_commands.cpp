// The session script's export commands. Only the native hosts run scripts,
// so this file stays out of the web page's link.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/export.h"
#include "platform/headless.h"
#include "screens/drawing_editor.h"

// A name relative to the shot folder, or an absolute one as it is.
static void ResolvePath(const char* name, char* out, size_t capacity) {
    if (name[0] == '/')
        std::snprintf(out, capacity, "%s", name);
    else
        std::snprintf(out, capacity, "%s/%s", HeadlessShotFolder(), name);
}

// Runs one export onto the command's file name; on failure the message
// names the command and the problem.
static bool RunExport(const char* const* argv, bool (*run)(ExportTarget*, int32_t), int32_t slot,
                      char* message, size_t capacity) {
    char path[PATH_MAX];
    ResolvePath(argv[1], path, sizeof path);
    ExportTarget target = {path, false, {}, {}};
    if (run(&target, slot)) return true;
    std::snprintf(message, capacity, "%s: %s", argv[0], target.message);
    return false;
}

static bool Svg(ExportTarget* t, int32_t slot) { return ExportDrawingSvg(slot, t); }
static bool Webp(ExportTarget* t, int32_t) { return ExportAnimation(AnimationFormat::kWebp, t); }
static bool Gif(ExportTarget* t, int32_t) { return ExportAnimation(AnimationFormat::kGif, t); }
static bool Frames(ExportTarget* t, int32_t) { return ExportFrames(t); }

// export-svg FILE [SLOT]: the slot a decimal 0..63, by default the editor's.
static bool ExportSvgCommand(int argc, const char* const* argv, char* message, size_t capacity) {
    int32_t slot = editor.drawing_slot;
    if (argc == 3) {
        char* end = nullptr;
        const long value = std::strtol(argv[2], &end, 10);
        if (end == argv[2] || *end != '\0' || value < 0 || value > 63) {
            std::snprintf(message, capacity, "export-svg: the slot is 0 to 63, not \"%.40s\"", argv[2]);
            return false;
        }
        slot = static_cast<int32_t>(value);
    }
    return RunExport(argv, Svg, slot, message, capacity);
}

static bool ExportWebpCommand(int, const char* const* argv, char* message, size_t capacity) {
    return RunExport(argv, Webp, 0, message, capacity);
}
static bool ExportGifCommand(int, const char* const* argv, char* message, size_t capacity) {
    return RunExport(argv, Gif, 0, message, capacity);
}
static bool ExportFramesCommand(int, const char* const* argv, char* message, size_t capacity) {
    return RunExport(argv, Frames, 0, message, capacity);
}

void RegisterExportScriptCommands() {
    RegisterScriptCommand("export-svg", 1, 2, "export-svg FILE [SLOT]", ExportSvgCommand);
    RegisterScriptCommand("export-webp", 1, 1, "export-webp FILE", ExportWebpCommand);
    RegisterScriptCommand("export-gif", 1, 1, "export-gif FILE", ExportGifCommand);
    RegisterScriptCommand("export-frames", 1, 1, "export-frames DIR", ExportFramesCommand);
}
