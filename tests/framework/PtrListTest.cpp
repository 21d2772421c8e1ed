#include <gtest/gtest.h>

#include "framework/PtrList.h"

// Broken links show in every list user (sessions, views, the dialog map); what
// they never do is take from an empty list, which must give an empty element.
TEST(PtrList, TakingFromAnEmptyListGivesAnEmptyElement) {
    PtrList<int> list;
    list.AddTail(1);
    EXPECT_EQ(1, list.RemoveHead());
    EXPECT_EQ(0, list.RemoveTail());
    EXPECT_EQ(0, list.RemoveHead());
    EXPECT_TRUE(list.GetHead() == nullptr && list.GetTail() == nullptr);
}
