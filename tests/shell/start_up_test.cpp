// Start-up and shutdown of the program-wide objects, and the settings file
// whose first line is the file browser's start directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "drawing/drawing.h"
#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "shell/main_loop.h"
#include "support/headless_session.h"
#include "support/test_files.h"

namespace {

class StartUp : public HeadlessSession {
  protected:
    void SetUp() override {
        HeadlessSession::SetUp();
        ASSERT_EQ(mkdir((root + "/tovu").c_str(), 0755), 0);
        SetDeviceRoot(root.c_str());
    }
    void Settings(const std::string& bytes) { ASSERT_TRUE(WriteFile(root + "/tovu/kalvenorix.ini", bytes)); }
    TemporaryFolder folder;
    const std::string root = folder.Path();
};

}  // namespace

// The line's terminator is not part of the path; a missing backslash is added
// at either end where it fits in the 512-byte path. An empty file changes nothing.
TEST_F(StartUp, TheSettingsNameTheBrowsersDirectory) {
    const std::string long_line = "\\" + std::string(700, 'x') + "\n", fits = "\\" + std::string(509, 'y');
    const std::pair<std::string, std::string> rows[] = {
        {"", std::string(511, 'z')}, {"\n", "\\"}, {"\\tovu\\\nsecond line\n", "\\tovu\\"},
        {"\\My Documents\\\r\n", "\\My Documents\\"}, {"\\last\\", "\\last\\"}, {"\\a\n", "\\a\\"},
        {"d\r\n", "\\d\\"}, {"docs\\pictures", "\\docs\\pictures\\"}, {long_line, long_line.substr(0, 511)},
        {fits + "\n", fits + "\\"},
    };
    for (const auto& [file, directory] : rows) {
        Settings(file);
        std::memset(files.directory, 'z', 511);
        files.directory[511] = '\0';
        ReadSettings();
        EXPECT_EQ(files.directory, directory) << "file: " << file;
    }
}

// The splash is the only frame until the first screen; start-up reads the
// settings and the skin; shutdown frees what start-up allocated, once.
TEST_F(StartUp, ShowsTheSplashBuildsTheObjectsAndFreesThemOnce) {
    Settings("\\docs\\\n");
    ASSERT_TRUE(WriteFile(root + "/tovu/skin1.png", ReadFile(KN_ASSET_DIR "/device/tovu/skin1.png")));
    StartProgram();
    EXPECT_EQ(HeadlessFramesPresented(), 1u);
    int white = 0, other = 0;
    for (int i = 0; i < 240 * 320; ++i) {
        const bool middle = i / 240 >= 148 && i / 240 < 172 && i % 240 >= 40 && i % 240 < 200;
        white += middle && HeadlessLastFrame()[i] == 0xFFFF;
        other += !middle && HeadlessLastFrame()[i] != 0;
    }
    EXPECT_GT(white, 100);
    EXPECT_EQ(other, 0);
    EXPECT_STREQ(files.directory, "\\docs\\");
    EXPECT_EQ(ui.stroke_colour.alpha, 255) << "the preview takes the current colour";
    ASSERT_NE(ui.skin, nullptr);
    EXPECT_EQ(drawing.shape_capacity, 512u);
    StopProgram();
    EXPECT_EQ(ui.skin, nullptr);
    EXPECT_EQ(drawing.vertices, nullptr);
    StopProgram();

    SetDeviceRoot((root + "/missing").c_str());
    StartProgram();
    EXPECT_EQ(ui.skin, nullptr) << "no skin: no widget images";
    EXPECT_STREQ(files.directory, "\\");
    StopProgram();
}
