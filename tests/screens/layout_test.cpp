#include "screens/layout_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "screens/screen_state.h"
#include "screens/widget_ids.h"
#include "shell/main_loop.h"

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
