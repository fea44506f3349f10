#include "shell/shell.h"

#include <cstdlib>

#include "input/input.h"

ShellState shell;

static void (*shutdown_hook)() = nullptr;

void SetShutdownHook(void (*hook)()) { shutdown_hook = hook; }

// The window class has nothing to register on a host; the atom is never 0.
int RegisterShellClass() { return 1; }

int CreateShellWindow(int show_command) {
    shell.window = platform->create_window(show_command) ? 1 : 0;
    return shell.window;
}

// Closing the window ends the program at once, after the same orderly
// tear-down as quitting through the mode selector: the main loop's objects
// are freed, then the display is closed and the window destroyed.
static void CloseAndExit() {
    if (shutdown_hook != nullptr) shutdown_hook();
    GXCloseInput();
    GXCloseDisplay();
    SetTaskbarVisible(1);
    if (shell.window) {
        shell.window = 0;
        platform->destroy_window();
        WindowProc(kMessageDestroy, 0, 0);
    }
    std::exit(ExitStatus());
}

int ShellMain(int show_command, void (*main_loop)()) {
    SetTaskbarVisible(0);  // no window yet: only the taskbar is hidden
    if ((RegisterShellClass() & 0xFFFF) == 0) return 0;
    if (CreateShellWindow(show_command) == 0) return 0;
    SetCloseHook(CloseAndExit);
    GXOpenDisplay();
    GXOpenInput();
    input.stylus_down = 0;
    main_loop();
    GXCloseInput();
    GXCloseDisplay();
    SetTaskbarVisible(1);
    shell.window = 0;
    platform->destroy_window();
    WindowProc(kMessageDestroy, 0, 0);  // the destroy message repeats the closes
    return 0;
}
