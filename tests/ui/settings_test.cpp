#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_files.h"
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
        std::strcpy(directory, "\\");
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

TEST_F(Settings, MissingOrEmptyFileKeepsTheRoot) {
    ReadSettings();
    EXPECT_STREQ(directory, "\\");
    Write("");
    ReadSettings();
    EXPECT_STREQ(directory, "\\");
    Write("\n");
    ReadSettings();
    EXPECT_STREQ(directory, "\\");
}

TEST_F(Settings, FirstLineWithoutItsTerminatorBecomesTheDirectory) {
    Write("\\tovu\\\nsecond line\n");
    ReadSettings();
    EXPECT_STREQ(directory, "\\tovu\\");
    Write("\\My Documents\\\r\n");
    ReadSettings();
    EXPECT_STREQ(directory, "\\My Documents\\");
    Write("\\last\\");  // no terminator at all
    ReadSettings();
    EXPECT_STREQ(directory, "\\last\\");
}

TEST_F(Settings, PathGetsTheBackslashesTheFileBrowserNeeds) {
    Write("\\a\n");
    ReadSettings();
    EXPECT_STREQ(directory, "\\a\\");
    Write("docs\\pictures\r\n");
    ReadSettings();
    EXPECT_STREQ(directory, "\\docs\\pictures\\");
}

TEST_F(Settings, OverlongLineIsCutTo511Characters) {
    std::string line = "\\" + std::string(700, 'x') + "\n";
    Write(line);
    ReadSettings();
    EXPECT_EQ(std::strlen(directory), 511u);
    EXPECT_EQ(std::string(directory), line.substr(0, 511));
    // 510 characters leave room for the closing backslash.
    Write("\\" + std::string(509, 'y') + "\n");
    ReadSettings();
    EXPECT_EQ(std::strlen(directory), 511u);
    EXPECT_EQ(directory[510], '\\');
}

TEST(BundledSettings, NameTheRoot) {
    char saved[4096];
    std::strcpy(saved, DeviceRoot());
    SetDeviceRoot(KN_ASSET_DIR "/device");
    std::strcpy(directory, "\\elsewhere\\");
    ReadSettings();
    EXPECT_STREQ(directory, "\\");
    SetDeviceRoot(saved);
}

}  // namespace
