// Session scripts: checking and feeding on the virtual clock.
#include <gtest/gtest.h>

#include <string>

#include "platform/headless.h"

namespace {

const PlatformBackend* const kBackend = HeadlessBackend();

void Load(const char* text) {
    ResetHeadless();
    char error[256];
    ASSERT_TRUE(LoadHeadlessScriptText("test.script", text, error, sizeof error)) << error;
}

// Polls as a program's loop does until the close message: each message reads
// "kind x,y @ms", the clock counted from its start just before get_message.
std::string Deliveries() {
    std::string out;
    for (int i = 0; i < 100000; ++i) {
        if (kBackend->peek_message() != 1) continue;
        const std::string at = " @" + std::to_string(kBackend->tick_count() - 1000000u);
        Message m;
        EXPECT_EQ(kBackend->get_message(&m), 1);
        if (!out.empty()) out += " ";
        if (m.message == kMessageClose) return out + "close" + at;
        const char* kind = m.message == 513 ? "down" : m.message == 512 ? "move" : m.message == 514 ? "up" : "?";
        out += std::string(kind) + " " + std::to_string(static_cast<int16_t>(m.long_param & 0xFFFF)) + "," +
               std::to_string(static_cast<int16_t>(m.long_param >> 16)) + at;
    }
    return out + " (no close)";
}

}  // namespace

// Comments, blanks, tabs, CRLF and every command at its limits are taken; a
// refused script runs nothing, not even the lines before its error.
TEST(HeadlessScript, EachErrorNamesFileAndLineAndNothingRuns) {
    Load("# a session\n\ntap 10 20   # first tap\n\tdown 1 2\r\nmove -32768 32767\nup\n"
         "drag 0 0 5 5\ndrag 0 0 5 5 1000\nwait 0\nwait 86400000\nshot out.png#comment\n"
         "expect 239 319 f8fCf8\ntap -4 400");
    EXPECT_EQ(HeadlessLinesLeft(), 11);
    const char* cases[][2] = {
        {"tap 1 2\nfrob 3\n", "test.script:2: unknown command \"frob\""},
        {"\n# comment\ntap 1\n", "test.script:3: wrong number of arguments: 1 given, the form is \"tap X Y\""},
        {"drag 1 2 3 4 5 6", ":1: wrong number of arguments"},
        {"tap +3 2", ":1: \"+3\" is not a decimal integer"},
        {"tap 40000 0", ":1: coordinate 40000 is out of range"},
        {"drag 0 0 9 9 1001", ":1: steps 1001 is out of range"},
        {"wait -1", ":1: wait -1 is out of range"},
        {"expect 240 0 000000", ":1: expect: the point lies outside the 240 x 320 screen"},
        {"expect 0 0 00000G", ":1: expect: the colour is six hexadecimal digits"},
    };
    for (const auto& c : cases) {
        ResetHeadless();
        char error[256];
        EXPECT_FALSE(LoadHeadlessScriptText("test.script", c[0], error, sizeof error)) << c[0];
        EXPECT_NE(std::string(error).find(c[1]), std::string::npos) << c[0] << ": " << error;
        EXPECT_EQ(kBackend->peek_message(), 0) << c[0];
        EXPECT_FALSE(HeadlessScriptFinished()) << c[0];
    }
}

TEST(HeadlessTiming, StepsArriveAtTheDocumentedTimes) {
    const char* cases[][2] = {
        // A tap's down and up are queued together; each step then settles for
        // 10 ms; a wait counts from when it is reached.
        {"tap 10 20\ntap 30 40\nwait 500\ntap 50 60\n",
         "down 10,20 @0 up 10,20 @1 down 30,40 @10 up 30,40 @11 down 50,60 @520 up 50,60 @521 close @530"},
        // Eight moves by default; each position truncates.
        {"drag 0 0 7 -7\n",
         "down 0,0 @0 move 0,0 @10 move 1,-1 @20 move 2,-2 @30 move 3,-3 @40 move 4,-4 @50 move 5,-5 @60 "
         "move 6,-6 @70 move 7,-7 @80 up 7,-7 @90 close @100"},
        // Up is where the stylus last was; positions off the screen pass through.
        {"down -5 400\nexpect 0 0 000000\nup\n", "down -5,400 @0 up -5,400 @10 close @20"},
        {"move 7 8\nup\n", "move 7,8 @0 up 7,8 @10 close @20"},
        {"drag 1 2 3 4 1\nup\n", "down 1,2 @0 move 3,4 @10 up 3,4 @20 up 3,4 @30 close @40"},
        {"# nothing\n\n", "close @0"},
    };
    for (const auto& c : cases) {
        Load(c[0]);
        EXPECT_EQ(Deliveries(), c[1]) << c[0];
        Message m;
        EXPECT_EQ(kBackend->peek_message() + kBackend->get_message(&m), 0) << "the close comes once";
        EXPECT_TRUE(HeadlessScriptFinished());
        EXPECT_EQ(HeadlessLinesLeft(), 0);
    }
}
