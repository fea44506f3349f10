// The documents that repeat the program's tables: the README and the user
// guide list every key of the key table, and the committed guide holds every
// callout's line (tools/annotate.cpp writes it, so a stale one means `make
// screenshots` was not run). (The web page fills its key list from the table
// at start-up.)
#include <gtest/gtest.h>

#include <string>

#include "guide_pages.h"
#include "host/keys.h"
#include "support/test_files.h"

namespace {

TEST(Guide, ReadmeAndGuideListEveryKey) {
    int count = 0;
    const KeyHelp* rows = KeyHelpRows(&count);
    ASSERT_GT(count, 0);
    for (const char* name : {"/README.md", "/docs/guide.md"})
        for (int i = 0; i < count; ++i) {
            const std::string row = std::string("| ") + rows[i].keys + " | " + rows[i].does + " |";
            EXPECT_NE(ReadFile(KN_ASSET_DIR "/.." + std::string(name)).find(row), std::string::npos) << name << " lacks " << row;
        }
}

TEST(Guide, EveryCalloutIsInTheGuide) {
    const std::string guide = ReadFile(KN_ASSET_DIR "/../docs/guide.md");
    for (int p = 0; p < kGuidePageCount; ++p) {
        const GuidePage& page = kGuidePages[p];
        EXPECT_NE(guide.find(std::string("(guide/") + page.picture + ")"), std::string::npos) << page.title;
        for (int i = 0; i < page.count; ++i)
            EXPECT_NE(guide.find("\n" + std::to_string(i + 1) + ". " + page.callouts[i].text + "\n"), std::string::npos)
                << page.title << ", " << i + 1;
    }
}

}  // namespace
