// The files-and-about screen (mode 2): the version and contact lines and a
// read-only browser of the device's directories. Nothing is opened, loaded or
// written; tapping a file only highlights it.
//
// An item list is a zero-terminated byte string of names joined by "|", with
// no "|" after the last; the empty string holds no items. Sub-directory names
// carry a leading backslash ("\a").
#pragma once
#include <cstddef>
#include <cstdint>

#include "screens/widget_ids.h"
#include "ui/widgets.h"

constexpr size_t kDirectoryBytes = 512;  // the current path, terminator included
constexpr size_t kListBytes = 8192;    // each item list, terminator included
constexpr size_t kNameBytes = 256;     // one name, terminator included
constexpr size_t kPatternBytes = 256;  // the search pattern, terminator included
constexpr char kItemSeparator = '|';
constexpr int16_t kEntriesPerPage = 10;

extern const char* const kVersionLine;
extern const char* const kContactLine;

struct FilesState {
    char directory[kDirectoryBytes];     // the current path, "\" to "\"
    char file_list[kListBytes];          // plain files of the path
    char directory_list[kListBytes];     // its sub-directories, "\name"
    int16_t file_count;
    int16_t directory_count;
    int16_t file_page;         // first file shown, a multiple of 10
    int16_t directory_page;    // first sub-directory shown, a multiple of 10
    int16_t chosen_file;       // highlighted file
    int16_t chosen_directory;  // sub-directory last tapped
    int32_t list_cell;         // cell of the grid last touched
};

extern FilesState files;

// The root path and empty lists, nothing chosen.
void ResetFiles();

// The files screen's command list.
extern const CommandEntry kFilesCommands[];

// 0 for the empty text, otherwise 1 + the number of separators.
int16_t CountItems(const char* text, char separator);
// Start of item n (item 0 is the text itself); null when there is no item n.
const char* FindItem(const char* text, int n, char separator);
// Copies item n into buffer, zero-terminated, cut to capacity - 1 bytes;
// the empty string when there is no item n.
void CopyItem(const char* text, int n, char* buffer, char separator,
              size_t capacity = kNameBytes);

// Lists the directory that pattern (a path ending in "*.*") names: plain
// writable files into file_items, sub-directories ("\name") into
// directory_items, everything
// else skipped. Each list holds list_capacity bytes; a name that does not fit
// is left out whole. Both lists are empty when nothing can be listed.
void ListDirectory(const char* pattern, char* file_items, char* directory_items,
                   size_t list_capacity = kListBytes);
// Lists the current directory anew; pages and choices go back to 0.
void RescanDirectory();

// Draws the whole screen: about lines, path, file and directory pages.
void FilesRedraw();
// One list entry: a chamfered box (blue for a directory, green for a file,
// lighter when chosen) with the name in white.
void DrawListEntry(int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* name, bool chosen);
// The files grids' face: FilesRedraw paints the lists, the grids add nothing.
void FilesGridFace(const WidgetRecord& widget);
