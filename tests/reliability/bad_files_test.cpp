// Bad input files: every file of the fuzz targets' corpora (grown by the
// libFuzzer binaries of fuzz/build.sh; pictures of every kind and size among
// them) goes through its target, built with the project's compiler: a broken
// expectation aborts. Bad device folders are the randomized sessions'.
#include <dirent.h>
#include <gtest/gtest.h>

#include "../../fuzz/fuzz_targets.h"
#include "../../fuzz/workspace_target.h"
#include "support/test_files.h"

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
