#pragma once
// The program's list: a doubly linked ring through a sentinel, holding its
// elements by value, walked with ZListPos handles:
//
//     ZListPos pos;
//     for (list.start(pos); !list.isEnd(pos); list.next(pos))
//         use(list.get(pos));
//
// For pointer elements only the pointer is stored; the list never deletes
// what it points to. Lists are not thread-safe.

#include <cstdio>
#include <cstdlib>

// The links every node has. The sentinel is nothing but these links, so it
// holds no element that could be constructed, read or destroyed.
struct ZListLink
{
    ZListLink* next = nullptr;
    ZListLink* prev = nullptr;
};

template <class T>
struct ZListNode : ZListLink
{
    explicit ZListNode(const T& v) : value(v) {}
    T value;
};

// Names one node of a list; the sentinel is the end position. A default
// position names nothing and must be set before use. It stays usable while
// its node is in the list.
struct ZListPos
{
    ZListPos() = default;
    explicit ZListPos(ZListLink* link) : node(link) {}
    bool operator==(const ZListPos& other) const { return node == other.node; }
    bool operator!=(const ZListPos& other) const { return node != other.node; }

    ZListLink* node = nullptr;
};

namespace zlist_detail {
[[noreturn]] inline void overRange()
{
    std::fputs("ZList over range\n", stderr);
    std::exit(1);
}
} // namespace zlist_detail

template <class T>
class ZList
{
public:
    ZList() : head(newSentinel()), elements(0)
    {
        head->next = head;
        head->prev = head;
    }

    // Copies are deep: each element is copied into a node of the new list.
    ZList(const ZList& other) : ZList()
    {
        appendAll(other);
    }

    ZList& operator=(const ZList& other)
    {
        if (this != &other) {
            clear();
            appendAll(other);
        }
        return *this;
    }

    virtual ~ZList()
    {
        clear();
        delete head;
    }

    // Adds a copy of v before pos (appends at the end position); pos then
    // names the new element.
    virtual ZListPos insert(ZListPos& pos, const T& v)
    {
        ZListNode<T>* node = newNode(v);
        ZListLink* at = pos.node;
        node->next = at;
        node->prev = at->prev;
        at->prev->next = node;
        at->prev = node;
        ++elements;
        pos.node = node;
        return pos;
    }

    virtual void clear()
    {
        ZListPos pos;
        start(pos);
        while (!isEnd(pos))
            remove(pos);
    }

    // Removes the element at pos; pos moves on to the following node. The end
    // position (and so an empty list) is left alone.
    virtual void remove(ZListPos& pos)
    {
        if (elements == 0 || pos.node == head)
            return;
        ZListLink* link = pos.node;
        pos.node = link->next;
        link->prev->next = link->next;
        link->next->prev = link->prev;
        delete static_cast<ZListNode<T>*>(link);
        --elements;
    }

    // Only for positions that name an element, never the end.
    virtual ZListNode<T>* nodeAt(ZListPos pos) { return static_cast<ZListNode<T>*>(pos.node); }
    virtual const ZListNode<T>* nodeAt(ZListPos pos) const
    {
        return static_cast<const ZListNode<T>*>(pos.node);
    }

    virtual ZListNode<T>* newNode(const T& v) { return new ZListNode<T>(v); }
    virtual ZListLink* newSentinel() { return new ZListLink(); }

    void start(ZListPos& pos) const { pos.node = head->next; }
    void next(ZListPos& pos) const
    {
        if (pos.node != head)
            pos.node = pos.node->next;
    }
    int isEnd(ZListPos pos) const { return pos.node == head; }

    T& get(ZListPos pos) { return nodeAt(pos)->value; }
    const T& get(ZListPos pos) const { return nodeAt(pos)->value; }

    ZListPos firstPos() const { return ZListPos(head->next); }
    ZListPos lastPos() const { return ZListPos(head->prev); }
    // n steps on from the first element, stopping at the end; n < 0 is the first.
    ZListPos posAt(int n) const
    {
        ZListPos pos = firstPos();
        for (int i = 0; i < n && !isEnd(pos); ++i)
            next(pos);
        return pos;
    }

    // The copy goes after pos (at the end when pos is the end); pos names it.
    void insertAfter(ZListPos& pos, const T& v)
    {
        next(pos);
        insert(pos, v);
    }
    void append(const T& v)
    {
        ZListPos pos = lastPos();
        insertAfter(pos, v);
    }

    int count() const { return elements; }

    // Walks from the first element; a walk that reaches the end ends the process.
    T& operator[](int n)
    {
        ZListPos pos = posAt(n);
        if (isEnd(pos))
            zlist_detail::overRange();
        return get(pos);
    }
    const T& operator[](int n) const
    {
        ZListPos pos = posAt(n);
        if (isEnd(pos))
            zlist_detail::overRange();
        return get(pos);
    }

private:
    void appendAll(const ZList& other)
    {
        ZListPos pos;
        for (other.start(pos); !other.isEnd(pos); other.next(pos))
            append(other.nodeAt(pos)->value);
    }

    ZListLink* head;  // the sentinel
    int elements;
};
