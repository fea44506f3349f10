// The files screen's drawing: the lists of the current pages and the page
// bubbles.
#include <gtest/gtest.h>

#include <string>

#include "files_folder.h"
#include "screens/file_browser.h"
#include "support/test_surface.h"

namespace {

constexpr uint16_t Word(int r, int g, int b) { return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

const uint16_t kFileArea = Word(0, 80, 0);
const uint16_t kChosenFile = Word(0, 180, 0);
const uint16_t kPlainDirectory = Word(0, 0, 80);
const uint16_t kDirectoryArea = Word(0, 0, 180);

int CountInBox(int x1, int y1, int x2, int y2, uint16_t word) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) n += PixelAt(x, y) == word;
    return n;
}

// Bubble p's colour at a point inside its disc, clear of glint and label.
uint16_t FileBubble(int p) { return PixelAt(14 * p - 6 + 3, 40); }
uint16_t DirectoryBubble(int p) { return PixelAt(14 * p - 6 + 3, 220); }
bool FileBubbleShown(int p) { return FileBubble(p) != kFileArea; }
bool DirectoryBubbleShown(int p) { return DirectoryBubble(p) != kDirectoryArea; }

class FilesScreen : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTestSurface();
        SetDirectory("\\");
    }
    void Files(int n) {
        for (int i = 0; i < n; ++i) folder.File("f" + std::to_string(100 + i));
    }
    DeviceRootFolder folder;
};

TEST_F(FilesScreen, PageBubblesAppearOnlyWithMoreThanOnePage) {
    struct Case {
        int files;
        int bubbles;
    };
    for (Case c : {Case{25, 3}, Case{20, 2}, Case{10, 0}, Case{11, 2}}) {
        DeviceRootFolder own;
        for (int i = 0; i < c.files; ++i) own.File("f" + std::to_string(i));
        RescanDirectory();
        ResetTestSurface();
        FilesRedraw();
        for (int p = 1; p <= 4; ++p)
            EXPECT_EQ(FileBubbleShown(p), p <= c.bubbles) << c.files << " files, bubble " << p;
        EXPECT_FALSE(DirectoryBubbleShown(1));
    }
}

TEST_F(FilesScreen, DrawsTheListsOfTheCurrentPages) {
    Files(13);
    for (int i = 0; i < 12; ++i) folder.Folder("d" + std::to_string(i));
    RescanDirectory();
    chosen_file = 1;
    FilesRedraw();
    // Row k of the files spans y 52 + 16k .. 66 + 16k, left of the panel at
    // 116; a plain file's box has the area's colour, so its name shows it.
    EXPECT_GT(CountInBox(2, 53, 110, 64, 0xFFFF), 5) << "file 0";
    EXPECT_GT(CountInBox(2, 69, 110, 80, kChosenFile), 100) << "file 1, chosen";
    EXPECT_EQ(CountInBox(2, 53, 110, 64, kChosenFile), 0) << "file 0 is not chosen";
    EXPECT_GT(CountInBox(2, 197, 110, 208, 0xFFFF), 5) << "file 9";
    EXPECT_EQ(CountInBox(118, 53, 234, 208, 0xFFFF), 0) << "the panel covers the right half";
    EXPECT_EQ(FileBubble(1), Word(128, 255, 128)) << "the current page";
    EXPECT_EQ(FileBubble(2), Word(0, 255, 0));
    EXPECT_EQ(DirectoryBubble(1), Word(128, 128, 255)) << "the current page";
    EXPECT_EQ(DirectoryBubble(2), Word(0, 0, 255));
    // Ten directories in five rows of two, on the lighter directory area.
    EXPECT_GT(CountInBox(3, 232, 115, 241, kPlainDirectory), 100) << "directory 0";
    EXPECT_GT(CountInBox(123, 288, 235, 297, kPlainDirectory), 100) << "directory 9";

    file_page = 10;
    directory_page = 10;
    ResetTestSurface();
    FilesRedraw();
    EXPECT_EQ(FileBubble(1), Word(0, 255, 0));
    EXPECT_EQ(FileBubble(2), Word(128, 255, 128));
    EXPECT_EQ(DirectoryBubble(2), Word(128, 128, 255));
    EXPECT_GT(CountInBox(2, 85, 110, 96, 0xFFFF), 5) << "file 12, third row";
    EXPECT_EQ(CountInBox(2, 101, 110, 208, 0xFFFF), 0) << "nothing below it";
    EXPECT_GT(CountInBox(123, 232, 235, 241, kPlainDirectory), 100) << "directory 11";
    EXPECT_EQ(CountInBox(3, 246, 115, 255, kPlainDirectory), 0) << "no directory 12";
}

}  // namespace
