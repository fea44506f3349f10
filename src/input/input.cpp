#include "input/input.h"

InputState input;

static void (*close_hook)() = nullptr;
static void (*key_hook)(uint32_t key, uint32_t modifiers) = nullptr;

void SetCloseHook(void (*hook)()) { close_hook = hook; }
void SetKeyHook(void (*hook)(uint32_t key, uint32_t modifiers)) { key_hook = hook; }

void SetTaskbarVisible(int visible) { platform->set_taskbar_visible((visible & 0xFF) != 0); }

static void TakeStylusPosition(uint32_t long_param) {
    input.stylus_x = static_cast<uint16_t>(long_param & 0xFFFF);
    input.stylus_y = static_cast<uint16_t>(long_param >> 16);
}

uint32_t WindowProc(uint32_t message, uint32_t word_param, uint32_t long_param) {
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
        if (close_hook != nullptr) close_hook();
        return 0;
    case kMessageMouseMove:
        TakeStylusPosition(long_param);
        return 0;
    case kMessageLeftButtonDown:
        TakeStylusPosition(long_param);
        input.tap_latch = 1;
        input.stylus_down = 1;
        return 0;
    case kMessageLeftButtonUp:
        input.stylus_down = 0;  // the position stays where the stylus left
        return 0;
    case kMessageKeyDown:
        if (key_hook != nullptr) key_hook(word_param, long_param);
        return 0;
    default:  // key releases, quit and anything else: nothing acts on them
        return 0;
    }
}

void PumpMessages() {
    while (platform->peek_message() == 1) {
        Message m;
        if (!platform->get_message(&m)) break;
        WindowProc(m.message, m.word_param, m.long_param);
    }
}
