// Layout records written in one line, for the tables the UI tests build.
#pragma once
#include <cstdint>

#include "ui/widgets.h"

// The fields in table order; what a test leaves out is zero.
inline WidgetRecord Record(uint8_t type, uint16_t id, int x1, int y1, int x2, int y2,
                           intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0,
                           int32_t* bound = nullptr, int32_t count = 0) {
    return {type, id, static_cast<uint16_t>(x1), static_cast<uint16_t>(y1),
            static_cast<uint16_t>(x2), static_cast<uint16_t>(y2), a, b, c, d, bound, count, 0};
}

inline WidgetRecord End() { return Record(kEnd, 0, 0, 0, 0, 0); }

inline WidgetRecord Area(uint16_t id, int x1, int y1, int x2, int y2) {
    return Record(kHitArea, id, x1, y1, x2, y2);
}

inline WidgetRecord PageOf(int32_t* selector, int32_t value, WidgetRecord* sub) {
    return Record(kPage, 0, 0, 0, 0, 0, WidgetParam(selector), value, WidgetParam(sub));
}
