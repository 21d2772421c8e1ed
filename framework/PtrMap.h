#pragma once

#include "framework/PtrList.h"

// Handle-to-object map: a linear list of pairs. Keys are not unique by
// construction; look-ups and removals take the first match from the head.
template <class Key, class Value>
class PtrMap {
  public:
    void SetAt(Key key, Value value) { pairs.AddTail(Pair{key, value}); }

    Value Lookup(Key key) const {
        typename Pairs::Node* node = Find(key);
        return node ? node->element.value : Value();
    }

    void RemoveKey(Key key) { pairs.RemoveNode(Find(key)); }

    void RemoveAll() { pairs.RemoveAll(); }

  private:
    struct Pair {
        Key key;
        Value value;
    };
    using Pairs = PtrList<Pair>;

    typename Pairs::Node* Find(Key key) const {
        for (typename Pairs::Node* node = pairs.GetHead(); node; node = node->next)
            if (node->element.key == key) return node;
        return nullptr;
    }

    Pairs pairs;
};
