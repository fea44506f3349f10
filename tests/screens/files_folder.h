// A temporary host folder that stands for the device's root, for the file
// browser's tests: files and sub-directories are made in it, and it is
// removed afterwards.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "screens/file_browser.h"
#include "shell/main_loop.h"

class DeviceRootFolder {
  public:
    DeviceRootFolder() {
        char pattern[] = "/tmp/kn_files_XXXXXX";
        if (mkdtemp(pattern) != nullptr) root_ = pattern;
        SetDeviceRoot(root_.c_str());
    }
    ~DeviceRootFolder() {
        const std::string command = "chmod -R u+w '" + root_ + "' && rm -rf '" + root_ + "'";
        if (!root_.empty() && std::system(command.c_str()) != 0) return;
    }
    const std::string& Root() const { return root_; }

    // Paths are relative to the root, with slashes.
    void File(const std::string& path, mode_t mode = 0644) const {
        const std::string host = root_ + "/" + path;
        const int fd = open(host.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd >= 0) close(fd);
        chmod(host.c_str(), mode);
    }
    void Folder(const std::string& path) const { mkdir((root_ + "/" + path).c_str(), 0755); }

  private:
    std::string root_;
};

// The items of a list, sorted: the host lists entries in no fixed order.
inline std::vector<std::string> SortedItems(const char* list) {
    std::vector<std::string> items;
    char name[kNameBytes];
    for (int i = 0; i < CountItems(list, '|'); ++i) {
        CopyItem(list, i, name, '|');
        items.push_back(name);
    }
    std::sort(items.begin(), items.end());
    return items;
}

// Index of a name in a list, -1 when absent.
inline int IndexOfItem(const char* list, const std::string& wanted) {
    char name[kNameBytes];
    for (int i = 0; i < CountItems(list, '|'); ++i) {
        CopyItem(list, i, name, '|');
        if (wanted == name) return i;
    }
    return -1;
}

inline void SetDirectory(const char* path) {
    std::strncpy(directory, path, kDirectoryBytes - 1);
    directory[kDirectoryBytes - 1] = '\0';
}
