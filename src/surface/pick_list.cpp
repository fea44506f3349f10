#include "surface/pick_list.h"

PickList pick_list = {{{0, 0, 0, 0, -1}}, 0, 0};

void ResetPickList() {
    pick_list.count = 0;
    pick_list.cycle = 0;
    pick_list.entries[0].owner = -1;
}

void AddPickRect(int16_t x1, int16_t y1, int16_t x2, int16_t y2, int32_t owner) {
    if (pick_list.count >= kPickCapacity) return;
    pick_list.entries[pick_list.count] = {x1, y1, x2, y2, owner};
    pick_list.count += 1;
    pick_list.entries[pick_list.count].owner = -1;
}

int32_t PickOwner(int16_t x, int16_t y) {
    int32_t hits = 0;
    int32_t first = -1;
    for (const PickEntry* e = pick_list.entries; e->owner != -1; ++e) {
        if (x < e->x1 || x > e->x2 || y < e->y1 || y > e->y2) continue;
        if (hits == 0) first = e->owner;
        if (hits == pick_list.cycle) {
            pick_list.cycle = hits + 1;
            return e->owner;
        }
        ++hits;
    }
    pick_list.cycle = hits > 0 ? 1 : 0;
    return first;
}
