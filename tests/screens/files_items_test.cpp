// Item lists: names joined by "|", counted, found and copied.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screens/file_browser.h"

namespace {

std::string Copy(const char* text, int n) {
    char buffer[kNameBytes];
    std::memset(buffer, 'z', sizeof buffer);
    CopyItem(text, n, buffer, '|');
    return buffer;
}

TEST(ItemList, CountsItemsBySeparators) {
    EXPECT_EQ(CountItems("", '|'), 0);
    EXPECT_EQ(CountItems("x", '|'), 1);
    EXPECT_EQ(CountItems("x|y", '|'), 2);
    EXPECT_EQ(CountItems("\\a|\\b|\\c", '|'), 3);
    // Empty items between separators still count: the lists never make them,
    // but the count stays the separator rule.
    EXPECT_EQ(CountItems("|", '|'), 2);
    EXPECT_EQ(CountItems("a,b|c", ','), 2);
}

TEST(ItemList, FindsTheStartOfEachItem) {
    const char* text = "one|two|three";
    EXPECT_EQ(FindItem(text, 0, '|'), text);
    EXPECT_EQ(FindItem(text, 1, '|'), text + 4);
    EXPECT_EQ(FindItem(text, 2, '|'), text + 8);
    EXPECT_EQ(FindItem(text, 3, '|'), nullptr);
    EXPECT_EQ(FindItem(text, 99, '|'), nullptr);
    EXPECT_EQ(FindItem(text, -1, '|'), nullptr);
}

TEST(ItemList, CopiesOneItemOrNothing) {
    EXPECT_EQ(Copy("x|y", 0), "x");
    EXPECT_EQ(Copy("x|y", 1), "y");
    EXPECT_EQ(Copy("x|y", 2), "");
    EXPECT_EQ(Copy("x|y", -1), "");
    EXPECT_EQ(Copy("", 0), "");
    EXPECT_EQ(Copy("\\dir|file.txt|last", 1), "file.txt");
}

TEST(ItemList, CopyStopsAtTheBuffersEnd) {
    std::string long_item(400, 'n');
    std::string text = "a|" + long_item + "|b";
    char buffer[kNameBytes + 8];
    std::memset(buffer, '#', sizeof buffer);
    CopyItem(text.c_str(), 1, buffer, '|');
    EXPECT_EQ(std::strlen(buffer), kNameBytes - 1);
    EXPECT_EQ(buffer[kNameBytes], '#') << "nothing written past the buffer";

    char small[4];
    CopyItem("abcdef|g", 0, small, '|', sizeof small);
    EXPECT_STREQ(small, "abc");
    CopyItem("abcdef|g", 1, small, '|', sizeof small);
    EXPECT_STREQ(small, "g");
}

}  // namespace
