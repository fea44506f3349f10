// Bad input files. Whatever the device folder holds, the program starts, runs
// a short session headless and writes its screenshots: a skin it cannot use
// leaves the widgets without images, a settings line that names nothing lists
// nothing. And every file of the fuzz targets' corpora (grown by the libFuzzer
// binaries of fuzz/build.sh; pictures of every kind and size among them) goes
// through its target, built with the project's compiler: a broken expectation
// aborts.
#include <dirent.h>
#include <gtest/gtest.h>

#include "../../fuzz/fuzz_targets.h"
#include "../../fuzz/workspace_target.h"
#include "support/headless_run.h"

// Each changes a device folder that holds the bundled skin, settings naming
// \pictures, and that folder; odd contents of the two files are the corpora's.
static const char* const kFolders[] = {
    "true",                                                                  // good files
    "rm tovu/skin1.png",
    ": > tovu/skin1.png",
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
    const TemporaryFolder folder;
    const std::string b = folder.Path();
    // Files, a folder and back, an outline picked by the select tool.
    ASSERT_TRUE(WriteFile(b + "/session.script", "tap 230 10\ntap 230 50\ntap 50 236\ntap 100 28\nshot files.png\n"
                          "tap 230 10\ntap 230 10\ndrag 50 100 150 200\ntap 200 10\ntap 210 90\ntap 100 150\nshot editor.png\n"));
    const std::string run = "--script '" + b + "/session.script' --out '" + b + "' --root '" + b;
    ASSERT_EQ(Shell("cp " KN_ASSET_DIR "/device/tovu/skin1.png " + b + "/skin.png"), 0);
    for (const char* change : kFolders) {
        ASSERT_EQ(Shell("cd " + b + " && chmod -R u+rwx . && rm -rf root && mkdir -p root/tovu root/pictures && "
                        "cp skin.png root/tovu/skin1.png && printf '\\\\\\\\pictures\\\\n' > root/tovu/kalvenorix.ini"), 0);
        ASSERT_EQ(Shell("cd " + b + "/root && " + change), 0) << change;
        const ProgramRun started = RunProgram(run + "/root'", b);
        EXPECT_EQ(started.status, 0) << change << "\n" << started.out << started.err;
    }
    Shell("chmod -R u+rwx " + b);
    // A root that does not exist is refused on the command line, before anything starts.
    const ProgramRun refused = RunProgram(run + "/nowhere'", b);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE((refused.out + refused.err).find("is not a folder"), std::string::npos) << refused.out << refused.err;
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
            const std::string bytes = ReadFile(folder + entry->d_name);
            EXPECT_EQ(target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0) << folder << entry->d_name;
        }
        closedir(dir);
    }
}
