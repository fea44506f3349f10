// Widgets and the UI loop: images from the skin, value updates, chooser
// popups, and whole loops driven by session scripts on the headless backend.
#include "ui/ui_loop.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <string>
#include <vector>

#include "support/headless_session.h"
#include "ui/stroke.h"
#include "ui/widgets.h"

namespace {

// A layout record in table order; what a test leaves out is zero.
WidgetRecord Record(uint8_t type, uint16_t id, int x1, int y1, int x2, int y2, intptr_t a = 0, intptr_t b = 0,
                    intptr_t c = 0, intptr_t d = 0, int32_t* bound = nullptr, int32_t count = 0) {
    return {type, id, uint16_t(x1), uint16_t(y1), uint16_t(x2), uint16_t(y2), a, b, c, d, bound, count, 0};
}
WidgetRecord End() { return Record(kEnd, 0, 0, 0, 0, 0); }
WidgetRecord Area(uint16_t id, int x1, int y1, int x2, int y2) { return Record(kHitArea, id, x1, y1, x2, y2); }

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
                            Record(kPage, 0, 0, 0, 0, 0, WidgetParam(&off), 1, WidgetParam(sub)), Area(9, 200, 200, 239, 319), End()};
    sub[0].pressed = table[3].pressed = 1;
    EXPECT_EQ(RunUiLoop(ui, nullptr, nullptr), 65535);
    Script("down 22 5\nmove 40 5\nmove 120 100\nmove 22 300\nup\ntap 55 135\ntap 220 250");
    EXPECT_EQ(RunUiLoop(ui, table, nullptr), 9);
    EXPECT_EQ(cell, 1);
    EXPECT_EQ(grid, 35);
    EXPECT_EQ(sub[0].pressed + table[0].pressed + table[3].pressed, 0);
    EXPECT_EQ(HeadlessFramesPresented(), 8u) << "the first redraw, the move inside, press and release of each";
}

// A canvas stroke ends the loop with 253 only with a canvas mode; the
// preview of its mode's shape, in the stroke colour, is drawn over the screen
// saved at the pen-down, which each frame restores. Each row: the mode, the
// stylus path, pixels shown red and one showing the saved screen.
TEST_F(UiLoop, CanvasStrokesArePreviewedInTheirModesShapeAndEndTheLoop) {
    using Points = std::vector<std::array<int, 2>>;
    const struct { int16_t mode; Points path, red; std::array<int, 2> saved; } rows[] = {
        {kCanvasNone, {{100, 100}}, {}, {100, 100}},
        {kCanvasRectangle, {{50, 50}, {90, 80}, {70, 70}}, {{60, 50}, {50, 60}}, {80, 50}},  // the earlier preview is gone
        {kCanvasFilled, {{30, 30}, {100, 30}, {100, 100}, {30, 100}}, {{60, 60}}, {150, 60}},
        {kCanvasLine, {{30, 10}, {70, 10}}, {{50, 10}}, {50, 11}},
        {kCanvasCircle, {{120, 160}, {120, 180}}, {{120, 179}, {101, 160}}, {120, 160}},  // radius 19
        {kCanvasEllipse, {{120, 160}, {150, 150}}, {{150, 160}, {90, 160}, {120, 150}, {120, 170}}, {120, 160}},
        {kCanvasPolyline, {{30, 200}, {100, 200}, {100, 260}}, {{60, 200}, {100, 230}}, {60, 230}},
    };
    WidgetRecord table[] = {Area(3, 0, 0, 20, 20), End()};
    for (const auto& r : rows) {
        ResetTestSurface(0x1234);
        ui.canvas_mode = r.mode;
        ui.stroke_colour = MakeColour(255, 0, 0, 255);
        std::string script = "down " + std::to_string(r.path[0][0]) + " " + std::to_string(r.path[0][1]);
        for (size_t i = 1; i < r.path.size(); ++i) script += "\nmove " + std::to_string(r.path[i][0]) + " " + std::to_string(r.path[i][1]);
        Script(script + (r.mode == kCanvasNone ? "\nup\ntap 5 5" : "\nup"));
        EXPECT_EQ(RunUiLoop(ui, table, nullptr), r.mode == kCanvasNone ? 3 : kStrokeFinished) << "mode " << r.mode;
        for (const auto& [x, y] : r.red) EXPECT_EQ(Shown(x, y), 0xF800) << "mode " << r.mode << " at " << x << "," << y;
        EXPECT_EQ(Shown(r.saved[0], r.saved[1]), 0x1234) << "mode " << r.mode;
    }
}

// A 64 x 64 skin whose every pixel names its own position (red x, green y);
// each probe is a screen pixel and the skin pixel it shows, or -1 for black.
TEST(WidgetDrawing, ImagesComeFromTheirPlaceInTheSkinAndNeverFromOutsideIt) {
    ResetTestSurface(0);
    std::vector<uint8_t> rgb(64 * 64 * 3);
    for (int i = 0; i < 64 * 64; ++i) {
        rgb[i * 3] = uint8_t((i % 64 & 31) << 3);
        rgb[i * 3 + 1] = uint8_t(i / 64 << 2);
        rgb[i * 3 + 2] = uint8_t((i % 64 >> 5) << 7 | 8);
    }
    SkinPicture* skin = PictureFromRgb(surface, 64, 64, rgb.data());
    ASSERT_NE(skin, nullptr);
    int32_t v = 0;
    const struct { WidgetRecord w; int32_t value; uint8_t pressed; std::vector<std::array<int, 4>> probes; } rows[] = {
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 0, {{100, 100, 2, 3}, {109, 104, 11, 7}, {110, 104, -1, -1}}},
        {Record(kImageButton, 1, 100, 100, 110, 105, 2, 3, 20, 30), 0, 1, {{100, 100, 20, 30}}},
        {Record(kButtonStripVertical, 1, 200, 0, 210, 40, 4, 0, 10, 10, &v), 2, 1, {{200, 0, 4, 0}, {200, 20, 14, 20}}},
        {Record(kButtonStripHorizontal, 1, 20, 0, 50, 20, 0, 10, 15, 20, &v), 1, 0, {{35, 0, 15, 10}}},
        {Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5), 2, 0, {{0, 0, 20, 40}}},  // the item's highlight
        {Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5), 40, 0, {{0, 0, -1, -1}}},
        {Record(kChooserVertical, 1, 0, 0, 20, 20, 0, 0, 20, 20, &v, 5), -1, 0, {{0, 0, -1, -1}}},
        {Record(kListStripHorizontal, 1, 0, 100, 60, 120, 0, 44, 20, 20, &v), 1 << 30, 0, {{20, 100, 20, 44}}},
        {Record(kListStripHorizontal, 1, 0, 100, 60, 120, 44, 0, 20, 20, &v), 0, 0, {{19, 100, 63, 20}, {20, 100, -1, -1}}},
    };
    for (const auto& r : rows) {
        ResetTestSurface(0);
        WidgetRecord w = r.w;
        w.pressed = r.pressed;
        v = r.value;
        DrawWidget(w, skin);
        for (const auto& p : r.probes)
            EXPECT_EQ(PixelAt(p[0], p[1]), p[2] < 0 ? 0 : skin->words[p[3] * 64 + p[2]])
                << "type " << int(w.type) << ", pressed " << int(r.pressed) << " at " << p[0] << "," << p[1];
    }
    // Of three tabs the second, selected, is yellow and the others green;
    // number tabs run left from the right end, letter tabs down from the top.
    int32_t count = 3;
    v = 1;
    ResetTestSurface(0);
    DrawWidget(Record(kNumberTabs, 0, 30, 300, 239, 319, WidgetParam(&count), WidgetParam(&v)), skin);
    DrawWidget(Record(kLetterTabs, 0, 0, 20, 19, 300, WidgetParam(&count), WidgetParam(&v)), skin);
    for (auto [x, y, word] : {std::tuple(205, 316, 0x0640), {215, 316, 0xCE40}, {15, 24, 0x0640}, {4, 40, 0xCE40}})
        EXPECT_EQ(PixelAt(x, y), word) << x << "," << y;
    FreeSkinPicture(skin);
}

}  // namespace
