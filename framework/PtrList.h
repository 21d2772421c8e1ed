#pragma once

#include <cstddef>

// A doubly linked list that owns its nodes, never what the elements point to.
// Walks use it as a stack (AddTail / RemoveTail); the tab strip inserts at the head.
template <class T>
class PtrList {
  public:
    struct Node {
        T element;
        Node* next;
        Node* prev;
    };

    PtrList() : head(nullptr), tail(nullptr) {}
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;
    virtual ~PtrList() { RemoveAll(); }

    Node* AddTail(const T& element) {
        Node* node = new Node{element, nullptr, tail};
        if (tail)
            tail->next = node;
        else
            head = node;
        tail = node;
        return node;
    }

    Node* AddHead(const T& element) {
        Node* node = new Node{element, head, nullptr};
        if (head)
            head->prev = node;
        else
            tail = node;
        head = node;
        return node;
    }

    void RemoveNode(Node* node) {
        if (!node) return;
        if (node == head) head = node->next;
        if (node == tail) tail = node->prev;
        if (node->prev) node->prev->next = node->next;
        if (node->next) node->next->prev = node->prev;
        delete node;
    }

    void RemoveAll() {
        while (head) RemoveNode(head);
    }

    // An empty list yields a value-initialised element (null for pointers)
    // rather than a crash.
    T RemoveHead() {
        if (!head) return T();
        T element = head->element;
        RemoveNode(head);
        return element;
    }

    T RemoveTail() {
        if (!tail) return T();
        T element = tail->element;
        RemoveNode(tail);
        return element;
    }

    size_t GetCount() const {
        size_t count = 0;
        for (Node* node = head; node; node = node->next) ++count;
        return count;
    }

    bool IsEmpty() const { return head == nullptr; }
    Node* GetHead() const { return head; }
    Node* GetTail() const { return tail; }

  private:
    Node* head;
    Node* tail;
};
