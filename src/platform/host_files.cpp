// Host file-system services: device paths under a host root folder, PNG
// decoding and encoding through libpng, and directory listing with device attributes.
#include "platform/host_files.h"

#include "platform/safe_files.h"

#include <dirent.h>
#ifndef __EMSCRIPTEN__
#include <png.h>  // the web build decodes through the browser (web.cpp)
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// Device root and path mapping
// ---------------------------------------------------------------------------

static char device_root[PATH_MAX] = ".";

void SetDeviceRoot(const char* host_folder) {
    if (host_folder == nullptr || host_folder[0] == '\0') host_folder = ".";
    size_t length = std::strlen(host_folder);
    if (length >= sizeof device_root) length = sizeof device_root - 1;
    std::memcpy(device_root, host_folder, length);
    // A trailing slash would double up with the one every device path begins with.
    while (length > 1 && device_root[length - 1] == '/') --length;
    device_root[length] = '\0';
}

const char* DeviceRoot() { return device_root; }

static bool IsDirectory(const char* host_path) {
    struct stat info;
    return stat(host_path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool FindBundledDeviceRoot(char* out, size_t capacity) {
    if (out == nullptr || capacity == 0) return false;
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0) {
        exe[length] = '\0';
        char* slash = std::strrchr(exe, '/');
        if (slash != nullptr) {
            *slash = '\0';
            int written = std::snprintf(out, capacity, "%s/device", exe);
            if (written > 0 && static_cast<size_t>(written) < capacity && IsDirectory(out)) return true;
        }
    }
#ifdef KN_DATA_DIR
    int written = std::snprintf(out, capacity, "%s", KN_DATA_DIR "/device");
    if (written > 0 && static_cast<size_t>(written) < capacity && IsDirectory(out)) return true;
#endif
    out[0] = '\0';
    return false;
}

// ---------------------------------------------------------------------------
// Host names as the device shows them
// ---------------------------------------------------------------------------
// The host names its files in UTF-8; the device's font draws Latin-1. A name
// that is UTF-8 throughout is decoded, and each character the font has a
// glyph for (space, printable ASCII, no-break space to y with dieresis)
// becomes that one byte. Any other character, however many bytes it takes,
// becomes one kReplacementCode: code 127, the bar that the font draws for
// every code without a design of its own. It has a glyph, it is one byte, and
// no printable character is it, so it cannot pass for a real character of the
// name as '?' (a legal character in a host name) could. A name that is not
// UTF-8 is taken as a single-byte name in Latin-1, the encoding of older
// systems and of the font, with its control codes shown as kReplacementCode.
// A shown name is never longer than the host's name.

constexpr uint8_t kReplacementCode = 127;

// Codes the font draws as a character of a name.
static bool HasGlyph(uint32_t code) { return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF); }

// One UTF-8 sequence at p: its length in bytes and its code point, or 0 when p
// does not start a valid sequence (a stray continuation byte, an overlong
// form, a surrogate, a code past U+10FFFF, or a sequence cut short).
static int DecodeUtf8(const uint8_t* p, uint32_t* code_point) {
    static const struct {
        uint8_t lead_mask, lead_bits, value_mask;
        uint32_t smallest;
    } kForms[] = {{0xE0, 0xC0, 0x1F, 0x80}, {0xF0, 0xE0, 0x0F, 0x800}, {0xF8, 0xF0, 0x07, 0x10000}};
    if (p[0] < 0x80) {
        *code_point = p[0];
        return 1;
    }
    for (int form = 0; form < 3; ++form) {
        if ((p[0] & kForms[form].lead_mask) != kForms[form].lead_bits) continue;
        uint32_t value = p[0] & kForms[form].value_mask;
        const int length = form + 2;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) return 0;  // the terminator stops here too
            value = value << 6 | (p[i] & 0x3Fu);
        }
        if (value < kForms[form].smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
        *code_point = value;
        return length;
    }
    return 0;
}

static bool IsUtf8(const uint8_t* p) {
    uint32_t code_point;
    for (int length; *p != 0; p += length)
        if ((length = DecodeUtf8(p, &code_point)) == 0) return false;
    return true;
}

// Writes the shown form of a host name to out, which has room for the host
// name and its terminator.
static void ShowHostName(const char* host_name, char* out) {
    const auto* p = reinterpret_cast<const uint8_t*>(host_name);
    const bool utf8 = IsUtf8(p);
    size_t n = 0;
    while (*p != 0) {
        uint32_t code = *p;
        p += utf8 ? DecodeUtf8(p, &code) : 1;
        out[n++] = static_cast<char>(HasGlyph(code) ? code : kReplacementCode);
    }
    out[n] = '\0';
}

// A device name that is printable ASCII throughout names the host entry of
// the same bytes, since every other host name shows some other byte.
static bool IsPlainAscii(const char* name, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (static_cast<uint8_t>(name[i]) < 0x20 || static_cast<uint8_t>(name[i]) >= 0x7F) return false;
    return true;
}

// Sort keys of the listing order. First letters without case or accent (an
// accented letter sorts with its base letter; '.' keeps the code, for the
// multiplication and division signs), then letters without case, then the
// shown bytes.
static const char kBaseLetters[] = "aaaaaaaceeeeiiiidnooooo.ouuuuytsaaaaaaaceeeeiiiidnooooo.ouuuuyty";
static_assert(sizeof kBaseLetters == 0x40 + 1, "one letter for each code from 0xC0 to 0xFF");

static uint8_t BaseLetter(uint8_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c + 32);
    if (c >= 0xC0 && kBaseLetters[c - 0xC0] != '.') return static_cast<uint8_t>(kBaseLetters[c - 0xC0]);
    return c;
}

static uint8_t LowerCase(uint8_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<uint8_t>(c + 32);
    return c;
}

static uint8_t SameByte(uint8_t c) { return c; }

// Compares two names by one key; only the terminator has key 0.
static int CompareBy(const char* a, const char* b, uint8_t (*key)(uint8_t)) {
    const auto* p = reinterpret_cast<const uint8_t*>(a);
    const auto* q = reinterpret_cast<const uint8_t*>(b);
    while (*p != 0 && key(*p) == key(*q)) {
        ++p;
        ++q;
    }
    return static_cast<int>(key(*p)) - static_cast<int>(key(*q));
}

// The listing order of two entries: their shown names by the three keys,
// then their host names, so that names that show alike still have one order.
static bool ListsBefore(const char* shown_a, const char* host_a, const char* shown_b, const char* host_b) {
    for (uint8_t (*key)(uint8_t) : {BaseLetter, LowerCase, SameByte}) {
        const int order = CompareBy(shown_a, shown_b, key);
        if (order != 0) return order < 0;
    }
    return CompareBy(host_a, host_b, SameByte) < 0;
}

// Finds the entry of a host folder whose shown name is the given one and
// copies its host name to host_name (NAME_MAX + 1 bytes). Where several
// entries show alike, the one listed first is taken, so that a tap on the
// first of them reaches the entry it shows. False when none shows so.
static bool FindShownEntry(const char* host_folder, const char* shown, size_t shown_length, char* host_name) {
    DIR* directory = opendir(host_folder);
    if (directory == nullptr) return false;
    bool found = false;
    char entry_shown[NAME_MAX + 1];
    while (dirent* entry = readdir(directory)) {
        const size_t length = std::strlen(entry->d_name);
        if (length > NAME_MAX || std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        ShowHostName(entry->d_name, entry_shown);
        const bool same = std::strlen(entry_shown) == shown_length && std::memcmp(entry_shown, shown, shown_length) == 0;
        if (!same) continue;
        if (found && std::strcmp(entry->d_name, host_name) >= 0) continue;
        std::memcpy(host_name, entry->d_name, length + 1);
        found = true;
    }
    closedir(directory);
    return found;
}

// ---------------------------------------------------------------------------
// Device paths
// ---------------------------------------------------------------------------
static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Appends length bytes to the path being built, keeping room for its terminator.
static bool Append(char* out, size_t* n, size_t capacity, const char* bytes, size_t length) {
    if (*n + length >= capacity) return false;
    std::memcpy(out + *n, bytes, length);
    *n += length;
    return true;
}

// The device path is taken relative to the root whether or not it begins with
// a backslash. A ".." level is refused so that no path leaves the root. Each
// level is a name as the device shows it: one that is not printable ASCII is
// the host entry that shows so (see ShowHostName), or its own bytes when no
// entry does (a file yet to be made, a name spelt in the host's bytes).
bool DeviceToHostPath(const char* device_path, char* out, size_t capacity) {
    if (device_path == nullptr || out == nullptr || capacity == 0) return false;
    out[0] = '\0';
    for (const char* level = device_path; *level != '\0';) {
        while (IsSeparator(*level)) ++level;
        const char* end = level;
        while (*end != '\0' && !IsSeparator(*end)) ++end;
        if (end - level == 2 && level[0] == '.' && level[1] == '.') return false;
        level = end;
    }

    const size_t root_length = std::strlen(device_root);
    const bool root_is_slash = root_length == 1 && device_root[0] == '/';
    size_t n = 0;
    bool fits = Append(out, &n, capacity, device_root, root_is_slash ? 0 : root_length);
    if (fits && !IsSeparator(device_path[0])) fits = Append(out, &n, capacity, "/", 1);
    for (const char* p = device_path; fits && *p != '\0';) {
        if (IsSeparator(*p)) {
            fits = Append(out, &n, capacity, "/", 1);
            ++p;
            continue;
        }
        const char* end = p;
        while (*end != '\0' && !IsSeparator(*end)) ++end;
        const char* name = p;
        size_t length = static_cast<size_t>(end - p);
        char host_name[NAME_MAX + 1];
        out[n] = '\0';  // the folder that holds this level
        if (!IsPlainAscii(p, length) && FindShownEntry(out, p, length, host_name)) {
            name = host_name;
            length = std::strlen(host_name);
        }
        fits = Append(out, &n, capacity, name, length);
        p = end;
    }
    out[fits ? n : 0] = '\0';
    return fits;
}

FILE* OpenDeviceFile(const char* device_path, const char* mode) {
    char host[PATH_MAX];
    if (!DeviceToHostPath(device_path, host, sizeof host)) return nullptr;
    if (IsDirectory(host)) return nullptr;  // fopen would succeed on Linux, reads would not
    return std::fopen(host, mode);
}

// ---------------------------------------------------------------------------
// PNG decoding
// ---------------------------------------------------------------------------
#ifndef __EMSCRIPTEN__

// Reads from a memory block; running off its end is a libpng error, which
// ends the decode through its longjmp.
struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

static void ReadFromMemory(png_structp png, png_bytep destination, png_size_t count) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "truncated image data");
    std::memcpy(destination, source->data + source->position, count);
    source->position += count;
}

// Everything a decode allocates, owned by the caller of RunDecode so that the
// error path can free it: the values are not locals of the function that
// calls setjmp.
struct DecodeState {
    png_structp png;
    png_infop info;
    uint8_t* rgb;
    png_bytep* rows;
    int32_t width;
    int32_t height;
};

static void SilentWarning(png_structp, png_const_charp) {}
static void ErrorJump(png_structp png, png_const_charp) { png_longjmp(png, 1); }

static bool RunDecode(DecodeState* state) {
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) return false;

    // Oversized headers stop in png_read_info, before any pixel memory exists.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width < 1 || height < 1 || width > static_cast<png_uint_32>(kMaxImageSide) ||
        height > static_cast<png_uint_32>(kMaxImageSide))
        return false;

    // Every colour type and depth ends as 8-bit RGB: palettes, low-depth grey
    // and tRNS expand, 16-bit channels drop their low byte, alpha goes.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 3) return false;

    size_t row_bytes = static_cast<size_t>(width) * 3;
    state->rgb = static_cast<uint8_t*>(std::malloc(row_bytes * height));
    state->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (state->rgb == nullptr || state->rows == nullptr) return false;
    for (png_uint_32 y = 0; y < height; ++y) state->rows[y] = state->rgb + row_bytes * y;
    png_read_image(png, state->rows);
    // Reading to the end chunk rejects a file cut short after its pixel data.
    png_read_end(png, nullptr);
    state->width = static_cast<int32_t>(width);
    state->height = static_cast<int32_t>(height);
    return true;
}

// Decodes from a prepared source: either a FILE or a memory block.
static bool Decode(FILE* file, MemorySource* memory, DecodedImage* out) {
    DecodeState state = {};
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorJump, SilentWarning);
    if (state.png == nullptr) return false;
    state.info = png_create_info_struct(state.png);
    bool ok = false;
    if (state.info != nullptr) {
        if (file != nullptr)
            png_init_io(state.png, file);
        else
            png_set_read_fn(state.png, memory, ReadFromMemory);
        ok = RunDecode(&state);
    }
    png_destroy_read_struct(&state.png, state.info != nullptr ? &state.info : nullptr, nullptr);
    std::free(state.rows);
    if (!ok) {
        std::free(state.rgb);
        return false;
    }
    out->width = state.width;
    out->height = state.height;
    out->rgb = state.rgb;
    return true;
}

static bool HasPngSignature(const uint8_t* bytes, size_t size) {
    return size >= 8 && png_sig_cmp(bytes, 0, 8) == 0;
}

bool DecodeImageMemory(const uint8_t* data, size_t size, DecodedImage* out) {
    if (out == nullptr) return false;
    *out = {};
    if (data == nullptr || !HasPngSignature(data, size)) return false;
    MemorySource source = {data, size, 0};
    return Decode(nullptr, &source, out);
}

bool DecodeImageFile(const char* device_path, DecodedImage* out) {
    if (out == nullptr) return false;
    *out = {};
    FILE* file = OpenDeviceFile(device_path, "rb");
    if (file == nullptr) return false;
    uint8_t signature[8];
    bool ok = std::fread(signature, 1, 8, file) == 8 && HasPngSignature(signature, 8);
    if (ok) {
        std::rewind(file);
        ok = Decode(file, nullptr, out);
    }
    std::fclose(file);
    return ok;
}

// The encoded bytes collect in memory and reach the disk in one piece.
struct MemorySink {
    uint8_t* data;
    size_t size;
    size_t capacity;
};

static void WriteToMemory(png_structp png, png_bytep bytes, png_size_t count) {
    auto* sink = static_cast<MemorySink*>(png_get_io_ptr(png));
    if (count > sink->capacity - sink->size) {
        size_t capacity = sink->capacity > 0 ? sink->capacity : 65536;
        while (count > capacity - sink->size) capacity *= 2;
        auto* grown = static_cast<uint8_t*>(std::realloc(sink->data, capacity));
        if (grown == nullptr) png_error(png, "out of memory");
        sink->data = grown;
        sink->capacity = capacity;
    }
    std::memcpy(sink->data + sink->size, bytes, count);
    sink->size += count;
}

static void FlushNothing(png_structp) {}

// Everything after setjmp that the error path needs lives outside the
// function's locals, as in decoding.
static bool RunEncode(png_structp png, png_infop info, int32_t width, int32_t height, const uint8_t* rgb,
                      MemorySink* sink) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, WriteToMemory, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
    png_write_end(png, nullptr);
    return true;
}

bool EncodePngFile(const char* host_path, int32_t width, int32_t height, const uint8_t* rgb) {
    if (rgb == nullptr || width < 1 || height < 1) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorJump, SilentWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    MemorySink sink = {};
    bool ok = png != nullptr && info != nullptr && RunEncode(png, info, width, height, rgb, &sink);
    png_destroy_write_struct(&png, &info);
    if (!ok) errno = ENOMEM;
    ok = ok && WriteFileAtomically(host_path, sink.data, sink.size);
    std::free(sink.data);
    return ok;
}

#endif  // __EMSCRIPTEN__

void FreeDecodedImage(DecodedImage* image) {
    if (image == nullptr) return;
    std::free(image->rgb);
    *image = {};
}

// ---------------------------------------------------------------------------
// Directory listing
// ---------------------------------------------------------------------------

// Every listable entry of the folder, read and sorted by FindFirstFile and
// handed out one by one. The names sit in one block, entries refer to them by
// offset, so that both blocks can grow; both are freed by FindClose.
struct FoundEntry {
    uint32_t attributes;
    uint32_t shown_at;  // offsets into names
    uint32_t host_at;
};

struct FindHandle {
    FoundEntry* entries;
    size_t count, capacity, next;
    char* names;
    size_t names_used, names_capacity;
};

// Device attributes of one entry. A regular file that nobody may write counts
// as read-only even where access() would allow it (as for the superuser).
static uint32_t AttributesOf(const char* host_path, const char* name) {
    uint32_t hidden = name[0] == '.' ? uint32_t{kAttributeHidden} : 0u;
    struct stat info;
    if (stat(host_path, &info) != 0) return kAttributeSystem | hidden;  // broken link
    if (S_ISDIR(info.st_mode)) return kAttributeDirectory | hidden;
    if (!S_ISREG(info.st_mode)) return kAttributeSystem | hidden;
    bool writable = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(host_path, W_OK) == 0;
    return kAttributeArchive | (writable ? 0u : uint32_t{kAttributeReadOnly}) | hidden;
}

// Grows a block to hold at least `needed` items of `size` bytes, doubling.
static bool Reserve(void** block, size_t* capacity, size_t needed, size_t size) {
    if (needed <= *capacity) return true;
    size_t grown = *capacity < 16 ? 16 : *capacity * 2;
    while (grown < needed) grown *= 2;
    void* moved = std::realloc(*block, grown * size);
    if (moved == nullptr) return false;
    *block = moved;
    *capacity = grown;
    return true;
}

static bool AddEntry(FindHandle* handle, const char* host_name, uint32_t attributes) {
    const size_t host_length = std::strlen(host_name);
    const size_t at = handle->names_used;
    if (at + 2 * (host_length + 1) > UINT32_MAX) return false;
    void* names = handle->names;
    void* entries = handle->entries;
    const bool room = Reserve(&names, &handle->names_capacity, at + 2 * (host_length + 1), 1) &&
                      Reserve(&entries, &handle->capacity, handle->count + 1, sizeof(FoundEntry));
    handle->names = static_cast<char*>(names);
    handle->entries = static_cast<FoundEntry*>(entries);
    if (!room) return false;
    char* host = handle->names + at;
    char* shown = host + host_length + 1;
    std::memcpy(host, host_name, host_length + 1);
    ShowHostName(host_name, shown);
    handle->names_used = at + host_length + 1 + std::strlen(shown) + 1;
    handle->entries[handle->count++] = {attributes, static_cast<uint32_t>(shown - handle->names),
                                        static_cast<uint32_t>(at)};
    return true;
}

// Reads every listable entry of the folder; false when it cannot be read whole.
static bool ReadFolder(FindHandle* handle, const char* host_folder) {
    DIR* directory = opendir(host_folder);
    if (directory == nullptr) return false;
    bool ok = true;
    while (dirent* entry = readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (std::strlen(name) >= sizeof FindData::name) continue;
        char host_path[PATH_MAX];
        int written = std::snprintf(host_path, sizeof host_path, "%s/%s", host_folder, name);
        if (written < 0 || static_cast<size_t>(written) >= sizeof host_path) continue;
        ok = AddEntry(handle, name, AttributesOf(host_path, name));
        if (!ok) break;
    }
    closedir(directory);
    return ok;
}

// Fills out with the next entry; false past the last.
static bool NextEntry(FindHandle* handle, FindData* out) {
    if (handle->next >= handle->count) return false;
    const FoundEntry& entry = handle->entries[handle->next++];
    out->attributes = entry.attributes;
    std::strcpy(out->name, handle->names + entry.shown_at);  // shorter than the host name, which fits
    return true;
}

// The pattern's final "*.*" (or "*") is dropped; what remains names the folder.
// A folder without any listable entry gives a null handle, as a search that
// matches nothing does. The entries come in a fixed order, whatever order the
// host keeps them in: by shown name without case or accents (ListsBefore).
FindHandle* FindFirstFile(const char* device_pattern, FindData* out) {
    if (device_pattern == nullptr || out == nullptr) return nullptr;
    char folder[PATH_MAX];
    size_t length = std::strlen(device_pattern);
    if (length >= sizeof folder) return nullptr;
    std::memcpy(folder, device_pattern, length + 1);
    if (length >= 3 && std::strcmp(folder + length - 3, "*.*") == 0)
        folder[length - 3] = '\0';
    else if (length >= 1 && folder[length - 1] == '*')
        folder[length - 1] = '\0';

    char host_folder[PATH_MAX];
    if (!DeviceToHostPath(folder, host_folder, sizeof host_folder)) return nullptr;
    auto* handle = static_cast<FindHandle*>(std::calloc(1, sizeof(FindHandle)));
    if (handle == nullptr) return nullptr;
    if (!ReadFolder(handle, host_folder) || handle->count == 0) {
        FindClose(handle);
        return nullptr;
    }
    const char* names = handle->names;
    auto before = [names](const FoundEntry& a, const FoundEntry& b) {
        return ListsBefore(names + a.shown_at, names + a.host_at, names + b.shown_at, names + b.host_at);
    };
    std::sort(handle->entries, handle->entries + handle->count, before);
    NextEntry(handle, out);
    return handle;
}

int FindNextFile(FindHandle* handle, FindData* out) {
    if (handle == nullptr || out == nullptr) return 0;
    return NextEntry(handle, out) ? 1 : 0;
}

void FindClose(FindHandle* handle) {
    if (handle == nullptr) return;
    std::free(handle->entries);
    std::free(handle->names);
    std::free(handle);
}
