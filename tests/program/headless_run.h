// Runs the kalvenorix executable as a user does, with no display, and reads
// back what it printed and the pictures it wrote.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "platform/test_files.h"

inline const std::string kBundledRoot = KN_ASSET_DIR "/device";

struct ProgramRun {
    int status;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs the executable with the given arguments (already quoted for the
// shell); its output passes through two files in folder.
inline ProgramRun RunProgram(const std::string& arguments, const std::string& folder) {
    const std::string out = folder + "/stdout.txt", err = folder + "/stderr.txt";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 300 '" +
                                std::string(KN_EXECUTABLE) + "' " + arguments + " >'" + out + "' 2>'" +
                                err + "' </dev/null";
    const int raw = std::system(command.c_str());
    ProgramRun run = {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

// A headless session of a script of tests/scripts under root, its shots going to out.
inline ProgramRun RunScript(const char* name, const std::string& root, const std::string& out) {
    const std::string script = std::string(KN_TEST_DIR) + "/scripts/" + name;
    return RunProgram("--script '" + script + "' --root '" + root + "' --out '" + out + "'", out);
}

// The text written to folder/session.script and run with the further options.
inline ProgramRun RunScriptText(const std::string& folder, const std::string& text, const std::string& options) {
    WriteFile(folder + "/session.script", text);
    return RunProgram("--script '" + folder + "/session.script' " + options, folder);
}

constexpr uint16_t Word(int r, int g, int b) {
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// A picture as colour words.
struct Picture {
    bool loaded = false;
    int width = 0, height = 0;
    std::vector<uint16_t> words;
    uint16_t At(int x, int y) const { return words[static_cast<size_t>(x + y * width)]; }
    int CountInBox(int x1, int y1, int x2, int y2, uint16_t word) const {
        int n = 0;
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x) n += At(x, y) == word;
        return n;
    }
};

// Shots keep every bit of a colour word (the PNG holds r << 3, g << 2,
// b << 3). The skin loses the lowest green bit on loading (green takes five
// bits there), so skin words are packed the way the program packs them.
inline Picture LoadPicture(const std::string& path, bool as_skin = false) {
    Picture picture;
    const std::string bytes = ReadFile(path);
    DecodedImage image;
    if (!DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image))
        return picture;
    picture.loaded = true;
    picture.width = image.width;
    picture.height = image.height;
    for (int i = 0; i < image.width * image.height; ++i) {
        const uint8_t* p = image.rgb + i * 3;
        picture.words.push_back(as_skin ? static_cast<uint16_t>(Word(p[0], 0, p[2]) | (p[1] >> 3) << 6)
                                        : Word(p[0], p[1], p[2]));
    }
    FreeDecodedImage(&image);
    return picture;
}

// A 240 x 320 screenshot. One that is missing or of another size fails the
// test and reads as a black screen, so that the checks after it still run.
inline Picture LoadShot(const std::string& folder, const char* name) {
    Picture shot = LoadPicture(folder + "/" + name);
    if (shot.width == 240 && shot.height == 320) return shot;
    ADD_FAILURE() << "no 240 x 320 screenshot " << name;
    shot = Picture();
    shot.width = 240;
    shot.height = 320;
    shot.words.assign(240 * 320, 0);
    return shot;
}
