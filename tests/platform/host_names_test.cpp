// Host names on the device: UTF-8 shown in Latin-1 or with the placeholder
// bar (code 127), names that are not UTF-8 taken as Latin-1, a fixed listing
// order, and shown names that lead back to the host's entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "support/test_files.h"

namespace {

// One folder each, in the order the listing must give them. Each holds a file
// "ü<n>" (UTF-8) where n is the row of the folder that its shown name enters.
struct NameRow {
    const char* host;
    const char* shown;
    int enters;
};

const NameRow kRows[] = {
    {"\xC3\x84pfel", "\xC4pfel", 0},                 // Ä sorts with A, before "apple"
    {"apple", "apple", 1},
    {"bad\x80x", "bad\x7Fx", 2},                     // a stray continuation byte: not UTF-8
    {"Beta", "Beta", 3},                             // case only decides between equals
    {"beta", "beta", 4},
    {"cafe", "cafe", 5},
    {"caf\xC3\xA9", "caf\xE9", 6},                   // é from UTF-8 ...
    {"caf\xE9", "caf\xE9", 6},                       // ... and from Latin-1 show alike; the first is entered
    {"half\xC3", "half\xC3", 8},                     // a sequence cut short: the name is Latin-1
    {"snow\xE2\x98\x83man", "snow\x7Fman", 9},       // three bytes, one character, one bar
    {"tab\tname", "tab\x7Fname", 10},                // a control code has no glyph
    {"zebra", "zebra", 11},
    {"Zoo", "Zoo", 12},
    {"\xCE\xA9mega", "\x7Fmega", 13},                // Greek: past Latin-1
    {"\xF0\x9F\x98\x80smile", "\x7Fsmile", 14},      // four bytes, one bar
};
constexpr int kRowCount = static_cast<int>(sizeof kRows / sizeof kRows[0]);

std::vector<std::string> Listing(const std::string& pattern) {
    std::vector<std::string> names;
    FindData data;
    FindHandle* handle = FindFirstFile(pattern.c_str(), &data);
    if (handle == nullptr) return names;
    do names.push_back(data.name);
    while (FindNextFile(handle, &data) == 1);
    FindClose(handle);
    return names;
}

}  // namespace

TEST(HostNames, ShownInLatin1InNameOrderAndEnterable) {
    TemporaryFolder folder;
    const std::string root = folder.Path();
    // Made in reverse, so that the host's own order is no help.
    for (int i = kRowCount - 1; i >= 0; --i) {
        const std::string path = root + "/" + kRows[i].host;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << i;
        ASSERT_TRUE(WriteFile(path + "/\xC3\xBC" + std::to_string(i), "x")) << i;
    }
    SetDeviceRoot(root.c_str());

    std::vector<std::string> expected;
    for (const NameRow& row : kRows) expected.push_back(row.shown);
    EXPECT_EQ(Listing("\\*.*"), expected);

    // The browser's paths are made of shown names, two levels deep here.
    for (int i = 0; i < kRowCount; ++i) {
        const std::string inner = "\xFC" + std::to_string(kRows[i].enters);
        const std::string folder_path = std::string("\\") + kRows[i].shown + "\\";
        EXPECT_EQ(Listing(folder_path + "*.*"), std::vector<std::string>{inner}) << i;
        FILE* file = OpenDeviceFile((folder_path + inner).c_str(), "r");
        EXPECT_NE(file, nullptr) << i;
        if (file != nullptr) std::fclose(file);
    }
    char host[512];
    ASSERT_TRUE(DeviceToHostPath("\\snow\x7Fman\\new.txt", host, sizeof host));
    EXPECT_EQ(std::string(host), root + "/snow\xE2\x98\x83man/new.txt");
    ASSERT_TRUE(DeviceToHostPath("\\nowhere\xE9\\x", host, sizeof host));  // no entry: its own bytes
    EXPECT_EQ(std::string(host), root + "/nowhere\xE9/x");
}
