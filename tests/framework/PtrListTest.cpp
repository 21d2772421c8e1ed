#include <gtest/gtest.h>

#include <vector>

#include "framework/PtrList.h"

namespace {

// Walks both ways so that a broken next or prev link shows up.
std::vector<int> Walk(const PtrList<int>& list) {
    std::vector<int> forward, backward;
    for (auto* node = list.GetHead(); node; node = node->next) forward.push_back(node->element);
    for (auto* node = list.GetTail(); node; node = node->prev)
        backward.insert(backward.begin(), node->element);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.size(), list.GetCount());
    return forward;
}

}  // namespace

TEST(PtrList, RemovalsAnywhereKeepTheLinks) {
    PtrList<int> list;
    list.AddTail(1);
    PtrList<int>::Node* second = list.AddTail(2);
    list.AddTail(3);
    list.AddHead(4);
    EXPECT_EQ((std::vector<int>{4, 1, 2, 3}), Walk(list));
    list.RemoveNode(second);
    EXPECT_EQ(3, list.RemoveTail());
    EXPECT_EQ((std::vector<int>{4, 1}), Walk(list));
    EXPECT_EQ(nullptr, list.GetTail()->next);
    EXPECT_EQ(4, list.RemoveHead());
    list.RemoveNode(list.GetHead());
    EXPECT_TRUE(list.GetHead() == nullptr && list.GetTail() == nullptr);
    // Taking from an empty list yields an empty element rather than a crash.
    EXPECT_EQ(0, list.RemoveTail());
}
