#include <gtest/gtest.h>

#include "surface/pick_list.h"

namespace {

TEST(PickList, OverlappingRectanglesCycleAtOnePointAndAMissResetsTheCycle) {
    ResetPickList();
    // (6, 6) lies in the first two rectangles, (35, 35) only in the third.
    AddPickRect(0, 0, 10, 10, 5);
    AddPickRect(5, 5, 20, 20, 7);
    AddPickRect(30, 30, 40, 40, 9);
    const int picks[][3] = {{6, 6, 5},   {6, 6, 7},     {6, 6, 5}, {35, 35, 9},
                            {35, 35, 9}, {100, 100, -1}, {6, 6, 5}, {6, 6, 7}};
    for (const auto& p : picks) EXPECT_EQ(PickOwner(p[0], p[1]), p[2]) << p[0] << "," << p[1];
}

TEST(PickList, EdgesAreInside) {
    ResetPickList();
    AddPickRect(-3, -3, 4, 4, 0);
    EXPECT_EQ(PickOwner(4, 4), 0);
    EXPECT_EQ(PickOwner(-3, -3), 0);
    EXPECT_EQ(PickOwner(5, 4), -1);
    EXPECT_EQ(PickOwner(4, 5), -1);
}

TEST(PickList, HoldsAtMost1024AndKeepsItsEndMarker) {
    ResetPickList();
    EXPECT_EQ(pick_list.entries[0].owner, -1);
    EXPECT_EQ(PickOwner(0, 0), -1);
    for (int i = 0; i < 1025; ++i) AddPickRect(0, 0, 0, 0, i);
    EXPECT_EQ(pick_list.count, 1024);
    EXPECT_EQ(pick_list.entries[1024].owner, -1);
    EXPECT_EQ(pick_list.entries[1023].owner, 1023);
    // Cycling walks all 1024 and wraps to the first.
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(PickOwner(0, 0), i);
    EXPECT_EQ(PickOwner(0, 0), 0);
}

}  // namespace
