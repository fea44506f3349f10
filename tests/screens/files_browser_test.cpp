// The file browser: item lists, listing the device's directories, moving
// between them and the pages, and the page bubbles the screen draws.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "drawing/colour.h"
#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "screens/screen_state.h"
#include "shell/main_loop.h"
#include "support/test_surface.h"

namespace {

using Items = std::vector<std::string>;

// A temporary host folder that stands for the device's root, removed with
// everything in it. Paths are relative to the root, with slashes.
class DeviceRootFolder {
  public:
    DeviceRootFolder() {
        char pattern[] = "/tmp/kn_files_XXXXXX";
        if (mkdtemp(pattern) != nullptr) root_ = pattern;
        SetDeviceRoot(root_.c_str());
    }
    ~DeviceRootFolder() {
        const std::string command = "chmod -R u+w '" + root_ + "' && rm -rf '" + root_ + "'";
        if (!root_.empty() && std::system(command.c_str()) != 0) return;
    }
    void File(const std::string& path, mode_t mode = 0644) const {
        const std::string host = root_ + "/" + path;
        const int fd = open(host.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd >= 0) close(fd);
        chmod(host.c_str(), mode);
    }
    void Folder(const std::string& path) const { mkdir((root_ + "/" + path).c_str(), 0755); }
    void Link(const std::string& path, const char* target) const {
        symlink(target, (root_ + "/" + path).c_str());
    }

  private:
    std::string root_;
};

// The items of a list, sorted: the host lists entries in no fixed order.
Items SortedItems(const char* list) {
    Items items;
    char name[kNameBytes];
    for (int i = 0; i < CountItems(list, '|'); ++i) {
        CopyItem(list, i, name, '|');
        items.push_back(name);
    }
    std::sort(items.begin(), items.end());
    return items;
}

void SetDirectory(const char* path) {
    std::strncpy(files.directory, path, kDirectoryBytes - 1);
    files.directory[kDirectoryBytes - 1] = '\0';
}

// Sends a files command with the cell the UI loop would have set.
void Command(uint16_t id, int cell) {
    files.list_cell = cell;
    RunCommand(kFilesCommands, id);
}

// Item n of a text, copied into a buffer filled with 'z' first.
std::string Copy(const char* text, int n) {
    char buffer[kNameBytes];
    std::memset(buffer, 'z', sizeof buffer);
    CopyItem(text, n, buffer, '|');
    return buffer;
}

// Item lists.
TEST(ItemList, CountsAndFindsItemsBySeparators) {
    const std::pair<const char*, int> counts[] = {
        {"", 0}, {"x", 1}, {"x|y", 2}, {"\\a|\\b|\\c", 3}, {"|", 2}};
    for (const auto& [list, n] : counts) EXPECT_EQ(CountItems(list, '|'), n) << '"' << list << '"';
    EXPECT_EQ(CountItems("a,b|c", ','), 2);

    const char* text = "one|two|three";
    EXPECT_EQ(FindItem(text, 0, '|'), text);
    EXPECT_EQ(FindItem(text, 1, '|'), text + 4);
    EXPECT_EQ(FindItem(text, 2, '|'), text + 8);
    for (int n : {3, 99, -1}) EXPECT_EQ(FindItem(text, n, '|'), nullptr) << n;
}

TEST(ItemList, CopiesOneItemOrNothingAndStopsAtTheBuffersEnd) {
    EXPECT_EQ(Copy("x|y", 0), "x");
    EXPECT_EQ(Copy("x|y", 1), "y");
    EXPECT_EQ(Copy("x|y", 2), "");
    EXPECT_EQ(Copy("x|y", -1), "");
    EXPECT_EQ(Copy("", 0), "");
    EXPECT_EQ(Copy("\\dir|file.txt|last", 1), "file.txt");

    const std::string text = "a|" + std::string(400, 'n') + "|b";
    char buffer[kNameBytes + 8];
    std::memset(buffer, '#', sizeof buffer);
    CopyItem(text.c_str(), 1, buffer, '|');
    EXPECT_EQ(std::strlen(buffer), kNameBytes - 1);
    EXPECT_EQ(buffer[kNameBytes], '#') << "nothing written past the buffer";
    char small[4];
    CopyItem("abcdef|g", 0, small, '|', sizeof small);
    EXPECT_STREQ(small, "abc");
    CopyItem("abcdef|g", 1, small, '|', sizeof small);
    EXPECT_STREQ(small, "g");
}

// Listing.
class FileBrowser : public ::testing::Test {
  protected:
    void SetUp() override { SetDirectory("\\"); }
    DeviceRootFolder folder;
};

TEST_F(FileBrowser, PlainFilesAndSubdirectoriesGoToTheirOwnLists) {
    // Hidden, read-only and broken entries are skipped, and so are names that
    // would split into other items or path levels.
    for (const char* name : {"a", "b", ".hidden-folder", "dir|bar"}) folder.Folder(name);
    for (const char* name : {"x", "y", ".hidden", "b/inside", "one|two", "back\\slash"}) folder.File(name);
    folder.File("read-only", 0444);
    folder.Link("broken", "/nonexistent/kn");
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

TEST_F(FileBrowser, NothingListableGivesTwoEmptyLists) {
    folder.File("f");
    // A missing directory, and a pattern longer than its 256-character buffer.
    const std::string patterns[] = {"\\missing\\*.*", "\\" + std::string(300, '.') + "\\*.*"};
    for (const std::string& pattern : patterns) {
        char files[kListBytes] = "stale|names";
        char dirs[kListBytes] = "\\stale";
        ListDirectory(pattern.c_str(), files, dirs);
        EXPECT_STREQ(files, "");
        EXPECT_STREQ(dirs, "");
    }
}

TEST_F(FileBrowser, ANameThatDoesNotFitItsListIsLeftOutWhole) {
    for (const char* name : {"aaaa", "bbbb", "cccc", "dddd", "eeee"}) folder.File(name);
    // Sixteen bytes hold three names with their separators and the terminator.
    char files[16 + 8], dirs[16];
    std::memset(files, '#', sizeof files);
    ListDirectory("\\*.*", files, dirs, 16);
    EXPECT_EQ(CountItems(files, '|'), 3);
    EXPECT_EQ(std::strlen(files), 14u);
    for (const std::string& item : SortedItems(files)) EXPECT_EQ(item.size(), 4u) << item;
    for (size_t i = 16; i < sizeof files; ++i) EXPECT_EQ(files[i], '#') << i;

    // Alone, 14 bytes fill the 16 with separator and terminator; 15 do not fit.
    for (size_t length : {14u, 15u}) {
        DeviceRootFolder own;
        own.File(std::string(length, 'n'));
        ListDirectory("\\*.*", files, dirs, 16);
        EXPECT_EQ(std::strlen(files), length == 14 ? 14u : 0u) << length;
        EXPECT_EQ(files[16], '#') << length;
    }
}

TEST_F(FileBrowser, LongNamesFillTheListsWithoutOverrunningThem) {
    // 40 names of 250 bytes: 32 of them (8032 bytes with separators) fit 8192.
    for (int i = 0; i < 40; ++i) {
        const std::string tail(249, static_cast<char>('A' + i % 26));
        folder.File(static_cast<char>('a' + i / 26) + tail);
        folder.Folder(static_cast<char>('m' + i / 26) + tail);
    }
    // A directory name of 255 bytes is 256 with its backslash: no name buffer
    // holds it. A file name of 255 bytes still fits one.
    folder.Folder(std::string(255, 'z'));
    folder.File(std::string(255, 'y'));

    RescanDirectory();
    EXPECT_EQ(files.file_count, 32);
    EXPECT_EQ(files.directory_count, 32);
    EXPECT_LT(std::strlen(files.file_list), kListBytes);
    EXPECT_LT(std::strlen(files.directory_list), kListBytes);
    for (const std::string& item : SortedItems(files.file_list)) EXPECT_GE(item.size(), 250u);
    for (const std::string& item : SortedItems(files.directory_list)) {
        EXPECT_EQ(item.size(), 251u);
        EXPECT_EQ(item[0], '\\');
    }
}

// Pages and directories.
TEST_F(FileBrowser, ARescanStartsAtTheFirstPagesAndPageCellsBeyondTheLastAreIgnored) {
    for (int i = 0; i < 25; ++i) folder.File("f" + std::to_string(i));
    for (int i = 0; i < 12; ++i) folder.Folder("d" + std::to_string(i));
    files.file_page = 20;
    files.directory_page = 10;
    files.chosen_file = 7;
    files.chosen_directory = 3;
    RescanDirectory();
    EXPECT_EQ(std::tuple(files.file_count, files.directory_count), std::tuple(25, 12));
    EXPECT_EQ(std::tuple(files.file_page, files.directory_page, files.chosen_file, files.chosen_directory), std::tuple(0, 0, 0, 0));

    // Pages 3 of the files and 2 of the directories are the last; a row is
    // counted from the page's first file.
    const struct {
        uint16_t id;
        int cell;
        const int16_t* value;
        int expected;
    } steps[] = {{kFilesPages, 2, &files.file_page, 20},         {kFilesPages, 3, &files.file_page, 20},
                 {kFilesRows, 4, &files.chosen_file, 24},        {kFilesDirectoryPages, 1, &files.directory_page, 10},
                 {kFilesDirectoryPages, 2, &files.directory_page, 10}};
    for (const auto& step : steps) {
        Command(step.id, step.cell);
        EXPECT_EQ(*step.value, step.expected) << "id " << step.id << ", cell " << step.cell;
    }
    // A directory cell counts from its page's first directory: cell 1 of
    // the second page enters directory 11.
    char twelfth[kNameBytes];
    CopyItem(files.directory_list, 11, twelfth, '|');
    Command(kFilesDirectoryCells, 1);
    EXPECT_EQ(std::string(files.directory), std::string(twelfth) + "\\");
}

TEST_F(FileBrowser, EntersSubdirectoriesAndGoesBackUpToTheRoot) {
    folder.Folder("a");
    folder.Folder("a/b");
    folder.File("a/b/deep");
    folder.File("top");
    RescanDirectory();

    Command(kFilesDirectoryCells, 5);  // below the last directory: enters nothing
    EXPECT_EQ(files.chosen_directory, 5);
    EXPECT_STREQ(files.directory, "\\");
    EXPECT_STREQ(files.directory_list, "\\a");

    Command(kFilesDirectoryCells, 0);
    EXPECT_STREQ(files.directory, "\\a\\");
    EXPECT_STREQ(files.directory_list, "\\b");
    EXPECT_STREQ(files.file_list, "");
    Command(kFilesDirectoryCells, 0);
    EXPECT_STREQ(files.directory, "\\a\\b\\");
    EXPECT_STREQ(files.file_list, "deep");

    RunCommand(kFilesCommands, kFilesPathBar);
    EXPECT_STREQ(files.directory, "\\a\\");
    EXPECT_STREQ(files.directory_list, "\\b");
    RunCommand(kFilesCommands, kFilesPathBar);
    EXPECT_STREQ(files.directory, "\\");
    EXPECT_STREQ(files.file_list, "top");

    // In the root the path bar does nothing, not even a rescan.
    files.chosen_file = 5;
    RunCommand(kFilesCommands, kFilesPathBar);
    EXPECT_STREQ(files.directory, "\\");
    EXPECT_EQ(files.chosen_file, 5);
}

TEST_F(FileBrowser, GoingUpWithoutAnInnerBackslashStopsAtTheStart) {
    for (const char* odd : {"abc\\", "\\abc", "abc", ""}) {
        SetDirectory(odd);
        RunCommand(kFilesCommands, kFilesPathBar);
        EXPECT_STREQ(files.directory, "\\") << "from \"" << odd << "\"";
    }
    SetDirectory("\\a\\b");  // no final backslash: the last level goes
    RunCommand(kFilesCommands, kFilesPathBar);
    EXPECT_STREQ(files.directory, "\\a\\");
}

TEST_F(FileBrowser, APathThatCouldNotBeListedIsNotEntered) {
    // 240 characters of path leave room for a name of at most 11 bytes:
    // path, name, backslash and "*.*" must fit the 256-byte pattern.
    const std::string deep = "\\" + std::string(238, 'p') + "\\";
    SetDirectory(deep.c_str());
    std::strcpy(files.directory_list, "\\twelve-bytes|\\eleven-byte");
    files.directory_count = 2;
    files.directory_page = 0;

    Command(kFilesDirectoryCells, 0);
    EXPECT_STREQ(files.directory, deep.c_str()) << "refused";
    Command(kFilesDirectoryCells, 1);
    EXPECT_EQ(std::string(files.directory), deep.substr(0, deep.size() - 1) + "\\eleven-byte\\");
    EXPECT_EQ(std::strlen(files.directory) + 3, kPatternBytes - 1);
}

// The screen.
TEST_F(FileBrowser, PageBubblesAppearOnlyWithMoreThanOnePage) {
    const uint16_t file_area = PackColourWord(0, 80, 0), directory_area = PackColourWord(0, 0, 180);
    const int cases[][2] = {{25, 3}, {20, 2}, {10, 0}, {11, 2}};  // files, bubbles
    for (const auto& c : cases) {
        DeviceRootFolder own;
        for (int i = 0; i < c[0]; ++i) own.File("f" + std::to_string(i));
        RescanDirectory();
        ResetTestSurface();
        FilesRedraw();
        // A point inside bubble p's disc, clear of glint and label.
        for (int p = 1; p <= 4; ++p)
            EXPECT_EQ(PixelAt(14 * p - 3, 40) != file_area, p <= c[1]) << c[0] << " files, bubble " << p;
        EXPECT_EQ(PixelAt(11, 220), directory_area);
        EXPECT_EQ(PixelAt(200, 150), PackColourWord(0, 180, 0)) << "the panel right of the names";
    }
}

}  // namespace
