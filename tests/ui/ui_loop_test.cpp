#include "ui/ui_loop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "screens/drawing_editor.h"
#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "shell/shell.h"
#include "support/test_surface.h"
#include "ui/stroke.h"
#include "widget_records.h"

namespace {

// A scripted stylus for running the UI loop inside a test: each step is one
// batch of messages that exactly one PumpMessages call delivers, so a test
// says what the loop sees on each of its passes. Frames presented are kept.
std::deque<std::vector<Message>> steps;
std::deque<Message> current;
bool pump_starting = true;  // the previous peek found nothing: a new pump begins
int empty_peeks = 0;
int frames_presented = 0;
uint16_t last_frame[240 * 320];

// Past this many empty passes the loop under test has missed its exit.
constexpr int kMaxEmptyPeeks = 100000;

int Peek() {
    if (current.empty() && pump_starting && !steps.empty()) {
        current.assign(steps.front().begin(), steps.front().end());
        steps.pop_front();
    }
    if (!current.empty()) {
        pump_starting = false;
        return 1;
    }
    pump_starting = true;
    if (steps.empty() && ++empty_peeks > kMaxEmptyPeeks) {
        std::fprintf(stderr, "stylus script ran out while the UI loop was still running\n");
        std::abort();
    }
    return 0;
}

int Get(Message* out) {
    if (current.empty()) return 0;
    *out = current.front();
    current.pop_front();
    return 1;
}

const PlatformBackend kScripted = {
    "scripted stylus",
    [] { return kPortraitDisplay; },
    Peek,
    Get,
    []() -> uint16_t* { return last_frame; },
    [] { ++frames_presented; },
    []() -> uint32_t { return 0; },
    [](int) { return 1; },
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [](int) {},
};

void Step(std::vector<Message> messages) { steps.push_back(std::move(messages)); }

void StylusDown(int x, int y) { Step({{kMessageLeftButtonDown, 1, PackPosition(x, y)}}); }
void StylusMove(int x, int y) { Step({{kMessageMouseMove, 1, PackPosition(x, y)}}); }
void StylusUp() { Step({{kMessageLeftButtonUp, 0, 0}}); }
// The loop handles the press on this pass and the release on the next, which
// must see no new input.
void StylusTap(int x, int y) {
    Step({{kMessageLeftButtonDown, 1, PackPosition(x, y)}, {kMessageLeftButtonUp, 0, 0}});
    Step({});
}
void StylusIdle() { Step({}); }

WidgetRecord Strip(uint8_t type, uint16_t id, int x1, int y1, int x2, int y2, int item_w,
                   int item_h, int32_t* bound, int32_t count = 0) {
    return Record(type, id, x1, y1, x2, y2, 0, 0, item_w, item_h, bound, count);
}

WidgetRecord Grid(int x1, int y1, int x2, int y2, int rows, int columns, int32_t* value) {
    return Record(kCellGrid, 0, x1, y1, x2, y2, WidgetParam(value), rows, columns);
}

class UiLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTestSurface(0x1234);
        // The scripted stylus, with no steps, a fresh shell and no frames.
        platform = &kScripted;
        steps.clear();
        current.clear();
        pump_starting = true;
        empty_peeks = 0;
        frames_presented = 0;
        shell = ShellState{};
        ui.canvas_mode = 0;
        ui.skin = nullptr;
        ui.stroke_colour = MakeColour(0, 0, 0, 255);
        redraw_request = 0;
    }
};

TEST(HitTest, RectanglesIncludeTheirRightAndBottomEdges) {
    WidgetRecord table[] = {Area(1, 10, 20, 30, 40), End()};
    const int points[][3] = {{10, 20, 1}, {30, 40, 1}, {31, 40, 0},
                             {30, 41, 0}, {9, 20, 0},  {-1, -1, 0}};
    for (const auto& p : points) {
        const WidgetRecord* hit = p[2] ? &table[0] : nullptr;
        EXPECT_EQ(HitTestTable(ui, p[0], p[1], table), hit) << p[0] << "," << p[1];
    }
}

TEST(HitTest, FirstRecordWinsAndPagesTakePartInTheirPlace) {
    int32_t outer = 1, inner = 2;
    WidgetRecord deep[] = {Area(3, 0, 0, 50, 50), End()};
    WidgetRecord middle[] = {PageOf(&inner, 2, deep), Area(2, 0, 0, 100, 100), End()};
    WidgetRecord table[] = {Area(1, 40, 40, 60, 60), PageOf(&outer, 1, middle),
                            Area(4, 0, 0, 239, 319), End()};
    EXPECT_EQ(HitTestTable(ui, 45, 45, table)->id, 1);   // before the page
    EXPECT_EQ(HitTestTable(ui, 10, 10, table)->id, 3);   // two pages deep
    EXPECT_EQ(HitTestTable(ui, 80, 80, table)->id, 2);   // after the inner page
    EXPECT_EQ(HitTestTable(ui, 200, 200, table)->id, 4); // after the outer page
    inner = 7;
    EXPECT_EQ(HitTestTable(ui, 10, 10, table)->id, 2);
    outer = 0;
    EXPECT_EQ(HitTestTable(ui, 10, 10, table)->id, 4);

    // End-only tables and page records themselves are never hit.
    int32_t off = 0;
    WidgetRecord empty[] = {End()};
    WidgetRecord page_only[] = {PageOf(&off, 1, empty), End()};
    EXPECT_EQ(HitTestTable(ui, 0, 0, empty), nullptr);
    EXPECT_EQ(HitTestTable(ui, 0, 0, page_only), nullptr);
    off = 1;
    EXPECT_EQ(HitTestTable(ui, 0, 0, page_only), nullptr);
}

TEST(HitTest, ModeSelectorTakesItsCornerFromEveryScreen) {
    for (controls.mode = 0; controls.mode < 4; ++controls.mode) {
        for (editor.tool = 0; editor.tool < 6; ++editor.tool) {
            EXPECT_EQ(HitTestTable(ui, 230, 10, main_table), &main_table[0]) << controls.mode << " " << editor.tool;
            EXPECT_EQ(HitTestTable(ui, 240, 20, main_table), &main_table[0]) << controls.mode << " " << editor.tool;
        }
    }
    controls.mode = kModeDrawing;
    editor.tool = kToolSelectShape;
    EXPECT_EQ(HitTestTable(ui, 100, 100, main_table), &shape_tool_table[1]);
    editor.tool = kToolOutline;
    EXPECT_EQ(HitTestTable(ui, 100, 100, main_table), nullptr);
}

// Each row: where the stylus is and the value UpdateWidgetValue leaves.
struct ValueRow {
    int x, y, expected;
};

void ExpectValues(WidgetRecord w, const int32_t& value, const std::vector<ValueRow>& rows) {
    for (const ValueRow& r : rows) {
        UpdateWidgetValue(w, static_cast<int16_t>(r.x), static_cast<int16_t>(r.y));
        EXPECT_EQ(value, r.expected) << "at " << r.x << "," << r.y;
    }
}

TEST(WidgetValue, StripsGiveTheFarEdgeToTheLastItem) {
    int32_t v = -5;
    WidgetRecord across = Strip(kButtonStripHorizontal, 40, 20, 0, 50, 20, 15, 20, &v);
    for (int x = 20; x <= 50; ++x) ExpectValues(across, v, {{x, 10, x <= 34 ? 0 : 1}});
    ExpectValues(Strip(kListStripVertical, 9, 220, 0, 240, 100, 20, 20, &v), v,
                 {{230, 0, 0}, {230, 79, 3}, {230, 80, 4}, {230, 100, 4}});
}

TEST(WidgetValue, TabsCountFromTheRightOrFromTheTopAndAreNotLimited) {
    int32_t count = 2, selected = -1;
    const intptr_t tabs = WidgetParam(&count), selection = WidgetParam(&selected);
    // Number tabs 14 pixels wide; x 30 is far beyond the two tabs shown.
    ExpectValues(Record(kNumberTabs, 80, 30, 300, 239, 319, tabs, selection), selected,
                 {{239, 310, 0}, {226, 310, 0}, {225, 310, 1}, {212, 310, 1}, {30, 310, 14}});
    count = 3;
    ExpectValues(Record(kLetterTabs, 80, 0, 20, 19, 300, tabs, selection), selected,
                 {{5, 31, 0}, {5, 32, 1}, {5, 300, 23}});
}

TEST(WidgetValue, CellGridStepsBackOnlyFromOnePastTheLastCell) {
    int32_t v = 0;
    // The scale slider: 280 pixels for 64 rows of 4: rows 0..63, then 65..70 below the last.
    ExpectValues(Grid(210, 20, 229, 300, 64, 1, &v), v,
                 {{215, 272, 63}, {215, 276, 63}, {215, 280, 65}, {215, 300, 70}});
    // The frame slider: one pixel per frame, the bottom edge row 200 is 199.
    ExpectValues(Grid(220, 30, 239, 290, 200, 1, &v), v,
                 {{225, 229, 199}, {225, 230, 199}, {225, 231, 201}});
    // Rows and columns together: the colour square, and five rows of two cells 119 x 13.
    ExpectValues(Grid(60, 30, 180, 150, 120, 120, &v), v,
                 {{180, 150, 119 * 120 + 119}, {61, 32, 2 * 120 + 1}});
    ExpectValues(Grid(0, 231, 239, 300, 5, 2, &v), v, {{119, 244, 2 + 1}});
}

TEST(WidgetValue, RecordsWithoutPositiveCellSizesChangeNothing) {
    int32_t v = 42;
    const WidgetRecord records[] = {
        Grid(0, 0, 100, 100, 0, 1, &v),
        Grid(0, 0, 10, 10, 20, 1, &v),  // cells under a pixel
        Strip(kButtonStripHorizontal, 1, 0, 0, 50, 20, 0, 20, &v),
        Strip(kListStripVertical, 1, 0, 0, 20, 100, 20, 20, nullptr),
    };
    for (const WidgetRecord& w : records) ExpectValues(w, v, {{5, 5, 42}});
}

TEST_F(UiLoop, NullTableReturnsAtOnceWithoutDrawing) {
    EXPECT_EQ(RunUiLoop(ui, nullptr, nullptr), 65535);
    EXPECT_EQ(frames_presented, 0);
}

TEST_F(UiLoop, QuickTapReturnsTheWidgetIdAndClearsItsPressedFlag) {
    WidgetRecord table[] = {Area(7, 10, 10, 30, 30), End()};
    table[0].pressed = 1;  // left over from an earlier run
    StylusTap(20, 20);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 7);
    EXPECT_EQ(table[0].pressed, 0);
    EXPECT_EQ(ui.pressed_widget, &table[0]);
    EXPECT_EQ(frames_presented, 3);  // the first redraw, the press and the release
}

TEST_F(UiLoop, DraggingOffAWidgetFreezesItsValueAndReleasingOutsideReturnsNothing) {
    int32_t cell = -1;
    WidgetRecord table[] = {Strip(kButtonStripHorizontal, 40, 20, 0, 50, 20, 15, 20, &cell),
                            Area(9, 200, 200, 239, 319), End()};
    StylusDown(22, 5);
    StylusMove(40, 5);
    StylusMove(120, 100);
    StylusMove(22, 300);
    StylusUp();
    StylusTap(220, 250);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 9);
    EXPECT_EQ(cell, 1);
    EXPECT_EQ(table[0].pressed, 0);
}

TEST_F(UiLoop, ReleaseOnAnIdZeroWidgetKeepsTheLoopRunning) {
    int32_t v = 0;
    WidgetRecord table[] = {Grid(0, 0, 100, 100, 10, 10, &v), Area(5, 101, 101, 239, 319), End()};
    StylusTap(55, 35);
    StylusTap(150, 150);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 5);
    EXPECT_EQ(v, 35);
}

std::vector<int> press_flags;
std::vector<int> press_points;

void RecordPress(const WidgetRecord& w, int16_t x, int16_t y) {
    press_flags.push_back(w.pressed);
    press_points.push_back(x * 1000 + y);
}

TEST_F(UiLoop, PressFunctionSeesPressedZeroOnPenDownAndOneOnDrags) {
    press_flags.clear();
    press_points.clear();
    WidgetRecord table[] = {Record(kCustomWidget, 30, 0, 0, 240, 320, 0, WidgetParam(RecordPress)),
                            End()};
    StylusDown(10, 10);
    StylusMove(10, 10);  // no movement: no call
    StylusMove(12, 15);
    StylusMove(300, 15);  // outside the rectangle: no call
    StylusMove(14, 16);
    StylusUp();
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 30);
    EXPECT_EQ(press_flags, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(press_points, (std::vector<int>{10010, 12015, 14016}));
}

TEST_F(UiLoop, CanvasTapIsAOnePointStrokeOnlyWithACanvasMode) {
    WidgetRecord table[] = {Area(3, 0, 0, 20, 20), End()};
    StylusTap(100, 100);
    StylusTap(5, 5);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 3);

    ui.canvas_mode = kCanvasPolyline;
    StylusTap(100, 120);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 253);
    EXPECT_EQ(ui.point_count, 1);
    EXPECT_EQ(ui.stroke[1].x, 100);
    EXPECT_EQ(ui.stroke[1].y, 120);
    EXPECT_EQ(ui.stroke_active, 0);
    EXPECT_EQ(ui.pressed_widget, nullptr);
}

TEST_F(UiLoop, DragOnTheCanvasCapturesAThinnedStroke) {
    WidgetRecord table[] = {End()};
    ui.canvas_mode = kCanvasPolyline;
    StylusDown(10, 10);
    StylusMove(20, 10);
    StylusMove(30, 10);
    StylusMove(30, 20);
    StylusUp();
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 253);
    ASSERT_EQ(ui.point_count, 3);
    EXPECT_EQ(ui.stroke[2].x, 30);
    EXPECT_EQ(ui.stroke[2].y, 10);
    EXPECT_EQ(ui.stroke[3].y, 20);
    EXPECT_EQ(ui.start_x, 10);
    EXPECT_EQ(ui.start_y, 10);
    EXPECT_EQ(ui.current_x, 30);
    EXPECT_EQ(ui.current_y, 20);
}

TEST_F(UiLoop, PreviewIsDrawnOverTheSnapshotAndTheScreenComesBackOnRelease) {
    WidgetRecord table[] = {End()};
    ui.canvas_mode = kCanvasRectangle;
    StylusDown(50, 50);
    StylusMove(90, 80);
    StylusUp();
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 253);
    // The drag's frame showed the rectangle from the press point.
    EXPECT_EQ(last_frame[70 + 50 * 240], 0);
    EXPECT_EQ(last_frame[70 + 65 * 240], 0x1234);
    // Redrawing an active stroke restores the snapshot and draws the frame.
    ResetTestSurface(0x0F0F);
    ui.stroke_active = 1;
    RedrawUi(ui);
    ui.stroke_active = 0;
    EXPECT_EQ(PixelAt(50, 50), 0);
    EXPECT_EQ(PixelAt(90, 80), 0);
    EXPECT_EQ(PixelAt(70, 50), 0);
    EXPECT_EQ(PixelAt(70, 65), 0x1234);
    EXPECT_EQ(PixelAt(10, 10), 0x1234);
}

int draws = 0;
void Count(const WidgetRecord&, const SkinPicture*) { ++draws; }
void CountAndAskAgain(const WidgetRecord&, const SkinPicture*) {
    ++draws;
    redraw_request = 1;
}
int background_paints = 0;
void PaintBackground() { ++background_paints; }

TEST_F(UiLoop, OnlyPressReleaseAndFacesThatAskAgainRedraw) {
    // Four idle passes, then the press on pass 5 and the release on pass 6.
    const struct {
        WidgetDrawFunction face;
        int draws;
    } rows[] = {{Count, 1 + 2}, {CountAndAskAgain, 1 + 6}};
    for (const auto& r : rows) {
        SetUp();
        WidgetRecord table[] = {Record(kCustomWidget, 0, 0, 0, 10, 10, WidgetParam(r.face)),
                                Area(1, 100, 100, 200, 200), End()};
        draws = 0;
        for (int i = 0; i < 4; ++i) StylusIdle();
        StylusTap(150, 150);
        EXPECT_EQ(RunUiLoop(ui, table, nullptr), 1);
        EXPECT_EQ(draws, r.draws);
    }
}

TEST_F(UiLoop, EveryRedrawPaintsTheBackgroundBeforeTheWidgets) {
    draws = 0;
    background_paints = 0;
    WidgetRecord table[] = {Record(kCustomWidget, 2, 0, 0, 10, 10, WidgetParam(Count)), End()};
    StylusTap(5, 5);
    EXPECT_EQ(RunUiLoop(ui, table, PaintBackground), 2);
    EXPECT_EQ(background_paints, 3);
    EXPECT_EQ(draws, 3);
    EXPECT_EQ(ui.redraw, PaintBackground);
}

TEST_F(UiLoop, StartingALoopClearsPressedFlagsOnEveryPage) {
    int32_t off = 0;
    WidgetRecord sub[] = {Area(1, 0, 0, 5, 5), End()};
    WidgetRecord table[] = {Area(2, 0, 0, 5, 5), PageOf(&off, 1, sub), Area(3, 100, 100, 110, 110),
                            End()};
    table[0].pressed = sub[0].pressed = table[2].pressed = 1;
    StylusTap(105, 105);
    RunUiLoop(ui, table, nullptr);
    EXPECT_EQ(table[0].pressed, 0);
    EXPECT_EQ(sub[0].pressed, 0);
    EXPECT_EQ(table[2].pressed, 0);
}

TEST_F(UiLoop, ChooserPopupChoosesAnItemAndRestoresTheScreen) {
    int32_t chosen = 0;
    WidgetRecord table[] = {Strip(kChooserVertical, 100, 220, 0, 240, 20, 20, 20, &chosen, 5),
                            End()};
    background_paints = 0;
    StylusTap(230, 10);  // opens the popup
    StylusDown(230, 25);
    StylusMove(230, 65);  // dragging along the strip follows the stylus
    StylusUp();           // released on the strip: item 3
    EXPECT_EQ(RunUiLoop(ui, table, PaintBackground), 100);
    EXPECT_EQ(chosen, 3);
    EXPECT_EQ(ui.current_table, table);
    EXPECT_EQ(ui.redraw, PaintBackground);
    EXPECT_EQ(table[0].pressed, 0);
    EXPECT_EQ(chooser_popup_table[0].type, kListStripVertical);
    EXPECT_EQ(chooser_popup_table[0].id, 9999);
    EXPECT_EQ(chooser_popup_table[1].id, 9998);
    EXPECT_EQ(chooser_popup_table[2].type, kEnd);
}

TEST_F(UiLoop, PopupsOpenTowardTheMiddleAndStartAtTheEdgeTheyWouldLeave) {
    // Tap the chooser, then tap (x, y) on its popup or beside it.
    struct Row {
        WidgetRecord chooser;
        int32_t before;
        int x, y;
        int32_t after;
        int popup[4];  // x1, y1, x2, y2
    };
    int32_t chosen = 0;
    const Row rows[] = {
        {Strip(kChooserVertical, 100, 220, 0, 240, 20, 20, 20, &chosen, 5), 0, 230, 70, 3,
         {220, 0, 240, 100}},
        {Strip(kChooserVertical, 1, 0, 300, 20, 320, 20, 20, &chosen, 5), 0, 10, 310, 4,
         {0, 220, 20, 320}},
        {Strip(kChooserHorizontal, 2, 200, 50, 220, 70, 20, 20, &chosen, 4), 0, 145, 60, 0,
         {140, 50, 220, 70}},
        {Strip(kChooserHorizontal, 3, 10, 50, 30, 70, 20, 20, &chosen, 4), 0, 75, 60, 3,
         {10, 50, 90, 70}},
        {Strip(kChooserVertical, 4, 0, 170, 20, 190, 20, 20, &chosen, 12), 1, 10, 5, 0,
         {0, 0, 20, 240}},
        // Tapping beside the popup keeps the value.
        {Strip(kChooserVertical, 10, 200, 0, 220, 20, 20, 20, &chosen, 6), 2, 100, 200, 2,
         {200, 0, 220, 120}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "chooser " << r.chooser.id);
        SetUp();
        WidgetRecord table[] = {r.chooser, End()};
        chosen = r.before;
        StylusTap((r.chooser.x1 + r.chooser.x2) / 2, (r.chooser.y1 + r.chooser.y2) / 2);
        StylusTap(r.x, r.y);
        EXPECT_EQ(RunUiLoop(ui, table, nullptr), r.chooser.id);
        EXPECT_EQ(chosen, r.after);
        const WidgetRecord& popup = chooser_popup_table[0];
        const bool vertical = r.chooser.type == kChooserVertical;
        EXPECT_EQ(popup.type, vertical ? kListStripVertical : kListStripHorizontal);
        EXPECT_EQ(std::vector<int>({popup.x1, popup.y1, popup.x2, popup.y2}),
                  std::vector<int>(r.popup, r.popup + 4));
    }
}

}  // namespace
