// The fuzz targets' corpora replayed with the project's own compiler: every
// file of fuzz/corpus/TARGET goes through the target once (a broken
// expectation aborts). The libFuzzer binaries of fuzz/build.sh grow them.
#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "../../fuzz/fuzz_targets.h"

TEST(FuzzCorpus, EveryTargetTakesItsCorpus) {
    const struct {
        const char* name;
        int (*target)(const uint8_t*, size_t);
    } kTargets[] = {{"skin_picture", fuzz::SkinPictureInput}, {"settings_file", fuzz::SettingsFileInput},
                    {"session_script", fuzz::SessionScriptInput}, {"directory_listing", fuzz::DirectoryListingInput}};
    for (const auto& t : kTargets) {
        const std::string folder = KN_TEST_DIR "/../fuzz/corpus/" + std::string(t.name) + "/";
        DIR* dir = opendir(folder.c_str());
        ASSERT_NE(dir, nullptr) << folder;
        int count = 0;
        for (const dirent* entry; (entry = readdir(dir)) != nullptr;) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream in(folder + entry->d_name, std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(t.target(bytes.data(), bytes.size()), 0) << folder << entry->d_name;
            ++count;
        }
        closedir(dir);
        EXPECT_GT(count, 0) << folder;
    }
}
