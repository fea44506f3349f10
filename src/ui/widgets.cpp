// Widget drawing: skin copies for the image types, faces for custom widgets
// and cell grids, and tabs built from label boxes.
#include "ui/widgets.h"

#include <cstdio>

#include "raster/lines.h"
#include "raster/panels.h"
#include "surface/pen.h"
#include "ui/ui_loop.h"

// ---------------------------------------------------------------------------
// Skin copies
// ---------------------------------------------------------------------------
// Every image is an opaque word copy; without a skin the copy refuses and
// nothing is drawn. The source is held inside the picture here, since the
// copy itself trusts it: an item index past the strip's end draws nothing
// rather than reading beyond the picture.
static void Copy(const SkinPicture* skin, int64_t dx, int64_t dy, int64_t w, int64_t h,
                 int64_t sx, int64_t sy) {
    if (skin == nullptr || sx < 0 || sy < 0 || sx >= skin->width || sy >= skin->height) return;
    if (w > skin->width - sx) w = skin->width - sx;
    if (h > skin->height - sy) h = skin->height - sy;
    BlitPicture(surface, static_cast<int32_t>(dx), static_cast<int32_t>(dy),
                static_cast<int32_t>(w), static_cast<int32_t>(h), skin,
                static_cast<int32_t>(sx), static_cast<int32_t>(sy));
}

// The whole plain strip, then one item's highlighted image over its place.
static void DrawStrip(const WidgetRecord& w, const SkinPicture* skin, bool highlight) {
    const int32_t width = w.x2 - w.x1, height = w.y2 - w.y1;
    const int64_t item_w = w.c, item_h = w.d;
    const int64_t v = w.bound != nullptr ? *w.bound : 0;
    const bool vertical = w.type == kListStripVertical || w.type == kButtonStripVertical;
    Copy(skin, w.x1, w.y1, width, height, w.a, w.b);
    if (!highlight) return;
    if (vertical) {
        Copy(skin, w.x1, w.y1 + v * item_h, item_w, item_h, w.a + item_w, w.b + v * item_h);
    } else {
        Copy(skin, w.x1 + v * item_w, w.y1, item_w, item_h, w.a + v * item_w, w.b + item_h);
    }
}

// A chooser shows only the highlighted image of its current item.
static void DrawChooser(const WidgetRecord& w, const SkinPicture* skin) {
    const int64_t item_w = w.c, item_h = w.d;
    const int64_t v = w.bound != nullptr ? *w.bound : 0;
    if (w.type == kChooserVertical) {
        Copy(skin, w.x1, w.y1, item_w, item_h, w.a + item_w, w.b + v * item_h);
    } else {
        Copy(skin, w.x1, w.y1, item_w, item_h, w.a + v * item_w, w.b + item_h);
    }
}

// ---------------------------------------------------------------------------
// Tabs
// ---------------------------------------------------------------------------
// The selected tab is yellow with its bar on the right and a bold label, the
// others green with the bar on the left.
static void DrawTab(int16_t x1, int16_t y1, int16_t x2, int16_t y2, const char* label,
                    bool selected) {
    SetPenColour(surface, MakeColour(selected ? 200 : 0, 200, 0, 255));
    if (selected) {
        DrawLabelBoxRight(surface, x1, y1, x2, y2, label);
    } else {
        DrawLabelBoxLeft(surface, x1, y1, x2, y2, label);
    }
}

static int32_t ValueAt(const int32_t* p) { return p != nullptr ? *p : 0; }

// Tab 0 ("1") at the right end, each further tab 14 pixels to the left.
// Tabs beyond the widget's left edge are still drawn, clipped at the screen.
static void DrawNumberTabs(const WidgetRecord& w) {
    const int32_t n = ValueAt(TabCountOf(w)), s = ValueAt(TabSelectionOf(w));
    SetPenColour(surface, kOpaqueBlack);
    DrawHSpan(surface, w.x1, static_cast<int16_t>((w.y1 + w.y2) >> 1), w.x2);
    char label[16];
    for (int32_t i = 0; i < n; ++i) {
        std::snprintf(label, sizeof label, "%d", i + 1);
        const int32_t right = w.x2 - kNumberTabWidth * i;
        DrawTab(static_cast<int16_t>(right - kNumberTabWidth), static_cast<int16_t>(w.y1),
                static_cast<int16_t>(right), static_cast<int16_t>(w.y2), label, i == s);
    }
}

// Tab 0 ("A") at the top, each further tab 12 pixels lower.
static void DrawLetterTabs(const WidgetRecord& w) {
    const int32_t n = ValueAt(TabCountOf(w)), s = ValueAt(TabSelectionOf(w));
    SetPenColour(surface, kOpaqueBlack);
    DrawVSpan(surface, static_cast<int16_t>((w.x1 + w.x2) >> 1), w.y1, w.y2);
    char label[4];
    for (int32_t i = 0; i < n; ++i) {
        // The code wraps within a byte, as a %c of a larger value would.
        label[0] = static_cast<char>(static_cast<uint8_t>(65 + i));
        label[1] = 0;
        const int32_t top = w.y1 + kLetterTabHeight * i;
        DrawTab(static_cast<int16_t>(w.x1), static_cast<int16_t>(top), static_cast<int16_t>(w.x2),
                static_cast<int16_t>(top + kLetterTabHeight), label, i == s);
    }
}

// ---------------------------------------------------------------------------
// Widgets and tables
// ---------------------------------------------------------------------------
void DrawWidget(const WidgetRecord& w, const SkinPicture* skin) {
    switch (w.type) {
    case kImageButton:
        if (w.pressed) {
            Copy(skin, w.x1, w.y1, w.x2 - w.x1, w.y2 - w.y1, w.c, w.d);
        } else {
            Copy(skin, w.x1, w.y1, w.x2 - w.x1, w.y2 - w.y1, w.a, w.b);
        }
        break;
    case kListStripVertical:
    case kListStripHorizontal:
        DrawStrip(w, skin, true);
        break;
    case kButtonStripVertical:
    case kButtonStripHorizontal:
        DrawStrip(w, skin, w.pressed != 0);
        break;
    case kChooserVertical:
    case kChooserHorizontal:
        DrawChooser(w, skin);
        break;
    case kCustomWidget:
        if (CustomDrawOf(w) != nullptr) CustomDrawOf(w)(w, skin);
        break;
    case kCellGrid:
        if (GridDrawOf(w) != nullptr) GridDrawOf(w)(w);
        break;
    case kNumberTabs:
        DrawNumberTabs(w);
        break;
    case kLetterTabs:
        DrawLetterTabs(w);
        break;
    default:  // hit areas, and anything unknown, draw nothing
        break;
    }
}

void DrawTable(UiState& state, const WidgetRecord* table) {
    if (table == nullptr) return;
    for (const WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            if (PageActive(*w)) DrawTable(state, PageTableOf(*w));
        } else {
            DrawWidget(*w, state.skin);
        }
    }
}

const WidgetRecord* FindWidget(const WidgetRecord* table, uint16_t id) {
    if (table == nullptr) return nullptr;
    for (const WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage) {
            const WidgetRecord* found = FindWidget(PageTableOf(*w), id);
            if (found != nullptr) return found;
        } else if (w->id == id) {
            return w;
        }
    }
    return nullptr;
}
