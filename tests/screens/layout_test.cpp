#include "screens/layout_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/screen_state.h"
#include "screens/widget_ids.h"
#include "shell/main_loop.h"
#include "skin_art.h"

namespace {

struct Table {
    const char* name;
    WidgetRecord* records;
    int size;
};

const Table kTables[] = {
    {"main", main_table, 6},
    {"drawing editor", drawing_editor_table, 11},
    {"empty", empty_table, 1},
    {"blank", blank_table, 1},
    {"shape tool", shape_tool_table, 3},
    {"vertex tool", vertex_tool_table, 3},
    {"animation", animation_table, 7},
    {"files", files_table, 6},
    {"colour picker", colour_picker_table, 5},
    {"library browser", library_browser_table, 3},
    {"pose", pose_table, 5},
};

bool IsTable(const WidgetRecord* p) {
    for (const Table& t : kTables)
        if (t.records == p) return true;
    return false;
}

// Each table ends with its only end record; pages select an existing table
// by a variable; full-screen widgets come last, or they would hide the rest.
TEST(LayoutTables, RecordsAreWellFormed) {
    for (const Table& t : kTables) {
        for (int i = 0; i < t.size; ++i) {
            const WidgetRecord& w = t.records[i];
            const std::string where = std::string(t.name) + " " + std::to_string(i);
            EXPECT_EQ(w.type == kEnd, i == t.size - 1) << where;
            if (w.type == kPage) {
                EXPECT_NE(PageSelectorOf(w), nullptr) << where;
                EXPECT_TRUE(IsTable(PageTableOf(w))) << where;
                EXPECT_EQ(w.id, 0) << where;
            } else if (w.x1 == 0 && w.y1 == 0 && w.x2 >= 239 && w.y2 >= 319) {
                EXPECT_EQ(i, t.size - 2) << where;
            }
        }
    }
    // The main table shows exactly one screen per mode 0..3, and none in 4.
    for (int32_t m = 0; m <= 4; ++m) {
        int shown = 0;
        for (int i = 0; i < 6; ++i) shown += main_table[i].type == kPage && main_table[i].b == m;
        EXPECT_EQ(shown, m < 4 ? 1 : 0) << m;
    }
}

// Cell sizes of at least one pixel (the value updates divide by them) and
// bound variables; every image a strip or chooser can show lies inside the
// skin picture, and a chooser's popup fits the screen.
TEST(LayoutTables, StripsGridsAndTabsFitTheirImagesAndVariables) {
    for (const Table& t : kTables) {
        for (int i = 0; i + 1 < t.size; ++i) {
            const WidgetRecord& w = t.records[i];
            const std::string where = std::string(t.name) + " " + std::to_string(i);
            if (w.type >= kListStripVertical && w.type <= kChooserHorizontal) {
                ASSERT_GE(w.c, 1) << where;
                ASSERT_GE(w.d, 1) << where;
                EXPECT_NE(w.bound, nullptr) << where;
                const bool vertical = w.type % 2 == 1;
                const bool chooser = w.type >= kChooserVertical;
                const int64_t items =
                    chooser ? w.count : vertical ? (w.y2 - w.y1) / w.d : (w.x2 - w.x1) / w.c;
                const int64_t strip_w = vertical ? w.c : w.c * items;
                const int64_t strip_h = vertical ? w.d * items : w.d;
                EXPECT_GE(items, 1) << where;
                // Plain strip, then the highlighted column or row beside it.
                EXPECT_LE(w.a + strip_w * (vertical ? 2 : 1), kSkinArtWidth) << where;
                EXPECT_LE(w.b + strip_h * (vertical ? 1 : 2), kSkinArtHeight) << where;
                const int64_t popup = vertical ? (w.y2 - w.y1) * items : (w.x2 - w.x1) * items;
                if (chooser) {
                    EXPECT_LE(popup, vertical ? 320 : 240) << where;
                }
            }
            if (w.type == kCellGrid) {
                ASSERT_GE(w.b, 1) << where;
                ASSERT_GE(w.c, 1) << where;
                EXPECT_GE((w.y2 - w.y1) / w.b, 1) << where;
                EXPECT_GE((w.x2 - w.x1) / w.c, 1) << where;
                EXPECT_NE(GridValueOf(w), nullptr) << where;
            }
            if (w.type == kNumberTabs || w.type == kLetterTabs) {
                EXPECT_NE(TabCountOf(w), nullptr) << where;
                EXPECT_NE(TabSelectionOf(w), nullptr) << where;
            }
        }
    }
}

}  // namespace

// Every id that a mode's page (any tool page included) returns reaches a
// command of that mode, so no widget of the tables is a dead end.
void CollectIds(const WidgetRecord* table, std::vector<uint16_t>* ids) {
    for (const WidgetRecord* w = table; w->type != kEnd; ++w) {
        if (w->type == kPage)
            CollectIds(PageTableOf(*w), ids);
        else if (w->id != kNoCommand)
            ids->push_back(w->id);
    }
}

TEST(LayoutTables, EveryIdOfAModeHasItsCommand) {
    for (const WidgetRecord* w = main_table; w->type != kEnd; ++w) {
        if (w->type != kPage) continue;
        const ModeEntry* mode = ModeEntryOf(static_cast<int32_t>(w->b));
        ASSERT_NE(mode, nullptr) << "page of mode " << w->b;
        std::vector<uint16_t> ids;
        CollectIds(PageTableOf(*w), &ids);
        for (uint16_t id : ids) {
            bool handled = false;
            for (const CommandEntry* c = mode->commands; c->id != kNoCommand; ++c)
                handled = handled || (c->id == id && c->run != nullptr);
            EXPECT_TRUE(handled) << "mode " << w->b << ", id " << id;
        }
    }
}
