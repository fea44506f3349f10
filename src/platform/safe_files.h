// Files a person's work lives in: written whole or not at all, read whole,
// and a damaged one moved aside, never overwritten or deleted. Host paths.
#pragma once
#include <cstddef>
#include <cstdint>

// Writes data as the file at host_path in one piece: a temporary file beside
// it ("NAME.tmp-PID"), written, flushed and synced, then renamed over the
// target and the folder synced. At no moment does the folder hold a partly
// written file under the real name. False when any step fails (errno tells
// why); the target is then as it was and the temporary file is gone.
bool WriteFileAtomically(const char* host_path, const uint8_t* data, size_t size);
// The same under a name no file has yet: host_path itself, else "STEM-2.EXT",
// "STEM-3.EXT", ... (EXT what follows the name's last dot). The name taken
// goes to written. Never replaces a file, not even one created meanwhile.
bool WriteNewFileAtomically(const char* host_path, const uint8_t* data, size_t size, char* written,
                            size_t capacity);

enum class ReadResult { kRead, kMissing, kTooLarge, kUnreadable };

// Reads a whole file of at most capacity bytes into buffer.
ReadResult ReadWholeFile(const char* host_path, uint8_t* buffer, size_t capacity, size_t* size);

// Renames the file to the first free name "PATH.SUFFIX-N" (N = 1, 2, ...),
// never replacing an existing file; the new name goes to out. False when the
// file cannot be moved.
bool MoveAside(const char* host_path, const char* suffix, char* out, size_t capacity);

// Removes the temporary files "NAME.tmp-PID" that WriteFileAtomically left
// behind in processes that were killed while saving (their PID no longer runs).
void RemoveStaleTemporaries(const char* host_path);

// Creates the folder that will hold host_path, and its parents.
bool MakeParentFolders(const char* host_path);

// The user's data folder: $XDG_DATA_HOME, else $HOME/.local/share.
bool UserDataFolder(char* out, size_t capacity);
// The user's pictures folder: $XDG_PICTURES_DIR, else $HOME/Pictures.
bool UserPicturesFolder(char* out, size_t capacity);

// CRC-32 (the polynomial of zlib, PNG and gzip) of size bytes, continuing
// from crc (0 to start).
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);
