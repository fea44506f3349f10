// The files-and-about screen: item lists, directory listing through the
// platform's find functions, entering and leaving directories, and the
// screen's drawing. Read-only: nothing here opens or writes a file.
#include "screens/file_browser.h"

#include <cstdio>
#include <cstring>

#include "platform/host_files.h"
#include "raster/ellipses.h"
#include "raster/font.h"
#include "raster/panels.h"
#include "screens/layout_tables.h"
#include "surface/pen.h"

const char* const kVersionLine = "KalveNorix [0.12]";
const char* const kContactLine = "email: hello@kalvenorix.invalid";

FilesState files;

void ResetFiles() {
    files = FilesState{};
    std::strcpy(files.directory, "\\");
}

// ---------------------------------------------------------------------------
// Item lists
// ---------------------------------------------------------------------------
int16_t CountItems(const char* text, char separator) {
    if (text == nullptr || text[0] == '\0') return 0;
    int32_t n = 1;
    for (const char* p = text; *p != '\0'; ++p)
        if (*p == separator) ++n;
    return static_cast<int16_t>(n);
}

const char* FindItem(const char* text, int n, char separator) {
    if (text == nullptr || n < 0) return nullptr;
    const char* p = text;
    for (int i = 0; i < n; ++i) {
        p = std::strchr(p, separator);
        if (p == nullptr) return nullptr;
        ++p;
    }
    return p;
}

void CopyItem(const char* text, int n, char* buffer, char separator, size_t capacity) {
    if (buffer == nullptr || capacity == 0) return;
    buffer[0] = '\0';
    // The empty text holds no item 0 either.
    if (text == nullptr || text[0] == '\0') return;
    const char* p = FindItem(text, n, separator);
    if (p == nullptr) return;
    size_t length = 0;
    while (p[length] != '\0' && p[length] != separator && length + 1 < capacity) {
        buffer[length] = p[length];
        ++length;
    }
    buffer[length] = '\0';
}

// ---------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------
// One list being filled: its bytes, capacity and current length.
struct ListBuilder {
    char* text;
    size_t capacity;
    size_t length;
};

// Appends prefix + name and a separator. A name is left out whole when it
// would not fit the list (with its separator and the terminator) or a name
// buffer, or when it holds a separator or a backslash, which would split it
// into other items or other path levels.
static void AppendItem(ListBuilder* list, const char* prefix, const char* name) {
    if (std::strchr(name, kItemSeparator) != nullptr || std::strchr(name, '\\') != nullptr) return;
    const size_t prefix_length = std::strlen(prefix);
    const size_t name_length = std::strlen(name);
    const size_t item_length = prefix_length + name_length;
    if (item_length + 1 > kNameBytes) return;
    if (list->length + item_length + 2 > list->capacity) return;
    char* at = list->text + list->length;
    std::memcpy(at, prefix, prefix_length);
    std::memcpy(at + prefix_length, name, name_length);
    at[item_length] = kItemSeparator;
    at[item_length + 1] = '\0';
    list->length += item_length + 1;
}

// Drops the separator after the last name.
static void FinishList(ListBuilder* list) {
    if (list->length == 0) return;
    list->length -= 1;
    list->text[list->length] = '\0';
}

void ListDirectory(const char* pattern, char* file_items, char* directory_items,
                   size_t list_capacity) {
    if (file_items == nullptr || directory_items == nullptr || list_capacity == 0) return;
    file_items[0] = '\0';
    directory_items[0] = '\0';
    // The pattern travels in a buffer of its own; one that does not fit lists nothing.
    if (pattern == nullptr || std::strlen(pattern) + 1 > kPatternBytes) return;
    FindData found;
    FindHandle* handle = FindFirstFile(pattern, &found);
    if (handle == nullptr) return;
    ListBuilder file_builder = {file_items, list_capacity, 0};
    ListBuilder dir_builder = {directory_items, list_capacity, 0};
    do {
        // Exact attribute values: a plain directory, or a plain writable
        // file; read-only, hidden, system and anything else are skipped.
        found.name[sizeof found.name - 1] = '\0';
        if (found.attributes == kAttributeDirectory) {
            AppendItem(&dir_builder, "\\", found.name);
        } else if (found.attributes == kAttributeArchive) {
            AppendItem(&file_builder, "", found.name);
        }
    } while (FindNextFile(handle, &found) != 0);
    FindClose(handle);
    FinishList(&file_builder);
    FinishList(&dir_builder);
}

void RescanDirectory() {
    char pattern[kDirectoryBytes + 4];
    std::snprintf(pattern, sizeof pattern, "%s*.*", files.directory);
    ListDirectory(pattern, files.file_list, files.directory_list);
    files.file_count = CountItems(files.file_list, kItemSeparator);
    files.directory_count = CountItems(files.directory_list, kItemSeparator);
    files.directory_page = 0;
    files.file_page = 0;
    files.chosen_directory = 0;
    files.chosen_file = 0;
}

// ---------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------
// The directory loses its final backslash and gains "\name\" (the name brings
// its own leading backslash). A path whose search pattern would not fit is
// refused, so every directory entered can be listed.
static void EnterDirectory(const char* name) {
    size_t length = std::strlen(files.directory);
    if (length > 0 && files.directory[length - 1] == '\\') length -= 1;
    const size_t name_length = std::strlen(name);
    if (length + name_length + 1 + std::strlen("*.*") + 1 > kPatternBytes) return;
    std::memcpy(files.directory + length, name, name_length);
    files.directory[length + name_length] = '\\';
    files.directory[length + name_length + 1] = '\0';
    RescanDirectory();
}

// From the character before the final backslash toward the start, the first
// backslash found ends the string, and "\" follows it: "\a\b\" gives "\a\",
// and "\a\" gives the root. Without such a backslash the search stops at the
// start of the string, which then becomes the root.
static void LeaveDirectory() {
    if (std::strcmp(files.directory, "\\") == 0) return;
    int32_t i = static_cast<int32_t>(std::strlen(files.directory)) - 2;
    while (i >= 0 && files.directory[i] != '\\') --i;
    const int32_t end = i < 0 ? 0 : i;
    files.directory[end] = '\\';
    files.directory[end + 1] = '\0';
    RescanDirectory();
}

// Only the highlight changes.
static void ChooseFile() {
    files.chosen_file = static_cast<int16_t>(files.file_page + files.list_cell);
}

static void TurnFilePage() {
    if (files.list_cell >= 0 && files.list_cell * kEntriesPerPage < files.file_count)
        files.file_page = static_cast<int16_t>(files.list_cell * kEntriesPerPage);
}

static void ChooseDirectory() {
    files.chosen_directory = static_cast<int16_t>(files.directory_page + files.list_cell);
    char name[kNameBytes];
    CopyItem(files.directory_list, files.chosen_directory, name, kItemSeparator);
    if (name[0] != '\0') EnterDirectory(name);
}

static void TurnDirectoryPage() {
    if (files.list_cell >= 0 && files.list_cell * kEntriesPerPage < files.directory_count)
        files.directory_page = static_cast<int16_t>(files.list_cell * kEntriesPerPage);
}

const CommandEntry kFilesCommands[] = {
    {kFilesRows,           ChooseFile},
    {kFilesPages,          TurnFilePage},
    {kFilesDirectoryCells, ChooseDirectory},
    {kFilesDirectoryPages, TurnDirectoryPage},
    {kFilesPathBar,        LeaveDirectory},
    {kNoCommand,           nullptr},
};

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------
void DrawListEntry(int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* name, bool chosen) {
    const bool is_directory = name[0] == '\\';
    const int shade = chosen ? 180 : 80;
    SetPenColour(surface, is_directory ? MakeColour(0, 0, shade, 255) : MakeColour(0, shade, 0, 255));
    FillChamferRect(surface, x1, y1, x2, y2, 2);
    SetPenColour(surface, kOpaqueWhite);
    DrawText(surface, static_cast<int16_t>(x1 + (chosen ? 2 : 4)), static_cast<int16_t>(y1 + 1), name);
}

// Numbered bubbles 14 pixels apart, one per page of ten, only when there is
// more than one page. The current page is lighter with its glint at the lower
// right, so it looks pressed.
static void DrawPageBubbles(int32_t count, int32_t page, int16_t y, const ColourRecord& current,
                            const ColourRecord& other, const ColourRecord& glint) {
    if (count <= kEntriesPerPage) return;
    const int32_t pages = (count + 9) / 10;
    char label[12];  // any int32 in decimal
    // Bubbles right of the screen's edge would be clipped away entirely.
    for (int32_t p = 1; p <= pages && 14 * p - 12 < kScreenWidth; ++p) {
        const int32_t x = 14 * p - 6;
        const bool is_current = p - 1 == page / 10;
        SetPenColour(surface, is_current ? current : other);
        FillSoftDisc(surface, x, y, 6);
        SetPenColour(surface, glint);
        if (is_current) {
            FillSoftDisc(surface, x + 2, y + 2, 2);
        } else {
            FillSoftDisc(surface, x - 2, y - 2, 2);
        }
        SetPenColour(surface, kOpaqueBlack);
        std::snprintf(label, sizeof label, "%d", static_cast<int>(p));
        DrawTextCentred(surface, static_cast<int16_t>(x), static_cast<int16_t>(y + 1), label);
    }
}

void FilesRedraw() {
    SetPenColour(surface, kOpaqueWhite);
    ClearSurface(surface);
    SetPenColour(surface, kOpaqueBlack);
    DrawTextBold(surface, 2, 4, kVersionLine);
    DrawTextBoldCentred(surface, 120, 310, kContactLine);

    SetPenColour(surface, MakeColour(0, 80, 0, 255));
    FillRect(surface, 0, 33, 239, 214);  // the file area
    SetPenColour(surface, MakeColour(0, 0, 80, 255));
    FillChamferRect(surface, 0, 20, 239, 33, 1);  // the path bar
    SetPenColour(surface, MakeColour(0, 0, 180, 255));
    FillChamferRect(surface, 0, 214, 239, 300, 1);  // the directory area
    SetPenColour(surface, kOpaqueWhite);
    DrawTextBold(surface, 2, 22, files.directory);

    // A file entry sits inside its row of the rows grid, 2 pixels below the
    // row's top.
    const WidgetRecord& rows = *FindWidget(files_table, kFilesRows);
    const int32_t row_height = (rows.y2 - rows.y1) / rows.b;
    char name[kNameBytes];
    for (int32_t k = 0; k < kEntriesPerPage; ++k) {
        const int32_t i = files.file_page + k;
        if (i >= files.file_count) break;
        CopyItem(files.file_list, i, name, kItemSeparator);
        const int32_t top = rows.y1 + 2 + row_height * k;
        DrawListEntry(1, static_cast<int16_t>(top), 117, static_cast<int16_t>(top + 14), name,
                      files.chosen_file == i);
    }
    DrawPageBubbles(files.file_count, files.file_page, 42, MakeColour(128, 255, 128, 255),
                    MakeColour(0, 255, 0, 255), kOpaqueWhite);

    for (int32_t k = 0; k < kEntriesPerPage; ++k) {
        const int32_t i = files.directory_page + k;
        if (i >= files.directory_count) break;
        CopyItem(files.directory_list, i, name, kItemSeparator);
        const int16_t left = static_cast<int16_t>(1 + 120 * (k % 2));
        const int16_t top = static_cast<int16_t>(230 + 14 * (k / 2));
        DrawListEntry(left, top, static_cast<int16_t>(left + 116), static_cast<int16_t>(top + 12),
                      name, false);
    }
    DrawPageBubbles(files.directory_count, files.directory_page, 222, MakeColour(128, 128, 255, 255),
                    MakeColour(0, 0, 255, 255), MakeColour(200, 200, 255, 255));

    // An empty panel right of the file names; it also cuts off long names.
    SetPenColour(surface, MakeColour(0, 180, 0, 255));
    FillChamferRect(surface, 116, 51, 236, 211, 1);
}

void FilesGridFace(const WidgetRecord&) {}
