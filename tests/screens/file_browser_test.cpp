// The file browser's item lists, listing and paths at their limits.
#include "screens/file_browser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/host_files.h"
#include "screens/widget_ids.h"
#include "support/test_files.h"

// An item is copied whole or cut to the buffer, never beyond it; names that
// would split into other items or path levels are not listed; nothing
// listable gives two empty lists.
TEST(FileBrowser, ItemsAndListsKeepToTheirBuffers) {
    char buffer[kNameBytes + 8], small[4], file_list[kListBytes], directory_list[kListBytes];
    std::memset(buffer, '#', sizeof buffer);
    CopyItem(("a|" + std::string(400, 'n') + "|b").c_str(), 1, buffer, '|');
    EXPECT_EQ(std::string(buffer) + buffer[kNameBytes], std::string(kNameBytes - 1, 'n') + "#");
    CopyItem("abcdef|g", 0, small, '|', sizeof small);
    EXPECT_STREQ(small, "abc");

    TemporaryFolder folder;
    SetDeviceRoot(folder.Path().c_str());
    for (const char* name : {"a", "dir|bar"}) mkdir((folder.Path() + "/" + name).c_str(), 0755);
    for (const char* name : {"x", "one|two", "back\\slash", "a/inside"}) WriteFile(folder.Path() + "/" + name, "");
    ListDirectory("\\*.*", file_list, directory_list);
    EXPECT_EQ(std::string(file_list) + " " + directory_list, "x \\a");
    ListDirectory("\\*.*", file_list, directory_list, 3);  // "\a", its separator and the terminator need 4
    EXPECT_EQ(std::string(file_list) + " " + directory_list, "x ");
    ListDirectory(("\\" + std::string(300, '.') + "\\*.*").c_str(), file_list, directory_list);
    EXPECT_EQ(std::string(file_list) + directory_list, "");
}

// The browser starts at the root. A path whose search pattern would not fit
// (path, name, backslash and "*.*" in 256 bytes) is not entered; going up
// without an inner backslash ends at the root.
TEST(FileBrowser, APathThatCouldNotBeListedIsNotEnteredAndUpStopsAtTheRoot) {
    ResetFiles();
    EXPECT_STREQ(files.directory, "\\");
    const std::string deep = "\\" + std::string(238, 'p') + "\\";
    std::strcpy(files.directory, deep.c_str());
    std::strcpy(files.directory_list, "\\twelve-bytes|\\eleven-byte");
    files.directory_count = 2;
    files.list_cell = 0;
    RunCommand(kFilesCommands, kFilesDirectoryCells);
    EXPECT_EQ(files.directory, deep);
    files.list_cell = 1;
    RunCommand(kFilesCommands, kFilesDirectoryCells);
    EXPECT_EQ(files.directory, deep.substr(0, 239) + "\\eleven-byte\\");
    for (auto [from, to] : {std::pair("abc\\", "\\"), {"\\abc", "\\"}, {"", "\\"}, {"\\a\\b", "\\a\\"}}) {
        std::strcpy(files.directory, from);
        RunCommand(kFilesCommands, kFilesPathBar);
        EXPECT_STREQ(files.directory, to) << from;
    }
}
