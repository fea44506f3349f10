// Device paths under the host root, and directory listing with attributes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/host_files.h"
#include "platform/test_files.h"

namespace {

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

// A temporary folder as the device root.
class DeviceFolder : public testing::Test {
  protected:
    void SetUp() override { SetDeviceRoot(root.c_str()); }
    void Folder(const char* name) { ASSERT_EQ(mkdir((root + "/" + name).c_str(), 0755), 0) << name; }
    void File(const char* name, mode_t mode = 0644) {
        ASSERT_TRUE(WriteFile(root + "/" + name, name)) << name;
        ASSERT_EQ(chmod((root + "/" + name).c_str(), mode), 0) << name;
    }
    TemporaryFolder folder;
    const std::string root = folder.Path();
};

}  // namespace

// Backslashes become slashes under the root, with or without a leading one;
// a ".." level, which would leave the root, is refused.
TEST(DevicePath, MapsUnderTheRootAndNeverLeavesIt) {
    const struct {
        const char *root, *device_path, *host_path;
    } cases[] = {
        {"/data/device", "\\tovu\\skin1.png", "/data/device/tovu/skin1.png"},
        {"/data/device", "\\", "/data/device/"},
        {"/data/device", "tovu\\a b.ini", "/data/device/tovu/a b.ini"},
        {"/data/device//", "\\x", "/data/device/x"},  // trailing slashes are dropped
        {"/", "\\tovu\\x", "/tovu/x"},
        {"/data/device", "\\tovu\\..x\\...", "/data/device/tovu/..x/..."},
        {"/data/device", "\\..\\etc\\passwd", nullptr},
        {"/data/device", "\\tovu\\..", nullptr},
    };
    for (const auto& c : cases) {
        SetDeviceRoot(c.root);
        char out[256];
        EXPECT_EQ(DeviceToHostPath(c.device_path, out, sizeof out), c.host_path != nullptr) << c.device_path;
        EXPECT_STREQ(out, c.host_path != nullptr ? c.host_path : "") << c.device_path;
    }
    char small[20];
    EXPECT_TRUE(DeviceToHostPath("\\abcdef", small, sizeof small));  // 19 characters fit
    EXPECT_FALSE(DeviceToHostPath("\\abcdefg", small, sizeof small));
    EXPECT_STREQ(small, "");
    SetDeviceRoot("/");
    EXPECT_STREQ(DeviceRoot(), "/");
    SetDeviceRoot(KN_ASSET_DIR "/device/tovu");
    EXPECT_EQ(OpenDeviceFile("\\..\\tovu\\skin1.png", "r"), nullptr);
}

TEST_F(DeviceFolder, OpensFilesAndRefusesFolders) {
    Folder("tovu");
    ASSERT_TRUE(WriteFile(root + "/tovu/kalvenorix.ini", "\\a\nsecond\n"));
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
    for (const char* name : {"a", "b", ".config"}) Folder(name);
    for (const char* name : {"x", "y.txt", ".profile"}) File(name);
    File("ro", 0444);
    File(".ro", 0444);
    ASSERT_EQ(mkfifo((root + "/pipe").c_str(), 0644), 0);
    ASSERT_EQ(symlink("nowhere", (root + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink("a", (root + "/to_a").c_str()), 0);
    ASSERT_EQ(symlink("x", (root + "/to_x").c_str()), 0);

    std::map<std::string, uint32_t> expected = {
        {"a", 16},           {"b", 16},     {".config", 16 | 2}, {"x", 32},       {"y.txt", 32},
        {".profile", 32 | 2}, {"ro", 32 | 1}, {".ro", 32 | 2 | 1}, {"pipe", 4},   {"dangling", 4},
        {"to_a", 16},        {"to_x", 32},
    };
    EXPECT_EQ(List("\\*.*"), expected);
}

TEST_F(DeviceFolder, ListsSubFoldersAndReportsWhatCannotBeListed) {
    for (const char* name : {"a", "a/b", "empty"}) Folder(name);
    File("a/inner.txt");

    std::map<std::string, uint32_t> expected = {{"b", 16}, {"inner.txt", 32}};
    EXPECT_EQ(List("\\a\\*.*"), expected);
    EXPECT_EQ(List("\\a\\b\\*.*").size(), 0u);

    FindData data;
    EXPECT_EQ(FindFirstFile("\\empty\\*.*", &data), nullptr);         // nothing to find
    EXPECT_EQ(FindFirstFile("\\missing\\*.*", &data), nullptr);       // no such folder
    EXPECT_EQ(FindFirstFile("\\a\\inner.txt\\*.*", &data), nullptr);  // not a folder
    EXPECT_EQ(FindFirstFile("\\..\\*.*", &data), nullptr);            // outside the root
    EXPECT_EQ(FindNextFile(nullptr, &data), 0);
    FindClose(nullptr);
}
