// Device paths under the host root, and directory listing with attributes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <map>
#include <string>

#include "platform/host_files.h"
#include "support/test_files.h"

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
    EXPECT_EQ(FindNextFile(handle, &data), 0) << "the end stays the end";
    FindClose(handle);
    return found;
}

}  // namespace

// Backslashes become slashes under the root, with or without a leading one;
// a ".." level, which would leave the root, is refused.
TEST(DevicePath, MapsUnderTheRootAndNeverLeavesIt) {
    const char* cases[][3] = {
        {"/data/device", "\\tovu\\skin1.png", "/data/device/tovu/skin1.png"},
        {"/data/device", "\\", "/data/device/"},
        {"/data/device", "tovu\\a b.ini", "/data/device/tovu/a b.ini"},
        {"/data/device//", "\\x", "/data/device/x"},
        {"/", "\\tovu\\x", "/tovu/x"},
        {"", "\\x", "./x"},
        {"/data/device", "\\tovu\\..x\\.a\\...", "/data/device/tovu/..x/.a/..."},
        {"/data/device", "\\..\\etc\\passwd", nullptr},
        {"/data/device", "\\tovu\\..", nullptr},
    };
    for (const auto& c : cases) {
        SetDeviceRoot(c[0]);
        char out[256];
        EXPECT_EQ(DeviceToHostPath(c[1], out, sizeof out), c[2] != nullptr) << c[1];
        EXPECT_STREQ(out, c[2] != nullptr ? c[2] : "") << c[1];
    }
    char small[20];
    EXPECT_TRUE(DeviceToHostPath("\\abcdef", small, sizeof small));  // 19 characters fit
    EXPECT_FALSE(DeviceToHostPath("\\abcdefg", small, sizeof small));
    EXPECT_STREQ(small, "");
    const std::string long_root(5000, 'r');
    SetDeviceRoot(long_root.c_str());
    EXPECT_EQ(std::string(DeviceRoot()).size(), size_t{PATH_MAX - 1}) << "cut to fit";
    SetDeviceRoot(KN_ASSET_DIR "/device/tovu");
    EXPECT_EQ(OpenDeviceFile("\\..\\tovu\\skin1.png", "r"), nullptr);
}

// Plain folders are 16 and plain writable files 32; hidden (a leading dot)
// adds 2, read-only 1; anything else is a system entry (4).
TEST(DeviceFolder, ListingGivesDeviceAttributesAndOpensOnlyFiles) {
    TemporaryFolder folder;
    const std::string root = folder.Path();
    SetDeviceRoot(root.c_str());
    for (const char* name : {"a", "b", ".config", "a/b", "empty"}) mkdir((root + "/" + name).c_str(), 0755);
    for (const char* name : {"x", "y.txt", ".profile", "ro", ".ro", "a/inner.txt"}) WriteFile(root + "/" + name, name);
    chmod((root + "/ro").c_str(), 0444);
    chmod((root + "/.ro").c_str(), 0444);
    mkfifo((root + "/pipe").c_str(), 0644);
    symlink("nowhere", (root + "/dangling").c_str());
    symlink("a", (root + "/to_a").c_str());
    symlink("x", (root + "/to_x").c_str());

    const std::map<std::string, uint32_t> expected = {
        {"a", 16},  {"b", 16},    {".config", 18}, {"x", 32},    {"y.txt", 32},   {".profile", 34},
        {"ro", 33}, {".ro", 35},  {"pipe", 4},     {"dangling", 4}, {"to_a", 16}, {"to_x", 32},
        {"empty", 16},
    };
    EXPECT_EQ(List("\\*.*"), expected);
    EXPECT_EQ(List("\\a\\*.*"), (std::map<std::string, uint32_t>{{"b", 16}, {"inner.txt", 32}}));
    FindData data;
    for (const char* nothing : {"\\empty\\*.*", "\\missing\\*.*", "\\a\\inner.txt\\*.*", "\\..\\*.*"})
        EXPECT_EQ(FindFirstFile(nothing, &data), nullptr) << nothing;
    EXPECT_EQ(FindNextFile(nullptr, &data), 0);
    FindClose(nullptr);

    FILE* f = OpenDeviceFile("\\a\\inner.txt", "r");
    ASSERT_NE(f, nullptr);
    char line[16] = {};
    EXPECT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "a/inner.txt");
    std::fclose(f);
    EXPECT_EQ(OpenDeviceFile("\\a", "r"), nullptr);
    EXPECT_EQ(OpenDeviceFile("\\a\\missing.ini", "r"), nullptr);
}
