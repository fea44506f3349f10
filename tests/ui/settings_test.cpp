#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "shell/main_loop.h"

namespace {

// A device root of its own, holding only the settings file under test.
class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kn_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        ASSERT_EQ(mkdir((root_ + "/tovu").c_str(), 0700), 0);
        std::strcpy(saved_root_, DeviceRoot());
        SetDeviceRoot(root_.c_str());
        std::strcpy(files.directory, "\\");
    }
    void TearDown() override {
        std::remove(File().c_str());
        rmdir((root_ + "/tovu").c_str());
        rmdir(root_.c_str());
        SetDeviceRoot(saved_root_);
    }
    std::string File() const { return root_ + "/tovu/kalvenorix.ini"; }
    void Write(const std::string& bytes) {
        FILE* f = std::fopen(File().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string root_;
    char saved_root_[4096];
};

TEST_F(Settings, FirstLineWithoutItsTerminatorBecomesTheDirectoryWithBackslashes) {
    ReadSettings();  // no file at all
    EXPECT_STREQ(files.directory, "\\");
    const char* rows[][2] = {
        {"", "\\"},
        {"\n", "\\"},
        {"\\tovu\\\nsecond line\n", "\\tovu\\"},
        {"\\My Documents\\\r\n", "\\My Documents\\"},
        {"\\last\\", "\\last\\"},  // no terminator at all
        // The file browser's path begins and ends with a backslash.
        {"\\a\n", "\\a\\"},
        {"docs\\pictures\r\n", "\\docs\\pictures\\"},
    };
    for (const auto& r : rows) {
        Write(r[0]);
        ReadSettings();
        EXPECT_STREQ(files.directory, r[1]) << "file: " << r[0];
    }
}

TEST_F(Settings, OverlongLineIsCutTo511Characters) {
    std::string line = "\\" + std::string(700, 'x') + "\n";
    Write(line);
    ReadSettings();
    EXPECT_EQ(std::string(files.directory), line.substr(0, 511));
    // 510 characters leave room for the closing backslash.
    Write("\\" + std::string(509, 'y') + "\n");
    ReadSettings();
    EXPECT_EQ(std::strlen(files.directory), 511u);
    EXPECT_EQ(files.directory[510], '\\');
}

TEST(BundledSettings, NameTheRoot) {
    char saved[4096];
    std::strcpy(saved, DeviceRoot());
    SetDeviceRoot(KN_ASSET_DIR "/device");
    std::strcpy(files.directory, "\\elsewhere\\");
    ReadSettings();
    EXPECT_STREQ(files.directory, "\\");
    SetDeviceRoot(saved);
}

}  // namespace
