// Runs a screen in-process on the headless backend: the test loads a session
// script, then runs the main table through the real UI loop one returned id
// at a time. A script that runs out would end the process with status 0 (the
// backend then closes the window), so the shutdown hook aborts loudly instead
// and Script() ends every script with a long wait.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "input/input.h"
#include "screens/widget_ids.h"
#include "shell/shell.h"
#include "support/test_surface.h"
#include "ui/ui_loop.h"

inline void FailOnScriptEnd() {
    std::fprintf(stderr, "the session script ran out while the screen was still waiting for input\n");
    std::abort();
}

class HeadlessSession : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_platform_ = platform;
        ResetHeadless();
        platform = HeadlessBackend();
        shell = ShellState{};
        input = InputState{};
        SetCloseHook(FailOnScriptEnd);
        ResetTestSurface();
        ui.skin = nullptr;
        ui.canvas_mode = 0;
        ui.stroke_active = 0;
        ui.pressed_widget = nullptr;
        redraw_request = 0;
    }
    void TearDown() override {
        SetCloseHook(nullptr);
        platform = saved_platform_;
    }

    void Script(const std::string& text) {
        const std::string full = text + "\nwait 10000000\n";
        char error[256];
        ASSERT_TRUE(LoadHeadlessScriptText("session", full.c_str(), error, sizeof error)) << error;
    }

    // One pass of the main loop on the current mode's screen: the UI loop
    // until an id comes back, then the screen's handler unless it was the
    // mode selector.
    uint16_t Next(RedrawCallback redraw, const CommandEntry* commands) {
        const uint16_t id = RunUiLoop(ui, main_table, redraw);
        if (id != kModeSelector) RunCommand(commands, id);
        return id;
    }

    // Pixel of the last presented frame.
    static uint16_t Shown(int x, int y) { return HeadlessLastFrame()[x + y * 240]; }

    const PlatformBackend* saved_platform_ = nullptr;
};
