#include "ZList.h"
#include "ZString.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <class T>
std::vector<T> contents(const ZList<T>& list)
{
    std::vector<T> out;
    ZListPos pos;
    for (list.start(pos); !list.isEnd(pos); list.next(pos))
        out.push_back(list.get(pos));
    return out;
}

ZList<int> listOf(std::initializer_list<int> values)
{
    ZList<int> list;
    for (int v : values)
        list.append(v);
    return list;
}

ZListPos positionOf(ZList<int>& list, int value)
{
    ZListPos pos;
    for (list.start(pos); !list.isEnd(pos) && list.get(pos) != value; list.next(pos)) {
    }
    return pos;
}

// Counts its own lives; has no default constructor, so a list that built an
// element for its sentinel would not even compile.
struct Tracked
{
    static int alive;
    explicit Tracked(int v) : value(v) { ++alive; }
    Tracked(const Tracked& other) : value(other.value) { ++alive; }
    ~Tracked() { --alive; }
    Tracked& operator=(const Tracked&) = default;
    int value;
};
int Tracked::alive = 0;

// Stands in for a Car Computer record held by value.
struct Entry
{
    int number;
    int start;
};

} // namespace

TEST(ZList, NewListIsEmpty)
{
    ZList<int> list;
    ZListPos pos;
    list.start(pos);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.isEnd(pos));
    EXPECT_TRUE(list.isEnd(list.lastPos()));
    EXPECT_TRUE(list.isEnd(list.firstPos()));
    list.next(pos);
    EXPECT_TRUE(list.isEnd(pos));
}

TEST(ZList, AppendInsertAndInsertAfter)
{
    ZList<int> list = listOf({1, 2, 3});
    EXPECT_EQ(contents(list), (std::vector<int>{1, 2, 3}));

    ZListPos pos = positionOf(list, 2);
    const ZListPos returned = list.insert(pos, 9);
    EXPECT_EQ(contents(list), (std::vector<int>{1, 9, 2, 3}));
    EXPECT_EQ(list.get(pos), 9);
    EXPECT_TRUE(returned == pos);

    ZListPos end;
    list.start(end);
    while (!list.isEnd(end))
        list.next(end);
    list.insertAfter(end, 4);
    EXPECT_EQ(list.get(end), 4);
    list.next(end);
    EXPECT_TRUE(list.isEnd(end));  // end stays the end

    ZListPos first = list.firstPos();
    list.insertAfter(first, 5);
    EXPECT_EQ(contents(list), (std::vector<int>{1, 5, 9, 2, 3, 4}));
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.get(list.lastPos()), 4);
}

TEST(ZList, RemoveMovesToFollowingNode)
{
    ZList<int> list = listOf({1, 2, 3});
    ZListPos pos = positionOf(list, 2);
    list.remove(pos);
    EXPECT_EQ(contents(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.get(pos), 3);
    list.remove(pos);
    EXPECT_TRUE(list.isEnd(pos));
    EXPECT_EQ(list.count(), 1);

    ZListPos end = list.posAt(1);
    list.remove(end);  // the end position names no element
    EXPECT_TRUE(list.isEnd(end));
    EXPECT_EQ(contents(list), std::vector<int>{1});

    ZList<int> empty;
    ZListPos at;
    empty.start(at);
    empty.remove(at);
    EXPECT_TRUE(empty.isEnd(at));
    EXPECT_EQ(empty.count(), 0);
}

TEST(ZList, IndexingWalksFromFirst)
{
    ZList<Entry> entries;
    for (int i = 0; i < 3; ++i)
        entries.append(Entry{i, 100 * i});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(entries[i].start, 100 * i);
    EXPECT_EQ(entries[-1].number, 0);
    EXPECT_TRUE(entries.isEnd(entries.posAt(3)));
    EXPECT_EQ(entries.get(entries.posAt(2)).number, 2);
    entries[1].start = 7;
    EXPECT_EQ(entries[1].start, 7);
}

TEST(ZListDeathTest, IndexPastTheEndEndsProcess)
{
    ZList<Entry> entries;
    for (int i = 0; i < 3; ++i)
        entries.append(Entry{i, 0});
    EXPECT_EXIT(entries[3], testing::ExitedWithCode(1), "^ZList over range\n$");
    EXPECT_EXIT(ZList<int>()[0], testing::ExitedWithCode(1), "ZList over range");
}

TEST(ZList, CopiesAreIndependent)
{
    const ZList<int> source = listOf({1, 2, 3});
    ZList<int> copy(source);
    ZListPos pos = copy.firstPos();
    copy.remove(pos);
    copy.get(pos) = 20;
    EXPECT_EQ(contents(source), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(contents(copy), (std::vector<int>{20, 3}));

    ZList<int> assigned = listOf({7});
    assigned = source;
    assigned.append(4);
    EXPECT_EQ(contents(assigned), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(source.count(), 3);
    ZList<int>& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.count(), 4);

    ZList<ZString> words;
    words.append("one");
    ZList<ZString> wordsCopy = words;
    wordsCopy.get(wordsCopy.firstPos()).toUpper();
    EXPECT_STREQ(words[0].cStr(), "one");
    EXPECT_STREQ(wordsCopy[0].cStr(), "ONE");
}

TEST(ZList, ElementsLiveExactlyAsLongAsTheirNodes)
{
    Tracked::alive = 0;
    {
        ZList<Tracked> list;
        const Tracked one(1);
        list.append(one);
        list.append(Tracked(2));
        EXPECT_EQ(Tracked::alive, 3);
        ZListPos pos = list.firstPos();
        list.remove(pos);
        EXPECT_EQ(Tracked::alive, 2);
        ZList<Tracked> copy = list;
        EXPECT_EQ(Tracked::alive, 3);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(ZList, ClearReleasesStringsAndListStaysUsable)
{
    ZList<ZString> lines;
    ZString shared("kept elsewhere");
    lines.append(shared);
    lines.append("second");
    lines.clear();
    EXPECT_EQ(lines.count(), 0);
    EXPECT_TRUE(lines.isEnd(lines.firstPos()));
    EXPECT_STREQ(shared.cStr(), "kept elsewhere");

    lines.append("again");
    EXPECT_EQ(lines.count(), 1);
    EXPECT_STREQ(lines[0].cStr(), "again");
}

TEST(ZList, PointerElementsAreNeverDeleted)
{
    Tracked::alive = 0;
    std::vector<std::unique_ptr<Tracked>> owners;
    ZList<Tracked*> list;
    for (int i = 0; i < 3; ++i) {
        owners.push_back(std::make_unique<Tracked>(i));
        list.append(owners.back().get());
    }
    ZListPos pos = list.firstPos();
    list.remove(pos);
    list.clear();
    EXPECT_EQ(Tracked::alive, 3);
    EXPECT_EQ(owners[2]->value, 2);
}
