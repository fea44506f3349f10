// The executable: reads the options, chooses the desktop window or the
// headless script runner, and hands over to the shell.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/desktop.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "shell/shell.h"
#include "surface/surface.h"

static const char kUsage[] =
    "Usage: kalvenorix [OPTIONS]\n"
    "\n"
    "Vector drawing and cut-out animation on a 240 x 320 stylus screen.\n"
    "\n"
    "Options:\n"
    "  --script FILE  run headless: no window, input from the session script FILE\n"
    "  --out DIR      folder for the script's screenshots (default: the current folder)\n"
    "  --root DIR     host folder that stands for the device's root \"\\\"\n"
    "                 (default: the device folder bundled with the program)\n"
    "  --scale N      window size as a whole multiple of 240 x 320, 1 to 6\n"
    "                 (default: the largest that fits the screen)\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Script commands, one per line ('#' starts a comment):\n"
    "  down X Y | move X Y | up | tap X Y | drag X1 Y1 X2 Y2 [STEPS] | wait MS | shot FILE\n";

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

struct Options {
    const char* script = nullptr;
    const char* out = nullptr;
    const char* root = nullptr;
    int scale = kAutomaticDesktopScale;
};

// Takes "--name VALUE" or "--name=VALUE"; null when the value is missing.
static const char* OptionValue(int argc, char** argv, int* i, const char* name) {
    const char* argument = argv[*i];
    size_t length = std::strlen(name);
    if (argument[length] == '=') return argument + length + 1;
    if (*i + 1 >= argc) return nullptr;
    return argv[++*i];
}

static bool Matches(const char* argument, const char* name) {
    size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 &&
           (argument[length] == '\0' || argument[length] == '=');
}

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argument, "--version") == 0) {
            std::puts("KalveNorix [0.12]");
            std::puts("file version 1.0.0.1");
            return 0;
        }
        const char* names[] = {"--script", "--out", "--root", "--scale"};
        const char* name = nullptr;
        for (const char* n : names)
            if (Matches(argument, n)) name = n;
        if (name == nullptr) return UsageError("unknown option '%s'", argument);
        const char* value = OptionValue(argc, argv, &i, name);
        if (value == nullptr || value[0] == '\0') return UsageError("%s needs a value", name);
        if (std::strcmp(name, "--script") == 0) options.script = value;
        if (std::strcmp(name, "--out") == 0) options.out = value;
        if (std::strcmp(name, "--root") == 0) options.root = value;
        if (std::strcmp(name, "--scale") == 0) {
            bool digits = value[0] != '\0' && value[1] == '\0';
            if (!digits || value[0] < '0' + kMinDesktopScale || value[0] > '0' + kMaxDesktopScale)
                return UsageError("--scale takes a whole number from 1 to 6, not '%s'", value);
            options.scale = value[0] - '0';
        }
    }

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

    if (options.script != nullptr) {
        // The whole script is checked before anything runs.
        char error[512];
        if (!LoadHeadlessScriptFile(options.script, error, sizeof error)) {
            std::fprintf(stderr, "%s\n", error);
            return 2;
        }
        if (options.out != nullptr) SetHeadlessShotFolder(options.out);
        platform = HeadlessBackend();
    } else {
        platform = DesktopBackend(options.scale);
    }

    SetDeviceRoot(root);
    InitScreenSurface(surface);
    int rc = ShellMain(1);

    // Closing the window ends the program inside the shell; reaching this
    // point means the program quit by itself, or had no window at all.
    if (options.script != nullptr) {
        int left = HeadlessLinesLeft();
        if (left > 0)
            std::printf("note: the program quit before the script ended; %d %s not run\n", left,
                        left == 1 ? "line was" : "lines were");
    } else if (DesktopError()[0] != '\0') {
        std::fprintf(stderr, "kalvenorix: cannot open a window (%s); --script FILE runs without one\n",
                     DesktopError());
        return 1;
    }
    return rc;
}
