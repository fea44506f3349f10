#include "screens/layout_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/screen_state.h"
#include "screens/widget_ids.h"
#include "shell/main_loop.h"
#include "skin_art.h"

namespace {

const struct {
    const char* name;
    WidgetRecord* records;
    int size;
} kTables[] = {
    {"main", main_table, 6},       {"drawing editor", drawing_editor_table, 11}, {"empty", empty_table, 1},
    {"blank", blank_table, 1},     {"shape tool", shape_tool_table, 3},          {"vertex tool", vertex_tool_table, 3},
    {"animation", animation_table, 7}, {"files", files_table, 6},               {"colour picker", colour_picker_table, 5},
    {"library browser", library_browser_table, 3}, {"pose", pose_table, 5},
};

// Each table ends with its only end record; a page selects another table by a
// variable; a full-screen widget comes last, or it would hide the rest. Strips
// and choosers show only images inside the skin, a popup fits the screen;
// cells are at least a pixel (value updates divide by them); every widget that
// takes a value has its variable.
TEST(LayoutTables, RecordsAreWellFormed) {
    for (const auto& t : kTables) {
        for (int i = 0; i < t.size; ++i) {
            const WidgetRecord& w = t.records[i];
            const std::string where = std::string(t.name) + " " + std::to_string(i);
            EXPECT_EQ(w.type == kEnd, i == t.size - 1) << where;
            if (w.type == kPage) {
                bool known = false;
                for (const auto& other : kTables) known = known || other.records == PageTableOf(w);
                EXPECT_TRUE(known && PageSelectorOf(w) != nullptr && w.id == 0) << where;
            } else if (w.type != kEnd && w.x1 == 0 && w.y1 == 0 && w.x2 >= 239 && w.y2 >= 319) {
                EXPECT_EQ(i, t.size - 2) << where;
            }
            if (w.type >= kListStripVertical && w.type <= kChooserHorizontal) {
                ASSERT_TRUE(w.c >= 1 && w.d >= 1 && w.bound != nullptr) << where;
                const bool vertical = w.type % 2 == 1, chooser = w.type >= kChooserVertical;
                const int64_t items = chooser ? w.count : vertical ? (w.y2 - w.y1) / w.d : (w.x2 - w.x1) / w.c;
                EXPECT_GE(items, 1) << where;
                EXPECT_LE(w.a + (vertical ? 2 * w.c : w.c * items), kSkinArtWidth) << where;
                EXPECT_LE(w.b + (vertical ? w.d * items : 2 * w.d), kSkinArtHeight) << where;
                if (chooser) EXPECT_LE(vertical ? (w.y2 - w.y1) * items : (w.x2 - w.x1) * items, vertical ? 320 : 240) << where;
            }
            if (w.type == kCellGrid)
                EXPECT_TRUE(w.b >= 1 && w.c >= 1 && (w.y2 - w.y1) / w.b >= 1 && (w.x2 - w.x1) / w.c >= 1 &&
                            GridValueOf(w) != nullptr) << where;
            if (w.type == kNumberTabs || w.type == kLetterTabs)
                EXPECT_TRUE(TabCountOf(w) != nullptr && TabSelectionOf(w) != nullptr) << where;
        }
    }
    for (int32_t m = 0; m <= 4; ++m) {  // one screen per mode 0..3, none in 4 (quit)
        int shown = 0;
        for (int i = 0; i < 6; ++i) shown += main_table[i].type == kPage && main_table[i].b == m;
        EXPECT_EQ(shown, m < 4 ? 1 : 0) << m;
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
