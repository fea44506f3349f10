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

// The device path is taken relative to the root whether or not it begins with
// a backslash. A ".." level is refused so that no path leaves the root.
bool DeviceToHostPath(const char* device_path, char* out, size_t capacity) {
    if (device_path == nullptr || out == nullptr || capacity == 0) return false;
    size_t root_length = std::strlen(device_root);
    bool root_is_slash = root_length == 1 && device_root[0] == '/';
    size_t n = root_is_slash ? 0 : root_length;
    if (n + 1 >= capacity) return false;
    std::memcpy(out, device_root, n);
    const char* p = device_path;
    if (*p != '\\' && *p != '/') out[n++] = '/';
    for (; *p != '\0'; ++p) {
        if (n + 1 >= capacity) {
            out[0] = '\0';
            return false;
        }
        out[n++] = *p == '\\' ? '/' : *p;
    }
    out[n] = '\0';

    // Look for a ".." level in the mapped part.
    for (const char* level = out + (root_is_slash ? 0 : root_length); *level != '\0';) {
        while (*level == '/') ++level;
        const char* end = level;
        while (*end != '\0' && *end != '/') ++end;
        if (end - level == 2 && level[0] == '.' && level[1] == '.') {
            out[0] = '\0';
            return false;
        }
        level = end;
    }
    return true;
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

struct FindHandle {
    DIR* directory;
    char host_folder[PATH_MAX];
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

// Fills out with the next listable entry; false at the end of the folder.
static bool NextEntry(FindHandle* handle, FindData* out) {
    while (dirent* entry = readdir(handle->directory)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        size_t length = std::strlen(name);
        if (length >= sizeof out->name) continue;
        char host_path[PATH_MAX];
        int written = std::snprintf(host_path, sizeof host_path, "%s/%s", handle->host_folder, name);
        if (written < 0 || static_cast<size_t>(written) >= sizeof host_path) continue;
        out->attributes = AttributesOf(host_path, name);
        std::memcpy(out->name, name, length + 1);
        return true;
    }
    return false;
}

// The pattern's final "*.*" (or "*") is dropped; what remains names the folder.
// A folder without any listable entry gives a null handle, as a search that
// matches nothing does.
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

    auto* handle = static_cast<FindHandle*>(std::malloc(sizeof(FindHandle)));
    if (handle == nullptr) return nullptr;
    if (!DeviceToHostPath(folder, handle->host_folder, sizeof handle->host_folder)) {
        std::free(handle);
        return nullptr;
    }
    handle->directory = opendir(handle->host_folder);
    if (handle->directory == nullptr) {
        std::free(handle);
        return nullptr;
    }
    if (!NextEntry(handle, out)) {
        FindClose(handle);
        return nullptr;
    }
    return handle;
}

int FindNextFile(FindHandle* handle, FindData* out) {
    if (handle == nullptr || out == nullptr) return 0;
    return NextEntry(handle, out) ? 1 : 0;
}

void FindClose(FindHandle* handle) {
    if (handle == nullptr) return;
    closedir(handle->directory);
    std::free(handle);
}
