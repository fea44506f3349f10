// The key list in the documents that repeat it: every row of the program's
// own table, as a Markdown table row. (The web page fills its list from the
// table at start-up, and the guide is written from it by tools/annotate.cpp.)
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "host/keys.h"

TEST(KeyList, ReadmeAndGuideListEveryKey) {
    int count = 0;
    const KeyHelp* rows = KeyHelpRows(&count);
    ASSERT_GT(count, 0);
    for (const char* document : {"README.md", "docs/guide.md"}) {
        std::ifstream in(std::string(KN_ASSET_DIR "/../") + document);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(text.empty()) << document;
        for (int i = 0; i < count; ++i) {
            const std::string row = std::string("| ") + rows[i].keys + " | " + rows[i].does + " |";
            EXPECT_NE(text.find(row), std::string::npos) << document << " lacks " << row;
        }
    }
}
