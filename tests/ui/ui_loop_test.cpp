#include "ui/ui_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "screens/layout_tables.h"
#include "screens/screen_state.h"
#include "stylus_script.h"
#include "support/test_surface.h"
#include "ui/stroke.h"

namespace {

constexpr WidgetRecord End() { return {kEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0}; }

WidgetRecord Area(uint16_t id, int x1, int y1, int x2, int y2) {
    return {kHitArea, id, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), 0, 0, 0, 0, nullptr, 0, 0};
}

WidgetRecord PageOf(int32_t* selector, int32_t value, WidgetRecord* sub) {
    return {kPage, 0, 0, 0, 0, 0, WidgetParam(selector), value, WidgetParam(sub), 0, nullptr, 0, 0};
}

WidgetRecord Strip(uint8_t type, uint16_t id, int x1, int y1, int x2, int y2, int item_w,
                   int item_h, int32_t* bound, int32_t count = 0) {
    return {type, id, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), 0, 0, item_w, item_h, bound,
            count, 0};
}

WidgetRecord Grid(int x1, int y1, int x2, int y2, int rows, int columns, int32_t* value) {
    return {kCellGrid, 0, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), WidgetParam(value), rows,
            columns, 0, nullptr, 0, 0};
}

WidgetRecord Tabs(uint8_t type, int x1, int y1, int x2, int y2, int32_t* count, int32_t* selected) {
    return {type, 80, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), WidgetParam(count),
            WidgetParam(selected), 0, 0, nullptr, 0, 0};
}

class UiLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetTestSurface(0x1234);
        StartStylusScript();
        ui.canvas_mode = 0;
        ui.skin = nullptr;
        ui.stroke_colour = MakeColour(0, 0, 0, 255);
        redraw_request = 0;
    }
};

// ---------------------------------------------------------------------------
// Hit testing
// ---------------------------------------------------------------------------
TEST(HitTest, RectanglesIncludeTheirRightAndBottomEdges) {
    WidgetRecord table[] = {Area(1, 10, 20, 30, 40), End()};
    EXPECT_EQ(HitTestTable(ui, 10, 20, table), &table[0]);
    EXPECT_EQ(HitTestTable(ui, 30, 40, table), &table[0]);
    EXPECT_EQ(HitTestTable(ui, 31, 40, table), nullptr);
    EXPECT_EQ(HitTestTable(ui, 30, 41, table), nullptr);
    EXPECT_EQ(HitTestTable(ui, 9, 20, table), nullptr);
    EXPECT_EQ(HitTestTable(ui, -1, -1, table), nullptr);
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
}

TEST(HitTest, EndOnlyTablesAndPageRecordsAreNeverHit) {
    int32_t off = 0;
    WidgetRecord empty[] = {End()};
    WidgetRecord table[] = {PageOf(&off, 1, empty), End()};
    EXPECT_EQ(HitTestTable(ui, 0, 0, empty), nullptr);
    EXPECT_EQ(HitTestTable(ui, 0, 0, table), nullptr);
    off = 1;
    EXPECT_EQ(HitTestTable(ui, 0, 0, table), nullptr);
}

TEST(HitTest, ModeSelectorTakesItsCornerFromEveryScreen) {
    for (int32_t m = 0; m < 4; ++m) {
        for (int32_t t = 0; t < 6; ++t) {
            mode = m;
            tool = t;
            EXPECT_EQ(HitTestTable(ui, 230, 10, main_table), &main_table[0]) << m << " " << t;
            EXPECT_EQ(HitTestTable(ui, 240, 20, main_table), &main_table[0]) << m << " " << t;
        }
    }
    mode = kModeDrawing;
    tool = kToolSelectShape;
    EXPECT_EQ(HitTestTable(ui, 100, 100, main_table), &shape_tool_table[1]);
    tool = kToolOutline;
    EXPECT_EQ(HitTestTable(ui, 100, 100, main_table), nullptr);
    mode = kModeDrawing;
}

// ---------------------------------------------------------------------------
// Value updates
// ---------------------------------------------------------------------------
TEST(WidgetValue, HorizontalStripGivesTheFarEdgeToTheLastItem) {
    int32_t v = -5;
    WidgetRecord w = Strip(kButtonStripHorizontal, 40, 20, 0, 50, 20, 15, 20, &v);
    for (int x = 20; x <= 50; ++x) {
        UpdateWidgetValue(w, static_cast<int16_t>(x), 10);
        EXPECT_EQ(v, x <= 34 ? 0 : 1) << x;
    }
}

TEST(WidgetValue, VerticalStripCountsItemsDownward) {
    int32_t v = -1;
    WidgetRecord w = Strip(kListStripVertical, 9, 220, 0, 240, 100, 20, 20, &v);
    UpdateWidgetValue(w, 230, 0);
    EXPECT_EQ(v, 0);
    UpdateWidgetValue(w, 230, 79);
    EXPECT_EQ(v, 3);
    UpdateWidgetValue(w, 230, 80);
    EXPECT_EQ(v, 4);
    UpdateWidgetValue(w, 230, 100);
    EXPECT_EQ(v, 4);
}

TEST(WidgetValue, NumberTabsCountFromTheRightAndAreNotLimited) {
    int32_t count = 2, selected = -1;
    WidgetRecord w = Tabs(kNumberTabs, 30, 300, 239, 319, &count, &selected);
    UpdateWidgetValue(w, 239, 310);
    EXPECT_EQ(selected, 0);
    UpdateWidgetValue(w, 226, 310);
    EXPECT_EQ(selected, 0);
    UpdateWidgetValue(w, 225, 310);
    EXPECT_EQ(selected, 1);
    UpdateWidgetValue(w, 212, 310);
    EXPECT_EQ(selected, 1);
    UpdateWidgetValue(w, 30, 310);
    EXPECT_EQ(selected, 14);  // far beyond the two tabs shown
}

TEST(WidgetValue, LetterTabsCountTwelvePixelRows) {
    int32_t count = 3, selected = -1;
    WidgetRecord w = Tabs(kLetterTabs, 0, 20, 19, 300, &count, &selected);
    UpdateWidgetValue(w, 5, 31);
    EXPECT_EQ(selected, 0);
    UpdateWidgetValue(w, 5, 32);
    EXPECT_EQ(selected, 1);
    UpdateWidgetValue(w, 5, 300);
    EXPECT_EQ(selected, 23);
}

TEST(WidgetValue, CellGridStepsBackOnlyFromOnePastTheLastCell) {
    int32_t v = 0;
    // 280 pixels for 64 rows of 4: rows 0..63, then 65..70 below the last.
    WidgetRecord scale = Grid(210, 20, 229, 300, 64, 1, &v);
    UpdateWidgetValue(scale, 215, 20 + 4 * 63);
    EXPECT_EQ(v, 63);
    UpdateWidgetValue(scale, 215, 20 + 4 * 64);
    EXPECT_EQ(v, 63);
    UpdateWidgetValue(scale, 215, 20 + 4 * 65);
    EXPECT_EQ(v, 65);
    UpdateWidgetValue(scale, 215, 300);
    EXPECT_EQ(v, 70);
    // The frame slider: one pixel per frame, the bottom edge row 200 is 199.
    WidgetRecord frames = Grid(220, 30, 239, 290, 200, 1, &v);
    UpdateWidgetValue(frames, 225, 229);
    EXPECT_EQ(v, 199);
    UpdateWidgetValue(frames, 225, 230);
    EXPECT_EQ(v, 199);
    UpdateWidgetValue(frames, 225, 231);
    EXPECT_EQ(v, 201);
    // Rows and columns together: the colour square's far corner.
    WidgetRecord square = Grid(60, 30, 180, 150, 120, 120, &v);
    UpdateWidgetValue(square, 180, 150);
    EXPECT_EQ(v, 119 * 120 + 119);
    UpdateWidgetValue(square, 61, 32);
    EXPECT_EQ(v, 2 * 120 + 1);
    // Five rows of two cells 119 x 13.
    WidgetRecord entries = Grid(0, 231, 239, 300, 5, 2, &v);
    UpdateWidgetValue(entries, 119, 244);
    EXPECT_EQ(v, 2 + 1);
}

TEST(WidgetValue, RecordsWithoutPositiveCellSizesChangeNothing) {
    int32_t v = 42;
    WidgetRecord no_rows = Grid(0, 0, 100, 100, 0, 1, &v);
    WidgetRecord too_many = Grid(0, 0, 10, 10, 20, 1, &v);  // cells under a pixel
    WidgetRecord no_items = Strip(kButtonStripHorizontal, 1, 0, 0, 50, 20, 0, 20, &v);
    WidgetRecord no_bound = Strip(kListStripVertical, 1, 0, 0, 20, 100, 20, 20, nullptr);
    UpdateWidgetValue(no_rows, 5, 5);
    UpdateWidgetValue(too_many, 5, 5);
    UpdateWidgetValue(no_items, 5, 5);
    UpdateWidgetValue(no_bound, 5, 5);
    EXPECT_EQ(v, 42);
}

// ---------------------------------------------------------------------------
// The loop: press, drag, release
// ---------------------------------------------------------------------------
TEST_F(UiLoop, NullTableReturnsAtOnceWithoutDrawing) {
    EXPECT_EQ(RunUiLoop(ui, nullptr, nullptr), 65535);
    EXPECT_EQ(FramesPresented(), 0);
}

TEST_F(UiLoop, QuickTapReturnsTheWidgetIdAndClearsItsPressedFlag) {
    WidgetRecord table[] = {Area(7, 10, 10, 30, 30), End()};
    table[0].pressed = 1;  // left over from an earlier run
    StylusTap(20, 20);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 7);
    EXPECT_EQ(table[0].pressed, 0);
    EXPECT_EQ(ui.pressed_widget, &table[0]);
    // The first redraw, the press and the release.
    EXPECT_EQ(FramesPresented(), 3);
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
    WidgetRecord table[] = {{kCustomWidget, 30, 0, 0, 240, 320, 0, WidgetParam(RecordPress), 0, 0,
                             nullptr, 0, 0},
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

// ---------------------------------------------------------------------------
// Canvas strokes
// ---------------------------------------------------------------------------
TEST_F(UiLoop, CanvasTapWithoutCanvasModeReturnsNothing) {
    WidgetRecord table[] = {Area(3, 0, 0, 20, 20), End()};
    StylusTap(100, 100);
    StylusTap(5, 5);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 3);
}

TEST_F(UiLoop, CanvasTapWithACanvasModeIsAOnePointStroke) {
    WidgetRecord table[] = {End()};
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
    EXPECT_EQ(LastFrame()[70 + 50 * 240], 0);
    EXPECT_EQ(LastFrame()[70 + 65 * 240], 0x1234);
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

// ---------------------------------------------------------------------------
// Redraw requests
// ---------------------------------------------------------------------------
int draws = 0;
void Count(const WidgetRecord&, const SkinPicture*) { ++draws; }
void CountAndAskAgain(const WidgetRecord&, const SkinPicture*) {
    ++draws;
    redraw_request = 1;
}

TEST_F(UiLoop, AFaceThatAsksForRedrawGetsOneOnEveryPass) {
    WidgetRecord table[] = {{kCustomWidget, 0, 0, 0, 10, 10, WidgetParam(CountAndAskAgain), 0, 0,
                             0, nullptr, 0, 0},
                            Area(1, 100, 100, 200, 200), End()};
    draws = 0;
    for (int i = 0; i < 4; ++i) StylusIdle();
    StylusTap(150, 150);  // press on pass 5, release on pass 6
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 1);
    EXPECT_EQ(draws, 1 + 6);
}

TEST_F(UiLoop, WithoutRequestsOnlyPressAndReleaseRedraw) {
    WidgetRecord table[] = {{kCustomWidget, 0, 0, 0, 10, 10, WidgetParam(Count), 0, 0, 0, nullptr,
                             0, 0},
                            Area(1, 100, 100, 200, 200), End()};
    draws = 0;
    for (int i = 0; i < 4; ++i) StylusIdle();
    StylusTap(150, 150);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 1);
    EXPECT_EQ(draws, 1 + 2);
}

int background_paints = 0;
void PaintBackground() { ++background_paints; }

TEST_F(UiLoop, EveryRedrawPaintsTheBackgroundBeforeTheWidgets) {
    draws = 0;
    background_paints = 0;
    WidgetRecord table[] = {{kCustomWidget, 2, 0, 0, 10, 10, WidgetParam(Count), 0, 0, 0, nullptr,
                             0, 0},
                            End()};
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

// ---------------------------------------------------------------------------
// Chooser popups
// ---------------------------------------------------------------------------
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
    // The popup strip spans five items downward from the chooser.
    EXPECT_EQ(chooser_popup_table[0].type, kListStripVertical);
    EXPECT_EQ(chooser_popup_table[0].id, 9999);
    EXPECT_EQ(chooser_popup_table[0].y1, 0);
    EXPECT_EQ(chooser_popup_table[0].y2, 100);
    EXPECT_EQ(chooser_popup_table[0].x1, 220);
    EXPECT_EQ(chooser_popup_table[0].x2, 240);
    EXPECT_EQ(chooser_popup_table[1].id, 9998);
    EXPECT_EQ(chooser_popup_table[2].type, kEnd);
}

TEST_F(UiLoop, TappingBesideTheChooserPopupKeepsTheValue) {
    int32_t chosen = 2;
    WidgetRecord table[] = {Strip(kChooserVertical, 10, 200, 0, 220, 20, 20, 20, &chosen, 6),
                            End()};
    StylusTap(210, 10);
    StylusTap(100, 200);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 10);
    EXPECT_EQ(chosen, 2);
}

TEST_F(UiLoop, PopupsOpenTowardTheMiddleOfTheScreen) {
    int32_t chosen = 0;
    WidgetRecord low[] = {Strip(kChooserVertical, 1, 0, 300, 20, 320, 20, 20, &chosen, 5), End()};
    StylusTap(10, 310);
    StylusTap(10, 310);  // the last item of the upward popup sits on the chooser
    EXPECT_EQ(RunUiLoop(ui, low, nullptr), 1);
    EXPECT_EQ(chooser_popup_table[0].y1, 220);
    EXPECT_EQ(chooser_popup_table[0].y2, 320);
    EXPECT_EQ(chosen, 4);

    WidgetRecord right[] = {Strip(kChooserHorizontal, 2, 200, 50, 220, 70, 20, 20, &chosen, 4),
                            End()};
    StylusTap(210, 60);
    StylusTap(145, 60);
    EXPECT_EQ(RunUiLoop(ui, right, nullptr), 2);
    EXPECT_EQ(chooser_popup_table[0].type, kListStripHorizontal);
    EXPECT_EQ(chooser_popup_table[0].x1, 140);
    EXPECT_EQ(chooser_popup_table[0].x2, 220);
    EXPECT_EQ(chooser_popup_table[0].y1, 50);
    EXPECT_EQ(chosen, 0);

    WidgetRecord left[] = {Strip(kChooserHorizontal, 3, 10, 50, 30, 70, 20, 20, &chosen, 4),
                           End()};
    StylusTap(20, 60);
    StylusTap(75, 60);
    EXPECT_EQ(RunUiLoop(ui, left, nullptr), 3);
    EXPECT_EQ(chooser_popup_table[0].x1, 10);
    EXPECT_EQ(chooser_popup_table[0].x2, 90);
    EXPECT_EQ(chosen, 3);
}

TEST_F(UiLoop, PopupThatWouldLeaveTheScreenStartsAtItsEdge) {
    int32_t chosen = 1;
    WidgetRecord table[] = {Strip(kChooserVertical, 4, 0, 170, 20, 190, 20, 20, &chosen, 12),
                            End()};
    StylusTap(10, 180);
    StylusTap(10, 5);
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 4);
    EXPECT_EQ(chooser_popup_table[0].y1, 0);
    EXPECT_EQ(chooser_popup_table[0].y2, 240);
    EXPECT_EQ(chosen, 0);
}

}  // namespace
