#include "shell/shell.h"

#include <cstdlib>

ShellState shell;

static void (*shutdown_hook)() = nullptr;

void SetShutdownHook(void (*hook)()) { shutdown_hook = hook; }

// The window class has nothing to register on a host; the atom is never 0.
int RegisterShellClass() { return 1; }

int CreateShellWindow(int show_command) {
    shell.window = platform->create_window(show_command) ? 1 : 0;
    return shell.window;
}

// The taskbar belongs to the handheld's shell; a desktop backend may ignore it.
void SetTaskbarVisible(int visible) { platform->set_taskbar_visible((visible & 0xFF) != 0); }

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
        ShellWindowProc(kMessageDestroy, 0, 0);
    }
    std::exit(0);
}

uint32_t ShellWindowProc(uint32_t message, uint32_t, uint32_t long_param) {
    switch (message) {
    case kMessageDestroy:
        GXCloseInput();
        GXCloseDisplay();
        SetTaskbarVisible(1);
        return 0;
    case kMessageSetFocus:
        GXResume();
        return 0;
    case kMessageKillFocus:
        GXSuspend();
        return 0;
    case kMessageSettingChange:
        SetTaskbarVisible(0);
        return 0;
    case kMessageClose:
        CloseAndExit();
        return 0;
    case kMessageMouseMove:
        shell.stylus_x = static_cast<uint16_t>(long_param & 0xFFFF);
        shell.stylus_y = static_cast<uint16_t>(long_param >> 16);
        return 0;
    case kMessageLeftButtonDown:
        shell.stylus_x = static_cast<uint16_t>(long_param & 0xFFFF);
        shell.stylus_y = static_cast<uint16_t>(long_param >> 16);
        shell.tap_latch = 1;
        shell.stylus_down = 1;
        return 0;
    case kMessageLeftButtonUp:
        shell.stylus_down = 0;  // the position stays where the stylus left
        return 0;
    default:  // keys, quit and anything else: nothing acts on them
        return 0;
    }
}

void PumpMessages() {
    while (platform->peek_message() == 1) {
        Message m;
        if (!platform->get_message(&m)) break;
        ShellWindowProc(m.message, m.word_param, m.long_param);
    }
}

int ShellMain(int show_command, void (*main_loop)()) {
    SetTaskbarVisible(0);  // no window yet: only the taskbar is hidden
    if ((RegisterShellClass() & 0xFFFF) == 0) return 0;
    if (CreateShellWindow(show_command) == 0) return 0;
    GXOpenDisplay();
    GXOpenInput();
    shell.stylus_down = 0;
    main_loop();
    GXCloseInput();
    GXCloseDisplay();
    SetTaskbarVisible(1);
    shell.window = 0;
    platform->destroy_window();
    ShellWindowProc(kMessageDestroy, 0, 0);  // the destroy message repeats the closes
    return 0;
}
