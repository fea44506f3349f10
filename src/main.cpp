// The executable: reads the options, chooses the desktop window or the
// headless script runner, and hands over to the shell.
#include <getopt.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/headless.h"
#include "animation/stage.h"
#include "host/export.h"
#include "host/host.h"
#include "host/keep.h"
#include "host/keys.h"
#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "shell/shell.h"
#include "surface/surface.h"

// ---------------------------------------------------------------------------
// Options: one table gives getopt_long its long options and --help its text.
// ---------------------------------------------------------------------------
enum OptionId : int {
    kOptionScript = 256,
    kOptionOut,
    kOptionRoot,
    kOptionScale,
    kOptionWorkspace,
    kOptionNoKeep,
    kOptionExportSvg,
    kOptionSlot,
    kOptionExportSvgAll,
    kOptionExportWebp,
    kOptionExportGif,
    kOptionExportFrames,
    kOptionFrames,
    kOptionExportScale,
    kOptionNoSvgBackground,
    kOptionExportDir,
    kOptionHelp,
    kOptionVersion,
};

struct OptionEntry {
    const char* name;
    OptionId id;
    const char* value;  // the value's name in --help; null for a flag
    const char* help;   // lines after the first start with a newline
};

static const OptionEntry kOptions[] = {
    {"script",  kOptionScript,  "FILE", "run headless: no window, input from the session script FILE"},
    {"out",     kOptionOut,     "DIR",  "folder for the script's screenshots (default: the current folder)"},
    {"root",    kOptionRoot,    "DIR",  "host folder that stands for the device's root \"\\\"\n"
                                        "(default: the device folder bundled with the program)"},
    {"scale",   kOptionScale,   "N",    "window size as a whole multiple of 240 x 320, 1 to 6\n"
                                        "(default: the largest that fits the screen; one that\n"
                                        "does not fit is made smaller, unless written N!)"},
    {"workspace", kOptionWorkspace, "FILE", "keep the work in FILE between runs (the window's\n"
                                            "default: kalvenorix/workspace.knw in the user's data\n"
                                            "folder; a script keeps nothing without this option)"},
    {"no-keep", kOptionNoKeep,  nullptr, "start fresh and keep nothing (the window)"},
    {"export-svg",     kOptionExportSvg,    "FILE", "the edited drawing as SVG. Exports run without a\n"
                                                    "window when the program ends: after the --script run,\n"
                                                    "else on the work the window keeps (or --workspace's)"},
    {"slot",           kOptionSlot,         "N",    "the library slot --export-svg exports, 0 to 63"},
    {"export-svg-all", kOptionExportSvgAll, "DIR",  "every drawing of the library as DIR/slot-NN.svg"},
    {"export-webp",    kOptionExportWebp,   "FILE", "the animation as a lossless animated WebP"},
    {"export-gif",     kOptionExportGif,    "FILE", "the animation as an animated GIF"},
    {"export-frames",  kOptionExportFrames, "DIR",  "the animation as DIR/frame-NNN.png, one per frame"},
    {"frames",         kOptionFrames,       "A-B",  "the frames an animation export holds, 0 <= A <= B <= 200\n"
                                                    "(default 0-200, 48 ms each)"},
    {"export-scale",   kOptionExportScale,  "N",    "animation exports N times the screen's size, 1 to 6\n"
                                                    "(default 1)"},
    {"no-svg-background", kOptionNoSvgBackground, nullptr, "SVG exports without the white background"},
    {"export-dir",     kOptionExportDir,    "DIR",  "where Ctrl+E exports (default: KalveNorix in\n"
                                                    "$XDG_PICTURES_DIR, else ~/Pictures/KalveNorix)"},
    {"help",    kOptionHelp,    nullptr, "show this text"},
    {"version", kOptionVersion, nullptr, "show the version"},
};
constexpr int kOptionCount = sizeof kOptions / sizeof kOptions[0];

static void PrintUsage() {
    std::puts("Usage: kalvenorix [OPTIONS]\n\n"
              "Vector drawing and cut-out animation on a 240 x 320 stylus screen.\n\n"
              "Options:");
    for (const OptionEntry& entry : kOptions) {
        char left[32];
        std::snprintf(left, sizeof left, "--%s%s%s", entry.name, entry.value ? " " : "",
                      entry.value ? entry.value : "");
        std::printf("  %-24s", left);
        for (const char* line = entry.help; line != nullptr;) {
            const char* end = std::strchr(line, '\n');
            std::printf("%.*s\n", end ? static_cast<int>(end - line) : static_cast<int>(std::strlen(line)), line);
            line = end ? end + 1 : nullptr;
            if (line != nullptr) std::printf("  %-24s", "");
        }
    }
    std::puts("\nKeys in the window:");
    PrintKeyList(stdout);
    std::puts("\nScript commands, one per line ('#' starts a comment):\n"
              "  down X Y | move X Y | up | tap X Y | drag X1 Y1 X2 Y2 [STEPS] | wait MS | shot FILE\n"
              "  expect X Y RRGGBB | key NAME (a key press: ctrl+z, delete, space, 1 ...)\n"
              "  export-svg FILE [SLOT] | export-webp FILE | export-gif FILE | export-frames DIR\n"
              "  (exports, their names relative to the --out folder)");
}

static int UsageError(const char* format, const char* value) {
    std::fprintf(stderr, "kalvenorix: ");
    std::fprintf(stderr, format, value);
    std::fprintf(stderr, "\nTry 'kalvenorix --help'.\n");
    return 2;
}

static bool IsFolder(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// A decimal whole number from low to high, nothing else.
static bool ParseWhole(const char* text, int low, int high, int* out) {
    long value = 0;
    int digits = 0;
    for (; text[digits] >= '0' && text[digits] <= '9' && digits < 6; ++digits)
        value = value * 10 + (text[digits] - '0');
    if (digits == 0 || text[digits] != '\0' || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

// "A-B", both frames of the playback, A <= B.
static bool ParseFrameRange(const char* text, ExportOptions* options) {
    const char* dash = std::strchr(text, '-');
    if (dash == nullptr || dash - text > 6) return false;
    char first[8];
    std::snprintf(first, sizeof first, "%.*s", static_cast<int>(dash - text), text);
    return ParseWhole(first, 0, kLastPlayedFrame, &options->first_frame) &&
           ParseWhole(dash + 1, 0, kLastPlayedFrame, &options->last_frame) &&
           options->first_frame <= options->last_frame;
}

struct Options {
    const char* script = nullptr;
    const char* out = nullptr;
    const char* root = nullptr;
    const char* workspace = nullptr;
    bool no_keep = false;
    int scale = kAutomaticDesktopScale;
    bool scale_forced = false;
    ExportRequests exports = {nullptr, -1, nullptr, nullptr, nullptr, nullptr};
    ExportOptions export_options = ::export_options;
    const char* export_dir = nullptr;
};

// The exports' file and folder options, and where each value goes.
struct ExportPath {
    OptionId id;
    const char* ExportRequests::*field;
};
static const ExportPath kExportPaths[] = {
    {kOptionExportSvg,    &ExportRequests::svg},  {kOptionExportSvgAll, &ExportRequests::svg_all},
    {kOptionExportWebp,   &ExportRequests::webp}, {kOptionExportGif,    &ExportRequests::gif},
    {kOptionExportFrames, &ExportRequests::frames},
};

constexpr int kContinue = -1;

// Fills the options; kContinue to run, otherwise the exit status.
static int ParseOptions(int argc, char** argv, Options* options) {
    option long_options[kOptionCount + 1] = {};
    for (int i = 0; i < kOptionCount; ++i)
        long_options[i] = {kOptions[i].name,
                           kOptions[i].value ? required_argument : no_argument, nullptr,
                           kOptions[i].id};
    opterr = 0;  // the messages below say more
    optind = 1;
    for (;;) {
        const int previous = optind;
        const int id = getopt_long(argc, argv, ":h", long_options, nullptr);
        if (id == -1) break;
        const char* value = optarg;
        switch (id) {
        case 'h':
        case kOptionHelp:
            PrintUsage();
            return 0;
        case kOptionVersion:
            std::printf("%s\nfile version 1.0.0.1\n", kVersionLine);
            return 0;
        case kOptionScript:
            options->script = value;
            break;
        case kOptionOut:
            options->out = value;
            break;
        case kOptionRoot:
            options->root = value;
            break;
        case kOptionWorkspace:
            options->workspace = value;
            break;
        case kOptionNoKeep:
            options->no_keep = true;
            break;
        case kOptionScale: {
            // "N" or "N!": a ! keeps the scale even when it does not fit the desktop.
            const bool forced = value[0] != '\0' && value[1] == '!' && value[2] == '\0';
            const bool digit = value[0] != '\0' && (value[1] == '\0' || forced);
            if (!digit || value[0] < '0' + kMinDesktopScale || value[0] > '0' + kMaxDesktopScale)
                return UsageError("--scale takes a whole number from 1 to 6, not '%s'", value);
            options->scale = value[0] - '0';
            options->scale_forced = forced;
            break;
        }
        case kOptionExportSvg:
        case kOptionExportSvgAll:
        case kOptionExportWebp:
        case kOptionExportGif:
        case kOptionExportFrames:
            for (const ExportPath& path : kExportPaths)
                if (path.id == id) options->exports.*path.field = value;
            break;
        case kOptionSlot:
            if (!ParseWhole(value, 0, 63, &options->exports.svg_slot))
                return UsageError("--slot takes a library slot from 0 to 63, not '%s'", value);
            break;
        case kOptionFrames:
            if (!ParseFrameRange(value, &options->export_options))
                return UsageError("--frames takes A-B with 0 <= A <= B <= 200, not '%s'", value);
            break;
        case kOptionExportScale:
            if (!ParseWhole(value, 1, kMaxExportScale, &options->export_options.scale))
                return UsageError("--export-scale takes a whole number from 1 to 6, not '%s'", value);
            break;
        case kOptionNoSvgBackground:
            options->export_options.svg_background = false;
            break;
        case kOptionExportDir:
            options->export_dir = value;
            break;
        case ':':
            return UsageError("%s needs a value", argv[previous]);
        default:
            return UsageError("unknown option '%s'", argv[previous]);
        }
        if (value != nullptr && value[0] == '\0') {
            for (const OptionEntry& entry : kOptions)
                if (entry.id == id) return UsageError("--%s needs a value", entry.name);
        }
    }
    if (optind < argc) return UsageError("unexpected argument '%s'", argv[optind]);
    if (options->no_keep && options->workspace != nullptr)
        return UsageError("%s", "--no-keep and --workspace contradict each other");
    if (options->exports.svg_slot >= 0 && options->exports.svg == nullptr)
        return UsageError("%s", "--slot goes with --export-svg");
    return kContinue;
}

// ---------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------
int main(int argc, char** argv) {
    Options options;
    const int parsed = ParseOptions(argc, argv, &options);
    if (parsed != kContinue) return parsed;

    char root[PATH_MAX];
    if (options.root != nullptr) {
        if (!IsFolder(options.root)) return UsageError("--root: '%s' is not a folder", options.root);
        std::snprintf(root, sizeof root, "%s", options.root);
    } else if (!FindBundledDeviceRoot(root, sizeof root)) {
        return UsageError("%s", "no device folder found next to the program or in its data "
                                "folder; name one with --root DIR");
    }
    if (options.out != nullptr && !IsFolder(options.out))
        return UsageError("--out: '%s' is not a folder", options.out);

    // Exports from the command line run without a window: after the script,
    // or after an empty session that only starts and ends the program.
    RegisterExportScriptCommands();
    RequestExportsAtEnd(options.exports);
    export_options = options.export_options;
    SetExportFolder(options.export_dir);
    SetExportKeyAction(ExportOnKey);
    const bool headless = options.script != nullptr || ExportsRequested();
    if (headless) {
        // The whole script is checked before anything runs.
        char error[512];
        const bool loaded = options.script != nullptr
                                ? LoadHeadlessScriptFile(options.script, error, sizeof error)
                                : LoadHeadlessScriptText("exports", "", error, sizeof error);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", error);
            return 2;
        }
        if (options.out != nullptr) SetHeadlessShotFolder(options.out);
        platform = HeadlessBackend();
    } else {
        // Without a display SDL tries every driver it knows and may wait on
        // one that shows nothing; say so at once instead.
        const char* x11 = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        if ((x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0') &&
            (driver == nullptr || driver[0] == '\0')) {
            std::fprintf(stderr, "kalvenorix: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                                 "--script FILE runs without a window\n");
            return 2;
        }
        platform = DesktopBackend(options.scale, options.scale_forced);
        SetExportNotice(ShowDesktopNotice);
    }

    // The window keeps the work by default, and exports without a script
    // read it from there; a script keeps work only when asked to.
    char workspace[PATH_MAX] = "";
    if (options.workspace != nullptr) {
        std::snprintf(workspace, sizeof workspace, "%s", options.workspace);
    } else if (options.script == nullptr && !options.no_keep && !DefaultWorkspacePath(workspace, sizeof workspace)) {
        std::fprintf(stderr, "kalvenorix: no data folder ($XDG_DATA_HOME or $HOME) to keep the work in; "
                             "this run keeps nothing (--workspace FILE names one)\n");
    }
    InstallHostFeatures(workspace[0] != '\0' ? workspace : nullptr);
    if (!headless && workspace[0] != '\0')
        std::printf("Keeping the work in %s (--no-keep starts fresh and keeps nothing)\n", workspace);

    SetDeviceRoot(root);
    InitScreenSurface(surface);
    ShellMain(1);

    // Closing the window ends the program inside the shell; reaching this
    // point means the program quit by itself, or had no window at all.
    if (headless) {
        const int left = HeadlessLinesLeft();
        if (left > 0)
            std::printf("note: the program quit before the script ended; %d %s not run\n", left,
                        left == 1 ? "line was" : "lines were");
    } else if (DesktopError()[0] != '\0') {
        std::fprintf(stderr, "kalvenorix: cannot open a window (%s); --script FILE runs without one\n",
                     DesktopError());
        return 2;
    }
    return ExitStatus();
}
