// Bad files at start: whatever the skin picture, the settings file and the
// device folder hold, the program starts, runs a short session headless and
// writes its screenshots (a shot it cannot write would end the run with
// status 1). A skin it cannot use leaves the widgets without images; a
// settings line that names nothing lists nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host_files.h"

namespace {

// Run in the device folder, which starts with the bundled skin, settings
// naming \pictures, and that folder. A case with a size writes a grey skin of it.
const struct Case {
    const char* what;
    const char* shell;
    int32_t skin_width, skin_height;
} kCases[] = {
    {"good files", "", 0, 0},
    {"no skin", "rm tovu/skin1.png", 0, 0},
    {"an empty skin", ": > tovu/skin1.png", 0, 0},
    {"a skin cut to 8 bytes", "head -c 8 ../skin.png > tovu/skin1.png", 0, 0},
    {"a skin cut to 40 bytes", "head -c 40 ../skin.png > tovu/skin1.png", 0, 0},
    {"a skin cut in half", "head -c $(($(stat -c %s ../skin.png) / 2)) ../skin.png > tovu/skin1.png", 0, 0},
    {"a corrupt skin", "printf '%0200d' 7 | dd of=tovu/skin1.png bs=1 seek=3000 conv=notrunc 2>/dev/null", 0, 0},
    {"a skin of 5000 x 2", "", 5000, 2},
    {"a skin of 1 x 1", "", 1, 1},
    {"a skin of 20 x 20", "", 20, 20},
    {"a skin of 100 x 100", "", 100, 100},
    {"a skin that is no PNG", "echo 'GIF89a, or rather not a picture' > tovu/skin1.png", 0, 0},
    {"a skin that is a folder", "rm tovu/skin1.png && mkdir tovu/skin1.png", 0, 0},
    {"empty settings", ": > tovu/kalvenorix.ini", 0, 0},
    {"binary settings", "head -c 2000 ../skin.png > tovu/kalvenorix.ini", 0, 0},
    {"settings without a line end", "printf '\\\\pictures' > tovu/kalvenorix.ini", 0, 0},
    {"a settings line of 5000 characters", "printf '%05000d\\n\\\\pictures\\n' 0 > tovu/kalvenorix.ini", 0, 0},
    {"a path of 600 characters", "printf '\\\\%0600d\\\\\\n' 0 > tovu/kalvenorix.ini", 0, 0},
    {"a folder that does not exist", "printf '\\\\no\\\\such\\\\folder\\r\\n' > tovu/kalvenorix.ini", 0, 0},
    {"a path out of the device", "printf '\\\\..\\\\..\\\\etc\\n' > tovu/kalvenorix.ini", 0, 0},
    {"settings that are a folder", "rm tovu/kalvenorix.ini && mkdir tovu/kalvenorix.ini", 0, 0},
    {"an empty device folder", "rm -r tovu pictures", 0, 0},
    {"a device folder without read permission", "chmod 0 pictures && chmod 0111 .", 0, 0},
    {"a device folder without any permission", "chmod 0 .", 0, 0},
};

const char kSession[] =
    "shot start.png\n"
    "tap 230 10\ntap 230 50\ntap 50 236\ntap 100 28\nshot files.png\n"  // the files screen: a folder, back up
    "tap 230 10\ntap 230 10\ndrag 50 100 150 200\n"                      // the editor: an outline
    "tap 200 10\ntap 210 90\ntap 100 150\nshot editor.png\n";            // the select tool picks it

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(BadFiles, TheProgramStartsWhateverTheDeviceFolderHolds) {
    char base[] = "/tmp/kn_badfiles_XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    const std::string b = base;
    auto run = [&](const std::string& root) {
        return Shell("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=none timeout 120 " KN_EXECUTABLE " --script " + b +
                     "/session --out " + b + "/out --root " + root + " > " + b + "/log 2>&1");
    };
    auto log = [&] { return (std::stringstream() << std::ifstream(b + "/log").rdbuf()).str(); };
    ASSERT_EQ(Shell("cd " + b + " && mkdir out && cp " KN_ASSET_DIR "/device/tovu/skin1.png skin.png && printf '" +
                    std::string(kSession) + "' > session"), 0);
    for (const Case& c : kCases) {
        ASSERT_EQ(Shell("cd " + b + " && chmod -R u+rwx . && rm -rf root && mkdir -p root/tovu root/pictures && "
                        "cp skin.png root/tovu/skin1.png && printf '\\\\pictures\\n' > root/tovu/kalvenorix.ini"), 0);
        std::vector<uint8_t> grey(static_cast<size_t>(c.skin_width * c.skin_height * 3), 128);
        if (c.skin_width > 0) {
            ASSERT_TRUE(EncodePngFile((b + "/root/tovu/skin1.png").c_str(), c.skin_width, c.skin_height, grey.data()));
        }
        ASSERT_EQ(Shell("cd " + b + "/root && " + (c.shell[0] != '\0' ? c.shell : "true")), 0) << c.what;
        EXPECT_EQ(run(b + "/root"), 0) << c.what << "\n" << log();
    }
    // A root that does not exist is refused on the command line, before anything starts.
    EXPECT_EQ(run(b + "/nowhere"), 2);
    EXPECT_NE(log().find("is not a folder"), std::string::npos) << log();
    Shell("chmod -R u+rwx " + b + " && rm -rf " + b);
}
