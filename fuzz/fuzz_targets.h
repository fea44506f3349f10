// The files the program reads, fed from fuzzer input: the skin picture, the
// settings file, session scripts and directory listings. Each target is an
// inline function, so that the libFuzzer binaries (one per target, built by
// build.sh with clang) and the corpus replay of the test suite (built with
// the project's compiler) run the same code. A target returns 0; a broken
// expectation aborts.
#pragma once
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless.h"
#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "screens/layout_tables.h"
#include "shell/main_loop.h"
#include "surface/surface.h"
#include "ui/widgets.h"

namespace fuzz {

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz target: %s\n", what);
        std::abort();
    }
}

inline void EnsureSurface() {
    if (surface.pixel_base == nullptr) {
        const GXDisplayProperties portrait = kPortraitDisplay;
        InitScreenSurfaceFrom(surface, portrait);
    }
}

// A scratch folder of this process, removed when the process ends. libFuzzer
// ends without running destructors, so build.sh names a folder of its own in
// KN_FUZZ_SCRATCH instead, which stays for the next run.
struct ScratchFolder {
    std::string path;
    bool owned = false;
    ScratchFolder() {
        const char* given = std::getenv("KN_FUZZ_SCRATCH");
        if (given != nullptr && given[0] != '\0') {
            path = given;
            mkdir(path.c_str(), 0755);
            return;
        }
        char pattern[] = "/tmp/kn_fuzz_XXXXXX";
        Require(mkdtemp(pattern) != nullptr, "no scratch folder");
        path = pattern;
        owned = true;
    }
    ~ScratchFolder() {
        if (owned) (void)std::system(("chmod -R u+rwx '" + path + "'; rm -rf '" + path + "'").c_str());
    }
};

// A folder inside it that stands for the device's root.
inline const std::string& ScratchRoot(const char* purpose) {
    static ScratchFolder scratch;
    const std::string& root = scratch.path;
    static std::string folder;
    folder = root + "/" + purpose;
    mkdir(folder.c_str(), 0755);
    return folder;
}

// Removes everything inside a folder (one level deep is all the targets make).
inline void EmptyFolder(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        const std::string path = folder + "/" + entry->d_name;
        if (unlink(path.c_str()) != 0) rmdir(path.c_str());
    }
    closedir(dir);
}

inline void ListsAreWellFormed(size_t capacity) {
    for (const char* list : {static_cast<const char*>(files.file_list), static_cast<const char*>(files.directory_list)}) {
        const size_t length = strnlen(list, kListBytes);
        Require(length < kListBytes && length < capacity, "an item list overran its capacity");
        Require(length == 0 || (list[0] != kItemSeparator && list[length - 1] != kItemSeparator),
                "an item list starts or ends with a separator");
        const int16_t count = CountItems(list, kItemSeparator);
        char name[kNameBytes];
        for (int i = 0; i < count; ++i) {
            CopyItem(list, i, name, kItemSeparator);
            Require(name[0] != '\0', "an empty item");
            Require(std::strlen(name) < kNameBytes, "an item longer than a name");
        }
    }
}

// ---------------------------------------------------------------------------
// The skin picture: decoded, converted, and every widget image cut from it.
// ---------------------------------------------------------------------------
inline int SkinPictureInput(const uint8_t* data, size_t size) {
    EnsureSurface();
    DecodedImage image;
    if (!DecodeImageMemory(data, size, &image)) return 0;
    Require(image.width >= 1 && image.height >= 1 && image.width <= kMaxImageSide &&
                image.height <= kMaxImageSide,
            "a decoded picture outside the accepted sizes");
    SkinPicture* picture = PictureFromRgb(surface, image.width, image.height, image.rgb);
    FreeDecodedImage(&image);
    if (picture == nullptr) return 0;
    WidgetRecord* tables[] = {main_table,       drawing_editor_table, shape_tool_table,
                              vertex_tool_table, animation_table,      library_browser_table};
    for (WidgetRecord* table : tables)
        for (WidgetRecord* w = table; w->type != kEnd; ++w)
            if (w->type <= kChooserHorizontal) DrawWidget(*w, picture);
    // Blocks at the picture's edges and beyond them.
    const int32_t spots[][2] = {{0, 0}, {picture->width - 1, picture->height - 1},
                                {picture->width, 0}, {-5, -5}, {picture->width / 2, picture->height - 3}};
    for (const auto& spot : spots) BlitPicture(surface, 230, 310, 20, 20, picture, spot[0], spot[1]);
    FreeSkinPicture(picture);
    return 0;
}

// ---------------------------------------------------------------------------
// The settings file: its first line becomes the browser's directory, which is
// then listed.
// ---------------------------------------------------------------------------
inline int SettingsFileInput(const uint8_t* data, size_t size) {
    const std::string& root = ScratchRoot("settings");
    mkdir((root + "/tovu").c_str(), 0755);
    FILE* file = std::fopen((root + "/tovu/kalvenorix.ini").c_str(), "wb");
    Require(file != nullptr, "cannot write the settings file");
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
    SetDeviceRoot(root.c_str());
    std::strcpy(files.directory, "\\");
    ReadSettings();
    Require(std::memchr(files.directory, 0, kDirectoryBytes) != nullptr, "the directory lost its terminator");
    // A leading backslash is added where it fits: only a line that fills the
    // buffer may start without one.
    Require(files.directory[0] == '\\' || std::strlen(files.directory) == kDirectoryBytes - 1,
            "the directory does not start at the root");
    RescanDirectory();
    ListsAreWellFormed(kListBytes);
    return 0;
}

// ---------------------------------------------------------------------------
// Session scripts: the whole text is checked before anything runs.
// ---------------------------------------------------------------------------
inline int SessionScriptInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    char error[256];
    std::memset(error, 0x7F, sizeof error);
    const bool loaded = LoadHeadlessScriptText("fuzz", text.c_str(), error, sizeof error);
    if (!loaded) Require(std::memchr(error, 0, sizeof error) != nullptr, "an unterminated error message");
    ResetHeadless();
    return 0;
}

// ---------------------------------------------------------------------------
// Directory listings. The input describes a folder, which is made on the host
// and listed: byte 0 chooses the lists' capacity; then records of a kind byte
// (file, directory, read-only file, many files), a length byte and the name's
// bytes. A name may hold any byte but '/' and NUL, which the host forbids.
// ---------------------------------------------------------------------------
inline int DirectoryListingInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string& folder = ScratchRoot("listing");
    EmptyFolder(folder);
    static const size_t kCapacities[] = {kListBytes, 1, 2, 16, 300, 4096};
    const size_t capacity = kCapacities[data[0] % 6];
    size_t at = 1;
    int made = 0;
    while (at + 2 <= size && made < 400) {
        const uint8_t kind = data[at] % 4;
        size_t length = data[at + 1];
        at += 2;
        if (length > size - at) length = size - at;
        std::string name(reinterpret_cast<const char*>(data + at), length);
        at += length;
        for (char& c : name)
            if (c == '/' || c == '\0') c = '_';
        if (name.empty() || name == "." || name == ".." || name.size() > 255) continue;
        const int copies = kind == 3 ? 40 : 1;
        for (int copy = 0; copy < copies && made < 400; ++copy, ++made) {
            std::string unique = name;
            if (copy > 0) unique = unique.substr(0, 250) + std::to_string(copy);
            const std::string path = folder + "/" + unique;
            if (kind == 1) {
                mkdir(path.c_str(), 0755);
            } else {
                FILE* f = std::fopen(path.c_str(), "w");
                if (f != nullptr) std::fclose(f);
                if (kind == 2) chmod(path.c_str(), 0444);
            }
        }
    }
    SetDeviceRoot(folder.c_str());
    std::memset(files.file_list, 0x55, sizeof files.file_list);
    std::memset(files.directory_list, 0x55, sizeof files.directory_list);
    ListDirectory("\\*.*", files.file_list, files.directory_list, capacity);
    ListsAreWellFormed(capacity);
    // The same folder through the browser's own path, then a pattern made of
    // the input's last bytes.
    std::strcpy(files.directory, "\\");
    RescanDirectory();
    ListsAreWellFormed(kListBytes);
    const size_t tail = size < 300 ? size : 300;
    std::string pattern(reinterpret_cast<const char*>(data + size - tail), tail);
    ListDirectory(pattern.c_str(), files.file_list, files.directory_list);
    ListsAreWellFormed(kListBytes);
    return 0;
}

}  // namespace fuzz
