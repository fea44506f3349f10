// Runs the UI loop and the screens in-process on the headless backend: a test
// loads a session script, then drives a loop one returned id at a time.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "input/input.h"
#include "platform/headless.h"
#include "support/test_surface.h"
#include "ui/ui_loop.h"

class HeadlessSession : public ::testing::Test {
  protected:
    // Closing the window would end the process with status 0, so a script
    // that runs out while a loop still waits aborts loudly; Script() ends
    // every script with a long wait.
    void SetUp() override {
        saved_platform_ = platform;
        ResetHeadless();
        platform = HeadlessBackend();
        input = InputState{};
        SetCloseHook([] {
            std::fputs("the session script ran out while a loop still waited\n", stderr);
            std::abort();
        });
        ResetTestSurface();
        ui = UiState{};
        redraw_request = 0;
    }
    void TearDown() override {
        SetCloseHook(nullptr);
        platform = saved_platform_;
    }
    static void Script(const std::string& text) {
        char error[256];
        ASSERT_TRUE(LoadHeadlessScriptText("session", (text + "\nwait 10000000\n").c_str(), error, sizeof error))
            << error;
    }
    // A pixel of the last presented frame.
    static uint16_t Shown(int x, int y) { return HeadlessLastFrame()[x + y * 240]; }

    const PlatformBackend* saved_platform_ = nullptr;
};
