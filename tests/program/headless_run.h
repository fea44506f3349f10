// Runs the kalvenorix executable headless on a session script from
// tests/scripts, with a device root and a shot folder, and reads back the
// screenshots it wrote.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawing/colour.h"
#include "platform/host_files.h"

// A temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        char pattern[] = "/tmp/kn_session_XXXXXX";
        if (mkdtemp(pattern) != nullptr) path_ = pattern;
    }
    ~TemporaryFolder() {
        const std::string command = "chmod -R u+w '" + path_ + "' && rm -rf '" + path_ + "'";
        if (!path_.empty() && std::system(command.c_str()) != 0) return;
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Exit status of a headless run of a script file under tests/scripts.
inline int RunSessionScript(const char* script, const std::string& root, const std::string& out) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 300 '" +
                                std::string(KN_EXECUTABLE) + "' --script '" + KN_TEST_DIR +
                                "/scripts/" + script + "' --root '" + root + "' --out '" + out +
                                "' >/dev/null 2>&1 </dev/null";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// One screenshot as colour words (the PNG holds each word widened).
struct Shot {
    bool loaded = false;
    std::vector<uint16_t> words;
    uint16_t At(int x, int y) const { return words[static_cast<size_t>(x + y * 240)]; }
    int CountInBox(int x1, int y1, int x2, int y2, uint16_t word) const {
        int n = 0;
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x) n += At(x, y) == word;
        return n;
    }
};

inline Shot LoadShot(const std::string& folder, const char* name) {
    Shot shot;
    SetDeviceRoot(folder.c_str());
    DecodedImage image;
    if (!DecodeImageFile((std::string("\\") + name).c_str(), &image)) return shot;
    if (image.width == 240 && image.height == 320) {
        shot.loaded = true;
        shot.words.resize(240 * 320);
        for (int i = 0; i < 240 * 320; ++i)
            shot.words[static_cast<size_t>(i)] =
                PackColourWord(image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2]);
    }
    FreeDecodedImage(&image);
    return shot;
}
