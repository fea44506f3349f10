// The files-and-about screen in the running program: a session script pages
// through a prepared root, enters a directory and comes back up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "headless_run.h"

namespace {

void Touch(const std::string& path, mode_t mode = 0644) {
    WriteFile(path, "");
    chmod(path.c_str(), mode);
}

// Rows and cells of the lists as the screen lays them out.
bool FileRowShown(const Picture& s, int k) {
    return s.CountInBox(2, 53 + 16 * k, 110, 64 + 16 * k, 0xFFFF) > 5;
}
bool FileRowChosen(const Picture& s, int k) {
    return s.CountInBox(2, 53 + 16 * k, 110, 64 + 16 * k, Word(0, 180, 0)) > 100;
}
bool DirectoryCellShown(const Picture& s, int k) {
    const int left = 1 + 120 * (k % 2), top = 230 + 14 * (k / 2);
    return s.CountInBox(left + 2, top + 2, left + 114, top + 10, Word(0, 0, 80)) > 100;
}
// A bubble's colour at a point of its disc clear of glint and label.
uint16_t FileBubble(const Picture& s, int p) { return s.At(14 * p - 3, 40); }
uint16_t DirectoryBubble(const Picture& s, int p) { return s.At(14 * p - 3, 220); }

const uint16_t kCurrentFilePage = Word(128, 255, 128), kFilePage = Word(0, 255, 0);
const uint16_t kCurrentDirectoryPage = Word(128, 128, 255), kDirectoryPage = Word(0, 0, 255);
const uint16_t kFileArea = Word(0, 80, 0), kDirectoryArea = Word(0, 0, 180);

TEST(FilesSession, PagesEntersAndLeavesDirectories) {
    TemporaryFolder root, out;
    // 25 plain files, 12 directories each holding a directory and a file,
    // and entries the browser skips: hidden and read-only ones.
    for (int i = 0; i < 25; ++i) Touch(root.Path() + "/f" + std::to_string(100 + i));
    for (int i = 0; i < 12; ++i) {
        const std::string d = root.Path() + "/d" + std::to_string(i);
        mkdir(d.c_str(), 0755);
        mkdir((d + "/inner").c_str(), 0755);
        Touch(d + "/note");
    }
    Touch(root.Path() + "/.hidden");
    Touch(root.Path() + "/locked", 0444);
    mkdir((root.Path() + "/.cache").c_str(), 0755);

    ASSERT_EQ(RunScript("files_session.script", root.Path(), out.Path()).status, 0);

    const Picture first = LoadShot(out.Path(), "files-01-root.png");
    EXPECT_EQ(FileBubble(first, 1), kCurrentFilePage);
    EXPECT_EQ(FileBubble(first, 2), kFilePage);
    EXPECT_EQ(FileBubble(first, 3), kFilePage);
    EXPECT_EQ(FileBubble(first, 4), kFileArea) << "25 files make three pages";
    EXPECT_EQ(DirectoryBubble(first, 1), kCurrentDirectoryPage);
    EXPECT_EQ(DirectoryBubble(first, 2), kDirectoryPage);
    EXPECT_EQ(DirectoryBubble(first, 3), kDirectoryArea);
    EXPECT_TRUE(FileRowChosen(first, 0)) << "a rescan chooses the first file";
    for (int k = 1; k < 10; ++k) EXPECT_TRUE(FileRowShown(first, k)) << k;
    for (int k = 0; k < 10; ++k) EXPECT_TRUE(DirectoryCellShown(first, k)) << k;

    // The third file page holds the last five files: nothing skipped was listed.
    const Picture third = LoadShot(out.Path(), "files-02-file-page-3.png");
    EXPECT_EQ(FileBubble(third, 1), kFilePage);
    EXPECT_EQ(FileBubble(third, 3), kCurrentFilePage);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(FileRowShown(third, k), k < 5) << k;

    const Picture chosen = LoadShot(out.Path(), "files-03-file-chosen.png");
    EXPECT_TRUE(FileRowChosen(chosen, 3));
    EXPECT_FALSE(FileRowChosen(chosen, 0));

    const Picture directories = LoadShot(out.Path(), "files-04-directory-page-2.png");
    EXPECT_EQ(DirectoryBubble(directories, 2), kCurrentDirectoryPage);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(DirectoryCellShown(directories, k), k < 2) << k;

    // Inside: one file, one directory, a single page each, a longer path.
    const Picture inside = LoadShot(out.Path(), "files-05-entered.png");
    EXPECT_EQ(FileBubble(inside, 1), kFileArea);
    EXPECT_EQ(DirectoryBubble(inside, 1), kDirectoryArea);
    EXPECT_TRUE(FileRowChosen(inside, 0));
    EXPECT_FALSE(FileRowShown(inside, 1));
    EXPECT_TRUE(DirectoryCellShown(inside, 0));
    EXPECT_FALSE(DirectoryCellShown(inside, 1));
    EXPECT_GT(inside.CountInBox(2, 21, 238, 32, 0xFFFF), first.CountInBox(2, 21, 238, 32, 0xFFFF) + 20);

    // Up again: the root as at first, and the path bar in the root changes nothing.
    const Picture up = LoadShot(out.Path(), "files-06-up.png");
    const Picture still = LoadShot(out.Path(), "files-07-still-root.png");
    EXPECT_TRUE(up.words == first.words);
    EXPECT_TRUE(still.words == first.words);
}

TEST(FilesSession, AMissingStartDirectoryShowsEmptyLists) {
    TemporaryFolder root, out;
    mkdir((root.Path() + "/tovu").c_str(), 0755);
    ASSERT_TRUE(WriteFile(root.Path() + "/tovu/kalvenorix.ini", "\\nowhere\\\n"));
    Touch(root.Path() + "/f1");

    ASSERT_EQ(RunScript("files_session.script", root.Path(), out.Path()).status, 0);
    const Picture first = LoadShot(out.Path(), "files-01-root.png");
    EXPECT_FALSE(FileRowShown(first, 0));
    EXPECT_FALSE(FileRowChosen(first, 0));
    EXPECT_FALSE(DirectoryCellShown(first, 0));
    // Going up from \nowhere\ reaches the root, which lists f1 and tovu.
    const Picture up = LoadShot(out.Path(), "files-06-up.png");
    EXPECT_TRUE(FileRowChosen(up, 0));
    EXPECT_TRUE(DirectoryCellShown(up, 0));
}

}  // namespace
