// The file browser's item lists and directory listing at their limits.
#include "screens/file_browser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "screens/widget_ids.h"
#include "support/test_files.h"

namespace {

std::vector<std::string> Sorted(const char* list) {  // the host lists in no fixed order
    std::vector<std::string> items;
    char name[kNameBytes];
    for (int i = 0; i < CountItems(list, '|'); ++i) {
        CopyItem(list, i, name, '|');
        items.push_back(name);
    }
    std::sort(items.begin(), items.end());
    return items;
}

TEST(ItemList, CountsFindsAndCopiesItemsWithinTheBuffer) {
    for (auto [list, n] : {std::pair("", 0), {"x", 1}, {"x|y", 2}, {"|", 2}, {"a,b|c", 2}})
        EXPECT_EQ(CountItems(list, list[1] == ',' ? ',' : '|'), n) << list;
    const char* text = "one|two|three";
    for (auto [n, at] : {std::pair(0, 0), {1, 4}, {2, 8}}) EXPECT_EQ(FindItem(text, n, '|'), text + at) << n;
    for (int n : {3, -1}) EXPECT_EQ(FindItem(text, n, '|'), nullptr) << n;
    char buffer[kNameBytes + 8], small[4];
    for (auto [list, n, item] : {std::tuple("x|y", 1, "y"), {"x|y", 2, ""}, {"", 0, ""}, {"\\dir|file.txt|z", 1, "file.txt"}}) {
        CopyItem(list, n, buffer, '|');
        EXPECT_STREQ(buffer, item) << list << " " << n;
    }
    std::memset(buffer, '#', sizeof buffer);
    CopyItem(("a|" + std::string(400, 'n') + "|b").c_str(), 1, buffer, '|');
    EXPECT_EQ(std::string(buffer), std::string(kNameBytes - 1, 'n'));
    EXPECT_EQ(buffer[kNameBytes], '#');
    CopyItem("abcdef|g", 0, small, '|', sizeof small);
    EXPECT_STREQ(small, "abc");
}

class Listing : public testing::Test {
  protected:
    void SetUp() override { SetDeviceRoot(root.c_str()); }
    void File(const std::string& name, mode_t mode = 0644) {
        WriteFile(root + "/" + name, "");
        chmod((root + "/" + name).c_str(), mode);
    }
    void Folder(const std::string& name) { mkdir((root + "/" + name).c_str(), 0755); }
    TemporaryFolder folder;
    const std::string root = folder.Path();
    char file_list[kListBytes + 8], directory_list[kListBytes];
};

// Plain writable files and plain folders only; names that would split into
// other items or levels are left out; no separator after the last name.
TEST_F(Listing, FilesAndSubdirectoriesGoToTheirOwnLists) {
    for (const char* name : {"a", "b", ".hidden", "dir|bar"}) Folder(name);
    for (const char* name : {"x", "y", ".h", "b/inside", "one|two", "back\\slash"}) File(name);
    File("read-only", 0444);
    ListDirectory("\\*.*", file_list, directory_list);
    EXPECT_EQ(Sorted(file_list), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(Sorted(directory_list), (std::vector<std::string>{"\\a", "\\b"}));
    EXPECT_EQ(std::strlen(file_list) * 100 + std::strlen(directory_list), 305u);
    for (const std::string& pattern : {std::string("\\missing\\*.*"), "\\" + std::string(300, '.') + "\\*.*"}) {
        ListDirectory(pattern.c_str(), file_list, directory_list);
        EXPECT_EQ(std::string(file_list) + directory_list, "") << pattern.size();
    }
}

// Sixteen bytes hold three four-byte names with separators and terminator;
// alone, 14 bytes fit and 15 do not. Nothing is written past the capacity.
TEST_F(Listing, ANameThatDoesNotFitIsLeftOutWhole) {
    for (const char* name : {"aaaa", "bbbb", "cccc", "dddd"}) File(name);
    std::memset(file_list, '#', sizeof file_list);
    ListDirectory("\\*.*", file_list, directory_list, 16);
    EXPECT_EQ(std::string(file_list).size() * 10 + CountItems(file_list, '|'), 143u);
    EXPECT_EQ(file_list[16], '#');
    for (size_t length : {14u, 15u}) {
        TemporaryFolder own;
        SetDeviceRoot(own.Path().c_str());
        WriteFile(own.Path() + "/" + std::string(length, 'n'), "");
        ListDirectory("\\*.*", file_list, directory_list, 16);
        EXPECT_EQ(std::strlen(file_list), length == 14 ? 14u : 0u);
    }
}

// 40 names of 250 bytes: 32 fit a list. A directory name of 255 bytes is 256
// with its backslash and fits no name buffer; a file name of 255 bytes does.
TEST_F(Listing, LongNamesFillTheListsWithoutOverrunningThem) {
    for (int i = 0; i < 40; ++i) {
        File(char('a' + i / 26) + std::string(249, char('A' + i % 26)));
        Folder(char('m' + i / 26) + std::string(249, char('A' + i % 26)));
    }
    Folder(std::string(255, 'z'));
    File(std::string(255, 'y'));
    std::strcpy(files.directory, "\\");
    RescanDirectory();
    EXPECT_EQ(files.file_count * 100 + files.directory_count, 3232);
    for (const std::string& item : Sorted(files.directory_list)) EXPECT_EQ(item.size() * 1000 + item[0], 251000u + '\\');
}

// A path whose search pattern would not fit (path, name, backslash and
// "*.*" in 256 bytes) is not entered; going up without an inner backslash
// ends at the root.
TEST(Directories, APathThatCouldNotBeListedIsNotEnteredAndUpStopsAtTheRoot) {
    const std::string deep = "\\" + std::string(238, 'p') + "\\";
    std::strcpy(files.directory, deep.c_str());
    std::strcpy(files.directory_list, "\\twelve-bytes|\\eleven-byte");
    files.directory_count = 2;
    files.directory_page = 0;
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

}  // namespace
