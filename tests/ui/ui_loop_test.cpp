// The UI loop: hit testing, value updates, chooser popups, and whole loops
// driven by session scripts on the headless backend.
#include "ui/ui_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/headless_session.h"
#include "ui/stroke.h"
#include "widget_records.h"

namespace {

WidgetRecord Strip(uint8_t type, int x1, int y1, int x2, int y2, int item_w, int item_h, int32_t* v, int n = 0) {
    return Record(type, 40, x1, y1, x2, y2, 0, 0, item_w, item_h, v, n);
}
WidgetRecord Grid(int x1, int y1, int x2, int y2, int rows, int columns, int32_t* v) {
    return Record(kCellGrid, 0, x1, y1, x2, y2, WidgetParam(v), rows, columns);
}

// The far edge belongs to the last item; a grid steps back only from one
// past its last row or column; tabs count from the right or the top and are
// not limited; records without a positive cell size change nothing.
TEST(WidgetValue, EachTypeTakesItsValueFromTheStylus) {
    int32_t v = 0, count = 2;
    const struct { WidgetRecord w; int x, y, expected; } rows[] = {
        {Strip(kButtonStripHorizontal, 20, 0, 50, 20, 15, 20, &v), 50, 10, 1},
        {Strip(kListStripVertical, 220, 0, 240, 100, 30, 20, &v), 230, 79, 3},
        {Strip(kButtonStripVertical, 0, 0, 20, 100, 30, 20, &v), 5, 45, 2},
        {Grid(210, 20, 229, 300, 64, 1, &v), 215, 280, 65},  // rows 0..63, then 65..70 below the last
        {Grid(220, 30, 239, 290, 200, 1, &v), 225, 230, 199},
        {Grid(60, 30, 180, 150, 120, 120, &v), 180, 150, 119 * 120 + 119},
        {Grid(0, 33, 239, 49, 1, 15, &v), 15, 40, 1},
        {Grid(0, 231, 239, 300, 5, 2, &v), 119, 244, 3},
        {Record(kNumberTabs, 80, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&v)), 225, 310, 1},
        {Record(kNumberTabs, 80, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&v)), 30, 310, 14},
        {Record(kLetterTabs, 80, 0, 20, 19, 300, WidgetParam(&count), WidgetParam(&v)), 5, 300, 23},
        {Grid(0, 0, 10, 10, 20, 1, &v), 5, 5, -7},  // cells under a pixel
        {Strip(kButtonStripHorizontal, 0, 0, 50, 20, 0, 20, &v), 5, 5, -7},
    };
    for (const auto& r : rows) {
        v = -7;
        WidgetRecord w = r.w;
        UpdateWidgetValue(w, int16_t(r.x), int16_t(r.y));
        EXPECT_EQ(v, r.expected) << "type " << int(r.w.type) << " at " << r.x << "," << r.y;
    }
}

class UiLoop : public HeadlessSession {};

// Tap the chooser, then (x, y) on its popup or beside it: the popup opens
// toward the middle, starting at the edge it would leave.
TEST_F(UiLoop, ChooserPopupsOpenTowardTheMiddleAndChooseAnItem) {
    int32_t chosen = 0;
    const struct { WidgetRecord chooser; int x, y, after, popup[4]; } rows[] = {
        {Strip(kChooserVertical, 0, 300, 20, 320, 20, 20, &chosen, 5), 10, 310, 4, {0, 220, 20, 320}},
        {Strip(kChooserVertical, 0, 140, 20, 160, 20, 20, &chosen, 3), 10, 170, 1, {0, 140, 20, 200}},
        {Strip(kChooserHorizontal, 160, 50, 180, 70, 20, 20, &chosen, 4), 105, 60, 0, {100, 50, 180, 70}},
        {Strip(kChooserVertical, 0, 170, 20, 190, 20, 20, &chosen, 12), 10, 5, 0, {0, 0, 20, 240}},
    };
    for (const auto& r : rows) {
        WidgetRecord table[] = {r.chooser, End()};
        chosen = 2;
        Script("tap " + std::to_string((r.chooser.x1 + r.chooser.x2) / 2) + " " +
               std::to_string((r.chooser.y1 + r.chooser.y2) / 2) + "\ntap " + std::to_string(r.x) + " " + std::to_string(r.y));
        EXPECT_EQ(RunUiLoop(ui, table, nullptr), 40);
        EXPECT_EQ(chosen, r.after) << r.x << "," << r.y;
        const WidgetRecord& popup = chooser_popup_table[0];
        EXPECT_EQ(popup.type, r.chooser.type == kChooserVertical ? kListStripVertical : kListStripHorizontal);
        EXPECT_EQ(std::vector<int>({popup.x1, popup.y1, popup.x2, popup.y2}), std::vector<int>(r.popup, r.popup + 4))
            << r.x << "," << r.y;
    }
}

// A press takes the value and the pressed flag; dragging off freezes the
// value; a release outside returns nothing, a release on an id-0 widget keeps
// the loop running; the release clears the flag. Starting clears every flag.
TEST_F(UiLoop, ReleaseInsideReturnsTheIdAndFlagsAreCleared) {
    int32_t cell = -1, grid = 0, off = 0;
    WidgetRecord sub[] = {Area(1, 0, 0, 5, 5), End()};
    WidgetRecord table[] = {Strip(kButtonStripHorizontal, 20, 0, 50, 20, 15, 20, &cell), Grid(0, 100, 100, 200, 10, 10, &grid),
                            PageOf(&off, 1, sub), Area(9, 200, 200, 239, 319), End()};
    sub[0].pressed = table[3].pressed = 1;
    EXPECT_EQ(RunUiLoop(ui, nullptr, nullptr), 65535);
    Script("down 22 5\nmove 40 5\nmove 120 100\nmove 22 300\nup\ntap 55 135\ntap 220 250");
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 9);
    EXPECT_EQ(cell, 1);
    EXPECT_EQ(grid, 35);
    EXPECT_EQ(sub[0].pressed + table[0].pressed + table[3].pressed, 0);
    EXPECT_EQ(HeadlessFramesPresented(), 8u) << "the first redraw, the move inside, press and release of each";
}

// A canvas stroke ends the loop with 253 only with a canvas mode; its preview
// is drawn over the snapshot taken at the pen-down, which each frame restores.
TEST_F(UiLoop, CanvasStrokesArePreviewedOverTheSnapshotAndEndTheLoop) {
    WidgetRecord table[] = {Area(3, 0, 0, 20, 20), End()};
    Script("tap 100 100\ntap 5 5");
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 3);
    ui.canvas_mode = kCanvasRectangle;
    ui.stroke_colour = MakeColour(0, 0, 0, 255);
    ResetTestSurface(0x1234);
    Script("down 50 50\nmove 90 80\nmove 70 70\nup");
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), kStrokeFinished);
    EXPECT_EQ(ui.point_count, 3);
    EXPECT_EQ(ui.start_x * 1000 + ui.start_y, 50050);
    EXPECT_EQ(ui.current_x * 1000 + ui.current_y, 70070);
    EXPECT_EQ(ui.stroke_active, 0);
    EXPECT_EQ(Shown(60, 50), 0) << "the last preview";
    EXPECT_EQ(Shown(80, 50), 0x1234) << "the earlier preview is gone";
    Script("tap 30 40");
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), kStrokeFinished);
    EXPECT_EQ(ui.point_count, 1);
    EXPECT_EQ(ui.stroke[1].x * 1000 + ui.stroke[1].y, 30040);
    EXPECT_EQ(ui.pressed_widget, nullptr);
}

}  // namespace
