// Session scripts: checking, feeding on the virtual clock, screenshots.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host_files.h"
#include "platform/test_files.h"

namespace {

const PlatformBackend* Backend() { return HeadlessBackend(); }

// Loads a script into a fresh backend; fails the test on a script error.
void Load(const char* text) {
    ResetHeadless();
    char error[256];
    ASSERT_TRUE(LoadHeadlessScriptText("test.script", text, error, sizeof error)) << error;
}

// Polls as a program's loop does until the close message arrives. Each
// message reads "kind x,y @ms", with the clock just before its get_message
// counted from the start at 1000000.
std::string Deliveries() {
    std::string out;
    for (int i = 0; i < 100000; ++i) {
        if (Backend()->peek_message() != 1) continue;
        const std::string at = " @" + std::to_string(Backend()->tick_count() - 1000000u);
        Message m;
        EXPECT_EQ(Backend()->get_message(&m), 1);
        if (!out.empty()) out += " ";
        if (m.message == 16) return out + "close" + at;
        const char* kind = m.message == 513 ? "down" : m.message == 512 ? "move" : m.message == 514 ? "up" : "?";
        out += std::string(kind) + " " + std::to_string(static_cast<int16_t>(m.long_param & 0xFFFF)) + "," +
               std::to_string(static_cast<int16_t>(m.long_param >> 16)) + at;
    }
    return out + " (no close)";
}

}  // namespace

TEST(HeadlessScript, AcceptsCommentsBlankLinesTabsAndCrlf) {
    Load("# a session\n"
         "\n"
         "tap 10 20   # first tap\n"
         "\tdown 1 2\r\n"
         "move 3 4\n"
         "up\n"
         "drag 0 0 5 5\n"
         "drag 0 0 5 5 3\n"
         "wait 0\n"
         "shot out.png#comment right after\n"
         "tap -4 400");
    EXPECT_EQ(HeadlessLinesLeft(), 9);
}

// A refused script runs nothing, not even the lines before its error.
TEST(HeadlessScript, EachErrorNamesFileAndLineAndNothingRuns) {
    struct Case {
        const char* script;
        const char* expected;
    };
    const Case cases[] = {
        {"tap 1 2\nfrob 3\n", "test.script:2: unknown command \"frob\""},
        {"\n# comment\ntap 1\n", "test.script:3: wrong number of arguments: 1 given, the form is \"tap X Y\""},
        {"up 5", "test.script:1: wrong number of arguments"},
        {"drag 1 2 3", "test.script:1: wrong number of arguments"},
        {"drag 1 2 3 4 5 6", "test.script:1: wrong number of arguments"},
        {"shot", "test.script:1: wrong number of arguments"},
        {"shot a.png b.png", "test.script:1: wrong number of arguments"},
        {"wait", "test.script:1: wrong number of arguments"},
        {"tap 1x 2", "test.script:1: \"1x\" is not a decimal integer"},
        {"tap 1.5 2", "test.script:1: \"1.5\" is not a decimal integer"},
        {"tap +3 2", "test.script:1: \"+3\" is not a decimal integer"},
        {"tap 0x10 2", "test.script:1: \"0x10\" is not a decimal integer"},
        {"tap - 2", "test.script:1: \"-\" is not a decimal integer"},
        {"wait ten", "test.script:1: \"ten\" is not a decimal integer"},
        {"tap 40000 0", "test.script:1: coordinate 40000 is out of range"},
        {"move 0 99999999999999999999", "test.script:1: coordinate 99999999999999999999 is out of range"},
        {"drag 0 0 9 9 0", "test.script:1: steps 0 is out of range"},
        {"wait -1", "test.script:1: wait -1 is out of range"},
        {"tap 1 1\ntap 2 2\nTap 3 3", "test.script:3: unknown command \"Tap\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        ResetHeadless();
        char error[256];
        EXPECT_FALSE(LoadHeadlessScriptText("test.script", c.script, error, sizeof error));
        EXPECT_EQ(std::string(error).rfind(c.expected, 0), 0u) << error;
        EXPECT_EQ(Backend()->peek_message(), 0);
        EXPECT_FALSE(HeadlessScriptFinished());
    }
}

TEST(HeadlessScript, FilesMustBeReadableText) {
    ResetHeadless();
    char error[256];
    EXPECT_TRUE(LoadHeadlessScriptFile(KN_ASSET_DIR "/demo/demo.script", error, sizeof error)) << error;
    EXPECT_GT(HeadlessLinesLeft(), 5);

    EXPECT_FALSE(LoadHeadlessScriptFile("/nonexistent/kn/session.script", error, sizeof error));
    EXPECT_EQ(std::string(error).rfind("/nonexistent/kn/session.script: cannot read", 0), 0u) << error;

    TemporaryFolder folder;
    EXPECT_FALSE(LoadHeadlessScriptFile(folder.Path().c_str(), error, sizeof error));
    EXPECT_NE(std::string(error).find("cannot read"), std::string::npos) << error;

    const std::string binary = folder.Path() + "/binary.script";
    WriteFile(binary, std::string("tap 1 1\nta\0p", 12));
    EXPECT_FALSE(LoadHeadlessScriptFile(binary.c_str(), error, sizeof error));
    EXPECT_EQ(std::string(error), binary + ":2: the script is not text");
}

TEST(HeadlessTiming, StepsArriveAtTheDocumentedTimes) {
    struct Case {
        const char* script;
        const char* expected;
    };
    const Case cases[] = {
        // A tap's down and up are queued together; each step then settles for
        // 10 ms; a wait counts from when it is reached.
        {"tap 10 20\ntap 30 40\nwait 500\ntap 50 60\n",
         "down 10,20 @0 up 10,20 @1 down 30,40 @10 up 30,40 @11 down 50,60 @520 up 50,60 @521 close @530"},
        // A drag moves along the line and ends with up at its end point.
        {"drag 0 0 80 -40 4\n",
         "down 0,0 @0 move 20,-10 @10 move 40,-20 @20 move 60,-30 @30 move 80,-40 @40 up 80,-40 @50 close @60"},
        // Eight moves by default; 7 * 1 / 8 truncates.
        {"drag 0 0 7 0\n",
         "down 0,0 @0 move 0,0 @10 move 1,0 @20 move 2,0 @30 move 3,0 @40 move 4,0 @50 move 5,0 @60 "
         "move 6,0 @70 move 7,0 @80 up 7,0 @90 close @100"},
        // Up is where the stylus last was; positions off the screen pass through.
        {"down -5 400\nup\n", "down -5,400 @0 up -5,400 @10 close @20"},
        {"move 7 8\nup\n", "move 7,8 @0 up 7,8 @10 close @20"},
        {"# nothing\n\n", "close @0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Load(c.script);
        EXPECT_EQ(Deliveries(), c.expected);
        EXPECT_TRUE(HeadlessScriptFinished());
        EXPECT_EQ(HeadlessLinesLeft(), 0);
    }
}

TEST(HeadlessTiming, APeekOnAnEmptyQueueTakesOneMillisecond) {
    Load("wait 50\n");
    for (uint32_t i = 1; i <= 50; ++i) {
        EXPECT_EQ(Backend()->peek_message(), 0);
        EXPECT_EQ(Backend()->tick_count(), 1000000u + i);
    }
    EXPECT_EQ(Backend()->peek_message(), 1);  // the close message, due at 1000050
    EXPECT_EQ(Backend()->tick_count(), 1000050u);
    Message m = {};
    ASSERT_EQ(Backend()->get_message(&m), 1);
    EXPECT_EQ(m.message, 16u);
    EXPECT_EQ(Backend()->tick_count(), 1000051u);
    // Nothing is queued after the close message.
    EXPECT_EQ(Backend()->peek_message(), 0);
    EXPECT_EQ(Backend()->get_message(&m), 0);
}

TEST(HeadlessTiming, LinesLeftCountsUnfinishedCommands) {
    Load("# setup\ntap 1 1\n\ndrag 0 0 10 10 2\nwait 100\n");
    EXPECT_EQ(HeadlessLinesLeft(), 3);
    Backend()->peek_message();
    EXPECT_EQ(HeadlessLinesLeft(), 2);  // the tap is queued
    Message m;
    Backend()->get_message(&m);
    Backend()->get_message(&m);
    while (Backend()->peek_message() == 0) {
    }
    Backend()->get_message(&m);  // the drag's down: the drag is not finished
    EXPECT_EQ(HeadlessLinesLeft(), 2);
    Deliveries();
    EXPECT_EQ(HeadlessLinesLeft(), 0);
}

namespace {

// A tiny program: each pen-down paints a 9 x 9 block whose colour depends on
// the clock, each move paints one pixel; every message presents a frame.
void RunFakeProgram() {
    static uint16_t back[240 * 320];
    std::fill(back, back + 240 * 320, 0);
    for (;;) {
        while (Backend()->peek_message() == 1) {
            Message m;
            Backend()->get_message(&m);
            if (m.message == 16) return;
            int x = static_cast<int16_t>(m.long_param & 0xFFFF);
            int y = static_cast<int16_t>(m.long_param >> 16);
            uint16_t colour = static_cast<uint16_t>(Backend()->tick_count() * 2654435761u >> 16);
            int half = m.message == 513 ? 4 : 0;
            for (int py = y - half; py <= y + half; ++py)
                for (int px = x - half; px <= x + half; ++px)
                    if (px >= 0 && px < 240 && py >= 0 && py < 320) back[py * 240 + px] = colour;
            std::copy(back, back + 240 * 320, Backend()->begin_draw());
            Backend()->end_draw();
        }
    }
}

}  // namespace

TEST(HeadlessFrames, TheSameScriptGivesTheSameFramesAndShots) {
    TemporaryFolder folder;
    const char* script = "tap 20 30\nshot one.png\ndrag 10 10 200 300 17\nwait 37\ntap 120 160\nshot two.png\n";
    std::vector<uint16_t> frames[2];
    std::string shots[2];
    uint32_t counts[2];
    for (int run = 0; run < 2; ++run) {
        Load(script);
        const std::string out = folder.Path() + "/run" + std::to_string(run);
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        SetHeadlessShotFolder(out.c_str());
        RunFakeProgram();
        frames[run].assign(HeadlessLastFrame(), HeadlessLastFrame() + 240 * 320);
        counts[run] = HeadlessFramesPresented();
        shots[run] = ReadFile(out + "/two.png");
        const std::string first = ReadFile(out + "/one.png");
        EXPECT_FALSE(first.empty());
        EXPECT_NE(first, shots[run]);
    }
    EXPECT_EQ(counts[0], 2u + 19u + 2u);
    EXPECT_EQ(counts[0], counts[1]);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_FALSE(shots[0].empty());
    EXPECT_EQ(shots[0], shots[1]);
}

TEST(HeadlessFrames, ShotIsA240By320RgbPngOfTheLastFrame) {
    TemporaryFolder folder;
    Load("shot frame.png\n");
    SetHeadlessShotFolder(folder.Path().c_str());
    uint16_t* frame = Backend()->begin_draw();
    std::fill(frame, frame + 240 * 320, 0);
    frame[0] = 0xF800;                // red
    frame[1] = 0x07E0;                // green
    frame[2] = 0x001F;                // blue
    frame[319 * 240 + 239] = 0xFFFF;  // white, bottom-right
    Backend()->end_draw();
    Deliveries();

    SetDeviceRoot(folder.Path().c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\frame.png", &image));
    EXPECT_EQ(image.width, 240);
    EXPECT_EQ(image.height, 320);
    const std::vector<uint8_t> start(image.rgb, image.rgb + 12), last(image.rgb + 320 * 240 * 3 - 3,
                                                                       image.rgb + 320 * 240 * 3);
    EXPECT_EQ(start, (std::vector<uint8_t>{248, 0, 0, 0, 252, 0, 0, 0, 248, 0, 0, 0}));
    EXPECT_EQ(last, (std::vector<uint8_t>{248, 252, 248}));
    FreeDecodedImage(&image);
}

TEST(HeadlessFrames, TraceListsLifeCycleCallsInOrder) {
    ResetHeadless();
    EXPECT_STREQ(HeadlessTrace(), "");
    Backend()->set_taskbar_visible(0);
    EXPECT_EQ(Backend()->create_window(1), 1);
    Backend()->open_display();
    Backend()->open_input();
    Backend()->suspend();
    Backend()->resume();
    Backend()->close_input();
    Backend()->close_display();
    Backend()->set_taskbar_visible(0x101);  // only the low byte counts
    Backend()->destroy_window();
    EXPECT_STREQ(HeadlessTrace(),
                 "set_taskbar_visible(0) create_window open_display open_input suspend resume "
                 "close_input close_display set_taskbar_visible(1) destroy_window");
    GXDisplayProperties d = Backend()->display_properties();
    EXPECT_EQ(d.width, 240u);
    EXPECT_EQ(d.height, 320u);
    EXPECT_EQ(d.x_pitch, 2);
    EXPECT_EQ(d.y_pitch, 480);
    EXPECT_EQ(d.bits_per_pixel, 16);
}
