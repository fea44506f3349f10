// Bad input files. Whatever the device folder holds, the program starts, runs
// a short session headless and writes its screenshots: a skin it cannot use
// leaves the widgets without images, a settings line that names nothing lists
// nothing. And every file of the fuzz targets' corpora (grown by the libFuzzer
// binaries of fuzz/build.sh; pictures of every kind and size among them) goes
// through its target, built with the project's compiler: a broken expectation
// aborts.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "../../fuzz/fuzz_targets.h"
#include "../../fuzz/workspace_target.h"

// Each changes a device folder that holds the bundled skin, settings naming
// \pictures, and that folder; odd contents of the two files are the corpora's.
static const char* const kFolders[] = {
    "true",                                                                  // good files
    "rm tovu/skin1.png",
    ": > tovu/skin1.png",
    "head -c $(($(stat -c %s ../skin.png) / 2)) ../skin.png > tovu/skin1.png",
    "printf '%0200d' 7 | dd of=tovu/skin1.png bs=1 seek=3000 conv=notrunc 2>/dev/null",  // corrupt
    "rm tovu/skin1.png && mkdir tovu/skin1.png",
    "printf '\\\\no\\\\such\\\\folder\\r\\n' > tovu/kalvenorix.ini",
    "rm tovu/kalvenorix.ini && mkdir tovu/kalvenorix.ini",
    "rm -r tovu pictures",
    "chmod 0 pictures && chmod 0111 .",                                     // no read permission
    "chmod 0 .",
};

static int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BadFiles, TheProgramStartsWhateverTheDeviceFolderHolds) {
    char base[] = "/tmp/kn_badfiles_XXXXXX";
    ASSERT_NE(mkdtemp(base), nullptr);
    const std::string b = base;
    auto run = [&](const std::string& root) {  // files, a folder and back, an outline picked by the select tool
        return Shell("printf 'tap 230 10\\ntap 230 50\\ntap 50 236\\ntap 100 28\\nshot files.png\\ntap 230 10\\ntap 230 10\\n"
                     "drag 50 100 150 200\\ntap 200 10\\ntap 210 90\\ntap 100 150\\nshot editor.png\\n' | timeout 120 "
                     KN_EXECUTABLE " --script /dev/stdin --out " + b + " --root " + root + " > " + b + "/log 2>&1");
    };
    auto log = [&] { return (std::stringstream() << std::ifstream(b + "/log").rdbuf()).str(); };
    ASSERT_EQ(Shell("cp " KN_ASSET_DIR "/device/tovu/skin1.png " + b + "/skin.png"), 0);
    for (const char* change : kFolders) {
        ASSERT_EQ(Shell("cd " + b + " && chmod -R u+rwx . && rm -rf root && mkdir -p root/tovu root/pictures && "
                        "cp skin.png root/tovu/skin1.png && printf '\\\\\\\\pictures\\\\n' > root/tovu/kalvenorix.ini"), 0);
        ASSERT_EQ(Shell("cd " + b + "/root && " + change), 0) << change;
        EXPECT_EQ(run(b + "/root"), 0) << change << "\n" << log();
    }
    // A root that does not exist is refused on the command line, before anything starts.
    EXPECT_EQ(run(b + "/nowhere"), 2);
    EXPECT_NE(log().find("is not a folder"), std::string::npos) << log();
    Shell("chmod -R u+rwx " + b + " && rm -rf " + b);
}

TEST(BadFiles, EveryFuzzCorpusFileGoesThroughItsTarget) {
    const std::pair<const char*, int (*)(const uint8_t*, size_t)> kTargets[] = {
        {"skin_picture", fuzz::SkinPictureInput}, {"settings_file", fuzz::SettingsFileInput},
        {"session_script", fuzz::SessionScriptInput}, {"directory_listing", fuzz::DirectoryListingInput},
        {"workspace_reader", fuzz::WorkspaceInput}};
    for (const auto& [name, target] : kTargets) {
        const std::string folder = KN_TEST_DIR "/../fuzz/corpus/" + std::string(name) + "/";
        DIR* dir = opendir(folder.c_str());
        ASSERT_NE(dir, nullptr) << folder;
        for (const dirent* entry; (entry = readdir(dir)) != nullptr;) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream in(folder + entry->d_name, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(target(bytes.data(), bytes.size()), 0) << folder << entry->d_name;
        }
        closedir(dir);
    }
}
