// Session scripts: checking, feeding on the virtual clock, screenshots.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host_files.h"

namespace {

const PlatformBackend* Backend() { return HeadlessBackend(); }

// Loads a script into a fresh backend; fails the test on a script error.
void Load(const char* text) {
    ResetHeadless();
    char error[256];
    ASSERT_TRUE(LoadHeadlessScriptText("test.script", text, error, sizeof error)) << error;
}

std::string LoadError(const char* text) {
    ResetHeadless();
    char error[256];
    EXPECT_FALSE(LoadHeadlessScriptText("test.script", text, error, sizeof error)) << text;
    return error;
}

// A message as it was delivered, with the clock at the moment it was fed.
struct Delivered {
    uint32_t message;
    int x;
    int y;
    uint32_t fed_at;
};

// Polls as a program's loop does until the close message arrives; records
// every message with the clock reading before its get_message.
std::vector<Delivered> PumpToClose(int max_peeks = 100000) {
    std::vector<Delivered> out;
    for (int i = 0; i < max_peeks; ++i) {
        if (Backend()->peek_message() != 1) continue;
        uint32_t now = Backend()->tick_count();
        Message m;
        EXPECT_EQ(Backend()->get_message(&m), 1);
        out.push_back({m.message, static_cast<int16_t>(m.long_param & 0xFFFF),
                       static_cast<int16_t>(m.long_param >> 16), now});
        if (m.message == 16) break;
    }
    return out;
}

std::string TempFolder() {
    char pattern[] = "/tmp/kn_headless_XXXXXX";
    const char* folder = mkdtemp(pattern);
    EXPECT_NE(folder, nullptr);
    return folder != nullptr ? folder : "/tmp";
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

}  // namespace

// ---------------------------------------------------------------------------
// Checking
// ---------------------------------------------------------------------------

TEST(HeadlessScript, AcceptsCommentsBlankLinesTabsAndCrlf) {
    Load("# a session\n"
         "\n"
         "tap 10 20   # first tap\r\n"
         "\tdown 1 2\n"
         "move 3 4\n"
         "up\n"
         "drag 0 0 5 5\n"
         "drag 0 0 5 5 3\n"
         "wait 0\n"
         "shot out.png#comment right after\n"
         "tap -4 400");
    EXPECT_EQ(HeadlessLinesLeft(), 9);
}

TEST(HeadlessScript, EachErrorNamesFileAndLine) {
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
        std::string error = LoadError(c.script);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "script: " << c.script << "\nerror: " << error;
    }
}

TEST(HeadlessScript, ARefusedScriptRunsNothing) {
    LoadError("tap 1 1\nbad\n");
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Backend()->peek_message(), 0);
    EXPECT_FALSE(HeadlessScriptFinished());
}

TEST(HeadlessScript, MissingOrUnreadableFileIsAnError) {
    ResetHeadless();
    char error[256];
    EXPECT_FALSE(LoadHeadlessScriptFile("/nonexistent/kn/session.script", error, sizeof error));
    EXPECT_EQ(std::string(error).rfind("/nonexistent/kn/session.script: cannot read", 0), 0u) << error;

    std::string folder = TempFolder();
    EXPECT_FALSE(LoadHeadlessScriptFile(folder.c_str(), error, sizeof error));
    EXPECT_NE(std::string(error).find("cannot read"), std::string::npos) << error;

    std::string binary = folder + "/binary.script";
    FILE* f = std::fopen(binary.c_str(), "wb");
    std::fwrite("tap 1 1\nta\0p", 1, 12, f);
    std::fclose(f);
    EXPECT_FALSE(LoadHeadlessScriptFile(binary.c_str(), error, sizeof error));
    EXPECT_EQ(std::string(error), binary + ":2: the script is not text");
    std::remove(binary.c_str());
    rmdir(folder.c_str());
}

TEST(HeadlessScript, TheDemoSessionIsValid) {
    ResetHeadless();
    char error[256];
    EXPECT_TRUE(LoadHeadlessScriptFile(KN_ASSET_DIR "/demo/demo.script", error, sizeof error)) << error;
    EXPECT_GT(HeadlessLinesLeft(), 5);
}

// ---------------------------------------------------------------------------
// Timing
// ---------------------------------------------------------------------------

TEST(HeadlessTiming, InputStepsSettleTenMillisecondsApart) {
    Load("tap 10 20\ntap 30 40\n");
    EXPECT_EQ(Backend()->tick_count(), 1000000u);
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 5u);
    // A tap's down and up are queued together, at the same clock reading.
    EXPECT_EQ(got[0].message, 513u);
    EXPECT_EQ(got[0].x, 10);
    EXPECT_EQ(got[0].y, 20);
    EXPECT_EQ(got[0].fed_at, 1000000u);
    EXPECT_EQ(got[1].message, 514u);
    EXPECT_EQ(got[1].fed_at, 1000001u);  // one delivery later
    EXPECT_EQ(got[2].message, 513u);
    EXPECT_EQ(got[2].x, 30);
    EXPECT_EQ(got[2].fed_at, 1000010u);
    EXPECT_EQ(got[3].message, 514u);
    EXPECT_EQ(got[4].message, 16u);
    EXPECT_EQ(got[4].fed_at, 1000020u);
    EXPECT_TRUE(HeadlessScriptFinished());
    EXPECT_EQ(HeadlessLinesLeft(), 0);
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

TEST(HeadlessTiming, WaitDelaysTheNextStepFromWhenItIsReached) {
    Load("tap 1 1\nwait 500\ntap 2 2\n");
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[2].fed_at, 1000510u);  // the wait is reached at 1000010
    EXPECT_EQ(got[4].fed_at, 1000520u);
}

TEST(HeadlessTiming, DragMovesAlongTheLineAndEndsWithUp) {
    Load("drag 0 0 80 -40 4\n");
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 7u);
    const int xs[] = {0, 20, 40, 60, 80, 80};
    const int ys[] = {0, -10, -20, -30, -40, -40};
    const uint32_t kinds[] = {513, 512, 512, 512, 512, 514};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(got[i].message, kinds[i]) << i;
        EXPECT_EQ(got[i].x, xs[i]) << i;
        EXPECT_EQ(got[i].y, ys[i]) << i;
        EXPECT_EQ(got[i].fed_at, 1000000u + 10u * i) << i;
    }
    EXPECT_EQ(got[6].message, 16u);
}

TEST(HeadlessTiming, DragDefaultsToEightMoves) {
    Load("drag 0 0 7 0\n");
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 11u);  // down, 8 moves, up, close
    EXPECT_EQ(got[1].x, 0);      // 7 * 1 / 8 truncates
    EXPECT_EQ(got[8].x, 7);
}

TEST(HeadlessTiming, UpUsesTheLastPositionAndOffScreenPositionsPassThrough) {
    Load("down -5 400\nup\n");
    Backend()->peek_message();
    Message m;
    Backend()->get_message(&m);
    EXPECT_EQ(m.long_param, 0x0190FFFBu);  // y 400 high, x -5 as 16 bits low
    PumpToClose();
    Load("move 7 8\nup\n");
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].message, 514u);
    EXPECT_EQ(got[1].x, 7);
    EXPECT_EQ(got[1].y, 8);
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
    PumpToClose();
    EXPECT_EQ(HeadlessLinesLeft(), 0);
}

TEST(HeadlessTiming, AnEmptyScriptClosesAtOnce) {
    Load("# nothing\n\n");
    std::vector<Delivered> got = PumpToClose();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, 16u);
    EXPECT_EQ(got[0].fed_at, 1000000u);
}

// ---------------------------------------------------------------------------
// Frames, shots and the life-cycle trace
// ---------------------------------------------------------------------------

namespace {

// A tiny program: each pen-down paints a 9 x 9 block whose colour depends on
// the clock, each move paints one pixel; every message presents a frame.
void RunFakeProgram() {
    static uint16_t back[240 * 320];
    for (uint16_t& w : back) w = 0x0000;
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
            uint16_t* frame = Backend()->begin_draw();
            std::copy(back, back + 240 * 320, frame);
            Backend()->end_draw();
        }
    }
}

}  // namespace

TEST(HeadlessFrames, TheSameScriptGivesTheSameFramesAndShots) {
    std::string folder = TempFolder();
    const char* script =
        "tap 20 30\n"
        "shot one.png\n"
        "drag 10 10 200 300 17\n"
        "wait 37\n"
        "tap 120 160\n"
        "shot two.png\n";
    std::vector<uint16_t> frames[2];
    std::vector<uint8_t> shots[2];
    uint32_t counts[2];
    for (int run = 0; run < 2; ++run) {
        Load(script);
        std::string out = folder + "/run" + std::to_string(run);
        ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        SetHeadlessShotFolder(out.c_str());
        RunFakeProgram();
        frames[run].assign(HeadlessLastFrame(), HeadlessLastFrame() + 240 * 320);
        counts[run] = HeadlessFramesPresented();
        shots[run] = ReadBytes(out + "/two.png");
        std::vector<uint8_t> first = ReadBytes(out + "/one.png");
        EXPECT_FALSE(first.empty());
        EXPECT_NE(first, shots[run]);
        std::remove((out + "/one.png").c_str());
        std::remove((out + "/two.png").c_str());
        rmdir(out.c_str());
    }
    rmdir(folder.c_str());
    EXPECT_EQ(counts[0], 2u + 19u + 2u);
    EXPECT_EQ(counts[0], counts[1]);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_FALSE(shots[0].empty());
    EXPECT_EQ(shots[0], shots[1]);
}

TEST(HeadlessFrames, ShotIsA240By320RgbPngOfTheLastFrame) {
    std::string folder = TempFolder();
    Load("shot frame.png\n");
    SetHeadlessShotFolder(folder.c_str());
    uint16_t* frame = Backend()->begin_draw();
    for (int i = 0; i < 240 * 320; ++i) frame[i] = 0x0000;
    frame[0] = 0xF800;              // red
    frame[1] = 0x07E0;              // green
    frame[2] = 0x001F;              // blue
    frame[319 * 240 + 239] = 0xFFFF;  // white, bottom-right
    Backend()->end_draw();
    PumpToClose();

    SetDeviceRoot(folder.c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\frame.png", &image));
    EXPECT_EQ(image.width, 240);
    EXPECT_EQ(image.height, 320);
    const uint8_t expected_start[] = {248, 0, 0, 0, 252, 0, 0, 0, 248, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(image.rgb[i], expected_start[i]) << i;
    const uint8_t* last = image.rgb + (320 * 240 - 1) * 3;
    EXPECT_EQ(last[0], 248);
    EXPECT_EQ(last[1], 252);
    EXPECT_EQ(last[2], 248);
    FreeDecodedImage(&image);
    std::remove((folder + "/frame.png").c_str());
    rmdir(folder.c_str());
}

TEST(HeadlessFramesDeathTest, AShotThatCannotBeWrittenStopsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Load("tap 1 1\nshot no-such-folder/x.png\n");
    SetHeadlessShotFolder("/nonexistent/kn");
    EXPECT_EXIT(PumpToClose(), testing::ExitedWithCode(1),
                "test.script:2: cannot write the screenshot /nonexistent/kn/no-such-folder/x.png");
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
