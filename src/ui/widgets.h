// Widget records and their drawing. Every screen is a table of widget
// records ending in an End record; Page records splice in a sub-table while a
// selector variable holds a given value. Images are cut from the skin picture.
#pragma once
#include <cstdint>

#include "surface/surface.h"

// Widget types. Vertical and horizontal variants differ only in the direction
// their items are laid out in the skin and on the screen.
enum : uint8_t {
    kImageButton = 0,
    kListStripVertical = 1,
    kListStripHorizontal = 2,
    kButtonStripVertical = 3,
    kButtonStripHorizontal = 4,
    kChooserVertical = 5,
    kChooserHorizontal = 6,
    kCustomWidget = 7,
    kHitArea = 8,
    kCellGrid = 9,
    kNumberTabs = 10,
    kLetterTabs = 11,
    kPage = 251,
    kEnd = 254,
};

// Tabs are 14 pixels across (number tabs) or 12 pixels high (letter tabs).
constexpr int kNumberTabWidth = 14;
constexpr int kLetterTabHeight = 12;

struct WidgetRecord;

// A custom widget's face: drawn with the widget's rectangle and the skin.
using WidgetDrawFunction = void (*)(const WidgetRecord& widget, const SkinPicture* skin);
// A custom widget's stylus handler: called on the pen-down (pressed still 0)
// and on every drag inside the rectangle (pressed 1).
using WidgetPressFunction = void (*)(const WidgetRecord& widget, int16_t x, int16_t y);
// A cell grid's face.
using GridDrawFunction = void (*)(const WidgetRecord& widget);

// One record of a layout table. a..d hold numbers or pointers by type:
//   image button      a, b image; c, d pressed image
//   strips, choosers  a, b strip image; c item width; d item height
//   custom widget     a draw function; b press function
//   cell grid         a pointer to the value; b rows; c columns; d draw function
//   number/letter tab a pointer to the tab count; b pointer to the selected index
//   page              a pointer to the selector; b value; c pointer to the sub-table
struct WidgetRecord {
    uint8_t type;
    uint16_t id;  // returned on release inside the rectangle; 0 never returned
    uint16_t x1, y1, x2, y2;  // inclusive rectangle in screen pixels
    intptr_t a, b, c, d;
    int32_t* bound;   // strips and choosers: the item index
    int32_t count;    // choosers: number of items
    uint8_t pressed;  // 1 from a pen-down on the widget to its release
};

// Table parameters: pointers stored in the a..d fields.
inline intptr_t WidgetParam(int32_t* value) { return reinterpret_cast<intptr_t>(value); }
inline intptr_t WidgetParam(WidgetRecord* table) { return reinterpret_cast<intptr_t>(table); }
inline intptr_t WidgetParam(WidgetDrawFunction f) { return reinterpret_cast<intptr_t>(f); }
inline intptr_t WidgetParam(WidgetPressFunction f) { return reinterpret_cast<intptr_t>(f); }
inline intptr_t WidgetParam(GridDrawFunction f) { return reinterpret_cast<intptr_t>(f); }

// Reading them back.
inline WidgetDrawFunction CustomDrawOf(const WidgetRecord& w) {
    return reinterpret_cast<WidgetDrawFunction>(w.a);
}
inline WidgetPressFunction CustomPressOf(const WidgetRecord& w) {
    return reinterpret_cast<WidgetPressFunction>(w.b);
}
inline int32_t* GridValueOf(const WidgetRecord& w) { return reinterpret_cast<int32_t*>(w.a); }
inline GridDrawFunction GridDrawOf(const WidgetRecord& w) {
    return reinterpret_cast<GridDrawFunction>(w.d);
}
inline int32_t* TabCountOf(const WidgetRecord& w) { return reinterpret_cast<int32_t*>(w.a); }
inline int32_t* TabSelectionOf(const WidgetRecord& w) { return reinterpret_cast<int32_t*>(w.b); }
inline int32_t* PageSelectorOf(const WidgetRecord& w) { return reinterpret_cast<int32_t*>(w.a); }
inline WidgetRecord* PageTableOf(const WidgetRecord& w) {
    return reinterpret_cast<WidgetRecord*>(w.c);
}
// True when a Page's sub-table takes part now.
inline bool PageActive(const WidgetRecord& w) {
    const int32_t* selector = PageSelectorOf(w);
    return selector != nullptr && *selector == w.b;
}
inline bool WidgetContains(const WidgetRecord& w, int32_t x, int32_t y) {
    return w.x1 <= x && x <= w.x2 && w.y1 <= y && y <= w.y2;
}

// The first record with the id, searching every page in place; null when none.
const WidgetRecord* FindWidget(const WidgetRecord* table, uint16_t id);

struct UiState;

// Draws one widget (types 0..11; any other type draws nothing).
void DrawWidget(const WidgetRecord& widget, const SkinPicture* skin);
// Draws every record in order, expanding active pages in place.
void DrawTable(UiState& state, const WidgetRecord* table);
