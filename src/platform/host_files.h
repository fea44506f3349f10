// Host file-system services. The program names files with device paths
// ("\tovu\skin1.png"); a host folder stands for the device's root.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// Sets the host folder that stands for the device's root ("\").
void SetDeviceRoot(const char* host_folder);
const char* DeviceRoot();

// Finds the bundled device folder: next to the executable in the build tree,
// or in the installed data folder. Returns false when neither exists.
bool FindBundledDeviceRoot(char* out, size_t capacity);

// Maps a device path onto the host: backslashes become slashes under the
// root, and a level named as a listing shows it becomes the host's name of
// that entry. False when the result would not fit or would leave the root.
bool DeviceToHostPath(const char* device_path, char* out, size_t capacity);

// fopen of a device path.
FILE* OpenDeviceFile(const char* device_path, const char* mode);

// An image decoded to 8-bit red, green, blue triples, rows top-down.
struct DecodedImage {
    int32_t width;
    int32_t height;
    uint8_t* rgb;  // width * height * 3 bytes, from malloc; free with FreeDecodedImage
};

// Largest picture accepted, in either direction; larger headers are refused
// before any pixel memory is allocated.
constexpr int32_t kMaxImageSide = 4096;

// Decodes a PNG of any colour type, bit depth and interlacing (alpha ignored).
// False for a missing, unreadable, truncated, corrupt, oversized or non-PNG file.
bool DecodeImageFile(const char* device_path, DecodedImage* out);
bool DecodeImageMemory(const uint8_t* data, size_t size, DecodedImage* out);
void FreeDecodedImage(DecodedImage* image);

// Writes 8-bit red, green, blue rows (top-down) as a PNG file at a host path,
// whole or not at all (WriteFileAtomically); errno tells why it failed.
bool EncodePngFile(const char* host_path, int32_t width, int32_t height, const uint8_t* rgb);

// Directory enumeration with attributes, over device paths.
enum : uint32_t {
    kAttributeReadOnly = 1,
    kAttributeHidden = 2,
    kAttributeSystem = 4,
    kAttributeDirectory = 16,
    kAttributeArchive = 32,
};

struct FindData {
    uint32_t attributes;
    char name[260];  // as the device shows it: Latin-1, zero-terminated (host_files.cpp)
};

struct FindHandle;

// pattern is a device directory path followed by "*.*". Null when the
// directory cannot be listed. Entries come in name order without case or
// accents; the handle holds the whole listing until FindClose.
FindHandle* FindFirstFile(const char* device_pattern, FindData* out);
int FindNextFile(FindHandle* handle, FindData* out);
void FindClose(FindHandle* handle);
