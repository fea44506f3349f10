// The fuzz targets' corpora replayed as regression tests with the project's
// own compiler: every file of fuzz/corpus/<target> goes through the target
// once. The libFuzzer binaries (fuzz/build.sh) grow these corpora.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../fuzz/fuzz_targets.h"
#include "platform/host_files.h"

namespace {

using Target = int (*)(const uint8_t*, size_t);

// Runs every corpus file; returns how many there were.
size_t ReplayCorpus(const char* target_name, Target target) {
    const std::string folder = std::string(KN_TEST_DIR) + "/../fuzz/corpus/" + target_name;
    DIR* dir = opendir(folder.c_str());
    EXPECT_NE(dir, nullptr) << folder;
    if (dir == nullptr) return 0;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(name);
        EXPECT_EQ(target(bytes.data(), bytes.size()), 0);
    }
    SetDeviceRoot(KN_ASSET_DIR "/device");
    return names.size();
}

}  // namespace

TEST(FuzzCorpus, SkinPicture) { EXPECT_GT(ReplayCorpus("skin_picture", fuzz::SkinPictureInput), 0u); }
TEST(FuzzCorpus, SettingsFile) { EXPECT_GT(ReplayCorpus("settings_file", fuzz::SettingsFileInput), 0u); }
TEST(FuzzCorpus, SessionScript) { EXPECT_GT(ReplayCorpus("session_script", fuzz::SessionScriptInput), 0u); }
TEST(FuzzCorpus, DirectoryListing) {
    EXPECT_GT(ReplayCorpus("directory_listing", fuzz::DirectoryListingInput), 0u);
}
