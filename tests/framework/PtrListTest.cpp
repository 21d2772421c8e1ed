#include <gtest/gtest.h>

#include <vector>

#include "framework/PtrList.h"
#include "framework/PtrMap.h"

namespace {

using IntList = PtrList<int*>;

// Walks both directions so a broken next or prev link shows up.
void ExpectOrder(const IntList& list, std::initializer_list<int*> expected) {
    std::vector<int*> forward;
    for (IntList::Node* node = list.GetHead(); node; node = node->next)
        forward.push_back(node->element);
    std::vector<int*> backward;
    for (IntList::Node* node = list.GetTail(); node; node = node->prev)
        backward.insert(backward.begin(), node->element);
    EXPECT_EQ(std::vector<int*>(expected), forward);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(expected.size(), list.GetCount());
    if (list.GetHead()) {
        EXPECT_EQ(nullptr, list.GetHead()->prev);
    }
    if (list.GetTail()) {
        EXPECT_EQ(nullptr, list.GetTail()->next);
    }
}

}  // namespace

TEST(PtrList, SingleNodeIsHeadAndTailAndRemovingItEmpties) {
    int a = 1;
    IntList list;
    IntList::Node* node = list.AddTail(&a);
    EXPECT_EQ(node, list.GetHead());
    EXPECT_EQ(node, list.GetTail());
    list.RemoveNode(node);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetTail());
}

TEST(PtrList, RemovingHeadMiddleAndTailKeepsLinks) {
    int a = 1, b = 2, c = 3, d = 4;
    IntList list;
    list.AddTail(&a);
    IntList::Node* second = list.AddTail(&b);
    list.AddTail(&c);
    list.AddTail(&d);
    list.RemoveNode(second);
    ExpectOrder(list, {&a, &c, &d});
    EXPECT_EQ(&d, list.RemoveTail());
    ExpectOrder(list, {&a, &c});
    EXPECT_EQ(&a, list.RemoveHead());
    ExpectOrder(list, {&c});
    list.RemoveNode(nullptr);
    ExpectOrder(list, {&c});
}

TEST(PtrList, AddHeadPrependsAndMixesWithAddTail) {
    int a = 1, b = 2, c = 3;
    IntList list;
    list.AddHead(&a);
    list.AddHead(&b);
    list.AddTail(&c);
    ExpectOrder(list, {&b, &a, &c});
}

TEST(PtrList, TakingFromAnEmptyListGivesNullInsteadOfCrashing) {
    IntList list;
    EXPECT_EQ(nullptr, list.RemoveHead());
    EXPECT_EQ(nullptr, list.RemoveTail());
    EXPECT_TRUE(list.IsEmpty());
}

TEST(PtrList, RemoveWhileWalkingAndRemoveAllLeaveElementsAlone) {
    int values[5] = {0, 1, 2, 3, 4};
    IntList list;
    for (int& value : values) list.AddTail(&value);
    for (IntList::Node* node = list.GetHead(); node;) {
        IntList::Node* next = node->next;
        if (*node->element % 2 == 0) list.RemoveNode(node);
        node = next;
    }
    ExpectOrder(list, {&values[1], &values[3]});
    list.RemoveAll();
    ExpectOrder(list, {});
    EXPECT_EQ(3, values[3]);
}

TEST(PtrMap, DuplicateKeysResolveFromTheFirstAndRemoveOneAtATime) {
    int first = 1, second = 2, other = 3;
    PtrMap<void*, int*> map;
    void* key = &first;
    map.SetAt(key, &first);
    map.SetAt(&other, &other);
    map.SetAt(key, &second);
    EXPECT_EQ(&first, map.Lookup(key));
    map.RemoveKey(key);
    EXPECT_EQ(&second, map.Lookup(key));
    map.RemoveKey(key);
    EXPECT_EQ(nullptr, map.Lookup(key));
    map.RemoveKey(key);  // absent: nothing happens
    EXPECT_EQ(&other, map.Lookup(&other));
}
