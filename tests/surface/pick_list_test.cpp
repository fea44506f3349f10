#include <gtest/gtest.h>

#include "surface/pick_list.h"

namespace {

TEST(PickList, OverlappingRectanglesCycleAtOnePoint) {
    ResetPickList();
    AddPickRect(0, 0, 10, 10, 5);   // contains P and Q's neighbour
    AddPickRect(5, 5, 20, 20, 7);   // contains P
    AddPickRect(30, 30, 40, 40, 9); // contains only Q
    EXPECT_EQ(PickOwner(6, 6), 5);
    EXPECT_EQ(PickOwner(6, 6), 7);
    EXPECT_EQ(PickOwner(6, 6), 5);
    EXPECT_EQ(PickOwner(35, 35), 9);
    EXPECT_EQ(PickOwner(35, 35), 9);
}

TEST(PickList, AMissResetsTheCycle) {
    ResetPickList();
    AddPickRect(0, 0, 10, 10, 1);
    AddPickRect(0, 0, 10, 10, 2);
    EXPECT_EQ(PickOwner(3, 3), 1);
    EXPECT_EQ(PickOwner(100, 100), -1);
    EXPECT_EQ(PickOwner(3, 3), 1);
    EXPECT_EQ(PickOwner(3, 3), 2);
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
