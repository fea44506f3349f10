// Listing directories of the device and moving between them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files_folder.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"

namespace {

using Items = std::vector<std::string>;

class Listing : public ::testing::Test {
  protected:
    void SetUp() override { SetDirectory("\\"); }
    DeviceRootFolder folder;
};

TEST_F(Listing, PlainFilesAndSubdirectoriesGoToTheirOwnLists) {
    folder.Folder("a");
    folder.Folder("b");
    folder.File("x");
    folder.File("y");
    folder.File("read-only", 0444);
    folder.File(".hidden");
    folder.Folder(".hidden-folder");
    folder.File("b/inside");
    symlink("/nonexistent/kn", (folder.Root() + "/broken").c_str());

    char files[kListBytes], dirs[kListBytes];
    ListDirectory("\\*.*", files, dirs);
    EXPECT_EQ(SortedItems(files), (Items{"x", "y"}));
    EXPECT_EQ(SortedItems(dirs), (Items{"\\a", "\\b"}));
    EXPECT_EQ(std::strlen(files), 3u) << "no separator after the last name";
    EXPECT_EQ(std::strlen(dirs), 5u);

    ListDirectory("\\b\\*.*", files, dirs);
    EXPECT_STREQ(files, "inside");
    EXPECT_STREQ(dirs, "");
}

TEST_F(Listing, NothingListableGivesTwoEmptyLists) {
    char files[kListBytes] = "stale|names";
    char dirs[kListBytes] = "\\stale";
    ListDirectory("\\missing\\*.*", files, dirs);
    EXPECT_STREQ(files, "");
    EXPECT_STREQ(dirs, "");

    folder.Folder("empty");
    std::strcpy(files, "stale");
    ListDirectory("\\empty\\*.*", files, dirs);
    EXPECT_STREQ(files, "");

    // A pattern longer than its 256-character buffer lists nothing.
    folder.File("f");
    const std::string long_pattern = "\\" + std::string(300, '.') + "\\*.*";
    std::strcpy(files, "stale");
    ListDirectory(long_pattern.c_str(), files, dirs);
    EXPECT_STREQ(files, "");
}

TEST_F(Listing, NamesThatWouldSplitIntoOtherItemsAreLeftOut) {
    folder.File("plain");
    folder.File("one|two");
    folder.File("back\\slash");
    folder.Folder("dir|bar");
    char files[kListBytes], dirs[kListBytes];
    ListDirectory("\\*.*", files, dirs);
    EXPECT_STREQ(files, "plain");
    EXPECT_STREQ(dirs, "");
}

TEST_F(Listing, ANameThatDoesNotFitItsListIsLeftOutWhole) {
    for (const char* name : {"aaaa", "bbbb", "cccc", "dddd", "eeee"}) folder.File(name);
    // Sixteen bytes hold three names with their separators and the terminator.
    char files[16 + 8], dirs[16];
    std::memset(files, '#', sizeof files);
    ListDirectory("\\*.*", files, dirs, 16);
    EXPECT_EQ(CountItems(files, '|'), 3);
    EXPECT_EQ(std::strlen(files), 14u);
    for (const std::string& item : SortedItems(files)) EXPECT_EQ(item.size(), 4u) << item;
    for (size_t i = 16; i < sizeof files; ++i) EXPECT_EQ(files[i], '#') << i;
}

TEST_F(Listing, LongNamesFillTheListsWithoutOverrunningThem) {
    // 40 names of 250 bytes: 32 of them (8032 bytes with separators) fit 8192.
    for (int i = 0; i < 40; ++i) {
        const std::string tail(249, static_cast<char>('A' + i % 26));
        folder.File(static_cast<char>('a' + i / 26) + tail);
        folder.Folder(static_cast<char>('m' + i / 26) + tail);
    }
    // A directory name of 255 bytes is 256 with its backslash: no name buffer holds it.
    folder.Folder(std::string(255, 'z'));
    // A file name of 255 bytes still fits one.
    folder.File(std::string(255, 'y'));

    RescanDirectory();
    EXPECT_EQ(file_count, 32);
    EXPECT_EQ(directory_count, 32);
    EXPECT_LT(std::strlen(file_list), kListBytes);
    EXPECT_LT(std::strlen(directory_list), kListBytes);
    EXPECT_EQ(IndexOfItem(directory_list, "\\" + std::string(255, 'z')), -1);
    for (const std::string& item : SortedItems(file_list)) EXPECT_GE(item.size(), 250u);
    for (const std::string& item : SortedItems(directory_list)) {
        EXPECT_EQ(item.size(), 251u);
        EXPECT_EQ(item[0], '\\');
    }
}

TEST_F(Listing, ARescanStartsAtTheFirstPagesWithNothingChosen) {
    for (int i = 0; i < 25; ++i) folder.File("f" + std::to_string(i));
    folder.Folder("only");
    file_page = 20;
    directory_page = 10;
    chosen_file = 7;
    chosen_directory = 3;
    RescanDirectory();
    EXPECT_EQ(file_count, 25);
    EXPECT_EQ(directory_count, 1);
    EXPECT_EQ(file_page, 0);
    EXPECT_EQ(directory_page, 0);
    EXPECT_EQ(chosen_file, 0);
    EXPECT_EQ(chosen_directory, 0);
}

// ---------------------------------------------------------------------------
// Pages and choices
// ---------------------------------------------------------------------------
TEST_F(Listing, PageCellsBeyondTheLastPageAreIgnored) {
    for (int i = 0; i < 25; ++i) folder.File("f" + std::to_string(i));
    for (int i = 0; i < 12; ++i) folder.Folder("d" + std::to_string(i));
    RescanDirectory();

    list_cell = 2;
    FilesCommand(kFilesPages);
    EXPECT_EQ(file_page, 20);
    list_cell = 3;
    FilesCommand(kFilesPages);
    EXPECT_EQ(file_page, 20);
    list_cell = 4;
    FilesCommand(kFilesRows);
    EXPECT_EQ(chosen_file, 24) << "a row is counted from the page's first file";

    list_cell = 1;
    FilesCommand(kFilesDirectoryPages);
    EXPECT_EQ(directory_page, 10);
    list_cell = 2;
    FilesCommand(kFilesDirectoryPages);
    EXPECT_EQ(directory_page, 10);
}

// ---------------------------------------------------------------------------
// Entering and leaving directories
// ---------------------------------------------------------------------------
TEST_F(Listing, EntersSubdirectoriesAndGoesBackUpToTheRoot) {
    folder.Folder("a");
    folder.Folder("a/b");
    folder.File("a/b/deep");
    folder.File("top");
    RescanDirectory();

    list_cell = IndexOfItem(directory_list, "\\a");
    ASSERT_GE(list_cell, 0);
    FilesCommand(kFilesDirectoryCells);
    EXPECT_STREQ(directory, "\\a\\");
    EXPECT_STREQ(directory_list, "\\b");
    EXPECT_STREQ(file_list, "");

    list_cell = 0;
    FilesCommand(kFilesDirectoryCells);
    EXPECT_STREQ(directory, "\\a\\b\\");
    EXPECT_STREQ(file_list, "deep");

    FilesCommand(kFilesPathBar);
    EXPECT_STREQ(directory, "\\a\\");
    EXPECT_STREQ(directory_list, "\\b");
    FilesCommand(kFilesPathBar);
    EXPECT_STREQ(directory, "\\");
    EXPECT_STREQ(file_list, "top");

    // In the root the path bar does nothing, not even a rescan.
    list_cell = 0;
    FilesCommand(kFilesRows);
    EXPECT_EQ(chosen_file, 0);
    chosen_file = 5;
    FilesCommand(kFilesPathBar);
    EXPECT_STREQ(directory, "\\");
    EXPECT_EQ(chosen_file, 5);
}

TEST_F(Listing, ACellBelowTheLastDirectoryEntersNothing) {
    folder.Folder("a");
    RescanDirectory();
    list_cell = 5;
    FilesCommand(kFilesDirectoryCells);
    EXPECT_EQ(chosen_directory, 5);
    EXPECT_STREQ(directory, "\\");
    EXPECT_STREQ(directory_list, "\\a");
}

TEST_F(Listing, GoingUpWithoutAnInnerBackslashStopsAtTheStart) {
    for (const char* odd : {"abc\\", "\\abc", "abc", ""}) {
        SetDirectory(odd);
        FilesCommand(kFilesPathBar);
        EXPECT_STREQ(directory, "\\") << "from \"" << odd << "\"";
    }
    SetDirectory("\\a\\b");  // no final backslash: the last level goes
    FilesCommand(kFilesPathBar);
    EXPECT_STREQ(directory, "\\a\\");
}

TEST_F(Listing, APathThatCouldNotBeListedIsNotEntered) {
    // 240 characters of path leave room for a name of at most 11 bytes:
    // path, name, backslash and "*.*" must fit the 256-byte pattern.
    const std::string deep = "\\" + std::string(238, 'p') + "\\";
    SetDirectory(deep.c_str());
    std::strcpy(directory_list, "\\twelve-bytes|\\eleven-byte");
    directory_count = 2;
    directory_page = 0;

    list_cell = 0;
    FilesCommand(kFilesDirectoryCells);
    EXPECT_STREQ(directory, deep.c_str()) << "refused";

    list_cell = 1;
    FilesCommand(kFilesDirectoryCells);
    EXPECT_EQ(std::string(directory), deep.substr(0, deep.size() - 1) + "\\eleven-byte\\");
    EXPECT_EQ(std::strlen(directory) + 3, kPatternBytes - 1);
}

}  // namespace
