// Runs a screen in-process on the headless backend: the test hands in a
// session script, then runs the main table through the real UI loop one
// returned id at a time and looks at the state and the pixels in between.
//
// The backend queues the window-close message once a script has run out, and
// the shell ends the process on it. A test that expects more ids than its
// script gives would then end silently with status 0, so the shutdown hook
// turns that into a loud failure instead; scripts end with a long wait, so
// that the screen under test returns well before that.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
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
        SetShutdownHook(FailOnScriptEnd);
        ResetTestSurface();
        ui.skin = nullptr;
        ui.canvas_mode = 0;
        ui.stroke_active = 0;
        ui.pressed_widget = nullptr;
        redraw_request = 0;
    }
    void TearDown() override {
        SetShutdownHook(nullptr);
        platform = saved_platform_;
    }

    // The script followed by a wait far longer than any test runs.
    void Script(const std::string& text) {
        const std::string full = text + "\nwait 10000000\n";
        char error[256];
        ASSERT_TRUE(LoadHeadlessScriptText("session", full.c_str(), error, sizeof error)) << error;
    }
    void ScriptFile(const char* name) {
        const std::string path = std::string(KN_TEST_DIR) + "/scripts/" + name;
        char error[512];
        ASSERT_TRUE(LoadHeadlessScriptFile(path.c_str(), error, sizeof error)) << error;
    }

    // One pass of the main loop on the current mode's screen: the UI loop
    // until an id comes back, then the screen's handler unless it was the
    // mode selector.
    uint16_t Next(RedrawCallback redraw, CommandHandler command) {
        const uint16_t id = RunUiLoop(ui, main_table, redraw);
        if (id != 100 && command != nullptr) command(id);
        return id;
    }

    // Pixel of the last presented frame.
    static uint16_t Shown(int x, int y) { return HeadlessLastFrame()[x + y * 240]; }

    const PlatformBackend* saved_platform_ = nullptr;
};
