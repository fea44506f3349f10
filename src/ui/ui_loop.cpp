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
WidgetRecord* HitTestTable(UiState& state, int16_t x, int16_t y, WidgetRecord* table) {
    if (table == nullptr) return nullptr;
    for (WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            if (!PageActive(*w)) continue;
            WidgetRecord* hit = HitTestTable(state, x, y, PageTableOf(*w));
            if (hit != nullptr) return hit;
        } else if (WidgetContains(*w, x, y)) {
            return w;
        }
    }
    return nullptr;
}

// Every page is cleared, shown or not, so that no flag survives a mode change.
void ClearPressedFlags(UiState& state, WidgetRecord* table) {
    if (table == nullptr) return;
    for (WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            ClearPressedFlags(state, PageTableOf(*w));
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
void RedrawUi(UiState& state) {
    if (state.stroke_active) {
        RestoreSurface(surface, state.snapshot);
        DrawStrokePreview(state);
    } else {
        if (state.redraw != nullptr) state.redraw();
        DrawTable(state, state.current_table);
    }
    PresentSurface(surface);
}

// ---------------------------------------------------------------------------
// The loop
// ---------------------------------------------------------------------------
// The stylus state changes only inside PumpMessages, so each pass sees one
// consistent snapshot: a new tap, else a drag, else a release. Each of the
// three is one function below; the loop itself only pumps, dispatches and
// redraws.

// A new tap: a widget under the point takes its value and its pressed flag;
// no widget starts a canvas stroke over a snapshot of the screen.
static void PenDown(UiState& state) {
    const uint16_t x = input.stylus_x, y = input.stylus_y;
    state.start_x = state.current_x = x;
    state.start_y = state.current_y = y;
    WidgetRecord* w = HitTestTable(state, static_cast<int16_t>(x), static_cast<int16_t>(y),
                                   state.current_table);
    state.pressed_widget = w;
    if (w == nullptr) {
        // No redraw yet: the screen is the snapshot until the stylus moves.
        state.stroke_active = 1;
        SaveSurface(surface, state.snapshot);
        BeginStroke(state, static_cast<int16_t>(x), static_cast<int16_t>(y));
    } else {
        // The value first, so a press function sees pressed 0 on the pen-down.
        UpdateWidgetValue(*w, static_cast<int16_t>(x), static_cast<int16_t>(y));
        w->pressed = 1;
        redraw_request = 1;
    }
}

// The stylus moved while down: a stroke takes the point (when the canvas
// mode draws one), a pressed widget takes it while it stays inside.
static void Drag(UiState& state) {
    const uint16_t x = input.stylus_x, y = input.stylus_y;
    if (x == state.current_x && y == state.current_y) return;
    state.current_x = x;
    state.current_y = y;
    WidgetRecord* w = state.pressed_widget;
    if (w == nullptr) {
        if (state.canvas_mode > 0) {
            AddStrokePoint(state, static_cast<int16_t>(x), static_cast<int16_t>(y));
            redraw_request = 1;
        }
    } else if (WidgetContains(*w, static_cast<int16_t>(x), static_cast<int16_t>(y))) {
        UpdateWidgetValue(*w, static_cast<int16_t>(x), static_cast<int16_t>(y));
        redraw_request = 1;
    }
}

// The stylus lifted. A stroke ends with 253 (when the canvas mode draws
// one); a release inside the pressed widget returns its id, unless that is
// 0, after a chooser has run its popup. True when the loop ends with *result.
static bool Release(UiState& state, WidgetRecord* table, RedrawCallback redraw, uint16_t* result) {
    const int16_t x = static_cast<int16_t>(state.current_x);
    const int16_t y = static_cast<int16_t>(state.current_y);
    WidgetRecord* w = state.pressed_widget;
    bool done = false;
    if (w == nullptr) {
        state.stroke_active = 0;
        if (state.canvas_mode > 0) {
            *result = kStrokeFinished;
            done = true;
        }
    } else {
        if (WidgetContains(*w, x, y)) {
            *result = w->id;
            done = *result != 0;
            if (w->type == kChooserVertical || w->type == kChooserHorizontal) {
                OpenChooserPopup(*w);
                // The popup ran on the same state; this loop's screen comes back.
                state.redraw = redraw;
                state.current_table = table;
            }
        }
        w->pressed = 0;
    }
    redraw_request = 1;  // after any popup, whose own loop clears the request
    return done;
}

void RequestLoopEnd(uint16_t id, const WidgetRecord* table) {
    UiState::EndRequest* requests = ui.end_requests;
    UiState::EndRequest* slot = &requests[0];
    if (requests[0].id != 0 && requests[0].table != table) {
        slot = &requests[1];
        if (requests[1].id != 0 && requests[1].table != table) requests[0] = requests[1];
    }
    *slot = UiState::EndRequest{id, table};
}

// A waiting request this loop may honour now: no press or stroke under way
// (pen_was_down stays set from a pen-down until its release is handled).
static bool TakeEndRequest(UiState& state, bool pen_was_down, uint16_t* result) {
    if (pen_was_down || state.stroke_active || input.stylus_down) return false;
    for (UiState::EndRequest& request : state.end_requests) {
        if (request.id == 0 || (request.table != nullptr && request.table != state.current_table))
            continue;
        *result = request.id;
        request.id = 0;
        return true;
    }
    return false;
}

// The loop proper; RunUiLoop counts the depth around it.
static uint16_t RunLoop(UiState& state, WidgetRecord* table, RedrawCallback redraw);

uint16_t RunUiLoop(UiState& state, WidgetRecord* table, RedrawCallback redraw) {
    state.redraw = redraw;
    state.current_table = table;
    if (table == nullptr) return kNoTable;
    ++state.depth;
    const uint16_t result = RunLoop(state, table, redraw);
    --state.depth;
    return result;
}

static uint16_t RunLoop(UiState& state, WidgetRecord* table, RedrawCallback redraw) {
    ClearPressedFlags(state, table);
    bool pen_was_down = false;
    bool done = false;
    uint16_t result = 0;
    redraw_request = 0;
    RedrawUi(state);
    state.stroke_active = 0;
    state.pressed_widget = nullptr;

    for (;;) {
        PumpMessages();
        if (input.tap_latch) {
            input.tap_latch = 0;
            pen_was_down = true;
            PenDown(state);
        } else if (input.stylus_down) {
            Drag(state);
        } else if (pen_was_down) {
            pen_was_down = false;
            done = Release(state, table, redraw, &result);
        }
        if (redraw_request) {
            // Cleared first: a face that asks again gets one more redraw next pass.
            redraw_request = 0;
            RedrawUi(state);
        }
        if (done) return result;
        if (TakeEndRequest(state, pen_was_down, &result)) return result;
    }
}
