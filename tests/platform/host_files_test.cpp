// Device paths under the host root, and directory listing with attributes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/host_files.h"

namespace {

void WriteFile(const std::string& path, const char* text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text, f);
    std::fclose(f);
}

std::map<std::string, uint32_t> List(const char* pattern) {
    std::map<std::string, uint32_t> found;
    FindData data;
    FindHandle* handle = FindFirstFile(pattern, &data);
    if (handle == nullptr) return found;
    do {
        EXPECT_EQ(found.count(data.name), 0u) << data.name;
        found[data.name] = data.attributes;
    } while (FindNextFile(handle, &data) == 1);
    FindClose(handle);
    return found;
}

// A device root made of every kind of entry, removed at the end of the test.
class DeviceFolder : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kn_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        SetDeviceRoot(root.c_str());
    }
    void TearDown() override {
        std::string command = "rm -rf '" + root + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::string root;
};

}  // namespace

TEST(DevicePath, BackslashesBecomeSlashesUnderTheRoot) {
    char out[256];
    SetDeviceRoot("/data/device");
    ASSERT_TRUE(DeviceToHostPath("\\tovu\\skin1.png", out, sizeof out));
    EXPECT_STREQ(out, "/data/device/tovu/skin1.png");
    ASSERT_TRUE(DeviceToHostPath("\\", out, sizeof out));
    EXPECT_STREQ(out, "/data/device/");
    ASSERT_TRUE(DeviceToHostPath("tovu\\a b.ini", out, sizeof out));  // no leading backslash
    EXPECT_STREQ(out, "/data/device/tovu/a b.ini");

    SetDeviceRoot("/data/device//");  // trailing slashes are dropped
    ASSERT_TRUE(DeviceToHostPath("\\x", out, sizeof out));
    EXPECT_STREQ(out, "/data/device/x");
    SetDeviceRoot("/");
    ASSERT_TRUE(DeviceToHostPath("\\tovu\\x", out, sizeof out));
    EXPECT_STREQ(out, "/tovu/x");
    EXPECT_STREQ(DeviceRoot(), "/");
}

TEST(DevicePath, RefusesWhatDoesNotFitOrLeavesTheRoot) {
    SetDeviceRoot("/data/device");
    char small[20];
    EXPECT_TRUE(DeviceToHostPath("\\abcdef", small, sizeof small));  // 19 characters fit
    EXPECT_FALSE(DeviceToHostPath("\\abcdefg", small, sizeof small));
    EXPECT_STREQ(small, "");
    char out[256];
    EXPECT_FALSE(DeviceToHostPath("\\..\\etc\\passwd", out, sizeof out));
    EXPECT_FALSE(DeviceToHostPath("\\tovu\\..", out, sizeof out));
    EXPECT_TRUE(DeviceToHostPath("\\tovu\\..x\\...", out, sizeof out));
    EXPECT_FALSE(OpenDeviceFile("\\..\\device\\tovu\\skin1.png", "r"));
}

TEST_F(DeviceFolder, OpensFilesAndRefusesFolders) {
    ASSERT_EQ(mkdir((root + "/tovu").c_str(), 0755), 0);
    WriteFile(root + "/tovu/kalvenorix.ini", "\\a\nsecond\n");
    FILE* f = OpenDeviceFile("\\tovu\\kalvenorix.ini", "r");
    ASSERT_NE(f, nullptr);
    char line[16];
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "\\a\n");
    std::fclose(f);
    EXPECT_EQ(OpenDeviceFile("\\tovu", "r"), nullptr);
    EXPECT_EQ(OpenDeviceFile("\\tovu\\missing.ini", "r"), nullptr);
}

TEST_F(DeviceFolder, ListingGivesDeviceAttributes) {
    ASSERT_EQ(mkdir((root + "/a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/b").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/.config").c_str(), 0755), 0);
    WriteFile(root + "/x", "x");
    WriteFile(root + "/y.txt", "y");
    WriteFile(root + "/.profile", "hidden");
    WriteFile(root + "/ro", "read only");
    ASSERT_EQ(chmod((root + "/ro").c_str(), 0444), 0);
    WriteFile(root + "/.ro", "hidden and read only");
    ASSERT_EQ(chmod((root + "/.ro").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo((root + "/pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink("nowhere", (root + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink("a", (root + "/to_a").c_str()), 0);
    ASSERT_EQ(symlink("x", (root + "/to_x").c_str()), 0);

    std::map<std::string, uint32_t> expected = {
        {"a", 16},      {"b", 16},        {".config", 16 | 2}, {"x", 32},    {"y.txt", 32},
        {".profile", 32 | 2}, {"ro", 32 | 1}, {".ro", 32 | 2 | 1}, {"pipe", 4}, {"dangling", 4},
        {"to_a", 16},   {"to_x", 32},
    };
    EXPECT_EQ(List("\\*.*"), expected);
}

TEST_F(DeviceFolder, ListsSubFoldersAndReportsWhatCannotBeListed) {
    ASSERT_EQ(mkdir((root + "/a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/a/b").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root + "/empty").c_str(), 0755), 0);
    WriteFile(root + "/a/inner.txt", "");

    std::map<std::string, uint32_t> expected = {{"b", 16}, {"inner.txt", 32}};
    EXPECT_EQ(List("\\a\\*.*"), expected);
    EXPECT_EQ(List("\\a\\b\\*.*").size(), 0u);

    FindData data;
    EXPECT_EQ(FindFirstFile("\\empty\\*.*", &data), nullptr);       // nothing to find
    EXPECT_EQ(FindFirstFile("\\missing\\*.*", &data), nullptr);     // no such folder
    EXPECT_EQ(FindFirstFile("\\a\\inner.txt\\*.*", &data), nullptr);  // not a folder
    EXPECT_EQ(FindFirstFile("\\a\n*.*", &data), nullptr);           // a line feed in the name
    EXPECT_EQ(FindFirstFile("\\..\\*.*", &data), nullptr);          // outside the root
    EXPECT_EQ(FindNextFile(nullptr, &data), 0);
    FindClose(nullptr);
}
