#include <gtest/gtest.h>

#include <vector>

#include "framework/PtrList.h"
#include "framework/PtrMap.h"

namespace {

using IntList = PtrList<int*>;

// Walks both ways so a broken next or prev link shows up.
std::vector<int*> Walk(const IntList& list) {
    std::vector<int*> forward, backward;
    for (IntList::Node* node = list.GetHead(); node; node = node->next)
        forward.push_back(node->element);
    for (IntList::Node* node = list.GetTail(); node; node = node->prev)
        backward.insert(backward.begin(), node->element);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.size(), list.GetCount());
    return forward;
}

}  // namespace

TEST(PtrList, RemovalsAnywhereKeepTheLinks) {
    int a = 1, b = 2, c = 3, d = 4;
    IntList list;
    list.AddTail(&a);
    IntList::Node* second = list.AddTail(&b);
    list.AddTail(&c);
    list.AddHead(&d);
    EXPECT_EQ((std::vector<int*>{&d, &a, &b, &c}), Walk(list));
    list.RemoveNode(second);
    EXPECT_EQ(&c, list.RemoveTail());
    EXPECT_EQ((std::vector<int*>{&d, &a}), Walk(list));
    EXPECT_EQ(nullptr, list.GetTail()->next);
    EXPECT_EQ(&d, list.RemoveHead());
    list.RemoveNode(list.GetHead());
    EXPECT_TRUE(list.GetHead() == nullptr && list.GetTail() == nullptr);
    // Taking from an empty list yields null rather than a crash.
    EXPECT_EQ(nullptr, list.RemoveHead());
    EXPECT_EQ(nullptr, list.RemoveTail());
}

TEST(PtrMap, DuplicateKeysResolveFromTheFirstAndGoOneAtATime) {
    int first = 1, second = 2, other = 3;
    PtrMap<void*, int*> map;
    map.SetAt(&first, &first);
    map.SetAt(&other, &other);
    map.SetAt(&first, &second);
    EXPECT_EQ(&first, map.Lookup(&first));
    map.RemoveKey(&first);
    EXPECT_EQ(&second, map.Lookup(&first));
    map.RemoveKey(&first);
    map.RemoveKey(&first);
    EXPECT_EQ(nullptr, map.Lookup(&first));
    EXPECT_EQ(&other, map.Lookup(&other));
}
