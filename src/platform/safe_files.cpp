#include "platform/safe_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef __EMSCRIPTEN__
#include <zlib.h>
#endif

// ---------------------------------------------------------------------------
// Writing whole
// ---------------------------------------------------------------------------
static bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The folder part of a path ("." for a bare name), for syncing the rename.
static void FolderOf(const char* host_path, char* out, size_t capacity) {
    const char* slash = std::strrchr(host_path, '/');
    if (slash == nullptr) {
        std::snprintf(out, capacity, ".");
    } else if (slash == host_path) {
        std::snprintf(out, capacity, "/");
    } else {
        std::snprintf(out, capacity, "%.*s", static_cast<int>(slash - host_path), host_path);
    }
}

// Writes the data under a temporary name beside host_path ("NAME.tmp-PID"),
// flushed and synced; false (and no temporary file) when any step fails.
static bool WriteTemporary(const char* host_path, const uint8_t* data, size_t size, char* temporary,
                           size_t capacity) {
    const int n = std::snprintf(temporary, capacity, "%s.tmp-%ld", host_path, static_cast<long>(getpid()));
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data, size) && fsync(fd) == 0;
    int saved_errno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved_errno = errno;
    }
    if (!ok) {
        unlink(temporary);
        errno = saved_errno;
    }
    return ok;
}

// The rename itself reaches the disk once the folder is synced.
static void SyncFolderOf(const char* host_path) {
    char folder[PATH_MAX];
    FolderOf(host_path, folder, sizeof folder);
    const int folder_fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
        fsync(folder_fd);
        close(folder_fd);
    }
}

bool WriteFileAtomically(const char* host_path, const uint8_t* data, size_t size) {
    char temporary[PATH_MAX];
    if (!WriteTemporary(host_path, data, size, temporary, sizeof temporary)) return false;
    if (rename(temporary, host_path) != 0) {
        const int saved_errno = errno;
        unlink(temporary);
        errno = saved_errno;
        return false;
    }
    SyncFolderOf(host_path);
    return true;
}

// The candidate names are "STEM.EXT", "STEM-2.EXT", "STEM-3.EXT", ...; link()
// fails when the name exists, so no file is ever replaced, even one that
// another process creates meanwhile (on file systems with hard links).
bool WriteNewFileAtomically(const char* host_path, const uint8_t* data, size_t size, char* written,
                            size_t capacity) {
    char temporary[PATH_MAX];
    if (!WriteTemporary(host_path, data, size, temporary, sizeof temporary)) return false;
    const char* slash = std::strrchr(host_path, '/');
    const char* dot = std::strrchr(slash != nullptr ? slash : host_path, '.');
    const int stem = static_cast<int>(dot != nullptr ? dot - host_path : std::strlen(host_path));
    const char* extension = dot != nullptr ? dot : "";
    bool ok = false;
    int saved_errno = EEXIST;
    for (int k = 1; k < 10000 && !ok; ++k) {
        const int n = k == 1 ? std::snprintf(written, capacity, "%s", host_path)
                             : std::snprintf(written, capacity, "%.*s-%d%s", stem, host_path, k, extension);
        if (n < 0 || static_cast<size_t>(n) >= capacity) {
            saved_errno = ENAMETOOLONG;
            break;
        }
        ok = link(temporary, written) == 0;
        if (ok || errno == EEXIST) continue;
        // A file system without hard links: a rename after a check instead.
        struct stat info;
        if (stat(written, &info) == 0) continue;
        ok = rename(temporary, written) == 0;
        saved_errno = errno;
        break;
    }
    unlink(temporary);
    if (!ok) {
        errno = saved_errno;
        return false;
    }
    SyncFolderOf(host_path);
    return true;
}

// ---------------------------------------------------------------------------
// Reading whole
// ---------------------------------------------------------------------------
ReadResult ReadWholeFile(const char* host_path, uint8_t* buffer, size_t capacity, size_t* size) {
    *size = 0;
    const int fd = open(host_path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return ReadResult::kUnreadable;
    }
    ReadResult result = ReadResult::kRead;
    for (;;) {
        if (*size == capacity) {
            // One byte more than fits tells a file that is too large.
            uint8_t extra;
            const ssize_t n = read(fd, &extra, 1);
            if (n > 0) result = ReadResult::kTooLarge;
            if (n < 0) result = ReadResult::kUnreadable;
            break;
        }
        const ssize_t n = read(fd, buffer + *size, capacity - *size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result = ReadResult::kUnreadable;
            break;
        }
        if (n == 0) break;
        *size += static_cast<size_t>(n);
    }
    close(fd);
    return result;
}

// ---------------------------------------------------------------------------
// Keeping damaged files
// ---------------------------------------------------------------------------
// link() fails when the new name exists, so no earlier file is ever replaced;
// a file system without hard links gets a rename after a check instead.
bool MoveAside(const char* host_path, const char* suffix, char* out, size_t capacity) {
    for (int k = 1; k < 10000; ++k) {
        const int n = std::snprintf(out, capacity, "%s.%s-%d", host_path, suffix, k);
        if (n < 0 || static_cast<size_t>(n) >= capacity) return false;
        if (link(host_path, out) == 0) return unlink(host_path) == 0;
        if (errno == EEXIST) continue;
        struct stat info;
        if (stat(out, &info) == 0) continue;
        return rename(host_path, out) == 0;
    }
    return false;
}

void RemoveStaleTemporaries(const char* host_path) {
    char folder[PATH_MAX];
    FolderOf(host_path, folder, sizeof folder);
    const char* slash = std::strrchr(host_path, '/');
    const char* name = slash != nullptr ? slash + 1 : host_path;
    char prefix[PATH_MAX];
    const int n = std::snprintf(prefix, sizeof prefix, "%s.tmp-", name);
    if (n < 0 || static_cast<size_t>(n) >= sizeof prefix) return;
    DIR* dir = opendir(folder);
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix, static_cast<size_t>(n)) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name + n, &end, 10);
        if (end == entry->d_name + n || *end != '\0' || pid <= 0) continue;
        if (pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        char path[PATH_MAX * 2];
        std::snprintf(path, sizeof path, "%s/%s", folder, entry->d_name);
        unlink(path);
    }
    closedir(dir);
}

// ---------------------------------------------------------------------------
// Folders
// ---------------------------------------------------------------------------
bool MakeParentFolders(const char* host_path) {
    char path[PATH_MAX];
    FolderOf(host_path, path, sizeof path);
    for (char* p = path + 1;; ++p) {
        const bool end = *p == '\0';
        if (*p == '/' || end) {
            *p = '\0';
            if (mkdir(path, 0755) != 0 && errno != EEXIST) return false;
            if (end) break;
            *p = '/';
        }
    }
    struct stat info;
    if (stat(path, &info) != 0) return false;
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;  // a file stands where the folder would be
    return false;
}

static bool FolderFromEnvironment(const char* variable, const char* fallback, char* out,
                                  size_t capacity) {
    const char* value = std::getenv(variable);
    int n;
    if (value != nullptr && value[0] == '/') {
        n = std::snprintf(out, capacity, "%s", value);
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') return false;
        n = std::snprintf(out, capacity, "%s/%s", home, fallback);
    }
    return n > 0 && static_cast<size_t>(n) < capacity;
}

bool UserDataFolder(char* out, size_t capacity) {
    return FolderFromEnvironment("XDG_DATA_HOME", ".local/share", out, capacity);
}

bool UserPicturesFolder(char* out, size_t capacity) {
    return FolderFromEnvironment("XDG_PICTURES_DIR", "Pictures", out, capacity);
}

// ---------------------------------------------------------------------------
// CRC-32
// ---------------------------------------------------------------------------
#ifndef __EMSCRIPTEN__
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
    while (size > 0) {
        const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = static_cast<uint32_t>(crc32(crc, data, chunk));
        data += chunk;
        size -= chunk;
    }
    return crc;
}
#else
// The web build has no zlib: the same reflected polynomial, bit by bit.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
#endif
