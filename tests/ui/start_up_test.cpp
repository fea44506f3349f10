#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "animation/stage.h"
#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "platform/headless.h"
#include "platform/host_files.h"
#include "raster/panels.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "support/test_surface.h"
#include "skin_art.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

namespace {

class StartUp : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_platform_ = platform;
        std::strcpy(saved_root_, DeviceRoot());
        ResetHeadless();
        platform = HeadlessBackend();
        SetDeviceRoot(KN_ASSET_DIR "/device");
        ResetTestSurface(0x1234);
    }
    void TearDown() override {
        platform = saved_platform_;
        SetDeviceRoot(saved_root_);
    }
    const PlatformBackend* saved_platform_;
    char saved_root_[4096];
};

TEST_F(StartUp, ShowsTheSplashAndBuildsEveryObject) {
    controls.mode = 3;
    editor.current_slot = 5;
    editor.next_new_slot = 9;
    editor.selected_shape = editor.selected_vertex = -1;
    StartProgram();

    // The splash: white title text centred on black, the only frame so far.
    EXPECT_EQ(HeadlessFramesPresented(), 1u);
    const uint16_t* frame = HeadlessLastFrame();
    int white = 0, other = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 240; ++x) {
            const uint16_t p = frame[y * 240 + x];
            const bool middle = y >= 148 && y < 172 && x >= 40 && x < 200;
            if (p == 0xFFFF && middle) ++white;
            if (p != 0 && !middle) ++other;
        }
    }
    EXPECT_GT(white, 100);
    EXPECT_EQ(other, 0);

    ASSERT_NE(ui.skin, nullptr);
    EXPECT_EQ(ui.skin->width, kSkinArtWidth);
    EXPECT_EQ(ui.skin->height, kSkinArtHeight);
    EXPECT_NE(drawing.vertices, nullptr);
    EXPECT_EQ(drawing.vertex_capacity, 2048);
    EXPECT_EQ(drawing.shape_capacity, 512);
    EXPECT_EQ(drawing.shape_count, 0);
    EXPECT_EQ(stage.actor_count, 0);

    EXPECT_EQ(controls.mode, kModeDrawing);
    EXPECT_EQ(editor.current_slot, 0);
    EXPECT_EQ(editor.next_new_slot, 1);
    EXPECT_EQ(editor.selected_shape, 0);
    EXPECT_EQ(editor.selected_vertex, 0);
    EXPECT_EQ(std::memcmp(&current_colour, &kOpaqueBlack, sizeof current_colour), 0);
    EXPECT_EQ(std::memcmp(&ui.stroke_colour, &current_colour, sizeof current_colour), 0);
    EXPECT_EQ(picker.alpha_value, 255);
    EXPECT_STREQ(files.directory, "\\");
    EXPECT_EQ(ui.canvas_mode, kCanvasPolyline);

    // Drawing (0, 0) at the screen's centre, a tenth of a pixel per unit.
    const Transform& t = editor.view;
    EXPECT_EQ((std::vector<int32_t>{t.a, t.b, t.c, t.d, t.tx, t.ty}),
              (std::vector<int32_t>{1638, 0, 0, 1638, 120, 160}));
    const Point32 origin = MapPoint(editor.inverse_view, 120, 160);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    const Point32 right = MapPoint(editor.inverse_view, 130, 160);
    EXPECT_NEAR(right.x, 100, 1);

    StopProgram();
    EXPECT_EQ(ui.skin, nullptr);
    EXPECT_EQ(drawing.vertices, nullptr);
    EXPECT_EQ(drawing.shapes, nullptr);
    StopProgram();  // a second shutdown finds nothing left to free
}

TEST_F(StartUp, RunsWithoutASkinWhenTheFileIsMissing) {
    SetDeviceRoot("/nonexistent-kalvenorix-root");
    StartProgram();
    EXPECT_EQ(ui.skin, nullptr);
    EXPECT_STREQ(files.directory, "\\");
    StopProgram();
}

}  // namespace
