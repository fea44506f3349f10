// The modal UI loop: hit testing, value updates, chooser popups and the
// redraw that paints the screen or the stroke preview.
#include "ui/ui_loop.h"

#include "input/input.h"
#include "ui/stroke.h"

UiState ui;
uint8_t redraw_request;
WidgetRecord chooser_popup_table[3];

// ---------------------------------------------------------------------------
// Hit testing and pressed flags
// ---------------------------------------------------------------------------
// Table order decides: the first record containing the point wins, and an
// active page is searched in its place before the records after it.
WidgetRecord* HitTestTable(UiState& ui, int16_t x, int16_t y, WidgetRecord* table) {
    if (table == nullptr) return nullptr;
    for (WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            if (!PageActive(*w)) continue;
            WidgetRecord* hit = HitTestTable(ui, x, y, PageTableOf(*w));
            if (hit != nullptr) return hit;
        } else if (WidgetContains(*w, x, y)) {
            return w;
        }
    }
    return nullptr;
}

// Every page is cleared, shown or not, so that no flag survives a mode change.
void ClearPressedFlags(UiState& ui, WidgetRecord* table) {
    if (table == nullptr) return;
    for (WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            ClearPressedFlags(ui, PageTableOf(*w));
        } else {
            w->pressed = 0;
        }
    }
}

// ---------------------------------------------------------------------------
// Value updates
// ---------------------------------------------------------------------------
static void Store(int32_t* variable, int64_t value) {
    if (variable != nullptr) *variable = static_cast<int32_t>(value);
}

// The item under the point; the far edge belongs to the last item. Divisions
// truncate toward zero. A record without a positive item size changes nothing.
static void UpdateStrip(const WidgetRecord& w, int32_t offset, int32_t extent, intptr_t item) {
    if (item < 1) return;
    int64_t v = offset / item;
    if (v * item >= extent) v -= 1;
    Store(w.bound, v);
}

// Steps back only from exactly one past the last row or column: when the
// extent is not a multiple of the count, values beyond the count remain.
static void UpdateCellGrid(const WidgetRecord& w, int32_t x, int32_t y) {
    const intptr_t rows = w.b, columns = w.c;
    if (rows < 1 || columns < 1) return;
    const int64_t cell_height = (w.y2 - w.y1) / rows;
    const int64_t cell_width = (w.x2 - w.x1) / columns;
    if (cell_height < 1 || cell_width < 1) return;
    int64_t column = (x - w.x1) / cell_width;
    if (column == columns) column = columns - 1;
    int64_t row = (y - w.y1) / cell_height;
    if (row == rows) row = rows - 1;
    Store(GridValueOf(w), row * columns + column);
}

void UpdateWidgetValue(WidgetRecord& w, int16_t x, int16_t y) {
    switch (w.type) {
    case kListStripVertical:
    case kButtonStripVertical:
        UpdateStrip(w, y - w.y1, w.y2 - w.y1, w.d);
        break;
    case kListStripHorizontal:
    case kButtonStripHorizontal:
        UpdateStrip(w, x - w.x1, w.x2 - w.x1, w.c);
        break;
    case kCustomWidget:
        if (CustomPressOf(w) != nullptr) CustomPressOf(w)(w, x, y);
        break;
    case kCellGrid:
        UpdateCellGrid(w, x, y);
        break;
    case kNumberTabs:  // not limited to the tab count
        Store(TabSelectionOf(w), (w.x2 - x) / kNumberTabWidth);
        break;
    case kLetterTabs:
        Store(TabSelectionOf(w), (y - w.y1) / kLetterTabHeight);
        break;
    default:  // image buttons, choosers and hit areas only take the pressed flag
        break;
    }
}

// ---------------------------------------------------------------------------
// Chooser popups
// ---------------------------------------------------------------------------
// Start of a popup of `length` pixels from a chooser at first..last: a chooser
// starting before the turning point opens forward, one after it backward (so
// the popups of the top bar open downward), kept on the screen.
constexpr int32_t kPopupTurn = 160;
static int32_t PopupStart(int32_t first, int32_t last, int32_t length, int32_t middle) {
    int32_t start = first < middle ? first : last - length;
    if (start < 0) start = 0;
    return start;
}

void OpenChooserPopup(WidgetRecord& w) {
    const int32_t n = static_cast<int16_t>(w.count);
    if (n < 1) return;  // nothing to choose from
    WidgetRecord strip = w;
    strip.id = kPickerExit;
    strip.pressed = 0;
    if (w.type == kChooserVertical) {
        const int32_t length = (w.y2 - w.y1) * n;
        const int32_t start = PopupStart(w.y1, w.y2, length, kPopupTurn);
        strip.type = kListStripVertical;
        strip.y1 = static_cast<uint16_t>(start);
        strip.y2 = static_cast<uint16_t>(start + length);
    } else {
        const int32_t length = (w.x2 - w.x1) * n;
        const int32_t start = PopupStart(w.x1, w.x2, length, kPopupTurn);
        strip.type = kListStripHorizontal;
        strip.x1 = static_cast<uint16_t>(start);
        strip.x2 = static_cast<uint16_t>(start + length);
    }
    chooser_popup_table[0] = strip;
    chooser_popup_table[1] = {kHitArea, kPopupExit, 0, 0, kScreenWidth - 1, kScreenHeight - 1,
                              0, 0, 0, 0, nullptr, 0, 0};
    chooser_popup_table[2] = {kEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, 0, 0};
    // No redraw callback: the strip is drawn over the screen as it is.
    RunUiLoop(ui, chooser_popup_table, nullptr);
}

// ---------------------------------------------------------------------------
// Redraw
// ---------------------------------------------------------------------------
void RedrawUi(UiState& ui) {
    if (ui.stroke_active) {
        RestoreSurface(surface, ui.snapshot);
        DrawStrokePreview(ui);
    } else {
        if (ui.redraw != nullptr) ui.redraw();
        DrawTable(ui, ui.current_table);
    }
    PresentSurface(surface);
}

// ---------------------------------------------------------------------------
// The loop
// ---------------------------------------------------------------------------
// The stylus state changes only inside PumpMessages, so each pass sees one
// consistent snapshot: a new tap, else a drag, else a release.
uint16_t RunUiLoop(UiState& ui, WidgetRecord* table, RedrawCallback redraw) {
    ui.redraw = redraw;
    ui.current_table = table;
    if (table == nullptr) return kNoTable;
    ClearPressedFlags(ui, table);
    bool pen_was_down = false;
    bool done = false;
    uint16_t result = 0;
    redraw_request = 0;
    RedrawUi(ui);
    ui.stroke_active = 0;
    ui.pressed_widget = nullptr;

    for (;;) {
        PumpMessages();
        if (input.tap_latch) {
            input.tap_latch = 0;
            pen_was_down = true;
            const uint16_t x = input.stylus_x, y = input.stylus_y;
            ui.start_x = ui.current_x = x;
            ui.start_y = ui.current_y = y;
            WidgetRecord* w =
                HitTestTable(ui, static_cast<int16_t>(x), static_cast<int16_t>(y), ui.current_table);
            ui.pressed_widget = w;
            if (w == nullptr) {
                // No redraw yet: the screen is the snapshot until the stylus moves.
                ui.stroke_active = 1;
                SaveSurface(surface, ui.snapshot);
                BeginStroke(ui, static_cast<int16_t>(x), static_cast<int16_t>(y));
            } else {
                // The value first, so a press function sees pressed 0 on the pen-down.
                UpdateWidgetValue(*w, static_cast<int16_t>(x), static_cast<int16_t>(y));
                w->pressed = 1;
                redraw_request = 1;
            }
        } else if (input.stylus_down) {
            const uint16_t x = input.stylus_x, y = input.stylus_y;
            if (x != ui.current_x || y != ui.current_y) {
                ui.current_x = x;
                ui.current_y = y;
                WidgetRecord* w = ui.pressed_widget;
                if (w == nullptr) {
                    if (ui.canvas_mode > 0) {
                        AddStrokePoint(ui, static_cast<int16_t>(x), static_cast<int16_t>(y));
                        redraw_request = 1;
                    }
                } else if (WidgetContains(*w, static_cast<int16_t>(x), static_cast<int16_t>(y))) {
                    UpdateWidgetValue(*w, static_cast<int16_t>(x), static_cast<int16_t>(y));
                    redraw_request = 1;
                }
            }
        } else if (pen_was_down) {
            pen_was_down = false;
            const int16_t x = static_cast<int16_t>(ui.current_x);
            const int16_t y = static_cast<int16_t>(ui.current_y);
            WidgetRecord* w = ui.pressed_widget;
            if (w == nullptr) {
                ui.stroke_active = 0;
                if (ui.canvas_mode > 0) {
                    result = kStrokeFinished;
                    done = true;
                }
                redraw_request = 1;
            } else {
                if (WidgetContains(*w, x, y)) {
                    result = w->id;
                    if (result != 0) done = true;
                    if (w->type == kChooserVertical || w->type == kChooserHorizontal) {
                        OpenChooserPopup(*w);
                        // The popup ran on the same state; this loop's screen comes back.
                        ui.redraw = redraw;
                        ui.current_table = table;
                    }
                }
                w->pressed = 0;
                redraw_request = 1;
            }
        }
        if (redraw_request) {
            // Cleared first: a face that asks again gets one more redraw next pass.
            redraw_request = 0;
            RedrawUi(ui);
        }
        if (done) return result;
    }
}
