// The documents that repeat the program's tables: the README and the user
// guide list every key of the key table, and the committed guide holds every
// callout's line (tools/annotate.cpp writes it, so a stale one means `make
// screenshots` was not run), each number wholly on its picture apart from
// the others. (The web page fills its key list from the table at start-up.)
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

// Numbers have a radius of 7 screen pixels; the margin is 20 pixels wide.
TEST(Guide, EveryCalloutIsInTheGuideAndClearOfTheOthers) {
    const std::string guide = ReadFile(KN_ASSET_DIR "/../docs/guide.md");
    for (int p = 0; p < kGuidePageCount; ++p) {
        const GuidePage& page = kGuidePages[p];
        EXPECT_NE(guide.find(std::string("(guide/") + page.picture + ")"), std::string::npos) << page.title;
        for (int i = 0; i < page.count; ++i) {
            const Callout& c = page.callouts[i];
            const std::string where = std::string(page.title) + ", " + std::to_string(i + 1);
            EXPECT_NE(guide.find("\n" + std::to_string(i + 1) + ". " + c.text + "\n"), std::string::npos) << where;
            EXPECT_TRUE(c.x >= 0 && c.x < 240 && c.y >= 0 && c.y < 320) << where << ": the point is off the screen";
            EXPECT_TRUE(c.bubble_x >= -13 && c.bubble_x <= 252 && c.bubble_y >= -13 && c.bubble_y <= 332)
                << where << ": the number is cut off";
            for (int j = 0; j < i; ++j) {
                const int dx = c.bubble_x - page.callouts[j].bubble_x, dy = c.bubble_y - page.callouts[j].bubble_y;
                EXPECT_GE(dx * dx + dy * dy, 15 * 15) << where << " covers number " << j + 1;
            }
        }
    }
}

}  // namespace
