// Device paths under the host root; listings in name order with device
// attributes, host names shown in Latin-1 (the bar, code 127, for what
// Latin-1 lacks) and leading back to the host's entries.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "support/test_files.h"

namespace {

// "name attributes" for each entry, in the listing's order.
std::vector<std::string> Listing(const std::string& pattern) {
    std::vector<std::string> found;
    FindData data;
    FindHandle* handle = FindFirstFile(pattern.c_str(), &data);
    if (handle == nullptr) return found;
    do found.push_back(std::string(data.name) + " " + std::to_string(data.attributes));
    while (FindNextFile(handle, &data) == 1);
    EXPECT_EQ(FindNextFile(handle, &data), 0) << "the end stays the end";
    FindClose(handle);
    return found;
}

}  // namespace

// Backslashes become slashes under the root, with or without a leading one;
// a ".." level, which would leave the root, is refused.
TEST(DevicePath, MapsUnderTheRootAndNeverLeavesIt) {
    const char* cases[][3] = {
        {"/data/device", "\\tovu\\skin1.png", "/data/device/tovu/skin1.png"}, {"/data/device", "\\", "/data/device/"},
        {"/data/device", "tovu\\a b.ini", "/data/device/tovu/a b.ini"},       {"/data/device//", "\\x", "/data/device/x"},
        {"/", "\\tovu\\x", "/tovu/x"},                                       {"", "\\x", "./x"},
        {"/data/device", "\\tovu\\..x\\.a\\...", "/data/device/tovu/..x/.a/..."},
        {"/data/device", "\\..\\etc\\passwd", nullptr},                      {"/data/device", "\\tovu\\..", nullptr},
    };
    char out[256], small[20];
    for (const auto& c : cases) {
        SetDeviceRoot(c[0]);
        EXPECT_EQ(DeviceToHostPath(c[1], out, sizeof out), c[2] != nullptr) << c[1];
        EXPECT_STREQ(out, c[2] != nullptr ? c[2] : "") << c[1];
    }
    EXPECT_TRUE(DeviceToHostPath("\\abcdef", small, sizeof small));  // 19 characters fit
    EXPECT_FALSE(DeviceToHostPath("\\abcdefg", small, sizeof small));
    EXPECT_STREQ(small, "");
    SetDeviceRoot(std::string(5000, 'r').c_str());
    EXPECT_EQ(std::string(DeviceRoot()).size(), size_t{PATH_MAX - 1}) << "cut to fit";
    SetDeviceRoot(KN_ASSET_DIR "/device/tovu");
    EXPECT_EQ(OpenDeviceFile("\\..\\tovu\\skin1.png", "r"), nullptr);
}

// Folders are 16 and writable files 32; hidden (a leading dot) adds 2,
// read-only 1; anything else is a system entry (4). Only files open.
TEST(DeviceFolder, ListingGivesDeviceAttributesAndOpensOnlyFiles) {
    TemporaryFolder folder;
    const std::string root = folder.Path();
    SetDeviceRoot(root.c_str());
    for (const char* name : {"a", "b", ".config", "a/b", "empty"}) mkdir((root + "/" + name).c_str(), 0755);
    for (const char* name : {"x", ".profile", "ro", ".ro", "a/inner.txt"}) WriteFile(root + "/" + name, name);
    for (const char* name : {"ro", ".ro"}) chmod((root + "/" + name).c_str(), 0444);
    mkfifo((root + "/pipe").c_str(), 0644);
    symlink("nowhere", (root + "/dangling").c_str());
    symlink("a", (root + "/to_a").c_str());
    symlink("x", (root + "/to_x").c_str());
    EXPECT_EQ(Listing("\\*.*"), (std::vector<std::string>{".config 18", ".profile 34", ".ro 35", "a 16", "b 16", "dangling 4",
                                                          "empty 16", "pipe 4", "ro 33", "to_a 16", "to_x 32", "x 32"}));
    FindData data;
    for (const char* nothing : {"\\empty\\*.*", "\\missing\\*.*", "\\a\\inner.txt\\*.*", "\\..\\*.*"})
        EXPECT_EQ(FindFirstFile(nothing, &data), nullptr) << nothing;
    EXPECT_EQ(FindNextFile(nullptr, &data), 0);
    FindClose(nullptr);
    EXPECT_EQ(OpenDeviceFile("\\a", "r"), nullptr);
}

// Each row is a folder, in the order the listing must give them, holding a
// file "ü<n>" (UTF-8) where n is the row that its shown name enters.
TEST(HostNames, ShownInLatin1InNameOrderAndEnterable) {
    const struct { const char* host; const char* shown; int enters; } rows[] = {
        {"\xC3\x84pfel", "\xC4pfel", 0},            // Ä sorts with A, before "apple"
        {"apple", "apple", 1},                      // and before "Beta": case is ignored
        {"bad\x80x", "bad\x7Fx", 2},                // a stray continuation byte: not UTF-8
        {"Beta", "Beta", 3},                        // case only decides between equals
        {"beta", "beta", 4},
        {"caf\xC3\xA9", "caf\xE9", 5},              // é from UTF-8 ...
        {"caf\xE9", "caf\xE9", 5},                  // ... and from Latin-1 show alike; the first is entered
        {"half\xC3", "half\xC3", 7},                // a sequence cut short: the name is Latin-1
        {"snow\xE2\x98\x83man", "snow\x7Fman", 8},  // three bytes, one character, one bar
        {"tab\tname", "tab\x7Fname", 9},            // a control code has no glyph
        {"\xCE\xA9mega", "\x7Fmega", 10},           // Greek: past Latin-1
        {"\xF0\x9F\x98\x80smile", "\x7Fsmile", 11}, // four bytes, one bar
    };
    const int count = static_cast<int>(std::size(rows));
    TemporaryFolder folder;
    const std::string root = folder.Path();
    std::vector<std::string> expected;
    for (int i = count - 1; i >= 0; --i) {  // made in reverse: the host's own order is no help
        const std::string path = root + "/" + rows[i].host;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << i;
        ASSERT_TRUE(WriteFile(path + "/\xC3\xBC" + std::to_string(i), "x")) << i;
        expected.insert(expected.begin(), std::string(rows[i].shown) + " 16");
    }
    SetDeviceRoot(root.c_str());
    EXPECT_EQ(Listing("\\*.*"), expected);
    for (int i = 0; i < count; ++i) {  // the browser's paths are made of shown names
        const std::string inner = "\xFC" + std::to_string(rows[i].enters), path = std::string("\\") + rows[i].shown + "\\";
        EXPECT_EQ(Listing(path + "*.*"), std::vector<std::string>{inner + " 32"}) << i;
        FILE* file = OpenDeviceFile((path + inner).c_str(), "r");
        EXPECT_NE(file, nullptr) << i;
        if (file != nullptr) std::fclose(file);
    }
    char host[512];
    ASSERT_TRUE(DeviceToHostPath("\\nowhere\xE9\\x", host, sizeof host));  // no entry: its own bytes
    EXPECT_EQ(std::string(host), root + "/nowhere\xE9/x");
}
